// The pseudo-random source of the saying draw, behind a seam so that a draw can be repeated.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>

namespace dovi {

// The pseudo-random source of the saying draw.
class RandomSource {
public:
    virtual ~RandomSource() = default;
    // Called once at the start of every draw of a saying.
    virtual void seedFromClock() = 0;
    // The next number, uniform in [0, 1), in single precision.
    virtual float next() = 0;
};

// A standard generator. With a fixed seed, seedFromClock() reseeds with that seed, so a draw repeats.
class StandardRandom final : public RandomSource {
public:
    explicit StandardRandom(std::optional<std::uint64_t> fixedSeed = std::nullopt);
    ~StandardRandom() override;
    void seedFromClock() override;
    float next() override;

private:
    struct Engine;
    std::optional<std::uint64_t> fixedSeed_;
    std::unique_ptr<Engine> engine_;
};

}  // namespace dovi
