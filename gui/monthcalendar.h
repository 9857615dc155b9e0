// The book window's month calendar: a header 「2026年12月」 between the previous- and next-month
// buttons, a 今日 button, and the grid of days. The grid marks today, the weekends and holidays in
// the page's colours (a holiday's name as its tooltip), and days with entries in bold. Marks of a
// day are set in markMonth(), one place for whatever a cell shows beyond its number.
#pragma once

#include <QCalendarWidget>
#include <QLabel>
#include <QToolButton>
#include <QPushButton>
#include <QWidget>

#include "book/snapshot.h"
#include "calendar/calendar.h"
#include "gui/koyomicalendar.h"

namespace dovi {

QDate toQDate(Date date);
Date toDate(const QDate& date);

class MonthCalendar final : public QWidget {
    Q_OBJECT
public:
    MonthCalendar(Date today, QWidget* parent);

    QCalendarWidget* grid() const { return grid_; }
    QDate selectedDate() const { return grid_->selectedDate(); }
    // Chooses date without telling anyone (no dayChosen()), as when a change of day is taken back.
    void restoreSelection(const QDate& date);
    // Marks the month shown with the entries and holidays of snapshot.
    void markMonth(const BookSnapshot& snapshot);
    // The header's text for the month shown: 「2026年12月」.
    QString monthTitle() const;

    QToolButton* previousMonth = nullptr;
    QToolButton* nextMonth = nullptr;
    QLabel* title = nullptr;
    QPushButton* todayButton = nullptr;

signals:
    void dayChosen();
    void monthShown();

private:
    void showToday();
    void pageChanged();

    Date today_;
    KoyomiCalendar* grid_ = nullptr;
};

}  // namespace dovi
