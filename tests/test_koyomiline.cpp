// The 暦 as the windows show it, and its two switches in the settings file. The days are the hard
// cases of the 暦 (a new moon two minutes before midnight, the leap 11th month of 2033, a solar
// term seconds before midnight); their 旧暦 dates, 六曜 and terms are those of the independent
// table in tests/koyomi (swe_days.txt.gz, made from the Swiss Ephemeris).
#include <gtest/gtest.h>

#include "book/koyomisettings.h"
#include "book/snapshot.h"
#include "page/koyomiline.h"
#include "tests/testutil.h"

namespace dovi {
namespace {

using namespace std::chrono;

TEST(KoyomiLine, HardDaysReadAsTheIndependentTableHasThem)
{
    struct Case {
        Date date;
        const char* withRokuyo;
        const char* withoutRokuyo;
    } cases[] = {
        {year{2017} / February / 26, "旧暦二月一日 友引", "旧暦二月一日"},          // 朔 at 23:58 JST
        {year{2033} / December / 22, "旧暦閏十一月一日 大安", "旧暦閏十一月一日"},  // the leap 11th month
        {year{2034} / January / 20, "旧暦十二月一日 赤口　大寒", "旧暦十二月一日　大寒"},
        {year{1965} / September / 25, "旧暦九月一日 先負", "旧暦九月一日"},         // no leap month in 1965
        {year{2021} / February / 2, "旧暦十二月二十一日 友引　節分", "旧暦十二月二十一日　節分"},
        {year{2030} / February / 18, "旧暦一月十六日 仏滅　雨水", "旧暦一月十六日　雨水"},  // 雨水 at 23:59:56
        {year{2025} / December / 7, "旧暦十月十八日 先負　大雪", "旧暦十月十八日　大雪"},
        // 春分 is also 彼岸中日: the term names the day.
        {year{2026} / March / 20, "旧暦二月二日 先負　春分", "旧暦二月二日　春分"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.withRokuyo);
        const Koyomi koyomi = koyomiOf(c.date);
        EXPECT_EQ(koyomiLine(koyomi, true), c.withRokuyo);
        EXPECT_EQ(koyomiLine(koyomi, false), c.withoutRokuyo);
        EXPECT_EQ(koyomiLineFor(c.date, {true, true}), c.withRokuyo);
        EXPECT_EQ(koyomiLineFor(c.date, {true, false}), c.withoutRokuyo);
        EXPECT_EQ(koyomiLineFor(c.date, {false, true}), "");
    }
}

// A day with a customary day and no term shows the customary day; one with none shows nothing after
// the 六曜; outside the days the 暦 covers there is no line.
TEST(KoyomiLine, CustomaryDaysAndTheEdgesOfTheRange)
{
    EXPECT_EQ(koyomiLineFor(year{2026} / December / 31, {}), "旧暦十一月二十三日 先負　大晦日");
    EXPECT_EQ(koyomiLineFor(year{2026} / November / 3, {}), "旧暦九月二十四日 友引");
    EXPECT_EQ(koyomiLineFor(year{1899} / December / 31, {}), "");
    EXPECT_EQ(koyomiLineFor(year{2101} / January / 1, {}), "");
    EXPECT_EQ(koyomiLineFor(year{2026} / February / 30, {}), "");
    EXPECT_NE(koyomiLineFor(year{1900} / January / 1, {}), "");
    EXPECT_NE(koyomiLineFor(year{2100} / December / 31, {}), "");
}

TEST(KoyomiDetails, TheFullKoyomiOfADayLineByLine)
{
    // 2034-01-20: 丙子 day of 甲寅 year, 大寒 and its first pentad 款冬華.
    const Koyomi koyomi = koyomiOf(year{2034} / January / 20);
    EXPECT_EQ(koyomiDetails(koyomi, true).lines(),
              (std::vector<std::string>{"旧暦十二月一日", "六曜：赤口", "日の干支：丙子", "年の干支：甲寅", "月齢：29.3",
                                        "二十四節気：大寒", "七十二候：款冬華"}));
    const KoyomiDetails withoutRokuyo = koyomiDetails(koyomi, false);
    EXPECT_EQ(withoutRokuyo.date, std::vector<std::string>{"旧暦十二月一日"});
    EXPECT_EQ(withoutRokuyo.cycles, (std::vector<std::string>{"日の干支：丙子", "年の干支：甲寅", "月齢：29.3"}));
    EXPECT_EQ(withoutRokuyo.season, (std::vector<std::string>{"二十四節気：大寒", "七十二候：款冬華"}));
    // 2026-03-20: 春分 is 彼岸中日 as well; 2017-02-26 has no seasonal day.
    EXPECT_EQ(koyomiDetails(koyomiOf(year{2026} / March / 20), true).season,
              (std::vector<std::string>{"二十四節気：春分", "七十二候：雀始巣", "雑節：彼岸中日"}));
    EXPECT_TRUE(koyomiDetails(koyomiOf(year{2017} / February / 26), true).season.empty());

    const KoyomiMarks marks = koyomiMarks(koyomi, true);
    EXPECT_EQ(marks.rokuyo, "赤口");
    EXPECT_EQ(marks.seasonal, "大寒");
    EXPECT_EQ(koyomiMarks(koyomi, false).rokuyo, "");
    EXPECT_EQ(koyomiMarks(koyomiOf(year{2021} / February / 2), true).seasonal, "節分");
    EXPECT_EQ(koyomiMarks(koyomiOf(year{2017} / February / 26), true).seasonal, "");
}

// Both switches are on in a file that says nothing; only "しない" turns one off; storing one writes
// its key alone, in the file's own encoding, and reading writes nothing.
TEST(KoyomiSettings, AbsentMeansOnAndOneWriteChangesOneSwitch)
{
    test::TempDir dir;
    SettingsFile file(dir / "dovi.ini");
    ASSERT_TRUE(file.write("init", "使用者", "太郎さん").ok);
    const std::string before = test::readBytes(dir / "dovi.ini");
    EXPECT_EQ(BookSnapshot::read(file).koyomiSettings(), (KoyomiSettings{true, true}));
    EXPECT_EQ(test::readBytes(dir / "dovi.ini"), before);

    ASSERT_TRUE(storeKoyomiSwitch(file, KoyomiSwitch::Rokuyo, false).ok);
    EXPECT_EQ(BookSnapshot::read(file).koyomiSettings(), (KoyomiSettings{true, false}));
    ASSERT_TRUE(storeKoyomiSwitch(file, KoyomiSwitch::Line, false).ok);
    EXPECT_EQ(BookSnapshot::read(file).koyomiSettings(), (KoyomiSettings{false, false}));
    ASSERT_TRUE(storeKoyomiSwitch(file, KoyomiSwitch::Rokuyo, true).ok);
    EXPECT_EQ(BookSnapshot::read(file).koyomiSettings(), (KoyomiSettings{false, true}));
    // A Shift-JIS file stays Shift-JIS: 暦, 六曜, する, 表示 and しない in code page 932.
    EXPECT_EQ(test::readBytes(dir / "dovi.ini"),
              before + "[\x97\xef]\r\n\x98\x5a\x97\x6a=\x82\xb7\x82\xe9\r\n\x95\x5c\x8e\xa6=\x82\xb5\x82\xc8\x82\xa2\r\n");

    // Values a person may type by hand: only しない is off.
    for (const auto& [value, on] : std::initializer_list<std::pair<const char*, bool>>{
             {"しない", false}, {" しない ", false}, {"する", true}, {"off", true}, {"1", true}, {"", true}, {"0", true}}) {
        ASSERT_TRUE(file.write("暦", "表示", value).ok);
        EXPECT_EQ(BookSnapshot::read(file).koyomiSettings().line, on) << value;
    }
}

}  // namespace
}  // namespace dovi
