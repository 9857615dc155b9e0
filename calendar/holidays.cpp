// Japan's public holidays for every year from 2000, by the law in force in that year: a table of
// the national holidays, each row valid from a first to a last year, and the two kinds of day
// off that follow from them, the substitute holiday and the citizens' holiday.
#include "calendar/holidays.h"

#include <array>
#include <climits>
#include <cmath>
#include <string_view>
#include <unordered_map>

#include "texts/texts.h"
#include "calendar/calendar.h"
#include "calendar/koyomi.h"

namespace dovi {

namespace {

using std::chrono::days;
using std::chrono::sys_days;

// How a row finds its day within its month.
enum class DayRule {
    Fixed,            // the same day of the month every year
    NthMonday,        // the second or third Monday of the month
    VernalEquinox,    // the JST day of the March equinox (equinoxDays)
    AutumnalEquinox,  // the JST day of the September equinox (equinoxDays)
};

struct HolidayRow {
    std::string_view name;
    unsigned month;  // 1 to 12
    DayRule rule;
    int n;           // Fixed: the day of the month; NthMonday: which Monday; equinoxes: unused
    int firstYear;   // the row holds from this year ...
    int lastYear;    // ... up to and including this one
};

// Holidays are computed from this year on; earlier years are left to the settings file's table.
constexpr int kFirstYear = 2000;
constexpr int kOpenEnd = INT_MAX;

constexpr HolidayRow fixed(std::string_view name, unsigned month, int day, int first = kFirstYear,
                           int last = kOpenEnd)
{
    return {name, month, DayRule::Fixed, day, first, last};
}

constexpr HolidayRow monday(std::string_view name, unsigned month, int nth, int first = kFirstYear,
                            int last = kOpenEnd)
{
    return {name, month, DayRule::NthMonday, nth, first, last};
}

constexpr HolidayRow equinox(std::string_view name, unsigned month, DayRule rule)
{
    return {name, month, rule, 0, kFirstYear, kOpenEnd};
}

// The national holidays, in calendar order. For every date at most one row holds.
//
// Source: the national holiday law (国民の祝日に関する法律, 1948) and its amendments in force
// from 2000 on, with the special measures for the 2020 Games and the holidays of the enthronement
// year 2019, as the Cabinet Office (内閣府) lists them in its published list of national holidays.
// The equinox days are fixed each year in the almanac published the February before, as the days
// of Japan Standard Time that hold the astronomical equinoxes; they are computed here the same way
// from the Sun's apparent longitude (calendar/koyomi.h), for every year.
//
// Change points of the law since 2000:
// - Happy Monday system: 成人の日 and 体育の日 on the second Monday from 2000; 海の日 and
//   敬老の日 on the third Monday from 2003 (fixed on 7/20 and 9/15 before).
// - 2007 amendment: 4/29 becomes 昭和の日 and みどりの日 moves to 5/4; the substitute holiday
//   may move past further holidays (see isSubstituteHoliday).
// - 山の日 on 8/11 from 2016.
// - Imperial succession 2019: 天皇誕生日 moves from 12/23 (last in 2018) to 2/23 (first in
//   2020), so 2019 has none; the enthronement day and the day of the enthronement ceremony are
//   holidays of 2019 only.
// - Olympic special measures 2020/2021: 海の日, スポーツの日 and 山の日 move next to the
//   opening and closing of the Games. 体育の日 is renamed スポーツの日 from 2020.
constexpr HolidayRow kNationalHolidays[] = {
    fixed(texts::kNewYearsDay, 1, 1),
    monday(texts::kComingOfAgeDay, 1, 2),
    fixed(texts::kFoundationDay, 2, 11),
    fixed(texts::kEmperorsBirthday, 2, 23, 2020, kOpenEnd),
    equinox(texts::kVernalEquinoxDay, 3, DayRule::VernalEquinox),
    fixed(texts::kGreeneryDay, 4, 29, kFirstYear, 2006),
    fixed(texts::kShowaDay, 4, 29, 2007, kOpenEnd),
    fixed(texts::kEnthronementDay, 5, 1, 2019, 2019),
    fixed(texts::kConstitutionDay, 5, 3),
    fixed(texts::kGreeneryDay, 5, 4, 2007, kOpenEnd),
    fixed(texts::kChildrensDay, 5, 5),
    fixed(texts::kMarineDay, 7, 20, kFirstYear, 2002),
    monday(texts::kMarineDay, 7, 3, 2003, 2019),
    fixed(texts::kMarineDay, 7, 23, 2020, 2020),
    fixed(texts::kSportsDayFrom2020, 7, 24, 2020, 2020),
    fixed(texts::kMarineDay, 7, 22, 2021, 2021),
    fixed(texts::kSportsDayFrom2020, 7, 23, 2021, 2021),
    monday(texts::kMarineDay, 7, 3, 2022, kOpenEnd),
    fixed(texts::kMountainDay, 8, 11, 2016, 2019),
    fixed(texts::kMountainDay, 8, 10, 2020, 2020),
    fixed(texts::kMountainDay, 8, 8, 2021, 2021),
    fixed(texts::kMountainDay, 8, 11, 2022, kOpenEnd),
    fixed(texts::kRespectForTheAgedDay, 9, 15, kFirstYear, 2002),
    monday(texts::kRespectForTheAgedDay, 9, 3, 2003, kOpenEnd),
    equinox(texts::kAutumnalEquinoxDay, 9, DayRule::AutumnalEquinox),
    monday(texts::kSportsDay, 10, 2, kFirstYear, 2019),
    monday(texts::kSportsDayFrom2020, 10, 2, 2022, kOpenEnd),
    fixed(texts::kEnthronementCeremonyDay, 10, 22, 2019, 2019),
    fixed(texts::kCultureDay, 11, 3),
    fixed(texts::kLabourThanksgivingDay, 11, 23),
    fixed(texts::kEmperorsBirthday, 12, 23, kFirstYear, 2018),
};

// From this year on a substitute holiday moves past holidays that follow the Sunday holiday.
constexpr int kLongSubstituteFrom = 2007;

// How far before 1 January a year's table of national holidays reaches: further than any run of
// national holidays that a substitute holiday in early January could look back over.
constexpr int kDaysBefore = 10;

// The equinox days of year, computed once per year and thread: a year's holidays look at three
// years, and listing many days would otherwise compute the same equinoxes again and again.
EquinoxDays cachedEquinoxDays(int year)
{
    thread_local std::unordered_map<int, EquinoxDays> known;
    if (const auto it = known.find(year); it != known.end())
        return it->second;
    return known.emplace(year, equinoxDays(year)).first->second;
}

// The day on which row falls in year (the row must hold in that year).
sys_days dayOf(const HolidayRow& row, int year)
{
    const std::chrono::year y{year};
    const std::chrono::month m{row.month};
    switch (row.rule) {
    case DayRule::Fixed:
        return sys_days{y / m / std::chrono::day{static_cast<unsigned>(row.n)}};
    case DayRule::NthMonday:
        return sys_days{y / m / std::chrono::Monday[static_cast<unsigned>(row.n)]};
    case DayRule::VernalEquinox:
        return sys_days{y / m / std::chrono::day{static_cast<unsigned>(cachedEquinoxDays(year).march)}};
    case DayRule::AutumnalEquinox:
        return sys_days{y / m / std::chrono::day{static_cast<unsigned>(cachedEquinoxDays(year).september)}};
    }
    return sys_days{};
}

// The national holidays around one year: from kDaysBefore days before its 1 January up to and
// including the next 1 January, each day with the name of the first row that falls on it.
class NationalHolidays {
public:
    explicit NationalHolidays(int year) : first_(sys_days{std::chrono::year{year} / 1 / 1} - days{kDaysBefore})
    {
        // Of the years before and after, only December and January reach into the table; the
        // other rows are skipped, which spares computing their equinoxes.
        for (int y = year - 1; y <= year + 1; ++y)
            for (const HolidayRow& row : kNationalHolidays)
                if (y >= row.firstYear && y <= row.lastYear && (y == year || row.month == (y < year ? 12u : 1u)))
                    set(dayOf(row, y), row.name);
    }

