// dovi-cli list, edit-, remove-, move-, the saying commands and export-ics on real settings files.
#include <gtest/gtest.h>

#include <poll.h>
#include <sys/inotify.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <optional>
#include <sstream>
#include <thread>

#include "book/bookedit.h"
#include "cli/commands.h"
#include "settings/filelock.h"
#include "settings/settingsfile.h"
#include "tests/clitest.h"
#include "tests/testutil.h"

namespace dovi {
namespace {

using test::CliResult;

class CliBook : public testing::Test {
protected:
    void SetUp() override
    {
        test::writeBytes(ini, "[init]\r\n言霊総数=3\r\n[誕生日]\r\na01/20=太郎:1980\r\nb01/20=花子\r\n"
                              "a02/29=閏:2000\r\n[特別日]\r\na01/20=大寒\r\nc01/20=見えない日\r\n"
                              "[言霊]\r\n1=急がば回れ,ことわざ\r\n2=継続は,力なり\r\n");
    }
    CliResult run(std::vector<std::string> args) { return test::runCli(ini, std::move(args)); }

    test::TempDir dir;
    const std::string ini = (dir / "dovi.ini").string();
};

TEST_F(CliBook, ListsTheEntriesAsThePageReadsThem)
{
    const CliResult day = run({"list", "01/20"});
    EXPECT_EQ(day.code, 0);
    EXPECT_EQ(day.out, "01/20\t誕生日\ta\t太郎\t1980\n01/20\t誕生日\tb\t花子\t\n01/20\t特別日\ta\t大寒\n");
    EXPECT_EQ(day.err, "dovi-cli: 特別日 c01/20 comes after a gap in the letters of 01/20, so the page never shows it\n");

    const CliResult all = run({"list"});
    EXPECT_EQ(all.out, day.out + "02/29\t誕生日\ta\t閏\t2000\n");

    EXPECT_EQ(run({"list-sayings"}).out, "1\t急がば回れ\tことわざ\n2\t継続は\t力なり\n");
}

TEST_F(CliBook, ChangesAndTheirRefusals)
{
    EXPECT_EQ(run({"edit-birthday", "01/20", "b", "花子", "1975"}).code, 0);
    EXPECT_EQ(run({"move-birthday", "01/20", "b", "a"}).code, 0);
    EXPECT_EQ(run({"remove-birthday", "01/20", "b"}).code, 0);
    EXPECT_EQ(run({"edit-special", "01/20", "a", "大寒の日"}).code, 0);
    EXPECT_EQ(run({"list", "01/20"}).out, "01/20\t誕生日\ta\t花子\t1975\n01/20\t特別日\ta\t大寒の日\n");

    const std::string before = test::readBytes(ini);
    struct Case {
        std::vector<std::string> args;
        int code;
        std::string err;  // the first line of stderr
    };
    const int thisYear = int(std::chrono::year_month_day(std::chrono::floor<std::chrono::days>(std::chrono::system_clock::now())).year());
    const std::string kBirthYearError = "dovi-cli: the year of birth must lie from 1 to this year (" +
                                        std::to_string(thisYear) + "); a later year would give a negative age";
    const Case cases[] = {
        {{"edit-birthday", "01/20", "a", "0"}, 1,
         "dovi-cli: an entry that reads as \"0\" would count as no entry"},
        {{"edit-special", "01/20", "a", " '0' "}, 1, "dovi-cli: an entry that reads as \"0\" would count as no entry"},
        {{"edit-birthday", "01/20", "a", "a:b"}, 1,
         "dovi-cli: the name may not contain \":\": the page would cut the name there"},
        {{"add-birthday", "01/20", "山田,花子", "1980"}, 1,
         "dovi-cli: the name may not contain \",\": the page would cut the name there"},
        {{"edit-special", "01/20", "a", "大\n寒"}, 1,
         "dovi-cli: the value cannot contain a line break (U+000A)"},
        {{"remove-special", "01/20", "b"}, 1, "dovi-cli: there is no such entry on 01/20"},
        {{"remove-saying", "3"}, 1, "dovi-cli: there is no saying number 3"},
        {{"add-saying", "急がば,回れ", "x"}, 1,
         "dovi-cli: the saying may not contain \",\": the page would show the rest as its source"},
        {{"remove-birthday", "1/20", "a"}, 2,
         "dovi-cli: the day must be MM/DD with two digits each, naming a real day"},
        {{"remove-birthday", "01/20", "A"}, 2, "dovi-cli: the letter must be one of a to z"},
        {{"edit-birthday", "01/20", "a", "花子", "75"}, 2, "dovi-cli: the year of birth must have four digits"},
        // 「ミライさん-973才の誕生日」: a year after this one, or year 0, is no year of birth
        {{"edit-birthday", "01/20", "a", "ミライ", "2999"}, 2, kBirthYearError},
        {{"edit-birthday", "01/20", "a", "ミライ", "0000"}, 2, kBirthYearError},
        {{"add-birthday", "01/20", "ミライ", "2999"}, 2, kBirthYearError},
        {{"add-birthday", "01/20", "ミライ", "0000"}, 2, kBirthYearError},
        {{"move-saying", "1"}, 2, "dovi-cli: move-saying needs a number and the new number"},
        {{"edit-saying", "0", "a", "b"}, 2, "dovi-cli: the number must be a whole number from 1 to 32767"},
        {{"list", "02/30"}, 2, "dovi-cli: the day must be MM/DD with two digits each, naming a real day"},
    };
    for (const Case& c : cases) {
        const CliResult r = run(c.args);
        EXPECT_EQ(r.code, c.code) << c.args[0];
        EXPECT_EQ(r.err.substr(0, r.err.find('\n')), c.err) << c.args[0];
    }
    EXPECT_EQ(test::readBytes(ini), before);
}

TEST_F(CliBook, SayingsKeepTheirCount)
{
    const CliResult added = run({"add-saying", "塵も積もれば山となる", "ことわざ"});
    EXPECT_EQ(added.code, 0);
    EXPECT_EQ(added.out, "3\n");
    EXPECT_EQ(run({"get", "init", "言霊総数"}).out, "4\n");
    EXPECT_EQ(run({"remove-saying", "1"}).code, 0);
    EXPECT_EQ(run({"move-saying", "2", "1"}).code, 0);
    EXPECT_EQ(run({"edit-saying", "2", "継続は", "力なり"}).code, 0);
    EXPECT_EQ(run({"list-sayings"}).out, "1\t塵も積もれば山となる\tことわざ\n2\t継続は\t力なり\n");
    EXPECT_EQ(run({"get", "init", "言霊総数"}).out, "3\n");
}

TEST_F(CliBook, EntriesNamedByTheirText)
{
    EXPECT_EQ(run({"edit-birthday", "01/20", "花子", "花子", "1975"}).code, 0);
    EXPECT_EQ(run({"move-birthday", "01/20", "花子", "a"}).code, 0);
    EXPECT_EQ(run({"edit-special", "01/20", "大寒", "大寒の日"}).code, 0);
    EXPECT_EQ(run({"list", "01/20"}).out,
              "01/20\t誕生日\ta\t花子\t1975\n01/20\t誕生日\tb\t太郎\t1980\n01/20\t特別日\ta\t大寒の日\n");
    // The name as list shows it, without the year.
    EXPECT_EQ(run({"remove-birthday", "01/20", "太郎"}).code, 0);
    EXPECT_EQ(run({"remove-special", "01/20", "大寒の日"}).code, 0);
    EXPECT_EQ(run({"list", "01/20"}).out, "01/20\t誕生日\ta\t花子\t1975\n");

    // A saying by its text as list-sayings shows it; plain digits stay its number.
    EXPECT_EQ(run({"edit-saying", "継続は", "継続は", "力なり（格言）"}).code, 0);
    EXPECT_EQ(run({"move-saying", "継続は", "1"}).code, 0);
    EXPECT_EQ(run({"remove-saying", "急がば回れ"}).code, 0);
    EXPECT_EQ(run({"list-sayings"}).out, "1\t継続は\t力なり（格言）\n");
}

TEST_F(CliBook, ANameThatFitsSeveralEntriesOrNoneIsRefused)
{
    test::writeBytes(ini, "[誕生日]\r\na07/05=花子:1980\r\nb07/05=太郎\r\nc07/05=花子\r\nd07/05=x\r\n"
                          "[特別日]\r\na07/05=七夕の前\r\n[init]\r\n言霊総数=4\r\n"
                          "[言霊]\r\n1=一期一会,甲\r\n2=一期一会,乙\r\n3=三,\r\n");
    const std::string before = test::readBytes(ini);
    const CliResult twice = run({"remove-birthday", "07/05", "花子"});
    EXPECT_EQ(twice.code, 1);
    EXPECT_EQ(twice.err, "dovi-cli: 2 entries on 07/05 are named 花子; name the one you mean by its letter:\n"
                         "  a  花子  1980\n  c  花子\n");
    const CliResult sayings = run({"edit-saying", "一期一会", "一期一会", "丙"});
    EXPECT_EQ(sayings.code, 1);
    EXPECT_EQ(sayings.err, "dovi-cli: 2 sayings read 一期一会; name the one you mean by its number:\n"
                           "  1  一期一会  甲\n  2  一期一会  乙\n");

    const CliResult none = run({"move-birthday", "07/05", "次郎", "a"});
    EXPECT_EQ(none.code, 1);
    EXPECT_EQ(none.err,
              "dovi-cli: there is no person named 次郎 on 07/05; dovi-cli list 07/05 shows the entries with their letters\n");
    EXPECT_EQ(run({"remove-special", "07/05", "七夕"}).err,
              "dovi-cli: there is no special day named 七夕 on 07/05; dovi-cli list 07/05 shows the entries with their "
              "letters\n");
    EXPECT_EQ(run({"remove-saying", "二"}).err,
              "dovi-cli: there is no saying 二; dovi-cli list-sayings shows the sayings with their numbers\n");
    // The entry whose name is the letter x is named by its letter d; x names the letter.
    EXPECT_EQ(run({"remove-birthday", "07/05", "x"}).err, "dovi-cli: there is no such entry on 07/05\n");
    EXPECT_EQ(test::readBytes(ini), before);
    EXPECT_EQ(run({"remove-birthday", "07/05", "d"}).code, 0);
}

// The command reads 乙 under c; before it writes, another program removes the first person and 丙
// moves up to c. The removal is refused with a sentence and nothing is written: it never takes 丙.
TEST_F(CliBook, ANameSeenBeforeAnotherProgramsChangeIsRefusedAndNothingIsWritten)
{
    test::writeBytes(ini, "[誕生日]\r\na07/05=与謝野晶子\r\nb07/05=甲\r\nc07/05=乙\r\nd07/05=丙\r\n");
    SettingsFile other(ini);
    auto hold = other.lockForUpdate();  // the command waits for it before its write
    const int watch = inotify_init1(IN_CLOEXEC);
    ASSERT_GE(watch, 0);
    ASSERT_GE(inotify_add_watch(watch, lockFileOf(ini).c_str(), IN_OPEN), 0);

    CliResult result{};
    std::thread command([&] { result = run({"remove-birthday", "07/05", "乙"}); });
    // The command opens the lock file when it is about to write, after it has read the file and
    // found the name.
    pollfd read{watch, POLLIN, 0};
    const bool seen = ::poll(&read, 1, 10000) == 1;
    EXPECT_TRUE(seen);
    EXPECT_TRUE(removeBookEntry(other, Book::Birthdays, "07/05", SeenEntry{'a', "与謝野晶子"}).ok);
    const std::string changed = test::readBytes(ini);
    hold.reset();
    command.join();
    ::close(watch);

    EXPECT_EQ(result.code, 1);
    EXPECT_EQ(result.err, "dovi-cli: entry c of 07/05 no longer holds \"乙\": another program changed the entries "
                          "meanwhile; nothing was changed\n");
    EXPECT_EQ(test::readBytes(ini), changed);
    EXPECT_EQ(changed, "[誕生日]\r\na07/05=甲\r\nb07/05=乙\r\nc07/05=丙\r\n");
}

// One reading of a year for every command, each with its own bounds and length: holidays takes
// any number of digits, a year of birth and the 暦 year exactly four.
TEST(CliYears, EachCommandKeepsItsRuleForAYear)
{
    struct Case {
        const char* text;
        std::optional<int> holidays, birth, koyomi;
    };
    const Case cases[] = {
        {"2000", 2000, 2000, 2000},
        {"02000", 2000, std::nullopt, std::nullopt},
        {"0000000000002000", 2000, std::nullopt, std::nullopt},
        {"75", 75, std::nullopt, std::nullopt},
        {"0075", 75, 75, std::nullopt},
        {"0000", std::nullopt, 0, std::nullopt},  // a year of birth then says why 0 is none
        {"9999", 9999, 9999, std::nullopt},
        {"10000", std::nullopt, std::nullopt, std::nullopt},
        {"99999999999999999999", std::nullopt, std::nullopt, std::nullopt},
        {"1899", 1899, 1899, std::nullopt},
        {"2100", 2100, 2100, 2100},
        {"+200", std::nullopt, std::nullopt, std::nullopt},
        {"-999", std::nullopt, std::nullopt, std::nullopt},
        {" 2000", std::nullopt, std::nullopt, std::nullopt},
        {"２０００", std::nullopt, std::nullopt, std::nullopt},
        {"", std::nullopt, std::nullopt, std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(cli::parseYear(c.text, 1, 9999, false), c.holidays) << c.text;
        EXPECT_EQ(cli::parseYear(c.text, 0, 9999, true), c.birth) << c.text;
        EXPECT_EQ(cli::parseYear(c.text, 1900, 2100, true), c.koyomi) << c.text;
    }

    // The same through the commands.
    test::TempDir dir;
    const std::string ini = (dir / "dovi.ini").string();
    test::writeBytes(ini, "[誕生日]\r\na01/20=太郎\r\n");
    EXPECT_EQ(test::runCli(ini, {"holidays", "02000"}).out, test::runCli(ini, {"holidays", "2000"}).out);
    EXPECT_EQ(test::runCli(ini, {"add-birthday", "01/20", "花子", "02000"}).code, 2);
    EXPECT_EQ(test::runCli(ini, {"edit-birthday", "01/20", "a", "太郎", "0075"}).code, 0);
    EXPECT_EQ(test::runCli(ini, {"list", "01/20"}).out, "01/20\t誕生日\ta\t太郎\t75\n");
    EXPECT_EQ(test::runCli(ini, {"export-ics", "--koyomi", "02100"}).code, 2);
}

// The export as another program reads it: Python's icalendar module, one line per event.
TEST_F(CliBook, ExportParsesAsICalendarWithOneYearlyEventPerEntry)
{
    const std::string ics = (dir / "book.ics").string();
    const CliResult r = run({"export-ics", ics});
    ASSERT_EQ(r.code, 0) << r.err;
    const std::string bytes = test::readBytes(ics);
    EXPECT_NE(bytes.find("\r\nEND:VCALENDAR\r\n"), std::string::npos);

    const std::string script = (dir / "read.py").string();
    test::writeBytes(script, "import sys, icalendar\n"
                             "cal = icalendar.Calendar.from_ical(open(sys.argv[1], 'rb').read())\n"
                             "for e in cal.walk('VEVENT'):\n"
                             "    s = e.decoded('dtstart')\n"
                             "    print(e['uid'], type(s).__name__, s.isoformat(), e['rrule'].to_ical().decode(),\n"
                             "          str(e['summary']), str(e.get('description', '-')), sep='|')\n");
    const std::string out = (dir / "events.txt").string();
    const int status = std::system(("/usr/bin/python3 '" + script + "' '" + ics + "' > '" + out + "'").c_str());
    ASSERT_TRUE(WIFEXITED(status));
    ASSERT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(test::readBytes(out),
              "birthday-01-20-09984481e2fac36c@dovi|date|2000-01-20|FREQ=YEARLY|太郎さん 誕生日|1980年生まれ\n"
              "birthday-01-20-635e20fdaa38bc78@dovi|date|2000-01-20|FREQ=YEARLY|花子さん 誕生日|-\n"
              "birthday-02-29-dff95a159f9458c1@dovi|date|2000-02-29|FREQ=YEARLY|閏さん 誕生日|2000年生まれ\n"
              "special-01-20-6876131c41a3bf61@dovi|date|2000-01-20|FREQ=YEARLY|大寒|-\n");

    // Without a file the calendar goes to standard output.
    const CliResult toStdout = run({"export-ics"});
    EXPECT_EQ(toStdout.out.substr(0, 17), "BEGIN:VCALENDAR\r\n");
    EXPECT_EQ(run({"export-ics", (dir / "no-such-folder" / "x.ics").string()}).code, 1);
}

// Every book command and register are in the usage text, the manual page and the README.
TEST(CliBookDocs, EveryCommandIsDocumented)
{
    std::ostringstream out, err;
    const std::vector<std::string> noCommand{"dovi-cli"};
    cli::run(noCommand, out, err);
    const std::string man = test::readBytes(DOVI_DATA "/man/dovi-cli.1");
    const std::string readme = test::readBytes(DOVI_DATA "/../README.md");
    std::vector<cli::Command> commands(cli::bookCommands().begin(), cli::bookCommands().end());
    commands.insert(commands.end(), cli::registerCommands().begin(), cli::registerCommands().end());
    for (const cli::Command& command : commands) {
        const std::string name(command.name);
        std::string manName;
        for (char c : name)
            manName += c == '-' ? std::string("\\-") : std::string(1, c);
        EXPECT_NE(err.str().find("dovi-cli [--ini PATH] " + name + (command.usage.empty() ? '\n' : ' ')),
                  std::string::npos)
            << name;
        EXPECT_NE(man.find(manName), std::string::npos) << name;
        EXPECT_NE(readme.find("dovi-cli " + name), std::string::npos) << name;
    }
}

}  // namespace
}  // namespace dovi
