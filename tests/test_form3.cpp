// The registration dialog offscreen: its controls, the birthday bars, the sex options, confirming,
// storing the profile and quitting. The confirmation box is answered through the services.
#include <QAbstractItemView>
#include <QAccessible>
#include <QApplication>
#include <QTest>
#include <QWindow>

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include "gui/form1.h"
#include "gui/form3.h"
#include "settings/filelock.h"
#include "tests/testutil.h"

namespace dovi {
namespace {

using namespace std::chrono;

// The installed file before the first start: an empty user entry (Shift-JIS 使用者).
const std::string kInstalledIni = "[init]\r\n\x8e\x67\x97\x70\x8e\xd2=\r\n";

class Form3Test : public ::testing::Test {
protected:
    Form3Test() : clock_(LocalDateTime{year{2000} / January / 20, 9, 0, 0}), random_(7)
    {
        services_.clock = &clock_;
        services_.random = &random_;
        services_.currentDirectory = [this] { return dir_.path(); };
        services_.endProgram = [this](int) { ++ended_; };
        services_.showMessage = [this](const QString&, const QString& text) { messages_.push_back(text); };
        services_.confirm = [this](const QString& title, const QString& text) {
            EXPECT_EQ(title, QStringLiteral("登録事項の確認"));
            prompts_.push_back(text);
            return answer_;
        };
        form1_ = std::make_unique<Form1>(services_);
        dialog_ = std::make_unique<Form3>(*form1_, services_);
    }

    Form3& dialog() { return *dialog_; }

    void chooseDate(int yearValue, int monthValue, int dayValue)
    {
        dialog().HScroll1->setValue(yearValue);
        dialog().HScroll2->setValue(monthValue);
        dialog().HScroll3->setValue(dayValue);
    }

