#include "gui/bookwindow.h"

#include <QEvent>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QRegularExpressionValidator>
#include <QShortcut>
#include <QTextCharFormat>
#include <QVBoxLayout>

#include <algorithm>
#include <chrono>
#include <map>

#include "calendar/calendar.h"
#include "gui/failuretext.h"
#include "gui/widgetkit.h"
#include "book/bookedit.h"
#include "book/holidaytable.h"
#include "calendar/dateheader.h"
#include "texts/texts.h"
#include "gui/koyomicalendar.h"

namespace dovi {

namespace {

// The page's weekend colours, stored as 0x00BBGGRR.
QColor pageColor(std::uint32_t bgr)
{
    return QColor(static_cast<int>(bgr & 0xFF), static_cast<int>((bgr >> 8) & 0xFF), static_cast<int>((bgr >> 16) & 0xFF));
}
const QColor kSundayText = pageColor(kSundayColor);      // dark red
const QColor kSaturdayText = pageColor(kSaturdayColor);  // dark blue
const QColor kTodayBackground(0xFF, 0xE8, 0xA0);

QDate toQDate(Date date)
{
    return QDate(static_cast<int>(date.year()), static_cast<int>(static_cast<unsigned>(date.month())),
                 static_cast<int>(static_cast<unsigned>(date.day())));
}

Date toDate(const QDate& date)
{
    return std::chrono::year{date.year()} / std::chrono::month{static_cast<unsigned>(date.month())} /
           std::chrono::day{static_cast<unsigned>(date.day())};
}

std::string utf8(const QString& text) { return text.toStdString(); }

QLabel* plainText(const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    return label;
}

// Tooltips guess at rich text like labels do, and a holiday name comes from the file: its text is
// escaped inside a span, so that it shows exactly as stored.
QString plainToolTip(const QString& text)
{
    return QStringLiteral("<span>") + text.toHtmlEscaped() + QStringLiteral("</span>");
}

Book bookOf(BookWindow::List list)
{
    return list == BookWindow::List::Birthdays ? Book::Birthdays : Book::SpecialDays;
}

// A list row: the letter or number, a full-width blank, then the entry.
QString rowText(const QString& mark, const QString& entry) { return mark + QStringLiteral("\u3000") + entry; }

// After the list was filled anew: selects the entry that was selected before (value, at row then),
// at its old row if it is still there, else where it went; nothing when it is gone, so that a
// change cannot hit another entry that took its row.
void reselect(QListWidget& list, const std::vector<std::string>& values, int row, const std::string& value)
{
    const QSignalBlocker quiet(&list);  // the input fields keep what was typed
    if (row < 0)
        return;
    if (static_cast<std::size_t>(row) < values.size() && values[static_cast<std::size_t>(row)] == value) {
        list.setCurrentRow(row);
        return;
    }
    const auto found = std::find(values.begin(), values.end(), value);
    list.setCurrentRow(found == values.end() ? -1 : static_cast<int>(found - values.begin()));
}

// The value at the list's current row, "" when none.
std::string selectedValue(const BookWindow::Panel& p)
{
    const int row = p.list->currentRow();
    return row >= 0 && static_cast<std::size_t>(row) < p.seen.size() ? p.seen[static_cast<std::size_t>(row)]
                                                                    : std::string();
}

}  // namespace

BookWindow::BookWindow(Services services)
    : services_(std::move(services)), settings_(SettingsFile::pathIn(services_.currentDirectory()))
{
    setWindowTitle(qs(texts::kBookTitle));
    setWindowIcon(programIcon());
    setFont(pointFont(kPGothic, 10.5));

    tabs_ = new QTabWidget(this);
    auto* daysTab = new QWidget;
    auto* sayingsTab = new QWidget;
    tabs_->addTab(daysTab, qs(texts::kBookDaysTab));
    tabs_->addTab(sayingsTab, qs(texts::kBookSayingsTab));

    calendar_ = new KoyomiCalendar(daysTab);
    calendar_->setLocale(QLocale(QLocale::Japanese, QLocale::Japan));
    calendar_->setFirstDayOfWeek(Qt::Sunday);
    calendar_->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    calendar_->setGridVisible(true);
    QTextCharFormat sunday, saturday;
    sunday.setForeground(kSundayText);
    saturday.setForeground(kSaturdayText);
    calendar_->setWeekdayTextFormat(Qt::Sunday, sunday);
    calendar_->setWeekdayTextFormat(Qt::Saturday, saturday);
    calendar_->setSelectedDate(toQDate(services_.clock->now().date));
    dayTitle_ = plainText({}, daysTab);
    dayTitle_->setFont(pointFont(kPGothic, 12, true));
    koyomiDay_ = new KoyomiDayPanel(
        static_cast<KoyomiCalendar*>(calendar_),
        [this](KoyomiSwitch which, bool on) { return storeKoyomiSwitch(settings_, which, on); },
        [this](const WriteResult& result) { services_.showMessage(qs(texts::kBookTitle), failureText(result)); },
        daysTab);

    panels_[0] = makePanel(List::Birthdays, daysTab);
    panels_[1] = makePanel(List::SpecialDays, daysTab);
    panels_[2] = makePanel(List::Sayings, sayingsTab);

    auto* left = new QVBoxLayout;
    left->addWidget(calendar_);
    left->addStretch();
    auto* right = new QVBoxLayout;
    right->addWidget(dayTitle_);
    right->addWidget(koyomiDay_);
    for (List list : {List::Birthdays, List::SpecialDays})
        right->addWidget(panel(list).list->parentWidget());
    auto* days = new QHBoxLayout(daysTab);
    days->addLayout(left);
    days->addLayout(right, 1);
    auto* sayings = new QVBoxLayout(sayingsTab);
    sayings->addWidget(panel(List::Sayings).list->parentWidget());

    auto* whole = new QVBoxLayout(this);
    whole->addWidget(tabs_);
    whole->addWidget(plainText(qs(texts::kBookFile).arg(QString::fromStdString(settings_.path().string())), this));
    resize(820, 560);

    connect(calendar_, &QCalendarWidget::selectionChanged, this, &BookWindow::dayChanged);
    connect(calendar_, &QCalendarWidget::currentPageChanged, this, &BookWindow::monthShown);
    connect(&watcher_, &QFileSystemWatcher::directoryChanged, this, &BookWindow::fileChanged);
    connect(&watcher_, &QFileSystemWatcher::fileChanged, this, &BookWindow::fileChanged);
    watchFile();
    fileChanged();
}

BookWindow::~BookWindow() = default;

BookWindow::Panel BookWindow::makePanel(List list, QWidget* parent)
{
    const bool sayings = list == List::Sayings;
    auto* box = new QGroupBox(qs(sayings                     ? texts::kBookSayings
                                 : list == List::Birthdays ? texts::kBookBirthdays
                                                           : texts::kBookSpecialDays),
                              parent);
    Panel p;
    p.list = new QListWidget(box);
    p.list->setSelectionMode(QAbstractItemView::SingleSelection);
    p.note = plainText({}, box);
    p.note->setWordWrap(true);
    p.note->hide();
    p.first = new QLineEdit(box);
    p.first->setPlaceholderText(qs(sayings ? texts::kBookSaying
                                   : list == List::Birthdays ? texts::kBookName
                                                             : texts::kBookText));
    if (list != List::SpecialDays) {
        p.second = new QLineEdit(box);
        p.second->setPlaceholderText(qs(sayings ? texts::kBookSource : texts::kBookYear));
        if (!sayings) {
            const QRegularExpression upToFourDigits(QStringLiteral("[0-9]{0,4}"));
            p.second->setValidator(new QRegularExpressionValidator(upToFourDigits, p.second));
            p.second->setMaximumWidth(170);
        }
    }
    p.add = new QPushButton(qs(texts::kBookAdd), box);
    p.change = new QPushButton(qs(texts::kBookChange), box);
    p.remove = new QPushButton(qs(texts::kBookRemove), box);
    p.up = new QPushButton(qs(texts::kBookUp), box);
    p.down = new QPushButton(qs(texts::kBookDown), box);
    for (QPushButton* button : {p.add, p.change, p.remove, p.up, p.down})
        button->setAutoDefault(false);

    auto* fields = new QHBoxLayout;
    fields->addWidget(p.first, 1);
    if (p.second)
        fields->addWidget(p.second, sayings ? 1 : 0);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* button : {p.add, p.change, p.remove, p.up, p.down})
        buttons->addWidget(button);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(box);
    layout->addWidget(p.list, 1);
    layout->addWidget(p.note);
    layout->addLayout(fields);
    layout->addLayout(buttons);

