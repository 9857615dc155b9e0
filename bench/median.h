// The median of a benchmark's samples.
#pragma once

#include <algorithm>
#include <vector>

namespace dovi::bench {

// The middle value of values, or the mean of the two middle ones for an even count (values must
// not be empty).
template <typename T>
double median(std::vector<T> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? static_cast<double>(values[n / 2])
                 : (static_cast<double>(values[n / 2 - 1]) + static_cast<double>(values[n / 2])) / 2;
}

}  // namespace dovi::bench
