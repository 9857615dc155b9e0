// The day page below the date header, built once per enabling of the build timer: greeting,
// birthday book, special days, holiday, life counter and saying.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "calendar/clock.h"
#include "page/random.h"
#include "settings/settingsfile.h"

namespace dovi {

inline constexpr int kMsgListSize = 26;

// What the page build found for the day, by role. pageLabels() turns it into what each label of the
// window shows.
struct DayPage {
    std::string greeting;                  // greeting or birthday wish with the user's name
    std::optional<std::string> holiday;    // set when the holiday mark shows; the name may be ""
    std::array<std::string, kMsgListSize> messages;  // birthdays, then special days
    std::int16_t messageCount = 0;         // 0 to 26: the entries of messages in use
    std::optional<std::string> counterLine;  // days lived or used, on a day without messages
    std::string saying;                    // the saying, or the title when none can be drawn
    std::string sayingSource;              // its source, or the credit line
};

// Runs the whole build on settings at the clock's time, with its reads and writes in order.
DayPage buildDayPage(SettingsStore& settings, Clock& clock, RandomSource& random);

// The number N of "言霊総数": a decimal integer with an optional sign, in the 16-bit signed range;
// any other text, and a missing key ("0"), gives 0. The page draws keys 1 to N − 1.
int sayingCount(std::string_view text);

// The holiday the page shows for date: from the settings file's table, its substitute marker, or
// the computed holidays. mark is true when the holiday mark is shown; name may be "" with the mark.
struct HolidayShown {
    bool mark = false;
    std::string name;
};
HolidayShown lookupHoliday(SettingsStore& settings, Date date);

// Every day of year on which the page shows a holiday, in date order, with what lookupHoliday
// gives for it. Reads the holiday table in one access where the store can list a section.
std::vector<std::pair<Date, HolidayShown>> holidaysOfYear(SettingsStore& settings, int year);

}  // namespace dovi
