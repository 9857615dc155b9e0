// Attacks around the settings file itself: writers killed during a rewrite in place, several names
// of one file, planted symbolic links, exports over other files, files that cannot be read, files
// with lines in two encodings, and stored text that would drive the terminal or fake a column.
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <iostream>
#include <random>
#include <set>
#include <sstream>

#include "settings/settingsfile.h"
#include "tests/attackutil.h"
#include "tests/testutil.h"

namespace dovi {
namespace {

namespace fs = std::filesystem;
using namespace test::attack;
using test::namesIn;
using test::readBytes;
using test::TempDir;
using test::writeBytes;

// Shift-JIS: [init] with 使用者=山田.
const std::string kProfile = "[init]\r\n\x8e\x67\x97\x70\x8e\xd2=\x8e\x52\x93\x63\r\n";

// A file whose one value n is what changes between writes, padded to about size bytes.
std::string counterFile(long n, std::size_t size)
{
    std::string text = kProfile + "[count]\r\nn=" + std::to_string(n) + "\r\n[pad]\r\n";
    for (int i = 0; text.size() < size; ++i)
        text += "k" + std::to_string(i) + "=" + std::string(50, 'p') + "\r\n";
    return text;
}

// How many kill runs JournalAttack makes per file size: a few seconds' worth unless DOVI_KILL_RUNS
// asks for more (the long measurement).
int killRuns(int fallback)
{
    const char* asked = std::getenv("DOVI_KILL_RUNS");
    return asked ? std::atoi(asked) : fallback;
}

// ---------------------------------------------------------------------------------------------
// A rewrite in place (the file has a second hard link) killed at any moment leaves the old or
// the new content once the next access has run, and never more than one journal.

void killLoop(std::size_t size, int runs, int maxDelayUs)
{
    TempDir dir;
    const fs::path ini = dir / "dovi.ini";
    writeBytes(ini, counterFile(0, size));
    fs::create_hard_link(ini, dir / "link.ini");
    std::mt19937 rng(20240505);
    std::uniform_int_distribution<int> delay(0, maxDelayUs);
    long n = 0;
    int journals = 0, restored = 0, done = 0;
    for (int run = 0; run < runs; ++run) {
        long reported = n;
        ASSERT_NO_FATAL_FAILURE(killWriterAfter(ini, n, static_cast<useconds_t>(delay(rng)), run, reported));
        done += static_cast<int>(reported - n);

        // Nothing but the file, its link, the lock files of the two names and at most one journal.
        std::set<std::string> names = namesIn(dir.path());
        const bool journal = names.erase(".dovi.ini.journal") == 1 && fs::file_size(dir / ".dovi.ini.journal") > 0;
        journals += journal ? 1 : 0;
        names.erase(".link.ini.lock");  // made by an access through link.ini that found a journal
        ASSERT_EQ(names, (std::set<std::string>{".dovi.ini.lock", "dovi.ini", "link.ini"})) << "run " << run;
        const bool damaged = readBytes(ini) != counterFile(reported, size) &&
                             readBytes(ini) != counterFile(reported + 1, size);

        // The next access, through the other name, puts the old content back first.
        const std::string value = SettingsFile(dir / "link.ini").read("count", "n");
        const std::string bytes = readBytes(ini);
        const long found = bytes == counterFile(reported, size) ? reported
                           : bytes == counterFile(reported + 1, size) ? reported + 1
                                                                       : -1;
        ASSERT_NE(found, -1) << "run " << run << ": neither the value " << reported << " nor the next one";
        ASSERT_EQ(value, std::to_string(found)) << "run " << run;
        // Gone, or left empty by a writer killed before it wrote into it: an empty one is none.
        const fs::path left = dir / ".dovi.ini.journal";
        ASSERT_TRUE(!fs::exists(left) || fs::file_size(left) == 0) << "run " << run;
        restored += damaged ? 1 : 0;
        n = found;
    }
    std::cout << "[ kill loop ] " << size << " bytes: " << runs << " kills, " << done << " writes done, "
              << journals << " journals left (each undone by the next access), " << restored
              << " files damaged until then, 0 other files\n";
}

TEST(JournalAttack, KilledRewritesInPlaceOfA22KilobyteFile) { killLoop(22 * 1024, killRuns(100), 40000); }

TEST(JournalAttack, KilledRewritesInPlaceOfA2MegabyteFile) { killLoop(2 * 1024 * 1024, killRuns(15), 400000); }

TEST(JournalAttack, HalfWrittenJournalIsRemovedAndTheFileKept)
{
    // A writer killed while writing the journal had not touched the file: the journal goes.
    TempDir dir;
    const fs::path ini = dir / "dovi.ini";
    writeBytes(ini, kProfile);
    writeBytes(dir / ".dovi.ini.journal", kProfile.substr(0, 10));
    ASSERT_TRUE(SettingsFile(ini).write("init", "x", "1").ok);
    EXPECT_EQ(readBytes(ini), kProfile + "x=1\r\n");
    EXPECT_EQ(namesIn(dir.path()), test::kFileAndLock);
}

// ---------------------------------------------------------------------------------------------
// What killed writers leave has fixed names, so the next writer removes it, also where it may not
// list the folder.

TEST(LeftoverAttack, KilledWritersInAFolderTheWriterCannotListLeaveOneFileAtMost)
{
    // As root, the writers run as another user, for whom the folder's mode counts.
    const Identity* const writer = isRoot() ? &kA : nullptr;
    TempDir dir;
    fs::permissions(dir.path(), fs::perms::owner_all | fs::perms::others_exec);
    const fs::path box = dir / "box";
    fs::create_directory(box);
    const fs::path ini = box / "dovi.ini";
    writeBytes(ini, counterFile(0, 200 * 1024));
    if (writer) {
        own(ini, *writer, 0600);
        own(box, *writer, 0700);
    }
    ::chmod(box.c_str(), 0300);  // write and search, no listing
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> delay(0, 20000);
    for (int run = 0; run < 60; ++run) {
        const pid_t child = ::fork();
        if (child == 0) {
            if (writer && !become(*writer))
                ::_exit(126);
            SettingsFile file(ini);
            for (long next = 1;; ++next)
                file.write("count", "n", std::to_string(next));
        }
        ::usleep(static_cast<useconds_t>(delay(rng)));
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
    }
    ::chmod(box.c_str(), 0700);
    std::set<std::string> names = namesIn(box);
    names.erase(".dovi.ini.new");
    EXPECT_EQ(names, test::kFileAndLock);
    ::chmod(box.c_str(), 0300);
    EXPECT_EQ(inChild([&] { return SettingsFile(ini).write("count", "n", "done").ok ? 0 : 1; }, writer), 0);
    ::chmod(box.c_str(), 0700);
    EXPECT_EQ(namesIn(box), test::kFileAndLock);
}

TEST(LeftoverAttack, AppendOnlyFolderWithAHardLinkedFileKeepsOneEmptyJournal)
{
    if (!isRoot())
        GTEST_SKIP() << "chattr +a needs root";
    TempDir dir;
    const fs::path ini = dir / "dovi.ini";
    writeBytes(ini, kProfile);
    fs::create_hard_link(ini, dir / "link.ini");
    if (std::system(("chattr +a " + dir.path().string() + " 2>/dev/null").c_str()) != 0)
        GTEST_SKIP() << "the file system of " << dir.path() << " has no append-only folders";
    std::string expected = kProfile;
    for (int i = 0; i < 5; ++i) {
        const WriteResult result = SettingsFile(ini).write("init", "n" + std::to_string(i), "x");
        EXPECT_TRUE(result.ok) << result.error;
        expected += "n" + std::to_string(i) + "=x\r\n";
    }
    const std::set<std::string> names = namesIn(dir.path());
    const std::uintmax_t journalSize = fs::exists(dir / ".dovi.ini.journal") ? fs::file_size(dir / ".dovi.ini.journal") : 0;
    EXPECT_EQ(std::system(("chattr -a " + dir.path().string()).c_str()), 0);
    // Every write is kept: the emptied journal is no journal for the next access.
    EXPECT_EQ(SettingsFile(dir / "link.ini").read("init", "n4"), "x");
    EXPECT_EQ(readBytes(ini), expected);
    EXPECT_EQ(names, (std::set<std::string>{".dovi.ini.journal", ".dovi.ini.lock", "dovi.ini", "link.ini"}));
    EXPECT_EQ(journalSize, 0u);
}

// ---------------------------------------------------------------------------------------------
// Writers that reach one file by several names exclude each other.

TEST(HardLinkAttack, AddBirthdayLoopsThroughTwoFoldersLoseNothing)
{
    TempDir dir;
    fs::create_directory(dir / "one");
    fs::create_directory(dir / "two");
    writeBytes(dir / "one" / "dovi.ini", kProfile);
    fs::create_hard_link(dir / "one" / "dovi.ini", dir / "two" / "dovi.ini");
    std::vector<pid_t> loops;
    for (const char* folder : {"one", "two"}) {
        const pid_t child = ::fork();
        if (child == 0) {
            for (int i = 1; i <= 13; ++i)
                if (runCli(dir / folder / "dovi.ini", {"add-birthday", "05/05", folder + std::to_string(i)}).code != 0)
                    ::_exit(1);
            ::_exit(0);
        }
        loops.push_back(child);
    }
    for (const pid_t child : loops) {
        int status = 0;
        ::waitpid(child, &status, 0);
        EXPECT_EQ(codeOf(status), 0) << "an add-birthday failed";
    }
    std::set<std::string> names;
    SettingsFile file(dir / "two" / "dovi.ini");
    for (char letter = 'a'; letter <= 'z'; ++letter)
        names.insert(file.read("誕生日", letter + std::string("05/05")));
    std::set<std::string> expected;
    for (int i = 1; i <= 13; ++i) {
        expected.insert("one" + std::to_string(i));
        expected.insert("two" + std::to_string(i));
    }
    EXPECT_EQ(names, expected);
}

// ---------------------------------------------------------------------------------------------
// A symbolic link of another user is not followed by a write; reading makes nothing anywhere.

TEST(LinkAttack, PlantedLinkOfAnotherUserIsNotFollowedByAWrite)
{
    if (!isRoot())
        GTEST_SKIP() << "needs root to plant a link that belongs to another user";
    TempDir dir;
    fs::create_directory(dir / "etc");
    const std::string system = "root:x:0:0:root:/root:/bin/bash\n";
    writeBytes(dir / "etc" / "passwd", system);
    fs::create_directory(dir / "shared");
    const fs::path ini = dir / "shared" / "dovi.ini";
    fs::create_symlink(dir / "etc" / "passwd", ini);
    ASSERT_EQ(::lchown(ini.c_str(), kB.uid, kB.gid), 0);

    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"add-birthday", "05/05", "X"}, {"set", "init", "x", "1"}, {"add-saying", "a", "b"}}) {
        const CliRun run = runCli(ini, args);
        EXPECT_EQ(run.code, 1) << args[0];
        EXPECT_NE(run.err.find("symbolic link of another user"), std::string::npos) << run.err;
    }
    const WriteResult direct = SettingsFile(ini).write("init", "x", "1");
    EXPECT_EQ(direct.reason, WriteFailure::UntrustedLink);
    runCli(ini, {"page", "--at", "2024-03-14 12:00:20"});
    EXPECT_EQ(readBytes(dir / "etc" / "passwd"), system);
    EXPECT_EQ(namesIn(dir / "etc"), std::set<std::string>{"passwd"});
    EXPECT_EQ(namesIn(dir / "shared"), std::set<std::string>{"dovi.ini"});

    // A link of the user who writes, or of root, is followed as before.
    ASSERT_EQ(::lchown(ini.c_str(), 0, 0), 0);
    writeBytes(dir / "etc" / "passwd", kProfile);
    EXPECT_EQ(runCli(ini, {"set", "init", "x", "1"}).code, 0);
    EXPECT_EQ(readBytes(dir / "etc" / "passwd"), kProfile + "x=1\r\n");
}

