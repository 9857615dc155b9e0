// Calendar rules of the day page: weekday numbers, the day's settings keys, day counts and the
// dates stored in the user profile.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "calendar/clock.h"

namespace dovi {

// Weekday with Sunday as 1 and Saturday as 7.
int weekdayNumber(Date date);

// Today's key in the dated sections: two-digit month, "/", two-digit day ("01/20", "12/03").
std::string dateKey(Date date);

// The key of the i-th entry of a day (i from 0): the letter 'a' + i followed by the date key.
std::string letteredKey(int i, std::string_view dateKey);

// A profile date stored as year "/" month "/" day, with blanks allowed before each number
// (" 1973/ 7/ 5", "2000/1/20"). std::nullopt when the text names no real day.
std::optional<Date> parseProfileDate(std::string_view text);

// Whole calendar days from `from` to `to`: 0 on the same day, negative when `from` is later.
long long daysBetween(Date from, Date to);

}  // namespace dovi
