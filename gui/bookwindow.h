// The birthday book window 「デイリオ 誕生日帳」: pick a day in a month calendar, see its birthdays
// and special days, and add, change, remove and reorder them; a second tab does the same for the
// sayings. Every list is a ListPanel over the BookList that knows it. Every change goes to the
// settings file at once, as one replacement; a refusal is shown in Japanese and what the user
// typed stays. Changes by other programs show up by themselves. Typed text is never dropped
// without asking, when another day, another tab or the window's end would drop it.
#pragma once

#include <QCloseEvent>
#include <QFileSystemWatcher>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QWidget>

#include <array>

#include "gui/daypanel.h"
#include "gui/koyomicalendar.h"
#include "gui/listpanel.h"
#include "gui/monthcalendar.h"
#include "gui/services.h"
#include "settings/settingsfile.h"

namespace dovi {

class BookWindow final : public QWidget {
    Q_OBJECT
public:
    // The lists the window edits.
    enum class List { Birthdays = 0, SpecialDays = 1, Sayings = 2 };

    // Works on dovi.ini in the services' current directory; today comes from the services' clock.
    explicit BookWindow(Services services);
    ~BookWindow() override;

    ListPanel& panel(List list) { return *panels_[static_cast<std::size_t>(list)]; }
    MonthCalendar* monthCalendar() const { return calendar_; }
    QCalendarWidget* calendar() const { return calendar_->grid(); }
    DayPanel* dayPanel() const { return day_; }
    // The chosen day's 暦 and the switches of the 暦, under the calendar.
    KoyomiDayPanel* koyomiPanel() const { return koyomi_; }
    QTabWidget* tabs() const { return tabs_; }
    QLabel* readOnlyNote() const { return readOnly_; }
    QPushButton* profileButton() const { return profile_; }

    // The size the window opens with: its designed size, made smaller to fit screenArea (the
    // screen's available area, in logical pixels) with the window frame around it.
    static QSize openingSize(const QRect& screenArea);

    // Event handlers.
    void dayChanged();
    void tabChanged(int index);
    void profileClicked();
    // Reads the file again and shows what it holds now, keeping the entries being changed and
    // the typed text.
    void fileChanged();

protected:
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void watchFile();
    // The panels whose typed text would be lost; true when the caller may go on.
    bool settle(std::initializer_list<List> lists);

    Services services_;
    SettingsFile settings_;
    QTabWidget* tabs_ = nullptr;
    MonthCalendar* calendar_ = nullptr;
    DayPanel* day_ = nullptr;
    KoyomiDayPanel* koyomi_ = nullptr;
    QLabel* readOnly_ = nullptr;
    QPushButton* profile_ = nullptr;
    std::array<ListPanel*, 3> panels_{};
    QDate shownDay_;  // the day whose entries the panels show: the calendar's, once typed text is settled
    int shownTab_ = 0;
    QFileSystemWatcher watcher_;
};

}  // namespace dovi