    connect(p.list, &QListWidget::currentRowChanged, this, [this, list] { entrySelected(list); });
    connect(p.add, &QPushButton::clicked, this, [this, list] { addClicked(list); });
    connect(p.change, &QPushButton::clicked, this, [this, list] { changeClicked(list); });
    connect(p.remove, &QPushButton::clicked, this, [this, list] { removeClicked(list); });
    connect(p.up, &QPushButton::clicked, this, [this, list] { moveClicked(list, -1); });
    connect(p.down, &QPushButton::clicked, this, [this, list] { moveClicked(list, +1); });
    connect(p.first, &QLineEdit::returnPressed, this, [this, list] { addClicked(list); });
    if (p.second)
        connect(p.second, &QLineEdit::returnPressed, this, [this, list] { addClicked(list); });
    // In the list: Delete removes, Alt+Up and Alt+Down move the entry.
    auto* removeKey = new QShortcut(QKeySequence::Delete, p.list);
    auto* upKey = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_Up), p.list);
    auto* downKey = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_Down), p.list);
    for (QShortcut* key : {removeKey, upKey, downKey})
        key->setContext(Qt::WidgetShortcut);
    connect(removeKey, &QShortcut::activated, this, [this, list] { removeClicked(list); });
    connect(upKey, &QShortcut::activated, this, [this, list] { moveClicked(list, -1); });
    connect(downKey, &QShortcut::activated, this, [this, list] { moveClicked(list, +1); });
    return p;
}

