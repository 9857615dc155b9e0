// The day page build: greeting, birthday book, special days, holiday, life counter, saying, and
// the settings file's accesses with their order, also when the store misbehaves.
#include <gtest/gtest.h>

#include <deque>
#include <functional>

#include "calendar/calendar.h"
#include "fuzz/scriptedrandom.h"
#include "page/birthdaybook.h"
#include "page/daypage.h"
#include "page/pagelabels.h"
#include "tests/testutil.h"

namespace dovi {
namespace {

using test::MemoryStore;
using Log = std::vector<MemoryStore::Access>;

LocalDateTime at(int y, unsigned m, unsigned d, int hour, int minute, int second)
{
    return {std::chrono::year{y} / m / d, hour, minute, second};
}

// Passes everything to a MemoryStore and logs the update lock there as 'L' and 'U'. A write for
// which failWrite is true fails and stores nothing; afterDelete runs after each delete.
struct WrappedStore final : SettingsStore {
    explicit WrappedStore(MemoryStore& store) : inner(store) {}
    std::string read(std::string_view section, std::string_view key) override { return inner.read(section, key); }
    WriteResult write(std::string_view section, std::string_view key, std::optional<std::string_view> value) override
    {
        if (failWrite && failWrite(std::string(key), value.has_value())) {
            inner.log.push_back({value ? 'w' : 'd', std::string(section), std::string(key), std::string(value.value_or(""))});
            return {false, "the disk is full"};
        }
        WriteResult result = inner.write(section, key, value);
        if (!value && afterDelete)
            afterDelete(std::string(section), std::string(key));
        return result;
    }
    struct Lock final : UpdateLock {
        explicit Lock(Log& l) : log(l) { log.push_back({'L', "", "", ""}); }
        ~Lock() override { log.push_back({'U', "", "", ""}); }
        Log& log;
    };
    std::unique_ptr<UpdateLock> lockForUpdate() override { return std::make_unique<Lock>(inner.log); }

