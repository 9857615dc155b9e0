// The date header: era line, day, weekday line, caption and weekend colour.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "calendar/dateheader.h"

using namespace std::chrono;
using dovi::Date;

namespace {

TEST(DateHeader, TwentiethOfJanuary2000)
{
    const dovi::DateHeader header = dovi::makeDateHeader(2000y / 1 / 20);
    EXPECT_EQ(header.eraLine, "平成 12年1月  January 2000");
    EXPECT_EQ(header.day, "20");
    EXPECT_EQ(header.weekdayLine, "木曜日  Thursday");
    EXPECT_EQ(header.caption, "1月20日: デイリオ 2000");
    EXPECT_EQ(header.dayColor, std::nullopt);  // a Thursday keeps the design colour
}

TEST(DateHeader, NoLeadingZeros)
{
    const dovi::DateHeader header = dovi::makeDateHeader(2000y / 12 / 3);
    EXPECT_EQ(header.eraLine, "平成 12年12月  December 2000");
    EXPECT_EQ(header.day, "3");
    EXPECT_EQ(header.caption, "12月3日: デイリオ 2000");
}

TEST(DateHeader, WeekdayLinesAndColours)
{
    struct Case {
        Date date;
        const char* weekdayLine;
        std::optional<std::uint32_t> color;
    };
    const Case cases[] = {
        {2000y / 1 / 16, "日曜日  Sunday", 0x0000C0},
        {2000y / 1 / 17, "月曜日  Monday", std::nullopt},
        {2000y / 1 / 18, "火曜日  Tuesday", std::nullopt},
        {2000y / 1 / 19, "水曜日  Wednesday", std::nullopt},
        {2000y / 1 / 20, "木曜日  Thursday", std::nullopt},
        {2000y / 1 / 21, "金曜日  Friday", std::nullopt},
        {2000y / 1 / 22, "土曜日  Saturday", 0xC00000},
    };
    for (const auto& c : cases) {
        const dovi::DateHeader header = dovi::makeDateHeader(c.date);
        EXPECT_EQ(header.weekdayLine, c.weekdayLine);
        EXPECT_EQ(header.dayColor, c.color) << c.weekdayLine;
    }
}

TEST(DateHeader, EnglishMonthNames)
{
    const char* const lines[] = {
        "平成 13年1月  January 2001",  "平成 13年2月  February 2001", "平成 13年3月  March 2001",
        "平成 13年4月  April 2001",    "平成 13年5月  May 2001",      "平成 13年6月  June 2001",
        "平成 13年7月  July 2001",     "平成 13年8月  August 2001",   "平成 13年9月  September 2001",
        "平成 13年10月  October 2001", "平成 13年11月  November 2001", "平成 13年12月  December 2001",
    };
    for (unsigned m = 1; m <= 12; ++m)
        EXPECT_EQ(dovi::makeDateHeader(2001y / month{m} / 15).eraLine, lines[m - 1]);
}

TEST(EraYear, EraBoundaries)
{
    struct Case {
        Date date;
        const char* era;
    };
    const Case cases[] = {
        {1926y / 12 / 24, "大正 15"}, {1926y / 12 / 25, "昭和 1"},
        {1989y / 1 / 7, "昭和 64"},   {1989y / 1 / 8, "平成 1"},
        {2000y / 1 / 20, "平成 12"},  {2019y / 4 / 30, "平成 31"},
        {2019y / 5 / 1, "令和 1"},    {2019y / 12 / 31, "令和 1"},
        {2020y / 1 / 1, "令和 2"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(dovi::eraYear(c.date), c.era);
    EXPECT_EQ(dovi::makeDateHeader(2019y / 5 / 1).eraLine, "令和 1年5月  May 2019");
}

}  // namespace
