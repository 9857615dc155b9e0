// How often a command reads and parses the settings file: once for a page or a listing, also right
// after the file changed, and a bounded number of times for an edit that renames every line of a
// section. Counted, not timed: what they cost is measured by the benchmarks (bench/).
#include <gtest/gtest.h>

#include "settings/codepage.h"
#include "settings/inifile.h"
#include "settings/settingsfile.h"
#include "tests/clitest.h"
#include "tests/testutil.h"

namespace dovi {
namespace {

constexpr int kSayings = 2000;

class AccessCounts : public testing::Test {
protected:
    // A Shift-JIS file with a registered user, the holiday table, entries on the day of the page,
    // and kSayings sayings, written just before each case: within the two seconds in which the
    // file's times cannot prove it unchanged.
    void SetUp() override
    {
        std::string text = "[init]\r\n使用者=山田太郎さん\r\n誕生日= 1973/ 7/ 5\r\n性別=男性\r\n登録日=2000/1/1\r\n"
                           "言霊総数=" + std::to_string(kSayings + 1) +
                           "\r\n[休日]\r\n01/01=元日\r\n[誕生日]\r\na01/20=太郎:1980\r\nb01/20=花子\r\n"
                           "[特別日]\r\na01/20=大寒\r\n[言霊]\r\n";
        for (int i = 1; i <= kSayings; ++i)
            text += std::to_string(i) + "=言葉その" + std::to_string(i) + ",出典\r\n";
        codepage::Codec shiftJis(FileEncoding::Cp932);
        test::writeBytes(ini, *shiftJis.encode(text));
    }

    struct Counts {
        std::size_t reads, parses;
    };
    // The reads and parses of one dovi-cli command, run in this process.
    Counts during(std::vector<std::string> args, test::CliResult* result = nullptr)
    {
        const std::size_t reads = SettingsFile::readsSoFar();
        const std::size_t parses = IniText::parsesSoFar();
        const test::CliResult run = test::runCli(ini, std::move(args));
        EXPECT_EQ(run.code, 0) << run.err;
        if (result)
            *result = run;
        return {SettingsFile::readsSoFar() - reads, IniText::parsesSoFar() - parses};
    }

    test::TempDir dir;
    const std::string ini = (dir / "dovi.ini").string();
};

TEST_F(AccessCounts, APageBuildReadsAndParsesTheFileOnceAlsoRightAfterAChange)
{
    test::CliResult page;
    const Counts counts = during({"page", "--json", "--at", "2000-01-20 08:00:20", "--seed", "1"}, &page);
    EXPECT_NE(page.out.find("太郎"), std::string::npos);
    EXPECT_EQ(counts.reads, 1u);
    EXPECT_EQ(counts.parses, 1u);
}

TEST_F(AccessCounts, AListingReadsAndParsesTheFileOnce)
{
    test::CliResult listing;
    Counts counts = during({"list-sayings"}, &listing);
    EXPECT_EQ(std::count(listing.out.begin(), listing.out.end(), '\n'), kSayings);
    EXPECT_EQ(counts.reads, 1u);
    EXPECT_EQ(counts.parses, 1u);
    counts = during({"list"});
    EXPECT_EQ(counts.reads, 1u);
    EXPECT_EQ(counts.parses, 1u);
}

// Removing the first saying renames each later line; moving the first to the end does too. The
// file is read to find the saying named, for the plan under the lock and once more before the
// write: never once per line. The saying named and the plan share one parse (the file is only
// read again to prove it unchanged), and the text written is not parsed by a command that ends.
TEST_F(AccessCounts, AnEditOfEveryLineOfASectionReadsAndParsesABoundedNumberOfTimes)
{
    for (std::vector<std::string> edit : {std::vector<std::string>{"remove-saying", "1"},
                                          std::vector<std::string>{"move-saying", "1", std::to_string(kSayings - 1)},
                                          std::vector<std::string>{"edit-saying", "5", "新しい言葉", "出典"},
                                          std::vector<std::string>{"add-saying", "最後の言葉", "出典"}}) {
        const Counts counts = during(edit);
        EXPECT_LE(counts.reads, 3u) << edit[0];
        EXPECT_LE(counts.parses, 1u) << edit[0];
    }
    test::CliResult listing;
    during({"list-sayings"}, &listing);
    EXPECT_EQ(std::count(listing.out.begin(), listing.out.end(), '\n'), kSayings);
    EXPECT_TRUE(listing.out.starts_with("1\t言葉その3\t出典\n")) << listing.out.substr(0, 100);
    EXPECT_TRUE(listing.out.ends_with("\n1999\t言葉その2\t出典\n2000\t最後の言葉\t出典\n"));
    EXPECT_NE(listing.out.find("\n4\t言葉その6\t出典\n5\t新しい言葉\t出典\n6\t言葉その8\t"), std::string::npos);
}

}  // namespace
}  // namespace dovi
