// Changing the birthday book, the special days and the sayings as a person does: add, change,
// remove and reorder a day's entries and the numbered sayings. Every change is one replacement of
// the settings file under its update lock, so the calendar, dovi-cli and the book window never
// see half of one; reading takes no lock (see BookSnapshot).
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "book/birthday.h"
#include "book/snapshot.h"
#include "settings/settingsfile.h"

namespace dovi {

// The entries of one day of book, as the store holds them now.
BookDay readBookDay(SettingsStore& settings, Book book, std::string_view dateKey);

// A birthday as the page reads a lettered entry: the name up to the first ":" or ",", and the
// year when the last four characters are a number.
using BirthdayText = Birthday;
inline Birthday readBirthday(std::string_view value) { return parseBirthday(value, kLetteredYearLength); }

// The value stored for a birthday: the name, then ":" and the year in four digits when given.
// Refused (ForbiddenCharacter, EmptyName) when the name holds ":" or "," (the page would cut it
// there) or has nothing but blanks; year must be 0 to 9999. Blanks around the name are dropped, as
// a read would drop them. On success *value is set.
WriteResult birthdayValue(std::string_view name, std::optional<int> year, std::string& value);

// The value stored for a special day: text without blanks around it; refused (EmptyName) when
// nothing is left.
WriteResult specialDayValue(std::string_view text, std::string& value);

// Stores value under the first free letter of the day (one that reads as absent, so a gap is
// filled) and sets *key to that key when key is given. Refused: AbsentValue, NoRoom (26 taken).
WriteResult addBookEntry(SettingsFile& settings, Book book, std::string_view dateKey, std::string_view value,
                         std::string* key = nullptr);

// An entry as the caller last saw it: its key and its value as read. For a day's entry the key is
// its letter, 'a' to 'z'; for a saying it is the saying's number, 1 to n.
struct SeenEntry {
    int key = 0;
    std::string value;
};

// Changes that name their entry. The rule is strict: the change goes through only when the entry
// stored under the named key still holds exactly the value as seen; otherwise it is refused with
// ChangedMeanwhile and a sentence naming the entry, and nothing is written. Changes to other
// entries that leave the named one where it was (an edit of another entry, a removal or an
// addition after it) do not stop it. A removal or move before it shifts it to another key; the
// change is then refused rather than followed: the entry now under the key is never touched in its
// place, and the caller shows the new state and lets the person choose again. (Two entries with the
// same value cannot be told apart, by design: either holds what the person chose.) A key under
// which no entry stands now counts as changed too (it was seen there); a key that no entry can have
// (not a letter, a number below 1) and a place to move to beyond the entries are refused with
// KeyMissing. An entry under the bare date key takes its letter in the same replacement first.
WriteResult editBookEntry(SettingsFile& settings, Book book, std::string_view dateKey, const SeenEntry& entry,
                          std::string_view value);
// Removes the entry; the later entries move down one letter, so all of them stay shown.
WriteResult removeBookEntry(SettingsFile& settings, Book book, std::string_view dateKey, const SeenEntry& entry);
// Moves the entry to the letter toLetter; the entries between shift by one. Every value keeps its
// bytes.
WriteResult moveBookEntry(SettingsFile& settings, Book book, std::string_view dateKey, const SeenEntry& entry,
                          int toLetter);

// Moves the day's entries of the older form to letters, the step that runs with each page build.
//
// As long as the bare key dateKey holds an entry and a letter is free: move it to the first free
// letter after the lettered entries (the store's moveKey: delete the bare key, write its value
// under the letter; the settings file does both as one change), then go on with the next letter.
// A file can hold the bare key on several lines; each pass moves the one a read returns. The
// whole sequence runs under the store's update lock, so no other process can take the free letter
// between the scan and the write.
//
// Returns the day's shown entries as they were before the move: the lettered ones, then one per
// entry read under the bare key, in the order read. Limits:
// - When all 26 letters are taken, the bare key is neither read nor touched: there is no letter to
//   move it to, and deleting it would lose it.
// - When the move fails (the file cannot be written, the value cannot be stored again, or the
//   settings file finds the letter taken by an entry after a gap), its entry is returned once, it
//   stays under the bare key, and the moving ends; otherwise it would be read again and again.
// - At most 26 passes: the letters bound the loop even if a store keeps returning the bare key.
BookDay moveBareEntries(SettingsStore& settings, Book book, std::string_view dateKey);

// The sayings the page can draw, keys 1 to n (the count stored is n + 1), in order; a key that
// holds nothing reads as the text "0". Saying i of the list has the key i + 1.
std::vector<Saying> readSayings(SettingsStore& settings);
std::vector<std::string> sayingValues(SettingsStore& settings);
std::vector<std::string> sayingValues(const BookSnapshot& snapshot);

// The value stored for a saying: text, "," and source, blanks around each dropped. Refused
// (ForbiddenCharacter) when text holds "," (the page splits at the first one) and (EmptyName)
// when text is empty.
WriteResult sayingValue(std::string_view text, std::string_view source, std::string& value);

// The sayings keep the keys 1 to n and the count n + 1, so that the page can draw every one.
// Adds under key n + 1 and sets *number when given. Refused: EntryTaken when that key holds a
// saying beyond the count (it would be overwritten), NoRoom when the count would leave 16 bits.
WriteResult addSaying(SettingsFile& settings, std::string_view value, int* number = nullptr);
// Edit, removal and move of the saying seen.key, under the rule of the day's entries above: refused
// with ChangedMeanwhile unless that number still holds seen.value ("0" for a key within the count
// that holds nothing, as it reads).
WriteResult editSaying(SettingsFile& settings, const SeenEntry& saying, std::string_view value);
WriteResult removeSaying(SettingsFile& settings, const SeenEntry& saying);
WriteResult moveSaying(SettingsFile& settings, const SeenEntry& saying, int toNumber);

}  // namespace dovi
