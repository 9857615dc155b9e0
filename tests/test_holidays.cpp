// The equinox formula and Japan's public holidays computed for the years from 2000. Expected
// holidays are written down from the official list of national holidays.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "calendar/holidays.h"

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

// "2019-05-01"
std::string describe(Date date)
{
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02u-%02u", static_cast<int>(date.year()),
                  static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()));
    return text;
}

void expectHolidays(const std::vector<HolidayCase>& cases)
{
    for (const auto& c : cases)
        EXPECT_EQ(dovi::computedHoliday(c.date), c.name) << describe(c.date);
}

TEST(ComputedHoliday, MondayHolidays)
{
    expectHolidays({
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
    });
}

TEST(ComputedHoliday, EquinoxDays)
{
    expectHolidays({
        {2000y / 3 / 20, "春分の日"}, {2000y / 3 / 21, ""},
        {2002y / 3 / 21, "春分の日"}, {2002y / 3 / 20, ""},
        {2010y / 3 / 21, "春分の日"}, {2024y / 3 / 20, "春分の日"},
        {1999y / 3 / 21, ""},  // before 2000: left to the holiday table
        {2000y / 9 / 23, "秋分の日"}, {2000y / 9 / 22, ""},
        {2012y / 9 / 22, "秋分の日"}, {2012y / 9 / 23, ""},
        {2001y / 9 / 23, "秋分の日"},  // a Sunday ...
        {2001y / 9 / 24, "振替休日"},  // ... so the Monday is a substitute holiday
        {2016y / 9 / 22, "秋分の日"},
        {1999y / 9 / 23, ""},
        {2000y / 4 / 20, ""},  // equinox day numbers in other months
        {2000y / 8 / 23, ""},
    });
}

TEST(ComputedHoliday, EquinoxDaysFromTheSunEqualTheFormulaFrom2000To2099)
{
    // The holidays now follow the computed equinoxes; over the century the approximation was made
    // for, they must fall on the same days as before.
    for (int year = 2000; year <= 2099; ++year) {
        const auto names = dovi::computedHolidays(year);
        const auto march = sys_days{year_month_day{std::chrono::year{year} / 3 / dovi::equinoxDay(20.8431, year)}};
        const auto september = sys_days{year_month_day{std::chrono::year{year} / 9 / dovi::equinoxDay(23.2488, year)}};
        const auto first = sys_days{std::chrono::year{year} / 1 / 1};
        EXPECT_EQ(names[static_cast<std::size_t>((march - first).count())], "春分の日") << year;
        EXPECT_EQ(names[static_cast<std::size_t>((september - first).count())], "秋分の日") << year;
    }
}

TEST(ComputedHoliday, EquinoxDaysFrom2100AreTheAstronomicalOnes)
{
    // From 2100, which is no leap year, the formula falls a day early; the Sun's longitude
    // (0° on 2100-03-20 at about 22:00 JST, 180° on 2100-09-23 at about 07:00 JST) does not.
    expectHolidays({
        {2100y / 3 / 20, "春分の日"}, {2100y / 3 / 19, ""},
        {2100y / 9 / 23, "秋分の日"}, {2100y / 9 / 22, ""},
    });
}

TEST(ComputedHoliday, NothingBefore2000NorForInvalidDates)
{
    expectHolidays({
        {1999y / 1 / 1, ""}, {1999y / 5 / 4, ""}, {1999y / 12 / 23, ""},
        {2000y / 1 / 1, "元日"},
        {2021y / 2 / 29, ""}, {2000y / 13 / 1, ""}, {2000y / 2 / 30, ""},
    });
}

