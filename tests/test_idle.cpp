// The main window at rest: once it is minimised, by its own ticker or by a click, none of its timers
// runs, so the program takes no processor time until the user restores it.
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include "gui/form1.h"
#include "settings/settingsfile.h"
#include "tests/testutil.h"

namespace dovi {
namespace {

using namespace std::chrono;

// The names of the window's timers that are running (every timer the window owns, not only the
// two it names, so that a timer added later is held to the same rule).
QStringList runningTimers(const Form1& form)
{
    QStringList running;
    for (const QTimer* timer : form.findChildren<QTimer*>())
        if (timer->isActive())
            running << (timer == form.Timer1 ? "Timer1" : timer == form.Timer2 ? "Timer2" : "another timer");
    return running;
}

class IdleTest : public ::testing::Test {
protected:
    IdleTest() : clock_(LocalDateTime{year{2000} / January / 10, 8, 0, 20}), random_(7)
    {
        SettingsFile(dir_ / "dovi.ini").write("init", "使用者", "太郎さん");
        services_.clock = &clock_;
        services_.random = &random_;
        services_.currentDirectory = [this] { return dir_.path(); };
        services_.endProgram = [](int) {};
        services_.showMessage = [](const QString&, const QString&) {};
        services_.confirm = [](const QString&, const QString&) { return false; };
    }

    // A registered user's start: load, first showing, and the page build that Timer2 runs.
    std::unique_ptr<Form1> builtForm()
    {
        auto form = std::make_unique<Form1>(services_);
        EXPECT_TRUE(form->Form_Load());
        form->show();
        EXPECT_TRUE(form->Timer2->isActive());
        form->Timer2_Timer();
        EXPECT_EQ(runningTimers(*form), QStringList{"Timer1"});
        return form;
    }

    static void tick(Form1& form, int times)
    {
        for (int i = 0; i < times; ++i)
            form.Timer1_Timer();
    }

    test::TempDir dir_;
    FixedClock clock_;
    StandardRandom random_;
    Services services_;
};

TEST_F(IdleTest, NoTimerRunsOnceTheWindowIsMinimised)
{
    struct Case {
        const char* name;
        void (*rest)(Form1&);  // brings the window from its first showing to rest
    };
    const Case cases[] = {
        {"thirteen ticks", [](Form1& form) { tick(form, 13); }},
        {"a click on the page", [](Form1& form) { QTest::mouseClick(form.Label4, Qt::LeftButton); }},
        {"a click after a few ticks", [](Form1& form) {
             tick(form, 5);
             QTest::mouseClick(&form, Qt::LeftButton);
         }},
        {"twelve ticks after restoring", [](Form1& form) {
             tick(form, 13);
             form.showNormal();
             tick(form, 12);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto form = builtForm();
        c.rest(*form);
        EXPECT_TRUE(form->isMinimized());
        EXPECT_EQ(runningTimers(*form), QStringList());
    }
}

TEST_F(IdleTest, RestoringStartsTheTickerAndAClickStopsItAgain)
{
    auto form = builtForm();
    tick(*form, 13);
    ASSERT_TRUE(form->isMinimized());
    form->showNormal();
    EXPECT_EQ(runningTimers(*form), QStringList{"Timer1"});
    QTest::mouseClick(form->Label6, Qt::LeftButton);
    EXPECT_EQ(runningTimers(*form), QStringList());
}

}  // namespace
}  // namespace dovi
