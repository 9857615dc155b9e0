// The main window offscreen: start-up outcomes, the date header, the ticker, clicks, and one page build.
#include <QAccessible>
#include <QLabel>
#include <QPalette>
#include <QPointer>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>

#include "gui/form1.h"
#include "texts/texts.h"
#include "gui/form3.h"
#include "page/pageday.h"
#include "settings/filelock.h"
#include "tests/testutil.h"

namespace dovi {
namespace {

using namespace std::chrono;

class Form1Test : public ::testing::Test {
protected:
    Form1Test() : clock_(LocalDateTime{year{2000} / January / 20, 8, 0, 20}), random_(7)
    {
        services_.clock = &clock_;
        services_.random = &random_;
        services_.currentDirectory = [this] { return dir_.path(); };
        services_.endProgram = [this](int status) {
            ++ended_;
            statuses_.push_back(status);
        };
        services_.printError = [this](const std::string& text) { errors_ += text; };
        services_.showMessage = [this](const QString& title, const QString& text) { messages_.push_back({title, text}); };
        services_.confirm = [](const QString&, const QString&) { return false; };
    }

    void writeIni(const std::string& utf8Body)
    {
        SettingsFile file(dir_ / "dovi.ini");
        // Written through the settings module so the file has the program's own encoding.
        std::string section;
        std::size_t start = 0;
        while (start < utf8Body.size()) {
            std::size_t end = utf8Body.find('\n', start);
            if (end == std::string::npos)
                end = utf8Body.size();
            const std::string line = utf8Body.substr(start, end - start);
            start = end + 1;
            if (line.empty())
                continue;
            if (line.front() == '[') {
                section = line.substr(1, line.size() - 2);
                continue;
            }
            const auto eq = line.find('=');
            ASSERT_TRUE(file.write(section, line.substr(0, eq), line.substr(eq + 1)).ok);
        }
    }

    std::unique_ptr<Form1> loadedForm()
    {
        auto form = std::make_unique<Form1>(services_);
        loaded_ = form->Form_Load();
        return form;
    }

