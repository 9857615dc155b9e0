// The settings file on disk: files that cannot be read or written, links, all-or-nothing
// replacement, hand edits between accesses, hostile content, and the update lock.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <csignal>
#include <set>

#include "settings/codepage.h"
#include "settings/settingsfile.h"
#include "tests/testutil.h"

namespace dovi {
namespace {

namespace fs = std::filesystem;
using test::garbage;
using test::namesIn;
using test::readBytes;
using test::TempDir;
using test::writeBytes;

const std::string kSample = "[init]\r\nuser=taro\r\n";

TEST(SettingsFileSystem, DirectoryNamedLikeTheFile)
{
    TempDir dir;
    fs::create_directory(dir / "dovi.ini");
    SettingsFile file(dir / "dovi.ini");
    EXPECT_EQ(file.read("init", "user"), "0");
    const WriteResult result = file.write("init", "user", "x");
    EXPECT_FALSE(result.ok);
    EXPECT_NE(result.error.find("is a folder"), std::string::npos) << result.error;
    EXPECT_TRUE(fs::is_directory(dir / "dovi.ini"));
    EXPECT_TRUE(fs::is_empty(dir / "dovi.ini"));
    EXPECT_EQ(namesIn(dir.path()), std::set<std::string>{"dovi.ini"});
}

TEST(SettingsFileSystem, MissingFolderFailsTheWrite)
{
    TempDir dir;
    SettingsFile file(dir / "nowhere" / "dovi.ini");
    EXPECT_EQ(file.read("init", "user"), "0");
    EXPECT_FALSE(file.write("init", "user", "x").ok);
    EXPECT_FALSE(fs::exists(dir / "nowhere"));
}

TEST(SettingsFileSystem, ReadOnlyFileIsRefusedEvenForRoot)
{
    TempDir dir;
    writeBytes(dir / "dovi.ini", kSample);
    fs::permissions(dir / "dovi.ini", fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    SettingsFile file(dir / "dovi.ini");
    EXPECT_EQ(file.read("init", "user"), "taro");
    const WriteResult result = file.write("init", "user", "jiro");
    EXPECT_FALSE(result.ok);
    EXPECT_NE(result.error.find("read-only"), std::string::npos) << result.error;
    EXPECT_EQ(readBytes(dir / "dovi.ini"), kSample);
    EXPECT_EQ(namesIn(dir.path()), std::set<std::string>{"dovi.ini"});
}

TEST(SettingsFileSystem, ReadOnlyFolderAndUnreadableFile)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "permission bits do not stop root";
    TempDir dir;
    writeBytes(dir / "dovi.ini", kSample);
    fs::permissions(dir.path(), fs::perms::owner_read | fs::perms::owner_exec);
    EXPECT_FALSE(SettingsFile(dir / "dovi.ini").write("init", "user", "jiro").ok);
    fs::permissions(dir.path(), fs::perms::owner_all);
    EXPECT_EQ(readBytes(dir / "dovi.ini"), kSample);

    fs::permissions(dir / "dovi.ini", fs::perms::none);
    SettingsFile file(dir / "dovi.ini");
    EXPECT_EQ(file.read("init", "user"), "0");
    EXPECT_FALSE(file.write("init", "user", "jiro").ok);
    fs::permissions(dir / "dovi.ini", fs::perms::owner_read);
    EXPECT_EQ(readBytes(dir / "dovi.ini"), kSample);
}

TEST(SettingsFileSystem, WriteKeepsPermissionsAndLeavesNoTemporaryFile)
{
    TempDir dir;
    writeBytes(dir / "dovi.ini", kSample);
    const auto mode = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;
    fs::permissions(dir / "dovi.ini", mode);
    ASSERT_TRUE(SettingsFile(dir / "dovi.ini").write("init", "user", "jiro").ok);
    EXPECT_EQ(fs::status(dir / "dovi.ini").permissions(), mode);
    EXPECT_EQ(readBytes(dir / "dovi.ini"), "[init]\r\nuser=jiro\r\n");
    EXPECT_EQ(namesIn(dir.path()), test::kFileAndLock);
}

TEST(SettingsFileSystem, SymbolicLinksAreFollowedAndSurvive)
{
    TempDir dir;
    fs::create_directory(dir / "real");
    writeBytes(dir / "real" / "settings.ini", kSample);
    fs::create_symlink("real/settings.ini", dir / "dovi.ini");
    SettingsFile file(dir / "dovi.ini");
    EXPECT_EQ(file.read("init", "user"), "taro");
    ASSERT_TRUE(file.write("init", "user", "jiro").ok);
    EXPECT_TRUE(fs::is_symlink(dir / "dovi.ini"));
    EXPECT_EQ(readBytes(dir / "real" / "settings.ini"), "[init]\r\nuser=jiro\r\n");

    // A dangling link reads as a missing file; a write creates the file it names.
    fs::create_symlink("real/later.ini", dir / "dangling.ini");
    SettingsFile dangling(dir / "dangling.ini");
    EXPECT_EQ(dangling.read("init", "user"), "0");
    ASSERT_TRUE(dangling.write("init", "user", "saburo").ok);
    EXPECT_TRUE(fs::is_symlink(dir / "dangling.ini"));
    EXPECT_EQ(readBytes(dir / "real" / "later.ini"), "[init]\r\nuser=saburo\r\n");

    fs::create_symlink("loop.ini", dir / "loop.ini");
    SettingsFile loop(dir / "loop.ini");
    EXPECT_EQ(loop.read("init", "user"), "0");
    EXPECT_FALSE(loop.write("init", "user", "x").ok);
}

TEST(SettingsFileSystem, FailedWriteLeavesTheOldFile)
{
    // The file-size limit makes writing the new file fail part-way, as a full disk would, and
    // works for root too. It applies to the child process only.
    TempDir dir;
    const std::string before = kSample + "[big]\r\n" + std::string(3000, 'x') + "=1\r\n";
    writeBytes(dir / "dovi.ini", before);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{1024, 1024};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        const WriteResult result = SettingsFile(dir / "dovi.ini").write("init", "user", "jiro");
        ::_exit(!result.ok && !result.error.empty() ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(readBytes(dir / "dovi.ini"), before);
    EXPECT_EQ(namesIn(dir.path()), test::kFileAndLock);
}

TEST(SettingsCache, EveryAccessSeesHandEdits)
{
    TempDir dir;
    writeBytes(dir / "dovi.ini", kSample);
    SettingsFile file(dir / "dovi.ini");
    EXPECT_EQ(file.read("init", "user"), "taro");
    writeBytes(dir / "dovi.ini", "[init]\r\nuser=hanako\r\n");  // edited in place
    EXPECT_EQ(file.read("init", "user"), "hanako");
    writeBytes(dir / "other.ini", "[init]\r\nuser=hanaka\r\n");  // same size, replaced by rename
    fs::rename(dir / "other.ini", dir / "dovi.ini");
    EXPECT_EQ(file.read("init", "user"), "hanaka");
    ASSERT_TRUE(file.write("init", "sex", "x").ok);
    EXPECT_EQ(readBytes(dir / "dovi.ini"), "[init]\r\nuser=hanaka\r\nsex=x\r\n");
    fs::remove(dir / "dovi.ini");
    EXPECT_EQ(file.read("init", "user"), "0");
    writeBytes(dir / "dovi.ini", "\xef\xbb\xbf[init]\r\nuser=\xe5\xa4\xaa\xe9\x83\x8e\r\n");
    EXPECT_EQ(file.encoding(), FileEncoding::Utf8Bom);
    EXPECT_EQ(file.read("init", "user"), "太郎");
}

TEST(SettingsHostileContent, NeitherCrashesNorHangs)
{
    TempDir dir;
    const fs::path path = dir / "dovi.ini";
    const struct {
        const char* name;
        std::string bytes;
        const char* section;
        const char* key;
        std::string expected;
    } cases[] = {
        {"NUL bytes", std::string("[a]\0\r\nk=\0\0\r\n[b]\r\nk=v", 21), "b", "k", "v"},
        {"garbage before a section", garbage(65536) + "\r\n[a]\r\nk=v\r\n", "a", "k", "v"},
        {"only lone CRs", "\r\r\r[a]\rk=v\r\r", "a", "k", "v"},
        {"20 MB in one line", "[a]\r\nk=" + std::string(20 << 20, 'x'), "a", "k", std::string(1022, 'x')},
        {"20 MB of line ends", std::string(10 << 20, '\r') + std::string(10 << 20, '\n') + "[a]\nk=v", "a", "k", "v"},
    };
    for (const auto& c : cases) {
        writeBytes(path, c.bytes);
        SettingsFile file(path);
        EXPECT_EQ(file.read(c.section, c.key), c.expected) << c.name;
        EXPECT_TRUE(file.write("new", "k", "v").ok) << c.name;
        EXPECT_EQ(file.read("new", "k"), "v") << c.name;
    }
    for (int seed = 0; seed < 20; ++seed) {  // garbage in every encoding
        std::string bytes = garbage(4096 + 2 * static_cast<std::size_t>(seed));
        bytes.insert(0, seed % 3 == 0 ? "\xff\xfe" : seed % 3 == 1 ? "\xfe\xff" : "\xef\xbb\xbf");
        writeBytes(path, bytes);
        SettingsFile file(path);
        file.read("a", "k");
        EXPECT_TRUE(file.write("new", "k", "v").ok) << seed;
        EXPECT_EQ(file.read("new", "k"), "v") << seed;
        EXPECT_EQ(readBytes(path).substr(0, bytes.size()), bytes) << seed;
    }
}

TEST(SettingsHostileContent, HalfAUtf16CharacterAtTheEnd)
{
    TempDir dir;
    const std::string bytes("\xff\xfe[\0a\0]\0\n\0k\0=\0v\0\n\0x", 19);
    writeBytes(dir / "dovi.ini", bytes);
    SettingsFile file(dir / "dovi.ini");
    EXPECT_EQ(file.read("a", "k"), "v");
    EXPECT_FALSE(file.write("b", "n", "w").ok);  // would shift every later character by a byte
    EXPECT_EQ(readBytes(dir / "dovi.ini"), bytes);
    ASSERT_TRUE(file.write("a", "n", "w").ok);    // goes before the last line
    EXPECT_EQ(readBytes(dir / "dovi.ini"), std::string("\xff\xfe[\0a\0]\0\n\0k\0=\0v\0\n\0n\0=\0w\0\n\0x", 27));
}

TEST(SettingsHostileContent, HundredThousandSections)
{
    TempDir dir;
    std::string bytes;
    for (int i = 0; i < 100000; ++i)
        bytes += "[s" + std::to_string(i) + "]\r\nk=" + std::to_string(i) + "\r\n";
    writeBytes(dir / "dovi.ini", bytes);
    SettingsFile file(dir / "dovi.ini");
    EXPECT_EQ(file.read("s99999", "k"), "99999");
    EXPECT_EQ(file.read("S50000", "K"), "50000");
    ASSERT_TRUE(file.write("s0", "n", "x").ok);
    EXPECT_EQ(readBytes(dir / "dovi.ini"), "[s0]\r\nk=0\r\nn=x\r\n" + bytes.substr(11));
}

}  // namespace
}  // namespace dovi
