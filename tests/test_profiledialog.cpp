// The profile window offscreen, and the rules it shares with the registration.
#include <QAccessible>
#include <QApplication>
#include <QTest>

#include <gtest/gtest.h>

#include "gui/profiledialog.h"
#include "register/registration.h"
#include "tests/testutil.h"

namespace dovi {
namespace {

using namespace std::chrono;

TEST(Profile, SplitsTheStoredNameBirthdayAndSex)
{
    StoredProfile p = splitProfile("山田花子さん", " 1973/ 7/ 5", "女性");
    EXPECT_EQ(p.name, "山田花子");
    EXPECT_EQ(p.address, "さん");
    EXPECT_EQ(p.year, 1973);
    EXPECT_EQ(p.month, 7);
    EXPECT_EQ(p.day, 5);
    EXPECT_EQ(p.sex, "女性");
    // the longest form of address that leaves a name: 部長, not a shorter one
    p = splitProfile("佐藤部長", "2000/2/29", "男性");
    EXPECT_EQ(p.name, "佐藤");
    EXPECT_EQ(p.address, "部長");
    EXPECT_EQ(p.day, 29);
    // a name that is only a form of address, or that has none of the list, stays whole
    EXPECT_EQ(splitProfile("さん", "", "").name, "さん");
    EXPECT_EQ(splitProfile("さん", "", "").address, "");
    EXPECT_EQ(splitProfile("ジョン殿", "", "").address, "");
    // an unreadable birthday opens with the registration dialog's values
    p = splitProfile("x", "1973/2/30", "");
    EXPECT_EQ(p.year, 1973);
    EXPECT_EQ(p.month, 7);
    EXPECT_EQ(p.day, 5);
}

TEST(Profile, ChangeWritesThreeValuesAndAsksWithTheChangeQuestion)
{
    const RegistrationForm form{"花子さん", " 1980", " 3", " 3", "女性"};
    test::MemoryStore store;
    ASSERT_TRUE(storeProfile(store, changedProfileValues(form)).ok);
    const std::vector<test::MemoryStore::Access> written = {
        {'w', "init", "使用者", "花子さん"}, {'w', "init", "誕生日", " 1980/ 3/ 3"}, {'w', "init", "性別", "女性"}};
    EXPECT_EQ(store.log, written);
    EXPECT_EQ(changePrompt(form), "お名前: 花子さん\r誕生日: 1980年 3月 3日\r性別  :女性\r以上で変更してよろしいですか？");
}

class ProfileDialogTest : public ::testing::Test {
protected:
    ProfileDialogTest() : clock_(LocalDateTime{year{2026} / December / 7, 9, 0, 0}), random_(7)
    {
        services_.clock = &clock_;
        services_.random = &random_;
        services_.currentDirectory = [this] { return dir_.path(); };
        services_.endProgram = [](int) {};
        services_.printError = [](const std::string&) {};
        services_.showMessage = [this](const QString&, const QString& text) { messages_.push_back(text); };
        services_.confirm = [this](const QString&, const QString& text) {
            prompts_.push_back(text);
            return answer_;
        };
    }

    test::TempDir dir_;
    FixedClock clock_;
    StandardRandom random_;
    Services services_;
    bool answer_ = true;
    std::vector<QString> prompts_;
    std::vector<QString> messages_;
};

// The stored profile fills the window; one change writes name, birthday and sex in one edit and
// leaves the registration date and every other line as they were.
TEST_F(ProfileDialogTest, ChangesNameBirthdayAndSexAndKeepsTheRegistrationDate)
{
    const std::filesystem::path ini = dir_ / "dovi.ini";
    test::writeBytes(ini, "[init]\r\n使用者=山田花子さん\r\n誕生日= 1973/ 7/ 5\r\n性別=女性\r\n登録日=2000/1/20\r\n言霊総数=1\r\n");
    ProfileDialog d(ini, services_);
    EXPECT_EQ(d.nameField->text(), QStringLiteral("山田花子"));
    EXPECT_EQ(d.addressField->currentText(), QStringLiteral("さん"));
    EXPECT_EQ(d.yearText->text(), QStringLiteral(" 1973"));
    EXPECT_TRUE(d.female->isChecked());
    EXPECT_TRUE(d.changeButton->isEnabled());

    d.nameField->setText(QStringLiteral("佐藤花子"));
    d.addressField->setEditText(QStringLiteral("様"));
    d.yearBar->setValue(1980);
    d.monthBar->setValue(2);
    d.dayBar->setValue(29);  // 1980 is a leap year
    ASSERT_TRUE(d.change());
    ASSERT_EQ(prompts_.size(), 1u);
    EXPECT_TRUE(prompts_[0].endsWith(QStringLiteral("以上で変更してよろしいですか？")));
    EXPECT_EQ(test::readBytes(ini),
              "[init]\r\n使用者=佐藤花子様\r\n誕生日= 1980/ 2/ 29\r\n性別=女性\r\n登録日=2000/1/20\r\n言霊総数=1\r\n");
}

// The registration dialog's rules: a later year of birth is refused, 29 February only in a leap
// year, and a refused confirmation writes nothing.
TEST_F(ProfileDialogTest, RefusesAYearAfterThisYearAndImpossibleDays)
{
    const std::filesystem::path ini = dir_ / "dovi.ini";
    const std::string before = "[init]\r\n使用者=太郎くん\r\n誕生日=1990/2/28\r\n性別=男性\r\n登録日=2020/1/1\r\n";
    test::writeBytes(ini, before);
    ProfileDialog d(ini, services_);
    EXPECT_EQ(d.addressField->currentText(), QStringLiteral("くん"));
    d.dayBar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(d.dayBar->value(), 1) << "1990 has no 29 February";
    d.yearBar->setValue(2050);
    EXPECT_FALSE(d.change());
    EXPECT_TRUE(prompts_.empty());
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_EQ(messages_[0], QString::fromUtf8("生まれた年（2050年）は、1年から今年（2026年）までの年にしてください。"));
    d.yearBar->setValue(1990);
    answer_ = false;
    EXPECT_FALSE(d.change());
    EXPECT_EQ(test::readBytes(ini), before);
}

TEST_F(ProfileDialogTest, EveryControlHasAnAccessibleName)
{
    const std::filesystem::path ini = dir_ / "dovi.ini";
    test::writeBytes(ini, "[init]\r\n使用者=太郎\r\n");
    ProfileDialog d(ini, services_);
    EXPECT_FALSE(d.changeButton->isEnabled()) << "no sex stored: one must be chosen first";
    // An editable combo box is read by its text on Linux; its own name and its field's are set.
    EXPECT_EQ(d.addressField->accessibleName(), QStringLiteral("敬称"));
    for (QWidget* w : d.findChildren<QWidget*>()) {
        if (w->focusPolicy() == Qt::NoFocus || w == d.addressField)
            continue;
        EXPECT_FALSE(QAccessible::queryAccessibleInterface(w)->text(QAccessible::Name).isEmpty())
            << w->metaObject()->className();
    }
}

}  // namespace
}  // namespace dovi
