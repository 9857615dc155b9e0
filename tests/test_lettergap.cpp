// Closing a gap in the letters of a day: the entries after it become visible to the page, each
// keeping its value byte for byte, in one replacement of the file.
#include <gtest/gtest.h>

#include "book/lettergap.h"
#include "tests/testutil.h"

namespace dovi {
namespace {

std::vector<std::string> shownOf(SettingsFile& file, Book book)
{
    return shownValues(BookSnapshot::read(file).day(book, "01/20"));
}

TEST(LetterGap, EntriesAfterGapsTakeTheLettersAfterTheShownOnes)
{
    test::TempDir dir;
    const auto path = dir / "dovi.ini";
    // b is missing, d holds "0" (no entry): the page shows 甲 alone.
    test::writeBytes(path, "[誕生日]\r\na01/20=甲\r\nc01/20=乙:1990\r\nd01/20=0\r\ne01/20= 丙 \r\n"
                           "[特別日]\r\nb01/20=大寒\r\n");
    SettingsFile file(path);
    ASSERT_EQ(shownOf(file, Book::Birthdays), std::vector<std::string>{"甲"});
    ASSERT_TRUE(closeLetterGap(file, Book::Birthdays, "01/20").ok);
    // The "0" line means no entry and stays as it was.
    EXPECT_EQ(test::readBytes(path), "[誕生日]\r\na01/20=甲\r\nb01/20=乙:1990\r\nd01/20=0\r\nc01/20= 丙 \r\n"
                                     "[特別日]\r\nb01/20=大寒\r\n");
    EXPECT_EQ(shownOf(file, Book::Birthdays), (std::vector<std::string>{"甲", "乙:1990", "丙"}));
    EXPECT_TRUE(BookSnapshot::read(file).day(Book::Birthdays, "01/20").hidden.empty());

    // A list whose first letter is missing; then one without a gap, which stays byte for byte.
    ASSERT_TRUE(closeLetterGap(file, Book::SpecialDays, "01/20").ok);
    EXPECT_EQ(shownOf(file, Book::SpecialDays), std::vector<std::string>{"大寒"});
    const std::string closed = test::readBytes(path);
    EXPECT_TRUE(closeLetterGap(file, Book::Birthdays, "01/20").ok);
    EXPECT_TRUE(closeLetterGap(file, Book::Birthdays, "01/21").ok);
    EXPECT_EQ(test::readBytes(path), closed);
}

}  // namespace
}  // namespace dovi
