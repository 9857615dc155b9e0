// A random source that replays given numbers, for the page build's fuzz case and its tests.
#pragma once

#include <cstddef>
#include <utility>
#include <vector>

#include "page/random.h"

namespace dovi {

// Hands out the given numbers in order, then 0 for ever (a draw the saying repeats); counts how
// often it was seeded and drawn from.
class ScriptedRandom final : public RandomSource {
public:
    explicit ScriptedRandom(std::vector<float> values = {}) : values_(std::move(values)) {}
    void seedFromClock() override { ++seeds; }
    float next() override
    {
        const float value = draws < values_.size() ? values_[draws] : 0.0f;
        ++draws;
        return value;
    }

    int seeds = 0;
    std::size_t draws = 0;

private:
    std::vector<float> values_;
};

}  // namespace dovi
