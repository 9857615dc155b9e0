// The birthday book window 「デイリオ 誕生日帳」: pick a day in a month calendar, see its birthdays
// and special days, and add, change, remove and reorder them; a second tab does the same for the
// sayings. Every change goes to the settings file at once, as one replacement; a refusal is shown
// in Japanese and what the user typed stays. Changes by other programs show up by themselves.
#pragma once

#include <QCalendarWidget>
#include <QFileSystemWatcher>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QWidget>

#include <array>
#include <string>
#include <vector>

#include "gui/services.h"
#include "settings/settingsfile.h"

namespace dovi {

class KoyomiDayPanel;

class BookWindow final : public QWidget {
    Q_OBJECT
public:
    // The lists the window edits.
    enum class List { Birthdays = 0, SpecialDays = 1, Sayings = 2 };

    // One list with its input fields and buttons. second is the year of birth for the birthdays,
    // the source for the sayings, and nullptr for the special days.
    struct Panel {
        QListWidget* list = nullptr;
        QLineEdit* first = nullptr;
        QLineEdit* second = nullptr;
        QLabel* note = nullptr;  // entries the page never shows, when there are any
        QPushButton* add = nullptr;
        QPushButton* change = nullptr;
        QPushButton* remove = nullptr;
        QPushButton* up = nullptr;
        QPushButton* down = nullptr;
        std::vector<std::string> seen;  // the values listed, in order: what a change expects to find
    };

    // Works on dovi.ini in the services' current directory; today comes from the services' clock.
    explicit BookWindow(Services services);
    ~BookWindow() override;

    Panel& panel(List list) { return panels_[static_cast<std::size_t>(list)]; }
    QCalendarWidget* calendar() const { return calendar_; }
    QTabWidget* tabs() const { return tabs_; }
    // The selected day's 暦 and the switches of the 暦.
    KoyomiDayPanel* koyomiDay() const { return koyomiDay_; }

    // Event handlers.
    void dayChanged();
    void monthShown(int year, int month);
    void entrySelected(List list);
    void addClicked(List list);
    void changeClicked(List list);
    void removeClicked(List list);
    void moveClicked(List list, int step);
    // Reads the file again and shows what it holds now, keeping the selection and the typed text.
    void fileChanged();

protected:
    void changeEvent(QEvent* event) override;

private:
    Panel makePanel(List list, QWidget* parent);
    void showDayLists();
    void showSayings();
    void markMonth(int year, int month);
    void watchFile();
    // The value that the input fields of list make, or a refusal already shown.
    bool typedValue(List list, std::string& value);
    // Shows the outcome of a change: on success the new state (with row selected), otherwise the
    // reason; the typed text stays either way.
    void changeDone(List list, const WriteResult& result, int row);
    std::string selectedDayKey() const;

    Services services_;
    SettingsFile settings_;
    QTabWidget* tabs_ = nullptr;
    QCalendarWidget* calendar_ = nullptr;
    QLabel* dayTitle_ = nullptr;
    KoyomiDayPanel* koyomiDay_ = nullptr;
    std::string shownDay_;  // the date key whose entries the lists show
    std::array<Panel, 3> panels_;
    QFileSystemWatcher watcher_;
};

}  // namespace dovi
