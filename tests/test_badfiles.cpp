// A catalogue of damaged and unusual settings files. For each: what reading gives, what a write of
// another key leaves, and what the page build of 14 March 2024 does to it: it returns, and it
// changes the file only by moving a bare entry to a letter, with the entry's bytes kept.
#include <unistd.h>

#include <gtest/gtest.h>

#include <set>

#include "settings/settingsfile.h"
#include "page/daypage.h"
#include "tests/testutil.h"

namespace dovi {
namespace {

namespace fs = std::filesystem;
using test::garbage;
using test::namesIn;
using test::readBytes;
using test::TempDir;
using test::writeBytes;

// Shift-JIS bytes of the Japanese text used below.
const std::string kUser = "\x8e\x67\x97\x70\x8e\xd2";      // 使用者
const std::string kBook = "[\x92\x61\x90\xb6\x93\xfa]";    // [誕生日]
const std::string kYamada = "\x8e\x52\x93\x63";            // 山田
const std::string kTaro = "\x91\xbe\x98\x59";              // 太郎
const std::string kSenpai = "\x90\xe6\x94\x79";            // 先輩
const std::string kFurukabu = "\x8c\xc3\x8a\x94";          // 古株
const std::string kDaikan = "\x91\xe5\x8a\xa6";            // 大寒
const std::string kHanako = "\x89\xd4\x8e\x71";            // 花子
const std::string kKabu = "\x8a\x94";                      // 株
const std::string kSen = "\x90\xe6", kPai = "\x94\x79";    // 先, 輩
const std::string kFuru = "\x8c\xc3";                      // 古

std::string repeat(const std::string& text, std::size_t times)
{
    std::string out;
    out.reserve(text.size() * times);
    for (std::size_t i = 0; i < times; ++i)
        out += text;
    return out;
}

std::string nul(const std::string& a, const std::string& b) { return a + std::string(1, '\0') + b; }

// ASCII text as UTF-16LE.
std::string le(std::string_view ascii)
{
    std::string out;
    for (char c : ascii)
        out += std::string{c, '\0'};
    return out;
}
const std::string kBook16 = le("[") + "\x95\x8a\x1f\x75\xe5\x65" + le("]\r\n");  // [誕生日] in UTF-16LE
const std::string kFurukabu16 = "\xe4\x53\x2a\x68";                                // 古株 in UTF-16LE

struct Read {
    const char* section;
    const char* key;
    std::string expected;
};

struct BadFile {
    const char* name;
    std::string bytes;
    std::vector<Read> reads;
    std::vector<std::string> messages;      // the page's messages; empty: not checked
    std::optional<std::string> afterBuild;  // the file after the build; nullopt: unchanged
    std::optional<std::string> afterWrite;  // the file after storing x=1 in init; nullopt: not tried
};

std::vector<BadFile> catalogue()
{
    const std::string big = repeat(kKabu, 10u << 20);  // 20 MB of 株
    const std::string x1020 = std::string(1020, 'x'), x1021 = std::string(1021, 'x');
    return {
        {"empty file", "", {{"init", "使用者", "0"}}, {}, std::nullopt, "[init]\r\nx=1\r\n"},
        {"UTF-16 mark only", "\xff\xfe", {{"init", "使用者", "0"}}, {}, std::nullopt,
         std::string("\xff\xfe[\0i\0n\0i\0t\0]\0\r\0\n\0x\0=\0" "1\0\r\0\n\0", 28)},
        {"binary garbage", std::string("\0\x9f\xff[\x81]\r\n\xfe=\x80\xfd\n\x1a\0", 15),
         {{"init", "使用者", "0"}}, {}, std::nullopt,
         std::string("\0\x9f\xff[\x81]\r\n\xfe=\x80\xfd\n\x1a\0\r\n[init]\r\nx=1\r\n", 30)},
        {"64 KB of random bytes", garbage(65536), {{"init", "使用者", "0"}}, {}, std::nullopt, std::nullopt},
        {"NUL bytes inside values",
         "[init]\r\n" + kUser + "=" + nul(kYamada, kTaro) + "\r\n" + kBook + "\r\na03/14=" + nul(kSen, kPai) +
             "\r\n03/14=" + nul(kFuru, kKabu) + "\r\n",
         {{"init", "使用者", "山田"}, {"誕生日", "a03/14", "先"}, {"誕生日", "03/14", "古"}},
         {"先さん 誕生日", "古さん 誕生日"},
         "[init]\r\n" + kUser + "=" + nul(kYamada, kTaro) + "\r\n" + kBook + "\r\na03/14=" + nul(kSen, kPai) +
             "\r\nb03/14=" + nul(kFuru, kKabu) + "\r\n",
         std::nullopt},
        {"undecodable Shift-JIS",
         "[init]\r\n" + kUser + "=\x81\x20" + kTaro + "\r\n" + kBook + "\r\n03/14=\x81\x20" + kFurukabu + "\r\n",
         {{"init", "使用者", "\uFFFD 太郎"}, {"誕生日", "03/14", "\uFFFD 古株"}},
         {"\uFFFD 古株さん 誕生日"},
         "[init]\r\n" + kUser + "=\x81\x20" + kTaro + "\r\n" + kBook + "\r\na03/14=\x81\x20" + kFurukabu + "\r\n",
         "[init]\r\n" + kUser + "=\x81\x20" + kTaro + "\r\nx=1\r\n" + kBook + "\r\n03/14=\x81\x20" + kFurukabu +
             "\r\n"},
        {"lone CR line ends",
         "[init]\r" + kUser + "=" + kYamada + "\r" + kBook + "\ra03/14=" + kSenpai + ":1990\r03/14=" + kFurukabu + "\r",
         {{"init", "使用者", "山田"}, {"誕生日", "03/14", "古株"}},
         {"先輩さん34才の誕生日", "古株さん 誕生日"},
         "[init]\r" + kUser + "=" + kYamada + "\r" + kBook + "\ra03/14=" + kSenpai + ":1990\rb03/14=" + kFurukabu + "\r",
         "[init]\r" + kUser + "=" + kYamada + "\rx=1\r" + kBook + "\ra03/14=" + kSenpai + ":1990\r03/14=" + kFurukabu +
             "\r"},
        {"20 MB in one line", kBook + "\r\n03/14=" + big, {{"誕生日", "03/14", repeat("株", 511)}},
         {repeat("株", 511) + "さん 誕生日"}, kBook + "\r\na03/14=" + big, std::nullopt},
        {"1022 and 1023 bytes ending in a double-byte character",
         kBook + "\r\na03/14=" + x1020 + kKabu + "\r\n03/14=" + x1021 + kKabu + "\r\n",
         {{"誕生日", "a03/14", x1020 + "株"}, {"誕生日", "03/14", x1021}},
         {x1020 + "株さん 誕生日", x1021 + "さん 誕生日"},
         kBook + "\r\na03/14=" + x1020 + kKabu + "\r\nb03/14=" + x1021 + kKabu + "\r\n", std::nullopt},
        // The second bare entry would go to c, which holds an entry after the gap at b: it stays
        // under the bare key until a later build finds a free letter for it.
        {"two bare entries and a gap in the letters",
         kBook + "\r\na03/14=" + kSenpai + "\r\nc03/14=" + kDaikan + "\r\n03/14=" + kFurukabu + "\r\n03/14=" + kHanako +
             "\r\n",
         {{"誕生日", "c03/14", "大寒"}},
         {"先輩さん 誕生日", "古株さん 誕生日", "花子さん 誕生日"},
         kBook + "\r\na03/14=" + kSenpai + "\r\nc03/14=" + kDaikan + "\r\nb03/14=" + kFurukabu + "\r\n03/14=" + kHanako +
             "\r\n",
         std::nullopt},
        // A letter stored as "0" counts as free; the move replaces it wherever it stands.
        {"a free letter stored as 0 before the bare entry",
         kBook + "\r\nb03/14=0\r\na03/14=" + kSenpai + "\r\n03/14=" + kFurukabu + "\r\n", {{"誕生日", "b03/14", "0"}},
         {"先輩さん 誕生日", "古株さん 誕生日"}, kBook + "\r\na03/14=" + kSenpai + "\r\nb03/14=" + kFurukabu + "\r\n",
         std::nullopt},
        {"a free letter stored as 0 after the bare entry",
         kBook + "\r\na03/14=" + kSenpai + "\r\n03/14=" + kFurukabu + "\r\nb03/14 = '0'\r\n", {{"誕生日", "b03/14", "0"}},
         {"先輩さん 誕生日", "古株さん 誕生日"}, kBook + "\r\na03/14=" + kSenpai + "\r\nb03/14=" + kFurukabu + "\r\n",
         std::nullopt},
        {"UTF-16 with a bare entry", "\xff\xfe" + kBook16 + le("03/14=") + kFurukabu16 + le("\r\n"),
         {{"誕生日", "03/14", "古株"}}, {"古株さん 誕生日"},
         "\xff\xfe" + kBook16 + le("a03/14=") + kFurukabu16 + le("\r\n"), std::nullopt},
    };
}

std::vector<std::string> messagesOf(const DayPage& page)
{
    return {page.messages.begin(), page.messages.begin() + page.messageCount()};
}

DayPage build14March(SettingsStore& settings)
{
    FixedClock clock({std::chrono::year{2024} / 3 / 14, 12, 0, 20});
    StandardRandom random(1);
    return buildDayPage(settings, clock, random);
}

TEST(BadFiles, Catalogue)
{
    ::alarm(50);  // a hang ends the program instead of stalling the run
    TempDir dir;
    const fs::path ini = dir / "dovi.ini";
    for (const BadFile& c : catalogue()) {
        SCOPED_TRACE(c.name);
        writeBytes(ini, c.bytes);
        {
            SettingsFile file(ini);
            for (const Read& r : c.reads)
                EXPECT_EQ(file.read(r.section, r.key), r.expected) << r.section << " " << r.key;
            const DayPage page = build14March(file);
            if (!c.messages.empty()) {
                EXPECT_EQ(messagesOf(page), c.messages);
            }
            EXPECT_TRUE(readBytes(ini) == c.afterBuild.value_or(c.bytes)) << "the file after the build differs";
        }
        // Nothing stray: the file, and the lock file where the build moved an entry (reading
        // alone takes no lock).
        for (const std::string& name : namesIn(dir.path()))
            EXPECT_TRUE(test::kFileAndLock.contains(name)) << name;
        if (c.afterWrite) {
            writeBytes(ini, c.bytes);
            EXPECT_TRUE(SettingsFile(ini).write("init", "x", "1").ok);
            EXPECT_EQ(readBytes(ini), *c.afterWrite);
        }
    }
    ::alarm(0);
}

TEST(BadFiles, BareEntryWaitsForAFreeLetter)
{
    // After the first build of the last catalogue case, b is taken; the next build reads a, b and
    // c and moves the waiting entry to d.
    TempDir dir;
    const fs::path ini = dir / "dovi.ini";
    writeBytes(ini, kBook + "\r\na03/14=" + kSenpai + "\r\nc03/14=" + kDaikan + "\r\nb03/14=" + kFurukabu +
                        "\r\n03/14=" + kHanako + "\r\n");
    SettingsFile file(ini);
    EXPECT_EQ(messagesOf(build14March(file)),
              (std::vector<std::string>{"先輩さん 誕生日", "古株さん 誕生日", "大寒さん 誕生日", "花子さん 誕生日"}));
    EXPECT_EQ(readBytes(ini), kBook + "\r\na03/14=" + kSenpai + "\r\nc03/14=" + kDaikan + "\r\nb03/14=" + kFurukabu +
                                  "\r\nd03/14=" + kHanako + "\r\n");
}

}  // namespace
}  // namespace dovi
