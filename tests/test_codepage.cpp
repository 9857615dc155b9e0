// Encoding detection and conversion. Expected bytes come from the published code page 932 table
// (with its NEC and IBM rows) and from the UTF-8 and UTF-16 definitions.
#include <gtest/gtest.h>

#include <unicode/ucnv.h>
#include <unicode/ustring.h>

#include <algorithm>
#include <random>

#include "settings/codepage.h"

namespace dovi {
namespace {

using codepage::Codec;

struct DetectCase {
    const char* name;
    std::string bytes;
    FileEncoding expected;
};

TEST(CodepageDetect, ChoosesEncodingByMarkAndContent)
{
    const DetectCase cases[] = {
        {"empty file", "", FileEncoding::Cp932},
        {"plain ASCII", "[init]\r\nk=v\r\n", FileEncoding::Cp932},
        {"UTF-8 mark before ASCII", "\xef\xbb\xbfk=v", FileEncoding::Utf8Bom},
        {"overlong UTF-8 slash", "k=\xc0\xaf", FileEncoding::Cp932},
        {"UTF-8 encoded surrogate", "k=\xed\xa0\x80", FileEncoding::Cp932},
        {"half-width katakana ﾃｽﾄ, partly UTF-8-like", "k=\xc3\xbd\xc4", FileEncoding::Cp932},
        {"UTF-8 cut inside a character", "k=\xe6\x97", FileEncoding::Cp932},
    };
    for (const auto& c : cases)
        EXPECT_EQ(codepage::detect(c.bytes), c.expected) << c.name;
}

struct DecodeCase {
    std::string raw;
    std::string utf8;
    bool damaged;
};


// The whole-file detection counts the same lines as countLine() line by line, wherever the line
// ends and the bytes from 0x80 fall against the eight-byte words it skips: random files of
// ASCII, CR, LF, UTF-8 and Shift-JIS pieces, of every length up to a few words.
TEST(CodepageDetect, CountsTheSameLinesAsLineByLine)
{
    const std::vector<std::string> pieces = {"a", "=", "0123456789", "\r", "\n", "\r\n", "\xE3\x81\x82",
                                             "\x82\xA0", "\xC3\xA9", "\xFF", "\x80", "\xE3\x81", " \t"};
    std::mt19937 generator(1234);
    for (int round = 0; round < 20000; ++round) {
        std::string bytes;
        const int count = static_cast<int>(generator() % 12);
        for (int k = 0; k < count; ++k)
            bytes += pieces[generator() % pieces.size()];
        if (bytes.starts_with("\xEF\xBB\xBF") || bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF"))
            continue;
        codepage::Utf8Lines expected;
        for (std::size_t begin = 0; begin <= bytes.size();) {
            std::size_t end = bytes.find_first_of("\r\n", begin);
            if (end == std::string::npos)
                end = bytes.size();
            codepage::countLine(std::string_view(bytes).substr(begin, end - begin), expected, true);
            begin = end + 1;
        }
        codepage::Utf8Lines counted;
        EXPECT_EQ(codepage::detect(bytes, &counted), expected.encoding()) << testing::PrintToString(bytes);
        EXPECT_EQ(counted.valid, expected.valid) << testing::PrintToString(bytes);
        EXPECT_EQ(counted.invalid, expected.invalid) << testing::PrintToString(bytes);
    }
}
// Longer files, so that line ends and bytes from 0x80 fall at every place of the blocks of bytes
// the detection looks at together, before and after them, and in the bytes left at the end.
TEST(CodepageDetect, CountsTheSameLinesInLongFiles)
{
    const std::vector<std::string> pieces = {"0123456789abcdefghij", "a", "\r\n", "\n", "\r", "\xE3\x81\x82",
                                             "\x82\xA0\x82\xA2", "\xFF", "\xC3", "\x80\x80\x80"};
    std::mt19937 generator(5678);
    for (int round = 0; round < 5000; ++round) {
        std::string bytes = "a";
        const int count = static_cast<int>(generator() % 60);
        for (int k = 0; k < count; ++k)
            bytes += pieces[generator() % pieces.size()];
        codepage::Utf8Lines expected;
        for (std::size_t begin = 0; begin <= bytes.size();) {
            const std::size_t end = std::min(bytes.find_first_of("\r\n", begin), bytes.size());
            codepage::countLine(std::string_view(bytes).substr(begin, end - begin), expected, true);
            begin = end + 1;
        }
        codepage::Utf8Lines counted;
        codepage::detect(bytes, &counted);
        ASSERT_EQ(counted.valid, expected.valid) << testing::PrintToString(bytes);
        ASSERT_EQ(counted.invalid, expected.invalid) << testing::PrintToString(bytes);
    }
}

TEST(CodepageDecode, UsesTheWindowsTableOfCodePage932)
{
    const DecodeCase cases[] = {
        {"\x5c", "\\", false},                  // a backslash, not the yen sign of the JIS table
        {"\x81\x60", "\xef\xbd\x9e", false},    // ～ U+FF5E, where the JIS table has 〜 U+301C
        {"\x81\x5f", "\xef\xbc\xbc", false},    // ＼ U+FF3C
        {"\x87\x40", "\xe2\x91\xa0", false},    // ① from the NEC row
        {"\xfa\x40", "\xe2\x85\xb0", false},    // ⅰ from the IBM rows
        {"\xfb\xfc", "\xe9\xab\x99", false},    // 髙 from the IBM rows
        {"\xb1\xdd", "\xef\xbd\xb1\xef\xbe\x9d", false},  // ｱﾝ half-width
        {"\x88\xa4", "\xe6\x84\x9b", false},    // 愛
        {"ab\x81 cd", "ab\xef\xbf\xbd cd", true},          // lead byte without a trail byte
        {"\x80\xa0\xfd", "\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd", true},  // bytes with no character
        {"\x88\xa4\x81", "\xe6\x84\x9b\xef\xbf\xbd", true},  // cut after a lead byte
        {std::string("a\0b", 3), std::string("a\0b", 3), false},
    };
    Codec codec(FileEncoding::Cp932);
    for (const auto& c : cases) {
        bool damaged = false;
        EXPECT_EQ(codec.decode(c.raw, &damaged), c.utf8) << c.raw;
        EXPECT_EQ(damaged, c.damaged) << c.raw;
    }
}

// raw through ICU's windows-31j converter called directly, each bad sequence as U+FFFD: what the
// codec's table for code page 932 must give for every input. Plain ASCII stays as it is (the
// converter would swap a few control codes, which a file's names and values never meant).
std::string throughConverter(UConverter* converter, std::string_view raw, bool& damaged)
{
    if (std::all_of(raw.begin(), raw.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
        return std::string(raw);
    std::u16string units(raw.size() * 2 + 16, u'\0');
    char16_t* target = units.data();
    const char* source = raw.data();
    ucnv_resetToUnicode(converter);
    for (;;) {
        UErrorCode status = U_ZERO_ERROR;
        ucnv_toUnicode(converter, &target, units.data() + units.size(), &source, raw.data() + raw.size(), nullptr,
                       true, &status);
        if (U_SUCCESS(status))
            break;
        damaged = true;
        *target++ = u'\uFFFD';
        ucnv_resetToUnicode(converter);
    }
    std::string utf8(units.size() * 3, '\0');
    int32_t length = 0;
    UErrorCode status = U_ZERO_ERROR;
    u_strToUTF8(utf8.data(), static_cast<int32_t>(utf8.size()), &length, units.data(),
                static_cast<int32_t>(target - units.data()), &status);
    utf8.resize(static_cast<std::size_t>(length));
    return utf8;
}

// Random runs of lead bytes, second bytes of every range, bytes that form no character, line ends
// and ASCII, including a lead byte at the very end: the table reads each as the converter does.
TEST(CodepageDecode, ShiftJisTableGivesWhatTheConverterGives)
{
    UErrorCode status = U_ZERO_ERROR;
    UConverter* converter = ucnv_open("windows-31j", &status);
    ASSERT_TRUE(U_SUCCESS(status));
    ucnv_setToUCallBack(converter, UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);
    ASSERT_TRUE(U_SUCCESS(status));
    const unsigned char kinds[][2] = {{0x81, 0x9F}, {0xE0, 0xFC}, {0x40, 0x7E}, {0x80, 0xA0}, {0xA1, 0xDF},
                                      {0xFD, 0xFF}, {0x00, 0x3F}, {0x0A, 0x0D}, {0x5B, 0x5D}};
    std::mt19937 random(932);
    Codec codec(FileEncoding::Cp932);
    std::string shared = "kept";
    for (int round = 0; round < 20000; ++round) {
        std::string raw;
        const int length = static_cast<int>(random() % 12);
        for (int i = 0; i < length; ++i) {
            const auto& kind = kinds[random() % std::size(kinds)];
            raw += static_cast<char>(kind[0] + random() % (kind[1] - kind[0] + 1));
        }
        bool expectedDamage = false, damaged = false;
        const std::string expected = throughConverter(converter, raw, expectedDamage);
        ASSERT_EQ(codec.decode(raw, &damaged), expected) << testing::PrintToString(raw);
        ASSERT_EQ(damaged, expectedDamage) << testing::PrintToString(raw);
        const std::size_t before = shared.size();
        codec.decodeAppend(raw, shared);
        ASSERT_EQ(shared.substr(before), expected) << testing::PrintToString(raw);
        if (shared.size() > 4096)
            shared.erase(4, std::string::npos);
    }
    // Every pair of bytes, and every byte alone.
    for (unsigned first = 0; first < 256; ++first) {
        for (unsigned second = 0; second < 256; ++second) {
            const std::string raw{static_cast<char>(first), static_cast<char>(second), 'x'};
            bool expectedDamage = false, damaged = false;
            ASSERT_EQ(codec.decode(raw, &damaged), throughConverter(converter, raw, expectedDamage))
                << std::hex << first << " " << second;
            ASSERT_EQ(damaged, expectedDamage) << std::hex << first << " " << second;
        }
    }
    ucnv_close(converter);
}

TEST(CodepageDecode, MarksBadSequencesOfUtf8AndUtf16)
{
    bool damaged = false;
    EXPECT_EQ(Codec(FileEncoding::Utf8).decode("a\xff\xe3\x81", &damaged), "a\xef\xbf\xbd\xef\xbf\xbd");
    EXPECT_TRUE(damaged);

    damaged = false;  // あ, then a lone high surrogate, then b
    EXPECT_EQ(Codec(FileEncoding::Utf16Le).decode(std::string("\x42\x30\x00\xd8" "b\0", 6), &damaged),
              "\xe3\x81\x82\xef\xbf\xbd" "b");
    EXPECT_TRUE(damaged);

    damaged = false;  // 𠮷 as a surrogate pair
    EXPECT_EQ(Codec(FileEncoding::Utf16Be).decode("\xd8\x42\xdf\xb7", &damaged), "\xf0\xa0\xae\xb7");
    EXPECT_FALSE(damaged);
}

TEST(CodepageEncode, WritesShiftJisAndRefusesWhatItLacks)
{
    Codec codec(FileEncoding::Cp932);
    EXPECT_EQ(codec.encode("日本"), "\x93\xfa\x96\x7b");
    EXPECT_EQ(codec.encode("～①髙"), "\x81\x60\x87\x40\xfb\xfc");
    EXPECT_EQ(codec.encode("ｱ"), "\xb1");

    const std::pair<const char*, char32_t> refused[] = {
        {"a😀", 0x1F600},  // the first character that does not fit is named
        {"¥", 0xA5},       // would silently become a backslash
        {"€", 0x20AC},
    };
    for (const auto& [text, bad] : refused) {
        char32_t unmappable = 0;
        EXPECT_EQ(codec.encode(text, &unmappable), std::nullopt) << text;
        EXPECT_EQ(unmappable, bad) << text;
    }
    EXPECT_EQ(codec.encode("日本"), "\x93\xfa\x96\x7b");  // still usable after a refusal
}

TEST(CodepageEncode, LinuxVariantsGoUnderTheWindowsCodes)
{
    // What Linux input methods type for the keys that give ～ − ∥ ￠ ￡ ￢ ― on Windows.
    struct Variant {
        const char* typed;
        const char* bytes;    // the JIS code Windows stores
        const char* readBack; // the Windows code point
    };
    const Variant variants[] = {
        {"〜", "\x81\x60", "～"},  // U+301C -> U+FF5E
        {"−", "\x81\x7c", "－"},  // U+2212 -> U+FF0D
        {"‖", "\x81\x61", "∥"},  // U+2016 -> U+2225
        {"¢", "\x81\x91", "￠"},   // U+00A2 -> U+FFE0
        {"£", "\x81\x92", "￡"},   // U+00A3 -> U+FFE1
        {"¬", "\x81\xca", "￢"},   // U+00AC -> U+FFE2
        {"—", "\x81\x5c", "―"},   // U+2014 -> U+2015
    };
    Codec codec(FileEncoding::Cp932);
    for (const Variant& v : variants) {
        EXPECT_EQ(codec.encode(v.typed), v.bytes) << v.typed;
        EXPECT_EQ(codec.encode(std::string("a") + v.typed + "日"), std::string("a") + v.bytes + "\x93\xfa") << v.typed;
        EXPECT_EQ(codec.decode(v.bytes), v.readBack) << v.typed;
    }
    // A UTF-8 file keeps them as typed.
    Codec utf8(FileEncoding::Utf8);
    EXPECT_EQ(utf8.encode("〜−‖¢£¬—"), "〜−‖¢£¬—");
}

struct CutCase {
    const char* name;
    std::string raw;
    FileEncoding encoding;
    std::size_t limit;
    std::size_t expected;
};

TEST(CodepageCut, NeverSplitsACharacter)
{
    const CutCase cases[] = {
        {"fits whole", "ab", FileEncoding::Cp932, 5, 2},
        {"あ would need bytes 2 and 3", "a\x82\xa0", FileEncoding::Cp932, 2, 1},
        {"あい cut to あ", "\x82\xa0\x82\xa2", FileEncoding::Cp932, 3, 2},
        {"half-width ｱｲ are one byte each", "\xb1\xb2", FileEncoding::Cp932, 1, 1},
        {"lone lead byte counts as one", "a\x81", FileEncoding::Cp932, 2, 2},
        {"lead byte before a blank", "\x81 ", FileEncoding::Cp932, 1, 1},
        {"0x81 0x61 is one character", "\x81" "a", FileEncoding::Cp932, 1, 0},
        {"UTF-8 あ needs three", "a\xe3\x81\x82", FileEncoding::Utf8, 3, 1},
        {"UTF-8 あ fits", "a\xe3\x81\x82", FileEncoding::Utf8Bom, 4, 4},
        {"UTF-16 pair kept whole", std::string("a\0\x42\xd8\xb7\xdf", 6), FileEncoding::Utf16Le, 5, 2},
        {"UTF-16 pair fits", std::string("a\0\x42\xd8\xb7\xdf", 6), FileEncoding::Utf16Le, 6, 6},
        {"UTF-16 odd limit", std::string("\0a\0b", 4), FileEncoding::Utf16Be, 3, 2},
    };
    for (const auto& c : cases)
        EXPECT_EQ(codepage::cutLength(c.raw, c.encoding, c.limit), c.expected) << c.name;
}

}  // namespace
// The settings reader matches an ASCII name against raw bytes: it relies on every byte sequence
// that holds a byte of 0x80 or more decoding to text that holds one too (a character beyond ASCII
// or U+FFFD), in every pair of Shift-JIS bytes and every single byte.
TEST(Codec, NoShiftJisBytesBeyondAsciiDecodeToAscii)
{
    dovi::codepage::Codec codec(dovi::FileEncoding::Cp932);
    const auto beyondAscii = [](const std::string& text) {
        for (const char c : text)
            if (static_cast<unsigned char>(c) >= 0x80)
                return true;
        return false;
    };
    for (unsigned first = 0x80; first <= 0xFF; ++first) {
        for (unsigned second = 0; second <= 0xFF; ++second) {
            const std::string bytes{static_cast<char>(first), static_cast<char>(second)};
            ASSERT_TRUE(beyondAscii(codec.decode(bytes))) << std::hex << first << " " << second;
        }
        ASSERT_TRUE(beyondAscii(codec.decode(std::string(1, static_cast<char>(first))))) << std::hex << first;
    }
}

}  // namespace dovi
