// dovi-cli register: the registration without the window, on copies of the installed dovi.ini.
#include <gtest/gtest.h>

#include <ctime>
#include <string>
#include <vector>

#include "settings/settingsfile.h"
#include "tests/clitest.h"
#include "tests/testutil.h"

namespace dovi {
namespace {

using test::CliResult;

// Today as the registration date is written: year/month/day without blanks or leading zeros.
std::string todayText()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return std::to_string(local.tm_year + 1900) + "/" + std::to_string(local.tm_mon + 1) + "/" +
           std::to_string(local.tm_mday);
}

// The line of key 誕生日 as the Shift-JIS file holds it: reading drops the blank before the year,
// so the stored bytes are compared.
std::string birthdayLine(const std::string& value) { return "\x92\x61\x90\xb6\x93\xfa=" + value + "\r\n"; }

// A fresh copy of the installed file (Shift-JIS, nobody registered).
class CliRegister : public testing::Test {
protected:
    void SetUp() override { test::writeBytes(ini, test::readBytes(DOVI_DATA "/dovi.ini")); }
    std::string read(std::string_view key) { return SettingsFile(ini).read("init", key); }
    CliResult run(std::vector<std::string> args) { return test::runCli(ini.string(), std::move(args)); }

    test::TempDir dir;
    const std::filesystem::path ini = dir / "dovi.ini";
};

// The dialog's worked example: あ with さん, the design birthday and 男性.
TEST_F(CliRegister, StoresWhatTheDialogStores)
{
    const std::string before = todayText();
    const CliResult r = run({"register", "あさん", "1973/07/05", "男性"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "あさん is registered in " + ini.string() + "\n");
    EXPECT_EQ(read("使用者"), "あさん");
    EXPECT_NE(test::readBytes(ini).find(birthdayLine(" 1973/ 7/ 5")), std::string::npos);  // eleven characters
    EXPECT_EQ(read("性別"), "男性");
    const std::string registered = read("登録日");
    EXPECT_TRUE(registered == before || registered == todayText()) << registered;
    // The page now builds for the new user, and a second registration is refused.
    EXPECT_EQ(run({"page"}).code, 0);
    const std::string file = test::readBytes(ini);
    const CliResult again = run({"register", "いさん", "1980/1/1", "女性"});
    EXPECT_EQ(again.code, 1);
    EXPECT_NE(again.err.find("あさん is already registered"), std::string::npos) << again.err;
    EXPECT_EQ(test::readBytes(ini), file);
}

// The values the three bars keep, at the ends of each; the English words for the sexes.
TEST_F(CliRegister, KeptBirthdaysAtTheEndsOfTheBars)
{
    struct Case {
        const char *given, *stored, *sex, *storedSex;
    };
    for (const Case& c : {Case{"1800/01/01", " 1800/ 1/ 1", "female", "女性"},
                          Case{"2000-12-31", " 2000/ 12/ 31", "other", "その他"},
                          Case{"1972/2/29", " 1972/ 2/ 29", "male", "男性"},  // a leap year
                          Case{"2001/04/30", " 2001/ 4/ 30", "その他", "その他"}}) {
        SetUp();
        const CliResult r = run({"register", "花子さん", c.given, c.sex});
        ASSERT_EQ(r.code, 0) << c.given << r.err;
        EXPECT_NE(test::readBytes(ini).find(birthdayLine(c.stored)), std::string::npos) << c.given;
        EXPECT_EQ(read("性別"), c.storedSex) << c.given;
    }
}

// What the bars cannot hold, a sex the dialog does not offer, and bad forms: usage errors, and the
// file stays as it was.
TEST_F(CliRegister, RefusesWhatTheDialogCannotHold)
{
    const std::string file = test::readBytes(ini);
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"register", "花子さん", "1799/12/31", "女性"}, {"register", "花子さん", "2100/01/01", "女性"},
             {"register", "花子さん", "1973/02/30", "女性"}, {"register", "花子さん", "1973/02/29", "女性"},
             {"register", "花子さん", "1900/02/29", "女性"}, {"register", "花子さん", "1973/04/31", "女性"},
             {"register", "花子さん", "1973/13/01", "女性"}, {"register", "花子さん", "1973/00/10", "女性"},
             {"register", "花子さん", "1973/01/00", "女性"}, {"register", "花子さん", "1973/1/32", "女性"},
             {"register", "花子さん", "73/07/05", "女性"}, {"register", "花子さん", "1973/07/05/", "女性"},
             {"register", "花子さん", "1973.07.05", "女性"}, {"register", "花子さん", "1973/007/5", "女性"},
             {"register", "花子さん", "1973/-7/5", "女性"}, {"register", "花子さん", "1973/07/05", "女"},
             {"register", "花子さん", "1973/07/05", "Female"}, {"register", "花子さん", "1973/07/05", ""},
             {"register", "", "1973/07/05", "女性"}, {"register", "花子さん", "1973/07/05"},
             {"register", "花子さん", "1973/07/05", "女性", "extra"}}) {
        const CliResult r = run(args);
        EXPECT_EQ(r.code, 2) << testing::PrintToString(args);
        EXPECT_NE(r.err.find("usage: dovi-cli [--ini PATH] register NAME"), std::string::npos) << r.err;
    }
    EXPECT_EQ(test::readBytes(ini), file);

    // A year after this one, refused as the dialog refuses it.
    const std::string next = std::to_string(std::stoi(todayText().substr(0, 4)) + 1);
    const CliResult future = run({"register", "花子さん", next + "/01/01", "女性"});
    EXPECT_EQ(future.code, 2);
    EXPECT_NE(future.err.find("生まれた年（" + next + "年）は、1年から今年（"), std::string::npos) << future.err;
    EXPECT_EQ(test::readBytes(ini), file);
}

// A name that would read as no user, and one the Shift-JIS file cannot hold: nothing of the four
// values is written.
TEST_F(CliRegister, RefusedNamesWriteNothing)
{
    const std::string file = test::readBytes(ini);
    for (const char* name : {"0", " 0 ", "😀さん"}) {
        const CliResult r = run({"register", name, "1973/07/05", "男性"});
        EXPECT_EQ(r.code, 1) << name;
        EXPECT_NE(r.err.find("nothing was registered"), std::string::npos) << r.err;
        EXPECT_EQ(test::readBytes(ini), file) << name;
    }
}

// Without the calendar's file: the data folder and dovi-launch, never a reinstall.
TEST_F(CliRegister, MissingFileOrUserEntryPointsToTheDataFolder)
{
    const CliResult missing = test::runCli((dir / "elsewhere.ini").string(), {"register", "あさん", "1973/07/05", "男性"});
    EXPECT_EQ(missing.code, 3);
    EXPECT_NE(missing.err.find("there is no settings file"), std::string::npos) << missing.err;
    EXPECT_NE(missing.err.find("$XDG_DATA_HOME/dovi (by default ~/.local/share/dovi)"), std::string::npos);
    EXPECT_NE(missing.err.find("dovi-launch"), std::string::npos);
    EXPECT_EQ(missing.err.find("インストール"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(dir / "elsewhere.ini"));

    test::writeBytes(ini, "[init]\r\n");
    const CliResult noUser = run({"register", "あさん", "1973/07/05", "男性"});
    EXPECT_EQ(noUser.code, 3);
    EXPECT_NE(noUser.err.find("has no user entry"), std::string::npos) << noUser.err;
    EXPECT_EQ(test::readBytes(ini), "[init]\r\n");
}

}  // namespace
}  // namespace dovi