TEST(ComputedHoliday, ChangesOfTheLaw)
{
    expectHolidays({
        // 海の日 and 敬老の日: fixed days up to 2002, third Mondays from 2003.
        {2002y / 7 / 20, "海の日"}, {2002y / 7 / 15, ""},
        {2002y / 9 / 15, "敬老の日"}, {2002y / 9 / 16, "振替休日"},
        {2003y / 7 / 21, "海の日"}, {2003y / 7 / 20, ""},
        {2004y / 7 / 19, "海の日"}, {2004y / 7 / 20, ""},
        {2004y / 9 / 20, "敬老の日"}, {2004y / 9 / 15, ""},
        // 4/29 and 5/4 up to 2006 and from 2007; the substitute holiday from 2007.
        {2005y / 5 / 4, "国民の休日"}, {2006y / 4 / 29, "みどりの日"}, {2006y / 5 / 4, "国民の休日"},
        {2003y / 5 / 4, ""},  // a Sunday between two holidays
        {2003y / 5 / 6, ""},
        {2007y / 4 / 29, "昭和の日"}, {2007y / 4 / 30, "振替休日"}, {2007y / 5 / 4, "みどりの日"},
        {2008y / 5 / 4, "みどりの日"}, {2008y / 5 / 5, "こどもの日"}, {2008y / 5 / 6, "振替休日"},
        {2009y / 5 / 6, "振替休日"}, {2009y / 9 / 22, "国民の休日"},
        // 山の日 from 2016.
        {2015y / 8 / 11, ""}, {2015y / 9 / 22, "国民の休日"},
        {2016y / 8 / 11, "山の日"}, {2019y / 8 / 12, "振替休日"},
        // The imperial succession of 2019.
        {2018y / 12 / 23, "天皇誕生日"}, {2018y / 12 / 24, "振替休日"}, {2019y / 2 / 23, ""},
        {2019y / 12 / 23, ""}, {2020y / 2 / 23, "天皇誕生日"}, {2020y / 2 / 24, "振替休日"},
        {2018y / 5 / 1, ""}, {2020y / 5 / 1, ""}, {2020y / 10 / 22, ""},
        // The Olympic years 2020 and 2021.
        {2020y / 7 / 20, ""}, {2020y / 7 / 23, "海の日"}, {2020y / 7 / 24, "スポーツの日"},
        {2020y / 8 / 10, "山の日"}, {2020y / 8 / 11, ""}, {2020y / 10 / 12, ""},
        {2021y / 7 / 19, ""}, {2021y / 7 / 22, "海の日"}, {2021y / 7 / 23, "スポーツの日"},
        {2021y / 8 / 8, "山の日"}, {2021y / 8 / 9, "振替休日"}, {2021y / 8 / 11, ""},
        {2021y / 10 / 11, ""},
        {2022y / 7 / 18, "海の日"}, {2022y / 8 / 11, "山の日"}, {2022y / 10 / 10, "スポーツの日"},
    });
}

// Every day of the year that computedHoliday names, as "date name".
std::vector<std::string> holidaysOfYear(int y)
{
    std::vector<std::string> found;
    for (sys_days d = sys_days{year{y} / 1 / 1}; d <= sys_days{year{y} / 12 / 31}; d += days{1}) {
        const std::string name = dovi::computedHoliday(Date{d});
        if (!name.empty())
            found.push_back(describe(Date{d}) + " " + name);
    }
    return found;
}

