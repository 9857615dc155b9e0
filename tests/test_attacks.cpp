// Attacks on the settings file by other local users and other programs: a folder the writer
// cannot list, a lock held by another program, a disk that fills during registration, a shared
// group folder, ACLs, extended attributes and hard links, a user watching the folder for new
// files, and an append-only folder. Cases that need other users run only as root; they switch to
// numeric user and group ids in child processes (no entries in the user database are needed).
#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <signal.h>
#include <sys/inotify.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <functional>
#include <sstream>

#include "register/registration.h"
#include "settings/filelock.h"
#include "settings/settingsfile.h"
#include "tests/attackutil.h"
#include "tests/testutil.h"

namespace dovi {
namespace {

namespace fs = std::filesystem;
using namespace test::attack;
using test::LockHolder;
using test::namesIn;
using test::readBytes;
using test::TempDir;
using test::writeBytes;

// Shift-JIS bytes: [init] with 使用者=山田 and a bare birthday entry 古株 on 14 March.
const std::string kUser = "\x8e\x67\x97\x70\x8e\xd2";  // 使用者
const std::string kProfile = "[init]\r\n" + kUser + "=\x8e\x52\x93\x63\r\n";
const std::string kBareEntry = "[\x92\x61\x90\xb6\x93\xfa]\r\n03/14=\x8c\xc3\x8a\x94\r\n";

// The value of the extended attribute name of path, or "(none)".
std::string attribute(const fs::path& path, const char* name)
{
    char value[4096];
    const ssize_t got = ::getxattr(path.c_str(), name, value, sizeof value);
    return got < 0 ? std::string("(none)") : std::string(value, static_cast<std::size_t>(got));
}

// ---------------------------------------------------------------------------------------------
// A write never runs unlocked, and never waits forever.

TEST(LockAttack, TwoAddBirthdayLoopsInAFolderTheWriterCannotList)
{
    if (!isRoot())
        GTEST_SKIP() << "needs root to run the writers as an unprivileged user";
    TempDir dir;
    fs::permissions(dir.path(), fs::perms::owner_all | fs::perms::others_exec);
    const fs::path box = dir / "box";
    fs::create_directory(box);
    writeBytes(box / "dovi.ini", kProfile);
    own(box / "dovi.ini", kA, 0600);
    own(box, kA, 0300);  // write and search, no listing
    reachableCli();      // copied once, here, rather than by each loop's child

    // Each loop runs in a child of its own; it reports "code key" per run through a pipe.
    const auto loop = [&](const std::string& tag, int fd) {
        for (int i = 1; i <= 13; ++i) {
            const CliRun run = runCli(box / "dovi.ini", {"add-birthday", "05/05", tag + std::to_string(i)}, &kA);
            const std::string line = std::to_string(run.code) + " " + tag + std::to_string(i) + " " + run.out +
                                     (run.code != 0 && run.err.empty() ? "SILENT\n" : "");
            if (::write(fd, line.data(), line.size()) < 0)
                return 1;
        }
        return 0;
    };
    int pipes[2][2];
    pid_t children[2];
    for (int k = 0; k < 2; ++k) {
        ASSERT_EQ(::pipe(pipes[k]), 0);
        children[k] = ::fork();
        if (children[k] == 0) {
            ::close(pipes[k][0]);
            ::_exit(loop(k == 0 ? "A" : "B", pipes[k][1]));
        }
        ::close(pipes[k][1]);
    }
    std::string report = drain(pipes[0][0]) + drain(pipes[1][0]);
    for (pid_t child : children)
        ::waitpid(child, nullptr, 0);

    // Every run that exited 0 printed its key, and its entry is stored there; a refused run said so.
    SettingsFile file(box / "dovi.ini");
    std::istringstream lines(report);
    int stored = 0, refused = 0;
    for (std::string code, name, key; lines >> code >> name;) {
        if (code != "0") {
            ++refused;
            continue;
        }
        lines >> key;
        EXPECT_EQ(file.read("誕生日", key), name) << report;
        ++stored;
    }
    EXPECT_EQ(stored + refused, 26) << report;
    EXPECT_EQ(report.find("SILENT"), std::string::npos) << report;
    int entries = 0;
    for (char letter = 'a'; letter <= 'z'; ++letter)
        entries += file.read("誕生日", letter + std::string("05/05")) != "0" ? 1 : 0;
    EXPECT_EQ(entries, stored) << report;
    EXPECT_EQ(stored, 26) << report;  // nothing else holds the lock, so no run has to give up
}

TEST(LockAttack, HeldLockFailsWritesInBoundedTimeAndThePageIsStillBuilt)
{
    TempDir dir;
    const fs::path ini = dir / "dovi.ini";
    const std::string before = kProfile + kBareEntry;
    writeBytes(ini, before);
    LockHolder holder(ini);
    ASSERT_TRUE(holder.ok());

    const int direct = inChild([&] {
        setLockWaitLimit(std::chrono::milliseconds(300));
        const auto start = std::chrono::steady_clock::now();
        const WriteResult result = SettingsFile(ini).write("init", "x", "1");
        const auto waited = std::chrono::steady_clock::now() - start;
        return !result.ok && result.reason == WriteFailure::LockTimeout && waited < std::chrono::seconds(5) ? 0 : 1;
    });
    EXPECT_EQ(direct, 0) << "SettingsFile::write";

    const auto start = std::chrono::steady_clock::now();
    const CliRun set = runCli(ini, {"set", "init", "x", "1"});
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(set.code, 1);
    EXPECT_GE(waited, std::chrono::milliseconds(2500));  // it did wait for the lock: about 3 s
    EXPECT_LT(waited, std::chrono::seconds(15));
    EXPECT_NE(set.err.find("another program holds the update lock"), std::string::npos) << set.err;
    const CliRun add = runCli(ini, {"add-birthday", "03/14", "new"});
    EXPECT_EQ(add.code, 1);
    EXPECT_NE(add.err.find("update lock"), std::string::npos) << add.err;

    // The page comes with the bare entry it could not move; the build ignores that result.
    const CliRun page = runCli(ini, {"page", "--at", "2024-03-14 12:00:20", "--seed", "1"});
    EXPECT_EQ(page.code, 0);
    EXPECT_NE(page.out.find("古株さん 誕生日"), std::string::npos) << page.out;
    EXPECT_EQ(readBytes(ini), before);
}

TEST(LockAttack, LockFileThatCannotBeOpenedFailsTheWrite)
{
    // A symbolic link planted as the lock file is not followed; the write fails instead of
    // running unlocked.
    TempDir dir;
    writeBytes(dir / "dovi.ini", kProfile);
    fs::create_symlink(dir / "elsewhere", dir / ".dovi.ini.lock");
    const WriteResult result = SettingsFile(dir / "dovi.ini").write("init", "x", "1");
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.reason, WriteFailure::LockUnavailable);
    EXPECT_EQ(readBytes(dir / "dovi.ini"), kProfile);
    EXPECT_FALSE(fs::exists(dir / "elsewhere"));
}

// ---------------------------------------------------------------------------------------------
// Registration is all or nothing.

const RegistrationForm kTaro{"Taroさん", " 1973", " 7", " 5", "男性"};
const Date kToday = std::chrono::year{2024} / 3 / 14;

TEST(RegistrationAttack, DiskFullAfterTheFirstValueStoresNothing)
{
    TempDir dir;
    const fs::path ini = dir / "dovi.ini";
    const std::string before = "[init]\r\n";
    // The size the file has with the name alone: the disk is full beyond it.
    writeBytes(ini, before);
    ASSERT_TRUE(SettingsFile(ini).write("init", "使用者", "Taroさん").ok);
    const auto nameOnly = static_cast<rlim_t>(fs::file_size(ini));
    writeBytes(ini, before);

    const int code = inChild([&] {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{nameOnly, nameOnly};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        SettingsFile file(ini);
        const WriteResult result = storeProfile(file, profileValues(kTaro, kToday));
        return !result.ok && result.reason == WriteFailure::SystemError && result.systemError == EFBIG ? 0 : 1;
    });
    EXPECT_EQ(code, 0);
    EXPECT_EQ(readBytes(ini), before);

    SettingsFile file(ini);
    ASSERT_TRUE(storeProfile(file, profileValues(kTaro, kToday)).ok);
    EXPECT_EQ(readBytes(ini), "[init]\r\n" + kUser +
                                  "=Taro\x82\xb3\x82\xf1\r\n\x92\x61\x90\xb6\x93\xfa= 1973/ 7/ 5\r\n"
                                  "\x90\xab\x95\xca=\x92\x6a\x90\xab\r\n\x93\x6f\x98\x5e\x93\xfa=2024/3/14\r\n");
}

TEST(RegistrationAttack, NameThatReadsAsAbsentIsRefused)
{
    TempDir dir;
    const fs::path ini = dir / "dovi.ini";
    writeBytes(ini, "[init]\r\n");
    for (const char* name : {"0", " 0", "\"0\"", "'0'", " \"0\" "}) {
        RegistrationForm form = kTaro;
        form.name = name;
        SettingsFile file(ini);
        const WriteResult result = storeProfile(file, profileValues(form, kToday));
        EXPECT_FALSE(result.ok) << name;
        EXPECT_EQ(result.reason, WriteFailure::AbsentValue) << name;
        EXPECT_EQ(readBytes(ini), "[init]\r\n") << name;
    }
    // " \" 0 \" " reads back as " 0 ": the blanks inside the quotes stay, so it is no absent value.
    for (const char* name : {"00", "0さん", "\"0"}) {  // these read back as themselves
        RegistrationForm form = kTaro;
        form.name = name;
        SettingsFile file(ini);
        EXPECT_TRUE(storeProfile(file, profileValues(form, kToday)).ok) << name;
        EXPECT_EQ(file.read("init", "使用者"), name);
    }
}

// ---------------------------------------------------------------------------------------------
// Owner, group, mode, ACLs, extended attributes and hard links survive a write.

TEST(OwnershipAttack, GroupMemberWritesInASharedFolder)
{
    if (!isRoot())
        GTEST_SKIP() << "needs root to act as two unprivileged users";
    TempDir dir;
    fs::permissions(dir.path(), fs::perms::owner_all | fs::perms::others_exec);
    const fs::path shared = dir / "shared";
    fs::create_directory(shared);
    own(shared, Identity{0, kGroup, {}}, 0770);
    const fs::path ini = shared / "dovi.ini";
    writeBytes(ini, kProfile);
    own(ini, kA, 0660);

    const CliRun byB = runCli(ini, {"set", "init", "note", "by B"}, &kB);
    ASSERT_EQ(byB.code, 0) << byB.err;
    const struct stat after = statusOf(ini);
    EXPECT_EQ(after.st_uid, kA.uid);
    EXPECT_EQ(after.st_gid, kGroup);
    EXPECT_EQ(after.st_mode & 07777, 0660u);
    // The owner still reads and writes it; nothing but the lock file is left beside it.
    EXPECT_EQ(runCli(ini, {"get", "init", "note"}, &kA).out, "by B\n");
    EXPECT_EQ(runCli(ini, {"set", "init", "note", "by A"}, &kA).code, 0);
    EXPECT_EQ(runCli(ini, {"get", "init", "note"}, &kB).out, "by A\n");
    EXPECT_EQ(namesIn(shared), test::kFileAndLock);
}

TEST(OwnershipAttack, AclGrantAndItsMaskSurviveTheOwnersWrite)
{
    if (!isRoot())
        GTEST_SKIP() << "needs root to act as three unprivileged users";
    if (std::system("command -v setfacl >/dev/null") != 0)
        GTEST_SKIP() << "setfacl (package acl) is not installed";
    TempDir dir;
    fs::permissions(dir.path(), fs::perms::owner_all | fs::perms::others_exec);
    const fs::path home = dir / "home";
    fs::create_directory(home);
    own(home, kA, 0755);
    const fs::path ini = home / "dovi.ini";
    writeBytes(ini, kProfile);
    own(ini, kA, 0600);
    // B may read and write; the group (C) may not: group::--- with mask::rw-, so the mode shows 0660.
    ASSERT_EQ(std::system(("setfacl -m u:54102:rw " + ini.string()).c_str()), 0);
    const std::string acl = attribute(ini, "system.posix_acl_access");
    ASSERT_NE(acl, "(none)");
    ASSERT_EQ(statusOf(ini).st_mode & 07777, 0660u);

    ASSERT_EQ(runCli(ini, {"set", "init", "note", "by A"}, &kA).code, 0);
    EXPECT_EQ(attribute(ini, "system.posix_acl_access"), acl);
    EXPECT_EQ(statusOf(ini).st_mode & 07777, 0660u);
    EXPECT_EQ(statusOf(ini).st_uid, kA.uid);
    // B may still write it; C, a member of the file's group, still cannot open it.
    EXPECT_EQ(inChild([&] { return ::open(ini.c_str(), O_WRONLY) >= 0 ? 0 : 1; }, &kB), 0);
    EXPECT_EQ(inChild([&] { return ::open(ini.c_str(), O_RDONLY) < 0 && errno == EACCES ? 0 : 1; }, &kC), 0);
}

TEST(OwnershipAttack, ExtendedAttributeAndHardLinkSurvive)
{
    TempDir dir;
    const fs::path ini = dir / "dovi.ini";
    writeBytes(ini, kProfile);
    if (::setxattr(ini.c_str(), "user.dovi.note", "keep", 4, 0) != 0)
        GTEST_SKIP() << "the file system of " << dir.path() << " has no user extended attributes";
    ASSERT_TRUE(SettingsFile(ini).write("init", "x", "1").ok);
    EXPECT_EQ(attribute(ini, "user.dovi.note"), "keep");

    // A second name of the file sees every write: the file is rewritten in place.
    fs::create_hard_link(ini, dir / "link.ini");
    const ino_t inode = statusOf(ini).st_ino;
    ASSERT_TRUE(SettingsFile(ini).write("init", "x", "2").ok);
    EXPECT_EQ(statusOf(ini).st_ino, inode);
    EXPECT_EQ(SettingsFile(dir / "link.ini").read("init", "x"), "2");
    EXPECT_EQ(attribute(ini, "user.dovi.note"), "keep");
    EXPECT_EQ(namesIn(dir.path()), (std::set<std::string>{".dovi.ini.lock", "dovi.ini", "link.ini"}));
}

TEST(OwnershipAttack, InPlaceRewriteKilledHalfWayIsUndoneByTheNextAccess)
{
    // With a second hard link the file is rewritten in place. The writer is killed (SIGXFSZ, by a
    // file-size limit just above the old size) in the middle of writing the longer new content.
    TempDir dir;
    const fs::path ini = dir / "dovi.ini";
    const std::string before = kProfile + "[pad]\r\nk=" + std::string(4000, 'p') + "\r\n";
    writeBytes(ini, before);
    fs::create_hard_link(ini, dir / "link.ini");
    const int code = inChild([&] {
        std::signal(SIGXFSZ, SIG_DFL);
        const rlimit limit{before.size() + 100, before.size() + 100};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        SettingsFile(ini).write("pad", "k", std::string(8000, 'q'));
        return 0;
    });
    EXPECT_EQ(code, 128 + SIGXFSZ);
    EXPECT_NE(readBytes(ini), before);  // half-written, with the journal beside it
    EXPECT_EQ(namesIn(dir.path()),
              (std::set<std::string>{".dovi.ini.journal", ".dovi.ini.lock", "dovi.ini", "link.ini"}));

    // The next read finds the journal, takes the lock and puts the old content back first.
    EXPECT_EQ(SettingsFile(ini).read("init", "使用者"), "山田");
    EXPECT_EQ(readBytes(ini), before);
    EXPECT_EQ(readBytes(dir / "link.ini"), before);
    EXPECT_EQ(namesIn(dir.path()), (std::set<std::string>{".dovi.ini.lock", "dovi.ini", "link.ini"}));

    // Without the limit the same write is done, and no journal stays.
    ASSERT_TRUE(SettingsFile(ini).write("pad", "k", std::string(8000, 'q')).ok);
    EXPECT_NE(readBytes(dir / "link.ini").find("k=" + std::string(8000, 'q')), std::string::npos);
    EXPECT_EQ(namesIn(dir.path()), (std::set<std::string>{".dovi.ini.lock", "dovi.ini", "link.ini"}));
}

TEST(OwnershipAttack, InPlaceRewriteOnAFullDiskPutsTheOldContentBack)
{
    TempDir dir;
    const fs::path ini = dir / "dovi.ini";
    const std::string before = kProfile + "[pad]\r\nk=" + std::string(4000, 'p') + "\r\n";
    writeBytes(ini, before);
    fs::create_hard_link(ini, dir / "link.ini");
    const int code = inChild([&] {
        std::signal(SIGXFSZ, SIG_IGN);  // the write fails with EFBIG, as on a full disk
        const rlimit limit{before.size() + 100, before.size() + 100};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        const WriteResult result = SettingsFile(ini).write("pad", "k", std::string(8000, 'q'));
        return !result.ok && result.systemError == EFBIG ? 0 : 1;
    });
    EXPECT_EQ(code, 0);
    EXPECT_EQ(readBytes(ini), before);
    EXPECT_EQ(namesIn(dir.path()), (std::set<std::string>{".dovi.ini.lock", "dovi.ini", "link.ini"}));
}

// ---------------------------------------------------------------------------------------------
// The new file is private from its first byte; an append-only folder keeps one leftover at most.

TEST(PrivacyAttack, WatcherNeverOpensANewFile)
{
    if (!isRoot())
        GTEST_SKIP() << "needs root to watch as another user";
    TempDir dir;
    fs::permissions(dir.path(), fs::perms::owner_all | fs::perms::others_read | fs::perms::others_exec);
    const fs::path ini = dir / "dovi.ini";
    writeBytes(ini, kProfile);
    ::chmod(ini.c_str(), 0600);

    // The watcher opens every new file the moment it appears, until the writer closes the pipe.
    int stop[2], ready[2];
    ASSERT_EQ(::pipe(stop), 0);
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t watcher = ::fork();
    if (watcher == 0) {
        ::close(stop[1]);
        if (!become(kB))
            ::_exit(254);
        const int events = ::inotify_init1(IN_CLOEXEC);
        if (events < 0 || ::inotify_add_watch(events, dir.path().c_str(), IN_CREATE) < 0)
            ::_exit(253);
        char byte = 1;
        if (::write(ready[1], &byte, 1) != 1)
            ::_exit(252);
        int opened = 0;
        pollfd fds[2] = {{events, POLLIN, 0}, {stop[0], POLLIN, 0}};
        while (::poll(fds, 2, -1) > 0 && !(fds[1].revents & (POLLIN | POLLHUP))) {
            alignas(inotify_event) char buffer[4096];
            const ssize_t got = ::read(events, buffer, sizeof buffer);
            for (ssize_t at = 0; at < got;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
                const bool newFile = event->len > 0 && std::string_view(event->name).starts_with(".dovi.ini.new");
                const int fd = newFile ? ::open((dir.path() / event->name).c_str(), O_RDONLY) : -1;
                opened += fd >= 0 ? 1 : 0;
                if (fd >= 0)
                    ::close(fd);
                at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            }
        }
        ::_exit(std::min(opened, 250));
    }
    ::close(stop[0]);
    char byte = 0;
    ASSERT_EQ(::read(ready[0], &byte, 1), 1);
    SettingsFile file(ini);
    for (int i = 0; i < 500; ++i)
        ASSERT_TRUE(file.write("init", "n", std::to_string(i)).ok);
    ::close(stop[1]);
    int status = 0;
    ::waitpid(watcher, &status, 0);
    EXPECT_EQ(codeOf(status), 0) << "new files the watcher could open (250: 250 or more)";
}

// Marks a folder append-only (files can be added, none removed or renamed) for its lifetime.
class AppendOnly {
public:
    explicit AppendOnly(fs::path folder) : folder_(std::move(folder))
    {
        on_ = std::system(("chattr +a " + folder_.string() + " 2>/dev/null").c_str()) == 0;
    }
    ~AppendOnly()
    {
        if (on_ && std::system(("chattr -a " + folder_.string()).c_str()) != 0)
            ADD_FAILURE() << "could not make " << folder_ << " writable again";
    }
    bool on() const { return on_; }

private:
    fs::path folder_;
    bool on_ = false;
};

TEST(PrivacyAttack, AppendOnlyFolderKeepsOneEmptyLeftoverAtMost)
{
    if (!isRoot())
        GTEST_SKIP() << "chattr +a needs root";
    TempDir dir;
    const fs::path ini = dir / "dovi.ini";
    writeBytes(ini, kProfile);
    AppendOnly appendOnly(dir.path());
    if (!appendOnly.on())
        GTEST_SKIP() << "the file system of " << dir.path() << " has no append-only folders";
    for (int i = 0; i < 5; ++i) {
        EXPECT_FALSE(SettingsFile(ini).write("init", "n", std::to_string(i)).ok);
        EXPECT_EQ(runCli(ini, {"set", "init", "n", "x"}).code, 1);
    }
    EXPECT_EQ(readBytes(ini), kProfile);
    int leftovers = 0;
    for (const std::string& name : namesIn(dir.path())) {
        if (!name.starts_with(".dovi.ini.new"))
            continue;
        ++leftovers;
        EXPECT_EQ(fs::file_size(dir / name), 0u) << "a leftover holds content";
    }
    EXPECT_LE(leftovers, 1);
}

}  // namespace
}  // namespace dovi
