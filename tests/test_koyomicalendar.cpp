// The 暦 in the book window offscreen: the marks of the month calendar's days, the selected day's
// full 暦, and the two switches, written only when the user clicks them. The 六曜 and terms of
// December 2026 are those of the independent table in tests/koyomi.
#include <QCheckBox>
#include <QImage>
#include <QPixmap>
#include <QTest>

#include <gtest/gtest.h>

#include "gui/bookwindow.h"
#include "gui/koyomicalendar.h"
#include "settings/filelock.h"
#include "tests/testutil.h"

namespace dovi {
namespace {

const std::string kFile = "[init]\r\n使用者=太郎さん\r\n";

class BookKoyomiTest : public testing::Test {
protected:
    BookKoyomiTest() : clock_(LocalDateTime{std::chrono::year{2026} / 12 / 7, 9, 0, 0})
    {
        test::writeBytes(path_, kFile);
        services_.clock = &clock_;
        services_.currentDirectory = [this] { return dir_.path(); };
        services_.showMessage = [this](const QString&, const QString& text) { messages_.push_back(text); };
        services_.confirm = [](const QString&, const QString&) { return true; };
    }

    std::unique_ptr<BookWindow> openWindow()
    {
        auto window = std::make_unique<BookWindow>(services_);
        window->show();
        return window;
    }
    static KoyomiCalendar& calendarOf(BookWindow& window) { return static_cast<KoyomiCalendar&>(*window.calendar()); }

    test::TempDir dir_;
    const std::filesystem::path path_ = dir_ / "dovi.ini";
    FixedClock clock_;
    Services services_;
    QStringList messages_;
};

using Marks = std::pair<QString, QString>;

// The day's 暦 as the panel shows it, without the word joiners that keep each item on one line.
QString shownText(const KoyomiDayPanel& panel) { return panel.details()->text().remove(QChar(0x2060)); }

TEST_F(BookKoyomiTest, EachDayCarriesItsSixDayNameAndItsSeasonalDay)
{
    auto window = openWindow();
    KoyomiCalendar& calendar = calendarOf(*window);
    EXPECT_EQ(calendar.cellMarks(QDate(2026, 12, 7)), Marks(QString::fromUtf8("大雪"), QString::fromUtf8("友引")));
    EXPECT_EQ(calendar.cellMarks(QDate(2026, 12, 14)), Marks(QString(), QString::fromUtf8("仏滅")));
    EXPECT_EQ(calendar.cellMarks(QDate(2026, 12, 22)), Marks(QString::fromUtf8("冬至"), QString::fromUtf8("赤口")));
    EXPECT_EQ(calendar.cellMarks(QDate(2026, 12, 31)), Marks(QString::fromUtf8("大晦日"), QString::fromUtf8("先負")));
    // Beyond the days the 暦 covers the cells are plain.
    EXPECT_EQ(calendar.cellMarks(QDate(1899, 12, 31)), Marks());
    EXPECT_FALSE(calendar.accessibleName().isEmpty());
    // Reading the window wrote nothing.
    EXPECT_EQ(test::readBytes(path_), kFile);
}

TEST_F(BookKoyomiTest, TheDayPanelShowsTheSelectedDaysFullKoyomi)
{
    auto window = openWindow();
    KoyomiDayPanel& panel = *window->koyomiPanel();
    EXPECT_TRUE(shownText(panel).startsWith(QString::fromUtf8("旧暦十月二十九日　六曜：友引\n日の干支：")))
        << shownText(panel).toStdString();
    EXPECT_TRUE(shownText(panel).contains(QString::fromUtf8("二十四節気：大雪")));
    window->calendar()->setSelectedDate(QDate(2026, 12, 31));
    EXPECT_TRUE(shownText(panel).contains(QString::fromUtf8("雑節：大晦日")));
    EXPECT_TRUE(shownText(panel).startsWith(QString::fromUtf8("旧暦十一月二十三日　六曜：先負\n")));
    EXPECT_EQ(panel.details()->textFormat(), Qt::PlainText);
    for (const QWidget* w : std::initializer_list<const QWidget*>{panel.details(), panel.lineSwitch(), panel.rokuyoSwitch()})
        EXPECT_FALSE(w->accessibleName().isEmpty());
}

// A click on a switch writes its key at once; the calendar, its cells and the day panel follow;
// the file's switches show when the window opens and when another program changes them.
TEST_F(BookKoyomiTest, SwitchesWriteOnlyWhenClicked)
{
    test::writeBytes(path_, kFile + "[暦]\r\n表示=しない\r\n");
    auto window = openWindow();
    KoyomiDayPanel& panel = *window->koyomiPanel();
    EXPECT_FALSE(panel.lineSwitch()->isChecked());
    EXPECT_TRUE(panel.rokuyoSwitch()->isChecked());
    EXPECT_EQ(test::readBytes(path_), kFile + "[暦]\r\n表示=しない\r\n");

    const QImage withRokuyo = window->calendar()->grab().toImage();
    QTest::mouseClick(panel.rokuyoSwitch(), Qt::LeftButton);
    EXPECT_FALSE(panel.rokuyoSwitch()->isChecked());
    EXPECT_EQ(test::readBytes(path_), kFile + "[暦]\r\n表示=しない\r\n六曜=しない\r\n");
    EXPECT_EQ(calendarOf(*window).cellMarks(QDate(2026, 12, 7)), Marks(QString::fromUtf8("大雪"), QString()));
    EXPECT_FALSE(shownText(panel).contains(QString::fromUtf8("六曜")));
    EXPECT_NE(window->calendar()->grab().toImage(), withRokuyo);

    QTest::mouseClick(panel.lineSwitch(), Qt::LeftButton);
    EXPECT_TRUE(panel.lineSwitch()->isChecked());
    EXPECT_EQ(test::readBytes(path_), kFile + "[暦]\r\n表示=する\r\n六曜=しない\r\n");

    // Another program turns the 六曜 back on.
    ASSERT_TRUE(SettingsFile(path_).write("暦", "六曜", "する").ok);
    window->fileChanged();
    EXPECT_TRUE(panel.rokuyoSwitch()->isChecked());
    EXPECT_EQ(calendarOf(*window).cellMarks(QDate(2026, 12, 7)).second, QString::fromUtf8("友引"));
    EXPECT_TRUE(messages_.isEmpty());
}

// A switch that cannot be stored (another program holds the file's update lock) is refused with a
// message, and the box goes back to what the file says.
TEST_F(BookKoyomiTest, ARefusedSwitchIsReportedAndShowsTheFileAgain)
{
    auto window = openWindow();
    KoyomiDayPanel& panel = *window->koyomiPanel();
    test::LockHolder holder(path_);
    ASSERT_TRUE(holder.ok());
    setLockWaitLimit(std::chrono::milliseconds(200));
    QTest::mouseClick(panel.rokuyoSwitch(), Qt::LeftButton);
    holder.release();
    setLockWaitLimit(std::chrono::milliseconds(3000));
    EXPECT_TRUE(panel.rokuyoSwitch()->isChecked());
    EXPECT_EQ(calendarOf(*window).cellMarks(QDate(2026, 12, 7)).second, QString::fromUtf8("友引"));
    EXPECT_EQ(messages_.size(), 1);
    EXPECT_EQ(test::readBytes(path_), kFile);
}

}  // namespace
}  // namespace dovi
