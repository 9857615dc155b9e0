// The equinox formula and the four computed holidays.
#include <gtest/gtest.h>

#include <string>

#include "page/holidays.h"

using namespace std::chrono;
using dovi::Date;

namespace {

TEST(EquinoxDay, SampleYears)
{
    struct Case {
        int year, march, september;
    };
    const Case cases[] = {
        {2000, 20, 23}, {2001, 20, 23}, {2002, 21, 23}, {2003, 21, 23}, {2004, 20, 23},
        {2012, 20, 22}, {2020, 20, 22}, {2092, 19, 22}, {2100, 19, 22},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(dovi::equinoxDay(20.8431, c.year), c.march) << c.year;
        EXPECT_EQ(dovi::equinoxDay(23.2488, c.year), c.september) << c.year;
    }
}

struct HolidayCase {
    Date date;
    const char* name;  // "" for no computed holiday
};

std::string describe(Date date)
{
    return std::to_string(static_cast<int>(date.year())) + "-"
           + std::to_string(static_cast<unsigned>(date.month())) + "-"
           + std::to_string(static_cast<unsigned>(date.day()));
}

TEST(ComputedHoliday, MondayHolidays)
{
    const HolidayCase cases[] = {
        {2000y / 1 / 10, "成人の日"},  // second Monday
        {2000y / 1 / 3, ""},           // first Monday
        {2000y / 1 / 17, ""},          // third Monday
        {2000y / 1 / 15, ""},          // the old fixed day, a Saturday in 2000
        {1999y / 1 / 11, ""},          // second Monday, but before 2000
        {2001y / 1 / 8, "成人の日"},
        {2008y / 1 / 14, "成人の日"},
        {2000y / 10 / 9, "体育の日"},
        {2000y / 10 / 10, ""},         // the old fixed day
        {2000y / 10 / 16, ""},
        {2008y / 10 / 13, "体育の日"},
        {1999y / 10 / 11, ""},
        {2000y / 2 / 14, ""},          // second Monday of a month without such a holiday
        {2000y / 5 / 8, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(dovi::computedHoliday(c.date), c.name) << describe(c.date);
}

TEST(ComputedHoliday, EquinoxDays)
{
    const HolidayCase cases[] = {
        {2000y / 3 / 20, "春分の日"}, {2000y / 3 / 21, ""},
        {2002y / 3 / 21, "春分の日"}, {2002y / 3 / 20, ""},
        {2010y / 3 / 21, "春分の日"}, {2024y / 3 / 20, "春分の日"},
        {1999y / 3 / 21, ""},  // before 2000: left to the holiday table
        {2000y / 9 / 23, "秋分の日"}, {2000y / 9 / 22, ""},
        {2012y / 9 / 22, "秋分の日"}, {2012y / 9 / 23, ""},
        {2001y / 9 / 23, "秋分の日"},  // a Sunday; no substitute is computed
        {2001y / 9 / 24, ""},
        {2016y / 9 / 22, "秋分の日"},
        {1999y / 9 / 23, ""},
        {2000y / 4 / 20, ""},  // equinox day numbers in other months
        {2000y / 8 / 23, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(dovi::computedHoliday(c.date), c.name) << describe(c.date);
}

// From 2000 to 2099 each year has exactly one computed holiday in each of January, March,
// September and October, and none in the other months.
TEST(ComputedHoliday, OnePerHolidayMonthEachYear)
{
    for (int y = 2000; y <= 2099; ++y) {
        int perMonth[13] = {};
        for (sys_days d = sys_days{year{y} / 1 / 1}; d <= sys_days{year{y} / 12 / 31}; d += days{1}) {
            const Date date{d};
            if (!dovi::computedHoliday(date).empty())
                ++perMonth[static_cast<unsigned>(date.month())];
        }
        for (unsigned m = 1; m <= 12; ++m) {
            const int expected = (m == 1 || m == 3 || m == 9 || m == 10) ? 1 : 0;
            EXPECT_EQ(perMonth[m], expected) << y << "-" << m;
        }
    }
}

}  // namespace