    test::TempDir dir_;
    FixedClock clock_;
    StandardRandom random_;
    Services services_;
    int ended_ = 0;
    bool answer_ = true;
    std::vector<QString> prompts_;
    std::vector<QString> messages_;
    std::unique_ptr<Form1> form1_;
    std::unique_ptr<Form3> dialog_;
};

TEST_F(Form3Test, OpensWithTheDesignValues)
{
    Form3& d = dialog();
    EXPECT_EQ(d.parentWidget(), form1_.get());
    EXPECT_EQ(d.size(), QSize(225, 268));
    EXPECT_EQ(d.minimumSize(), d.maximumSize());
    EXPECT_FALSE(d.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
    // the value labels show the bars' values after a blank, not their design texts
    EXPECT_EQ(d.Label10->text(), QStringLiteral(" 1973"));
    EXPECT_EQ(d.Label11->text(), QStringLiteral(" 7"));
    EXPECT_EQ(d.Label12->text(), QStringLiteral(" 5"));
    for (QLabel* label : d.findChildren<QLabel*>())
        EXPECT_EQ(label->textFormat(), Qt::PlainText) << label->text().toStdString();
    // the form of address is typed text, not a list item, and Enter adds nothing to the list
    EXPECT_EQ(d.Combo1->currentIndex(), -1);
    EXPECT_EQ(d.Combo1->currentText(), QStringLiteral("さん"));
    QTest::keyClicks(d.Combo1, QStringLiteral("dono"));
    QTest::keyClick(d.Combo1, Qt::Key_Return);
    EXPECT_EQ(d.Combo1->count(), 7);
    EXPECT_FALSE(d.Command1->isEnabled());
    EXPECT_TRUE(d.Command1->isDefault());
}

// A birth year after this year (the clock says 2000) is refused with a sentence, before the
// confirmation, and nothing is written; this year itself is a possible year.
TEST_F(Form3Test, BirthYearAfterThisYearIsRefused)
{
    Form3& d = dialog();
    test::writeBytes(dir_ / "dovi.ini", kInstalledIni);
    chooseDate(2050, 1, 1);
    d.Option1->click();
    d.Command1_Click();
    EXPECT_TRUE(prompts_.empty());
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_EQ(messages_[0], QString::fromUtf8("生まれた年（2050年）は、1年から今年（2000年）までの年にしてください。"));
    EXPECT_EQ(test::readBytes(dir_ / "dovi.ini"), kInstalledIni);
    EXPECT_FALSE(form1_->Timer2->isActive());

    chooseDate(2000, 1, 1);
    answer_ = false;
    d.Command1_Click();
    EXPECT_EQ(prompts_.size(), 1u);
    EXPECT_EQ(messages_.size(), 1u);
}

// Every control a screen reader reaches has a name that says what it is: the sex buttons are
// named by the words beside them (not "Option1"), the bars by their fields, and the labels in
// front of the controls are their buddies.
TEST_F(Form3Test, EveryControlHasAnAccessibleName)
{
    Form3& d = dialog();
    const auto name = [](QWidget* w) { return QAccessible::queryAccessibleInterface(w)->text(QAccessible::Name); };
    EXPECT_EQ(name(d.Text1), QStringLiteral("お名前"));
    // An editable combo box is read by its text on Linux (its label through a relation); its
    // field carries the name.
    EXPECT_EQ(d.Combo1->accessibleName(), QStringLiteral("敬称"));
    EXPECT_EQ(name(d.Combo1->lineEdit()), QStringLiteral("敬称"));
    EXPECT_EQ(name(d.Combo1->view()), QStringLiteral("敬称の一覧"));
    EXPECT_EQ(name(d.HScroll1), QStringLiteral("生まれた年"));
    EXPECT_EQ(name(d.HScroll2), QStringLiteral("生まれた月"));
    EXPECT_EQ(name(d.HScroll3), QStringLiteral("生まれた日"));
    EXPECT_EQ(name(d.Option1), QStringLiteral("男性"));
    EXPECT_EQ(name(d.Option2), QStringLiteral("女性"));
    EXPECT_EQ(name(d.Option3), QStringLiteral("その他"));
    EXPECT_EQ(name(d.Command1), QStringLiteral("登録"));
    EXPECT_EQ(name(d.Command2), QStringLiteral("やめる"));
    for (QWidget* w : d.findChildren<QWidget*>()) {
        if (w->focusPolicy() == Qt::NoFocus || !w->isVisibleTo(&d))
            continue;
        const QString n = name(w);
        EXPECT_FALSE(n.isEmpty()) << w->metaObject()->className();
        EXPECT_FALSE(n.startsWith(QStringLiteral("Option"))) << n.toStdString();
    }
    const auto description = [](QWidget* w) {
        return QAccessible::queryAccessibleInterface(w)->text(QAccessible::Description);
    };
    for (QWidget* w : std::initializer_list<QWidget*>{d.Text1, d.Combo1, d.HScroll1, d.HScroll2, d.HScroll3, d.Option1,
                                                      d.Option2, d.Option3, d.Command1, d.Command2})
        EXPECT_FALSE(description(w).isEmpty()) << name(w).toStdString();
    EXPECT_EQ(d.Label6->buddy(), d.Text1);
    EXPECT_EQ(d.Label10->buddy(), d.HScroll1);
    EXPECT_EQ(d.Label11->buddy(), d.HScroll2);
    EXPECT_EQ(d.Label12->buddy(), d.HScroll3);
    EXPECT_EQ(d.Label1->buddy(), d.Option1);
    EXPECT_EQ(d.Label2->buddy(), d.Option2);
    EXPECT_EQ(d.Label13->buddy(), d.Option3);
}

// The option buttons form one group and so one tab stop; the arrow keys move within the group.
TEST_F(Form3Test, FocusStartsInTheNameBoxAndFollowsTheTabOrder)
{
    Form3& d = dialog();
    d.show();
    QApplication::setActiveWindow(&d);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&d));
    EXPECT_EQ(QApplication::focusWidget(), d.Text1);

