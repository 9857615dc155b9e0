// The settings file that the installation ships: its bytes (code page 932, CRLF, no mark), its
// sections and keys as the settings reader sees them, the tables it holds, and whether every text
// fits the label that shows it, measured with the fonts the program uses.
#include <QFontInfo>
#include <QFontMetrics>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <optional>
#include <regex>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "calendar/calendar.h"
#include "calendar/holidays.h"
#include "fuzz/inirules.h"
#include "gui/widgetkit.h"
#include "settings/codepage.h"
#include "settings/settingsfile.h"
#include "texts/texts.h"
#include "tests/testutil.h"

namespace dovi {
namespace {

const std::filesystem::path kFile = DOVI_DATA "/dovi.ini";

// Label geometry in pixels (15 twips each): Label4 is 3735 twips wide and shows one line; Label6
// is 3495 x 735 twips with word wrap, Label7 3495 twips wide with one line.
constexpr int kLabel4Width = 3735 / 15;
constexpr int kLabel6Width = 3495 / 15;
constexpr int kLabel6Height = 735 / 15;
constexpr int kLabel7Width = 3495 / 15;

struct Entry {
    std::string key, value;
};

// The shipped file: its bytes, its text, and the sections and keys of its lines in file order
// (repeated ones included) with each value as the settings reader gives it.
struct DataFile {
    std::string bytes;
    bool damaged = false;             // some bytes are no code page 932 character
    std::vector<std::string> sections;
    std::map<std::string, std::vector<Entry>> entries;  // by section
    std::size_t lines = 0;            // lines that are neither blank nor a section or key line
};

const DataFile& dataFile()
{
    static const DataFile file = [] {
        DataFile f;
        f.bytes = test::readBytes(kFile);
        const std::string text = codepage::Codec(FileEncoding::Cp932).decode(f.bytes, &f.damaged);
        const fuzz::Names names = fuzz::namesIn(text, SIZE_MAX, SIZE_MAX);
        f.sections = names.sections;
        SettingsFile settings(kFile);
        for (const auto& [section, key] : names.keys)
            f.entries[section].push_back({key, settings.read(section, key)});
        for (std::string_view line : fuzz::textLines(text))
            f.lines += line.empty() ? 0 : 1;
        f.lines -= names.sections.size() + names.allKeys.size();
        return f;
    }();
    return file;
}

const std::vector<Entry>& entriesOf(const std::string& name)
{
    static const std::vector<Entry> none;
    const auto it = dataFile().entries.find(name);
    return it == dataFile().entries.end() ? none : it->second;
}

std::string sayingOf(const std::string& value) { return value.substr(0, value.find(',')); }
std::string sourceOf(const std::string& value)
{
    const std::size_t comma = value.find(',');
    return comma == std::string::npos ? std::string() : value.substr(comma + 1);
}

QFont messageFont() { return pointFont(kPGothic, 9.75); }

TEST(DataFile, IsCodePage932WithCrlfLineEndsAndNoMark)
{
    const std::string& bytes = dataFile().bytes;
    ASSERT_FALSE(bytes.empty()) << kFile;
    EXPECT_FALSE(bytes.starts_with("\xEF\xBB\xBF") || bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF"));
    EXPECT_FALSE(dataFile().damaged) << "bytes that are no code page 932 character";
    EXPECT_EQ(bytes.find('\0'), std::string::npos);
    EXPECT_TRUE(bytes.ends_with("\r\n"));
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\n') {
            EXPECT_TRUE(i > 0 && bytes[i - 1] == '\r') << "bare LF at byte " << i;
        }
        if (bytes[i] == '\r') {
            EXPECT_TRUE(i + 1 < bytes.size() && bytes[i + 1] == '\n') << "bare CR at byte " << i;
        }
    }
    // A value is read back as at most 1022 bytes; "=" (0x3D) is never the second byte of a
    // double-byte character, so the first one ends the key.
    for (std::size_t pos = 0; pos < bytes.size();) {
        const std::size_t end = std::min(bytes.find("\r\n", pos), bytes.size());
        const std::size_t equals = bytes.find('=', pos);
        if (equals < end) {
            EXPECT_LE(end - equals - 1, 1022u) << "line at byte " << pos;
        }
        pos = end + 2;
    }
    SettingsFile settings(kFile);
    EXPECT_EQ(settings.encoding(), FileEncoding::Cp932);
}

TEST(DataFile, HoldsTheFiveSectionsOnceWithUniqueKeys)
{
    const std::multiset<std::string> names(dataFile().sections.begin(), dataFile().sections.end());
    const std::multiset<std::string> expected = {"init", "休日", "特別日", "誕生日", "言霊"};
    EXPECT_EQ(names, expected);
    for (const auto& [section, entries] : dataFile().entries) {
        std::set<std::string> keys;
        for (const Entry& e : entries)
            EXPECT_TRUE(keys.insert(e.key).second) << "[" << section << "] " << e.key << " twice";
    }
    EXPECT_EQ(dataFile().lines, 0u) << "lines that are neither blank, a section nor a key";
}

// Every value reaches the program unchanged through the settings reader: the line "key=value"
// with the value as read is in the file, so reading stripped no blanks or quotes; and no value
// is "0", which reads like a missing key.
TEST(DataFile, ReaderReturnsEveryValueAsStored)
{
    codepage::Codec codec(FileEncoding::Cp932);
    for (const auto& [section, entries] : dataFile().entries) {
        for (const Entry& e : entries) {
            const auto line = codec.encode("\r\n" + e.key + "=" + e.value + "\r\n");
            ASSERT_TRUE(line.has_value()) << "[" << section << "] " << e.key;
            EXPECT_NE(dataFile().bytes.find(*line), std::string::npos) << "[" << section << "] " << e.key;
            EXPECT_NE(e.value, "0") << "[" << section << "] " << e.key;
        }
    }
}

TEST(DataFile, InitHasNoUserYetAndCountsTheSayings)
{
    SettingsFile settings(kFile);
    std::set<std::string> keys;
    for (const Entry& e : entriesOf("init"))
        keys.insert(e.key);
    EXPECT_EQ(keys, (std::set<std::string>{"使用者", "言霊総数"}));  // the registration adds the rest
    EXPECT_EQ(settings.read(texts::kInit, texts::kUser), "");
    // The draw takes the keys 1 to count - 1: one more than the sayings shows every one of them.
    EXPECT_EQ(settings.read(texts::kInit, texts::kSayingCount), std::to_string(entriesOf("言霊").size() + 1));
}

// The holidays whose date is the same in every year since 2000 (national holidays act); all
// others move and are computed.
TEST(DataFile, HolidayTableHoldsTheSixFixedHolidays)
{
    std::map<std::string, std::string> table;
    for (const Entry& e : entriesOf("休日"))
        table[e.key] = e.value;
    const std::map<std::string, std::string> expected = {
        {"01/01", "元日"},     {"02/11", "建国記念の日"}, {"05/03", "憲法記念日"},
        {"05/05", "こどもの日"}, {"11/03", "文化の日"},     {"11/23", "勤労感謝の日"},
    };
    EXPECT_EQ(table, expected);
}

// The table wins over the computed holidays for its dates, so it may only hold what the engine
// computes there anyway: each entry is the engine's holiday on its date in every year from 2000 to
// 2099. A change of the law made in the engine then cannot hide behind the shipped table.
TEST(DataFile, HolidayTableAgreesWithTheComputedHolidays)
{
    ASSERT_FALSE(entriesOf("休日").empty());
    for (const Entry& e : entriesOf("休日")) {
        const auto day = parseDateKey(e.key);
        ASSERT_TRUE(day.has_value()) << e.key;
        for (int year = 2000; year <= 2099; ++year)
            EXPECT_EQ(computedHoliday(std::chrono::year{year} / *day), e.value) << year << " " << e.key;
    }
}

// The shipped file is what its generator writes, byte for byte, so neither is edited alone.
TEST(DataFile, IsWhatItsGeneratorWrites)
{
    const test::TempDir dir;
    const std::filesystem::path out = dir / "dovi.ini";
    const std::string command =
        std::string(DOVI_PYTHON) + " '" DOVI_DATA "/make_dovi_ini.py' '" + out.string() + "' > /dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    const std::string written = test::readBytes(out);
    EXPECT_EQ(written.size(), dataFile().bytes.size());
    const auto [here, there] = std::mismatch(written.begin(), written.end(), dataFile().bytes.begin(), dataFile().bytes.end());
    EXPECT_TRUE(here == written.end() && there == dataFile().bytes.end())
        << "the files differ from byte " << (here - written.begin());
}

TEST(DataFile, SayingsAreNumberedFromOneWithoutGaps)
{
    SettingsFile settings(kFile);
    const std::size_t count = entriesOf("言霊").size();
    EXPECT_GE(count, 200u);
    std::set<std::string> keys, sayings;
    for (const Entry& e : entriesOf("言霊"))
        keys.insert(e.key);
    for (std::size_t k = 1; k <= count; ++k) {
        const std::string key = std::to_string(k);
        EXPECT_TRUE(keys.contains(key)) << "saying " << key << " missing";
        const std::string value = settings.read(texts::kSayings, key);
        EXPECT_NE(value.find(','), std::string::npos) << key << "=" << value;
        EXPECT_FALSE(sayingOf(value).empty()) << key << "=" << value;
        EXPECT_FALSE(sourceOf(value).empty()) << key << "=" << value;
        EXPECT_TRUE(sayings.insert(sayingOf(value)).second) << "saying twice: " << value;
    }
}

// The day a lettered key names ("a01/20" -> 20 January), or std::nullopt when the key has another
// form or names no day that some year has.
std::optional<std::chrono::month_day> letteredDay(const std::string& key)
{
    if (key.size() != 6 || key[0] < 'a' || key[0] > 'z')
        return std::nullopt;
    return parseDateKey(std::string_view(key).substr(1));
}

struct LetteredCase {
    const char* section;
    std::size_t minimum;
    const char* label;  // names the case in the test output
};

class LetteredSection : public testing::TestWithParam<LetteredCase> {};

// Readers stop at the first missing letter, and move entries under a bare date key: the shipped
// file has neither gaps nor bare keys.
TEST_P(LetteredSection, HasConsecutiveLettersFromAOnRealDays)
{
    std::map<std::string, std::set<char>> letters;  // day -> letters used
    for (const Entry& e : entriesOf(GetParam().section)) {
        const auto day = letteredDay(e.key);
        if (!day) {
            ADD_FAILURE() << "key " << e.key;
            continue;
        }
        letters[dateKey(*day)].insert(e.key[0]);
    }
    for (const auto& [day, used] : letters)
        EXPECT_EQ(char('a' + used.size() - 1), *used.rbegin()) << day << ": letters not consecutive from a";
    EXPECT_GE(entriesOf(GetParam().section).size(), GetParam().minimum);
}

INSTANTIATE_TEST_SUITE_P(DataFile, LetteredSection,
                         testing::Values(LetteredCase{"特別日", 300, "SpecialDays"}),
                         [](const testing::TestParamInfo<LetteredCase>& param) { return std::string(param.param.label); });

// The birthday book ships empty: the page congratulates its people on their age, so it is for the
// user's own people. Famous people's birthdays are special days, "NAMEの誕生日（YEAR年）", of people
// born from 1873 on, when the Gregorian calendar came into use here, on a day their year has.
TEST(DataFile, BirthdayBookIsEmptyAndFamousBirthdaysAreSpecialDays)
{
    EXPECT_TRUE(entriesOf("誕生日").empty());
    const std::regex famousForm("(.+)の誕生日（(\\d{4})年）");
    std::set<std::string> names;
    for (const Entry& e : entriesOf("特別日")) {
        std::smatch m;
        if (!std::regex_match(e.value, m, famousForm))
            continue;
        const int year = std::stoi(m[2]);
        EXPECT_GE(year, 1873) << e.value;
        EXPECT_LE(year, 2000) << e.value;
        const auto day = letteredDay(e.key);
        EXPECT_TRUE(day && (std::chrono::year{year} / *day).ok()) << e.key << "=" << e.value;
        EXPECT_TRUE(names.insert(m[1]).second) << "listed twice: " << m[1];
    }
    EXPECT_GE(names.size(), 200u);
    // Two of them with the dates of their biographies: 3 November 1928 and 7 December 1878.
    SettingsFile settings(kFile);
    EXPECT_EQ(settings.read(texts::kSpecialDays, "a11/03"), "手塚治虫の誕生日（1928年）");
    EXPECT_EQ(settings.read(texts::kSpecialDays, "a12/07"), "与謝野晶子の誕生日（1878年）");
}

// The measurements below mean something only with the Japanese stand-in font.
TEST(DataFile, MeasuresWithTheJapaneseStandInFont)
{
    const QFontInfo info(messageFont());
    EXPECT_EQ(info.family(), QStringLiteral("IPAPGothic"));
    EXPECT_EQ(info.pixelSize(), 13);
}

// Label6 shows the saying in at most two word-wrapped lines; Label7 the source in one line.
TEST(DataFile, SayingsFitLabel6AndSourcesLabel7)
{
    const QFontMetrics metrics(messageFont());
    const QRect area(0, 0, kLabel6Width, 10000);
    const int flags = Qt::TextWordWrap | Qt::AlignLeft;
    const int twoLines = metrics.boundingRect(area, flags, QStringLiteral("あ\nあ")).height();
    ASSERT_LE(twoLines, kLabel6Height);
    for (const Entry& e : entriesOf("言霊")) {
        const QString saying = qs(sayingOf(e.value));
        EXPECT_LE(metrics.boundingRect(area, flags, saying).height(), twoLines) << e.key << ": " << sayingOf(e.value);
        EXPECT_LE(metrics.horizontalAdvance(qs(sourceOf(e.value))), kLabel7Width) << e.key << ": " << sourceOf(e.value);
    }
}

// Label4 shows one message per line: the special day's text, or a birthday as name, "さん",
// the age and "才の誕生日" (three digits for the age are the widest case).
TEST(DataFile, MessagesFitLabel4)
{
    const QFontMetrics metrics(messageFont());
    for (const Entry& e : entriesOf("特別日"))
        EXPECT_LE(metrics.horizontalAdvance(qs(e.value)), kLabel4Width) << e.key << "=" << e.value;
    for (const Entry& e : entriesOf("誕生日")) {
        const std::string message =
            e.value.substr(0, e.value.find(':')) + std::string(texts::kHonorific) + "100" + std::string(texts::kAgeBirthday);
        EXPECT_LE(metrics.horizontalAdvance(qs(message)), kLabel4Width) << e.key << ": " << message;
    }
}

}  // namespace
}  // namespace dovi
