// Registration rules without widgets: which day each month keeps, and the stored date text.
#include <gtest/gtest.h>

#include "register/registration.h"

namespace dovi {
namespace {

using namespace std::chrono;

struct DayCase {
    int month, day, expected;
};

TEST(Registration, DayAfterAMonthChange)
{
    const DayCase cases[] = {
        {2, 31, 29}, {4, 31, 30}, {6, 31, 30}, {9, 31, 30}, {11, 31, 30}, {1, 31, 31}, {3, 31, 31},
        {5, 31, 31}, {7, 31, 31}, {8, 31, 31}, {10, 31, 31}, {12, 31, 31}, {2, 30, 29}, {4, 30, 30},
        {2, 29, 29}, {2, 28, 28},
    };
    for (const auto& c : cases)
        EXPECT_EQ(dayForMonth(c.month, c.day), c.expected) << c.month << "/" << c.day;
}

TEST(Registration, DayWrapsWithinItsMonth)
{
    const DayCase cases[] = {
        // one step past either end
        {2, 30, 1}, {2, 0, 29}, {4, 31, 1}, {4, 0, 30}, {6, 31, 1}, {9, 0, 30}, {11, 31, 1},
        {1, 32, 1}, {1, 0, 31}, {3, 0, 31}, {12, 32, 1},
        // the bar's far end, reached in one move, is never kept as a day
        {2, 32, 1}, {2, 31, 1}, {6, 32, 1},
        // days of the month stay, 29 February included
        {2, 29, 29}, {2, 1, 1}, {6, 30, 30}, {8, 31, 31},
    };
    for (const auto& c : cases)
        EXPECT_EQ(keptDay(c.month, c.day), c.expected) << c.month << "/" << c.day;
}

TEST(Registration, RegistrationDateHasNoLeadingZeros)
{
    EXPECT_EQ(registrationDateText(year{2000} / January / 20), "2000/1/20");
    EXPECT_EQ(registrationDateText(year{2019} / December / 5), "2019/12/5");
}

}  // namespace
}  // namespace dovi