TEST(LinkAttack, CommandsThatOnlyReadMakeNoFile)
{
    TempDir dir;
    fs::create_directory(dir / "target");
    writeBytes(dir / "target" / "book.ini", kProfile + "[\x92\x61\x90\xb6\x93\xfa]\r\na05/05=X\r\n");
    fs::create_directory(dir / "here");
    const fs::path ini = dir / "here" / "dovi.ini";
    fs::create_symlink(dir / "target" / "book.ini", ini);
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"list"}, {"list", "05/05"}, {"list-sayings"}, {"get", "init", "x"}, {"export-ics"}, {"holidays", "2024"}}) {
        const CliRun run = runCli(ini, args);
        EXPECT_EQ(run.code, 0) << args[0] << ": " << run.err;
    }
    EXPECT_EQ(namesIn(dir / "target"), std::set<std::string>{"book.ini"});
    EXPECT_EQ(namesIn(dir / "here"), std::set<std::string>{"dovi.ini"});
}

// ---------------------------------------------------------------------------------------------
// The export replaces its target as a whole, never the settings file, and writes clean text.

const std::string kBook = kProfile + "[\x92\x61\x90\xb6\x93\xfa]\r\na07/05=\x91\xbe\x98\x59:1990\r\nb07/05=Hana\r\n";

