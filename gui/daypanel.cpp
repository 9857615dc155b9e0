#include "gui/daypanel.h"

#include "book/holidaytable.h"
#include "gui/monthcalendar.h"
#include "gui/widgetkit.h"
#include "texts/texts.h"

namespace dovi {

namespace {

// Each panel of the tab has letters of its own, so that an access key never means two buttons.
constexpr AccessKeys kBirthdayKeys{'A', 'C', 'R', 'U', 'W', 'N', 'M', 'Y', 'G'};
constexpr AccessKeys kSpecialDayKeys{'I', 'H', 'E', 'O', 'L', 'J', 'B', 'X', 'V'};

}  // namespace

DayPanel::DayPanel(SettingsFile& file, const Services& services, QWidget* parent) : QWidget(parent)
{
    title = new QLabel(this);
    title->setTextFormat(Qt::PlainText);
    title->setFont(pointFont(kPGothic, 12, true));
    birthdays = new ListPanel(birthdayList(), kBirthdayKeys, file, services, this);
    specialDays = new ListPanel(specialDayList(), kSpecialDayKeys, file, services, this);

    heading = new QVBoxLayout;
    heading->addWidget(title);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(heading);
    layout->addWidget(birthdays, 1);
    layout->addWidget(specialDays, 1);
}

void DayPanel::showDay(const BookSnapshot& snapshot, const QDate& day)
{
    const HolidayShown holiday = lookupHoliday(snapshot, toDate(day));
    if (holiday.mark) {
        const QString name = holiday.name.empty() ? qs(texts::kBookHoliday) : qs(holiday.name);
        title->setText(qs(texts::kBookHolidayTitle).arg(day.month()).arg(day.day()).arg(name));
    } else {
        title->setText(qs(texts::kBookDayTitle).arg(day.month()).arg(day.day()));
    }
    const std::string key = dateKey(toDate(day));
    birthdays->showEntries(snapshot, key, day.year());
    specialDays->showEntries(snapshot, key, day.year());
}

}  // namespace dovi