    test::TempDir dir_;
    FixedClock clock_;
    StandardRandom random_;
    Services services_;
    int ended_ = 0;
    std::vector<int> statuses_;
    std::string errors_;
    bool loaded_ = false;
    std::vector<std::pair<QString, QString>> messages_;
};

TEST_F(Form1Test, MissingFileShowsTheErrorAndEndsWithoutShowingTheWindow)
{
    auto form = loadedForm();
    EXPECT_FALSE(loaded_);
    EXPECT_EQ(ended_, 1);
    // A failure: status 1, and standard error names the folder searched and the launcher.
    EXPECT_EQ(statuses_, std::vector<int>{1});
    EXPECT_NE(errors_.find(dir_.path().string()), std::string::npos) << errors_;
    EXPECT_NE(errors_.find("dovi-launch"), std::string::npos) << errors_;
    EXPECT_EQ(errors_.back(), '\n');
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_EQ(messages_[0].first, "Error!");
    EXPECT_EQ(messages_[0].second,
              QString::fromUtf8("dovi.iniが存在しないか，壊れています．\r\nもう一度デイリオをインストールし直してください．"));
    EXPECT_FALSE(form->Timer1->isActive());
    EXPECT_FALSE(form->Timer2->isActive());
    EXPECT_FALSE(form->isVisible());
}

// A screen reader hears each line's text with what the line is for; the page itself has a name,
// and neither it nor its labels take the keyboard.
TEST_F(Form1Test, PageAndLabelsHaveAccessibleNamesAndRoles)
{
    writeIni("[init]\n使用者=太郎さん\n");
    auto form = loadedForm();
    const auto text = [](QObject* o, QAccessible::Text t) { return QAccessible::queryAccessibleInterface(o)->text(t); };
    EXPECT_EQ(text(form.get(), QAccessible::Name), QString::fromUtf8("デイリオ 今日のページ"));
    EXPECT_EQ(text(form->Label3, QAccessible::Name), form->Label3->text());
    EXPECT_EQ(text(form->Label2, QAccessible::Description), QString::fromUtf8("日付"));
    EXPECT_EQ(text(form->Label8, QAccessible::Description), QString::fromUtf8("祝日"));
    for (QLabel* label : {form->Label1, form->Label2, form->Label3, form->Label4, form->Label5, form->Label6,
                          form->Label7, form->Label8}) {
        EXPECT_FALSE(text(label, QAccessible::Description).isEmpty()) << label->text().toStdString();
        EXPECT_EQ(label->focusPolicy(), Qt::NoFocus);
    }
    EXPECT_EQ(form->focusPolicy(), Qt::NoFocus);
    EXPECT_TRUE(form->testAttribute(Qt::WA_ShowWithoutActivating));
}

TEST_F(Form1Test, UserStoredAsZeroCannotBeToldFromAMissingOne)
{
    writeIni("[init]\n使用者=0\n");
    auto form = loadedForm();
    EXPECT_FALSE(loaded_);
    EXPECT_EQ(ended_, 1);
}

TEST_F(Form1Test, EmptyUserOpensTheDialogAndLeavesThePageBuildWaiting)
{
    writeIni("[init]\n使用者=\n");
    auto form = loadedForm();
    EXPECT_TRUE(loaded_);
    EXPECT_EQ(ended_, 0);
    EXPECT_FALSE(form->Timer2->isActive());
    ASSERT_NE(form->registrationDialog(), nullptr);
    EXPECT_TRUE(form->registrationDialog()->isVisible());
    // The header is drawn all the same, and the greeting line keeps its design text.
    EXPECT_EQ(form->windowTitle(), QString::fromUtf8("1月20日: デイリオ 2000"));
    EXPECT_EQ(form->Label5->text(), "Now Loading...");
}

// The registration dialog has one owner, the window: it is deleted once when the window goes,
// open, hidden or closed, and a dialog that Qt deletes first leaves no pointer behind that the
// window would delete again.
TEST_F(Form1Test, TheRegistrationDialogIsDeletedOnceWhateverDeletesIt)
{
    writeIni("[init]\n使用者=\n");
    for (int way = 0; way < 4; ++way) {
        SCOPED_TRACE(way);
        auto form = loadedForm();
        form->show();
        QPointer<Form3> dialog = form->registrationDialog();
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->parent(), form.get());
        int deleted = 0;
        QObject::connect(dialog, &QObject::destroyed, [&deleted] { ++deleted; });
        if (way == 1)
            dialog->hide();
        if (way == 2)
            dialog->close();  // ends the program in earnest; here only counted
        if (way == 3) {
            dialog->deleteLater();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            EXPECT_EQ(form->registrationDialog(), nullptr);
        }
        form.reset();
        EXPECT_EQ(deleted, 1);
        EXPECT_TRUE(dialog.isNull());
    }
}

TEST_F(Form1Test, RegisteredUserGetsTheHeaderAndTheBuildTimer)
{
    writeIni("[init]\n使用者=太郎さん\n");
    auto form = loadedForm();
    EXPECT_TRUE(loaded_);
    EXPECT_TRUE(form->Timer2->isActive());
    EXPECT_FALSE(form->Timer1->isActive());
    EXPECT_EQ(form->registrationDialog(), nullptr);
    EXPECT_EQ(form->Label1->text(), QString::fromUtf8("平成 12年1月  January 2000"));
    EXPECT_EQ(form->Label2->text(), "20");
    EXPECT_EQ(form->Label3->text(), QString::fromUtf8("木曜日  Thursday"));
    EXPECT_EQ(form->windowTitle(), QString::fromUtf8("1月20日: デイリオ 2000"));
    EXPECT_EQ(form->Label2->palette().color(QPalette::WindowText), QColor(Qt::black));
    EXPECT_EQ(form->msgCount, 0);
    EXPECT_EQ(form->msgIndex, 0);
}

TEST_F(Form1Test, WeekendDaysTakeTheirColours)
{
    writeIni("[init]\n使用者=太郎さん\n");
    clock_.set({year{2000} / January / 23, 12, 0, 0});  // a Sunday
    auto sunday = loadedForm();
    EXPECT_EQ(sunday->Label2->palette().color(QPalette::WindowText), QColor(0xC0, 0, 0));
    clock_.set({year{2000} / January / 22, 12, 0, 0});  // a Saturday
    auto saturday = loadedForm();
    EXPECT_EQ(saturday->Label2->palette().color(QPalette::WindowText), QColor(0, 0, 0xC0));
}

TEST_F(Form1Test, WindowIsCentredWithItsDesignSize)
{
    writeIni("[init]\n使用者=太郎さん\n");
    auto form = loadedForm();
    EXPECT_EQ(form->size(), QSize(267, 354));
    form->show();
    QCoreApplication::processEvents();
    // The whole window, its frame included, within a pixel of the screen's centre.
    const QPoint centre = QGuiApplication::primaryScreen()->geometry().center();
    const QPoint windowCentre = form->frameGeometry().center();
    EXPECT_LE(std::abs(windowCentre.x() - centre.x()), 1);
    EXPECT_LE(std::abs(windowCentre.y() - centre.y()), 1);
}

class TickerTest : public Form1Test {
protected:
    void SetUp() override
    {
        writeIni("[init]\n使用者=太郎さん\n");
        form = loadedForm();
        form->Timer2->stop();
        form->show();
        ASSERT_TRUE(form->Timer1->isActive());  // the first showing counts as a resize
    }

