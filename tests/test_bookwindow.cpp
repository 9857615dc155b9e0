// The birthday book window offscreen: each operation against a real file, compared byte for byte,
// refusals in Japanese with the typed text kept, and changes by other programs shown.
#include <QApplication>
#include <QTabBar>
#include <QTest>
#include <QTextCharFormat>
#include <QTimer>

#include <map>

#include <gtest/gtest.h>

#include "book/bookedit.h"
#include "gui/bookwindow.h"
#include "gui/failuretext.h"
#include "gui/profiledialog.h"
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
    // A click with the mouse on a row of the list, as a person makes it.
    void clickRow(List list, int row)
    {
        QListWidget* widget = window_->panel(list).list;
        const QRect box = widget->visualItemRect(widget->item(row));
        QTest::mouseClick(widget->viewport(), Qt::LeftButton, {}, box.center());
    }
    QString field(List list) const { return window_->panel(list).first->text(); }

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
    type(List::Birthdays, "  四郎 ", "1999");
    window_->panel(List::Birthdays).addClicked();
    EXPECT_EQ(bytes(), "[init]\r\n言霊総数=3\r\n"
                       "[誕生日]\r\na01/20=太郎:1980\r\nb01/20=花子\r\nc01/20=次郎:1990\r\nd01/20=四郎:1999\r\n"
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
                       "[誕生日]\r\na01/20=花子:1975\r\nc01/20=次郎:1990\r\nb01/20=四郎:1999\r\n"
                       "[特別日]\r\na01/20=大寒\r\n[言霊]\r\n1=急がば回れ,ことわざ\r\n2=継続は,力なり\r\n");
    EXPECT_EQ(rows(List::Birthdays), (QStringList{"a　花子（1975年生まれ）", "b　四郎（1999年生まれ）", "c　次郎（1990年生まれ）"}));

    type(List::SpecialDays, "初天神");
    window_->panel(List::SpecialDays).addClicked();
    select(List::SpecialDays, 0);
    window_->panel(List::SpecialDays).moveClicked(+1);
    select(List::SpecialDays, 1);
    window_->panel(List::SpecialDays).removeClicked();
    EXPECT_EQ(rows(List::SpecialDays), QStringList{"a　初天神"});
    EXPECT_EQ(bytes(), "[init]\r\n言霊総数=3\r\n"
                       "[誕生日]\r\na01/20=花子:1975\r\nc01/20=次郎:1990\r\nb01/20=四郎:1999\r\n"
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

// A year of birth after this year (2000 on the test clock) or the year 0 would give the page a
// negative age; such a year, and a year that is not four digits, is refused for an added and a
// changed entry alike, nothing is written and the typed text stays.
TEST_F(BookWindowTest, AYearOfBirthAfterThisYearOrBeforeOneIsRefused)
{
    const std::map<QString, QString> refusals = {
        {"2999", "生まれた年（2999年）は、1年から今年（2000年）までの年にしてください。"},
        {"2001", "生まれた年（2001年）は、1年から今年（2000年）までの年にしてください。"},
        {"0000", "生まれた年（0年）は、1年から今年（2000年）までの年にしてください。"},
        {"19a0", "生年は4桁の数字で入力してください（省略もできます）。"},
        {"+200", "生年は4桁の数字で入力してください（省略もできます）。"},
    };
    for (const auto& [year, message] : refusals) {
        messages_.clear();
        select(List::Birthdays, 0);
        type(List::Birthdays, "ミライ", year);
        window_->panel(List::Birthdays).changeClicked();
        window_->panel(List::Birthdays).addClicked();
        EXPECT_EQ(messages_, (QStringList{message, message})) << year.toStdString();
        EXPECT_EQ(window_->panel(List::Birthdays).second->text(), year);
        EXPECT_EQ(bytes(), kFile) << year.toStdString();
    }

    messages_.clear();
    type(List::Birthdays, "ミライ", "2000");
    window_->panel(List::Birthdays).addClicked();
    EXPECT_TRUE(messages_.isEmpty()) << messages_.join('\n').toStdString();
    EXPECT_NE(bytes().find("d01/20=ミライ:2000\r\n"), std::string::npos);
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
            const WriteResult removed = list == List::Sayings ? removeSaying(other, SeenEntry{1, "一,"})
                                                              : removeBookEntry(other, Book::Birthdays, "01/20",
                                                                                SeenEntry{'a', "与謝野晶子"});
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

// The book window loses nothing that people type: each case was seen on the window as it was.

// Adding 「次郎」 1990 left the fields empty, a click on the highlighted row did not fill them, and a
// change typed then stored 「佐藤次郎」 without the year.
TEST_F(BookWindowTest, AnAddedEntryIsLoadedSoThatAChangeKeepsItsYear)
{
    window_->show();
    window_->calendar()->setSelectedDate(QDate(2000, 1, 11));
    ListPanel& p = window_->panel(List::Birthdays);
    EXPECT_EQ(p.stateText(), QString("新しい項目"));
    type(List::Birthdays, "次郎", "1990");
    QTest::keyClick(p.first, Qt::Key_Return);  // Enter adds a new entry
    EXPECT_EQ(rows(List::Birthdays), QStringList{"a　次郎（1990年生まれ）"});
    EXPECT_EQ(p.list->currentRow(), 0);
    EXPECT_EQ(field(List::Birthdays), QString("次郎"));
    EXPECT_EQ(p.second->text(), QString("1990"));
    EXPECT_EQ(p.stateText(), QString("「次郎」を編集中"));

    // A click on the highlighted row loads it again, after asking about the text typed over it.
    p.first->clear();
    choice_ = 1;  // 破棄
    clickRow(List::Birthdays, 0);
    EXPECT_EQ(field(List::Birthdays), QString("次郎"));
    EXPECT_EQ(p.second->text(), QString("1990"));

    p.first->setText("佐藤次郎");
    p.changeClicked();
    EXPECT_NE(bytes().find("a01/11=佐藤次郎:1990\r\n"), std::string::npos) << bytes();
    EXPECT_TRUE(messages_.isEmpty());
}

// On a chosen row, appending 「改」 and pressing Enter added a new entry instead of changing it.
TEST_F(BookWindowTest, EnterDoesWhatTheDefaultButtonSays)
{
    window_->show();
    ListPanel& p = window_->panel(List::Birthdays);
    clickRow(List::Birthdays, 1);
    EXPECT_EQ(field(List::Birthdays), QString("花子"));
    EXPECT_TRUE(p.change->isDefault());
    EXPECT_FALSE(p.add->isDefault());
    p.first->insert("改");
    QTest::keyClick(p.first, Qt::Key_Return);
    EXPECT_EQ(rows(List::Birthdays), (QStringList{"a　太郎（1980年生まれ）", "b　花子改", "c　次郎（1990年生まれ）"}));

    // 新規 goes back to a new entry: Enter adds again.
    p.newEntryClicked();
    EXPECT_TRUE(p.add->isDefault());
    EXPECT_EQ(p.stateText(), QString("新しい項目"));
    EXPECT_EQ(p.list->currentRow(), -1);
    EXPECT_TRUE(field(List::Birthdays).isEmpty());
}

// Text typed for a new entry was replaced by the selected entry on Shift+Tab or a click on a row.
TEST_F(BookWindowTest, TypedTextStaysWhenTheFocusOrTheRowMoves)
{
    window_->show();
    window_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
    ListPanel& p = window_->panel(List::SpecialDays);
    p.first->setFocus();
    p.first->insert("新しい記念日");
    QTest::keyClick(p.first, Qt::Key_Backtab);
    EXPECT_EQ(field(List::SpecialDays), QString("新しい記念日"));

    choice_ = 2;  // キャンセル
    clickRow(List::SpecialDays, 0);
    EXPECT_EQ(questions_, QStringList{"入力した「新しい記念日」はまだ保存されていません。保存しますか？"});
    EXPECT_EQ(choices_.back().buttons, (QStringList{"保存", "破棄", "キャンセル"}));
    EXPECT_EQ(field(List::SpecialDays), QString("新しい記念日"));
    EXPECT_EQ(p.stateText(), QString("新しい項目"));
    EXPECT_TRUE(p.list->selectedItems().isEmpty());

    choice_ = 0;  // 保存: stored as a new entry, then the row clicked is loaded
    clickRow(List::SpecialDays, 0);
    EXPECT_EQ(rows(List::SpecialDays), (QStringList{"a　大寒", "b　新しい記念日"}));
    EXPECT_EQ(field(List::SpecialDays), QString("大寒"));

    // Another day, and another tab, ask the same way.
    p.first->insert("寒");
    choice_ = 2;
    window_->calendar()->setSelectedDate(QDate(2000, 1, 21));
    EXPECT_EQ(window_->calendar()->selectedDate(), QDate(2000, 1, 20));
    window_->tabs()->setCurrentIndex(1);
    EXPECT_EQ(window_->tabs()->currentIndex(), 0);
    EXPECT_EQ(field(List::SpecialDays), QString("大寒寒"));
    choice_ = 1;
    window_->calendar()->setSelectedDate(QDate(2000, 1, 21));
    EXPECT_TRUE(rows(List::SpecialDays).isEmpty());
    EXPECT_TRUE(field(List::SpecialDays).isEmpty());
    EXPECT_EQ(bytes().find("大寒寒"), std::string::npos);

    // 保存 on the way to another day stores on the day it was typed for.
    p.first->insert("小寒");
    choice_ = 0;
    window_->calendar()->setSelectedDate(QDate(2000, 1, 22));
    EXPECT_NE(bytes().find("a01/21=小寒\r\n"), std::string::npos) << bytes();
    EXPECT_TRUE(rows(List::SpecialDays).isEmpty());
    EXPECT_TRUE(field(List::SpecialDays).isEmpty());
    EXPECT_EQ(p.stateText(), QString("新しい項目"));
}

// A change refused because another program changed the entry first shows the file as it is now,
// and keeps what was typed, ready to be added as a new entry.
TEST_F(BookWindowTest, ARefusedChangeShowsTheNewStateAndKeepsTheTypedText)
{
    ListPanel& p = window_->panel(List::Birthdays);
    select(List::Birthdays, 1);
    p.first->setText("花子さん");
    SettingsFile other(path_);
    ASSERT_TRUE(other.write("誕生日", "b01/20", "花江").ok);
    EXPECT_FALSE(p.changeClicked());
    EXPECT_EQ(messages_.size(), 1);
    EXPECT_EQ(rows(List::Birthdays), (QStringList{"a　太郎（1980年生まれ）", "b　花江", "c　次郎（1990年生まれ）"}));
    EXPECT_EQ(field(List::Birthdays), QString("花子さん"));
    EXPECT_EQ(p.stateText(), QString("新しい項目"));
    EXPECT_TRUE(p.hasUnsavedText());
}

// Closing the window with typed, unsaved text asked nothing.
TEST_F(BookWindowTest, ClosingWithTypedTextAsksFirst)
{
    window_->show();
    window_->tabs()->setCurrentIndex(1);
    type(List::Sayings, "急がば回れ");
    choice_ = 2;  // キャンセル
    EXPECT_FALSE(window_->close());
    EXPECT_TRUE(window_->isVisible());
    EXPECT_EQ(questions_.size(), 1);
    choice_ = 1;  // 破棄
    EXPECT_TRUE(window_->close());
    EXPECT_EQ(bytes(), kFile);
    // Nothing typed: nothing asked.
    window_ = std::make_unique<BookWindow>(services_);
    window_->show();
    EXPECT_TRUE(window_->close());
    EXPECT_EQ(questions_.size(), 2);
}

// The access keys of the controls shown at once, by tab: each letter means one control.
std::map<QChar, QStringList> accessKeys(QWidget& window)
{
    std::map<QChar, QStringList> keys;
    const auto note = [&keys](const QString& text) {
        const qsizetype at = text.indexOf(QLatin1Char('&'));
        if (at >= 0 && at + 1 < text.size())
            keys[text.at(at + 1).toUpper()] << text;
    };
    for (QWidget* widget : window.findChildren<QWidget*>()) {
        if (!widget->isVisibleTo(&window))
            continue;
        if (auto* button = qobject_cast<QAbstractButton*>(widget))
            note(button->text());
        else if (auto* label = qobject_cast<QLabel*>(widget); label && label->buddy())
            note(label->text());
        else if (auto* bar = qobject_cast<QTabBar*>(widget))
            for (int i = 0; i < bar->count(); ++i)
                note(bar->tabText(i));
    }
    return keys;
}

// Every access key of the two panels of the first tab existed twice: Alt+A went to the other
// panel's 追加.
TEST_F(BookWindowTest, AccessKeysAreUniqueAmongTheControlsShown)
{
    window_->show();
    for (int tab : {0, 1}) {
        window_->tabs()->setCurrentIndex(tab);
        const auto keys = accessKeys(*window_);
        EXPECT_GT(keys.size(), 8u);
        for (const auto& [key, texts] : keys)
            EXPECT_EQ(texts.size(), 1) << "tab " << tab << ": " << texts.join(' ').toStdString();
    }
    // Alt+A on the first tab adds to the birthdays.
    window_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
    window_->tabs()->setCurrentIndex(0);
    window_->panel(List::Birthdays).first->setFocus();
    type(List::Birthdays, "四郎");
    QTest::keyClick(window_->panel(List::Birthdays).first, Qt::Key_A, Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return rows(List::Birthdays).size() == 4; }, 2000));  // an animated click
}