std::string BookWindow::selectedDayKey() const { return dateKey(toDate(calendar_->selectedDate())); }

void BookWindow::dayChanged()
{
    showDayLists();
}

void BookWindow::monthShown(int year, int month) { markMonth(year, month); }

void BookWindow::fileChanged()
{
    watchFile();
    koyomiDay_->showSettings(BookSnapshot::read(settings_).koyomiSettings());
    showDayLists();
    showSayings();
    markMonth(calendar_->yearShown(), calendar_->monthShown());
}

void BookWindow::changeEvent(QEvent* event)
{
    // Coming back to the window re-reads the file: a change made meanwhile shows at once, even
    // where the file system sends no notice.
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        fileChanged();
    QWidget::changeEvent(event);
}

void BookWindow::watchFile()
{
    // The settings file is replaced by a rename on every write, so the folder is watched, and the
    // file itself for editors that write in place.
    const QString folder = QString::fromStdString(settings_.path().parent_path().string());
    const QString file = QString::fromStdString(settings_.path().string());
    if (!folder.isEmpty() && !watcher_.directories().contains(folder))
        watcher_.addPath(folder);
    if (!watcher_.files().contains(file) && QFileInfo::exists(file))
        watcher_.addPath(file);
}

// Today, weekends (by the weekday formats), holidays in the page's dark red with their name as a
// tooltip, and days with entries in bold.
void BookWindow::markMonth(int year, int month)
{
    calendar_->setDateTextFormat(QDate(), QTextCharFormat());
    const Date today = services_.clock->now().date;
    // The year's holidays in one access to the file, rather than one per day.
    std::map<Date, std::string> holidays;
    const BookSnapshot snapshot = BookSnapshot::read(settings_);
    for (auto& [date, holiday] : holidaysOfYear(snapshot, year))
        if (static_cast<unsigned>(date.month()) == static_cast<unsigned>(month))
            holidays.emplace(date, std::move(holiday.name));
    const QDate first(year, month, 1);
    for (int day = 1; day <= first.daysInMonth(); ++day) {
        const QDate shown(year, month, day);
        const Date date = toDate(shown);
        QTextCharFormat format;
        if (const auto holiday = holidays.find(date); holiday != holidays.end()) {
            format.setForeground(kSundayText);
            format.setToolTip(plainToolTip(qs(holiday->second)));
        }
        const std::string key = dateKey(date);
        if (!snapshot.day(Book::Birthdays, key).shown.empty() || !snapshot.day(Book::SpecialDays, key).shown.empty())
            format.setFontWeight(QFont::Bold);
        if (date == today) {
            format.setBackground(kTodayBackground);
            format.setFontUnderline(true);
        }
        if (format.propertyCount() > 0)
            calendar_->setDateTextFormat(shown, format);
    }
}