    auto tabThrough = [](const std::vector<const QWidget*>& expected) {
        for (const QWidget* next : expected) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            EXPECT_EQ(QApplication::focusWidget(), next)
                << QApplication::focusWidget()->metaObject()->className() << " instead of "
                << next->metaObject()->className();
        }
    };
    // Command1 is skipped while disabled
    tabThrough({d.Combo1, d.HScroll1, d.HScroll2, d.HScroll3, d.Command2, d.Option2, d.Text1});
    d.Option1->click();
    d.Text1->setFocus();
    tabThrough({d.Combo1, d.HScroll1, d.HScroll2, d.HScroll3, d.Command1, d.Command2});
}

struct StepCase {
    int bar;  // 1 year, 2 month, 3 day
    int month;
    int from;
    QAbstractSlider::SliderAction action;
    int expected;
};

TEST_F(Form3Test, BarsWrapAtBothEnds)
{
    using S = QAbstractSlider;
    const StepCase cases[] = {
        {1, 7, 2099, S::SliderSingleStepAdd, 1800}, {1, 7, 1800, S::SliderSingleStepSub, 2099},
        {1, 7, 2097, S::SliderPageStepAdd, 1800},   {1, 7, 1802, S::SliderPageStepSub, 2099},
        {1, 7, 2098, S::SliderSingleStepAdd, 2099}, {1, 7, 1973, S::SliderPageStepAdd, 1978},
        {2, 0, 12, S::SliderSingleStepAdd, 1},      {2, 0, 1, S::SliderSingleStepSub, 12},
        {2, 0, 12, S::SliderPageStepAdd, 1},        {2, 0, 1, S::SliderToMinimum, 12},
        {3, 2, 29, S::SliderSingleStepAdd, 1},      {3, 2, 1, S::SliderSingleStepSub, 29},
        {3, 4, 30, S::SliderSingleStepAdd, 1},      {3, 9, 1, S::SliderPageStepSub, 30},
        {3, 1, 31, S::SliderSingleStepAdd, 1},      {3, 12, 1, S::SliderSingleStepSub, 31},
    };
    for (const StepCase& c : cases) {
        Form3& d = dialog();
        QScrollBar* bars[] = {d.HScroll1, d.HScroll2, d.HScroll3};
        QLabel* mirrors[] = {d.Label10, d.Label11, d.Label12};
        if (c.bar == 3)
            d.HScroll1->setValue(2000);  // a leap year: February has 29 days
        if (c.month != 0)
            d.HScroll2->setValue(c.month);
        QScrollBar* bar = bars[c.bar - 1];
        bar->setValue(c.from);
        bar->triggerAction(c.action);
        EXPECT_EQ(bar->value(), c.expected) << "bar " << c.bar << " from " << c.from;
        EXPECT_EQ(mirrors[c.bar - 1]->text(), QString(" %1").arg(c.expected)) << "bar " << c.bar;
    }
}

// Right and Down add one small step, Left and Up subtract one; the wrap-around rules still apply.
TEST_F(Form3Test, ArrowKeysStepTheBars)
{
    struct KeyCase {
        int bar;  // 1 year, 2 month, 3 day
        int from;
        Qt::Key key;
        int expected;
    };
    const KeyCase cases[] = {
        {1, 1800, Qt::Key_Right, 1801}, {1, 1800, Qt::Key_Down, 1801}, {1, 1800, Qt::Key_Left, 2099},
        {1, 1800, Qt::Key_Up, 2099},    {1, 2099, Qt::Key_Right, 1800}, {1, 1973, Qt::Key_Left, 1972},
        {2, 7, Qt::Key_Right, 8},       {2, 7, Qt::Key_Left, 6},         {2, 7, Qt::Key_Down, 8},
        {2, 7, Qt::Key_Up, 6},          {2, 12, Qt::Key_Right, 1},       {2, 1, Qt::Key_Up, 12},
        {3, 5, Qt::Key_Right, 6},       {3, 5, Qt::Key_Left, 4},         {3, 31, Qt::Key_Down, 1},
        {3, 1, Qt::Key_Left, 31},       {3, 5, Qt::Key_PageDown, 6},     {3, 5, Qt::Key_PageUp, 4},
    };
    Form3& d = dialog();
    d.show();
    QApplication::setActiveWindow(&d);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&d));
    QScrollBar* bars[] = {d.HScroll1, d.HScroll2, d.HScroll3};
    for (const KeyCase& c : cases) {
        d.HScroll2->setValue(1);  // a month of 31 days
        QScrollBar* bar = bars[c.bar - 1];
        bar->setValue(c.from);
        bar->setFocus();
        QTest::keyClick(bar, c.key);
        EXPECT_EQ(bar->value(), c.expected) << "bar " << c.bar << " from " << c.from << " key " << c.key;
    }
}

