// Holidays that move from year to year: the Monday holidays of January and October and the two
// equinox days.
#include "page/holidays.h"

#include <climits>
#include <cmath>
#include <string_view>

#include "app/texts.h"
#include "page/calendar.h"

namespace dovi {

namespace {

// How a rule finds its day within its month.
enum class DayRule {
    SecondMonday,      // the Monday between the 8th and the 14th
    VernalEquinox,     // equinoxDay(20.8431, year)
    AutumnalEquinox,   // equinoxDay(23.2488, year)
};

struct HolidayRule {
    std::string_view name;
    unsigned month;  // 1 to 12
    DayRule day;
    int firstYear;   // the rule holds from this year ...
    int lastYear;    // ... up to and including this one
};

constexpr int kNoLastYear = INT_MAX;

// Tried in this order; the first row that holds names the day. The Monday holidays follow the
// law in force from 2000, the equinox days the usual approximation of the astronomical equinox
// for the years from 1980 to 2099 (also used beyond, as the page has no better one). Years
// before 2000 are left to the holiday table of the settings file.
constexpr HolidayRule kRules[] = {
    {texts::kComingOfAgeDay, 1, DayRule::SecondMonday, 2000, kNoLastYear},
    {texts::kSportsDay, 10, DayRule::SecondMonday, 2000, kNoLastYear},
    {texts::kVernalEquinoxDay, 3, DayRule::VernalEquinox, 2000, kNoLastYear},
    {texts::kAutumnalEquinoxDay, 9, DayRule::AutumnalEquinox, 2000, kNoLastYear},
};

constexpr int kMonday = 2;  // weekday number, Sunday = 1

bool dayMatches(DayRule rule, int year, int day, int weekday)
{
    switch (rule) {
    case DayRule::SecondMonday:
        return weekday == kMonday && day >= 8 && day <= 14;
    case DayRule::VernalEquinox:
        return day == equinoxDay(20.8431, year);
    case DayRule::AutumnalEquinox:
        return day == equinoxDay(23.2488, year);
    }
    return false;
}

}  // namespace

int equinoxDay(double c, int year)
{
    const int sinceBase = year - 1980;
    // Real division inside the inner floor: for years before 1980 it rounds towards −∞.
    const double leapDays = std::floor(static_cast<double>(sinceBase) / 4.0);
    return static_cast<int>(std::floor(c + 0.242194 * static_cast<double>(sinceBase) - leapDays));
}

std::string computedHoliday(Date date)
{
    const int year = static_cast<int>(date.year());
    const unsigned month = static_cast<unsigned>(date.month());
    const int day = static_cast<int>(static_cast<unsigned>(date.day()));
    const int weekday = weekdayNumber(date);

    for (const HolidayRule& rule : kRules) {
        if (year >= rule.firstYear && year <= rule.lastYear && month == rule.month
            && dayMatches(rule.day, year, day, weekday))
            return std::string(rule.name);
    }
    return {};
}

}  // namespace dovi