// The delete prompt read 「「c　山田」を削除しますか？」 with OK as its default.
TEST_F(BookWindowTest, TheDeletePromptNamesTheEntryAndDefaultsToCancel)
{
    test::writeBytes(path_, "[誕生日]\r\na01/20=甲\r\nb01/20=乙\r\nc01/20=山田:1970\r\n");
    window_ = std::make_unique<BookWindow>(services_);
    select(List::Birthdays, 2);
    choice_ = 1;
    EXPECT_FALSE(window_->panel(List::Birthdays).removeClicked());
    EXPECT_EQ(questions_, QStringList{"「山田」を削除しますか？"});
    ASSERT_EQ(choices_.size(), 1u);
    EXPECT_EQ(choices_[0].buttons, (QStringList{"削除", "キャンセル"}));
    EXPECT_EQ(choices_[0].defaultButton, 1);
    EXPECT_EQ(rows(List::Birthdays).size(), 3);
}

// A read-only file is said once, above the lists, and nothing offers to change it.
TEST_F(BookWindowTest, AReadOnlyFileIsShownWithEditingOff)
{
    std::filesystem::permissions(path_, std::filesystem::perms::owner_read | std::filesystem::perms::group_read);
    window_ = std::make_unique<BookWindow>(services_);
    window_->show();
    EXPECT_TRUE(window_->readOnlyNote()->isVisible());
    EXPECT_EQ(window_->readOnlyNote()->text(), QString("設定ファイル dovi.ini は読み取り専用のため、表示だけできます。"
                                                       "編集するには、ファイルへの書き込みを許可してください。"));
    for (List list : {List::Birthdays, List::SpecialDays, List::Sayings}) {
        EXPECT_FALSE(window_->panel(list).first->isEnabled());
        EXPECT_FALSE(window_->panel(list).add->isEnabled());
        EXPECT_FALSE(window_->panel(list).remove->isEnabled());
        EXPECT_TRUE(window_->panel(list).list->isEnabled());
    }
    EXPECT_EQ(rows(List::Birthdays).size(), 3);
    select(List::Birthdays, 0);  // the list can be browsed; its Delete key removes nothing
    EXPECT_EQ(field(List::Birthdays), QString("太郎"));
    EXPECT_FALSE(window_->panel(List::Birthdays).removeClicked());
    EXPECT_TRUE(questions_.isEmpty());
    EXPECT_TRUE(messages_.isEmpty());
    std::filesystem::permissions(path_, std::filesystem::perms::owner_write, std::filesystem::perm_options::add);
    window_->fileChanged();
    EXPECT_FALSE(window_->readOnlyNote()->isVisible());
    EXPECT_TRUE(window_->panel(List::Birthdays).add->isEnabled());
}

