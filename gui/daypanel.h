// The right half of the book window's first tab: the day chosen in the calendar as its title (with
// the name of its holiday), then its birthdays and its special days. Further lines about the day
// go into the heading, under the title.
#pragma once

#include <QDate>
#include <QLabel>
#include <QVBoxLayout>
#include <QWidget>

#include "gui/listpanel.h"

namespace dovi {

class DayPanel final : public QWidget {
    Q_OBJECT
public:
    DayPanel(SettingsFile& file, const Services& services, QWidget* parent);

    // Shows day as snapshot holds it.
    void showDay(const BookSnapshot& snapshot, const QDate& day);

    QLabel* title = nullptr;
    QVBoxLayout* heading = nullptr;  // the title and the lines under it
    ListPanel* birthdays = nullptr;
    ListPanel* specialDays = nullptr;
};

}  // namespace dovi