TEST(ExportAttack, FullDiskOrKilledExportLeavesThePreviousExportWhole)
{
    TempDir dir;
    const fs::path ini = dir / "dovi.ini";
    writeBytes(ini, kBook);
    const std::string previous = "BEGIN:VCALENDAR\r\n" + std::string(200000, 'x') + "\r\nEND:VCALENDAR\r\n";
    writeBytes(dir / "old.ics", previous);
    ::chmod((dir / "old.ics").c_str(), 0640);

    // A file-size limit fails the write part-way, as a full disk does.
    const int code = inChild([&] {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{300, 300};  // the export is longer
        ::setrlimit(RLIMIT_FSIZE, &limit);
        const CliRun run = runCli(ini, {"export-ics", (dir / "old.ics").string()});
        return run.code == 1 && run.err.find("old.ics could not be written") != std::string::npos ? 0 : 1;
    });
    EXPECT_EQ(code, 0);
    EXPECT_EQ(readBytes(dir / "old.ics"), previous);
    EXPECT_EQ(namesIn(dir.path()), (std::set<std::string>{"dovi.ini", "old.ics"}));

    // Done, it replaces the file and keeps its mode.
    ASSERT_EQ(runCli(ini, {"export-ics", (dir / "old.ics").string()}).code, 0);
    EXPECT_TRUE(readBytes(dir / "old.ics").starts_with("BEGIN:VCALENDAR\r\n"));
    EXPECT_NE(readBytes(dir / "old.ics").find("SUMMARY:Hanaさん 誕生日"), std::string::npos);
    EXPECT_EQ(statusOf(dir / "old.ics").st_mode & 07777, 0640u);
    EXPECT_EQ(namesIn(dir.path()), (std::set<std::string>{"dovi.ini", "old.ics"}));
}

