#include "book/holidaytable.h"

#include "book/layout.h"
#include "calendar/holidays.h"
#include "texts/texts.h"

namespace dovi {

namespace {

// What the page shows for date, given the holiday table's entry for its day and a way to compute
// the holiday when the table has none.
template <typename Computed>
HolidayShown holidayShown(std::optional<std::string> entry, Date date, Computed computed)
{
    if (entry == layout::kSubstituteCandidate) {
        // The marker stands on the day after a fixed holiday; it is a holiday only on a Monday,
        // and it keeps the computed holidays off that day on every weekday.
        if (weekdayOf(date) == Weekday::Monday)
            return {true, std::string(texts::kSubstituteHoliday)};
        return {};
    }
    if (entry)
        return {true, std::move(*entry)};
    std::string name(computed());
    if (!name.empty())
        return {true, std::move(name)};
    return {};
}

}  // namespace

HolidayShown lookupHoliday(const BookSnapshot& snapshot, Date date)
{
    return holidayShown(snapshot.holidayEntry(date.month() / date.day()), date, [&] { return computedHoliday(date); });
}

HolidayShown lookupHoliday(SettingsStore& settings, Date date) { return lookupHoliday(BookSnapshot::read(settings), date); }

std::vector<std::pair<Date, HolidayShown>> holidaysOfYear(const BookSnapshot& snapshot, int year)
{
    using namespace std::chrono;
    std::vector<std::pair<Date, HolidayShown>> shown;
    const sys_days first{std::chrono::year{year} / 1 / 1};
    const std::vector<std::string_view> computed = computedHolidays(year);
    const auto& table = snapshot.holidayTable();
    for (std::size_t i = 0; i < computed.size(); ++i) {
        const Date date{first + days{static_cast<int>(i)}};
        const auto found = table.find(date.month() / date.day());
        std::optional<std::string> entry;
        if (found != table.end())
            entry = found->second;
        HolidayShown holiday = holidayShown(std::move(entry), date, [&] { return computed[i]; });
        if (holiday.mark)
            shown.emplace_back(date, std::move(holiday));
    }
    return shown;
}

std::vector<std::pair<Date, HolidayShown>> holidaysOfYear(SettingsStore& settings, int year)
{
    return holidaysOfYear(BookSnapshot::read(settings), year);
}

}  // namespace dovi
