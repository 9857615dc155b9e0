// dovi-cli koyomi: the 暦 of days, as text and as JSON lines; limits of the range.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "tests/clitest.h"

using dovi::test::CliResult;
using dovi::test::runCli;

namespace {

// The settings file is not read by koyomi; a path that does not exist proves it.
CliResult koyomi(std::vector<std::string> args)
{
    args.insert(args.begin(), "koyomi");
    return runCli("/nonexistent/dovi.ini", args);
}

TEST(CliKoyomi, JsonLineHasExactlyTheDocumentedFields)
{
    const CliResult r = koyomi({"2017-02-18", "--json"});
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out,
              "{\"date\":\"2017-02-18\",\"lunarMonth\":1,\"leapMonth\":false,\"lunarDay\":22,\"rokuyo\":\"仏滅\","
              "\"dayKanshi\":\"丙子\",\"yearKanshi\":\"丁酉\",\"terms\":[\"雨水\"],\"zassetsu\":[],\"kou\":\"土脉潤起\","
              "\"moonAge\":21.1}\n");
}

TEST(CliKoyomi, RangeGivesOneLineADay)
{
    const CliResult r = koyomi({"2033-12-20", "2034-01-20", "--json"});
    EXPECT_EQ(r.code, 0);
    std::istringstream lines(r.out);
    std::string line;
    int n = 0;
    while (std::getline(lines, line)) {
        const auto json = nlohmann::json::parse(line);
        if (json["date"] == "2033-12-22") {
            EXPECT_EQ(json["lunarMonth"], 11);
            EXPECT_EQ(json["leapMonth"], true);
            EXPECT_EQ(json["lunarDay"], 1);
        }
        if (json["date"] == "2034-01-20") {
            EXPECT_EQ(json["lunarMonth"], 12);
            EXPECT_EQ(json["leapMonth"], false);
        }
        if (json["date"] == "2033-12-21") {
            EXPECT_EQ(json["terms"], nlohmann::json::array({"冬至"}));
        }
        ++n;
    }
    EXPECT_EQ(n, 32);
}

TEST(CliKoyomi, TextForPeople)
{
    const CliResult r = koyomi({"2021-02-02", "2021-02-03"});
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out,
              "2021-02-02 旧暦十二月二十一日 友引 辛巳日 辛丑年 月齢19.9 節分\n"
              "2021-02-03 旧暦十二月二十二日 先負 壬午日 辛丑年 月齢20.9 立春 候:東風解凍\n");
}

TEST(CliKoyomi, OutsideTheRangeOrBadInputExitsWithTwo)
{
    for (const auto& args : std::vector<std::vector<std::string>>{{"1899-12-31"}, {"2100-12-31", "2101-01-01"}}) {
        const CliResult r = koyomi(args);
        EXPECT_EQ(r.code, 2) << args[0];
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err, "dovi-cli: the 暦 is computed for the days from 1900-01-01 to 2100-12-31 only.\n");
    }
    EXPECT_EQ(koyomi({"2000-01-02", "2000-01-01"}).code, 2);
    for (const auto& args : std::vector<std::vector<std::string>>{
             {}, {"2001-02-29"}, {"2001-2-3"}, {"20010203"}, {"2001-01-01", "2001-01-02", "2001-01-03"}, {"--yaml"}})
        EXPECT_EQ(koyomi(args).code, 2);
    EXPECT_EQ(koyomi({"1900-01-01"}).code, 0);
    EXPECT_EQ(koyomi({"2100-12-31"}).code, 0);
}

// The year's 二十四節気 and 雑節 as another program reads them: Python's icalendar module.
TEST(CliKoyomi, ExportIcsOfAYearHasEveryTermAndCustomaryDay)
{
    const std::string dir = ::testing::TempDir();
    const std::string ics = dir + "/koyomi2021.ics";
    const CliResult r = koyomi({});  // the command's name alone: usage
    EXPECT_EQ(r.code, 2);
    const CliResult e = runCli("/nonexistent/dovi.ini", {"export-ics", "--koyomi", "2021", ics});
    ASSERT_EQ(e.code, 0) << e.err;
    const std::string script = dir + "/readkoyomi.py";
    {
        std::ofstream py(script);
        py << "import sys, icalendar\n"
              "cal = icalendar.Calendar.from_ical(open(sys.argv[1], 'rb').read())\n"
              "for e in cal.walk('VEVENT'):\n"
              "    print(e.decoded('dtstart').isoformat(), str(e['summary']), 'rrule' in e)\n";
    }
    const std::string out = dir + "/koyomi2021.txt";
    ASSERT_EQ(std::system(("/usr/bin/python3 '" + script + "' '" + ics + "' > '" + out + "'").c_str()), 0);
    std::ifstream in(out);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    // 24 terms; 節分, 2 × (彼岸入り, 中日, 明け, 社日), 八十八夜, 入梅, 半夏生, 4 × 土用入り,
    // 二百十日, 二百二十日, 大晦日.
    EXPECT_EQ(lines.size(), 24u + 1 + 8 + 1 + 1 + 1 + 4 + 1 + 1 + 1);
    auto has = [&](const std::string& line) { return std::find(lines.begin(), lines.end(), line) != lines.end(); };
    // Published for 2021: 立春 on 3 February (at 23:59 JST), so 節分 on the 2nd.
    EXPECT_TRUE(has("2021-02-02 節分 False"));
    EXPECT_TRUE(has("2021-02-03 立春 False"));
    EXPECT_TRUE(has("2021-03-20 春分 False"));
    EXPECT_TRUE(has("2021-05-01 八十八夜 False"));
    EXPECT_TRUE(has("2021-12-22 冬至 False"));
    EXPECT_EQ(runCli("/nonexistent/dovi.ini", {"export-ics", "--koyomi", "2101"}).code, 2);
    EXPECT_EQ(runCli("/nonexistent/dovi.ini", {"export-ics", "--koyomi"}).code, 2);
}

// The command is in the usage text, the manual page and the README.
TEST(CliKoyomi, IsDocumented)
{
    const CliResult help = runCli("/nonexistent/dovi.ini", {"--help"});
    EXPECT_NE(help.out.find("dovi-cli [--ini PATH] koyomi FROM [TO] [--json]"), std::string::npos);
    std::ifstream man(DOVI_DATA "/man/dovi-cli.1");
    std::ifstream readme(DOVI_DATA "/../README.md");
    const std::string manText((std::istreambuf_iterator<char>(man)), {});
    const std::string readmeText((std::istreambuf_iterator<char>(readme)), {});
    EXPECT_NE(manText.find("\\fBkoyomi\\fR"), std::string::npos);
    EXPECT_NE(manText.find("2033"), std::string::npos);
    EXPECT_NE(readmeText.find("dovi-cli koyomi"), std::string::npos);
    EXPECT_NE(readmeText.find("export-ics --koyomi"), std::string::npos);
}

}  // namespace