// The header reads 「2000年1月」, a holiday's name stands in the day's title, 今日 comes back to
// today, and the month buttons and lists have names for a screen reader.
TEST_F(BookWindowTest, TheMonthHeaderTheHolidayInTheTitleAndToday)
{
    MonthCalendar& month = *window_->monthCalendar();
    EXPECT_EQ(month.title->text(), QString("2000年1月"));
    EXPECT_EQ(month.previousMonth->accessibleName(), QString("前の月"));
    EXPECT_EQ(month.nextMonth->accessibleName(), QString("次の月"));
    month.nextMonth->click();
    EXPECT_EQ(month.title->text(), QString("2000年2月"));
    window_->calendar()->setSelectedDate(QDate(2000, 1, 10));
    EXPECT_EQ(window_->dayPanel()->title->text(), QString("1月10日　成人の日"));
    EXPECT_EQ(month.title->text(), QString("2000年1月"));
    month.todayButton->click();
    EXPECT_EQ(window_->calendar()->selectedDate(), QDate(2000, 1, 20));
    EXPECT_EQ(window_->dayPanel()->title->text(), QString("1月20日"));
    EXPECT_EQ(window_->panel(List::Birthdays).list->accessibleName(), QString("誕生日の一覧"));
    EXPECT_EQ(window_->panel(List::SpecialDays).list->accessibleName(), QString("特別日の一覧"));
    EXPECT_EQ(window_->panel(List::Sayings).list->accessibleName(), QString("言霊の一覧"));
}

