// The settings file that the installation ships: its bytes (code page 932, CRLF, no mark), its
// sections and keys as the settings reader sees them, the tables it holds, and whether every text
// fits the label that shows it, measured with the fonts the program uses.
#include <QFontInfo>
#include <QFontMetrics>

#include <gtest/gtest.h>
#include <unicode/ucnv.h>
#include <unicode/ustring.h>

#include <algorithm>
#include <map>
#include <optional>
#include <regex>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "settings/settingsfile.h"
#include "texts/texts.h"
#include "gui/widgetkit.h"
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

// bytes read as code page 932; nullopt if any byte sequence is not a character of it.
std::optional<std::string> decodeCp932(const std::string& bytes)
{
    UErrorCode status = U_ZERO_ERROR;
    UConverter* converter = ucnv_open("cp932", &status);
    ucnv_setToUCallBack(converter, UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);
    std::u16string units(bytes.size() + 1, u'\0');
    const int32_t unitCount = ucnv_toUChars(converter, units.data(), int32_t(units.size()), bytes.data(),
                                            int32_t(bytes.size()), &status);
    ucnv_close(converter);
    if (U_FAILURE(status))
        return std::nullopt;
    std::string utf8(std::size_t(unitCount) * 3 + 1, '\0');
    int32_t length = 0;
    u_strToUTF8(utf8.data(), int32_t(utf8.size()), &length, units.data(), unitCount, &status);
    if (U_FAILURE(status))
        return std::nullopt;
    utf8.resize(std::size_t(length));
    return utf8;
}

struct Entry {
    std::string key, value;
};
struct Section {
    std::string name;
    std::vector<Entry> entries;
};

// The file split at its CRLF line ends into sections and "key=value" lines. Lines that are
// neither, or stand before the first section, go to stray.
struct DataFile {
    std::string bytes;
    std::optional<std::string> text;
    std::vector<Section> sections;
    std::vector<std::string> stray;

    const Section* section(const std::string& name) const
    {
        auto it = std::find_if(sections.begin(), sections.end(), [&](const Section& s) { return s.name == name; });
        return it == sections.end() ? nullptr : &*it;
    }
};

const DataFile& dataFile()
{
    static const DataFile file = [] {
        DataFile f;
        f.bytes = test::readBytes(kFile);
        f.text = decodeCp932(f.bytes);
        const std::string text = f.text.value_or("");
        for (std::size_t pos = 0; pos < text.size();) {
            std::size_t end = text.find("\r\n", pos);
            if (end == std::string::npos)
                end = text.size();
            const std::string line = text.substr(pos, end - pos);
            pos = end + 2;
            const std::size_t equals = line.find('=');
            if (line.empty())
                continue;
            if (line.front() == '[' && line.back() == ']')
                f.sections.push_back({line.substr(1, line.size() - 2), {}});
            else if (equals != std::string::npos && !f.sections.empty())
                f.sections.back().entries.push_back({line.substr(0, equals), line.substr(equals + 1)});
            else
                f.stray.push_back(line);
        }
        return f;
    }();
    return file;
}

const std::vector<Entry>& entriesOf(const std::string& name)
{
    static const std::vector<Entry> none;
    const Section* s = dataFile().section(name);
    return s ? s->entries : none;
}

std::string sayingOf(const std::string& value) { return value.substr(0, value.find(',')); }
std::string sourceOf(const std::string& value)
{
    const std::size_t comma = value.find(',');
    return comma == std::string::npos ? std::string() : value.substr(comma + 1);
}

QFont messageFont() { return pointFont("ＭＳ Ｐゴシック", 9.75); }

TEST(DataFile, IsCodePage932WithCrlfLineEndsAndNoMark)
{
    const std::string& bytes = dataFile().bytes;
    ASSERT_FALSE(bytes.empty()) << kFile;
    EXPECT_FALSE(bytes.starts_with("\xEF\xBB\xBF") || bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF"));
    EXPECT_TRUE(dataFile().text.has_value()) << "bytes that are no code page 932 character";
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
    std::multiset<std::string> names;
    for (const Section& s : dataFile().sections) {
        names.insert(s.name);
        std::set<std::string> keys;
        for (const Entry& e : s.entries)
            EXPECT_TRUE(keys.insert(e.key).second) << "[" << s.name << "] " << e.key << " twice";
    }
    const std::multiset<std::string> expected = {"init", "休日", "特別日", "誕生日", "言霊"};
    EXPECT_EQ(names, expected);
    EXPECT_TRUE(dataFile().stray.empty()) << dataFile().stray.front();
}

// Every value reaches the program unchanged through the settings reader: no blanks or quotes
// that reading would strip, and none stored as "0", which reads like a missing key.
TEST(DataFile, ReaderReturnsEveryValueAsStored)
{
    SettingsFile settings(kFile);
    for (const Section& s : dataFile().sections) {
        for (const Entry& e : s.entries) {
            EXPECT_EQ(settings.read(s.name, e.key), e.value) << "[" << s.name << "] " << e.key;
            EXPECT_NE(e.value, "0") << "[" << s.name << "] " << e.key;
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

// Days with real dates; February 29 counts, since the tables serve every year.
bool isCalendarDay(int month, int day, int year = 2000)
{
    static const int length[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month >= 1 && month <= 12 && day >= 1 && day <= (month == 2 && !leap ? 28 : length[month - 1]);
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
    const std::regex keyForm("([a-z])(\\d\\d)/(\\d\\d)");
    std::map<std::string, std::set<char>> letters;  // day -> letters used
    for (const Entry& e : entriesOf(GetParam().section)) {
        std::smatch m;
        if (!std::regex_match(e.key, m, keyForm)) {
            ADD_FAILURE() << "key " << e.key;
            continue;
        }
        EXPECT_TRUE(isCalendarDay(std::stoi(m[2]), std::stoi(m[3]))) << e.key;
        letters[m[2].str() + "/" + m[3].str()].insert(m[1].str()[0]);
    }
    for (const auto& [day, used] : letters)
        EXPECT_EQ(char('a' + used.size() - 1), *used.rbegin()) << day << ": letters not consecutive from a";
    EXPECT_GE(entriesOf(GetParam().section).size(), GetParam().minimum);
}

INSTANTIATE_TEST_SUITE_P(DataFile, LetteredSection,
                         testing::Values(LetteredCase{"特別日", 60, "SpecialDays"},
                                         LetteredCase{"誕生日", 100, "Birthdays"}),
                         [](const testing::TestParamInfo<LetteredCase>& param) { return std::string(param.param.label); });

// Birthdays are "name:year", the year four digits at the very end, so the page can give the age.
// People born from 1873 on, when the Gregorian calendar came into use here; the upper bound
// catches typing slips in the year.
TEST(DataFile, BirthdaysGiveNameAndYearOfRealDates)
{
    const std::regex valueForm("([^:,]+):(\\d{4})");
    std::set<std::string> names;
    for (const Entry& e : entriesOf("誕生日")) {
        std::smatch m;
        if (!std::regex_match(e.value, m, valueForm)) {
            ADD_FAILURE() << e.key << "=" << e.value;
            continue;
        }
        const int year = std::stoi(m[2]);
        EXPECT_GE(year, 1873) << e.value;
        EXPECT_LE(year, 2000) << e.value;
        if (e.key.size() == 6) {
            EXPECT_TRUE(isCalendarDay(std::stoi(e.key.substr(1, 2)), std::stoi(e.key.substr(4, 2)), year)) << e.key;
        }
        EXPECT_TRUE(names.insert(m[1]).second) << "listed twice: " << m[1];
    }
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
