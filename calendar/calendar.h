// Calendar rules of the day page: weekday numbers, the day's settings keys, day counts and the
// dates stored in the user profile.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "calendar/clock.h"

namespace dovi {

// The days of the week.
enum class Weekday { Sunday, Monday, Tuesday, Wednesday, Thursday, Friday, Saturday };

// The weekday of date in the proleptic Gregorian calendar.
Weekday weekdayOf(Date date);

// The number of weekday with Sunday as 1 and Saturday as 7: the numbering of the stored calendar
// and the order of the weekday names.
int weekdayNumber(Weekday weekday);

// The key of a day in the dated sections: two-digit month, "/", two-digit day ("01/20", "12/03").
// Every key of the settings file that names a day is made here.
std::string dateKey(std::chrono::month_day day);
std::string dateKey(Date date);

// The day a key names: exactly two digits, "/", two digits, naming a day that some year has
// (29 February included). std::nullopt for any other text ("1/20", "01/5", "02/30").
std::optional<std::chrono::month_day> parseDateKey(std::string_view key);

// The key of the i-th entry of a day (i from 0): the letter 'a' + i followed by the date key.
std::string letteredKey(int i, std::string_view dateKey);

// A profile date stored as year "/" month "/" day, with blanks allowed before each number
// (" 1973/ 7/ 5", "2000/1/20"). std::nullopt when the text names no real day.
std::optional<Date> parseProfileDate(std::string_view text);

// Whole calendar days from `from` to `to`: 0 on the same day, negative when `from` is later.
long long daysBetween(Date from, Date to);

}  // namespace dovi
