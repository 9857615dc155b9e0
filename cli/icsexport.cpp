#include "cli/icsexport.h"

#include <dlfcn.h>
#include <libical/ical.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "calendar/calendar.h"
#include "calendar/koyomi.h"
#include "page/bookedit.h"
#include "texts/texts.h"

namespace dovi::cli {

namespace {

// The functions of libical that the export calls.
#define DOVI_ICAL_FUNCTIONS(F)                                                                            \
    F(icalcomponent_add_component) F(icalcomponent_add_property) F(icalcomponent_as_ical_string_r)       \
    F(icalcomponent_free) F(icalcomponent_new_vcalendar) F(icalcomponent_new_vevent)                     \
    F(icalmemory_free_buffer) F(icalproperty_new_calscale) F(icalproperty_new_description)               \
    F(icalproperty_new_dtstamp) F(icalproperty_new_dtstart) F(icalproperty_new_prodid)                   \
    F(icalproperty_new_rrule) F(icalproperty_new_summary) F(icalproperty_new_transp)                     \
    F(icalproperty_new_uid) F(icalproperty_new_version) F(icalrecurrencetype_clear)                      \
    F(icaltime_from_timet_with_zone) F(icaltime_null_date) F(icaltimezone_get_utc_timezone)

// libical, opened by the first export rather than linked: loading it, and ICU's i18n library that
// it needs, would cost every start of dovi-cli about half a millisecond, for one command that
// seldom runs. Each member points to the function of the same name.
struct Ical {
#define DOVI_ICAL_MEMBER(name) decltype(&::name) name = nullptr;
    DOVI_ICAL_FUNCTIONS(DOVI_ICAL_MEMBER)
#undef DOVI_ICAL_MEMBER
};

// The library with every function found, or nullptr with error saying why.
const Ical* openIcal(std::string& error)
{
    static const Ical* const loaded = [&]() -> const Ical* {
        void* const library = ::dlopen(DOVI_LIBICAL_SONAME, RTLD_NOW | RTLD_LOCAL);
        if (!library) {
            const char* const why = ::dlerror();
            error = why ? why : "";
            return nullptr;
        }
        static Ical ical;
#define DOVI_ICAL_LOOKUP(name)                                                                             \
    ical.name = reinterpret_cast<decltype(&::name)>(::dlsym(library, #name));                             \
    if (!ical.name) {                                                                                      \
        error = std::string(DOVI_LIBICAL_SONAME) + " has no function " #name;                              \
        return nullptr;                                                                                    \
    }
        DOVI_ICAL_FUNCTIONS(DOVI_ICAL_LOOKUP)
#undef DOVI_ICAL_LOOKUP
        return &ical;
    }();
    if (!loaded && error.empty())
        error = "the library " + std::string(DOVI_LIBICAL_SONAME) + " could not be opened";
    return loaded;
}

constexpr int kFirstYear = 2000;  // a leap year: every month and day of the book is a real date in it

struct ComponentFree {
    const Ical* ical;
    void operator()(icalcomponent* component) const { ical->icalcomponent_free(component); }
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

icalcomponent* yearlyEvent(const Ical& ical, const std::string& uid, Date date, const std::string& summary,
                           const std::string& description, const icaltimetype& stamp, bool recurring = true)
{
    icaltimetype start = ical.icaltime_null_date();
    start.year = static_cast<int>(date.year());
    start.month = static_cast<int>(static_cast<unsigned>(date.month()));
    start.day = static_cast<int>(static_cast<unsigned>(date.day()));

    icalrecurrencetype yearly;
    ical.icalrecurrencetype_clear(&yearly);
    yearly.freq = ICAL_YEARLY_RECURRENCE;

    icalcomponent* event = ical.icalcomponent_new_vevent();
    ical.icalcomponent_add_property(event, ical.icalproperty_new_uid(uid.c_str()));
    ical.icalcomponent_add_property(event, ical.icalproperty_new_dtstamp(stamp));
    ical.icalcomponent_add_property(event, ical.icalproperty_new_dtstart(start));
    if (recurring)
        ical.icalcomponent_add_property(event, ical.icalproperty_new_rrule(yearly));
    ical.icalcomponent_add_property(event, ical.icalproperty_new_summary(summary.c_str()));
    if (!description.empty())
        ical.icalcomponent_add_property(event, ical.icalproperty_new_description(description.c_str()));
    ical.icalcomponent_add_property(event, ical.icalproperty_new_transp(ICAL_TRANSP_TRANSPARENT));
    return event;
}

}  // namespace

std::optional<std::string> bookCalendar(SettingsStore& settings, std::time_t stamp, std::string& error)
{
    const Ical* const lib = openIcal(error);
    if (!lib)
        return std::nullopt;
    const Ical& ical = *lib;
    Component calendar(ical.icalcomponent_new_vcalendar(), ComponentFree{lib});
    ical.icalcomponent_add_property(calendar.get(), ical.icalproperty_new_version("2.0"));
    ical.icalcomponent_add_property(calendar.get(), ical.icalproperty_new_prodid("-//dovi//dovi-cli//JA"));
    ical.icalcomponent_add_property(calendar.get(), ical.icalproperty_new_calscale("GREGORIAN"));
    const icaltimetype stampTime = ical.icaltime_from_timet_with_zone(stamp, 0, ical.icaltimezone_get_utc_timezone());

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
                ical.icalcomponent_add_component(
                    calendar.get(), yearlyEvent(ical, uidOf(birthdays ? "birthday" : "special", key, static_cast<int>(i)),
                                                date, summary, description, stampTime));
            }
        }
    }
    char* text = ical.icalcomponent_as_ical_string_r(calendar.get());
    std::string result = text ? text : "";
    ical.icalmemory_free_buffer(text);
    return result;
}

std::optional<std::string> koyomiCalendar(int year, std::time_t stamp, std::string& error)
{
    const Ical* const lib = openIcal(error);
    if (!lib)
        return std::nullopt;
    const Ical& ical = *lib;
    Component calendar(ical.icalcomponent_new_vcalendar(), ComponentFree{lib});
    ical.icalcomponent_add_property(calendar.get(), ical.icalproperty_new_version("2.0"));
    ical.icalcomponent_add_property(calendar.get(), ical.icalproperty_new_prodid("-//dovi//dovi-cli//JA"));
    ical.icalcomponent_add_property(calendar.get(), ical.icalproperty_new_calscale("GREGORIAN"));
    const icaltimetype stampTime = ical.icaltime_from_timet_with_zone(stamp, 0, ical.icaltimezone_get_utc_timezone());

    const std::chrono::year y{year};
    for (const Koyomi& day : koyomiRange(y / 1 / 1, y / 12 / 31)) {
        std::vector<std::string> names;
        for (const int term : day.solarTerms)
            names.emplace_back(solarTermName(term));
        for (const Zassetsu z : day.zassetsu)
            names.emplace_back(zassetsuName(z));
        for (std::size_t i = 0; i < names.size(); ++i) {
            char uid[48];
            std::snprintf(uid, sizeof uid, "koyomi-%04d-%02u-%02u-%zu@dovi", year,
                          static_cast<unsigned>(day.date.month()), static_cast<unsigned>(day.date.day()), i);
            ical.icalcomponent_add_component(calendar.get(),
                                             yearlyEvent(ical, uid, day.date, names[i], {}, stampTime, false));
        }
    }
    char* text = ical.icalcomponent_as_ical_string_r(calendar.get());
    std::string result = text ? text : "";
    ical.icalmemory_free_buffer(text);
    return result;
}

}  // namespace dovi::cli
