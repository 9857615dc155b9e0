// The generator behind the saying draw.
#include "page/random.h"

#include <chrono>
#include <exception>
#include <random>

namespace dovi {

struct StandardRandom::Engine {
    std::mt19937_64 generator;
};

namespace {

// A seed that differs from start to start: the operating system's entropy source mixed with the
// steady clock, or the clock alone where the entropy source is unavailable.
std::uint64_t freshSeed()
{
    const auto ticks = static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    std::uint64_t entropy = 0;
    try {
        std::random_device device;
        entropy = (static_cast<std::uint64_t>(device()) << 32) | device();
    } catch (const std::exception&) {
        entropy = 0;
    }
    return ticks ^ entropy;
}

}  // namespace

StandardRandom::StandardRandom(std::optional<std::uint64_t> fixedSeed)
    : fixedSeed_(fixedSeed), engine_(std::make_unique<Engine>())
{
    seedFromClock();
}

StandardRandom::~StandardRandom() = default;

void StandardRandom::seedFromClock()
{
    engine_->generator.seed(fixedSeed_ ? *fixedSeed_ : freshSeed());
}

float StandardRandom::next()
{
    // The top 24 bits of the engine's output, scaled by 2^-24: every value is exact in single
    // precision, the largest is 1 - 2^-24, so the result is never 1.
    const auto bits = static_cast<std::uint32_t>(engine_->generator() >> 40);
    return static_cast<float>(bits) * 0x1p-24f;
}

}  // namespace dovi
