// dovi-cli page, holidays, header, add-birthday and add-special on real settings files.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdlib>
#include <nlohmann/json.hpp>
#include <sstream>

#include "settings/settingsfile.h"
#include "cli/commands.h"
#include "tests/clitest.h"
#include "tests/testutil.h"

namespace dovi {
namespace {

using nlohmann::json;

using test::CliResult;

// A registered man born on 5 July 1973, registered on 20 January 2000, with one holiday in the
// table and one saying that can be drawn.
class CliPage : public testing::Test {
protected:
    void SetUp() override
    {
        put("init", "使用者", "山田さん");
        put("init", "誕生日", " 1973/ 7/ 5");
        put("init", "性別", "男性");
        put("init", "登録日", "2000/1/20");
        put("init", "言霊総数", "2");
        put("休日", "01/01", "元日");
        put("言霊", "1", "継続は,力なり");
    }
    void put(std::string_view section, std::string_view key, std::string_view value)
    {
        ASSERT_TRUE(SettingsFile(ini).write(section, key, value).ok);
    }
    std::string read(std::string_view section, std::string_view key) { return SettingsFile(ini).read(section, key); }
    CliResult run(std::vector<std::string> args) { return test::runCli(ini, std::move(args)); }

    test::TempDir dir;
    const std::string ini = (dir / "dovi.ini").string();
};

// 10 January 2000, a Monday, at 08:00:20.
TEST_F(CliPage, OneStartOnComingOfAgeDay)
{
    const CliResult r = run({"page", "--at", "2000-01-10 08:00:20", "--json"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(json::parse(r.out), json::parse(R"({
        "caption": "1月10日: デイリオ 2000", "Label1": "平成 12年1月  January 2000", "Label2": "10",
        "Label3": "月曜日  Monday", "Label4": "あなたが生まれてから9685日目",
        "Label5": "おはよう，今日も素敵な山田さん", "Label6": "継続は", "Label7": "力なり", "Label8": "成人の日",
        "Label2Color": null, "Shape1": true, "msgList": ["あなたが生まれてから9685日目"], "msgCount": 1})"));

    // The same through the program itself.
    const std::string out = (dir / "out.json").string();
    const int status = std::system((std::string(DOVI_CLI) + " --ini '" + ini
                                    + "' page --at '2000-01-10 08:00:20' --json > '" + out + "'").c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(json::parse(test::readBytes(out)), json::parse(r.out));
}

TEST_F(CliPage, ReadableOutputAndTheMovesOfTheBuild)
{
    put("誕生日", "01/23", "次郎 1990");
    put("特別日", "a01/23", "初天神");
    const CliResult r = run({"page", "--at", "2000-01-23 13:00:12", "--seed", "5"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "平成 12年1月  January 2000\n"
                     "23  日曜日  Sunday\n"
                     "こんにちわ，山田さん\n"
                     "次郎 1990さん10才の誕生日\n"
                     "初天神\n"
                     "継続は\n"
                     "―― 力なり\n");
    EXPECT_EQ(read("誕生日", "a01/23"), "次郎 1990");
    EXPECT_EQ(read("誕生日", "01/23"), "0");
}

// A holiday gets its own line after the date; a day without messages shows the counter line.
TEST_F(CliPage, ReadableOutputOfAHoliday)
{
    const CliResult r = run({"page", "--at", "2000-01-10 08:00:20", "--seed", "5"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "平成 12年1月  January 2000\n"
                     "10  月曜日  Monday\n"
                     "成人の日\n"
                     "おはよう，今日も素敵な山田さん\n"
                     "あなたが生まれてから9685日目\n"
                     "継続は\n"
                     "―― 力なり\n");
}

TEST_F(CliPage, HelpAndVersionGoToStandardOutput)
{
    const CliResult help = run({"--help"});
    EXPECT_EQ(help.code, 0);
    EXPECT_EQ(help.err, "");
    for (const char* command : {"get", "set", "delete", "page", "holidays FROM [TO]", "header", "add-birthday", "add-special",
                                "koyomi FROM [TO] [--json]"})
        EXPECT_NE(help.out.find(std::string("dovi-cli [--ini PATH] ") + command), std::string::npos) << command;
    // A command without arguments ends its line with its name, not with a blank.
    EXPECT_NE(help.out.find("dovi-cli [--ini PATH] list-sayings\n"), std::string::npos);
    EXPECT_EQ(help.out.find(" \n"), std::string::npos) << help.out;
    const CliResult version = run({"--version"});
    EXPECT_EQ(version.code, 0);
    EXPECT_EQ(version.out, std::string("dovi-cli ") + DOVI_VERSION + "\n");
}

TEST_F(CliPage, FixedSeedRepeatsTheDraw)
{
    put("init", "言霊総数", "100");
    for (int k = 1; k < 100; ++k)
        put("言霊", std::to_string(k), "言葉" + std::to_string(k) + ",");
    const std::vector<std::string> args = {"page", "--at", "2000-01-20 08:00:20", "--seed", "7", "--json"};
    const std::string first = json::parse(run(args).out)["Label6"];
    EXPECT_EQ(json::parse(run(args).out)["Label6"], first);
    EXPECT_EQ(json::parse(run(args).out)["Label6"], first);
}

TEST_F(CliPage, BrokenFileAndUnregisteredUser)
{
    put("init", "使用者", "0");
    const CliResult broken = run({"page"});
    EXPECT_EQ(broken.code, 3);
    // A terminal user is pointed to the data folder, not to a reinstall that cannot help.
    EXPECT_NE(broken.err.find("has no user entry"), std::string::npos) << broken.err;
    EXPECT_NE(broken.err.find("$XDG_DATA_HOME/dovi"), std::string::npos) << broken.err;
    EXPECT_EQ(broken.err.find("インストール"), std::string::npos) << broken.err;
    const CliResult missing = test::runCli((dir / "nowhere" / "dovi.ini").string(), {"page"});
    EXPECT_EQ(missing.code, 3);
    EXPECT_NE(missing.err.find("there is no settings file"), std::string::npos) << missing.err;
    EXPECT_NE(missing.err.find("dovi-launch"), std::string::npos) << missing.err;

    put("init", "使用者", "");
    put("誕生日", "01/20", "次郎");
    const CliResult unregistered = run({"page", "--at", "2000-01-20 08:00:20"});
    EXPECT_EQ(unregistered.code, 4);
    EXPECT_NE(unregistered.err.find("dovi-cli register NAME"), std::string::npos) << unregistered.err;
    EXPECT_EQ(read("誕生日", "01/20"), "次郎");  // no build, no move
}

TEST_F(CliPage, BadArgumentsAreUsageErrors)
{
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"page", "--at", "2000-02-30 08:00:00"}, {"page", "--at", "2001-02-29 08:00:00"},
             {"page", "--at", "2000-01-10 24:00:00"}, {"page", "--at", "2000-01-10 08:00:60"},
             {"page", "--at", "2000-01-10"}, {"page", "--at", "2000-1-10 08:00:00"},
             {"page", "--at", "0000-01-10 08:00:00"}, {"page", "--at"}, {"page", "--seed", "-1"},
             {"page", "--yaml"}, {"header", "--at", "2000-13-01 00:00:00"}, {"holidays"}, {"holidays", "0"},
             {"holidays", "10000"}, {"holidays", "２０００"},
             {"holidays", "2001", "2000"}, {"holidays", "2000", "10000"}, {"holidays", "2000", "2001", "2002"},
             {"add-birthday", "02/30", "太郎"}, {"add-birthday", "13/01", "太郎"}, {"add-birthday", "04/31", "太郎"},
             {"add-birthday", "1/5", "太郎"}, {"add-birthday", "01/5", "太郎"}, {"add-birthday", "01/20", "太郎", "80"},
             {"add-birthday", "01/20"}, {"add-special", "01/20", "記念日", "余分"},
             // Values that would read back as "0", the text for "no entry".
             {"add-birthday", "01/20", "0"}, {"add-birthday", "01/20", " 0 "}, {"add-birthday", "01/20", "'0'"},
             {"add-special", "01/20", " \"0\" "}, {"add-special", "01/20", "\t'0'\t"}}) {
        const std::string before = test::readBytes(ini);
        const CliResult r = run(args);
        EXPECT_EQ(r.code, 2) << args[0] << ' ' << args.back();
        EXPECT_NE(r.err.find("usage"), std::string::npos) << args.back();
        EXPECT_EQ(test::readBytes(ini), before);
    }
}

TEST_F(CliPage, HolidaysOfAYear)
{
    put("休日", "03/22", "振替候補日");  // 1999: a Monday
    put("休日", "04/29", "みどりの日");
    put("休日", "04/30", "振替候補日");  // 1999: a Friday
    // Before 2000 nothing is computed: the table alone.
    EXPECT_EQ(run({"holidays", "1999"}).out, "1999-01-01\t元日\n1999-03-22\t振替休日\n1999-04-29\tみどりの日\n");
    const std::string computed = run({"holidays", "2000"}).out;
    EXPECT_NE(computed.find("2000-01-10\t成人の日\n"), std::string::npos);
    EXPECT_NE(computed.find("2000-10-09\t体育の日\n"), std::string::npos);
    EXPECT_EQ(computed.find("2000-03-21"), std::string::npos);
}

// One process for a range gives exactly the single years one after another.
TEST_F(CliPage, HolidaysOfARangeOfYears)
{
    put("休日", "05/06", "振替候補日");
    std::string joined;
    for (int year = 2000; year <= 2027; ++year) {
        const CliResult single = run({"holidays", std::to_string(year)});
        ASSERT_EQ(single.code, 0) << year;
        ASSERT_NE(single.out, "") << year;
        joined += single.out;
    }
    const CliResult range = run({"holidays", "2000", "2027"});
    EXPECT_EQ(range.code, 0);
    EXPECT_EQ(range.out, joined);
    EXPECT_EQ(run({"holidays", "2026", "2026"}).out, run({"holidays", "2026"}).out);
}

TEST_F(CliPage, HeaderWorksWithoutASettingsFile)
{
    std::filesystem::remove(ini);
    EXPECT_EQ(run({"header", "--at", "2000-01-20 12:00:00"}).out, "平成 12年1月  January 2000\n20  木曜日  Thursday\n");
    EXPECT_EQ(run({"header", "--at", "2019-05-01 00:00:00"}).out, "令和 1年5月  May 2019\n1  水曜日  Wednesday\n");
    EXPECT_EQ(run({"header"}).code, 0);
    EXPECT_FALSE(std::filesystem::exists(ini));
}

TEST_F(CliPage, AddTakesTheFirstFreeLetter)
{
    EXPECT_EQ(run({"add-birthday", "01/20", "太郎", "1980"}).out, "a01/20\n");
    EXPECT_EQ(run({"add-birthday", "01/20", "花子"}).out, "b01/20\n");
    put("誕生日", "d01/20", "四郎");
    EXPECT_EQ(run({"add-birthday", "01/20", "三郎"}).out, "c01/20\n");  // the gap: readers stop there
    EXPECT_EQ(run({"add-birthday", "02/29", "閏子", "1996"}).out, "a02/29\n");
    EXPECT_EQ(read("誕生日", "a01/20"), "太郎:1980");
    EXPECT_EQ(json::parse(run({"page", "--at", "2000-01-20 08:00:20", "--json"}).out)["msgList"],
              json::parse(R"(["太郎さん20才の誕生日", "花子さん 誕生日", "三郎さん 誕生日", "四郎さん 誕生日"])"));

    for (char letter = 'a'; letter <= 'z'; ++letter)
        EXPECT_EQ(run({"add-special", "12/03", std::string("記念日") + letter}).out, letter + std::string("12/03\n"));
    const std::string before = test::readBytes(ini);
    const CliResult full = run({"add-special", "12/03", "もう一つ"});
    EXPECT_EQ(full.code, 1);
    EXPECT_NE(full.err.find("26"), std::string::npos);
    EXPECT_EQ(test::readBytes(ini), before);
}

// Reading drops the blanks around a value and then one pair of quotes, nothing more: a value
// with blanks inside the quotes reads back with them, so it is an entry and is stored.
TEST_F(CliPage, AddStoresAValueThatReadsBackAsOtherThanZero)
{
    EXPECT_EQ(run({"add-special", "01/20", "' 0 '"}).out, "a01/20\n");
    EXPECT_EQ(read("特別日", "a01/20"), " 0 ");
    EXPECT_EQ(run({"add-special", "01/20", "\"'0'\""}).out, "b01/20\n");
    EXPECT_EQ(read("特別日", "b01/20"), "'0'");
}

TEST_F(CliPage, AddReportsAFailedWriteAndLeavesTheFileAlone)
{
    const std::string before = test::readBytes(ini);
    ASSERT_EQ(::chmod(ini.c_str(), 0444), 0);
    const CliResult r = run({"add-birthday", "01/20", "太郎", "1980"});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err, "");
    EXPECT_EQ(test::readBytes(ini), before);
}

}  // namespace
}  // namespace dovi