    QStringList tick(int times)
    {
        QStringList shown;
        for (int i = 0; i < times; ++i) {
            form->Timer1_Timer();
            shown << form->Label4->text();
        }
        return shown;
    }

    std::unique_ptr<Form1> form;
};

TEST_F(TickerTest, ThirteenTicksFromZeroThenMinimised)
{
    form->msgList[0] = "a";
    form->msgList[1] = "b";
    form->msgList[2] = "c";
    form->msgCount = 3;
    const QStringList first = tick(12);
    EXPECT_EQ(first, QStringList({"a", "b", "c", "a", "b", "c", "a", "b", "c", "a", "b", "c"}));
    EXPECT_FALSE(form->isMinimized());
    tick(1);
    EXPECT_EQ(form->Label4->text(), "a");
    EXPECT_TRUE(form->isMinimized());
    EXPECT_FALSE(form->Timer1->isActive());
    EXPECT_EQ(form->msgIndex, 1);

    // Restoring starts the ticker again at entry 1, for twelve ticks.
    form->showNormal();
    EXPECT_TRUE(form->Timer1->isActive());
    const QStringList second = tick(11);
    EXPECT_EQ(second, QStringList({"b", "c", "a", "b", "c", "a", "b", "c", "a", "b", "c"}));
    EXPECT_FALSE(form->isMinimized());
    tick(1);
    EXPECT_TRUE(form->isMinimized());
    EXPECT_EQ(form->msgCount, 3);
}

TEST_F(TickerTest, OneEntryShowsAtEveryTickAndStillMinimises)
{
    form->msgList[0] = "only";
    form->msgCount = 1;
    EXPECT_EQ(tick(13), QStringList(13, "only"));
    EXPECT_TRUE(form->isMinimized());
}

TEST_F(TickerTest, BeforeThePageIsBuiltTheTickerWaits)
{
    form->msgCount = 0;
    tick(20);
    EXPECT_EQ(form->Label4->text(), QString::fromUtf8("デイリオ for Windows 95/98/2000"));
    EXPECT_FALSE(form->isMinimized());
    EXPECT_EQ(form->msgIndex, 0);
}

TEST_F(TickerTest, ClicksAnywhereMinimiseAtOnceAndStopTheTicker)
{
    for (Qt::MouseButton button : {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton}) {
        for (QWidget* target : std::initializer_list<QWidget*>{form->Label6, form->Label1, form->Label8, form.get()}) {
            form->showNormal();
            form->msgIndex = 5;
            ASSERT_TRUE(form->Timer1->isActive());
            QTest::mouseClick(target, button);
            EXPECT_TRUE(form->isMinimized()) << button << " on " << target->metaObject()->className();
            EXPECT_FALSE(form->Timer1->isActive());
            EXPECT_EQ(form->msgIndex, 0);
        }
    }
    // The holiday mark takes no clicks: they reach the window beneath.
    form->showNormal();
    form->Shape1->show();
    QTest::mouseClick(form.get(), Qt::LeftButton, {}, form->Shape1->geometry().center());
    EXPECT_TRUE(form->isMinimized());
}

TEST_F(TickerTest, AfterAClickTheNextShowingLastsThirteenTicks)
{
    form->msgList[0] = "x";
    form->msgCount = 1;
    form->Form_Click();
    form->showNormal();
    tick(12);
    EXPECT_FALSE(form->isMinimized());
    tick(1);
    EXPECT_TRUE(form->isMinimized());
}

TEST_F(TickerTest, StoredTextIsNeverMarkup)
{
    form->msgList[0] = "<b>x</b><img src=/etc/passwd>";
    form->msgCount = 1;
    tick(1);
    EXPECT_EQ(form->Label4->text(), "<b>x</b><img src=/etc/passwd>");
    for (QLabel* label : {form->Label1, form->Label2, form->Label3, form->Label4, form->Label5, form->Label6,
                          form->Label7, form->Label8})
        EXPECT_EQ(label->textFormat(), Qt::PlainText);
}

TEST_F(TickerTest, ClosingThePageEndsTheProgram)
{
    form->close();
    EXPECT_EQ(ended_, 1);
    EXPECT_EQ(statuses_, std::vector<int>{0});
}

TEST_F(Form1Test, PageBuildOnTheRoadOfOneStart)
{
    writeIni("[init]\n使用者=太郎さん\n誕生日= 1973/ 7/ 5\n性別=男性\n登録日=2000/1/1\n言霊総数=2\n"
             "[言霊]\n1=急がば回れ,ことわざ\n");
    clock_.set({year{2000} / January / 10, 8, 0, 20});
    auto form = loadedForm();
    form->show();
    const QRect before = form->geometry();
    form->Timer2_Timer();
    EXPECT_EQ(form->Label5->text(), QString::fromUtf8("おはよう，今日も素敵な太郎さん"));
    EXPECT_EQ(form->Label8->text(), QString::fromUtf8("成人の日"));
    EXPECT_TRUE(form->Shape1->isVisible());
    EXPECT_EQ(form->msgCount, 1);
    EXPECT_EQ(form->Label4->text(), form->msgList[0]);
    EXPECT_EQ(form->Label4->text(), QString::fromUtf8("あなたが生まれてから9685日目"));
    EXPECT_EQ(form->Label6->text(), QString::fromUtf8("急がば回れ"));
    EXPECT_EQ(form->Label7->text(), QString::fromUtf8("ことわざ"));
    EXPECT_TRUE(form->Timer1->isActive());
    EXPECT_FALSE(form->Timer2->isActive());
    EXPECT_TRUE(form->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(form->geometry(), before);
}

// Another program holds the settings file's update lock: the page is built all the same, without
// moving the bare-key entry (the build ignores the results of its moves), and nothing hangs.
TEST_F(Form1Test, PageIsBuiltWhileAnotherProgramHoldsTheLock)
{
    writeIni("[init]\n使用者=太郎さん\n誕生日= 1973/ 7/ 5\n性別=男性\n登録日=2000/1/1\n"
             "[誕生日]\n01/10=古株\n");
    const std::string before = test::readBytes(dir_ / "dovi.ini");
    test::LockHolder holder(dir_ / "dovi.ini");
    ASSERT_TRUE(holder.ok());
    setLockWaitLimit(milliseconds(200));
    clock_.set({year{2000} / January / 10, 8, 0, 20});
    auto form = loadedForm();
    ::alarm(30);  // a build that waits for the lock for good ends the test program
    form->Timer2_Timer();
    ::alarm(0);
    holder.release();
    setLockWaitLimit(milliseconds(3000));

    EXPECT_EQ(form->Label5->text(), QString::fromUtf8("おはよう，今日も素敵な太郎さん"));
    ASSERT_GE(form->msgCount, 1);
    EXPECT_EQ(form->msgList[0], QString::fromUtf8("古株さん 誕生日"));
    EXPECT_EQ(test::readBytes(dir_ / "dovi.ini"), before);
}

// The window and dovi-cli build the same page for the same moment and seed.
TEST_F(Form1Test, ShowsTheSamePageAsTheCommandLine)
{
    writeIni("[init]\n使用者=花子さん\n誕生日= 1980/ 3/ 3\n性別=女性\n登録日=2024/1/1\n言霊総数=4\n"
             "[言霊]\n1=急がば回れ,ことわざ\n2=石の上にも三年,ことわざ\n3=学びて時に之を習う,論語\n"
             "[誕生日]\na11/03=手塚治虫:1928\n[特別日]\na11/03=文化の日の特別日\n");
    const std::string at = "2026-11-03 09:00:20";
    const std::string command = std::string(DOVI_CLI) + " --ini '" + (dir_ / "dovi.ini").string() +
                                "' page --json --seed 7 --at '" + at + "'";
    std::string output;
    FILE* pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    char buffer[4096];
    for (std::size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        output.append(buffer, n);
    ASSERT_EQ(pclose(pipe), 0);
    const auto cli = nlohmann::json::parse(output);

    clock_.set({year{2026} / November / 3, 9, 0, 20});
    auto form = loadedForm();
    form->show();
    form->Timer2_Timer();
    const auto text = [](const QLabel* label) { return label->text().toStdString(); };
    EXPECT_EQ(form->windowTitle().toStdString(), cli["caption"]);
    EXPECT_EQ(text(form->Label1), cli["Label1"]);
    EXPECT_EQ(text(form->Label2), cli["Label2"]);
    EXPECT_EQ(text(form->Label3), cli["Label3"]);
    EXPECT_EQ(text(form->Label4), cli["Label4"]);
    EXPECT_EQ(text(form->Label5), cli["Label5"]);
    EXPECT_EQ(text(form->Label6), cli["Label6"]);
    EXPECT_EQ(text(form->Label7), cli["Label7"]);
    EXPECT_EQ(text(form->Label8), cli["Label8"]);
    EXPECT_EQ(form->Shape1->isVisible(), cli["Shape1"]);
    ASSERT_EQ(form->msgCount, cli["msgCount"]);
    for (int i = 0; i < form->msgCount; ++i)
        EXPECT_EQ(form->msgList[std::size_t(i)].toStdString(), cli["msgList"][std::size_t(i)]);
    // The day's entries rotate on the message line; the holiday is on the mark.
    EXPECT_EQ(cli["msgList"], nlohmann::json::array({"手塚治虫さん98才の誕生日", "文化の日の特別日"}));
    EXPECT_EQ(cli["Label8"], "文化の日");
}

TEST(PageDay, APageIsTurnedOnAnyOtherDay)
{
    constexpr Date jan10 = year{2000} / January / 10;
    static_assert(!pageIsStale(jan10, year{2000} / January / 10));
    static_assert(pageIsStale(jan10, year{2000} / January / 11));
    static_assert(pageIsStale(jan10, year{2000} / January / 17));  // a week asleep
    static_assert(pageIsStale(jan10, year{2001} / January / 10));  // the same day a year on
    static_assert(pageIsStale(jan10, year{2000} / January / 9));   // the clock set back
    static_assert(!pageIsStale(Date{}, jan10));                    // no page drawn yet
    static_assert(pageIsStale(year{1999} / December / 31, year{2000} / January / 1));
}

// A registered user's page that stays open across midnight, or is restored days later: the page
// turns to the new day as a start on that day would draw it.
class NewDayTest : public Form1Test {
protected:
    void SetUp() override
    {
        writeIni("[init]\n使用者=太郎さん\n誕生日= 1973/ 7/ 5\n性別=男性\n登録日=2000/1/1\n言霊総数=2\n"
                 "[言霊]\n1=急がば回れ,ことわざ\n[特別日]\na01/11=鏡開き\n");
        clock_.set({year{2000} / January / 9, 23, 59, 50});  // a Sunday evening
        form = loadedForm();
        form->show();
        form->Timer2_Timer();
        ASSERT_EQ(form->Label2->text(), "9");
        ASSERT_EQ(form->Label5->text(), QString::fromUtf8("こんばんわ，今日も元気な太郎さん"));
    }

    void tick(int times)
    {
        for (int i = 0; i < times; ++i)
            form->Timer1_Timer();
    }

    std::unique_ptr<Form1> form;
};

TEST_F(NewDayTest, MidnightWhileShowingTurnsThePageAtTheNextTick)
{
    tick(3);
    clock_.set({year{2000} / January / 10, 0, 0, 5});
    tick(1);
    EXPECT_EQ(form->windowTitle(), QString::fromUtf8("1月10日: デイリオ 2000"));
    EXPECT_EQ(form->Label1->text(), QString::fromUtf8("平成 12年1月  January 2000"));
    EXPECT_EQ(form->Label2->text(), "10");
    EXPECT_EQ(form->Label2->palette().color(QPalette::WindowText), QColor(Qt::black));  // no longer Sunday red
    EXPECT_EQ(form->Label3->text(), QString::fromUtf8("月曜日  Monday"));
    EXPECT_EQ(form->Label8->text(), QString::fromUtf8("成人の日"));
    EXPECT_TRUE(form->Shape1->isVisible());
    EXPECT_EQ(form->Label5->text(), QString::fromUtf8("こんばんわ，太郎さん"));
    EXPECT_EQ(form->Label4->text(), QString::fromUtf8("あなたが生まれてから9685日目"));
    EXPECT_FALSE(form->Timer2->isActive());
    // The new page shows for thirteen ticks, as after a start.
    tick(12);
    EXPECT_FALSE(form->isMinimized());
    tick(1);
    EXPECT_TRUE(form->isMinimized());
}

TEST_F(NewDayTest, MidnightWhileMinimisedTurnsThePageWhenRestored)
{
    form->Form_Click();
    clock_.set({year{2000} / January / 11, 7, 30, 20});
    // Nothing runs while the window is minimised.
    EXPECT_FALSE(form->Timer1->isActive());
    EXPECT_FALSE(form->Timer2->isActive());
    EXPECT_EQ(form->Label2->text(), "9");

    form->showNormal();
    EXPECT_EQ(form->windowTitle(), QString::fromUtf8("1月11日: デイリオ 2000"));
    EXPECT_EQ(form->Label2->text(), "11");
    EXPECT_EQ(form->Label3->text(), QString::fromUtf8("火曜日  Tuesday"));
    EXPECT_EQ(form->Label8->text(), "");
    EXPECT_FALSE(form->Shape1->isVisible());
    EXPECT_EQ(form->Label5->text(), QString::fromUtf8("おはよう，今日も素敵な太郎さん"));
    EXPECT_EQ(form->msgCount, 1);
    EXPECT_EQ(form->msgIndex, 0);
    EXPECT_TRUE(form->Timer1->isActive());
    // The day's special day comes up at the first tick, as after a start.
    tick(1);
    EXPECT_EQ(form->Label4->text(), QString::fromUtf8("鏡開き"));
}

TEST_F(NewDayTest, DaysAsleepEachRestoreShowsThatDay)
{
    struct Day {
        LocalDateTime at;
        const char* caption;
        const char* weekday;
        QColor dayColor;
        const char* holiday;
    } days[] = {
        {{year{2000} / January / 15, 9, 0, 20}, "1月15日: デイリオ 2000", "土曜日  Saturday", QColor(0, 0, 0xC0), ""},
        {{year{2000} / January / 16, 9, 0, 20}, "1月16日: デイリオ 2000", "日曜日  Sunday", QColor(0xC0, 0, 0), ""},
        {{year{2000} / March / 20, 9, 0, 20}, "3月20日: デイリオ 2000", "月曜日  Monday", QColor(Qt::black), "春分の日"},
        {{year{2001} / January / 8, 9, 0, 20}, "1月8日: デイリオ 2000", "月曜日  Monday", QColor(Qt::black), "成人の日"},
    };
    for (const Day& day : days) {
        SCOPED_TRACE(day.caption);
        form->Form_Click();
        clock_.set(day.at);
        form->showNormal();
        EXPECT_EQ(form->windowTitle().toStdString(), day.caption);
        EXPECT_EQ(form->Label3->text().toStdString(), day.weekday);
        EXPECT_EQ(form->Label2->palette().color(QPalette::WindowText), day.dayColor);
        EXPECT_EQ(form->Label8->text().toStdString(), day.holiday);
        EXPECT_EQ(form->Shape1->isVisible(), *day.holiday != '\0');
    }
}

TEST_F(NewDayTest, WithinTheDayNothingIsRebuilt)
{
    clock_.set({year{2000} / January / 9, 23, 59, 59});
    tick(5);
    form->Form_Click();
    form->showNormal();
    EXPECT_EQ(form->Label5->text(), QString::fromUtf8("こんばんわ，今日も元気な太郎さん"));
    EXPECT_EQ(form->Label2->text(), "9");
    EXPECT_EQ(form->msgIndex, 0);
}

TEST_F(Form1Test, BeforeRegistrationANewDayRedrawsOnlyTheHeader)
{
    writeIni("[init]\n使用者=\n");
    auto form = loadedForm();
    form->show();
    clock_.set({year{2000} / January / 21, 8, 0, 0});
    form->Timer1_Timer();
    EXPECT_EQ(form->windowTitle(), QString::fromUtf8("1月21日: デイリオ 2000"));
    EXPECT_EQ(form->Label2->text(), "21");
    EXPECT_EQ(form->Label5->text(), "Now Loading...");
    EXPECT_FALSE(form->Timer2->isActive());
    EXPECT_TRUE(form->registrationDialog()->isVisible());
}

}  // namespace
}  // namespace dovi
