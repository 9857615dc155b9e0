// dovi-cli output: control characters of stored values are escaped in text output and left to
// JSON's own escaping, and output that cannot be written is an error.
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <random>
#include <sstream>
#include <vector>

#include "cli/commands.h"
#include "cli/textout.h"
#include "tests/testutil.h"

namespace dovi {
namespace {

using test::TempDir;
using test::writeBytes;

TEST(CliOutput, ControlCharactersAreEscaped)
{
    const std::pair<std::string, std::string> cases[] = {
        {"plain 山田 text", "plain 山田 text"},
        {"a\x1b[31mRED\x1b[0m", "a\\x1b[31mRED\\x1b[0m"},
        {"tab\tand\nline", "tab\tand\nline"},  // TAB and LF stay
        {std::string("nul\0end", 7), "nul\\x00end"},
        {"cr\rbell\a", "cr\\x0dbell\\x07"},
        {"del\x7f", "del\\x7f"},
        {"c1 \xc2\x80 \xc2\x9b \xc2\x9f", "c1 \\u0080 \\u009b \\u009f"},
        {"not c1 \xc2\xa0 \xc2\xa9", "not c1 \xc2\xa0 \xc2\xa9"},  // NBSP and the copyright sign
        {"back\\slash", "back\\slash"},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(cli::escapeControls(text), expected) << text;
}

// Long texts with the characters that need escaping at every distance from each other (the plain
// runs between them are scanned eight bytes at a time): the same as each piece escaped alone.
TEST(CliOutput, EscapesAtEveryPlaceOfALongText)
{
    const std::pair<std::string, std::string> pieces[] = {
        {"a", "a"}, {"山", "山"}, {"\xc2\xa9", "\xc2\xa9"}, {"\x7e", "\x7e"}, {" ", " "}, {"\xc3\x82", "\xc3\x82"},
        {"\x1b", "\\x1b"}, {"\x7f", "\\x7f"}, {"\xc2\x9b", "\\u009b"}, {"\x1f", "\\x1f"}, {"\t", "\t"},
    };
    std::mt19937 random(8);
    for (int round = 0; round < 2000; ++round) {
        std::string text, expected;
        const int count = static_cast<int>(random() % 40);
        for (int i = 0; i < count; ++i) {
            // Mostly plain pieces, so that plain runs of every length come up.
            const auto& piece = pieces[random() % 4 == 0 ? random() % std::size(pieces) : random() % 6];
            text += piece.first;
            expected += piece.second;
        }
        ASSERT_EQ(cli::escapeControls(text), expected) << testing::PrintToString(text);
    }
}

// A registered user and a special day of 14 March that holds terminal control sequences.
const std::string kHostile = "[init]\r\n使用者=山田\r\n誕生日= 1973/ 7/ 5\r\n登録日=2000/1/20\r\n"
                             "[特別日]\r\na03/14=a\x1b[31mRED\x1b[0m\xc2\x9b\r\n";

std::pair<int, std::string> runInProcess(const std::filesystem::path& ini, std::vector<std::string> args)
{
    args.insert(args.begin(), {"dovi-cli", "--ini", ini.string()});
    std::ostringstream out, err;
    const int code = cli::run(args, out, err);
    return {code, out.str() + err.str()};
}

TEST(CliOutput, GetAndPageEscapeWhileJsonKeepsTheValue)
{
    TempDir dir;
    writeBytes(dir / "dovi.ini", kHostile);
    EXPECT_EQ(runInProcess(dir / "dovi.ini", {"get", "特別日", "a03/14"}),
              std::make_pair(0, std::string("a\\x1b[31mRED\\x1b[0m\\u009b\n")));

    const auto [code, page] = runInProcess(dir / "dovi.ini", {"page", "--at", "2024-03-14 12:00:20", "--seed", "1"});
    EXPECT_EQ(code, 0);
    EXPECT_NE(page.find("a\\x1b[31mRED\\x1b[0m\\u009b\n"), std::string::npos) << page;
    EXPECT_EQ(page.find('\x1b'), std::string::npos);

    const auto [jsonCode, json] =
        runInProcess(dir / "dovi.ini", {"page", "--at", "2024-03-14 12:00:20", "--seed", "1", "--json"});
    EXPECT_EQ(jsonCode, 0);
    EXPECT_EQ(json.find('\x1b'), std::string::npos);  // JSON writes it as \u001b
    const auto parsed = nlohmann::json::parse(json);
    EXPECT_EQ(parsed["msgList"][0], "a\x1b[31mRED\x1b[0m\xc2\x9b");
}

// Runs the real dovi-cli with its standard output on /dev/full; the exit code and its errors.
std::pair<int, std::string> runIntoFullDisk(const std::filesystem::path& ini, std::vector<std::string> args)
{
    args.insert(args.begin(), {DOVI_CLI, "--ini", ini.string()});
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    int err[2];
    if (::pipe(err) != 0)
        return {-1, {}};
    const pid_t child = ::fork();
    if (child == 0) {
        const int full = ::open("/dev/full", O_WRONLY);
        ::dup2(full, STDOUT_FILENO);
        ::dup2(err[1], STDERR_FILENO);
        ::alarm(10);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    ::close(err[1]);
    std::string text;
    char buffer[1024];
    for (ssize_t got; (got = ::read(err[0], buffer, sizeof buffer)) > 0;)
        text.append(buffer, static_cast<std::size_t>(got));
    ::close(err[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status), text};
}

TEST(CliOutput, OutputOnAFullDiskIsAnError)
{
    if (::access("/dev/full", W_OK) != 0)
        GTEST_SKIP() << "/dev/full is not there";
    TempDir dir;
    writeBytes(dir / "dovi.ini", kHostile);
    const std::string line = "dovi-cli: write error: No space left on device\n";
    const std::vector<std::vector<std::string>> commands = {
        {"get", "init", "使用者"},
        {"page", "--at", "2024-03-14 12:00:20", "--seed", "1"},
        {"page", "--at", "2024-03-14 12:00:20", "--seed", "1", "--json"},
        {"holidays", "2027"},
        {"header", "--at", "2024-03-14 12:00:20"},
        {"add-birthday", "03/14", "花子"},
    };
    for (const auto& command : commands)
        EXPECT_EQ(runIntoFullDisk(dir / "dovi.ini", command), std::make_pair(1, line)) << command[0];
    // A command that printed nothing has nothing to fail.
    EXPECT_EQ(runIntoFullDisk(dir / "dovi.ini", {"set", "init", "x", "1"}), std::make_pair(0, std::string()));
}

}  // namespace
}  // namespace dovi
