// Reading and writing single values: the private-profile rules, the encodings, and refused values.
// Each fixture in fixtures/settings holds one group of edge cases; a write is checked against a
// saved copy of the whole file as it must look afterwards.
#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <tuple>
#include <utility>
#include <vector>

#include "settings/settingsfile.h"
#include "tests/testutil.h"

namespace dovi {
namespace {

using test::fixture;
using test::readBytes;
using test::TempDir;
using test::writeBytes;

struct ReadCase {
    const char* file;
    const char* section;
    const char* key;
    std::string expected;
};

TEST(SettingsRead, FollowsTheProfileRules)
{
    const ReadCase cases[] = {
        {"basic.ini", "init", "使用者", "山田太郎様"},
        {"basic.ini", "INIT", "使用者", "山田太郎様"},                 // section case
        {"basic.ini", " init\t", " 使用者 ", "山田太郎様"},            // blanks around names
        {"basic.ini", "init", "誕生日", "1973/ 7/ 5"},                 // leading blank trimmed
        {"basic.ini", "init", "空白", ""},                             // present but empty
        {"basic.ini", "init", "零", "0"},                              // reads like a missing key
        {"basic.ini", "init", "言霊", "0"},
        {"basic.ini", "休日", "01/10", "0"},                           // missing section
        {"basic.ini", "誕生日", "a01/20", "花子:1990"},
        {"basic.ini", "誕生日", "b01/20", "0"},
        {"basic.ini", "誕生日", "c01/20", "次郎"},
        {"basic.ini", "言霊", "2", "七転八起,ななころびやおき"},
        {"layout.ini", "init", "name", "value with blanks"},            // "[ Init ]", "\tName  ="
        {"layout.ini", "Init", "Key", "upper"},                         // key case
        {"layout.ini", "init", "quoted", "  inside quotes  "},          // one pair of quotes removed
        {"layout.ini", "init", "single", "single"},
        {"layout.ini", "init", "mixed", "\"mixed'"},                    // quotes that do not match stay
        {"layout.ini", "init", "lone", "\""},
        {"layout.ini", "init", "inner", "a \"b\" c"},
        {"layout.ini", "init", ";comment", "0"},
        {"layout.ini", "init", "comment", "0"},
        {"layout.ini", "init", ";indented", "0"},
        {"layout.ini", "init", "no equals sign here", "0"},
        {"layout.ini", "init", "empty", ""},
        {"layout.ini", "init", "orphan", "0"},                          // before any section
        {"layout.ini", "init", "", "0"},
        {"layout.ini", "init", "broken", "after a line without closing bracket"},
        {"layout.ini", "other", "name", "other section"},
        {"duplicates.ini", "dup", "key", "first"},
        {"duplicates.ini", "dup", "other", "0"},                        // only in the second copy
        {"utf8.ini", "init", "使用者", "山田太郎様"},
        {"utf8.ini", "言霊", "1", "𠮷野家で一服 😀,よしのや"},
        {"utf8bom.ini", "言霊", "1", "𠮷野家で一服 😀,よしのや"},
        {"utf16le.ini", "言霊", "1", "𠮷野家で一服 😀,よしのや"},
        {"utf16be.ini", "init", "使用者", "山田太郎様"},
        {"lonecr.ini", "init", "使用者", "山田"},
        {"lonecr.ini", "b", "k", "v"},
        {"damaged.ini", "init", "bad", "ab\uFFFD cd"},
        {"damaged.ini", "init", "nul", "ab"},                           // a value ends at NUL
        {"damaged.ini", "init", "trunc", "愛\uFFFD"},
        {"damaged.ini", "init", "\uFFFD\uFFFD\uFFFD", "\uFFFD\uFFFD"},
        {"damaged.ini", "init", "ok", "日本"},
    };
    TempDir dir;
    for (const auto& c : cases) {
        writeBytes(dir / "dovi.ini", fixture(c.file));
        SettingsFile file(dir / "dovi.ini");
        EXPECT_EQ(file.read(c.section, c.key), c.expected) << c.file << " [" << c.section << "] " << c.key;
    }
}

TEST(SettingsRead, DetectsTheEncoding)
{
    const std::pair<const char*, FileEncoding> cases[] = {
        {"basic.ini", FileEncoding::Cp932},     {"damaged.ini", FileEncoding::Cp932},
        {"utf8.ini", FileEncoding::Utf8},       {"utf8bom.ini", FileEncoding::Utf8Bom},
        {"utf16le.ini", FileEncoding::Utf16Le}, {"utf16be.ini", FileEncoding::Utf16Be},
    };
    TempDir dir;
    SettingsFile file(dir / "dovi.ini");
    EXPECT_EQ(file.encoding(), FileEncoding::Cp932);  // no file yet
    for (const auto& [name, encoding] : cases) {
        writeBytes(dir / "dovi.ini", fixture(name));
        EXPECT_EQ(file.encoding(), encoding) << name;
    }
}

std::string repeat(const std::string& text, int times)
{
    std::string out;
    for (int i = 0; i < times; ++i)
        out += text;
    return out;
}

TEST(SettingsRead, CutsLongValuesAtWholeCharactersWithin1022Bytes)
{
    const struct {
        const char* name;
        std::string line;  // bytes after "k=" in a Shift-JIS or UTF-8 file
        std::string expected;
    } cases[] = {
        {"1023 ASCII bytes", std::string(1023, 'x'), std::string(1022, 'x')},
        {"exactly 1022", std::string(1022, 'x'), std::string(1022, 'x')},
        {"600 あ", repeat("\x82\xa0", 600), repeat("あ", 511)},
        // 1 + 2 * 510 = 1021 bytes; the next あ would be split by a plain 1022-byte cut
        {"x and 600 あ", "x" + repeat("\x82\xa0", 600), "x" + repeat("あ", 510)},
        {"quotes go before the cut", "\"" + std::string(1100, 'q') + "\"", std::string(1022, 'q')},
        {"UTF-8: 400 あ", "\xe3\x81\x82" + repeat("あ", 399), repeat("あ", 340)},
    };
    TempDir dir;
    for (const auto& c : cases) {
        writeBytes(dir / "dovi.ini", "[s]\r\nk=" + c.line + "\r\n");
        EXPECT_EQ(SettingsFile(dir / "dovi.ini").read("s", "k"), c.expected) << c.name;
    }
}

struct WriteCase {
    const char* file;
    const char* section;
    const char* key;
    std::optional<std::string_view> value;
    const char* expected;  // fixture with the whole file afterwards
};

TEST(SettingsWrite, ChangesOnlyTheLineItMust)
{
    const WriteCase cases[] = {
        {"basic.ini", "init", "使用者", "佐藤花子様", "basic-replaced.ini"},
        {"basic.ini", "INIT", "使用者", "佐藤花子様", "basic-replaced.ini"},
        {"basic.ini", "誕生日", "b01/20", "三郎", "basic-newkey.ini"},        // after the last key line
        {"basic.ini", "特別日", "a01/20", "成人式", "basic-newsection.ini"},  // new section at the end
        {"basic.ini", "init", "性別", std::nullopt, "basic-deleted.ini"},
        {"basic.ini", "init", "無い", std::nullopt, "basic.ini"},
        {"basic.ini", "無い", "無い", std::nullopt, "basic.ini"},
        {"basic.ini", "init", "𠮷", std::nullopt, "basic.ini"},             // cannot be there at all
        {"layout.ini", "init", "NAME", "  new  ", "layout-replaced.ini"},    // value exactly as given
        {"duplicates.ini", "dup", "key", "new", "duplicates-replaced.ini"},
        {"duplicates.ini", "dup", "KEY", std::nullopt, "duplicates-deleted.ini"},
        {"duplicates.ini", "dup", "other", "x", "duplicates-newkey.ini"},
        {"utf8.ini", "init", "性別", "女性", "utf8-newkey.ini"},
        {"utf8bom.ini", "init", "性別", "女性", "utf8bom-newkey.ini"},
        {"utf16le.ini", "init", "性別", "女性", "utf16le-newkey.ini"},
        {"utf16be.ini", "init", "性別", "女性", "utf16be-newkey.ini"},
        {"lonecr.ini", "init", "性別", "男性", "lonecr-newkey.ini"},
        {"damaged.ini", "init", "ok", "新", "damaged-replaced.ini"},         // bad bytes elsewhere kept
    };
    TempDir dir;
    for (const auto& c : cases) {
        writeBytes(dir / "dovi.ini", fixture(c.file));
        SettingsFile file(dir / "dovi.ini");
        const WriteResult result = file.write(c.section, c.key, c.value);
        EXPECT_TRUE(result.ok) << c.expected << ": " << result.error;
        EXPECT_EQ(readBytes(dir / "dovi.ini"), fixture(c.expected)) << c.file << " -> " << c.expected;
    }
}

TEST(SettingsWrite, SmallFiles)
{
    const struct {
        const char* before;  // nullptr: no file
        const char* section;
        const char* key;
        std::optional<std::string_view> value;
        const char* after;   // nullptr: still no file
    } cases[] = {
        {nullptr, "init", "user", "山田", "[init]\r\nuser=\x8e\x52\x93\x63\r\n"},  // new file: Shift-JIS, CRLF
        {nullptr, "init", "user", std::nullopt, nullptr},
        {"[a]\r\nk=v", "a", "n", "w", "[a]\r\nk=v\r\nn=w\r\n"},
        {"[a]", "a", "k", "v", "[a]\r\nk=v\r\n"},
        {"[a]\r\n; note\r\n[b]\r\n", "a", "k", "v", "[a]\r\nk=v\r\n; note\r\n[b]\r\n"},
        {"[a]\nk=v\n", "b", "k", "", "[a]\nk=v\n[b]\nk=\n"},
        {"[a]\r\nk=v\r\nlast=1", "a", "last", std::nullopt, "[a]\r\nk=v\r\n"},
        {"[a]\r\nk = old ; not a comment\r\n", "a", "k", " 1973/ 7/ 5", "[a]\r\nk = 1973/ 7/ 5\r\n"},
        {"", "a", "k", "v", "[a]\r\nk=v\r\n"},
    };
    for (const auto& c : cases) {
        TempDir dir;
        if (c.before)
            writeBytes(dir / "dovi.ini", c.before);
        SettingsFile file(dir / "dovi.ini");
        EXPECT_TRUE(file.write(c.section, c.key, c.value).ok) << (c.before ? c.before : "(no file)");
        EXPECT_EQ(std::filesystem::exists(dir / "dovi.ini"), c.after != nullptr);
        if (c.after) {
            EXPECT_EQ(readBytes(dir / "dovi.ini"), c.after) << (c.before ? c.before : "(no file)");
        }
    }
}

TEST(SettingsWrite, ReadsBackWhatItStored)
{
    TempDir dir;
    SettingsFile file(dir / "dovi.ini");
    ASSERT_TRUE(file.write("init", "誕生日", " 1973/ 7/ 5").ok);
    ASSERT_TRUE(file.write("init", "使用者", "").ok);
    ASSERT_TRUE(file.write("誕生日", "a01/20", "花子:1990").ok);
    EXPECT_EQ(file.read("init", "誕生日"), "1973/ 7/ 5");
    EXPECT_EQ(file.read("init", "使用者"), "");
    EXPECT_EQ(file.read("誕生日", "A01/20"), "花子:1990");
    ASSERT_TRUE(file.write("誕生日", "a01/20", std::nullopt).ok);
    EXPECT_EQ(file.read("誕生日", "a01/20"), "0");
}

TEST(SettingsWrite, RefusesWhatTheFileCannotHold)
{
    using namespace std::string_view_literals;
    const struct {
        const char* file;
        std::string_view section, key, value;
        const char* error;
    } cases[] = {
        {"basic.ini", "init", "使用者", "𠮷野家", "the character \"𠮷\" (U+20BB7) cannot be stored in this Shift-JIS file"},
        {"basic.ini", "init", "使用者", "a😀", "the character \"😀\" (U+1F600) cannot be stored in this Shift-JIS file"},
        {"basic.ini", "init", "𠮷", "x", "the character \"𠮷\" (U+20BB7) cannot be stored in this Shift-JIS file"},
        {"basic.ini", "한", "k", "x", "the character \"한\" (U+D55C) cannot be stored in this Shift-JIS file"},
        {"basic.ini", "init", "使用者", "a\r\n性別=女性", "the value cannot contain a line break (U+000D)"},
        {"utf8.ini", "init", "使用者", "a\nb", "the value cannot contain a line break (U+000A)"},
        {"basic.ini", "init", "使用者", "a\0b"sv, "the value cannot contain a NUL character (U+0000)"},
        {"basic.ini", "init", "使用者", "\xff", "the value is not valid UTF-8 text"},
        {"basic.ini", "in]it", "k", "v", "the section name cannot contain the character \"]\" (U+005D)"},
        {"basic.ini", "in\nit", "k", "v", "the section name cannot contain a line break (U+000A)"},
        {"basic.ini", "", "k", "v", "the section name is empty"},
        {"basic.ini", "init", "a=b", "v", "the key name cannot contain the character \"=\" (U+003D)"},
        {"basic.ini", "init", "a\rb", "v", "the key name cannot contain a line break (U+000D)"},
        {"basic.ini", "init", " \t", "v", "the key name is empty"},
        {"basic.ini", "init", ";k", "v", "the key name cannot start with the character \";\" (U+003B)"},
        {"basic.ini", "init", "[k]", "v", "the key name cannot start with the character \"[\" (U+005B)"},
    };
    TempDir dir;
    for (const auto& c : cases) {
        const std::string before = fixture(c.file);
        writeBytes(dir / "dovi.ini", before);
        const WriteResult result = SettingsFile(dir / "dovi.ini").write(c.section, c.key, c.value);
        EXPECT_FALSE(result.ok) << c.error;
        EXPECT_EQ(result.error, c.error);
        EXPECT_EQ(readBytes(dir / "dovi.ini"), before) << c.error;
    }
    // The reason and the offending character, for callers that word the refusal themselves.
    struct {
        std::string_view section, key, value;
        WriteFailure reason;
        WritePart part;
        std::string_view character;
    } reasons[] = {
        {"init", "使用者", "𠮷野家", WriteFailure::Unstorable, WritePart::Value, "𠮷"},
        {"init", "한", "x", WriteFailure::Unstorable, WritePart::KeyName, "한"},
        {"in]it", "k", "v", WriteFailure::ForbiddenCharacter, WritePart::SectionName, "]"},
        {"init", "a\nb", "v", WriteFailure::LineBreak, WritePart::KeyName, "\n"},
        {"init", "k", "a\0b"sv, WriteFailure::NulCharacter, WritePart::Value, "\0"sv},
        {"", "k", "v", WriteFailure::EmptyName, WritePart::SectionName, ""},
    };
    for (const auto& r : reasons) {
        writeBytes(dir / "dovi.ini", fixture("basic.ini"));
        const WriteResult result = SettingsFile(dir / "dovi.ini").write(r.section, r.key, r.value);
        EXPECT_EQ(result.reason, r.reason) << r.section << "/" << r.key;
        EXPECT_EQ(result.part, r.part) << r.section << "/" << r.key;
        EXPECT_EQ(result.character, r.character) << r.section << "/" << r.key;
    }
    // What a UTF-8 file can hold is stored.
    writeBytes(dir / "dovi.ini", fixture("utf8.ini"));
    SettingsFile file(dir / "dovi.ini");
    EXPECT_TRUE(file.write("init", "使用者", "𠮷野家 😀").ok);
    EXPECT_EQ(file.read("init", "使用者"), "𠮷野家 😀");
}

using Entries = std::vector<std::pair<std::string, std::string>>;

// A whole section in one access: first lines of each name, folded names, the values read() gives.
TEST(SettingsReadSection, ListsWhatReadsGive)
{
    const std::tuple<const char*, const char*, Entries> cases[] = {
        {"basic.ini", "誕生日", {{"a01/20", "花子:1990"}, {"c01/20", "次郎"}}},
        {"basic.ini", "言霊", {{"1", "一期一会,いちごいちえ"}, {"2", "七転八起,ななころびやおき"}}},
        {"basic.ini", "休日", {}},
        {"duplicates.ini", "DUP", {{"key", "first"}}},  // not the second line nor the second copy
        {"duplicates.ini", "tail", {}},
        {"utf16be.ini", "init", {}},                    // filled in below from read()
    };
    TempDir dir;
    for (const auto& [file, section, expected] : cases) {
        writeBytes(dir / "dovi.ini", fixture(file));
        SettingsFile settings(dir / "dovi.ini");
        const auto listed = settings.readSection(section);
        ASSERT_TRUE(listed.has_value());
        if (std::string_view(file) != "utf16be.ini") {
            EXPECT_EQ(*listed, expected) << file << " [" << section << "]";
            continue;
        }
        ASSERT_FALSE(listed->empty());
        for (const auto& [key, value] : *listed)
            EXPECT_EQ(settings.read(section, key), value) << key;
    }
    SettingsFile missing(dir / "missing.ini");
    EXPECT_EQ(missing.readSection("init"), Entries{});
}

// A snapshot's listing leaves out the keys that read as "0", wherever they stand, lists a name
// that stands twice once, and a second listing of the same text (shared with the first) gives the
// same.
TEST(SettingsReadSection, SnapshotListsWithoutAbsentValues)
{
    const std::pair<std::string, std::vector<std::string>> cases[] = {
        {"[s]\r\na=0\r\nb=x\r\nc= 0 \r\nd='0'\r\ne=y\r\nf=0\r\n", {"b", "e"}},
        {"[s]\r\na=x\r\nb=y\r\n", {"a", "b"}},
        {"[s]\r\na=0\r\nb=\"0\"\r\n", {}},
        {"[s]\r\na=x\r\nb=0\r\nB=z\r\nc=00\r\n", {"a", "c"}},  // b's first line counts
        // Numbers as names, each listed at its first line; "01" and "00" are names of their own.
        {"[s]\r\n1=a\r\n01=b\r\n1=c\r\n0=d\r\n00=e\r\n99999=f\r\n 99999 =g\r\n65535=h\r\n"
         "65535=i\r\nx1=j\r\n0=k\r\n",
         {"1", "01", "0", "00", "99999", "65535", "x1"}},
    };
    TempDir dir;
    for (const auto& [text, expected] : cases) {
        writeBytes(dir / "dovi.ini", text);
        SettingsFile settings(dir / "dovi.ini");
        for (int round = 0; round < 2; ++round) {
            const auto listed = settings.snapshot()->entries("S");
            ASSERT_TRUE(listed.has_value());
            std::vector<std::string> names;
            for (std::size_t i = 0; i < listed->size(); ++i) {
                names.emplace_back(listed->name(i));
                EXPECT_EQ(listed->value(i), settings.read("s", listed->name(i))) << text;
            }
            EXPECT_EQ(names, expected) << text;
        }
    }
}

// Names that differ only in what lies beside ASCII: the lookup compares decoded names, never
// single bytes of a double-byte character. In Shift-JIS "ゾ" is 83 5D, its second byte that of
// "]", and "ア" is 83 41, its second byte that of "A".
TEST(SettingsRead, DoubleByteNamesAreWholeCharacters)
{
    TempDir dir;
    writeBytes(dir / "dovi.ini", std::string("[\x83\x5D\x83\x45]\r\nA=ascii\r\n\x83\x41=kana\r\n"
                                             "\x83\x60=ti\r\n[x\x83\x5D]\r\nk=in x-zo\r\n[x]\r\nk=in x\r\n"));
    SettingsFile settings(dir / "dovi.ini");
    const ReadCase cases[] = {
        {"", "ゾウ", "a", "ascii"},   {"", "ゾウ", "ア", "kana"}, {"", "ゾウ", "チ", "ti"},
        {"", "ゾウ", "\x41", "ascii"}, {"", "xゾ", "k", "in x-zo"}, {"", "x", "k", "in x"},
        {"", "ゾ", "a", "0"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(settings.read(c.section, c.key), c.expected) << c.section << " " << c.key;
}

// Names with a character that a Shift-JIS file stores under a Windows code (〜 as ～) find what
// was written under them, typed either way; the file holds one section and one key.
TEST(SettingsWrite, NamesStoredUnderWindowsCodesAreFoundAgain)
{
    TempDir dir;
    const std::filesystem::path ini = dir / "dovi.ini";
    writeBytes(ini, "[init]\r\n");
    SettingsFile file(ini);
    ASSERT_TRUE(file.write("a‖b", "〜x", "1").ok);
    ASSERT_TRUE(file.write("a‖b", "〜x", "2").ok);
    EXPECT_EQ(readBytes(ini), "[init]\r\n[a\x81\x61" "b]\r\n\x81\x60x=2\r\n");
    EXPECT_EQ(file.read("a‖b", "〜x"), "2");
    EXPECT_EQ(SettingsFile(ini).read("a∥b", "～x"), "2");
    ASSERT_TRUE(file.write("a‖b", "〜x", std::nullopt).ok);
    EXPECT_EQ(readBytes(ini), "[init]\r\n[a\x81\x61" "b]\r\n");
}

}  // namespace
}  // namespace dovi
