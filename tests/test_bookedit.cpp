// Editing the birthday book, the special days and the sayings on real settings files: the whole
// file compared byte for byte after each change, and the page built afterwards.
#include <gtest/gtest.h>

#include "book/bookedit.h"
#include "page/daypage.h"
#include "tests/testutil.h"

namespace dovi {
namespace {

using Seen = std::vector<std::string>;

class BookEdit : public testing::Test {
protected:
    void put(const std::string& bytes) { test::writeBytes(path, bytes); }
    std::string bytes() const { return test::readBytes(path); }

    test::TempDir dir;
    const std::filesystem::path path = dir / "dovi.ini";
    SettingsFile file{path};
};

// A UTF-8 file (its encoding is kept), CRLF line ends.
const std::string kDay = "[init]\r\n使用者=山田さん\r\n誕生日= 1973/ 7/ 5\r\n登録日=2000/1/20\r\n"
                         "[誕生日]\r\na01/20=太郎:1980\r\nb01/20=花子\r\nc01/20=次郎,1990\r\nd01/20=三郎\r\n"
                         "[特別日]\r\na01/20=大寒\r\n";
const std::string kHead = "[init]\r\n使用者=山田さん\r\n誕生日= 1973/ 7/ 5\r\n登録日=2000/1/20\r\n";

TEST_F(BookEdit, RemovingAnEntryInTheMiddleKeepsEveryLaterOneOnThePage)
{
    put(kDay);
    ASSERT_TRUE(removeBookEntry(file, Book::Birthdays, "01/20", SeenEntry{'b', "花子"}).ok);
    EXPECT_EQ(bytes(), kHead + "[誕生日]\r\na01/20=太郎:1980\r\nb01/20=次郎,1990\r\nc01/20=三郎\r\n"
                               "[特別日]\r\na01/20=大寒\r\n");

    FixedClock clock({std::chrono::year{2000} / 1 / 20, 13, 0, 12});
    StandardRandom random(1);
    const DayPage page = buildDayPage(file, clock, random);
    ASSERT_EQ(page.messageCount(), 4);
    EXPECT_EQ(page.messages[0], "太郎さん20才の誕生日");
    EXPECT_EQ(page.messages[1], "次郎さん10才の誕生日");
    EXPECT_EQ(page.messages[2], "三郎さん 誕生日");
    EXPECT_EQ(page.messages[3], "大寒");
}

TEST_F(BookEdit, EditMoveAndRemoveKeepTheOtherBytes)
{
    put(kDay);
    ASSERT_TRUE(editBookEntry(file, Book::Birthdays, "01/20", SeenEntry{'b', "花子"}, "花子:1975").ok);
    EXPECT_EQ(bytes(), kHead + "[誕生日]\r\na01/20=太郎:1980\r\nb01/20=花子:1975\r\nc01/20=次郎,1990\r\n"
                               "d01/20=三郎\r\n[特別日]\r\na01/20=大寒\r\n");

    // d to b: lines keep their places and values, only their names change.
    ASSERT_TRUE(moveBookEntry(file, Book::Birthdays, "01/20", SeenEntry{'d', "三郎"}, 'b').ok);
    EXPECT_EQ(bytes(), kHead + "[誕生日]\r\na01/20=太郎:1980\r\nc01/20=花子:1975\r\nd01/20=次郎,1990\r\n"
                               "b01/20=三郎\r\n[特別日]\r\na01/20=大寒\r\n");
    EXPECT_EQ(shownValues(readBookDay(file, Book::Birthdays, "01/20")),
              (Seen{"太郎:1980", "三郎", "花子:1975", "次郎,1990"}));

    ASSERT_TRUE(moveBookEntry(file, Book::Birthdays, "01/20", SeenEntry{'a', "太郎:1980"}, 'd').ok);
    EXPECT_EQ(shownValues(readBookDay(file, Book::Birthdays, "01/20")),
              (Seen{"三郎", "花子:1975", "次郎,1990", "太郎:1980"}));

    ASSERT_TRUE(removeBookEntry(file, Book::SpecialDays, "01/20", SeenEntry{'a', "大寒"}).ok);
    EXPECT_EQ(bytes(), kHead + "[誕生日]\r\nd01/20=太郎:1980\r\nb01/20=花子:1975\r\nc01/20=次郎,1990\r\n"
                               "a01/20=三郎\r\n[特別日]\r\n");
}

// A Shift-JIS file whose entry b holds a byte that no read can give back: it moves byte for byte.
TEST_F(BookEdit, ShiftJisLinesMoveByteForByte)
{
    const std::string section = "[\x92\x61\x90\xB6\x93\xFA]\r\n";
    put(section + "a01/20=\x91\xBE\x98\x59\r\nb01/20=\x89\xD4\x8E\x71\x81\r\nc01/20=\x8E\x9F\x98\x59\r\n");
    ASSERT_TRUE(removeBookEntry(file, Book::Birthdays, "01/20", SeenEntry{'a', "太郎"}).ok);
    EXPECT_EQ(bytes(), section + "a01/20=\x89\xD4\x8E\x71\x81\r\nb01/20=\x8E\x9F\x98\x59\r\n");
    EXPECT_EQ(file.encoding(), FileEncoding::Cp932);
}

TEST_F(BookEdit, AnEntryOfTheOlderFormTakesItsLetterInTheSameChange)
{
    put("[特別日]\nc02/03=節分の夜\na02/03=節分\n02/03=豆まき\n");
    const BookDay day = readBookDay(file, Book::SpecialDays, "02/03");
    ASSERT_EQ(day.shown.size(), 2u);
    EXPECT_EQ(day.shown[1].key, "02/03");
    ASSERT_EQ(day.hidden.size(), 1u);
    EXPECT_EQ(day.hidden[0].key, "c02/03");

    ASSERT_TRUE(editBookEntry(file, Book::SpecialDays, "02/03", SeenEntry{'a', "節分"}, "節分の日").ok);
    EXPECT_EQ(bytes(), "[特別日]\nc02/03=節分の夜\na02/03=節分の日\nb02/03=豆まき\n");
}

TEST_F(BookEdit, RefusalsLeaveTheFileAlone)
{
    put(kDay);
    struct Case {
        WriteResult result;
        WriteFailure reason;
    };
    const Case cases[] = {
        {editBookEntry(file, Book::Birthdays, "01/20", SeenEntry{'a', "太郎:1980"}, " 0 "), WriteFailure::AbsentValue},
        {editBookEntry(file, Book::Birthdays, "01/20", SeenEntry{'a', "太郎:1980"}, "'0'"), WriteFailure::AbsentValue},
        {addBookEntry(file, Book::SpecialDays, "01/20", "\"0\""), WriteFailure::AbsentValue},
        {editBookEntry(file, Book::Birthdays, "01/20", SeenEntry{'e', "四郎"}, "四郎"), WriteFailure::ChangedMeanwhile},
        {removeBookEntry(file, Book::Birthdays, "01/20", SeenEntry{'a' - 1, "太郎:1980"}), WriteFailure::KeyMissing},
        {removeBookEntry(file, Book::Birthdays, "01/21", SeenEntry{'a', "太郎:1980"}), WriteFailure::ChangedMeanwhile},
        {moveBookEntry(file, Book::Birthdays, "01/20", SeenEntry{'a', "太郎:1980"}, 'e'), WriteFailure::KeyMissing},
        {removeBookEntry(file, Book::Birthdays, "01/20", SeenEntry{'a', "花子"}), WriteFailure::ChangedMeanwhile},
        {editBookEntry(file, Book::Birthdays, "01/20", SeenEntry{'b', "花子"}, "花\n子"), WriteFailure::LineBreak},
        {moveBookEntry(file, Book::Birthdays, "01/20", SeenEntry{'a', ""}, 'b'), WriteFailure::ChangedMeanwhile},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_FALSE(cases[i].result.ok) << i;
        EXPECT_EQ(cases[i].result.reason, cases[i].reason) << i;
    }
    EXPECT_EQ(bytes(), kDay);
    // The entry as the caller saw it lets the change through.
    EXPECT_TRUE(removeBookEntry(file, Book::Birthdays, "01/20", SeenEntry{'d', "三郎"}).ok);
}

TEST_F(BookEdit, AChangeNamingAnEntryThatMovedMeanwhileIsRefusedAndHitsNoOtherEntry)
{
    const std::string start = "[誕生日]\r\na01/20=与謝野晶子\r\nb01/20=甲\r\nc01/20=乙\r\nd01/20=丙\r\n";
    put(start);
    const SeenEntry seen{'c', "乙"};
    SettingsFile other(path);
    ASSERT_TRUE(removeBookEntry(other, Book::Birthdays, "01/20", SeenEntry{'a', "与謝野晶子"}).ok);
    const std::string changed = bytes();

    const WriteResult removed = removeBookEntry(file, Book::Birthdays, "01/20", seen);
    EXPECT_EQ(removed.reason, WriteFailure::ChangedMeanwhile);
    EXPECT_EQ(removed.error, "entry c of 01/20 no longer holds \"乙\": another program changed the entries "
                             "meanwhile; nothing was changed");
    EXPECT_EQ(editBookEntry(file, Book::Birthdays, "01/20", seen, "乙:1990").reason, WriteFailure::ChangedMeanwhile);
    EXPECT_EQ(moveBookEntry(file, Book::Birthdays, "01/20", seen, 'a').reason, WriteFailure::ChangedMeanwhile);
    // d was seen, and is gone: no entry stands under it now.
    EXPECT_EQ(removeBookEntry(file, Book::Birthdays, "01/20", SeenEntry{'d', "丙"}).reason,
              WriteFailure::ChangedMeanwhile);
    EXPECT_EQ(bytes(), changed);

    ASSERT_TRUE(removeBookEntry(file, Book::Birthdays, "01/20", SeenEntry{'b', "乙"}).ok);
    EXPECT_EQ(shownValues(readBookDay(file, Book::Birthdays, "01/20")), (Seen{"甲", "丙"}));
}

// A change of another entry that leaves the named one under its key does not stop the change.
TEST_F(BookEdit, AChangeOfAnotherEntryDoesNotStopOneThatNamesItsOwn)
{
    put(kDay);
    SettingsFile other(path);
    ASSERT_TRUE(editBookEntry(other, Book::Birthdays, "01/20", SeenEntry{'a', "太郎:1980"}, "太郎:1981").ok);
    ASSERT_TRUE(removeBookEntry(other, Book::Birthdays, "01/20", SeenEntry{'d', "三郎"}).ok);
    ASSERT_TRUE(editBookEntry(file, Book::Birthdays, "01/20", SeenEntry{'b', "花子"}, "花子:1975").ok);
    ASSERT_TRUE(moveBookEntry(file, Book::Birthdays, "01/20", SeenEntry{'c', "次郎,1990"}, 'a').ok);
    EXPECT_EQ(shownValues(readBookDay(file, Book::Birthdays, "01/20")),
              (Seen{"次郎,1990", "太郎:1981", "花子:1975"}));

    // Keys that no day can have are refused as missing, not as changed.
    const std::string before = bytes();
    EXPECT_EQ(removeBookEntry(file, Book::Birthdays, "01/20", SeenEntry{'A', "次郎,1990"}).reason,
              WriteFailure::KeyMissing);
    EXPECT_EQ(moveBookEntry(file, Book::Birthdays, "01/20", SeenEntry{'a', "次郎,1990"}, 'd').reason,
              WriteFailure::KeyMissing);
    EXPECT_EQ(removeSaying(file, SeenEntry{0, "x"}).reason, WriteFailure::KeyMissing);
    EXPECT_EQ(bytes(), before);
}

// The same for the sayings, named by number: 三 seen as number 3, and number 1 removed meanwhile.
TEST_F(BookEdit, ASayingThatMovedMeanwhileIsRefusedAndNoOtherIsRemoved)
{
    put("[init]\n言霊総数=5\n[言霊]\n1=一,\n2=二,\n3=三,\n4=四,\n");
    const SeenEntry seen{3, "三,"};
    SettingsFile other(path);
    ASSERT_TRUE(removeSaying(other, SeenEntry{1, "一,"}).ok);
    const std::string changed = bytes();

    EXPECT_EQ(removeSaying(file, seen).error,
              "saying 3 no longer holds \"三,\": another program changed the entries meanwhile; nothing was changed");
    EXPECT_EQ(editSaying(file, seen, "参,").reason, WriteFailure::ChangedMeanwhile);
    EXPECT_EQ(moveSaying(file, seen, 1).reason, WriteFailure::ChangedMeanwhile);
    EXPECT_EQ(bytes(), changed);

    // An edit of another saying leaves number 2 where it was.
    ASSERT_TRUE(editSaying(other, SeenEntry{3, "四,"}, "四,丁").ok);
    ASSERT_TRUE(removeSaying(file, SeenEntry{2, "三,"}).ok);
    EXPECT_EQ(bytes(), "[init]\n言霊総数=3\n[言霊]\n1=二,\n2=四,丁\n");
    // A key within the count that holds nothing reads as "0", and is named so.
    put("[init]\n言霊総数=3\n[言霊]\n1=一,\n");
    EXPECT_TRUE(moveSaying(file, SeenEntry{2, "0"}, 1).ok);
    EXPECT_EQ(bytes(), "[init]\n言霊総数=3\n[言霊]\n2=一,\n");
}

TEST_F(BookEdit, ACharacterTheShiftJisFileLacksIsRefused)
{
    put("[\x92\x61\x90\xB6\x93\xFA]\r\na01/20=\x91\xBE\x98\x59\r\n");
    const std::string before = bytes();
    const WriteResult result = editBookEntry(file, Book::Birthdays, "01/20", SeenEntry{'a', "太郎"}, "太郎😀");
    EXPECT_EQ(result.reason, WriteFailure::Unstorable);
    EXPECT_EQ(result.character, "😀");
    EXPECT_EQ(bytes(), before);
}

TEST_F(BookEdit, AddFillsTheFirstFreeLetterAndStopsAtTwentySix)
{
    put("[特別日]\na03/03=雛祭り\nc03/03=耳の日\n");
    std::string key;
    ASSERT_TRUE(addBookEntry(file, Book::SpecialDays, "03/03", "桃の節句", &key).ok);
    EXPECT_EQ(key, "b03/03");
    for (int i = 3; i < 26; ++i)
        ASSERT_TRUE(addBookEntry(file, Book::SpecialDays, "03/03", "x").ok);
    const std::string full = bytes();
    EXPECT_EQ(addBookEntry(file, Book::SpecialDays, "03/03", "y").reason, WriteFailure::NoRoom);
    EXPECT_EQ(bytes(), full);
}

TEST(BookValues, BirthdaysAsStoredAndAsThePageReadsThem)
{
    struct Case {
        const char* name;
        std::optional<int> year;
        const char* value;  // "" when refused
        WriteFailure reason;
    };
    const Case cases[] = {
        {"花子", 1980, "花子:1980", WriteFailure::None},
        {"  花子\t", std::nullopt, "花子", WriteFailure::None},
        {"Ann", 5, "Ann:0005", WriteFailure::None},
        {"a:b", 1980, "", WriteFailure::ForbiddenCharacter},
        {"a,b", std::nullopt, "", WriteFailure::ForbiddenCharacter},
        {" \t", 1980, "", WriteFailure::EmptyName},
        {"花子", 10000, "", WriteFailure::InvalidText},
    };
    for (const Case& c : cases) {
        std::string value;
        const WriteResult result = birthdayValue(c.name, c.year, value);
        EXPECT_EQ(result.reason, c.reason) << c.name;
        EXPECT_EQ(value, c.value) << c.name;
    }

    struct Read {
        const char* value;
        const char* name;
        std::optional<int> year;
    };
    const Read reads[] = {
        {"太郎:1980", "太郎", 1980},
        {"花子", "花子", std::nullopt},
        {"次郎 1990", "次郎 1990", 1990},
        {"a,b:2000", "a", 2000},
        {"名前:19八〇", "名前", std::nullopt},
    };
    for (const Read& r : reads) {
        const BirthdayText text = readBirthday(r.value);
        EXPECT_EQ(text.name, r.name) << r.value;
        EXPECT_EQ(text.year, r.year) << r.value;
    }
}

TEST(BookValues, SayingsAndSpecialDays)
{
    std::string value;
    EXPECT_TRUE(sayingValue(" 急がば回れ ", " ことわざ ", value).ok);
    EXPECT_EQ(value, "急がば回れ,ことわざ");
    EXPECT_TRUE(sayingValue("急がば回れ", "", value).ok);
    EXPECT_EQ(value, "急がば回れ,");
    EXPECT_EQ(sayingValue("急がば,回れ", "x", value).reason, WriteFailure::ForbiddenCharacter);
    EXPECT_EQ(sayingValue("", "x", value).reason, WriteFailure::EmptyName);
    EXPECT_TRUE(specialDayValue("\t大寒 ", value).ok);
    EXPECT_EQ(value, "大寒");
    EXPECT_EQ(specialDayValue("  ", value).reason, WriteFailure::EmptyName);

    const char* days[] = {"01/01", "02/29", "12/31"};
    for (const char* day : days)
        EXPECT_TRUE(isDayKey(day)) << day;
    const char* notDays[] = {"02/30", "13/01", "00/10", "1/20", "01-20", "01/2a", "001/20"};
    for (const char* day : notDays)
        EXPECT_FALSE(isDayKey(day)) << day;
}

const std::string kSayings = "[init]\n言霊総数=4\n[言霊]\n1=一,甲\n2=二,乙\n3=三,丙\n";

TEST_F(BookEdit, SayingsKeepConsecutiveKeysAndTheirCount)
{
    put(kSayings);
    int number = 0;
    ASSERT_TRUE(addSaying(file, "四,丁", &number).ok);
    EXPECT_EQ(number, 4);
    EXPECT_EQ(bytes(), "[init]\n言霊総数=5\n[言霊]\n1=一,甲\n2=二,乙\n3=三,丙\n4=四,丁\n");

    ASSERT_TRUE(removeSaying(file, SeenEntry{2, "二,乙"}).ok);
    EXPECT_EQ(bytes(), "[init]\n言霊総数=4\n[言霊]\n1=一,甲\n2=三,丙\n3=四,丁\n");

    ASSERT_TRUE(moveSaying(file, SeenEntry{3, "四,丁"}, 1).ok);
    EXPECT_EQ(bytes(), "[init]\n言霊総数=4\n[言霊]\n2=一,甲\n3=三,丙\n1=四,丁\n");

    ASSERT_TRUE(editSaying(file, SeenEntry{2, "一,甲"}, "壱,甲").ok);
    const auto sayings = readSayings(file);
    ASSERT_EQ(sayings.size(), 3u);
    EXPECT_EQ(sayings[0].text, "四");
    EXPECT_EQ(sayings[1].text, "壱");
    EXPECT_EQ(sayings[2].source, "丙");

    const std::string before = bytes();
    EXPECT_EQ(removeSaying(file, SeenEntry{4, "x,y"}).reason, WriteFailure::ChangedMeanwhile);
    EXPECT_EQ(editSaying(file, SeenEntry{0, "x,y"}, "x,y").reason, WriteFailure::KeyMissing);
    EXPECT_EQ(removeSaying(file, SeenEntry{1, "一,甲"}).reason, WriteFailure::ChangedMeanwhile);
    EXPECT_EQ(bytes(), before);
}

TEST_F(BookEdit, SayingsWithoutCountOrWithAHoleOrBeyondTheCount)
{
    // No count: the first saying gets key 1 and the count 2.
    put("[init]\n使用者=x\n");
    ASSERT_TRUE(addSaying(file, "一,甲").ok);
    EXPECT_EQ(bytes(), "[init]\n使用者=x\n言霊総数=2\n[言霊]\n1=一,甲\n");

    // Key 2 is missing inside the count: removing 1 closes up without inventing a line.
    put("[init]\n言霊総数=4\n[言霊]\n1=一,甲\n3=三,丙\n");
    ASSERT_TRUE(removeSaying(file, SeenEntry{1, "一,甲"}).ok);
    EXPECT_EQ(bytes(), "[init]\n言霊総数=3\n[言霊]\n2=三,丙\n");

    // A saying beyond the count is not overwritten.
    put("[init]\n言霊総数=2\n[言霊]\n1=一,甲\n2=隠れた,言霊\n");
    EXPECT_EQ(addSaying(file, "二,乙").reason, WriteFailure::EntryTaken);
    EXPECT_EQ(bytes(), "[init]\n言霊総数=2\n[言霊]\n1=一,甲\n2=隠れた,言霊\n");
}

}  // namespace
}  // namespace dovi
