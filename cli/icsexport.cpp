#include "cli/icsexport.h"

#include <libical/ical.h>

#include <chrono>
#include <memory>
#include <string_view>

#include "calendar/calendar.h"
#include "page/bookedit.h"
#include "texts/texts.h"

namespace dovi::cli {

namespace {

constexpr int kFirstYear = 2000;  // a leap year: every month and day of the book is a real date in it

struct ComponentFree {
    void operator()(icalcomponent* component) const { icalcomponent_free(component); }
};
using Component = std::unique_ptr<icalcomponent, ComponentFree>;

// The UID of an entry: its kind, the month, the day and the letter ("birthday-07-05-a@dovi").
std::string uidOf(std::string_view kind, std::string_view dateKey, int index)
{
    std::string uid(kind);
    uid += '-';
    uid += dateKey.substr(0, 2);
    uid += '-';
    uid += dateKey.substr(3, 2);
    uid += '-';
    uid += static_cast<char>('a' + index);
    uid += "@dovi";
    return uid;
}

icalcomponent* yearlyEvent(const std::string& uid, Date date, const std::string& summary,
                           const std::string& description, const icaltimetype& stamp)
{
    icaltimetype start = icaltime_null_date();
    start.year = static_cast<int>(date.year());
    start.month = static_cast<int>(static_cast<unsigned>(date.month()));
    start.day = static_cast<int>(static_cast<unsigned>(date.day()));

    icalrecurrencetype yearly;
    icalrecurrencetype_clear(&yearly);
    yearly.freq = ICAL_YEARLY_RECURRENCE;

    icalcomponent* event = icalcomponent_new_vevent();
    icalcomponent_add_property(event, icalproperty_new_uid(uid.c_str()));
    icalcomponent_add_property(event, icalproperty_new_dtstamp(stamp));
    icalcomponent_add_property(event, icalproperty_new_dtstart(start));
    icalcomponent_add_property(event, icalproperty_new_rrule(yearly));
    icalcomponent_add_property(event, icalproperty_new_summary(summary.c_str()));
    if (!description.empty())
        icalcomponent_add_property(event, icalproperty_new_description(description.c_str()));
    icalcomponent_add_property(event, icalproperty_new_transp(ICAL_TRANSP_TRANSPARENT));
    return event;
}

}  // namespace

std::string bookCalendar(SettingsStore& settings, std::time_t stamp)
{
    Component calendar(icalcomponent_new_vcalendar());
    icalcomponent_add_property(calendar.get(), icalproperty_new_version("2.0"));
    icalcomponent_add_property(calendar.get(), icalproperty_new_prodid("-//dovi//dovi-cli//JA"));
    icalcomponent_add_property(calendar.get(), icalproperty_new_calscale("GREGORIAN"));
    const icaltimetype stampTime = icaltime_from_timet_with_zone(stamp, 0, icaltimezone_get_utc_timezone());

    const std::chrono::sys_days first{std::chrono::year{kFirstYear} / 1 / 1};
    const std::chrono::sys_days last{std::chrono::year{kFirstYear} / 12 / 31};
    for (const bool birthdays : {true, false}) {
        const std::string_view section = birthdays ? texts::kBirthdayBook : texts::kSpecialDays;
        for (std::chrono::sys_days day = first; day <= last; day += std::chrono::days{1}) {
            const Date date{day};
            const std::string key = dateKey(date);
            const BookDay entries = readBookDay(settings, section, key);
            for (std::size_t i = 0; i < entries.shown.size(); ++i) {
                const std::string& value = entries.shown[i].value;
                std::string summary = value, description;
                if (birthdays) {
                    const BirthdayText birthday = readBirthday(value);
                    summary = birthday.name + std::string(texts::kPlainBirthday);
                    if (birthday.year)
                        description = std::to_string(*birthday.year) + std::string(texts::kBornInYear);
                }
                icalcomponent_add_component(
                    calendar.get(), yearlyEvent(uidOf(birthdays ? "birthday" : "special", key, static_cast<int>(i)),
                                                date, summary, description, stampTime));
            }
        }
    }
    char* text = icalcomponent_as_ical_string_r(calendar.get());
    std::string result = text ? text : "";
    icalmemory_free_buffer(text);
    return result;
}

}  // namespace dovi::cli
