// The settings file under faults: places that cannot be written, a full disk, odd things named
// dovi.ini, writers killed at random moments, and several processes writing at once. Afterwards
// the file must be exactly the old or exactly the new one, hold every entry that was stored, and
// leave no more than one new file of a killed writer beside it.
#include <fcntl.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <set>
#include <sstream>

#include "settings/settingsfile.h"
#include "page/daypage.h"
#include "page/pagelabels.h"
#include "tests/attackutil.h"
#include "tests/testutil.h"

namespace dovi {
namespace {

namespace fs = std::filesystem;
using test::namesIn;
using test::readBytes;
using test::TempDir;
using test::writeBytes;

// Shift-JIS bytes of the Japanese names and values used below.
const std::string kUser = "\x8e\x67\x97\x70\x8e\xd2";        // 使用者
const std::string kBirthday = "\x92\x61\x90\xb6\x93\xfa";    // 誕生日 (a key of init and a section)
const std::string kRegistered = "\x93\x6f\x98\x5e\x93\xfa";  // 登録日
const std::string kSpecial = "\x93\xc1\x95\xca\x93\xfa";     // 特別日
const std::string kYamada = "\x8e\x52\x93\x63";              // 山田
const std::string kSenpai = "\x90\xe6\x94\x79";              // 先輩
const std::string kFurukabu = "\x8c\xc3\x8a\x94";            // 古株
const std::string kDaikan = "\x91\xe5\x8a\xa6";              // 大寒

// A registered user; the page of 14 March 2024 has one lettered and one bare birthday entry.
const std::string kProfile = "[init]\r\n" + kUser + "=" + kYamada + "\r\n" + kBirthday + "= 1973/ 7/ 5\r\n" +
                             kRegistered + "=2000/1/20\r\n";
const std::string kBareBirthday = "[" + kBirthday + "]\r\na03/14=" + kSenpai + ":1990\r\n03/14=" + kFurukabu + "\r\n";
const std::string kMovedBirthday = "[" + kBirthday + "]\r\na03/14=" + kSenpai + ":1990\r\nb03/14=" + kFurukabu + "\r\n";
const std::string kAt = "2024-03-14 12:00:20";

// Other entries, 56 bytes a line, so that writing the file takes a while.
std::string padding(int lines = 400)
{
    std::string text = "[pad]\r\n";
    for (int i = 0; i < lines; ++i)
        text += "k" + std::to_string(i) + "=" + std::string(50, 'p') + "\r\n";
    return text;
}

bool isNewFile(const std::string& name) { return name.starts_with(".dovi.ini.new"); }

int newFilesIn(const fs::path& dir)
{
    int count = 0;
    for (const std::string& name : namesIn(dir))
        count += isNewFile(name) ? 1 : 0;
    return count;
}

struct CliRun {
    int code = -1;    // the exit code, or 128 + the signal that ended the program
    std::string out;  // what it printed on standard output
};

int codeOf(int status) { return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status); }

// Starts dovi-cli --ini ini args. Its standard output goes to outFd (or nowhere), its errors
// nowhere. fileSizeLimit caps every file it writes, failing the write part-way as a full disk
// does, for root too. An alarm ends it after ten seconds, so that a hang fails the test.
pid_t startCli(const fs::path& ini, const std::vector<std::string>& args, int outFd = -1,
               std::optional<rlim_t> fileSizeLimit = std::nullopt)
{
    std::vector<std::string> all = {DOVI_CLI, "--ini", ini.string()};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& arg : all)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    const pid_t child = ::fork();
    if (child != 0)
        return child;
    const int nowhere = ::open("/dev/null", O_WRONLY);
    ::dup2(outFd >= 0 ? outFd : nowhere, STDOUT_FILENO);
    ::dup2(nowhere, STDERR_FILENO);
    if (fileSizeLimit) {
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{*fileSizeLimit, *fileSizeLimit};
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ::alarm(10);
    ::execv(argv[0], argv.data());
    ::_exit(127);
}

CliRun runCli(const fs::path& ini, const std::vector<std::string>& args,
              std::optional<rlim_t> fileSizeLimit = std::nullopt)
{
    int fds[2];
    if (::pipe(fds) != 0)
        return {};
    const pid_t child = startCli(ini, args, fds[1], fileSizeLimit);
    ::close(fds[1]);
    CliRun run;
    char buffer[4096];
    for (ssize_t got; (got = ::read(fds[0], buffer, sizeof buffer)) > 0;)
        run.out.append(buffer, static_cast<std::size_t>(got));
    ::close(fds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    run.code = codeOf(status);
    return run;
}

// Runs body in a child process and gives its exit code (or 128 + signal).
int inChild(const std::function<int()>& body, std::optional<rlim_t> fileSizeLimit = std::nullopt)
{
    const pid_t child = ::fork();
    if (child == 0) {
        if (fileSizeLimit) {
            ::signal(SIGXFSZ, SIG_IGN);
            const rlimit limit{*fileSizeLimit, *fileSizeLimit};
            ::setrlimit(RLIMIT_FSIZE, &limit);
        }
        ::alarm(30);
        ::_exit(body());
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return codeOf(status);
}

// A small tmpfs on a new folder: a disk that fills up, or a folder that is read-only for root
// too. Mounting needs the right to mount (root outside a restricted container).
class ScratchDisk {
public:
    ScratchDisk(fs::path where, const char* options) : where_(std::move(where))
    {
        fs::create_directory(where_);
        mounted_ = ::mount("tmpfs", where_.c_str(), "tmpfs", 0, options) == 0;
    }
    ~ScratchDisk()
    {
        if (mounted_)
            ::umount2(where_.c_str(), MNT_DETACH);
    }
    ScratchDisk(const ScratchDisk&) = delete;
    ScratchDisk& operator=(const ScratchDisk&) = delete;

    bool mounted() const { return mounted_; }
    bool makeReadOnly() { return ::mount("tmpfs", where_.c_str(), "tmpfs", MS_REMOUNT | MS_RDONLY, nullptr) == 0; }
    const fs::path& path() const { return where_; }

private:
    fs::path where_;
    bool mounted_ = false;
};

// Every kind of writer fails on ini, the page still shows the entry it could not move, and the
// file and its folder stay as they were.
void expectEveryWriterRefused(const fs::path& ini, const std::string& before,
                              std::optional<rlim_t> fileSizeLimit = std::nullopt)
{
    const int direct = inChild(
        [&] {
            const WriteResult result = SettingsFile(ini).write("init", "x", "1");
            return !result.ok && !result.error.empty() ? 0 : 1;
        },
        fileSizeLimit);
    EXPECT_EQ(direct, 0) << "SettingsFile::write";
    EXPECT_EQ(runCli(ini, {"set", "init", "x", "1"}, fileSizeLimit).code, 1) << "set";
    EXPECT_EQ(runCli(ini, {"add-birthday", "03/14", "new"}, fileSizeLimit).code, 1) << "add-birthday";
    const CliRun page = runCli(ini, {"page", "--at", kAt, "--seed", "1"}, fileSizeLimit);
    EXPECT_EQ(page.code, 0);
    EXPECT_NE(page.out.find("\n先輩さん34才の誕生日\n"
                            "古株さん 誕生日\n"),
              std::string::npos)
        << page.out;
    EXPECT_EQ(readBytes(ini), before);
    std::set<std::string> names = namesIn(ini.parent_path());
    names.erase(".dovi.ini.lock");  // made where the folder allows it, and harmless
    EXPECT_EQ(names, std::set<std::string>{"dovi.ini"});
}

TEST(FaultInjection, ReadOnlyFile)
{
    // The module checks the permission bits itself, so this holds for root too.
    TempDir dir;
    const std::string before = kProfile + kBareBirthday;
    writeBytes(dir / "dovi.ini", before);
    fs::permissions(dir / "dovi.ini", fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    expectEveryWriterRefused(dir / "dovi.ini", before);
}

TEST(FaultInjection, ReadOnlyFolder)
{
    TempDir dir;
    const std::string before = kProfile + kBareBirthday;
    if (::geteuid() != 0) {
        writeBytes(dir / "dovi.ini", before);
        fs::permissions(dir.path(), fs::perms::owner_read | fs::perms::owner_exec);
        expectEveryWriterRefused(dir / "dovi.ini", before);
        return;
    }
    // Permission bits do not stop root; a read-only mount does.
    ScratchDisk disk(dir / "disk", "size=256k");
    if (!disk.mounted())
        GTEST_SKIP() << "root, but mounting a tmpfs is not permitted here";
    writeBytes(disk.path() / "dovi.ini", before);
    ASSERT_TRUE(disk.makeReadOnly());
    expectEveryWriterRefused(disk.path() / "dovi.ini", before);
}

TEST(FaultInjection, FullDisk)
{
    TempDir dir;
    const std::string before = kProfile + padding(700) + kBareBirthday;
    ScratchDisk disk(dir / "disk", "size=64k");  // the file takes 39 KB: a second copy does not fit
    if (disk.mounted()) {
        writeBytes(disk.path() / "dovi.ini", before);
        expectEveryWriterRefused(disk.path() / "dovi.ini", before);
        return;
    }
    // Without a mount, a limit on the file size fails the write part-way in the same manner.
    writeBytes(dir / "disk" / "dovi.ini", before);
    expectEveryWriterRefused(dir / "disk" / "dovi.ini", before, rlim_t{4096});
}

TEST(FaultInjection, FolderFifoOrDanglingLinkNamedLikeTheFile)
{
    const struct {
        const char* name;
        std::function<void(const fs::path& dir)> make;
        int setCode;            // dovi-cli set
        const char* created;    // what set leaves in the file a dangling link names, or nullptr
        const char* got;        // what get prints: "0" for a missing file; nothing (exit 3) for one that cannot be read
    } cases[] = {
        {"folder", [](const fs::path& d) { fs::create_directory(d / "dovi.ini"); }, 3, nullptr, ""},
        {"FIFO", [](const fs::path& d) { ::mkfifo((d / "dovi.ini").c_str(), 0644); }, 3, nullptr, ""},
        {"link into a missing folder", [](const fs::path& d) { fs::create_symlink("gone/x.ini", d / "dovi.ini"); },
         1, nullptr, "0\n"},
        {"dangling link", [](const fs::path& d) { fs::create_symlink("x.ini", d / "dovi.ini"); }, 0,
         "[init]\r\nx=1\r\n", "0\n"},
    };
    for (const auto& c : cases) {
        TempDir dir;
        c.make(dir.path());
        const fs::path ini = dir / "dovi.ini";
        EXPECT_EQ(runCli(ini, {"get", "init", "x"}).out, c.got) << c.name;
        EXPECT_EQ(runCli(ini, {"page", "--at", kAt}).code, 3) << c.name;  // the start-up error
        SettingsFile file(ini);
        FixedClock clock({std::chrono::year{2024} / 3 / 14, 12, 0, 20});
        StandardRandom random(1);
        EXPECT_EQ(pageLabels(buildDayPage(file, clock, random)).msgCount, 1) << c.name;
        const std::set<std::string> names = namesIn(dir.path());
        EXPECT_EQ(runCli(ini, {"set", "init", "x", "1"}).code, c.setCode) << c.name;
        if (c.created) {
            EXPECT_TRUE(fs::is_symlink(ini)) << c.name;
            EXPECT_EQ(readBytes(dir / "x.ini"), c.created) << c.name;
        } else {
            EXPECT_EQ(namesIn(dir.path()), names) << c.name;
        }
    }
}

// A file whose one value n is the only thing that changes between writes.
std::string counterFile(long n) { return kProfile + "[count]\r\nn=" + std::to_string(n) + "\r\n" + padding(); }

// Which counterFile(n) bytes is; -1 when it is none of them.
long counterIn(const std::string& bytes, long low, long high)
{
    for (long n = low; n <= high; ++n)
        if (bytes == counterFile(n))
            return n;
    return -1;
}

TEST(KilledWriter, SettingsFileLoop)
{
    // A child stores n + 1, n + 2, ... and reports each finished write; it is killed after 0 to 4
    // ms. The file must then hold the last reported value or the one after it, byte for byte.
    TempDir dir;
    const fs::path ini = dir / "dovi.ini";
    writeBytes(ini, counterFile(0));
    std::mt19937 rng(20240314);
    std::uniform_int_distribution<int> delay(0, 4000);
    long n = 0;
    for (int run = 0; run < 160; ++run) {
        long done = n;
        ASSERT_NO_FATAL_FAILURE(
            test::attack::killWriterAfter(ini, n, static_cast<useconds_t>(delay(rng)), run, done));

        const long found = counterIn(readBytes(ini), done, done + 1);
        ASSERT_NE(found, -1) << "run " << run << ": neither the value " << done << " nor the next one";
        ASSERT_EQ(SettingsFile(ini).read("count", "n"), std::to_string(found));
        ASSERT_LE(newFilesIn(dir.path()), 1) << "run " << run;
        n = found;
    }
    ASSERT_TRUE(SettingsFile(ini).write("count", "n", "done").ok);
    EXPECT_EQ(namesIn(dir.path()), test::kFileAndLock);
}

TEST(KilledWriter, CliSetAndPageBuild)
{
    TempDir dir;
    const fs::path ini = dir / "dovi.ini";
    std::mt19937 rng(31);
    std::uniform_int_distribution<int> delay(0, 25000);
    const auto killAfterDelay = [&](pid_t child) {
        ::usleep(static_cast<useconds_t>(delay(rng)));
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        return codeOf(status);
    };

    // set: a run that ended by itself has stored the new value.
    writeBytes(ini, counterFile(0));
    long n = 0;
    for (int run = 0; run < 40; ++run) {
        const int code = killAfterDelay(startCli(ini, {"set", "count", "n", std::to_string(n + 1)}));
        const long found = counterIn(readBytes(ini), n, n + 1);
        ASSERT_NE(found, -1) << "set, run " << run;
        if (code == 0) {
            ASSERT_EQ(found, n + 1) << "set, run " << run;
        }
        ASSERT_LE(newFilesIn(dir.path()), 1) << "set, run " << run;
        n = found;
    }

    // page: each move of a bare entry is one change of the file; none is lost or doubled.
    const std::string special = "[" + kSpecial + "]\r\n03/14=" + kDaikan + "\r\n";
    const std::string movedSpecial = "[" + kSpecial + "]\r\na03/14=" + kDaikan + "\r\n";
    const std::string states[] = {
        kProfile + kBareBirthday + special,
        kProfile + kMovedBirthday + special,
        kProfile + kMovedBirthday + movedSpecial,
    };
    for (int run = 0; run < 40; ++run) {
        writeBytes(ini, states[0]);
        const int code = killAfterDelay(startCli(ini, {"page", "--at", kAt}));
        const std::string bytes = readBytes(ini);
        const bool known = bytes == states[0] || bytes == states[1] || bytes == states[2];
        ASSERT_TRUE(known) << "page, run " << run << ":\n" << bytes;
        if (code == 0) {
            ASSERT_EQ(bytes, states[2]) << "page, run " << run;
        }
        ASSERT_LE(newFilesIn(dir.path()), 1) << "page, run " << run;
    }
    ASSERT_TRUE(SettingsFile(ini).write("count", "n", "done").ok);
    EXPECT_EQ(namesIn(dir.path()), test::kFileAndLock);
}

TEST(KilledWriter, NewFilesOfLiveWritersAndOtherFilesStay)
{
    // Only new files of processes that no longer exist are cleared away: not the one a running
    // writer may still rename, and nothing that merely looks alike.
    TempDir dir;
    writeBytes(dir / "dovi.ini", kProfile);
    const pid_t gone = ::fork();
    if (gone == 0)
        ::_exit(0);
    ::waitpid(gone, nullptr, 0);
    const std::string live = ".dovi.ini.new-" + std::to_string(::getppid()) + "-1";
    const std::string dead = ".dovi.ini.new-" + std::to_string(gone) + "-7";
    const std::set<std::string> others = {"dovi.ini", live, ".dovi.ini.new-", ".dovi.ini.new-x-1",
                                          ".other.ini.new-" + std::to_string(gone) + "-1"};
    for (const std::string& name : others)
        if (name != "dovi.ini")
            writeBytes(dir / name, "x");
    writeBytes(dir / dead, "half a fi");
    fs::create_directory(dir / (".dovi.ini.new-" + std::to_string(gone) + "-8"));

    ASSERT_TRUE(SettingsFile(dir / "dovi.ini").write("init", "x", "1").ok);
    std::set<std::string> expected = others;
    expected.insert(".dovi.ini.new-" + std::to_string(gone) + "-8");  // a folder is never removed
    expected.insert(".dovi.ini.lock");
    EXPECT_EQ(namesIn(dir.path()), expected);
}

// Runs each body in a child process of its own, all at once, and expects each to end with 0.
void inParallel(const std::vector<std::function<int()>>& bodies)
{
    std::vector<pid_t> children;
    for (const auto& body : bodies) {
        const pid_t child = ::fork();
        if (child == 0) {
            ::alarm(60);
            ::_exit(body());
        }
        children.push_back(child);
    }
    for (pid_t child : children) {
        int status = 0;
        ::waitpid(child, &status, 0);
        EXPECT_EQ(codeOf(status), 0);
    }
}

// Runs dovi-cli add-birthday day prefix1, prefix2, ... count times; the number of failed runs.
int addBirthdays(const fs::path& ini, const std::string& day, const std::string& prefix, int count)
{
    int failures = 0;
    for (int i = 1; i <= count; ++i)
        failures += runCli(ini, {"add-birthday", day, prefix + std::to_string(i)}).code == 0 ? 0 : 1;
    return failures;
}

// The entries of 14 March in the birthday book, letter by letter up to the first missing one.
std::vector<std::string> entriesOf14March(const fs::path& ini)
{
    SettingsFile file(ini);
    std::vector<std::string> entries;
    for (char letter = 'a'; letter <= 'z'; ++letter) {
        std::string value = file.read("誕生日", letter + std::string("03/14"));
        if (value == "0")
            break;
        entries.push_back(std::move(value));
    }
    return entries;
}

TEST(ConcurrentWriters, TwoAddBirthdayLoopsOnOneDay)
{
    TempDir dir;
    const fs::path ini = dir / "dovi.ini";
    writeBytes(ini, kProfile);
    inParallel({[&] { return addBirthdays(ini, "03/14", "A", 13); },
                [&] { return addBirthdays(ini, "03/14", "B", 13); }});
    const std::vector<std::string> entries = entriesOf14March(ini);
    ASSERT_EQ(entries.size(), 26u);  // a to z, consecutive
    std::vector<std::string> a, b;
    for (const std::string& entry : entries)
        (entry[0] == 'A' ? a : b).push_back(entry);
    // Each writer's entries in the order it added them, each once.
    EXPECT_EQ(a, (std::vector<std::string>{"A1", "A2", "A3", "A4", "A5", "A6", "A7", "A8", "A9", "A10", "A11",
                                           "A12", "A13"}));
    EXPECT_EQ(b, (std::vector<std::string>{"B1", "B2", "B3", "B4", "B5", "B6", "B7", "B8", "B9", "B10", "B11",
                                           "B12", "B13"}));
    EXPECT_EQ(runCli(ini, {"add-birthday", "03/14", "C"}).code, 1);  // all 26 letters taken
    EXPECT_EQ(entriesOf14March(ini), entries);
}

// While one writer adds at the end of the day, another removes its first entry again and again:
// the day stays a queue without gaps, whatever the interleaving.
TEST(ConcurrentWriters, RemovingTheFirstEntryWhileEntriesAreAdded)
{
    TempDir dir;
    const fs::path ini = dir / "dovi.ini";
    writeBytes(ini, kProfile);
    const int adds = 13;
    const pid_t adder = ::fork();
    if (adder == 0) {
        ::alarm(60);
        ::_exit(addBirthdays(ini, "03/14", "A", adds));
    }
    int removed = 0;  // removals that found an entry; the others found the day empty
    for (int i = 0; i < 13; ++i)
        removed += runCli(ini, {"remove-birthday", "03/14", "a"}).code == 0 ? 1 : 0;
    int status = 0;
    ::waitpid(adder, &status, 0);
    ASSERT_EQ(codeOf(status), 0);

    std::vector<std::string> expected;
    for (int i = removed + 1; i <= adds; ++i)
        expected.push_back(std::string("A").append(std::to_string(i)));
    EXPECT_EQ(entriesOf14March(ini), expected) << removed << " removed";
    SettingsFile file(ini);
    for (char letter = static_cast<char>('a' + expected.size()); letter <= 'z'; ++letter)
        EXPECT_EQ(file.read("誕生日", letter + std::string("03/14")), "0") << letter;  // nothing after a gap
}

TEST(ConcurrentWriters, PageBuildMovesBareEntriesWhileEntriesAreAdded)
{
    // One process adds lettered entries through dovi-cli; one stores bare entries and builds the
    // page, which moves them; one builds the page through dovi-cli again and again.
    TempDir dir;
    const fs::path ini = dir / "dovi.ini";
    writeBytes(ini, kProfile + kBareBirthday);
    const auto buildPage = [&](SettingsFile& file) {
        FixedClock clock({std::chrono::year{2024} / 3 / 14, 12, 0, 20});
        StandardRandom random(1);
        buildDayPage(file, clock, random);
    };
    inParallel({
        [&] { return addBirthdays(ini, "03/14", "A", 9); },
        [&] {
            SettingsFile file(ini);
            int failures = 0;
            for (int i = 1; i <= 9; ++i) {
                buildPage(file);  // moves every bare entry, so this write adds one
                failures += file.write("誕生日", "03/14", "B" + std::to_string(i)).ok ? 0 : 1;
            }
            buildPage(file);
            return failures;
        },
        [&] {
            int failures = 0;
            for (int i = 0; i < 8; ++i)
                failures += runCli(ini, {"page", "--at", kAt}).code == 0 ? 0 : 1;
            return failures;
        },
    });
    const std::vector<std::string> entries = entriesOf14March(ini);
    EXPECT_EQ(std::multiset<std::string>(entries.begin(), entries.end()),
              (std::multiset<std::string>{"先輩:1990", "古株", "A1", "A2", "A3", "A4", "A5", "A6", "A7", "A8", "A9",
                                          "B1", "B2", "B3", "B4", "B5", "B6", "B7", "B8", "B9"}));
    EXPECT_EQ(SettingsFile(ini).read("誕生日", "03/14"), "0");
}

// A listing is one state of the file. While another process removes the first saying and adds one
// at the end again and again, every listing numbers its sayings 1 to n without a gap and shows each
// as it was written, in the order written: none skipped, none doubled, and no "0" of a key that
// was read after its line moved on.
TEST(ConcurrentReaders, ListingsOfSayingsWhileSayingsAreRemovedAndAdded)
{
    TempDir dir;
    const fs::path ini = dir / "dovi.ini";
    constexpr int kSayings = 150;
    const std::string sayings = "\x8c\xbe\x97\xec";  // 言霊
    std::string file = kProfile + sayings + "\x91\x8d\x90\x94=" + std::to_string(kSayings + 1) + "\r\n[" + sayings + "]\r\n";
    for (int i = 1; i <= kSayings; ++i)
        file += std::to_string(i) + "=saying " + std::to_string(i) + ",source\r\n";
    writeBytes(ini, file);

    const int rounds = 25;
    const pid_t writer = ::fork();
    if (writer == 0) {
        ::alarm(120);
        int failures = 0;
        for (int i = 1; i <= rounds; ++i) {
            failures += runCli(ini, {"remove-saying", "1"}).code == 0 ? 0 : 1;
            failures += runCli(ini, {"add-saying", "saying " + std::to_string(kSayings + i), "source"}).code == 0 ? 0 : 1;
        }
        ::_exit(failures);
    }
    int listings = 0;
    int status = 0;
    for (bool done = false; !done || listings < 5;) {
        done = done || ::waitpid(writer, &status, WNOHANG) == writer;
        const CliRun listing = runCli(ini, {"list-sayings"});
        ASSERT_EQ(listing.code, 0);
        ++listings;
        // "N<TAB>saying K<TAB>source" with N = 1, 2, ... and K one more on each line.
        std::istringstream lines(listing.out);
        std::string line;
        int number = 0, first = 0;
        while (std::getline(lines, line)) {
            ++number;
            const std::string prefix = std::to_string(number) + "\tsaying ";
            ASSERT_TRUE(line.starts_with(prefix) && line.ends_with("\tsource")) << "listing " << listings << ": " << line;
            const int k = std::stoi(line.substr(prefix.size()));
            if (number == 1)
                first = k;
            ASSERT_EQ(k, first + number - 1) << "listing " << listings << ": " << line;
        }
        EXPECT_TRUE(number == kSayings || number == kSayings - 1) << "listing " << listings << ": " << number;
    }
    EXPECT_EQ(codeOf(status), 0);  // the writer's failures
    EXPECT_EQ(runCli(ini, {"list-sayings"}).out.substr(0, 12), "1\tsaying " + std::to_string(rounds + 1) + "\t");
}

}  // namespace
}  // namespace dovi
