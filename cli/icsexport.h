// The birthday book and the special days as an iCalendar file for other calendar programs.
#pragma once

#include <ctime>
#include <optional>
#include <string>

#include "settings/settingsfile.h"

namespace dovi::cli {

// One VCALENDAR with one all-day VEVENT recurring every year for each entry the page shows (the
// entries of every day from 01/01 to 12/31, as readBookDay lists them), birthdays first. The events
// start in 2000, a leap year, so an entry of 29 February recurs in leap years only, as the page
// shows it. A birthday's summary is the name and "さん 誕生日"; one with a year of birth says the
// year in its description. Control characters other than TAB are left out of the texts. UIDs
// follow the day and the entry's stored value (not its letter), so a new export replaces an
// imported one and a removal or move gives no entry another's UID.
// stamp is the DTSTAMP of every event. Reads the file; writes nothing. std::nullopt, with error
// saying why, when the iCalendar library cannot be opened (it is loaded by the first export only).
std::optional<std::string> bookCalendar(SettingsStore& settings, std::time_t stamp, std::string& error);

// One VCALENDAR with one all-day VEVENT for each 二十四節気 and each 雑節 of year (1900 to 2100, as
// koyomi.h computes them), in date order; UIDs name the day and the term. Otherwise as above.
std::optional<std::string> koyomiCalendar(int year, std::time_t stamp, std::string& error);

}  // namespace dovi::cli