TEST(ExportAttack, SettingsFileAndOtherThanRegularFilesAreRefused)
{
    TempDir dir;
    const fs::path ini = dir / "dovi.ini";
    writeBytes(ini, kBook);
    fs::create_hard_link(ini, dir / "other-name.ini");
    fs::create_symlink("dovi.ini", dir / "link.ics");
    ::mkfifo((dir / "pipe.ics").c_str(), 0644);
    fs::create_directory(dir / "folder.ics");
    for (const char* target : {"dovi.ini", "other-name.ini", "link.ics"}) {
        const CliRun run = runCli(ini, {"export-ics", (dir / target).string()});
        EXPECT_EQ(run.code, 1) << target;
        EXPECT_NE(run.err.find("is the settings file itself"), std::string::npos) << run.err;
    }
    for (const char* target : {"pipe.ics", "folder.ics"}) {
        const CliRun run = runCli(ini, {"export-ics", (dir / target).string()});
        EXPECT_EQ(run.code, 1) << target;
        EXPECT_NE(run.err.find("is not a regular file"), std::string::npos) << run.err;
    }
    EXPECT_EQ(readBytes(ini), kBook);
    EXPECT_EQ(namesIn(dir.path()),
              (std::set<std::string>{"dovi.ini", "other-name.ini", "link.ics", "pipe.ics", "folder.ics"}));
}

