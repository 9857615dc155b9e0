// The birthday book window offscreen: each operation against a real file, compared byte for byte,
// refusals in Japanese with the typed text kept, and changes by other programs shown.
#include <QTest>
#include <QTextCharFormat>

#include <gtest/gtest.h>

#include "book/bookedit.h"
#include "gui/bookwindow.h"
#include "gui/failuretext.h"
#include "tests/testutil.h"

namespace dovi {
namespace {

using List = BookWindow::List;

const std::string kFile = "[init]\r\n言霊総数=3\r\n"
                          "[誕生日]\r\na01/20=太郎:1980\r\nb01/20=花子\r\nc01/20=次郎:1990\r\n"
                          "[特別日]\r\na01/20=大寒\r\n"
                          "[言霊]\r\n1=急がば回れ,ことわざ\r\n2=継続は,力なり\r\n";

class BookWindowTest : public testing::Test {
protected:
    BookWindowTest() : clock_(LocalDateTime{std::chrono::year{2000} / 1 / 20, 9, 0, 0})
    {
        test::writeBytes(path_, kFile);
        services_.clock = &clock_;
        services_.currentDirectory = [this] { return dir_.path(); };
        services_.showMessage = [this](const QString&, const QString& text) { messages_.push_back(text); };
        services_.confirm = [this](const QString&, const QString& text) {
            questions_.push_back(text);
            return answer_;
        };
        services_.choose = [this](const QString&, const QString& text, const QStringList& buttons, int defaultButton,
                                  int) {
            questions_.push_back(text);
            choices_.push_back({buttons, defaultButton});
            return answer_ ? choice_ : static_cast<int>(buttons.size()) - 1;
        };
        window_ = std::make_unique<BookWindow>(services_);
    }

    QStringList rows(List list)
    {
        QStringList texts;
        QListWidget* widget = window_->panel(list).list;
        for (int i = 0; i < widget->count(); ++i)
            texts << widget->item(i)->text();
        return texts;
    }
    void select(List list, int row) { window_->panel(list).list->setCurrentRow(row); }
    void type(List list, const QString& first, const QString& second = {})
    {
        window_->panel(list).first->setText(first);
        if (window_->panel(list).second)
            window_->panel(list).second->setText(second);
    }
    std::string bytes() const { return test::readBytes(path_); }