void BookWindow::showDayLists()
{
    const QDate day = calendar_->selectedDate();
    dayTitle_->setText(qs(texts::kBookDayTitle).arg(day.month()).arg(day.day()));
    koyomiDay_->showDay(toDate(day));
    const std::string key = selectedDayKey();
    const bool sameDay = key == shownDay_;
    for (List list : {List::Birthdays, List::SpecialDays}) {
        Panel& p = panel(list);
        const BookDay entries = readBookDay(settings_, bookOf(list), key);
        const int row = p.list->currentRow();
        const std::string value = selectedValue(p);
        const QSignalBlocker quiet(p.list);
        p.list->clear();
        for (std::size_t i = 0; i < entries.shown.size(); ++i) {
            const QString letter(QChar(u'a' + static_cast<char16_t>(i)));
            QString entry = qs(entries.shown[i].value);
            if (list == List::Birthdays) {
                const BirthdayText birthday = readBirthday(entries.shown[i].value);
                entry = qs(birthday.name);
                if (birthday.year)
                    entry += qs(texts::kBookBornIn).arg(*birthday.year);
            }
            p.list->addItem(rowText(letter, entry));
        }
        p.seen = shownValues(entries);
        p.note->setText(qs(texts::kBookHidden).arg(entries.hidden.size()));
        p.note->setVisible(!entries.hidden.empty());
        reselect(*p.list, p.seen, sameDay ? row : -1, value);
    }
    shownDay_ = key;
}

void BookWindow::showSayings()
{
    Panel& p = panel(List::Sayings);
    const int row = p.list->currentRow();
    const std::string value = selectedValue(p);
    const QSignalBlocker quiet(p.list);
    p.list->clear();
    int number = 0;
    for (const Saying& saying : readSayings(settings_)) {
        QString entry = qs(saying.text);
        if (!saying.source.empty())
            entry += QStringLiteral("（") + qs(saying.source) + QStringLiteral("）");
        p.list->addItem(rowText(QString::number(++number), entry));
    }
    p.seen = sayingValues(settings_);
    reselect(*p.list, p.seen, row, value);
}

// Puts the selected entry into the input fields, for changing it.
void BookWindow::entrySelected(List list)
{
    Panel& p = panel(list);
    const int row = p.list->currentRow();
    if (row < 0 || static_cast<std::size_t>(row) >= p.seen.size())
        return;
    const std::string& value = p.seen[static_cast<std::size_t>(row)];
    if (list == List::Birthdays) {
        const BirthdayText birthday = readBirthday(value);
        p.first->setText(qs(birthday.name));
        p.second->setText(birthday.year ? QString::number(*birthday.year).rightJustified(4, QLatin1Char('0'))
                                        : QString());
    } else if (list == List::SpecialDays) {
        p.first->setText(qs(value));
    } else {
        const Saying saying = splitSaying(value);
        p.first->setText(qs(saying.text));
        p.second->setText(qs(saying.source));
    }
}