TEST_F(Form3Test, MonthChangeCutsTheDay)
{
    struct Case { int day, month, expected; };
    for (const Case& c : {Case{31, 2, 29}, Case{31, 9, 30}, Case{31, 8, 31}, Case{30, 2, 29}}) {
        Form3& d = dialog();
        d.HScroll1->setValue(2000);
        d.HScroll2->setValue(7);
        d.HScroll3->setValue(c.day);
        d.HScroll2->setValue(c.month);
        EXPECT_EQ(d.HScroll3->value(), c.expected) << c.day << " -> month " << c.month;
        EXPECT_EQ(d.Label12->text(), QString(" %1").arg(c.expected));
    }
    // the month wraps first, then the day is cut for the month it wrapped to
    Form3& d = dialog();
    d.HScroll2->setValue(1);
    d.HScroll3->setValue(31);
    d.HScroll2->triggerAction(QAbstractSlider::SliderSingleStepSub);
    EXPECT_EQ(d.HScroll2->value(), 12);
    EXPECT_EQ(d.HScroll3->value(), 31);
}

TEST_F(Form3Test, EndKeyOnTheDayBarNeverKeepsAnImpossibleDay)
{
    Form3& d = dialog();
    d.show();
    QApplication::setActiveWindow(&d);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&d));
    for (int month : {2, 4, 7}) {
        d.HScroll2->setValue(month);
        d.HScroll3->setValue(5);
        d.HScroll3->setFocus();
        ASSERT_EQ(QApplication::focusWidget(), d.HScroll3);
        QTest::keyClick(d.HScroll3, Qt::Key_End);
        EXPECT_EQ(d.HScroll3->value(), 1) << "month " << month;
        EXPECT_EQ(d.Label12->text(), QStringLiteral(" 1"));
    }
    // 29 February is a day of leap years only
    chooseDate(2000, 2, 29);
    EXPECT_EQ(d.HScroll3->value(), 29);
    chooseDate(2001, 2, 29);
    EXPECT_EQ(d.HScroll3->value(), 1);  // past the 28th: wraps to the first
}

// The dialog offers only days that exist in the chosen month and year: from 29 February 2000 the
// next year is a common year, and the day becomes the 28th; the day bar ends at the 28th.
TEST_F(Form3Test, TwentyNinthOfFebruaryOnlyInLeapYears)
{
    Form3& d = dialog();
    chooseDate(2000, 2, 29);
    d.HScroll1->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(d.HScroll1->value(), 2001);
    EXPECT_EQ(d.HScroll3->value(), 28);
    EXPECT_EQ(d.Label12->text(), QStringLiteral(" 28"));
    d.HScroll3->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(d.HScroll3->value(), 1);
    d.HScroll3->triggerAction(QAbstractSlider::SliderSingleStepSub);
    EXPECT_EQ(d.HScroll3->value(), 28);
    // 1900 is no leap year, 2096 is
    chooseDate(1900, 2, 28);
    d.HScroll3->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(d.HScroll3->value(), 1);
    chooseDate(2096, 2, 28);
    d.HScroll3->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(d.HScroll3->value(), 29);
}

