// dovi-cli get, set and delete: in-process through dovi::cli::run, and through the real program
// for a Shift-JIS and a UTF-8 file.
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <sstream>
#include <vector>

#include "cli/commands.h"
#include "tests/testutil.h"

namespace dovi {
namespace {

using test::fixture;
using test::readBytes;
using test::TempDir;
using test::writeBytes;

struct CliCase {
    const char* file;  // fixture copied to dovi.ini first; nullptr: no file
    std::vector<std::string> args;
    int exitCode;
    std::string out;
    std::string err;        // whole error output, or its first line for usage errors
    const char* fileAfter;  // fixture the file must equal afterwards; nullptr: no file
};

// The 暦's switches by name: "on" where the file says nothing, "off" after set ... off, which writes
// the one key in the file's encoding and line ends; other values and names are bad usage.
TEST(CliSettings, KoyomiSwitches)
{
    const CliCase cases[] = {
        {"basic.ini", {"get", "koyomi"}, 0, "on\n", "", "basic.ini"},
        {"basic.ini", {"get", "rokuyo"}, 0, "on\n", "", "basic.ini"},
        {nullptr, {"get", "rokuyo"}, 0, "on\n", "", nullptr},
        {"basic.ini", {"set", "rokuyo", "off"}, 0, "", "", "basic-rokuyo-off.ini"},
        {"basic-rokuyo-off.ini", {"get", "rokuyo"}, 0, "off\n", "", "basic-rokuyo-off.ini"},
        {"basic-rokuyo-off.ini", {"get", "koyomi"}, 0, "on\n", "", "basic-rokuyo-off.ini"},
        {"utf8.ini", {"set", "koyomi", "off"}, 0, "", "", "utf8-koyomi-off.ini"},
        {"utf8-koyomi-off.ini", {"get", "koyomi"}, 0, "off\n", "", "utf8-koyomi-off.ini"},
        {nullptr, {"set", "koyomi", "on"}, 0, "", "", "koyomi-on-only.ini"},
        {"basic.ini", {"set", "rokuyo", "yes"}, 2, "", "dovi-cli: rokuyo is switched on or off, not 'yes'", "basic.ini"},
        {"basic.ini", {"set", "rokuyo", "OFF"}, 2, "", "dovi-cli: rokuyo is switched on or off, not 'OFF'", "basic.ini"},
        {"basic.ini", {"set", "moon", "off"}, 2, "", "dovi-cli: set needs a section, a key and a value", "basic.ini"},
        {"basic.ini", {"get", "moon"}, 2, "", "dovi-cli: get needs a section and a key", "basic.ini"},
    };
    for (const auto& c : cases) {
        TempDir dir;
        if (c.file)
            writeBytes(dir / "dovi.ini", fixture(c.file));
        std::vector<std::string> argv = {"dovi-cli", "--ini", (dir / "dovi.ini").string()};
        argv.insert(argv.end(), c.args.begin(), c.args.end());
        std::ostringstream out, err;
        std::string name;
        for (const std::string& arg : c.args)
            name += arg + " ";
        EXPECT_EQ(cli::run(argv, out, err), c.exitCode) << name;
        EXPECT_EQ(out.str(), c.out) << name;
        const std::string message = err.str();
        EXPECT_EQ(c.exitCode == cli::kUsage ? message.substr(0, message.find('\n')) : message, c.err) << name;
        EXPECT_EQ(std::filesystem::exists(dir / "dovi.ini"), c.fileAfter != nullptr) << name;
        if (c.fileAfter) {
            EXPECT_EQ(readBytes(dir / "dovi.ini"), fixture(c.fileAfter)) << name;
        }
    }
}

TEST(CliSettings, GetSetDelete)
{
    const std::string refused = "dovi-cli: the character \"𠮷\" (U+20BB7) cannot be stored in this Shift-JIS file\n";
    const CliCase cases[] = {
        {"basic.ini", {"get", "init", "使用者"}, 0, "山田太郎様\n", "", "basic.ini"},
        {"basic.ini", {"get", "INIT", "誕生日"}, 0, "1973/ 7/ 5\n", "", "basic.ini"},
        {"basic.ini", {"get", "init", "空白"}, 0, "\n", "", "basic.ini"},
        {"basic.ini", {"get", "init", "無い"}, 0, "0\n", "", "basic.ini"},
        {nullptr, {"get", "init", "使用者"}, 0, "0\n", "", nullptr},
        {"utf8.ini", {"get", "言霊", "1"}, 0, "𠮷野家で一服 😀,よしのや\n", "", "utf8.ini"},
        {"utf16le.ini", {"get", "init", "使用者"}, 0, "山田太郎様\n", "", "utf16le.ini"},
        {"basic.ini", {"set", "init", "使用者", "佐藤花子様"}, 0, "", "", "basic-replaced.ini"},
        {"basic.ini", {"delete", "init", "性別"}, 0, "", "", "basic-deleted.ini"},
        {"basic.ini", {"delete", "init", "無い"}, 0, "", "", "basic.ini"},
        {"utf8.ini", {"set", "init", "性別", "女性"}, 0, "", "", "utf8-newkey.ini"},
        {"basic.ini", {"set", "init", "使用者", "𠮷野"}, 1, "", refused, "basic.ini"},
        {"basic.ini", {"set", "init", "使用者", "a\nb=c"}, 1, "",
         "dovi-cli: the value cannot contain a line break (U+000A)\n", "basic.ini"},
        {"basic.ini", {"get", "init"}, 2, "", "dovi-cli: get needs a section and a key", "basic.ini"},
        {"basic.ini", {"set", "init", "使用者"}, 2, "", "dovi-cli: set needs a section, a key and a value",
         "basic.ini"},
        {nullptr, {"set", "init", "k", "v", "w"}, 2, "", "dovi-cli: set needs a section, a key and a value", nullptr},
        {"basic.ini", {"delete", "init", "性別", "男性"}, 2, "", "dovi-cli: delete needs a section and a key",
         "basic.ini"},
    };
    for (const auto& c : cases) {
        TempDir dir;
        if (c.file)
            writeBytes(dir / "dovi.ini", fixture(c.file));
        std::vector<std::string> argv = {"dovi-cli", "--ini", (dir / "dovi.ini").string()};
        argv.insert(argv.end(), c.args.begin(), c.args.end());
        std::ostringstream out, err;
        const std::string name = c.args[0] + " " + c.args[1];
        EXPECT_EQ(cli::run(argv, out, err), c.exitCode) << name;
        EXPECT_EQ(out.str(), c.out) << name;
        const std::string message = err.str();
        EXPECT_EQ(c.exitCode == cli::kUsage ? message.substr(0, message.find('\n')) : message, c.err) << name;
        EXPECT_EQ(std::filesystem::exists(dir / "dovi.ini"), c.fileAfter != nullptr) << name;
        if (c.fileAfter) {
            EXPECT_EQ(readBytes(dir / "dovi.ini"), fixture(c.fileAfter)) << name;
        }
    }
}

TEST(CliSettings, WriteToAFolderFails)
{
    TempDir dir;
    std::filesystem::create_directory(dir / "dovi.ini");
    const std::vector<std::string> argv = {"dovi-cli", "--ini", (dir / "dovi.ini").string(), "set", "a", "k", "v"};
    std::ostringstream out, err;
    EXPECT_EQ(cli::run(argv, out, err), cli::kBrokenFile);  // a folder cannot be read
    const std::string message = err.str();
    EXPECT_EQ(std::count(message.begin(), message.end(), '\n'), 1) << message;
    EXPECT_TRUE(std::filesystem::is_empty(dir / "dovi.ini"));
}

struct Outcome {
    int exitCode;
    std::string out, err;
};

// Runs the real dovi-cli with the shell in folder (arguments in single quotes).
Outcome runProgram(const TempDir& folder, const std::vector<std::string>& args)
{
    std::string command = "cd '" + folder.path().string() + "' && '" DOVI_CLI "'";
    for (const std::string& arg : args)
        command += " '" + arg + "'";
    command += " 2>'" + (folder / "stderr.txt").string() + "'";
    Outcome outcome{-1, {}, {}};
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe)
        return outcome;
    char buffer[4096];
    for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        outcome.out.append(buffer, got);
    const int status = ::pclose(pipe);
    outcome.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    outcome.err = readBytes(folder / "stderr.txt");
    std::filesystem::remove(folder / "stderr.txt");
    return outcome;
}

TEST(CliSettingsProgram, ShiftJisFileInTheCurrentFolder)
{
    TempDir dir;
    writeBytes(dir / "dovi.ini", fixture("basic.ini"));
    Outcome got = runProgram(dir, {"get", "init", "使用者"});
    EXPECT_EQ(got.exitCode, 0);
    EXPECT_EQ(got.out, "山田太郎様\n");
    got = runProgram(dir, {"set", "init", "使用者", "佐藤花子様"});
    EXPECT_EQ(got.exitCode, 0);
    EXPECT_EQ(got.err, "");
    EXPECT_EQ(readBytes(dir / "dovi.ini"), fixture("basic-replaced.ini"));
    got = runProgram(dir, {"set", "init", "使用者", "😀"});
    EXPECT_EQ(got.exitCode, 1);
    EXPECT_EQ(got.err, "dovi-cli: the character \"😀\" (U+1F600) cannot be stored in this Shift-JIS file\n");
    EXPECT_EQ(readBytes(dir / "dovi.ini"), fixture("basic-replaced.ini"));
    got = runProgram(dir, {"delete", "init"});
    EXPECT_EQ(got.exitCode, 2);
    EXPECT_EQ(readBytes(dir / "dovi.ini"), fixture("basic-replaced.ini"));
}

TEST(CliSettingsProgram, Utf8FileNamedOnTheCommandLine)
{
    TempDir dir;
    writeBytes(dir / "utf8.ini", fixture("utf8.ini"));
    Outcome got = runProgram(dir, {"--ini", "utf8.ini", "get", "言霊", "1"});
    EXPECT_EQ(got.exitCode, 0);
    EXPECT_EQ(got.out, "𠮷野家で一服 😀,よしのや\n");
    got = runProgram(dir, {"--ini", "utf8.ini", "set", "init", "性別", "女性"});
    EXPECT_EQ(got.exitCode, 0);
    EXPECT_EQ(readBytes(dir / "utf8.ini"), fixture("utf8-newkey.ini"));
    EXPECT_FALSE(std::filesystem::exists(dir / "dovi.ini"));
}

}  // namespace
}  // namespace dovi