// The UID of the event whose summary starts with summary, or "" when there is none.
std::string uidOfEvent(const std::string& calendar, const std::string& summary)
{
    std::istringstream lines(calendar);
    std::string uid;
    for (std::string line; std::getline(lines, line);) {
        if (line.starts_with("UID:"))
            uid = line.substr(4, line.size() - 5);  // without the CR
        if (line.starts_with("SUMMARY:" + summary))
            return uid;
    }
    return {};
}

TEST(ExportAttack, ControlCharactersLeftOutAndUidsStayWithTheirEntry)
{
    TempDir dir;
    const fs::path ini = dir / "dovi.ini";
    writeBytes(ini, kProfile + "[\x93\xc1\x95\xca\x93\xfa]\r\na07/05=a\x1b[31mb\x07\x0b\x7f\x0c\tc\r\n"
                               "[\x92\x61\x90\xb6\x93\xfa]\r\na07/05=First\r\nb07/05=Second:1980\r\n");
    const CliRun before = runCli(ini, {"export-ics"});
    ASSERT_EQ(before.code, 0) << before.err;
    EXPECT_NE(before.out.find("SUMMARY:a[31mb\tc\r\n"), std::string::npos) << before.out;
    const std::string second = uidOfEvent(before.out, "Second");
    ASSERT_FALSE(second.empty());
    EXPECT_NE(second, uidOfEvent(before.out, "First"));

    // After the first entry is removed, Second moves to letter a and keeps its UID; no UID of
    // the first export is given to another entry.
    ASSERT_EQ(runCli(ini, {"remove-birthday", "07/05", "a"}).code, 0);
    const CliRun after = runCli(ini, {"export-ics"});
    EXPECT_EQ(uidOfEvent(after.out, "Second"), second);
    EXPECT_EQ(after.out.find(uidOfEvent(before.out, "First")), std::string::npos);
}

// ---------------------------------------------------------------------------------------------
// A file that cannot be read is an error for every command, which writes nothing.

void expectUnreadable(const fs::path& ini, const std::string& reason, const Identity* who = nullptr)
{
    const fs::path dir = ini.parent_path();
    const std::set<std::string> names = namesIn(dir);
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"list"},
             {"list-sayings"},
             {"get", "init", "x"},
             {"export-ics", (dir / "out.ics").string()},
             {"edit-birthday", "05/05", "a", "X"},
             {"remove-special", "05/05", "a"},
             {"add-birthday", "05/05", "X"},
             {"page", "--at", "2024-03-14 12:00:20"}}) {
        const CliRun run = runCli(ini, args, who);
        EXPECT_EQ(run.code, 3) << reason << ": " << args[0];
        EXPECT_EQ(run.out, "") << reason << ": " << args[0];
        EXPECT_EQ(run.err, "dovi-cli: the settings file " + ini.string() + " cannot be read (" + reason + ")\n")
            << args[0];
    }
    EXPECT_EQ(namesIn(dir), names) << reason;
}