TEST_F(Form3Test, OptionsChooseTheSexAndEnableRegistering)
{
    Form3& d = dialog();
    d.show();
    QTest::keyClick(&d, Qt::Key_Return);
    EXPECT_TRUE(prompts_.empty()) << "Enter does nothing before a sex is chosen";

    // the words beside the circles are plain labels
    QTest::mouseClick(d.Label1, Qt::LeftButton);
    EXPECT_FALSE(d.Option1->isChecked());
    EXPECT_FALSE(d.Command1->isEnabled());

    d.Option2->click();
    EXPECT_EQ(d.chosenSex, QStringLiteral("女性"));
    EXPECT_TRUE(d.Command1->isEnabled());
    d.Option3->click();
    EXPECT_EQ(d.chosenSex, QStringLiteral("その他"));
    d.Option1->click();
    EXPECT_EQ(d.chosenSex, QStringLiteral("男性"));
    EXPECT_FALSE(d.Option2->isChecked());
    EXPECT_TRUE(d.Command1->isEnabled());

    answer_ = false;
    QTest::keyClick(&d, Qt::Key_Return);
    EXPECT_EQ(prompts_.size(), 1u);
}

TEST_F(Form3Test, CancelKeepsEverythingAndWritesNothing)
{
    Form3& d = dialog();
    d.show();
    d.Text1->setText(QStringLiteral("<b>x</b>"));
    d.Combo1->setEditText(QStringLiteral("部長"));
    chooseDate(1980, 11, 30);
    d.Option3->click();
    answer_ = false;
    d.Command1->click();

    ASSERT_EQ(prompts_.size(), 1u);
    // the name goes into the prompt as it is typed, markup included
    EXPECT_EQ(prompts_[0], QStringLiteral("お名前: <b>x</b>部長\r誕生日: 1980年 11月 30日\r性別  :その他\r"
                                          "以上で登録してよろしいですか？"));
    EXPECT_FALSE(std::filesystem::exists(dir_ / "dovi.ini"));
    EXPECT_TRUE(d.isVisible());
    EXPECT_EQ(d.Text1->text(), QStringLiteral("<b>x</b>"));
    EXPECT_EQ(d.Combo1->currentText(), QStringLiteral("部長"));
    EXPECT_EQ(d.HScroll1->value(), 1980);
    EXPECT_EQ(d.HScroll2->value(), 11);
    EXPECT_EQ(d.HScroll3->value(), 30);
    EXPECT_EQ(d.chosenSex, QStringLiteral("その他"));
    EXPECT_TRUE(d.Command1->isEnabled());
    EXPECT_FALSE(form1_->isVisible());
    EXPECT_FALSE(form1_->Timer2->isActive());
    EXPECT_EQ(ended_, 0);
}

// The first start: the main window opens the dialog for the empty user entry; registering
// stores the profile, shows the main window and starts its page build.
class FirstStartTest : public Form3Test {
protected:
    FirstStartTest()
    {
        dialog_.reset();
        test::writeBytes(dir_ / "dovi.ini", kInstalledIni);
        loaded_ = form1_->Form_Load();
    }
    Form3& registration() { return *form1_->registrationDialog(); }
    bool loaded_ = false;
};

