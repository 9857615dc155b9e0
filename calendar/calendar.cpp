// Calendar rules of the day page: weekday numbers, the day's settings keys, day counts and the
// dates stored in the user profile.
#include "calendar/calendar.h"


namespace dovi {

namespace {

// Reads the blanks and then one unsigned decimal number of 1 to maxDigits digits at text[pos],
// advancing pos past it. std::nullopt when no digit follows the blanks or when there are more
// digits than maxDigits. Only the ASCII space counts as a blank.
std::optional<unsigned> readNumber(std::string_view text, std::size_t& pos, std::size_t maxDigits)
{
    while (pos < text.size() && text[pos] == ' ')
        ++pos;
    const std::size_t first = pos;
    unsigned value = 0;
    while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
        if (pos - first == maxDigits)
            return std::nullopt;
        value = value * 10 + static_cast<unsigned>(text[pos] - '0');
        ++pos;
    }
    if (pos == first)
        return std::nullopt;
    return value;
}

}  // namespace

Weekday weekdayOf(Date date)
{
    // std::chrono counts Sunday as 0, Saturday as 6, the order of Weekday.
    return static_cast<Weekday>(std::chrono::weekday{std::chrono::sys_days{date}}.c_encoding());
}

int weekdayNumber(Weekday weekday)
{
    return static_cast<int>(weekday) + 1;  // in [1, 7]
}

std::string dateKey(std::chrono::month_day day)
{
    // Month in [1, 12] and day in [1, 31] for a valid day; two digits each.
    const auto twoDigits = [](unsigned n) { return std::string{char('0' + n / 10 % 10), char('0' + n % 10)}; };
    return twoDigits(static_cast<unsigned>(day.month())) + "/" + twoDigits(static_cast<unsigned>(day.day()));
}

std::string dateKey(Date date)
{
    return dateKey(date.month() / date.day());
}

std::optional<std::chrono::month_day> parseDateKey(std::string_view key)
{
    const auto digit = [&](std::size_t i) { return key[i] >= '0' && key[i] <= '9'; };
    if (key.size() != 5 || key[2] != '/' || !digit(0) || !digit(1) || !digit(3) || !digit(4))
        return std::nullopt;
    const auto number = [&](std::size_t i) { return static_cast<unsigned>((key[i] - '0') * 10 + (key[i + 1] - '0')); };
    const std::chrono::month_day day{std::chrono::month{number(0)}, std::chrono::day{number(3)}};
    // month_day::ok() accepts 29 February, the day that only leap years have.
    if (!day.ok())
        return std::nullopt;
    return day;
}

std::string letteredKey(int i, std::string_view dateKey)
{
    std::string key(1, static_cast<char>('a' + i));
    key += dateKey;
    return key;
}

// Accepted: [blanks] year "/" [blanks] month "/" [blanks] day, where blanks are any number of
// ASCII spaces, the year has 1 to 4 digits and lies in 1..9999, month and day have 1 or 2 digits
// (leading zeros allowed, "2000/01/20") and together name a real day of the Gregorian calendar
// (29 February only in leap years). Nothing else: no signs, no other separators, no blanks after
// a number, nothing after the day.
std::optional<Date> parseProfileDate(std::string_view text)
{
    std::size_t pos = 0;
    const auto year = readNumber(text, pos, 4);
    if (!year || pos >= text.size() || text[pos] != '/')
        return std::nullopt;
    ++pos;
    const auto month = readNumber(text, pos, 2);
    if (!month || pos >= text.size() || text[pos] != '/')
        return std::nullopt;
    ++pos;
    const auto day = readNumber(text, pos, 2);
    if (!day || pos != text.size())
        return std::nullopt;
    if (*year < 1)
        return std::nullopt;

    const Date date{std::chrono::year{static_cast<int>(*year)}, std::chrono::month{*month},
                    std::chrono::day{*day}};
    if (!date.ok())
        return std::nullopt;
    return date;
}

long long daysBetween(Date from, Date to)
{
    return (std::chrono::sys_days{to} - std::chrono::sys_days{from}).count();
}

}  // namespace dovi