TEST(ComputedHoliday, WholeYears)
{
    const std::vector<std::string> year2001 = {
        "2001-01-01 元日", "2001-01-08 成人の日", "2001-02-11 建国記念の日", "2001-02-12 振替休日",
        "2001-03-20 春分の日", "2001-04-29 みどりの日", "2001-04-30 振替休日",
        "2001-05-03 憲法記念日", "2001-05-04 国民の休日", "2001-05-05 こどもの日",
        "2001-07-20 海の日", "2001-09-15 敬老の日", "2001-09-23 秋分の日", "2001-09-24 振替休日",
        "2001-10-08 体育の日", "2001-11-03 文化の日", "2001-11-23 勤労感謝の日",
        "2001-12-23 天皇誕生日", "2001-12-24 振替休日",
    };
    const std::vector<std::string> year2019 = {
        "2019-01-01 元日", "2019-01-14 成人の日", "2019-02-11 建国記念の日", "2019-03-21 春分の日",
        "2019-04-29 昭和の日", "2019-04-30 国民の休日", "2019-05-01 即位の日",
        "2019-05-02 国民の休日", "2019-05-03 憲法記念日", "2019-05-04 みどりの日",
        "2019-05-05 こどもの日", "2019-05-06 振替休日", "2019-07-15 海の日", "2019-08-11 山の日",
        "2019-08-12 振替休日", "2019-09-16 敬老の日", "2019-09-23 秋分の日",
        "2019-10-14 体育の日", "2019-10-22 即位礼正殿の儀", "2019-11-03 文化の日",
        "2019-11-04 振替休日", "2019-11-23 勤労感謝の日",
    };
    const std::vector<std::string> year2026 = {
        "2026-01-01 元日", "2026-01-12 成人の日", "2026-02-11 建国記念の日",
        "2026-02-23 天皇誕生日", "2026-03-20 春分の日", "2026-04-29 昭和の日",
        "2026-05-03 憲法記念日", "2026-05-04 みどりの日", "2026-05-05 こどもの日",
        "2026-05-06 振替休日", "2026-07-20 海の日", "2026-08-11 山の日", "2026-09-21 敬老の日",
        "2026-09-22 国民の休日", "2026-09-23 秋分の日", "2026-10-12 スポーツの日",
        "2026-11-03 文化の日", "2026-11-23 勤労感謝の日",
    };
    EXPECT_EQ(holidaysOfYear(2001), year2001);
    EXPECT_EQ(holidaysOfYear(2019), year2019);
    EXPECT_EQ(holidaysOfYear(2026), year2026);
}

// Under the law in force since 2022 every year has each of its sixteen national holidays exactly
// once: no rule falls silent in some year and no holiday hides another.
TEST(ComputedHoliday, SixteenNationalHolidaysEachYearFrom2022)
{
    const char* const national[] = {
        "元日", "成人の日", "建国記念の日", "天皇誕生日", "春分の日", "昭和の日", "憲法記念日",
        "みどりの日", "こどもの日", "海の日", "山の日", "敬老の日", "秋分の日", "スポーツの日",
        "文化の日", "勤労感謝の日",
    };
    for (int y = 2022; y <= 2099; ++y) {
        std::map<std::string, int> count;
        for (sys_days d = sys_days{year{y} / 1 / 1}; d <= sys_days{year{y} / 12 / 31}; d += days{1})
            ++count[dovi::computedHoliday(Date{d})];
        for (const char* name : national)
            EXPECT_EQ(count[name], 1) << y << " " << name;
        EXPECT_EQ(count["体育の日"], 0) << y;
    }
}

// The year's list names each day as computedHoliday does, across the years where the rules
// change and at the ends of the range; years outside it list no holiday.
TEST(ComputedHolidays, YearListMatchesEachDay)
{
    for (const int y : {1999, 2000, 2001, 2006, 2007, 2016, 2019, 2020, 2021, 2024, 2099, 9999}) {
        const std::vector<std::string_view> names = dovi::computedHolidays(y);
        const sys_days first{year{y} / 1 / 1};
        ASSERT_EQ(names.size(), static_cast<std::size_t>((sys_days{year{y + 1} / 1 / 1} - first).count())) << y;
        for (std::size_t i = 0; i < names.size(); ++i) {
            const Date date{first + days{static_cast<int>(i)}};
            EXPECT_EQ(names[i], dovi::computedHoliday(date)) << describe(date);
        }
    }
    const auto none = dovi::computedHolidays(1998);
    EXPECT_EQ(std::count(none.begin(), none.end(), std::string_view()), 365);
    const auto leap = dovi::computedHolidays(2024);
    EXPECT_EQ(leap.size(), 366u);
    EXPECT_EQ(leap[0], "元日");
    EXPECT_EQ(leap[31 + 11], "振替休日");                // 2024-02-12, after Sunday 2/11
    EXPECT_EQ(leap[31 + 29 + 19], "春分の日");           // 2024-03-20
    EXPECT_EQ(leap[244 + 22], "振替休日");               // 2024-09-23, after Sunday 9/22
}

}  // namespace
