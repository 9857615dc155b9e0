// The page's 暦 line offscreen: shown under the day of the month when the settings file leaves it
// on, in a band that no other label or shape reaches, moving nothing; left out when it is off.
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QTest>

#include <gtest/gtest.h>

#include "gui/form1.h"
#include "gui/layout.h"
#include "page/koyomiline.h"
#include "tests/testutil.h"

namespace dovi {
namespace {

using namespace std::chrono;

class KoyomiPageTest : public ::testing::Test {
protected:
    KoyomiPageTest() : clock_(LocalDateTime{year{2017} / February / 26, 9, 0, 20}), random_(7)
    {
        services_.clock = &clock_;
        services_.random = &random_;
        services_.currentDirectory = [this] { return dir_.path(); };
        services_.endProgram = [this](int) { ++ended_; };
        services_.printError = [](const std::string&) {};
        services_.showMessage = [](const QString&, const QString&) {};
        services_.confirm = [](const QString&, const QString&) { return false; };
        SettingsFile file(dir_ / "dovi.ini");
        for (const auto& [key, value] : {std::pair{"使用者", "太郎さん"}, {"誕生日", " 1973/ 7/ 5"}, {"性別", "男性"},
                                         {"登録日", "2000/1/1"}, {"言霊総数", "2"}})
            EXPECT_TRUE(file.write("init", key, value).ok);
        EXPECT_TRUE(file.write("言霊", "1", "急がば回れ,ことわざ").ok);
    }

    void setSwitch(const char* key, const char* value)
    {
        ASSERT_TRUE(SettingsFile(dir_ / "dovi.ini").write("暦", key, value).ok);
    }

    std::unique_ptr<Form1> builtPage()
    {
        auto form = std::make_unique<Form1>(services_);
        EXPECT_TRUE(form->Form_Load());
        form->show();
        form->Timer2_Timer();
        return form;
    }

    // Every label and shape of the page but the 暦 line, with its geometry and whether it shows.
    static std::vector<std::pair<QRect, bool>> otherElements(const Form1& form)
    {
        std::vector<std::pair<QRect, bool>> elements;
        for (const QWidget* w : std::initializer_list<const QWidget*>{
                 form.Label1, form.Label2, form.Label3, form.Label4, form.Label5, form.Label6, form.Label7,
                 form.Label8, form.Shape1, form.Shape2, form.Shape3})
            elements.push_back({w->geometry(), w->isVisible()});
        return elements;
    }