// The note about entries after a gap in the letters offers to close the gap.
TEST_F(BookWindowTest, TheGapNoteClosesTheGap)
{
    test::writeBytes(path_, "[誕生日]\r\na01/20=甲\r\nc01/20=乙\r\n");
    window_ = std::make_unique<BookWindow>(services_);
    window_->show();
    ListPanel& p = window_->panel(List::Birthdays);
    EXPECT_TRUE(p.note->isVisible());
    EXPECT_TRUE(p.closeGap->isVisible());
    p.closeGap->click();
    EXPECT_EQ(bytes(), "[誕生日]\r\na01/20=甲\r\nb01/20=乙\r\n");
    EXPECT_EQ(rows(List::Birthdays), (QStringList{"a　甲", "b　乙"}));
    EXPECT_FALSE(p.note->isVisible());
    EXPECT_FALSE(p.closeGap->isVisible());
}

// An entry that the page would end in 「…」 is warned of while it is typed, and stored all the same.
TEST_F(BookWindowTest, AnEntryTooLongForThePageIsWarnedOfAndStored)
{
    window_->show();
    ListPanel& p = window_->panel(List::SpecialDays);
    p.first->insert("初天神");
    EXPECT_FALSE(p.fit->isVisible());
    const QString longText = QString("寿限無寿限無五劫の擦り切れ海砂利水魚の水行末雲来末風来末食う寝る処に住む処").repeated(2);
    p.first->clear();
    p.first->insert(longText);
    EXPECT_TRUE(p.fit->isVisible());
    EXPECT_TRUE(p.addClicked());
    EXPECT_EQ(rows(List::SpecialDays).size(), 2);
}

// At scale 2 on a 1920×1080 screen the logical screen is 960×540, less a panel: the window opens
// inside it, and its layout can be that small.
TEST_F(BookWindowTest, TheWindowFitsTheScreenArea)
{
    EXPECT_EQ(BookWindow::openingSize(QRect(0, 0, 1920, 1050)), QSize(820, 560));
    const QRect halfHd(0, 0, 960, 516);
    const QSize opening = BookWindow::openingSize(halfHd);
    EXPECT_LE(opening.width(), 944);
    EXPECT_LE(opening.height(), 468);
    const QSize least = window_->minimumSizeHint();
    EXPECT_LE(least.width(), opening.width());
    EXPECT_LE(least.height(), opening.height());
}

// プロフィール opens the profile window on the same file.
TEST_F(BookWindowTest, TheProfileButtonOpensTheProfileWindow)
{
    window_->show();
    QString opened;
    QTimer::singleShot(0, [&] {
        if (auto* profile = qobject_cast<ProfileDialog*>(QApplication::activeModalWidget())) {
            opened = profile->windowTitle();
            profile->reject();
        }
    });
    window_->profileButton()->click();
    EXPECT_EQ(opened, QString("プロフィール"));
}

}  // namespace
}  // namespace dovi
