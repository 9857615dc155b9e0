// The buffer a settings file is read into: its bytes stay whole when it grows and stay in place
// when it moves, and files around the size where it takes memory of its own read whole.
#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <string>
#include <utility>

#include "settings/filebytes.h"
#include "settings/inifile.h"
#include "settings/settingsfile.h"
#include "tests/testutil.h"

namespace dovi {
namespace {

constexpr std::size_t kLargePage = std::size_t{2} << 20;

TEST(FileBytes, KeepsItsBytesWhenItGrowsAndWhenItMoves)
{
    FileBytes bytes;
    EXPECT_EQ(bytes.view(), "");
    bytes.reserve(10);
    std::memcpy(bytes.data(), "[init]\r\n", 8);
    bytes.resize(8);
    // From a small buffer to memory of its own and on to a larger one, across the page bounds.
    for (const std::size_t capacity : {kLargePage - 1, kLargePage, kLargePage + 1, 3 * kLargePage}) {
        bytes.reserve(capacity);
        ASSERT_GE(bytes.capacity(), capacity);
        EXPECT_EQ(bytes.view(), "[init]\r\n");
        bytes.data()[capacity - 1] = 'x';  // the whole room can be written
    }
    const char* const where = bytes.view().data();
    FileBytes moved(std::move(bytes));
    EXPECT_EQ(moved.view().data(), where);
    EXPECT_EQ(moved.view(), "[init]\r\n");
    EXPECT_EQ(bytes.view(), "");

    // A text short enough to live inside a std::string itself still stays in place.
    FileBytes text(std::string("[a]\nk=v\n"));
    const char* const textWhere = text.view().data();
    FileBytes other;
    other = std::move(text);
    EXPECT_EQ(other.view().data(), textWhere);
    EXPECT_EQ(other.view(), "[a]\nk=v\n");
}

TEST(FileBytes, AMovedTextStillReadsItsValues)
{
    std::optional<IniText> text;
    text.emplace(std::string("[a]\nk=v\n"));
    IniText moved(std::move(*text));
    text.reset();
    EXPECT_EQ(moved.value("a", "k"), "v");
    EXPECT_EQ(moved.bytes(), "[a]\nk=v\n");
}

// Files whose size (with the one byte more a read asks for) falls on either side of a large page
// read whole, to their last byte.
TEST(FileBytes, FilesAroundTheLargePageSizeReadWhole)
{
    const test::TempDir dir;
    for (const std::size_t size : {kLargePage - 2, kLargePage - 1, kLargePage, 2 * kLargePage + 7}) {
        const std::string last = "[end]\r\nkey=last\r\n";
        std::string bytes = "[init]\r\nuser=taro\r\n;";
        bytes.append(size - bytes.size() - last.size() - 2, 'x');
        bytes += "\r\n" + last;
        ASSERT_EQ(bytes.size(), size);
        const auto path = dir.path() / "dovi.ini";
        test::writeBytes(path, bytes);
        SettingsFile file(path);
        EXPECT_EQ(file.read("init", "user"), "taro") << size;
        EXPECT_EQ(file.read("end", "key"), "last") << size;
    }
}

}  // namespace
}  // namespace dovi
