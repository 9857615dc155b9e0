// The three lists the book window edits, one object each: the birthdays and the special days of
// a day, and the numbered sayings. Each says how its entries are shown, how its input fields make
// a stored value, and which edit of the model a change calls. The window's panel (ListPanel) does
// the same for every list and asks its BookList for what differs.
#pragma once

#include <QString>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "book/snapshot.h"
#include "settings/settingsfile.h"

namespace dovi {

// One entry as the list showed it: what an edit names to say which entry it means.
struct ListEntry {
    std::string key;    // where it is stored ("b01/20", "3")
    std::string value;  // as read
    QString mark;       // the letter or number shown before it
    QString text;       // as the list shows it, without the mark
    QString name;       // as a person names it in a question: the name, the text of a saying
};

// What the input fields hold: second is "" for a list without a second field.
struct EntryFields {
    QString first;
    QString second;
    bool operator==(const EntryFields&) const = default;
    bool empty() const { return first.trimmed().isEmpty() && second.trimmed().isEmpty(); }
};

// The value the fields make, or why they make none (a sentence to show).
struct TypedValue {
    std::string value;
    QString refusal;
    bool ok() const { return refusal.isEmpty(); }
};

// The words a list is shown with.
struct ListWords {
    std::string_view title;   // the frame's title
    std::string_view first;   // the first field's label
    std::string_view second;  // the second field's label; empty when there is no second field
    std::string_view list;    // the list's accessible name
};

class BookList {
public:
    virtual ~BookList() = default;

    virtual ListWords words() const = 0;
    // Whether the entries belong to a day (the sayings do not).
    virtual bool dated() const = 0;
    // The entries shown for dateKey ("MM/DD"; ignored by an undated list), in order.
    virtual std::vector<ListEntry> entries(const BookSnapshot& snapshot, std::string_view dateKey) const = 0;
    // How many entries of dateKey the page never shows (after a gap in the letters).
    virtual int hiddenCount(const BookSnapshot&, std::string_view) const { return 0; }
    // The fields that show a stored value for changing it.
    virtual EntryFields fields(const std::string& value) const = 0;
    // The value the fields make, or the reason they make none; thisYear bounds a year of birth.
    virtual TypedValue value(const EntryFields& fields, int thisYear) const = 0;
    // Whether value shows whole on the page of a day in year (false: the page ends it in "…").
    virtual bool fitsOnPage(const std::string& value, int year) const = 0;

    // The model's edits. An edit names its entry as the list showed it: entry, at position index
    // of the list (from 0); it is refused (ChangedMeanwhile) when that entry no longer holds the
    // value seen there. add sets *index to the new entry's position in the list.
    virtual WriteResult add(SettingsFile& file, std::string_view dateKey, const std::string& value,
                            int* index) const = 0;
    virtual WriteResult change(SettingsFile& file, std::string_view dateKey, int index, const ListEntry& entry,
                               const std::string& value) const = 0;
    virtual WriteResult remove(SettingsFile& file, std::string_view dateKey, int index,
                               const ListEntry& entry) const = 0;
    virtual WriteResult move(SettingsFile& file, std::string_view dateKey, int index, const ListEntry& entry,
                             int to) const = 0;
    // Gives the entries after a gap in the letters the letters after the shown ones.
    virtual WriteResult closeGap(SettingsFile&, std::string_view) const { return writeDone(); }
};

std::unique_ptr<BookList> birthdayList();
std::unique_ptr<BookList> specialDayList();
std::unique_ptr<BookList> sayingList();

}  // namespace dovi
