// The update lock: other processes wait while one holds it, holds nest within one process, and
// read-modify-write sequences of two processes lose nothing.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <set>

#include "settings/settingsfile.h"
#include "tests/testutil.h"

namespace dovi {
namespace {

using test::TempDir;

// Whether another process could take the update lock of the folder's dovi.ini at this moment.
bool otherProcessCanLock(const std::filesystem::path& folder)
{
    const pid_t child = ::fork();
    if (child == 0) {
        const int fd = ::open((folder / ".dovi.ini.lock").c_str(), O_RDONLY | O_CREAT, 0644);
        ::_exit(fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) == 0 ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

TEST(SettingsLock, HoldsNestAndKeepOthersOut)
{
    TempDir dir;
    SettingsFile file(dir / "dovi.ini");
    EXPECT_TRUE(otherProcessCanLock(dir.path()));
    auto outer = file.lockForUpdate();
    ASSERT_NE(outer, nullptr);
    EXPECT_FALSE(otherProcessCanLock(dir.path()));
    {
        auto inner = file.lockForUpdate();
        EXPECT_TRUE(file.write("init", "user", "taro").ok);  // takes the lock again: no deadlock
    }
    EXPECT_FALSE(otherProcessCanLock(dir.path()));  // the outer hold still counts
    EXPECT_TRUE(file.write("init", "user", "jiro").ok);
    EXPECT_EQ(file.read("init", "user"), "jiro");
    EXPECT_FALSE(otherProcessCanLock(dir.path()));  // the rename did not drop it
    outer.reset();
    EXPECT_TRUE(otherProcessCanLock(dir.path()));
}

// Adds count entries under the first free keys n1, n2, ..., as the page build adds lettered keys.
void addEntries(const std::filesystem::path& path, const std::string& tag, int count)
{
    SettingsFile file(path);
    for (int i = 0; i < count; ++i) {
        auto hold = file.lockForUpdate();
        int free = 1;
        while (file.read("list", "n" + std::to_string(free)) != "0")
            ++free;
        if (!file.write("list", "n" + std::to_string(free), tag + std::to_string(i)).ok)
            ::_exit(2);
    }
}

TEST(SettingsLock, TwoProcessesLoseNoEntry)
{
    TempDir dir;
    const auto path = dir / "dovi.ini";
    pid_t children[2];
    for (int c = 0; c < 2; ++c) {
        children[c] = ::fork();
        ASSERT_GE(children[c], 0);
        if (children[c] == 0) {
            addEntries(path, c == 0 ? "a" : "b", 100);
            ::_exit(0);
        }
    }
    for (pid_t child : children) {
        int status = 0;
        ::waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    SettingsFile file(path);
    std::set<std::string> values;
    for (int n = 1; n <= 200; ++n)
        values.insert(file.read("list", "n" + std::to_string(n)));
    EXPECT_EQ(file.read("list", "n201"), "0");
    std::set<std::string> expected;
    for (int i = 0; i < 100; ++i) {
        expected.insert("a" + std::to_string(i));
        expected.insert("b" + std::to_string(i));
    }
    EXPECT_EQ(values, expected);
}

}  // namespace
}  // namespace dovi
