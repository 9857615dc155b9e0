// The local date and time, behind a seam so that every rule can be tested at a chosen moment.
#pragma once

#include <chrono>

namespace dovi {

using Date = std::chrono::year_month_day;

// A moment of local time, to the second.
struct LocalDateTime {
    Date date;
    int hour = 0;    // 0 to 23
    int minute = 0;  // 0 to 59
    int second = 0;  // 0 to 59
};

class Clock {
public:
    virtual ~Clock() = default;
    virtual LocalDateTime now() = 0;
};

// The machine's clock in the local time zone.
class SystemClock final : public Clock {
public:
    LocalDateTime now() override;
};

// Always the same moment; for tests and for `dovi-cli page --at`.
class FixedClock final : public Clock {
public:
    explicit FixedClock(LocalDateTime at) : at_(at) {}
    LocalDateTime now() override { return at_; }
    void set(LocalDateTime at) { at_ = at; }

private:
    LocalDateTime at_;
};

}  // namespace dovi
