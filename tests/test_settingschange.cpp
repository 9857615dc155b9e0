// A cached read never misses a change: a same-size rewrite within one timestamp tick keeps the
// file's size, inode and times, and must still be seen.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include "settings/settingsfile.h"
#include "tests/testutil.h"

namespace dovi {
namespace {

using test::TempDir;
using test::writeBytes;

std::string counterText(int n)
{
    char text[32];
    std::snprintf(text, sizeof text, "[init]\r\nn=%04d\r\n", n);
    return text;
}

// A small ext2 file system with 128-byte inodes, which keep times in whole seconds, mounted on a
// folder (root only; nothing is mounted where that is not allowed).
class CoarseDisk {
public:
    explicit CoarseDisk(const std::filesystem::path& where) : mountPoint_(where / "disk")
    {
        std::filesystem::create_directory(mountPoint_);
        const std::string image = (where / "disk.img").string();
        mounted_ = ::geteuid() == 0 &&
                   std::system(("truncate -s 4M " + image + " && mkfs.ext2 -q -F -I 128 " + image +
                                " >/dev/null 2>&1 && mount -o loop " + image + " " + mountPoint_.string() +
                                " 2>/dev/null")
                                   .c_str()) == 0;
    }
    ~CoarseDisk()
    {
        if (mounted_ && std::system(("umount " + mountPoint_.string()).c_str()) != 0)
            ADD_FAILURE() << "could not unmount " << mountPoint_;
    }
    bool mounted() const { return mounted_; }
    const std::filesystem::path& path() const { return mountPoint_; }

private:
    std::filesystem::path mountPoint_;
    bool mounted_ = false;
};

bool sameStamp(const struct stat& a, const struct stat& b)
{
    return a.st_ino == b.st_ino && a.st_size == b.st_size && a.st_mtim.tv_sec == b.st_mtim.tv_sec &&
           a.st_mtim.tv_nsec == b.st_mtim.tv_nsec && a.st_ctim.tv_sec == b.st_ctim.tv_sec &&
           a.st_ctim.tv_nsec == b.st_ctim.tv_nsec;
}

TEST(SettingsChange, SameSizeRewriteWithinOneTickIsSeen)
{
    TempDir dir;
    CoarseDisk disk(dir.path());
    const auto ini = (disk.mounted() ? disk.path() : dir.path()) / "dovi.ini";
    writeBytes(ini, counterText(0));
    SettingsFile file(ini);
    int unseenByStamp = 0;  // rewrites that left every stamp as it was
    for (int n = 1; n <= 3000 && unseenByStamp < 20; ++n) {
        struct stat before {}, after {};
        ASSERT_EQ(::stat(ini.c_str(), &before), 0);
        // Another program rewrites the file in place, keeping its size.
        const std::string text = counterText(n);
        const int fd = ::open(ini.c_str(), O_WRONLY);
        ASSERT_EQ(::pwrite(fd, text.data(), text.size(), 0), static_cast<ssize_t>(text.size()));
        ::close(fd);
        ASSERT_EQ(::stat(ini.c_str(), &after), 0);
        unseenByStamp += sameStamp(before, after) ? 1 : 0;
        char expected[8];
        std::snprintf(expected, sizeof expected, "%04d", n);
        ASSERT_EQ(file.read("init", "n"), expected) << "rewrite " << n;
    }
    if (unseenByStamp == 0 && ::geteuid() != 0)
        GTEST_SKIP() << "needs root: every rewrite changed a timestamp here, and the case needs coarse "
                        "timestamps (an ext2 file system that root mounts from an image)";
    if (unseenByStamp == 0)
        GTEST_SKIP() << "every rewrite changed a timestamp here; the case needs coarse timestamps (an ext2 "
                        "file system that root mounts from an image)";
}

}  // namespace
}  // namespace dovi
