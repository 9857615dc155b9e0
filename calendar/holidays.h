// Japan's public holidays, computed from the date for the years from 2000.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "calendar/clock.h"

namespace dovi {

// The usual approximation of the equinox day in its month for 1980 to 2099:
// floor(c + 0.242194 × (year − 1980) − floor((year − 1980) / 4)), in double precision, March with
// c = 20.8431, September with c = 23.2488. The holidays use the computed equinoxes instead
// (equinoxDays in calendar/koyomi.h), which agree with it from 2000 to 2099 and stay right after.
int equinoxDay(double c, int year);

// The name of Japan's public holiday on date by the law in force in its year: a national holiday,
// "振替休日" (substitute holiday) or "国民の休日" (a day off between two national holidays).
// "" when the date is none of these, for every date before 2000 and for an invalid date.
// Used only when the settings file's holiday table has no entry for the date's month and day;
// the derived days follow from the national holidays computed here, never from that table.
std::string computedHoliday(Date date);

// What computedHoliday gives for every day of year, from 1 January on (365 or 366 names, "" on
// days without a holiday; all "" for years before 2000 and after 9999). Works out the year's
// national holidays once, so a whole year costs little more than one day.
std::vector<std::string_view> computedHolidays(int year);

}  // namespace dovi
