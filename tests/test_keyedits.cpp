// Several edits of the settings file as one replacement: all of them, or none.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include "settings/settingsfile.h"
#include "tests/testutil.h"

namespace dovi {
namespace {

using Kind = KeyEdit::Kind;

class KeyEdits : public testing::Test {
protected:
    test::TempDir dir;
    const std::filesystem::path path = dir / "dovi.ini";
    SettingsFile file{path};
};

TEST_F(KeyEdits, EachEditSeesTheOnesBeforeIt)
{
    test::writeBytes(path, "[誕生日]\r\na01/20=太郎\r\nb01/20=花子\r\nc01/20=次郎\r\n[init]\r\n言霊総数=3\r\n");
    const KeyEdit edits[] = {
        {Kind::Delete, "誕生日", "a01/20", {}},
        {Kind::Rename, "誕生日", "b01/20", "a01/20"},
        {Kind::Rename, "誕生日", "c01/20", "b01/20"},
        {Kind::Set, "init", "言霊総数", "2"},
        {Kind::Set, "特別日", "a01/20", "大寒"},
    };
    ASSERT_TRUE(file.applyEdits(edits).ok);
    EXPECT_EQ(test::readBytes(path),
              "[誕生日]\r\na01/20=花子\r\nb01/20=次郎\r\n[init]\r\n言霊総数=2\r\n[特別日]\r\na01/20=大寒\r\n");
    EXPECT_EQ(test::namesIn(dir.path()), (std::set<std::string>{".dovi.ini.lock", "dovi.ini"}));
}

TEST_F(KeyEdits, OneRefusedEditLeavesTheFileUntouched)
{
    const std::string before = "[s]\na=1\nb=2\n";
    test::writeBytes(path, before);
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);

    const KeyEdit missing[] = {{Kind::Delete, "s", "a", {}}, {Kind::Rename, "s", "x", "a"}};
    EXPECT_EQ(file.applyEdits(missing).reason, WriteFailure::KeyMissing);
    const KeyEdit lineBreak[] = {{Kind::Set, "s", "c", "3"}, {Kind::Set, "s", "d", "4\n5"}};
    EXPECT_EQ(file.applyEdits(lineBreak).reason, WriteFailure::LineBreak);
    EXPECT_EQ(test::readBytes(path), before);

    // Edits that end in the same text leave the file itself in place.
    const KeyEdit nothing[] = {{Kind::Delete, "s", "zz", {}}, {Kind::Set, "s", "a", "1"}};
    EXPECT_TRUE(file.applyEdits(nothing).ok);
    struct stat after {};
    ASSERT_EQ(::stat(path.c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, st.st_ino);
}

// "ﾃｩ" in Shift-JIS is C3 A9, valid UTF-8: once the line that is not goes, the file would read as
// UTF-8, and the value "ﾃｩ" would become "é".
TEST_F(KeyEdits, AShiftJisFileThatWouldTurnIntoUtf8HalfwayIsNotChanged)
{
    const std::string before = "[s]\r\na=\xC3\xA9\r\nb=\x82\xA0\r\n";
    test::writeBytes(path, before);
    const KeyEdit edits[] = {{Kind::Delete, "s", "b", {}}, {Kind::Set, "s", "c", "ｱ"}};
    EXPECT_EQ(file.applyEdits(edits).reason, WriteFailure::WouldReadAsUtf8);
    EXPECT_EQ(test::readBytes(path), before);
}

}  // namespace
}  // namespace dovi