TEST(UnreadableAttack, FolderFifoHugeOrForbiddenFileIsAnErrorForEveryCommand)
{
    {
        TempDir dir;
        fs::create_directory(dir / "dovi.ini");
        expectUnreadable(dir / "dovi.ini", "it is a folder");
    }
    {
        TempDir dir;
        ::mkfifo((dir / "dovi.ini").c_str(), 0644);
        expectUnreadable(dir / "dovi.ini", "it is not a regular file");
    }
    {
        TempDir dir;
        writeBytes(dir / "dovi.ini", kProfile);
        fs::resize_file(dir / "dovi.ini", std::uintmax_t{257} << 20);  // sparse: takes no room
        expectUnreadable(dir / "dovi.ini", "it is larger than 256 MB");
    }
    {
        TempDir dir;
        writeBytes(dir / "dovi.ini", kProfile);
        ::chmod((dir / "dovi.ini").c_str(), 0);
        if (isRoot()) {  // root reads any file: as another user, in a folder that user may enter
            fs::permissions(dir.path(), fs::perms::owner_all | fs::perms::others_all);
            expectUnreadable(dir / "dovi.ini", "Permission denied", &kA);
        } else {
            expectUnreadable(dir / "dovi.ini", "Permission denied");
        }
    }
}

// ---------------------------------------------------------------------------------------------
// A UTF-8 file with a line from a Shift-JIS editor keeps its book.

// UTF-8: a user, one birthday, two sayings (言霊総数 = n + 1), and the second saying's text in
// Shift-JIS.
const std::string kMixed = "[init]\r\n使用者=山田\r\n言霊総数=3\r\n[誕生日]\r\na05/05=太郎:1990\r\n[言霊]\r\n"
                           "1=一つ目,出典\r\n2=\x93\xf1\x82\xc2\x96\xda,\x8f\x6f\x93\x54\r\n";

TEST(MixedFileAttack, OneShiftJisLineKeepsTheBookOfAUtf8File)
{
    TempDir dir;
    const fs::path ini = dir / "dovi.ini";
    writeBytes(ini, kMixed);
    CliRun list = runCli(ini, {"list"});
    EXPECT_EQ(list.out, "05/05\t誕生日\ta\t太郎\t1990\n");
    CliRun sayings = runCli(ini, {"list-sayings"});
    EXPECT_TRUE(sayings.out.starts_with("1\t一つ目\t出典\n2\t\uFFFD")) << sayings.out;
    EXPECT_EQ(std::count(sayings.out.begin(), sayings.out.end(), '\n'), 2) << sayings.out;

    // A write adds to the sections there, in UTF-8, and keeps the odd line byte for byte.
    ASSERT_EQ(runCli(ini, {"add-saying", "三つ目", "出典"}).out, "3\n");
    ASSERT_EQ(runCli(ini, {"add-birthday", "05/05", "花子"}).code, 0);
    EXPECT_EQ(readBytes(ini), "[init]\r\n使用者=山田\r\n言霊総数=4\r\n[誕生日]\r\na05/05=太郎:1990\r\nb05/05=花子\r\n"
                              "[言霊]\r\n1=一つ目,出典\r\n2=\x93\xf1\x82\xc2\x96\xda,\x8f\x6f\x93\x54\r\n3=三つ目,出典\r\n");
}

TEST(MixedFileAttack, SectionAndKeyOnShiftJisLinesAreFoundInAUtf8File)
{
    // The count and the sayings' section line came from a Shift-JIS editor: a write changes them
    // instead of adding a second count or section in UTF-8.
    TempDir dir;
    const fs::path ini = dir / "dovi.ini";
    const std::string birthdays = "[誕生日]\r\na05/05=太郎\r\n";
    writeBytes(ini, "[init]\r\n使用者=山田\r\n\x8c\xbe\x97\xec\x91\x8d\x90\x94=2\r\n[\x8c\xbe\x97\xec]\r\n1=一つ目,出典\r\n" +
                        birthdays);
    EXPECT_EQ(runCli(ini, {"list-sayings"}).out, "1\t一つ目\t出典\n");
    ASSERT_EQ(runCli(ini, {"add-saying", "二つ目", "出典"}).out, "2\n");
    EXPECT_EQ(readBytes(ini),
              "[init]\r\n使用者=山田\r\n\x8c\xbe\x97\xec\x91\x8d\x90\x94=3\r\n[\x8c\xbe\x97\xec]\r\n1=一つ目,出典\r\n"
              "2=二つ目,出典\r\n" + birthdays);
}

