// The date header of the main window: era line, day of the month, weekday line, window caption and
// the weekend colour of the day.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "calendar/clock.h"

namespace dovi {

inline constexpr std::uint32_t kSundayColor = 0x0000C0;    // dark red, stored as 0x00BBGGRR
inline constexpr std::uint32_t kSaturdayColor = 0xC00000;  // dark blue

struct DateHeader {
    std::string eraLine;      // "平成 12年1月  January 2000"
    std::string day;          // "20"
    std::string weekdayLine;  // "木曜日  Thursday"
    std::string caption;      // "1月20日: デイリオ 2000"
    std::optional<std::uint32_t> dayColor;  // std::nullopt: the design colour (weekdays)
};

DateHeader makeDateHeader(Date date);

// The era name and the year of the era, "平成 12", from ICU's Japanese calendar. The first year of
// an era is 1.
std::string eraYear(Date date);

}  // namespace dovi