TEST_F(FirstStartTest, OkStoresTheProfileAndStartsThePage)
{
    ASSERT_TRUE(loaded_);
    ASSERT_NE(form1_->registrationDialog(), nullptr);
    Form3& d = registration();
    EXPECT_TRUE(d.isVisible());
    EXPECT_FALSE(form1_->Timer2->isActive());

    d.Text1->setText(QStringLiteral("あ"));
    d.Option2->click();
    d.Option1->click();
    d.Command1->click();

    ASSERT_EQ(prompts_.size(), 1u);
    EXPECT_EQ(prompts_[0], QStringLiteral("お名前: あさん\r誕生日: 1973年 7月 5日\r性別  :男性\r"
                                          "以上で登録してよろしいですか？"));
    EXPECT_EQ(test::readBytes(dir_ / "dovi.ini"),
              "[init]\r\n"
              "\x8e\x67\x97\x70\x8e\xd2=\x82\xa0\x82\xb3\x82\xf1\r\n"  // 使用者=あさん
              "\x92\x61\x90\xb6\x93\xfa= 1973/ 7/ 5\r\n"               // 誕生日
              "\x90\xab\x95\xca=\x92\x6a\x90\xab\r\n"                  // 性別=男性
              "\x93\x6f\x98\x5e\x93\xfa=2000/1/20\r\n");               // 登録日
    EXPECT_TRUE(form1_->isVisible());
    EXPECT_TRUE(form1_->Timer2->isActive());
    EXPECT_FALSE(d.isVisible());
    EXPECT_TRUE(messages_.empty());
    EXPECT_EQ(ended_, 0);
    // the page build reads what was just stored
    EXPECT_EQ(form1_->getini("init", "使用者"), "あさん");
    // (the reader drops the blank at the start of a value, as the profile functions do)
    EXPECT_EQ(form1_->getini("init", "誕生日"), "1973/ 7/ 5");
}

// Right after the start, before any click, the keyboard is in the dialog's name box.
TEST_F(FirstStartTest, TypingRightAfterStartGoesIntoTheNameBox)
{
    ASSERT_TRUE(loaded_);
    form1_->show();
    Form3& d = registration();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&d));
    EXPECT_EQ(QApplication::activeWindow(), &d);
    EXPECT_EQ(QApplication::focusWidget(), d.Text1);

    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("Taro"));
    d.Option1->click();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    ASSERT_EQ(prompts_.size(), 1u);
    EXPECT_EQ(form1_->getini("init", "使用者"), "Taroさん");
    EXPECT_FALSE(d.isVisible());
}

// The dialog is a dialog of the page: transient for it, minimised and restored with it, and never
// out of sight while the page is shown. Once registered it stays hidden.
TEST_F(FirstStartTest, DialogGoesWhereThePageGoes)
{
    ASSERT_TRUE(loaded_);
    form1_->show();
    Form3& d = registration();
    ASSERT_NE(d.windowHandle(), nullptr);
    EXPECT_EQ(d.windowHandle()->transientParent(), form1_->windowHandle());
    EXPECT_EQ(d.windowType(), Qt::Dialog);

    form1_->showMinimized();
    EXPECT_TRUE(d.isMinimized());
    form1_->showNormal();
    EXPECT_FALSE(d.isMinimized());
    EXPECT_TRUE(d.isVisible());

    d.showMinimized();
    EXPECT_TRUE(form1_->isMinimized());
    form1_->showNormal();
    EXPECT_FALSE(d.isMinimized());

    d.Option1->click();
    d.Command1->click();
    ASSERT_FALSE(d.isVisible());
    form1_->showMinimized();
    form1_->showNormal();
    EXPECT_FALSE(d.isVisible());
}

TEST_F(FirstStartTest, PageMinimisedMeanwhileComesBackForTheNewUser)
{
    ASSERT_TRUE(loaded_);
    form1_->show();
    form1_->Form_Click();  // the user clicked the page away while registering
    ASSERT_TRUE(form1_->isMinimized());
    Form3& d = registration();
    d.Option1->click();
    d.Command1->click();
    EXPECT_FALSE(form1_->isMinimized());
    EXPECT_TRUE(form1_->isVisible());
    EXPECT_TRUE(form1_->Timer2->isActive());
}

