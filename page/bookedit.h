// Changing the birthday book, the special days and the sayings as a person does: list a day's
// entries with the letters the page gives them, add, change, remove and reorder them, and the same
// for the numbered sayings. Every change is one replacement of the settings file under its update
// lock, so the calendar, dovi-cli and the book window never see half of one.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "settings/settingsfile.h"

namespace dovi {

// "MM/DD" with two digits each, naming a day that some year has (29 February included).
bool isDayKey(std::string_view text);

// One entry of a day in "誕生日" or "特別日".
struct BookEntry {
    std::string key;    // where it is stored: "b01/20", or "01/20" for an entry of the older form
    std::string value;  // as read
};

// The entries of one day of a section, read without changing the file.
struct BookDay {
    // In the page's order: the lettered entries from "a" up to the first letter that reads as
    // absent, then the entry under the bare date key, which the page moves to the next letter
    // (only while a letter is free). Entry i has, or after that move gets, the letter 'a' + i.
    std::vector<BookEntry> shown;
    // Lettered entries after a gap in the letters: the page never reads them.
    std::vector<BookEntry> hidden;
};
BookDay readBookDay(SettingsStore& settings, std::string_view section, std::string_view dateKey);

// The values of shown, for the "as seen" checks below.
std::vector<std::string> shownValues(const BookDay& day);

// A birthday as the page reads it: the name up to the first ":" or ",", and the year when the
// last four characters are a number.
struct BirthdayText {
    std::string name;
    std::optional<int> year;
};
BirthdayText readBirthday(std::string_view value);

// The value stored for a birthday: the name, then ":" and the year in four digits when given.
// Refused (ForbiddenCharacter, EmptyName) when the name holds ":" or "," (the page would cut it
// there) or has nothing but blanks; year must be 0 to 9999. Blanks around the name are dropped, as
// a read would drop them. On success *value is set.
WriteResult birthdayValue(std::string_view name, std::optional<int> year, std::string& value);

// The value stored for a special day: text without blanks around it; refused (EmptyName) when
// nothing is left.
WriteResult specialDayValue(std::string_view text, std::string& value);

// The day's entries may be checked against what the caller last saw (the values of shown, in
// order): when given and different, the change is refused with ChangedMeanwhile. Indexes count
// the shown entries from 0 (the letter 'a' + index); one that is not there is refused with
// KeyMissing. An entry under the bare date key takes its letter in the same replacement first.
using SeenValues = std::optional<std::vector<std::string>>;

// Stores value under the first free letter of the day (one that reads as absent, so a gap is
// filled) and sets *key to that key when key is given. Refused: AbsentValue, NoRoom (26 taken).
WriteResult addBookEntry(SettingsFile& settings, std::string_view section, std::string_view dateKey,
                         std::string_view value, std::string* key = nullptr);
// Stores value in place of entry index. Refused: AbsentValue.
WriteResult editBookEntry(SettingsFile& settings, std::string_view section, std::string_view dateKey, int index,
                          std::string_view value, const SeenValues& seen = std::nullopt);
// Removes entry index; the later entries move down one letter, so all of them stay shown.
WriteResult removeBookEntry(SettingsFile& settings, std::string_view section, std::string_view dateKey, int index,
                            const SeenValues& seen = std::nullopt);
// Moves entry from to position to; the entries between shift by one. Every value keeps its bytes.
WriteResult moveBookEntry(SettingsFile& settings, std::string_view section, std::string_view dateKey, int from,
                          int to, const SeenValues& seen = std::nullopt);

// One saying: the text before the value's first "," and the source after it.
struct Saying {
    std::string text;
    std::string source;
};
// The sayings the page can draw: keys 1 to "言霊総数" − 1, in order (a missing one reads "0").
// Saying i of the list has the key i + 1.
std::vector<Saying> readSayings(SettingsStore& settings);
std::vector<std::string> sayingValues(SettingsStore& settings);

// The value stored for a saying: text, "," and source, blanks around each dropped. Refused
// (ForbiddenCharacter) when text holds "," (the page splits at the first one) and (EmptyName)
// when text is empty.
WriteResult sayingValue(std::string_view text, std::string_view source, std::string& value);

// The sayings keep the keys 1 to n and "言霊総数" = n + 1, so that the page can draw every one.
// seen and numbers work as for the day's entries, with the saying values and 1-based numbers.
// Adds under key n + 1 and sets *number when given. Refused: EntryTaken when that key holds a
// saying beyond the count (it would be overwritten), NoRoom when the count would leave 16 bits.
WriteResult addSaying(SettingsFile& settings, std::string_view value, int* number = nullptr);
WriteResult editSaying(SettingsFile& settings, int number, std::string_view value,
                       const SeenValues& seen = std::nullopt);
WriteResult removeSaying(SettingsFile& settings, int number, const SeenValues& seen = std::nullopt);
WriteResult moveSaying(SettingsFile& settings, int from, int to, const SeenValues& seen = std::nullopt);

}  // namespace dovi