    test::TempDir dir_;
    FixedClock clock_;
    StandardRandom random_;
    Services services_;
    int ended_ = 0;
};

TEST_F(KoyomiPageTest, ALineUnderTheDayShowsTheKoyomiWithoutInteraction)
{
    const std::string before = test::readBytes(dir_ / "dovi.ini");
    auto form = builtPage();
    ASSERT_NE(form->koyomiLine, nullptr);
    EXPECT_TRUE(form->koyomiLine->isVisible());
    EXPECT_EQ(form->koyomiLine->text(), QString::fromUtf8("旧暦二月一日 友引"));
    EXPECT_EQ(form->koyomiLine->textFormat(), Qt::PlainText);
    EXPECT_FALSE(form->koyomiLine->accessibleDescription().isEmpty());
    EXPECT_EQ(form->koyomiLine->toolTip(),
              QString::fromUtf8("旧暦二月一日\n六曜：友引\n日の干支：甲申\n年の干支：丁酉\n月齢：29.1"));
    // Reading the settings wrote nothing.
    EXPECT_EQ(test::readBytes(dir_ / "dovi.ini"), before);

    // Something is drawn in the line's band, and the page's other labels are still what they were.
    const QImage page = form->grab().toImage();
    const QRect band = form1layout::kKoyomiLine.box.pixels();
    int inked = 0;
    for (int y = band.top(); y <= band.bottom(); ++y)
        for (int x = band.left(); x <= band.right(); ++x)
            inked += qGray(page.pixel(x, y)) < 128;
    EXPECT_GT(inked, 40);
    EXPECT_EQ(form->Label5->text(), QString::fromUtf8("おはよう，今日も素敵な太郎さん"));

    // A click on the line minimises the page, as a click on any label does.
    QTest::mouseClick(form->koyomiLine, Qt::LeftButton);
    EXPECT_TRUE(form->isMinimized());
    EXPECT_FALSE(form->Timer1->isActive());
}

TEST_F(KoyomiPageTest, SixDayCycleOffLeavesTheDateAndTheTerm)
{
    setSwitch("六曜", "しない");
    clock_.set({year{2034} / January / 20, 9, 0, 20});
    auto form = builtPage();
    ASSERT_NE(form->koyomiLine, nullptr);
    EXPECT_EQ(form->koyomiLine->text(), QString::fromUtf8("旧暦十二月一日　大寒"));
    EXPECT_FALSE(form->koyomiLine->toolTip().contains(QString::fromUtf8("六曜")));
}

TEST_F(KoyomiPageTest, LineOffMakesNoLineAtAll)
{
    setSwitch("表示", "しない");
    auto form = builtPage();
    EXPECT_EQ(form->koyomiLine, nullptr);
}

// The line takes a band that no other element reaches, and nothing else moves or changes its
// visibility with it, on a holiday (the mark shows) and on a plain day.
TEST_F(KoyomiPageTest, TheLineOverlapsNothingAndMovesNothing)
{
    for (const Date day : {Date{year{2017} / February / 26}, Date{year{2026} / November / 3}}) {
        clock_.set({day, 9, 0, 20});
        setSwitch("表示", "しない");
        auto off = builtPage();
        setSwitch("表示", "する");
        auto on = builtPage();
        ASSERT_NE(on->koyomiLine, nullptr);
        EXPECT_EQ(otherElements(*on), otherElements(*off));
        const QRect line = on->koyomiLine->geometry();
        EXPECT_EQ(line, QRect(8, 177, 249, 15));
        for (const auto& [box, shown] : otherElements(*on))
            EXPECT_FALSE(box.intersects(line)) << box.x() << "," << box.y() << " " << box.width() << "x" << box.height();
    }
}

// The longest lines the 暦 can give fit the line's box in its font: the longest 旧暦 date with the
// longest 六曜 and the longest customary day, and every line of two whole years.
TEST_F(KoyomiPageTest, EveryLineFitsItsBox)
{
    auto form = builtPage();
    ASSERT_NE(form->koyomiLine, nullptr);
    const QFontMetrics metrics(form->koyomiLine->font());
    const QRect box = form->koyomiLine->contentsRect();
    EXPECT_LE(metrics.height(), box.height());
    const auto fits = [&](const std::string& text) {
        return metrics.horizontalAdvance(QString::fromUtf8(text)) <= box.width();
    };
    EXPECT_TRUE(fits("旧暦閏十二月二十九日 先負　二百二十日"));
    for (const Koyomi& day : koyomiRange(year{2033} / January / 1, year{2034} / December / 31))
        EXPECT_TRUE(fits(koyomiLine(day, true))) << koyomiLine(day, true);
}

// A page turned to a new day shows that day's line.
TEST_F(KoyomiPageTest, ANewDayTurnsTheLineWithThePage)
{
    clock_.set({year{2033} / December / 21, 23, 59, 59});
    auto form = builtPage();
    ASSERT_NE(form->koyomiLine, nullptr);
    EXPECT_EQ(form->koyomiLine->text(), QString::fromUtf8("旧暦十一月三十日 仏滅　冬至"));
    clock_.set({year{2033} / December / 22, 0, 0, 1});
    EXPECT_TRUE(form->turnPageIfNewDay());
    EXPECT_EQ(form->koyomiLine->text(), QString::fromUtf8("旧暦閏十一月一日 大安"));
}

}  // namespace
}  // namespace dovi
