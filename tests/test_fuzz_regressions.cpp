// Replays every input the fuzzers have found a fault with (tests/fixtures/fuzz/<case>/), and the
// seed files they start from, through the same fuzz cases, compiled here without libFuzzer.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "settings/settingsfile.h"
#include "fuzz/harness.h"
#include "tests/testutil.h"

namespace dovi {
namespace {

namespace fs = std::filesystem;

struct Finding : std::runtime_error {
    using std::runtime_error::runtime_error;
};

void throwFinding(const char* what) { throw Finding(what); }

using Case = int (*)(const std::uint8_t*, std::size_t);

struct FuzzCase {
    const char* name;  // the folder of its findings
    Case run;
};

// The case's findings, then the seed corpus: the settings fixtures and the installed dovi.ini.
std::vector<fs::path> inputsOf(const std::string& name)
{
    std::vector<fs::path> found;
    const auto addFolder = [&](const fs::path& folder) {
        std::vector<fs::path> files;
        if (fs::is_directory(folder))
            for (const auto& entry : fs::directory_iterator(folder))
                if (entry.is_regular_file() && !entry.path().filename().string().starts_with("."))
                    files.push_back(entry.path());
        std::sort(files.begin(), files.end());
        found.insert(found.end(), files.begin(), files.end());
    };
    addFolder(fs::path(DOVI_FIXTURES) / "fuzz" / name);
    addFolder(fs::path(DOVI_FIXTURES) / "settings");
    found.push_back(fs::path(DOVI_DATA) / "dovi.ini");
    return found;
}

class FuzzRegression : public ::testing::TestWithParam<FuzzCase> {};

std::string caseName(const ::testing::TestParamInfo<FuzzCase>& param) { return param.param.name; }

TEST_P(FuzzRegression, EveryFindingAndSeedPasses)
{
    fuzz::setFailureHandler(throwFinding);
    const std::vector<fs::path> inputs = inputsOf(GetParam().name);
    ASSERT_GT(inputs.size(), 20u);  // the seeds alone are more
    for (const fs::path& input : inputs) {
        const std::string bytes = test::readBytes(input);
        ASSERT_TRUE(fs::exists(input)) << input;
        try {
            GetParam().run(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
        } catch (const Finding& finding) {
            ADD_FAILURE() << input.filename() << ": " << finding.what();
        }
    }
}

// Shift-JIS bytes can form valid UTF-8: "ﾃｩ" is C3 A9 in Shift-JIS and "é" in UTF-8. A change
// after which a Shift-JIS file would read as UTF-8 is refused and leaves the file as it was.
TEST(FuzzFindings, ShiftJisFileIsNotTurnedIntoUtf8)
{
    test::TempDir dir;
    const fs::path path = dir / "dovi.ini";
    test::writeBytes(path, "[init]\r\nk=1\r\n");
    SettingsFile file(path);
    EXPECT_FALSE(file.write("init", "name", "ﾃｩ").ok);
    EXPECT_EQ(test::readBytes(path), "[init]\r\nk=1\r\n");
    EXPECT_EQ(file.read("init", "name"), "0");

    // Beside "あ" (82 A0, no UTF-8) the same text is stored, and the file stays Shift-JIS ...
    test::writeBytes(path, "[init]\r\nk=\x82\xA0\r\n");
    EXPECT_TRUE(file.write("init", "name", "ﾃｩ").ok);
    EXPECT_EQ(test::readBytes(path), "[init]\r\nk=\x82\xA0\r\nname=\xC3\xA9\r\n");
    EXPECT_EQ(file.read("init", "name"), "ﾃｩ");
    EXPECT_EQ(file.encoding(), FileEncoding::Cp932);
    // ... until deleting the line of "あ" would leave only the UTF-8 look-alike.
    EXPECT_FALSE(file.write("init", "k", std::nullopt).ok);
    EXPECT_EQ(file.read("init", "k"), "あ");
}

// The Shift-JIS converter drops some characters without a stop (U+FEFF, U+200B, the soft hyphen
// U+00AD) and maps others one way only (U+F86F to "№"): a write with one is refused, and the
// message names the first.
TEST(FuzzFindings, ShiftJisRefusesCharactersThatDoNotComeBack)
{
    struct Row {
        std::string section, key, value, named;
    };
    const Row rows[] = {
        {"s\uFEFF", "k", "v", "U+FEFF"},
        {"init", "a\u200Bb", "v", "U+200B"},
        {"init", "k", "太\u00AD郎", "U+00AD"},
        {"init", "k", "\uF86F", "U+F86F"},
    };
    test::TempDir dir;
    const fs::path path = dir / "dovi.ini";
    for (const Row& row : rows) {
        test::writeBytes(path, "[init]\r\nk=1\r\n");
        SettingsFile file(path);
        const WriteResult result = file.write(row.section, row.key, row.value);
        EXPECT_FALSE(result.ok) << row.named;
        EXPECT_NE(result.error.find(row.named), std::string::npos) << result.error;
        EXPECT_EQ(test::readBytes(path), "[init]\r\nk=1\r\n") << row.named;
    }
}

// A new key line ends as the line before it. With the file's first line end, a lone CR, it
// would join the LF of the empty line after it, and that line would be gone.
TEST(FuzzFindings, NewKeyLineEndsLikeTheLineBeforeIt)
{
    test::TempDir dir;
    const fs::path path = dir / "dovi.ini";
    test::writeBytes(path, "a=1\r[s]\nk=1\n\n[t]\n");
    SettingsFile file(path);
    ASSERT_TRUE(file.write("s", "n", "v").ok);
    EXPECT_EQ(test::readBytes(path), "a=1\r[s]\nk=1\nn=v\n\n[t]\n");
    ASSERT_TRUE(file.write("t", "m", "w").ok);
    EXPECT_EQ(test::readBytes(path), "a=1\r[s]\nk=1\nn=v\n\n[t]\nm=w\n");
}

INSTANTIATE_TEST_SUITE_P(Cases, FuzzRegression,
                         ::testing::Values(FuzzCase{"reader", fuzz::runReaderCase},
                                           FuzzCase{"write", fuzz::runWriteCase},
                                           FuzzCase{"page", fuzz::runPageCase}),
                         caseName);

}  // namespace
}  // namespace dovi
