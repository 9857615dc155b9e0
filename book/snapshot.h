// One state of the settings file as typed values: the user profile, the entries of a day in the
// birthday book and the special days, the holiday table and the sayings. A snapshot is one read
// of the file; it takes no lock, and it is consistent without one because every write replaces
// the whole file. Each part is parsed once, when it is first asked for.
//
// The file's layout lives here and in bookedit.h, nowhere above: the sections, the lettered keys
// a01/20 ... z01/20 and the older bare key 01/20, "name:year", "text,source", and the count of the
// sayings stored as n + 1.
#pragma once

#include <algorithm>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "book/koyomisettings.h"
#include "calendar/calendar.h"
#include "settings/settingsfile.h"

namespace dovi {

// The two dated lists of the file.
enum class Book { Birthdays, SpecialDays };

// What a person calls each list ("誕生日", "特別日").
std::string_view bookName(Book book);

// Letters 'a' to 'z': the most entries one day can have in one list.
inline constexpr int kLetterCount = 26;

// "MM/DD" with two digits each, naming a day that some year has (29 February included).
bool isDayKey(std::string_view text);

// The user profile. A date that names no real day reads as none.
struct Profile {
    std::optional<std::string> user;  // "" while nobody is registered; none when the file lacks it
    std::optional<Date> birthday;
    std::optional<std::string> birthdayText;  // as stored (" 1973/ 7/ 5")
    std::optional<std::string> sex;
    std::optional<Date> registeredOn;
};

// A profile value as the file reads it: the text "0" when there is no entry.
std::string textAsRead(const std::optional<std::string>& value);
inline std::string userAsRead(const Profile& profile) { return textAsRead(profile.user); }

// One entry of a day.
struct BookEntry {
    std::string key;         // where it is stored: "b01/20", or "01/20" for an entry of the older form
    std::string value;       // as read
    bool bareKey = false;    // stored under the bare date key, the older single-entry form
};

// The entries of one day of a list.
struct BookDay {
    // In the page's order: the lettered entries from "a" up to the first letter that is absent,
    // then the entries under the bare date key (while a letter is free), which take the next
    // letters when they are moved. Entry i has, or after that move gets, the letter 'a' + i.
    std::vector<BookEntry> shown;
    // Lettered entries after a gap in the letters: the page never reads them.
    std::vector<BookEntry> hidden;
};

// The values of shown, in order.
std::vector<std::string> shownValues(const BookDay& day);

// A saying: the text before the value's first "," and the source after it ("" without a comma).
struct Saying {
    std::string text;
    std::string source;
};
Saying splitSaying(std::string_view value);

// A saying as the page and the lists show it: a key within the count that holds nothing shows
// as the text "0", the way the file reads it.
Saying sayingShown(const std::optional<std::string>& value);
// The same parts as views into value ("0" for none): no copies, for long lists.
struct SayingParts {
    std::string_view text;
    std::string_view source;
};
SayingParts sayingParts(std::optional<std::string_view> value);

// The number N stored for the sayings: a decimal integer with an optional sign, in the 16-bit
// signed range; any other text, and none, give 0. Keys 1 to N − 1 hold the sayings.
int sayingCount(std::string_view text);

// The most the stored count can be: it is read as a 16-bit signed number.
inline constexpr int kMaxSayingCount = 32767;

// The sayings of a snapshot, keys 1 to n in order: a view of each value, none where a key holds
// nothing. The views point into the listing of the section they were read from, which the list
// shares, so they stay valid as long as the list or a copy of it.
class SayingValueList {
public:
    std::size_t size() const { return slots_.size(); }
    std::optional<std::string_view> operator[](std::size_t i) const
    {
        const std::uint32_t slot = slots_[i];
        return slot == 0 ? std::nullopt : std::optional<std::string_view>(texts_->value(slot - 1));
    }

    class Iterator {
    public:
        Iterator(const SayingValueList& list, std::size_t i) : list_(&list), i_(i) {}
        std::optional<std::string_view> operator*() const { return (*list_)[i_]; }
        Iterator& operator++()
        {
            ++i_;
            return *this;
        }
        bool operator==(const Iterator& other) const { return i_ == other.i_; }

    private:
        const SayingValueList* list_;
        std::size_t i_;
    };
    Iterator begin() const { return {*this, 0}; }
    Iterator end() const { return {*this, size()}; }

private:
    friend class BookSnapshot;
    std::shared_ptr<const KeyListing> texts_ = std::make_shared<const KeyListing>();
    std::vector<std::uint32_t> slots_;  // by saying: its entry in texts_ + 1, 0 for none
};

class BookSnapshot {
public:
    explicit BookSnapshot(std::shared_ptr<const SettingsView> view);
    // The store as it is now, in one read.
    static BookSnapshot read(SettingsStore& store) { return BookSnapshot(store.snapshot()); }

    const Profile& profile() const;

    // The entries of dateKey ("MM/DD") in book.
    const BookDay& day(Book book, std::string_view dateKey) const;
    // The shown entries alone, as the page needs them: fewer lookups than day().
    const std::vector<BookEntry>& shownEntries(Book book, std::string_view dateKey) const;
    // Replaces what shownEntries() gives for one day: the page build uses it for the entries that
    // the move of the older form has just given letters, which keep their older reading on that page.
    void replaceShownEntries(Book book, std::string_view dateKey, std::vector<BookEntry> shown);

    // The holiday table's entry for the day, none when it has none.
    std::optional<std::string> holidayEntry(std::chrono::month_day day) const;
    // The whole table by day, in one listing where the store can list a section.
    const std::map<std::chrono::month_day, std::string>& holidayTable() const;

    // The stored count N (keys 1 to N − 1 can be drawn) and the value under one key.
    int sayingCount() const;
    std::optional<std::string> sayingValue(long long key) const;
    // n = max(N − 1, 0): how many sayings sayings() lists, without listing them.
    int listedSayings() const { return std::max(sayingCount() - 1, 0); }
    // The values of keys 1 to n = max(N − 1, 0) in order, none where a key holds nothing. Read in
    // one listing of the section where the store can list one. The views live as long as this
    // snapshot or a copy of it.
    const SayingValueList& sayings() const;

    // Whether the sayings' section has a saying under key (used to keep an add from overwriting
    // one that stands beyond the count).
    bool hasSayingKey(std::string_view key) const;

    // The settings of the 暦 (section "暦"); both on where the file says nothing.
    KoyomiSettings koyomiSettings() const;

    // A key of section that holds nothing, made of "~" characters and key, to park a line on while
    // others shift.
    std::string freeKeyLike(std::string_view section, std::string_view key) const;

private:
    std::optional<std::string> value(std::string_view section, std::string_view key) const;
    BookDay readDay(Book book, std::string_view dateKey, bool withHidden) const;

    std::shared_ptr<const SettingsView> view_;
    mutable std::optional<Profile> profile_;
    mutable std::map<std::pair<Book, std::string>, BookDay> days_;
    mutable std::map<std::pair<Book, std::string>, std::vector<BookEntry>> shown_;
    mutable std::optional<std::map<std::chrono::month_day, std::string>> holidays_;
    mutable std::optional<int> sayingCount_;
    mutable std::optional<SayingValueList> sayings_;
};

}  // namespace dovi