    MemoryStore& inner;
    std::function<bool(const std::string& key, bool isWrite)> failWrite;
    std::function<void(const std::string& section, const std::string& key)> afterDelete;
};

// A registered man born on 5 July 1973, registered on 20 January 2000.
MemoryStore profile(const std::string& sex = "男性")
{
    MemoryStore store;
    store.put("init", "使用者", "山田さん");
    store.put("init", "誕生日", " 1973/ 7/ 5");
    store.put("init", "性別", sex);
    store.put("init", "登録日", "2000/1/20");
    return store;
}

DayPage build(SettingsStore& store, LocalDateTime moment = at(2000, 1, 20, 9, 0, 20), std::vector<float> draws = {})
{
    FixedClock clock(moment);
    ScriptedRandom random(std::move(draws));
    return buildDayPage(store, clock, random);
}

// The entries the message line rotates through after the build.
std::vector<std::string> messages(const DayPage& page)
{
    const PageLabels labels = pageLabels(page);
    return {labels.msgList.begin(), labels.msgList.begin() + labels.msgCount};
}

Log writes(const MemoryStore& store)
{
    Log result;
    for (const auto& access : store.log)
        if (access.kind == 'w' || access.kind == 'd')
            result.push_back(access);
    return result;
}

TEST(Greeting, ByHourSecondAndSex)
{
    struct { int h, m, s; const char* greeting; } hours[] = {
        {0, 0, 12, "こんばんわ，"}, {6, 59, 59, "こんばんわ，"}, {7, 0, 0, "おはよう，"}, {11, 59, 12, "おはよう，"},
        {12, 0, 12, "こんにちわ，"}, {16, 59, 12, "こんにちわ，"}, {17, 0, 12, "こんばんわ，"}};
    for (const auto& c : hours) {
        MemoryStore store = profile();
        EXPECT_EQ(build(store, at(2000, 1, 20, c.h, c.m, c.s)).greeting, std::string(c.greeting) + "山田さん") << c.h;
    }
    struct { int s; const char* female; const char* others; } seconds[] = {
        {10, "今日も奇麗な", ""}, {11, "", ""}, {14, "", ""}, {15, "今日も素敵な", "今日も素敵な"},
        {30, "今日も素敵な", "今日も素敵な"}, {31, "", ""}, {39, "", ""}, {40, "今日も元気な", "今日も元気な"},
        {52, "今日も元気な", "今日も元気な"}, {53, "今日も可愛い", ""}};
    for (const auto& c : seconds) {
        for (const std::string sex : {"女性", "男性", "その他", "0"}) {
            MemoryStore store = profile(sex);
            EXPECT_EQ(build(store, at(2000, 1, 20, 9, 0, c.s)).greeting,
                      "おはよう，" + std::string(sex == "女性" ? c.female : c.others) + "山田さん") << c.s << sex;
        }
    }
}

TEST(Greeting, ReadsTheClockAnewForTheSecondAndTheCounter)
{
    struct SequenceClock final : Clock {
        std::deque<LocalDateTime> moments{at(2000, 1, 20, 8, 0, 59), at(2000, 1, 20, 8, 1, 20), at(2000, 1, 20, 8, 1, 45)};
        LocalDateTime now() override
        {
            const LocalDateTime m = moments.front();
            moments.pop_front();
            return m;
        }
    } clock;
    MemoryStore store = profile();
    ScriptedRandom random;
    const DayPage page = buildDayPage(store, clock, random);
    EXPECT_EQ(page.greeting, "おはよう，今日も素敵な山田さん");
    EXPECT_EQ(page.counterLine, "デイリオを使いはじめてから0日目");
}

TEST(Greeting, BirthdayWishOnlyOnARealBirthday)
{
    struct { const char* birthday; int y; unsigned m, d; bool wish; } cases[] = {
        {" 1973/ 7/ 5", 2000, 7, 5, true}, {" 1973/ 7/ 5", 2000, 7, 6, false}, {" 1973/ 7/ 5", 2000, 5, 7, false},
        {"1972/2/29", 2000, 2, 29, true}, {"1972/2/29", 2001, 2, 28, false}, {"1972/2/29", 2001, 3, 1, false},
        {" 1973/ 2/ 30", 2000, 3, 2, false}, {" 1973/ 2/ 29", 2000, 2, 29, false}, {"", 2000, 1, 1, false}};
    for (const auto& c : cases) {
        MemoryStore store = profile("女性");
        store.put("init", "誕生日", c.birthday);
        EXPECT_EQ(build(store, at(c.y, c.m, c.d, 13, 0, 12)).greeting,
                  c.wish ? "誕生日おめでとう!!山田さん" : "こんにちわ，山田さん") << c.birthday << c.m << c.d;
    }
}

TEST(BirthdayBook, Messages)
{
    struct { const char* value; std::size_t yearLength; const char* message; } cases[] = {
        {"太郎:1980", 4, "太郎さん20才の誕生日"}, {"太郎,1980", 4, "太郎さん20才の誕生日"},
        {"花子", 4, "花子さん 誕生日"}, {"山田花子", 4, "山田花子さん 誕生日"}, {"1980", 4, "1980さん20才の誕生日"},
        {"", 4, "さん 誕生日"}, {"太郎:19x0", 4, "太郎さん 誕生日"}, {"太郎:１９８０", 4, "太郎さん 誕生日"},
        {"太郎:2010", 4, "太郎さん-10才の誕生日"}, {"次郎:+980", 4, "次郎さん1020才の誕生日"},
        {"a,b:1980", 4, "aさん20才の誕生日"},
        // Entries still under the bare key: the year from the last five characters.
        {"太郎:1980", 5, "太郎さん 誕生日"}, {"太郎 1980", 5, "太郎 1980さん20才の誕生日"},
        {"太郎1980", 5, "太郎1980さん 誕生日"}, {"1980", 5, "1980さん20才の誕生日"}};
    for (const auto& c : cases)
        EXPECT_EQ(birthdayMessage(c.value, c.yearLength, 2000), c.message) << c.value << c.yearLength;
}

TEST(BirthdayBook, BareKeyMovesToTheFirstFreeLetterAfterAGap)
{
    MemoryStore store = profile();
    store.put("誕生日", "a01/20", "太郎:1980");
    store.put("誕生日", "c01/20", "見えない人");
    store.put("誕生日", "01/20", "三郎:1990");
    EXPECT_EQ(messages(build(store)), (std::vector<std::string>{"太郎さん20才の誕生日", "三郎さん 誕生日"}));
    EXPECT_EQ(store.get("誕生日", "b01/20"), "三郎:1990");
    EXPECT_EQ(store.get("誕生日", "c01/20"), "見えない人");
    EXPECT_EQ(store.get("誕生日", "01/20"), std::nullopt);
    // The next build finds it under its letter, reads the year from four characters, shows c too.
    store.log.clear();
    EXPECT_EQ(messages(build(store)),
              (std::vector<std::string>{"太郎さん20才の誕生日", "三郎さん10才の誕生日", "見えない人さん 誕生日"}));
    EXPECT_EQ(writes(store), Log{});
}

// 20 January 2000, 09:00:20: every read and write, and the lock around each day's move of its
// entries of the older form; the page itself only reads.
TEST(DayPage, AccessesTheSettingsInOrder)
{
    MemoryStore store = profile();
    store.put("誕生日", "a01/20", "太郎:1980");
    store.put("誕生日", "01/20", "次郎 1990");
    store.put("特別日", "01/20", "大寒");
    store.put("特別日", "a01/21", "明日");
    store.put("init", "言霊総数", "2");
    store.put("言霊", "1", "x,y");
    WrappedStore wrapped(store);
    const DayPage page = build(wrapped, at(2000, 1, 20, 9, 0, 20), {0.5f});
    const Log expected = {
        {'r', "誕生日", "a01/20", ""}, {'r', "誕生日", "b01/20", ""}, {'r', "誕生日", "01/20", ""},
        {'L', "", "", ""}, {'r', "誕生日", "a01/20", ""}, {'r', "誕生日", "b01/20", ""}, {'r', "誕生日", "01/20", ""},
        {'d', "誕生日", "01/20", ""}, {'w', "誕生日", "b01/20", "次郎 1990"}, {'r', "誕生日", "01/20", ""}, {'U', "", "", ""},
        {'r', "特別日", "a01/20", ""}, {'r', "特別日", "01/20", ""},
        {'L', "", "", ""}, {'r', "特別日", "a01/20", ""}, {'r', "特別日", "01/20", ""},
        {'d', "特別日", "01/20", ""}, {'w', "特別日", "a01/20", "大寒"}, {'r', "特別日", "01/20", ""}, {'U', "", "", ""},
        {'r', "init", "使用者", ""}, {'r', "init", "誕生日", ""}, {'r', "init", "性別", ""}, {'r', "init", "登録日", ""},
        {'r', "休日", "01/20", ""}, {'r', "init", "言霊総数", ""}, {'r', "言霊", "1", ""},
        {'r', "暦", "表示", ""}, {'r', "暦", "六曜", ""}};
    EXPECT_EQ(store.log, expected);
    EXPECT_EQ(messages(page), (std::vector<std::string>{"太郎さん20才の誕生日", "次郎 1990さん10才の誕生日", "大寒"}));
    EXPECT_EQ(page.counterLine, std::nullopt);
}

TEST(SpecialDays, LetteredInOrderEmptyValuesAndZero)
{
    MemoryStore store = profile();
    store.put("特別日", "a01/20", "大寒");
    store.put("特別日", "b01/20", "");
    store.put("特別日", "c01/20", "初天神");
    store.put("特別日", "e01/20", "見えない日");
    store.put("特別日", "01/20", "0");
    EXPECT_EQ(messages(build(store)), (std::vector<std::string>{"大寒", "", "初天神"}));
    EXPECT_EQ(store.get("特別日", "01/20"), "0");
    EXPECT_EQ(writes(store), Log{});
}

TEST(SpecialDays, SecondLineOfTheBareKeyMovesToo)
{
    MemoryStore store = profile();
    store.put("特別日", "a01/20", "大寒");
    store.put("特別日", "b01/20", "初天神");
    store.put("特別日", "01/20", "一行目");
    WrappedStore file(store);
    bool secondLine = true;  // a delete removes the first line; the second then shows up
    file.afterDelete = [&](const std::string& section, const std::string& key) {
        if (std::exchange(secondLine, false))
            store.put(section, key, "二行目");
    };
    EXPECT_EQ(messages(build(file)), (std::vector<std::string>{"大寒", "初天神", "一行目", "二行目"}));
    EXPECT_EQ(store.get("特別日", "c01/20"), "一行目");
    EXPECT_EQ(store.get("特別日", "d01/20"), "二行目");
    EXPECT_EQ(store.get("特別日", "01/20"), std::nullopt);
}

TEST(BareKey, UnwritableFileShowsTheEntryOnceAndEnds)
{
    MemoryStore store = profile();
    store.put("誕生日", "01/20", "次郎");
    store.put("特別日", "a01/20", "大寒");
    store.put("特別日", "01/20", "古い記念日");
    store.readOnly = true;
    EXPECT_EQ(messages(build(store)), (std::vector<std::string>{"次郎さん 誕生日", "大寒", "古い記念日"}));
    EXPECT_EQ(writes(store), (Log{{'d', "誕生日", "01/20", ""}, {'d', "特別日", "01/20", ""}}));
}

TEST(BareKey, FailedWriteUnderTheLetterPutsTheEntryBack)
{
    MemoryStore store = profile();
    store.put("特別日", "01/20", "古い記念日");
    WrappedStore file(store);
    file.failWrite = [](const std::string& key, bool isWrite) { return isWrite && key == "a01/20"; };
    EXPECT_EQ(messages(build(file)), (std::vector<std::string>{"古い記念日"}));
    EXPECT_EQ(store.get("特別日", "01/20"), "古い記念日");
    EXPECT_EQ(store.get("特別日", "a01/20"), std::nullopt);
}

TEST(BareKey, StoreThatKeepsReturningItStopsAtTheLastLetter)
{
    MemoryStore store = profile();
    store.put("特別日", "01/20", "しつこい日");
    WrappedStore file(store);
    file.afterDelete = [&](const std::string& section, const std::string& key) { store.put(section, key, "しつこい日"); };
    EXPECT_EQ(build(file).messageCount(), 26);
    EXPECT_EQ(store.get("特別日", "z01/20"), "しつこい日");
    EXPECT_EQ(store.get("特別日", "{01/20"), std::nullopt);
}

TEST(MessageList, SurplusIsDroppedAndBareKeysStillMove)
{
    MemoryStore store = profile();
    for (char c = 'a'; c <= 't'; ++c)
        store.put("誕生日", c + std::string("01/20"), std::string("人") + c);
    for (char c = 'a'; c <= 'j'; ++c)
        store.put("特別日", c + std::string("01/20"), std::string("日") + c);
    store.put("特別日", "01/20", "古い記念日");
    const DayPage page = build(store);
    EXPECT_EQ(page.messageCount(), 26);
    EXPECT_EQ(page.messages[20], "日a");
    EXPECT_EQ(page.messages[25], "日f");
    EXPECT_EQ(store.get("特別日", "k01/20"), "古い記念日");
    EXPECT_EQ(store.get("特別日", "01/20"), std::nullopt);

    // All 26 letters taken: the bare key has nowhere to go and stays.
    MemoryStore full = profile();
    for (char c = 'a'; c <= 'z'; ++c)
        full.put("誕生日", c + std::string("01/20"), std::string("人") + c);
    full.put("誕生日", "01/20", "あふれた人");
    EXPECT_EQ(build(full).messages[25], "人zさん 誕生日");
    EXPECT_EQ(full.get("誕生日", "01/20"), "あふれた人");
    EXPECT_EQ(writes(full), Log{});
}

TEST(Holiday, TableMarkerOrComputed)
{
    struct { int y; unsigned m, d; const char* table; bool mark; const char* name; } cases[] = {
        {2000, 1, 10, nullptr, true, "成人の日"}, {2000, 1, 10, "0", true, "成人の日"},
        {2000, 1, 10, "祝日", true, "祝日"}, {2000, 1, 10, "振替候補日", true, "振替休日"},
        {2000, 1, 20, "", true, ""}, {2000, 1, 20, nullptr, false, ""}, {1999, 1, 11, nullptr, false, ""},
        {2000, 1, 3, "三が日", true, "三が日"}, {2000, 8, 9, "", true, ""},  // the table's keys are "01/03", "08/09"
        // 23 September 2001 is a Sunday; the table marks the Monday after.
        {2001, 9, 23, nullptr, true, "秋分の日"}, {2001, 9, 24, "振替候補日", true, "振替休日"},
        // On other weekdays the marker shows nothing and keeps the computed holiday away.
        {2001, 9, 23, "振替候補日", false, ""}, {2000, 9, 23, "振替候補日", false, ""}};
    for (const auto& c : cases) {
        MemoryStore store;
        if (c.table)
            store.put("休日", dateKey(std::chrono::month{c.m} / std::chrono::day{c.d}), c.table);
        const HolidayShown shown = lookupHoliday(store, std::chrono::year{c.y} / c.m / c.d);
        EXPECT_EQ(shown.mark, c.mark) << c.y << c.m << c.d;
        EXPECT_EQ(shown.name, c.name) << c.y << c.m << c.d;
    }
    MemoryStore store = profile();
    const DayPage none = build(store);
    EXPECT_FALSE(none.holiday.has_value());
    EXPECT_EQ(none.holiday, std::nullopt);
}

// A year's listing shows what the day-by-day lookup shows, through a file read in one access and
// through a store that cannot list a section. The table: a name of its own on a computed holiday
// (2001-01-08), a marker on a Monday (2001-04-30) and on a Tuesday (2001-02-13), a day that the
// table alone makes a holiday (2001-06-01), and a second line of a key, which does not count.
TEST(Holiday, YearListingShowsWhatEachDayShows)
{
    const std::vector<std::pair<std::string, std::string>> table = {
        {"01/08", "祝日"}, {"04/30", "振替候補日"}, {"02/13", "振替候補日"}, {"06/01", "記念日"},
    };
    std::string text = "[休日]\r\n";
    for (const auto& [key, value] : table)
        text += key + "=" + value + "\r\n";
    text += " 06/01 =二行目\r\n[init]\r\n";
    test::TempDir dir;
    test::writeBytes(dir / "dovi.ini", text);
    SettingsFile file(dir / "dovi.ini");
    MemoryStore memory;
    for (const auto& [key, value] : table)
        memory.put("休日", key, value);

    const auto listed = holidaysOfYear(file, 2001);
    std::vector<std::string> shown;
    for (const auto& [date, holiday] : listed)
        shown.push_back(std::to_string(static_cast<unsigned>(date.month())) + "/" +
                        std::to_string(static_cast<unsigned>(date.day())) + " " + holiday.name);
    const std::vector<std::string> expected = {
        "1/1 元日", "1/8 祝日", "2/11 建国記念の日", "2/12 振替休日", "3/20 春分の日", "4/29 みどりの日",
        "4/30 振替休日", "5/3 憲法記念日", "5/4 国民の休日", "5/5 こどもの日", "6/1 記念日", "7/20 海の日",
        "9/15 敬老の日", "9/23 秋分の日", "9/24 振替休日", "10/8 体育の日", "11/3 文化の日",
        "11/23 勤労感謝の日", "12/23 天皇誕生日", "12/24 振替休日",
    };
    EXPECT_EQ(shown, expected);

    for (const int y : {1999, 2000, 2001, 2019, 2024}) {
        const auto fromFile = holidaysOfYear(file, y);
        const auto fromMemory = holidaysOfYear(memory, y);
        ASSERT_EQ(fromFile.size(), fromMemory.size()) << y;
        std::size_t next = 0;
        using namespace std::chrono;
        for (sys_days day = sys_days{year{y} / 1 / 1}; day <= sys_days{year{y} / 12 / 31}; day += days{1}) {
            const HolidayShown one = lookupHoliday(file, Date{day});
            if (!one.mark)
                continue;
            ASSERT_LT(next, fromFile.size()) << y;
            EXPECT_EQ(fromFile[next].first, Date{day});
            EXPECT_EQ(fromFile[next].second.name, one.name);
            EXPECT_EQ(fromMemory[next].second.name, one.name);
            ++next;
        }
        EXPECT_EQ(next, fromFile.size()) << y;
    }
}

TEST(Counter, LineOnADayWithoutMessages)
{
    struct { const char* birthday; const char* registered; int y; unsigned m, d; int s; const char* line; } cases[] = {
        {" 1973/ 7/ 5", "2000/1/20", 2000, 1, 10, 29, "あなたが生まれてから9685日目"},
        {" 1973/ 7/ 5", "2000/1/20", 2000, 1, 10, 30, "デイリオを使いはじめてから-10日目"},
        {" 1973/ 7/ 5", "2000/1/20", 2000, 1, 20, 59, "デイリオを使いはじめてから0日目"},
        {"2000/1/1", "2000/1/1", 2000, 1, 2, 10, "あなたが生まれてから1日目"},
        {" 1800/ 1/ 1", "2000/1/1", 2000, 1, 1, 0, "あなたが生まれてから73048日目"},
        // A date that names no real day gives way to the other; with neither there is no line.
        {" 1973/ 2/ 30", "1999/4/1", 2000, 1, 10, 10, "デイリオを使いはじめてから284日目"},
        {" 1973/ 7/ 5", "きのう", 2000, 1, 10, 45, "あなたが生まれてから9685日目"},
        {"", "2000/13/1", 2000, 1, 10, 10, nullptr}};
    for (const auto& c : cases) {
        MemoryStore store = profile();
        store.put("init", "誕生日", c.birthday);
        store.put("init", "登録日", c.registered);
        const DayPage page = build(store, at(c.y, c.m, c.d, 8, 0, c.s));
        EXPECT_EQ(page.counterLine, c.line ? std::optional<std::string>(c.line) : std::nullopt) << c.birthday << c.s;
        // Without a line the message line keeps its design text.
        EXPECT_EQ(messages(page), std::vector<std::string>{c.line ? c.line : "デイリオ for Windows 95/98/2000"});
    }
    MemoryStore store = profile();
    store.put("特別日", "a01/20", "大寒");
    store.put("特別日", "b01/20", "初天神");
    const DayPage busy = build(store, at(2000, 1, 20, 8, 0, 10));
    EXPECT_EQ(busy.counterLine, std::nullopt);
    EXPECT_EQ(busy.messageCount(), 2);
}

TEST(Saying, DrawnAndSplitAtTheFirstComma)
{
    const std::string title = "デイリオカレンダー for Win 95/98/2000", credit = "移植: デイリオ Linux 移植チーム ";
    struct { const char* count; std::string key, saying; std::vector<float> draws; std::string label6, label7; } cases[] = {
        {"2", "1", "a,b,c", {0.3f, 0.6f}, "a", "b,c"},  // 0.3 × 2 gives key 0: drawn again
        {"2", "1", ",b", {0.5f}, "", "b"}, {"2", "1", "a,", {0.5f}, "a", ""},
        {"2", "1", "一期一会", {0.5f}, "一期一会", ""}, {"2", "9", "x,y", {0.5f}, "0", ""},
        {"5", "4", "四,よん", {0.99999994f}, "四", "よん"}, {"32767", "32766", "末,尾", {0.99999994f}, "末", "尾"},
        // 31 × 1082401 / 2^24 is 2 − 2^-24: key 1, though the product rounded to single precision is 2.
        {"31", "1", "一,いち", {1082401 * 0x1p-24f}, "一", "いち"},
        {"2", "1", "a,b", {}, title, credit},  // 50 draws of key 0
        {"1", "1", "a,b", {0.99f}, title, credit}, {"0", "1", "a,b", {0.99f}, title, credit},
        {nullptr, "1", "a,b", {0.99f}, title, credit}, {"40000", "39600", "a,b", {0.99f}, title, credit},
        {"32768", "32767", "a,b", {0.99999994f}, title, credit}, {"2.5", "1", "a,b", {0.99f}, title, credit},
        {"", "1", "a,b", {0.99f}, title, credit}};
    for (const auto& c : cases) {
        MemoryStore store = profile();
        if (c.count)
            store.put("init", "言霊総数", c.count);
        store.put("言霊", c.key, c.saying);
        store.put("言霊", "2", "二,に");
        store.put("言霊", "5", "五,ご");
        ScriptedRandom random(c.draws);
        FixedClock clock(at(2000, 1, 20, 8, 0, 10));
        const DayPage page = buildDayPage(store, clock, random);
        EXPECT_EQ(page.saying, c.label6) << (c.count ? c.count : "none") << c.saying;
        EXPECT_EQ(page.sayingSource, c.label7) << (c.count ? c.count : "none") << c.saying;
        EXPECT_EQ(random.seeds, 1);
        EXPECT_LE(random.draws, 50u);
    }
}

// A registered user on 10 January 2000, a Monday, at 08:00:20.
TEST(DayPage, OneStartOnComingOfAgeDay)
{
    MemoryStore store = profile();
    store.put("init", "言霊総数", "2");
    store.put("言霊", "1", "継続は,力なり");
    const DayPage page = build(store, at(2000, 1, 10, 8, 0, 20), {0.5f});
    EXPECT_EQ(page.greeting, "おはよう，今日も素敵な山田さん");
    EXPECT_TRUE(page.holiday.has_value());
    EXPECT_EQ(page.holiday, "成人の日");
    EXPECT_EQ(page.counterLine, "あなたが生まれてから9685日目");
    EXPECT_EQ(messages(page), std::vector<std::string>{"あなたが生まれてから9685日目"});
    EXPECT_EQ(page.saying + "|" + page.sayingSource, "継続は|力なり");
}

// The 暦 switches come with the page from the build's one read, so that the window shows the line
// as the same state of the file says and reads nothing more.
TEST(DayPage, CarriesTheKoyomiSwitchesOfItsRead)
{
    MemoryStore store = profile();
    EXPECT_EQ(build(store).koyomi, (KoyomiSettings{true, true}));
    store.put("暦", "六曜", "しない");
    EXPECT_EQ(build(store).koyomi, (KoyomiSettings{true, false}));
    store.put("暦", "表示", "しない");
    EXPECT_EQ(build(store).koyomi, (KoyomiSettings{false, false}));
}

TEST(StandardRandom, FixedSeedRepeatsAndStaysBelowOne)
{
    StandardRandom a(42), b(42);
    std::vector<float> first;
    for (int i = 0; i < 1000; ++i) {
        first.push_back(a.next());
        EXPECT_LT(first.back(), 1.0f);
        EXPECT_GE(first.back(), 0.0f);
        EXPECT_EQ(first.back(), b.next());
    }
    a.seedFromClock();
    EXPECT_EQ(a.next(), first[0]);
}

}  // namespace
}  // namespace dovi
