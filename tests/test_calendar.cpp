// Weekday numbers, settings keys, profile dates and day counts.
#include <gtest/gtest.h>

#include <optional>

#include "calendar/calendar.h"

using namespace std::chrono;
using dovi::Date;

namespace {

struct WeekdayCase {
    Date date;
    int weekday;  // Sunday = 1
};

TEST(WeekdayNumber, KnownDatesSundayIsOne)
{
    const WeekdayCase cases[] = {
        {1900y / 1 / 1, 2},   // Monday
        {1970y / 1 / 1, 5},   // Thursday
        {2000y / 1 / 1, 7},   // Saturday
        {2000y / 1 / 20, 5},  // Thursday
        {2000y / 1 / 23, 1},  // Sunday
        {2000y / 2 / 29, 3},  // Tuesday
        {2001y / 9 / 11, 3},  // Tuesday
        {1973y / 7 / 5, 5},   // Thursday
    };
    for (const auto& c : cases)
        EXPECT_EQ(dovi::weekdayNumber(dovi::weekdayOf(c.date)), c.weekday) << sys_days{c.date}.time_since_epoch().count();
}

// Every day from 1800 to 2200 follows its predecessor by one weekday, wrapping after Saturday.
TEST(WeekdayNumber, AdvancesByOneEveryDay)
{
    int previous = dovi::weekdayNumber(dovi::weekdayOf(1799y / 12 / 31));
    for (sys_days d = sys_days{1800y / 1 / 1}; d <= sys_days{2200y / 12 / 31}; d += days{1}) {
        const int weekday = dovi::weekdayNumber(dovi::weekdayOf(Date{d}));
        ASSERT_GE(weekday, 1);
        ASSERT_LE(weekday, 7);
        ASSERT_EQ(weekday, previous % 7 + 1) << d.time_since_epoch().count();
        previous = weekday;
    }
}

TEST(DateKey, TwoDigitMonthAndDay)
{
    EXPECT_EQ(dovi::dateKey(2000y / 1 / 20), "01/20");
    EXPECT_EQ(dovi::dateKey(2000y / 12 / 3), "12/03");
    EXPECT_EQ(dovi::dateKey(2000y / 10 / 1), "10/01");
    EXPECT_EQ(dovi::dateKey(1999y / 9 / 30), "09/30");
    EXPECT_EQ(dovi::dateKey(2000y / 2 / 29), "02/29");
    EXPECT_EQ(dovi::dateKey(January / 9), "01/09");
    EXPECT_EQ(dovi::dateKey(December / 31), "12/31");
}

TEST(DateKey, ParsesOnlyTheTwoDigitFormOfARealDay)
{
    struct { const char* key; std::optional<month_day> day; } cases[] = {
        {"01/20", January / 20}, {"12/03", December / 3}, {"02/29", February / 29}, {"09/30", September / 30},
        {"1/20", std::nullopt},  {"01/5", std::nullopt},  {"02/30", std::nullopt}, {"04/31", std::nullopt},
        {"13/01", std::nullopt}, {"00/10", std::nullopt}, {"01/00", std::nullopt}, {"01-20", std::nullopt},
        {"a01/20", std::nullopt}, {"01/20 ", std::nullopt}, {"+1/20", std::nullopt}, {"", std::nullopt}};
    for (const auto& c : cases) {
        EXPECT_EQ(dovi::parseDateKey(c.key), c.day) << c.key;
        if (c.day) {
            EXPECT_EQ(dovi::dateKey(*c.day), c.key);
        }
    }
}

TEST(LetteredKey, LetterFromAUpwards)
{
    EXPECT_EQ(dovi::letteredKey(0, "01/20"), "a01/20");
    EXPECT_EQ(dovi::letteredKey(1, "01/20"), "b01/20");
    EXPECT_EQ(dovi::letteredKey(2, "12/03"), "c12/03");
    EXPECT_EQ(dovi::letteredKey(25, "12/03"), "z12/03");
}

struct ProfileDateCase {
    const char* text;
    std::optional<Date> date;
};

TEST(ParseProfileDate, AcceptsRealDays)
{
    const ProfileDateCase cases[] = {
        {" 1973/ 7/ 5", 1973y / 7 / 5},   // as the registration stores a birthday
        {"2000/1/20", 2000y / 1 / 20},    // as the registration stores its own date
        {"2000/01/20", 2000y / 1 / 20},   // two-digit month
        {"  1973/  7/  5", 1973y / 7 / 5},
        {" 2000/ 2/ 29", 2000y / 2 / 29},  // leap year divisible by 400
        {" 2004/ 2/ 29", 2004y / 2 / 29},
        {" 1800/ 1/ 1", 1800y / 1 / 1},
        {" 2099/ 12/ 31", 2099y / 12 / 31},
    };
    for (const auto& c : cases)
        EXPECT_EQ(dovi::parseProfileDate(c.text), c.date) << '"' << c.text << '"';
}

TEST(ParseProfileDate, RejectsTextThatNamesNoDay)
{
    const char* const cases[] = {
        " 1973/ 2/ 30", " 1973/ 4/ 31", " 1973/ 1/ 32", " 1999/ 2/ 29",
        " 1900/ 2/ 29",  // divisible by 100, not by 400: a common year
        " 2100/ 2/ 29",
        "", "0", " ", "abc", "平成12/1/20",
        "2000/13/1", "2000/0/1", "2000/1/0", "0/1/1",
        "2000/1", "2000/1/", "/1/20", "2000//20", "2000/1/20/",
        "2000/1/20x", "2000/1/20 ", "2000 /1/20", "2000-1-20",
        "+2000/1/20", "2000/-1/5",
        "12000/1/1", "2000/001/20", "2000/1/020",
        "\t2000/1/20",
    };
    for (const char* text : cases)
        EXPECT_EQ(dovi::parseProfileDate(text), std::nullopt) << '"' << text << '"';
}

TEST(DaysBetween, WholeDaysEitherWay)
{
    struct Case {
        Date from, to;
        long long days;
    };
    const Case cases[] = {
        {2000y / 1 / 20, 2000y / 1 / 20, 0},
        {2000y / 1 / 1, 2000y / 1 / 2, 1},
        {2000y / 1 / 2, 2000y / 1 / 1, -1},
        {2000y / 1 / 1, 2001y / 1 / 1, 366},
        {1900y / 1 / 1, 1901y / 1 / 1, 365},
        {1970y / 1 / 1, 2000y / 1 / 1, 10957},    // 946684800 s of Unix time
        {1900y / 1 / 1, 1970y / 1 / 1, 25567},    // 2208988800 s from 1900 to the Unix epoch
        {1900y / 1 / 1, 2000y / 1 / 1, 36524},    // beyond 16 bits
        {1800y / 1 / 1, 2000y / 1 / 1, 73048},    // Julian day numbers 2378497 and 2451545
        {2000y / 1 / 1, 1800y / 1 / 1, -73048},
    };
    for (const auto& c : cases)
        EXPECT_EQ(dovi::daysBetween(c.from, c.to), c.days)
            << sys_days{c.from}.time_since_epoch().count() << " -> "
            << sys_days{c.to}.time_since_epoch().count();
}

}  // namespace
