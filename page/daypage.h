// The day page below the date header, built once per enabling of the build timer: greeting,
// birthday book, special days, holiday, life counter and saying.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "calendar/clock.h"
#include "page/random.h"
#include "settings/settingsfile.h"

namespace dovi {

inline constexpr int kMsgListSize = 26;

// What the page build shows. Fields left std::nullopt are not touched by the build.
struct DayPage {
    std::string label5;                    // greeting line
    bool holidayMark = false;              // Shape1 made visible
    std::optional<std::string> label8;     // holiday name
    std::array<std::string, kMsgListSize> msgList;
    std::int16_t msgCount = 0;             // after the build: at least 1
    std::optional<std::string> label4;     // the counter line, when the day has no messages
    std::string label6;                    // saying, or the title
    std::string label7;                    // source of the saying, or the credit line
};

// Runs the whole build on settings at the clock's time, with its reads and writes in order.
DayPage buildDayPage(SettingsStore& settings, Clock& clock, RandomSource& random);

// The holiday the page shows for date: from the settings file's table, its substitute marker, or
// the computed holidays. mark is true when the holiday mark is shown; name may be "" with the mark.
struct HolidayShown {
    bool mark = false;
    std::string name;
};
HolidayShown lookupHoliday(SettingsStore& settings, Date date);

}  // namespace dovi
