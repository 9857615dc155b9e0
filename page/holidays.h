// Holidays that move from year to year and so cannot stand in the month/day holiday table.
#pragma once

#include <string>

#include "app/clock.h"

namespace dovi {

// The day of the equinox in its month: floor(c + 0.242194 × (year − 1980) − floor((year − 1980) / 4)),
// in double precision. March uses c = 20.8431, September c = 23.2488.
int equinoxDay(double c, int year);

// The name of the holiday that is computed for date, or "" when none is. Used only when the
// settings file's holiday table has no entry for the date's month and day. Nothing before 2000.
std::string computedHoliday(Date date);

}  // namespace dovi