    test::TempDir dir_;
    const std::filesystem::path path_ = dir_ / "dovi.ini";
    FixedClock clock_;
    Services services_;
    QStringList messages_, questions_;
    bool answer_ = true;
    int choice_ = 0;  // the button chosen when answer_ is true; the last one (キャンセル) otherwise
    struct Choice {
        QStringList buttons;
        int defaultButton;
    };
    std::vector<Choice> choices_;
    std::unique_ptr<BookWindow> window_;
};

TEST_F(BookWindowTest, ShowsTodaysEntriesAsThePageReadsThem)
{
    EXPECT_EQ(window_->windowTitle(), QString("デイリオ 誕生日帳"));
    EXPECT_EQ(rows(List::Birthdays), (QStringList{"a　太郎（1980年生まれ）", "b　花子", "c　次郎（1990年生まれ）"}));
    EXPECT_EQ(rows(List::SpecialDays), QStringList{"a　大寒"});
    EXPECT_EQ(rows(List::Sayings), (QStringList{"1　急がば回れ（ことわざ）", "2　継続は（力なり）"}));

    select(List::Birthdays, 2);
    EXPECT_EQ(window_->panel(List::Birthdays).first->text(), QString("次郎"));
    EXPECT_EQ(window_->panel(List::Birthdays).second->text(), QString("1990"));

    window_->calendar()->setSelectedDate(QDate(2000, 1, 21));
    EXPECT_TRUE(rows(List::Birthdays).isEmpty());
}

TEST_F(BookWindowTest, AddChangeRemoveAndReorderTheDaysEntries)
{
    type(List::Birthdays, "  四郎 ", "2001");
    window_->panel(List::Birthdays).addClicked();
    EXPECT_EQ(bytes(), "[init]\r\n言霊総数=3\r\n"
                       "[誕生日]\r\na01/20=太郎:1980\r\nb01/20=花子\r\nc01/20=次郎:1990\r\nd01/20=四郎:2001\r\n"
                       "[特別日]\r\na01/20=大寒\r\n[言霊]\r\n1=急がば回れ,ことわざ\r\n2=継続は,力なり\r\n");
    // The new entry is loaded, ready to be changed.
    EXPECT_EQ(window_->panel(List::Birthdays).first->text(), QString("四郎"));
    EXPECT_EQ(window_->panel(List::Birthdays).list->currentRow(), 3);

    select(List::Birthdays, 1);
    type(List::Birthdays, "花子", "1975");
    window_->panel(List::Birthdays).changeClicked();
    select(List::Birthdays, 0);
    window_->panel(List::Birthdays).removeClicked();
    select(List::Birthdays, 2);
    window_->panel(List::Birthdays).moveClicked(-1);
    EXPECT_EQ(window_->panel(List::Birthdays).list->currentRow(), 1);
    EXPECT_EQ(bytes(), "[init]\r\n言霊総数=3\r\n"
                       "[誕生日]\r\na01/20=花子:1975\r\nc01/20=次郎:1990\r\nb01/20=四郎:2001\r\n"
                       "[特別日]\r\na01/20=大寒\r\n[言霊]\r\n1=急がば回れ,ことわざ\r\n2=継続は,力なり\r\n");
    EXPECT_EQ(rows(List::Birthdays), (QStringList{"a　花子（1975年生まれ）", "b　四郎（2001年生まれ）", "c　次郎（1990年生まれ）"}));

    type(List::SpecialDays, "初天神");
    window_->panel(List::SpecialDays).addClicked();
    select(List::SpecialDays, 0);
    window_->panel(List::SpecialDays).moveClicked(+1);
    select(List::SpecialDays, 1);
    window_->panel(List::SpecialDays).removeClicked();
    EXPECT_EQ(rows(List::SpecialDays), QStringList{"a　初天神"});
    EXPECT_EQ(bytes(), "[init]\r\n言霊総数=3\r\n"
                       "[誕生日]\r\na01/20=花子:1975\r\nc01/20=次郎:1990\r\nb01/20=四郎:2001\r\n"
                       "[特別日]\r\na01/20=初天神\r\n[言霊]\r\n1=急がば回れ,ことわざ\r\n2=継続は,力なり\r\n");
    EXPECT_TRUE(messages_.isEmpty()) << messages_.join('\n').toStdString();
}

TEST_F(BookWindowTest, SayingsKeepTheirNumbersAndCount)
{
    type(List::Sayings, "塵も積もれば山となる", "ことわざ");
    window_->panel(List::Sayings).addClicked();
    select(List::Sayings, 0);
    window_->panel(List::Sayings).removeClicked();
    select(List::Sayings, 1);
    window_->panel(List::Sayings).moveClicked(-1);
    select(List::Sayings, 1);
    type(List::Sayings, "継続は", "力なり（格言）");
    window_->panel(List::Sayings).changeClicked();
    EXPECT_EQ(bytes(), "[init]\r\n言霊総数=3\r\n"
                       "[誕生日]\r\na01/20=太郎:1980\r\nb01/20=花子\r\nc01/20=次郎:1990\r\n"
                       "[特別日]\r\na01/20=大寒\r\n[言霊]\r\n2=継続は,力なり（格言）\r\n1=塵も積もれば山となる,ことわざ\r\n");
    EXPECT_EQ(rows(List::Sayings), (QStringList{"1　塵も積もれば山となる（ことわざ）", "2　継続は（力なり（格言））"}));
}

TEST_F(BookWindowTest, RefusalsAreShownInJapaneseAndKeepWhatWasTyped)
{
    struct Case {
        List list;
        QString first, second;
        QString message;
    };
    const Case cases[] = {
        {List::Birthdays, "山田:花子", "", "入力した文字列に「:」は使えません。"},
        {List::Birthdays, "花子", "75", "生年は4桁の数字で入力してください（省略もできます）。"},
        {List::SpecialDays, " 0 ", "", "「0」と読める値は、未設定と区別できないため保存できません。"},
        {List::SpecialDays, "   ", "", "入力した文字列が空です。"},
        {List::Sayings, "急がば,回れ", "ことわざ", "入力した文字列に「,」は使えません。"},
    };
    for (const Case& c : cases) {
        messages_.clear();
        type(c.list, c.first, c.second);
        window_->panel(c.list).addClicked();
        EXPECT_EQ(messages_, QStringList{c.message}) << c.first.toStdString();
        EXPECT_EQ(window_->panel(c.list).first->text(), c.first);
    }
    // Removing asks first; No keeps the entry.
    answer_ = false;
    type(List::Birthdays, "");
    select(List::Birthdays, 1);
    window_->panel(List::Birthdays).removeClicked();
    EXPECT_EQ(questions_, QStringList{"「花子」を削除しますか？"});

    // 削除 and 変更 with no entry chosen say which entry is missing for what.
    messages_.clear();
    window_->panel(List::SpecialDays).removeClicked();
    window_->panel(List::SpecialDays).changeClicked();
    EXPECT_EQ(messages_, (QStringList{"削除する項目を一覧から選んでください。", "変更する項目を一覧から選んでください。"}));
    EXPECT_EQ(bytes(), kFile);
}

TEST_F(BookWindowTest, ChangesByOtherProgramsShowUpAndStaleChangesAreRefused)
{
    SettingsFile other(path_);
    ASSERT_TRUE(other.write("特別日", "b01/20", "初天神").ok);
    // The folder watcher notices the replacement of the file by itself.
    EXPECT_TRUE(QTest::qWaitFor([&] { return rows(List::SpecialDays).size() == 2; }, 5000));

    // The selection stays with its entry when another program moves it to another row, and the
    // typed text stays too.
    select(List::Birthdays, 1);
    window_->panel(List::Birthdays).first->setText("花子さん");
    const KeyEdit insertFirst[] = {{KeyEdit::Kind::Rename, "誕生日", "c01/20", "d01/20"},
                                   {KeyEdit::Kind::Rename, "誕生日", "b01/20", "c01/20"},
                                   {KeyEdit::Kind::Rename, "誕生日", "a01/20", "b01/20"},
                                   {KeyEdit::Kind::Set, "誕生日", "a01/20", "一郎"}};
    ASSERT_TRUE(other.applyEdits(insertFirst).ok);
    window_->fileChanged();
    EXPECT_EQ(window_->panel(List::Birthdays).list->currentRow(), 2);
    EXPECT_EQ(window_->panel(List::Birthdays).first->text(), QString("花子さん"));
    const KeyEdit dropIt[] = {{KeyEdit::Kind::Set, "誕生日", "c01/20", "別人"}};
    ASSERT_TRUE(other.applyEdits(dropIt).ok);
    window_->fileChanged();
    EXPECT_EQ(window_->panel(List::Birthdays).list->currentRow(), -1);

    // Another program changes the first birthday after the window listed the day, before the
    // window hears of it.
    type(List::Birthdays, "");
    select(List::Birthdays, 0);
    const KeyEdit changeIt[] = {{KeyEdit::Kind::Set, "誕生日", "a01/20", "一郎さん"}};
    ASSERT_TRUE(other.applyEdits(changeIt).ok);
    window_->panel(List::Birthdays).removeClicked();
    EXPECT_EQ(messages_, QStringList{"ほかのプログラムが設定ファイルを変更したため、変更しませんでした。最新の内容を表示します。"});
    EXPECT_EQ(rows(List::Birthdays).size(), 4);
    EXPECT_EQ(window_->panel(List::Birthdays).shown().front().value, "一郎さん");
}

TEST_F(BookWindowTest, TheMonthShowsTodayHolidaysAndDaysWithEntries)
{
    const QTextCharFormat today = window_->calendar()->dateTextFormat(QDate(2000, 1, 20));
    EXPECT_TRUE(today.fontUnderline());
    EXPECT_EQ(today.fontWeight(), QFont::Bold);  // it has entries
    window_->calendar()->setCurrentPage(2000, 1);
    const QTextCharFormat comingOfAge = window_->calendar()->dateTextFormat(QDate(2000, 1, 10));
    EXPECT_EQ(comingOfAge.toolTip(), QString("<span>成人の日</span>"));
    EXPECT_EQ(comingOfAge.foreground().color(), QColor(0xC0, 0, 0));
    EXPECT_FALSE(window_->calendar()->dateTextFormat(QDate(2000, 1, 11)).hasProperty(QTextFormat::TextToolTip));
    EXPECT_EQ(window_->calendar()->weekdayTextFormat(Qt::Saturday).foreground().color(), QColor(0, 0, 0xC0));

    // A holiday name from the file shows as stored, markup and all.
    ASSERT_TRUE(SettingsFile(path_).write("休日", "02/01", "<img src=/etc/passwd>").ok);
    window_->fileChanged();
    window_->calendar()->setCurrentPage(2000, 2);
    EXPECT_EQ(window_->calendar()->dateTextFormat(QDate(2000, 2, 1)).toolTip(),
              QString("<span>&lt;img src=/etc/passwd&gt;</span>"));
}

// Another program removes the first person while the question before a removal is open, and the
// window re-reads the file meanwhile: the person that was asked about is removed, or nothing.
TEST_F(BookWindowTest, ARemovalConfirmedAfterAnotherProgramsChangeHitsNoOtherEntry)
{
    for (const List list : {List::Birthdays, List::Sayings}) {
        SCOPED_TRACE(static_cast<int>(list));
        test::writeBytes(path_, "[誕生日]\r\na01/20=与謝野晶子\r\nb01/20=甲\r\nc01/20=乙\r\nd01/20=丙\r\n"
                                "[init]\r\n言霊総数=5\r\n[言霊]\r\n1=一,\r\n2=二,\r\n3=三,\r\n4=四,\r\n");
        const std::string selected = list == List::Sayings ? "三" : "乙", last = list == List::Sayings ? "四" : "丙";
        int asked = 0;
        services_.choose = [&](const QString&, const QString&, const QStringList&, int, int) {
            ++asked;
            SettingsFile other(path_);
            const WriteResult removed = list == List::Sayings ? removeSaying(other, 1)
                                                              : removeBookEntry(other, Book::Birthdays, "01/20", 0);
            EXPECT_TRUE(removed.ok);
            window_->fileChanged();  // the folder watcher's notice, while the question is open
            return 0;
        };
        window_ = std::make_unique<BookWindow>(services_);
        select(list, 2);
        messages_.clear();
        window_->panel(list).removeClicked();
        EXPECT_EQ(asked, 1);
        const std::string now = bytes();
        EXPECT_NE(now.find(last), std::string::npos) << last << " was removed instead of " << selected;
        // Refused as changed meanwhile (the new state shown), or the selected entry itself removed.
        const bool kept = now.find(selected) != std::string::npos;
        if (kept) {
            EXPECT_EQ(messages_.size(), 1);
        }
        EXPECT_EQ(rows(list).size(), kept ? 3 : 2);
    }
}

}  // namespace
}  // namespace dovi
