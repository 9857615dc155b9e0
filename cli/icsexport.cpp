#include "cli/icsexport.h"

#include <dlfcn.h>
#include <libical/ical.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <map>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "calendar/calendar.h"
#include "book/bookedit.h"
#include "calendar/koyomi.h"
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

// text without the control characters that iCalendar TEXT values may not hold (C0 controls other
// than TAB, DEL) and the C1 controls U+0080 to U+009F, which terminals act on.
std::string textValue(std::string_view text)
{
    std::string kept;
    kept.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        const auto next = i + 1 < text.size() ? static_cast<unsigned char>(text[i + 1]) : 0u;
        if ((byte < 0x20 && byte != '\t') || byte == 0x7F)
            continue;
        if (byte == 0xC2 && next >= 0x80 && next <= 0x9F) {
            ++i;
            continue;
        }
        kept += text[i];
    }
    return kept;
}

// The UID of an entry: its kind, the month and day, and a hash of its stored value (name and
// year of birth, or the special day's text), so that an entry keeps its UID when others are
// added, removed or moved, and no other entry gets it ("birthday-07-05-3f1c9a0b27d4e815@dovi").
// occurrence tells apart equal entries of one day: the second gets "-2".
std::string uidOf(std::string_view kind, std::string_view dateKey, std::string_view value, int occurrence)
{
    std::uint64_t hash = 14695981039346656037ull;  // FNV-1a, 64 bits
    for (const char c : value)
        hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    char hex[17];
    std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(hash));
    std::string uid(kind);
    uid += '-';
    uid += dateKey.substr(0, 2);
    uid += '-';
    uid += dateKey.substr(3, 2);
    uid += '-';
    uid += hex;
    if (occurrence > 1) {
        uid += '-';  // appended apart: GCC 12 warns falsely (-Wrestrict) about "-" + std::to_string
        uid += std::to_string(occurrence);
    }
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
    ical.icalcomponent_add_property(event, ical.icalproperty_new_summary(textValue(summary).c_str()));
    if (!description.empty())
        ical.icalcomponent_add_property(event, ical.icalproperty_new_description(textValue(description).c_str()));
    ical.icalcomponent_add_property(event, ical.icalproperty_new_transp(ICAL_TRANSP_TRANSPARENT));
    return event;
}

// An empty VCALENDAR with the version, product and calendar scale every export names.
Component newCalendar(const Ical& ical)
{
    Component calendar(ical.icalcomponent_new_vcalendar(), ComponentFree{&ical});
    ical.icalcomponent_add_property(calendar.get(), ical.icalproperty_new_version("2.0"));
    ical.icalcomponent_add_property(calendar.get(), ical.icalproperty_new_prodid("-//dovi//dovi-cli//JA"));
    ical.icalcomponent_add_property(calendar.get(), ical.icalproperty_new_calscale("GREGORIAN"));
    return calendar;
}

// The iCalendar text of calendar, folded and escaped by libical.
std::string calendarText(const Ical& ical, const Component& calendar)
{
    char* text = ical.icalcomponent_as_ical_string_r(calendar.get());
    std::string result = text ? text : "";
    ical.icalmemory_free_buffer(text);
    return result;
}

}  // namespace

std::optional<std::string> bookCalendar(SettingsStore& settings, std::time_t stamp, std::string& error)
{
    const Ical* const lib = openIcal(error);
    if (!lib)
        return std::nullopt;
    const Ical& ical = *lib;
    Component calendar = newCalendar(*lib);
    const icaltimetype stampTime = ical.icaltime_from_timet_with_zone(stamp, 0, ical.icaltimezone_get_utc_timezone());

    const std::chrono::sys_days first{std::chrono::year{kFirstYear} / 1 / 1};
    const std::chrono::sys_days last{std::chrono::year{kFirstYear} / 12 / 31};
    const BookSnapshot snapshot = BookSnapshot::read(settings);
    for (const bool birthdays : {true, false}) {
        const Book book = birthdays ? Book::Birthdays : Book::SpecialDays;
        for (std::chrono::sys_days day = first; day <= last; day += std::chrono::days{1}) {
            const Date date{day};
            const std::string key = dateKey(date);
            const BookDay& entries = snapshot.day(book, key);
            std::map<std::string, int> seen;  // how often each value came so far this day
            for (std::size_t i = 0; i < entries.shown.size(); ++i) {
                const std::string& value = entries.shown[i].value;
                std::string summary = value, description;
                if (birthdays) {
                    const BirthdayText birthday = readBirthday(value);
                    summary = birthday.name + std::string(texts::kPlainBirthday);
                    if (birthday.year)
                        description = std::to_string(*birthday.year) + std::string(texts::kBornInYear);
                }
                const std::string uid = uidOf(birthdays ? "birthday" : "special", key, value, ++seen[value]);
                ical.icalcomponent_add_component(calendar.get(),
                                                 yearlyEvent(ical, uid, date, summary, description, stampTime));
            }
        }
    }
    return calendarText(ical, calendar);
}

std::optional<std::string> koyomiCalendar(int year, std::time_t stamp, std::string& error)
{
    const Ical* const lib = openIcal(error);
    if (!lib)
        return std::nullopt;
    const Ical& ical = *lib;
    Component calendar = newCalendar(*lib);
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
    return calendarText(ical, calendar);
}

}  // namespace dovi::cli