TEST(MixedFileAttack, EncodingEdges)
{
    const struct {
        const char* name;
        std::string bytes;
        FileEncoding encoding;
    } cases[] = {
        {"one stray byte in a UTF-8 line", "[誕生日]\r\na05/05=太\x80郎\r\nb05/05=花子\r\n", FileEncoding::Utf8},
        {"a mark, then a Shift-JIS line", "\xEF\xBB\xBF[誕生日]\r\na05/05=\x91\xbe\x98\x59\r\n", FileEncoding::Utf8Bom},
        {"lone CR line ends", "[誕生日]\ra05/05=\x91\xbe\x98\x59\rb05/05=花子\rc05/05=次郎\r", FileEncoding::Utf8},
        {"Shift-JIS with one line that is valid UTF-8", "[\x92\x61\x90\xb6\x93\xfa]\r\na05/05=\xc3\xa9\r\n"
                                                        "b05/05=\x91\xbe\x98\x59\r\nc05/05=\x8e\x9f\x98\x59\r\n",
         FileEncoding::Cp932},
    };
    for (const auto& c : cases) {
        TempDir dir;
        writeBytes(dir / "dovi.ini", c.bytes);
        SettingsFile file(dir / "dovi.ini");
        EXPECT_EQ(file.encoding(), c.encoding) << c.name;
        EXPECT_NE(file.read("誕生日", "a05/05"), "0") << c.name;  // the section is found
    }
    // The stray byte shows as U+FFFD, and a write elsewhere keeps it.
    TempDir dir;
    writeBytes(dir / "dovi.ini", cases[0].bytes);
    SettingsFile file(dir / "dovi.ini");
    EXPECT_EQ(file.read("誕生日", "a05/05"), "太\uFFFD郎");
    ASSERT_TRUE(file.write("誕生日", "b05/05", "花").ok);
    EXPECT_EQ(readBytes(dir / "dovi.ini"), "[誕生日]\r\na05/05=太\x80郎\r\nb05/05=花\r\n");
    // Removing a UTF-8 line so that as many lines are not UTF-8 would make the file read as
    // Shift-JIS: refused, and the file stays.
    const std::string even = "[誕生日]\r\na05/05=太\x80郎\r\nb05/05=花子\r\n";
    writeBytes(dir / "dovi.ini", even);
    SettingsFile evenFile(dir / "dovi.ini");
    EXPECT_EQ(evenFile.write("誕生日", "b05/05", std::nullopt).reason, WriteFailure::WouldReadAsShiftJis);
    EXPECT_EQ(readBytes(dir / "dovi.ini"), even);
}

// ---------------------------------------------------------------------------------------------
// Messages and columns show control characters and TABs escaped.

TEST(EscapeAttack, MessagesAndColumnsEscapeControlsAndTabs)
{
    TempDir dir;
    const fs::path ini = dir / "dovi.ini";
    writeBytes(ini, kProfile);
    // U+009B has no Shift-JIS code: the refusal quotes it.
    const CliRun refused = runCli(ini, {"set", "init", "x", "a\xc2\x9b[31m"});
    EXPECT_EQ(refused.code, 1);
    EXPECT_EQ(refused.err.find("\xc2\x9b"), std::string::npos) << refused.err;
    EXPECT_NE(refused.err.find("\\u009b"), std::string::npos) << refused.err;

    ASSERT_EQ(runCli(ini, {"add-birthday", "05/05", "A\tfake\x1b"}).code, 0);
    const CliRun list = runCli(ini, {"list", "05/05"});
    EXPECT_EQ(list.out, "05/05\t誕生日\ta\tA\\x09fake\\x1b\t\n");
    const CliRun unknown = runCli(ini, {"\x1b]0;x\x07\tcommand"});
    EXPECT_EQ(unknown.code, 2);
    EXPECT_TRUE(unknown.err.starts_with("dovi-cli: unknown command '\\x1b]0;x\\x07\\x09command'\n")) << unknown.err;
}

}  // namespace
}  // namespace dovi
