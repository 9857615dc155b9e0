// The holidays the page shows: the holiday table's entries, its substitute marker, and the
// computed holidays where the table has nothing.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "book/snapshot.h"

namespace dovi {

// mark is true when the holiday mark is shown; name may be "" with the mark.
struct HolidayShown {
    bool mark = false;
    std::string name;
};

HolidayShown lookupHoliday(const BookSnapshot& snapshot, Date date);
HolidayShown lookupHoliday(SettingsStore& settings, Date date);

// Every day of year on which the page shows a holiday, in date order, with what lookupHoliday
// gives for it. Reads the holiday table in one listing where the store can list a section.
std::vector<std::pair<Date, HolidayShown>> holidaysOfYear(const BookSnapshot& snapshot, int year);
std::vector<std::pair<Date, HolidayShown>> holidaysOfYear(SettingsStore& settings, int year);

}  // namespace dovi
