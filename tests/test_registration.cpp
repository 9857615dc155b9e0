// Registration rules without widgets: which day each month keeps, and the stored date text.
#include <gtest/gtest.h>

#include "register/registration.h"

namespace dovi {
namespace {

using namespace std::chrono;

struct DayCase {
    int year, month, day, expected;
};

TEST(Registration, DayAfterAYearOrMonthChange)
{
    const DayCase cases[] = {
        {2000, 2, 31, 29}, {2000, 4, 31, 30}, {2000, 6, 31, 30}, {2000, 9, 31, 30}, {2000, 11, 31, 30},
        {2000, 1, 31, 31}, {2000, 3, 31, 31}, {2000, 5, 31, 31}, {2000, 7, 31, 31}, {2000, 8, 31, 31},
        {2000, 10, 31, 31}, {2000, 12, 31, 31}, {2000, 2, 30, 29}, {2000, 4, 30, 30}, {2000, 2, 29, 29},
        {2000, 2, 28, 28},
        // 29 February exists in leap years only: 1996 and 2000 are, 1900, 1973 and 2100 are not
        {1973, 2, 29, 28}, {1973, 2, 31, 28}, {1900, 2, 29, 28}, {2100, 2, 29, 28}, {1996, 2, 29, 29},
        {1973, 2, 28, 28},
    };
    for (const auto& c : cases)
        EXPECT_EQ(dayForMonth(c.year, c.month, c.day), c.expected) << c.year << "/" << c.month << "/" << c.day;
}

TEST(Registration, DayWrapsWithinItsMonth)
{
    const DayCase cases[] = {
        // one step past either end
        {2000, 2, 30, 1}, {2000, 2, 0, 29}, {2000, 4, 31, 1}, {2000, 4, 0, 30}, {2000, 6, 31, 1},
        {2000, 9, 0, 30}, {2000, 11, 31, 1}, {2000, 1, 32, 1}, {2000, 1, 0, 31}, {2000, 3, 0, 31},
        {2000, 12, 32, 1},
        // in a common year February ends on the 28th
        {1973, 2, 29, 1}, {1973, 2, 0, 28}, {2001, 2, 0, 28},
        // the bar's far end, reached in one move, is never kept as a day
        {2000, 2, 32, 1}, {2000, 2, 31, 1}, {2000, 6, 32, 1},
        // days of the month stay, 29 February of a leap year included
        {2000, 2, 29, 29}, {2000, 2, 1, 1}, {2000, 6, 30, 30}, {2000, 8, 31, 31},
    };
    for (const auto& c : cases)
        EXPECT_EQ(keptDay(c.year, c.month, c.day), c.expected) << c.year << "/" << c.month << "/" << c.day;
}

// A year of birth lies from 1 to this year: 2999 and 0 used to give 「ミライさん-973才の誕生日」.
TEST(Registration, BirthYearFromOneToThisYear)
{
    EXPECT_TRUE(isPossibleBirthYear(1, 2026));
    EXPECT_TRUE(isPossibleBirthYear(1973, 2026));
    EXPECT_TRUE(isPossibleBirthYear(2026, 2026));
    EXPECT_FALSE(isPossibleBirthYear(2027, 2026));
    EXPECT_FALSE(isPossibleBirthYear(2999, 2026));
    EXPECT_FALSE(isPossibleBirthYear(0, 2026));
    EXPECT_FALSE(isPossibleBirthYear(-5, 2026));
    EXPECT_EQ(birthYearRefusal(1973, 2026), "");
    EXPECT_EQ(birthYearRefusal(2999, 2026), "生まれた年（2999年）は、1年から今年（2026年）までの年にしてください。");
}

TEST(Registration, RegistrationDateHasNoLeadingZeros)
{
    EXPECT_EQ(registrationDateText(year{2000} / January / 20), "2000/1/20");
    EXPECT_EQ(registrationDateText(year{2019} / December / 5), "2019/12/5");
}

}  // namespace
}  // namespace dovi