TEST_F(FirstStartTest, NameTheFileCannotHoldIsRefusedAndKept)
{
    ASSERT_TRUE(loaded_);
    Form3& d = registration();
    d.Option1->click();
    // a character outside Shift-JIS, and a line break pasted into the name box: the box says why
    // in Japanese
    const std::pair<QString, QString> cases[] = {
        {QStringLiteral("𠮷野"), QStringLiteral("「𠮷」（U+20BB7）は、設定ファイル dovi.ini の文字コード Shift-JIS（コードページ932）にない文字のため"
                                                "保存できません。似た字に置き換えてください（例: 𠮷→吉）。")},
        {QStringLiteral("山\n田"), QStringLiteral("入力した文字列に改行は使えません。")}};
    for (const auto& [name, named] : cases) {
        messages_.clear();
        d.Text1->setText(name);
        d.Command1->click();

        EXPECT_EQ(test::readBytes(dir_ / "dovi.ini"), kInstalledIni);
        ASSERT_EQ(messages_.size(), 1u);
        EXPECT_TRUE(messages_[0].contains(named)) << messages_[0].toStdString();
        EXPECT_TRUE(d.isVisible());
        EXPECT_EQ(d.Text1->text(), name);
        EXPECT_EQ(d.chosenSex, QStringLiteral("男性"));
        EXPECT_FALSE(form1_->isVisible());
        EXPECT_FALSE(form1_->Timer2->isActive());
    }
    EXPECT_EQ(prompts_.size(), 2u);

    // with a name the file can hold, the same dialog registers
    d.Text1->setText(QStringLiteral("吉野"));
    d.Command1->click();
    EXPECT_FALSE(d.isVisible());
    EXPECT_EQ(form1_->getini("init", "使用者"), "吉野さん");
}

TEST_F(FirstStartTest, NameThatReadsAsNoUserIsRefused)
{
    ASSERT_TRUE(loaded_);
    Form3& d = registration();
    d.Option1->click();
    d.Combo1->setEditText(QString());  // the form of address cleared
    for (const QString& name : {QStringLiteral("0"), QStringLiteral(" 0"), QStringLiteral("\"0\"")}) {
        messages_.clear();
        d.Text1->setText(name);
        d.Command1->click();
        EXPECT_EQ(test::readBytes(dir_ / "dovi.ini"), kInstalledIni) << name.toStdString();
        ASSERT_EQ(messages_.size(), 1u);
        EXPECT_EQ(messages_[0], QStringLiteral("「0」と読める値は、未設定と区別できないため保存できません。\n"
                                               "登録内容は何も保存されていません。"));
        EXPECT_TRUE(d.isVisible());
        EXPECT_FALSE(form1_->Timer2->isActive());
    }
}

TEST_F(FirstStartTest, LockHeldByAnotherProgramStoresNothing)
{
    ASSERT_TRUE(loaded_);
    // Another program holds the update lock until it is released.
    test::LockHolder holder(dir_ / "dovi.ini");
    ASSERT_TRUE(holder.ok());
    setLockWaitLimit(milliseconds(200));

    Form3& d = registration();
    d.Text1->setText(QStringLiteral("あ"));
    d.Option1->click();
    d.Command1->click();
    holder.release();
    setLockWaitLimit(milliseconds(3000));

    EXPECT_EQ(test::readBytes(dir_ / "dovi.ini"), kInstalledIni);
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_TRUE(messages_[0].startsWith(QStringLiteral("ほかのプログラムが設定ファイル dovi.ini を使用中のため")))
        << messages_[0].toStdString();
    EXPECT_TRUE(d.isVisible());
    // Once the lock is free, the same dialog registers.
    d.Command1->click();
    EXPECT_FALSE(d.isVisible());
    EXPECT_EQ(form1_->getini("init", "使用者"), "あさん");
}

TEST_F(FirstStartTest, QuitEscAndCloseEndTheProgramWithoutWriting)
{
    ASSERT_TRUE(loaded_);
    Form3& d = registration();
    d.Text1->setText(QStringLiteral("あ"));
    d.Option1->click();

    d.Command2->click();
    EXPECT_EQ(ended_, 1);
    QTest::keyClick(&d, Qt::Key_Escape);
    EXPECT_EQ(ended_, 2);
    d.close();
    EXPECT_EQ(ended_, 3);

    EXPECT_TRUE(prompts_.empty());
    EXPECT_EQ(test::readBytes(dir_ / "dovi.ini"), kInstalledIni);
    EXPECT_FALSE(form1_->Timer2->isActive());
}

}  // namespace
}  // namespace dovi
