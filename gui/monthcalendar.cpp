#include "gui/monthcalendar.h"

#include <QHBoxLayout>
#include <QTextCharFormat>
#include <QVBoxLayout>

#include <map>

#include "book/holidaytable.h"
#include "calendar/dateheader.h"
#include "gui/widgetkit.h"
#include "texts/texts.h"

namespace dovi {

namespace {

const QColor kSundayText = storedColor(kSundayColor);      // dark red
const QColor kSaturdayText = storedColor(kSaturdayColor);  // dark blue
const QColor kTodayBackground(0xFF, 0xE8, 0xA0);

// Tooltips guess at rich text like labels do, and a holiday name comes from the file: its text is
// escaped inside a span, so that it shows exactly as stored.
QString plainToolTip(const QString& text)
{
    return QStringLiteral("<span>") + text.toHtmlEscaped() + QStringLiteral("</span>");
}

}  // namespace

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

MonthCalendar::MonthCalendar(Date today, QWidget* parent) : QWidget(parent), today_(today)
{
    grid_ = new KoyomiCalendar(this);
    grid_->setLocale(QLocale(QLocale::Japanese, QLocale::Japan));
    grid_->setFirstDayOfWeek(Qt::Sunday);
    grid_->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    grid_->setGridVisible(true);
    // Qt's own header reads 「12月 2026」: the header above is written the Japanese way.
    grid_->setNavigationBarVisible(false);
    grid_->setAccessibleName(qs(texts::kBookCalendar));
    QTextCharFormat sunday, saturday;
    sunday.setForeground(kSundayText);
    saturday.setForeground(kSaturdayText);
    grid_->setWeekdayTextFormat(Qt::Sunday, sunday);
    grid_->setWeekdayTextFormat(Qt::Saturday, saturday);
    grid_->setSelectedDate(toQDate(today));

    previousMonth = new QToolButton(this);
    previousMonth->setArrowType(Qt::LeftArrow);
    previousMonth->setAccessibleName(qs(texts::kBookPreviousMonth));
    previousMonth->setToolTip(qs(texts::kBookPreviousMonth));
    nextMonth = new QToolButton(this);
    nextMonth->setArrowType(Qt::RightArrow);
    nextMonth->setAccessibleName(qs(texts::kBookNextMonth));
    nextMonth->setToolTip(qs(texts::kBookNextMonth));
    title = new QLabel(this);
    title->setTextFormat(Qt::PlainText);
    title->setAlignment(Qt::AlignCenter);
    title->setFont(pointFont(kPGothic, 12, true));
    title->setAccessibleDescription(qs(texts::kBookMonthShown));
    todayButton = new QPushButton(qs(texts::kBookToday), this);
    todayButton->setAutoDefault(false);

    auto* header = new QHBoxLayout;
    header->addWidget(previousMonth);
    header->addWidget(title, 1);
    header->addWidget(nextMonth);
    header->addWidget(todayButton);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(header);
    layout->addWidget(grid_);

    connect(previousMonth, &QToolButton::clicked, grid_, &QCalendarWidget::showPreviousMonth);
    connect(nextMonth, &QToolButton::clicked, grid_, &QCalendarWidget::showNextMonth);
    connect(todayButton, &QPushButton::clicked, this, &MonthCalendar::showToday);
    connect(grid_, &QCalendarWidget::selectionChanged, this, &MonthCalendar::dayChosen);
    connect(grid_, &QCalendarWidget::currentPageChanged, this, &MonthCalendar::pageChanged);
    title->setText(monthTitle());
}

QString MonthCalendar::monthTitle() const
{
    return qs(texts::kBookMonth).arg(grid_->yearShown()).arg(grid_->monthShown());
}

void MonthCalendar::restoreSelection(const QDate& date)
{
    const QSignalBlocker quiet(grid_);
    grid_->setSelectedDate(date);
    grid_->setCurrentPage(date.year(), date.month());
    title->setText(monthTitle());
}

void MonthCalendar::showToday()
{
    grid_->setSelectedDate(toQDate(today_));
    grid_->showSelectedDate();
    grid_->setFocus();
}

void MonthCalendar::pageChanged()
{
    title->setText(monthTitle());
    emit monthShown();
}

void MonthCalendar::markMonth(const BookSnapshot& snapshot)
{
    const int year = grid_->yearShown();
    const int month = grid_->monthShown();
    grid_->setDateTextFormat(QDate(), QTextCharFormat());
    grid_->setKoyomiSettings(snapshot.koyomiSettings());
    std::map<Date, std::string> holidays;
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
        if (date == today_) {
            format.setBackground(kTodayBackground);
            format.setFontUnderline(true);
        }
        if (format.propertyCount() > 0)
            grid_->setDateTextFormat(shown, format);
    }
}

}  // namespace dovi