bool BookWindow::typedValue(List list, std::string& value)
{
    Panel& p = panel(list);
    WriteResult result;
    if (list == List::Birthdays) {
        const QString yearText = p.second->text().trimmed();
        if (!yearText.isEmpty() && yearText.size() != 4) {
            services_.showMessage(qs(texts::kBookTitle), qs(texts::kBookBadYear));
            return false;
        }
        result = birthdayValue(utf8(p.first->text()),
                               yearText.isEmpty() ? std::nullopt : std::optional<int>(yearText.toInt()), value);
    } else if (list == List::SpecialDays) {
        result = specialDayValue(utf8(p.first->text()), value);
    } else {
        result = sayingValue(utf8(p.first->text()), utf8(p.second->text()), value);
    }
    if (!result.ok)
        services_.showMessage(qs(texts::kBookTitle), failureText(result));
    return result.ok;
}

void BookWindow::changeDone(List list, const WriteResult& result, int row)
{
    fileChanged();
    Panel& p = panel(list);
    if (result.ok) {
        const QSignalBlocker quiet(p.list);  // the fields keep what was typed, not the row's old text
        p.list->setCurrentRow(std::min(row, p.list->count() - 1));
    } else {
        services_.showMessage(qs(texts::kBookTitle), failureText(result));
    }
}

void BookWindow::addClicked(List list)
{
    std::string value;
    if (!typedValue(list, value))
        return;
    Panel& p = panel(list);
    WriteResult result;
    int row = p.list->count();
    if (list == List::Sayings) {
        int number = 0;
        result = addSaying(settings_, value, &number);
        row = number - 1;
    } else {
        std::string key;
        result = addBookEntry(settings_, bookOf(list), selectedDayKey(), value, &key);
        if (result.ok)
            row = key[0] - 'a';
    }
    changeDone(list, result, row);
    if (result.ok) {
        p.first->clear();
        if (p.second)
            p.second->clear();
        p.first->setFocus();
    }
}

void BookWindow::changeClicked(List list)
{
    Panel& p = panel(list);
    const int row = p.list->currentRow();
    if (row < 0) {
        services_.showMessage(qs(texts::kBookTitle), qs(texts::kBookNoSelection));
        return;
    }
    std::string value;
    if (!typedValue(list, value))
        return;
    const WriteResult result = list == List::Sayings
                                   ? editSaying(settings_, row + 1, value, p.seen)
                                   : editBookEntry(settings_, bookOf(list), selectedDayKey(), row, value, p.seen);
    changeDone(list, result, row);
}

void BookWindow::removeClicked(List list)
{
    Panel& p = panel(list);
    const int row = p.list->currentRow();
    if (row < 0) {
        services_.showMessage(qs(texts::kBookTitle), qs(texts::kBookNoSelection));
        return;
    }
    // The removal names the entry as the question showed it: the list may be read anew while the
    // question is open, and another entry may then stand in that row.
    const std::vector<std::string> seen = p.seen;
    const std::string day = selectedDayKey();
    if (!services_.confirm(qs(texts::kBookTitle), qs(texts::kBookConfirmRemove).arg(p.list->item(row)->text())))
        return;
    const WriteResult result = list == List::Sayings ? removeSaying(settings_, row + 1, seen)
                                                     : removeBookEntry(settings_, bookOf(list), day, row, seen);
    changeDone(list, result, row);
    if (result.ok)
        entrySelected(list);
}

void BookWindow::moveClicked(List list, int step)
{
    Panel& p = panel(list);
    const int row = p.list->currentRow();
    const int to = row + step;
    if (row < 0 || to < 0 || to >= p.list->count())
        return;
    const WriteResult result = list == List::Sayings
                                   ? moveSaying(settings_, row + 1, to + 1, p.seen)
                                   : moveBookEntry(settings_, bookOf(list), selectedDayKey(), row, to, p.seen);
    changeDone(list, result, result.ok ? to : row);
}

}  // namespace dovi