    // The name of the national holiday on day, or "" when it is none or lies outside the table.
    std::string_view on(sys_days day) const
    {
        const auto i = (day - first_).count();  // in [0, names_.size()) inside the table
        return i >= 0 && i < static_cast<long>(names_.size()) ? names_[static_cast<std::size_t>(i)]
                                                              : std::string_view();
    }
    bool holds(sys_days day) const { return !on(day).empty(); }

private:
    void set(sys_days day, std::string_view name)
    {
        const auto i = (day - first_).count();
        if (i >= 0 && i < static_cast<long>(names_.size()) && names_[static_cast<std::size_t>(i)].empty())
            names_[static_cast<std::size_t>(i)] = name;
    }

    sys_days first_;
    std::array<std::string_view, kDaysBefore + 366 + 1> names_{};
};

bool isSunday(sys_days day)
{
    return weekdayOf(Date{day}) == Weekday::Sunday;
}

// A day that is no national holiday itself becomes a substitute holiday when a national holiday
// fell on the Sunday before it. Up to 2006 only the day right after that Sunday qualifies; from
// 2007 on it is the first day after the Sunday that is no national holiday, so the days off
// move past e.g. 5/4 and 5/5 to 5/6 when 5/3 or 5/4 is a Sunday.
bool isSubstituteHoliday(const NationalHolidays& national, sys_days day)
{
    if (national.holds(day))
        return false;
    if (static_cast<int>(Date{day}.year()) < kLongSubstituteFrom)
        return national.holds(day - days{1}) && isSunday(day - days{1});
    // Walk back over the run of national holidays that ends yesterday: a few days at most.
    for (sys_days before = day - days{1}; national.holds(before); before -= days{1}) {
        if (isSunday(before))
            return true;
    }
    return false;
}

// The citizens' holiday: a day that is neither a national holiday, a Sunday nor a substitute
// holiday, between two national holidays (5/4 up to 2006, 9/22 in some years, 4/30 and 5/2 of
// 2019).
bool isCitizensHoliday(const NationalHolidays& national, sys_days day)
{
    return !national.holds(day) && !isSunday(day) && !isSubstituteHoliday(national, day)
           && national.holds(day - days{1}) && national.holds(day + days{1});
}

// The computed holiday on day, a day of the year national was made for.
std::string_view holidayOn(const NationalHolidays& national, sys_days day)
{
    if (const std::string_view name = national.on(day); !name.empty())
        return name;
    if (isSubstituteHoliday(national, day))
        return texts::kSubstituteHoliday;
    if (isCitizensHoliday(national, day))
        return texts::kCitizensHoliday;
    return {};
}

}  // namespace

int equinoxDay(double c, int year)
{
    const int sinceBase = year - 1980;
    // Real division inside the inner floor: for years before 1980 it rounds towards −∞.
    const double leapDays = std::floor(static_cast<double>(sinceBase) / 4.0);
    return static_cast<int>(std::floor(c + 0.242194 * static_cast<double>(sinceBase) - leapDays));
}

std::string computedHoliday(Date date)
{
    const int year = static_cast<int>(date.year());
    if (!date.ok() || year < kFirstYear)
        return {};
    return std::string(holidayOn(NationalHolidays(year), sys_days{date}));
}

std::vector<std::string_view> computedHolidays(int year)
{
    const sys_days first{std::chrono::year{year} / 1 / 1};
    const sys_days end{std::chrono::year{year + 1} / 1 / 1};
    std::vector<std::string_view> names(static_cast<std::size_t>((end - first).count()));
    if (year < kFirstYear || year > 9999)
        return names;
    const NationalHolidays national(year);
    for (sys_days day = first; day < end; day += days{1})
        names[static_cast<std::size_t>((day - first).count())] = holidayOn(national, day);
    return names;
}

}  // namespace dovi
