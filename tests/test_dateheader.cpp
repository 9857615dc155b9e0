// The date header: era line, day, weekday line, caption and weekend colour.
#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>

#include <unicode/calendar.h>
#include <unicode/gregocal.h>
#include <unicode/locid.h>
#include <unicode/smpdtfmt.h>
#include <unicode/timezone.h>

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

// ICU's own Japanese calendar and date formatter ("GGGG y", Gregorian throughout, noon UTC) as
// the yardstick for the era of any date.
class IcuEraFormat {
public:
    IcuEraFormat()
    {
        const icu::Locale locale("ja_JP@calendar=japanese");
        UErrorCode status = U_ZERO_ERROR;
        std::unique_ptr<icu::Calendar> calendar(
            icu::Calendar::createInstance(icu::TimeZone::getGMT()->clone(), locale, status));
        if (auto* gregorian = dynamic_cast<icu::GregorianCalendar*>(calendar.get()))
            gregorian->setGregorianChange(U_DATE_MIN, status);
        format_ = std::make_unique<icu::SimpleDateFormat>(icu::UnicodeString(u"GGGG y"), locale, status);
        format_->adoptCalendar(calendar.release());
        EXPECT_TRUE(U_SUCCESS(status));
    }
    std::string operator()(sys_days day) const
    {
        icu::UnicodeString text;
        format_->format(static_cast<double>(day.time_since_epoch().count()) * 86'400'000.0 + 43'200'000.0, text);
        std::string utf8;
        text.toUTF8String(utf8);
        return utf8;
    }

private:
    std::unique_ptr<icu::SimpleDateFormat> format_;
};

// Every week from the year 600 to 2100 against ICU's formatter, and every day of the weeks in
// which the era changes, so that each era's first day is checked exactly.
TEST(EraYear, AgreesWithIcuFormatterFrom600To2100)
{
    const IcuEraFormat icu;
    std::string previous = icu(sys_days{600y / 1 / 1});
    int changes = 0;
    for (sys_days week = sys_days{600y / 1 / 1} + days{7}; week <= sys_days{2100y / 1 / 1}; week += days{7}) {
        const std::string expected = icu(week);
        ASSERT_EQ(dovi::eraYear(Date{week}), expected) << static_cast<int>(Date{week}.year());
        const auto eraOf = [](const std::string& text) { return text.substr(0, text.rfind(' ')); };
        if (eraOf(expected) != eraOf(previous)) {
            ++changes;
            for (sys_days day = week - days{6}; day < week; day += days{1})
                ASSERT_EQ(dovi::eraYear(Date{day}), icu(day)) << static_cast<int>(Date{day}.year());
        }
        previous = expected;
    }
    EXPECT_GT(changes, 200);  // the eras from 大化 to 令和
}

}  // namespace
