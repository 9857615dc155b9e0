#include "book/snapshot.h"


#include "book/layout.h"

namespace dovi {

std::string_view bookName(Book book) { return layout::section(book); }

bool isDayKey(std::string_view text) { return parseDateKey(text).has_value(); }

std::vector<std::string> shownValues(const BookDay& day)
{
    std::vector<std::string> values;
    for (const BookEntry& entry : day.shown)
        values.push_back(entry.value);
    return values;
}

std::string textAsRead(const std::optional<std::string>& value) { return value.value_or("0"); }

SayingParts sayingParts(std::optional<std::string_view> value)
{
    const std::string_view text = value.value_or("0");
    const std::size_t comma = text.find(',');
    if (comma == std::string_view::npos)
        return {text, {}};
    return {text.substr(0, comma), text.substr(comma + 1)};
}

Saying splitSaying(std::string_view value)
{
    const SayingParts parts = sayingParts(value);
    return {std::string(parts.text), std::string(parts.source)};
}

Saying sayingShown(const std::optional<std::string>& value) { return splitSaying(value ? *value : "0"); }

int sayingCount(std::string_view text)
{
    std::size_t pos = 0;
    bool negative = false;
    if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
        negative = text[0] == '-';
        pos = 1;
    }
    if (pos == text.size())
        return 0;
    long value = 0;
    for (; pos < text.size(); ++pos) {
        if (text[pos] < '0' || text[pos] > '9')
            return 0;
        value = value * 10 + (text[pos] - '0');
        if (value > 32768)
            return 0;
    }
    if (negative)
        value = -value;
    return value >= -32768 && value <= 32767 ? static_cast<int>(value) : 0;
}

BookSnapshot::BookSnapshot(std::shared_ptr<const SettingsView> view) : view_(std::move(view)) {}

std::optional<std::string> BookSnapshot::value(std::string_view section, std::string_view key) const
{
    return view_->value(section, key);
}

const Profile& BookSnapshot::profile() const
{
    if (!profile_) {
        // Read in this order: the user, the birthday, the sex, the registration date.
        Profile profile;
        profile.user = value(layout::kProfile, layout::kUser);
        const auto birthday = value(layout::kProfile, layout::kBirthday);
        profile.sex = value(layout::kProfile, layout::kSex);
        const auto registered = value(layout::kProfile, layout::kRegisteredOn);
        profile.birthday = parseProfileDate(birthday.value_or(""));
        profile.birthdayText = birthday;
        profile.registeredOn = parseProfileDate(registered.value_or(""));
        profile_ = std::move(profile);
    }
    return *profile_;
}

BookDay BookSnapshot::readDay(Book book, std::string_view dateKey, bool withHidden) const
{
    const std::string_view section = layout::section(book);
    BookDay day;
    int letter = 0;  // in [0, 26]: the first letter that is absent
    for (; letter < kLetterCount; ++letter) {
        std::string lettered = letteredKey(letter, dateKey);
        auto entry = value(section, lettered);
        if (!entry)
            break;
        day.shown.push_back({std::move(lettered), std::move(*entry), false});
    }
    for (int later = letter + 1; withHidden && later < kLetterCount; ++later) {
        std::string lettered = letteredKey(later, dateKey);
        if (auto entry = value(section, lettered))
            day.hidden.push_back({std::move(lettered), std::move(*entry), false});
    }
    // With all 26 letters taken an entry under the bare key has nowhere to go and is not shown.
    if (letter < kLetterCount)
        if (auto entry = value(section, dateKey))
            day.shown.push_back({std::string(dateKey), std::move(*entry), true});
    return day;
}

const BookDay& BookSnapshot::day(Book book, std::string_view dateKey) const
{
    auto key = std::make_pair(book, std::string(dateKey));
    if (const auto found = days_.find(key); found != days_.end())
        return found->second;
    return days_.emplace(std::move(key), readDay(book, dateKey, true)).first->second;
}

const std::vector<BookEntry>& BookSnapshot::shownEntries(Book book, std::string_view dateKey) const
{
    auto key = std::make_pair(book, std::string(dateKey));
    if (const auto found = shown_.find(key); found != shown_.end())
        return found->second;
    if (const auto found = days_.find(key); found != days_.end())
        return shown_.emplace(std::move(key), found->second.shown).first->second;
    return shown_.emplace(std::move(key), readDay(book, dateKey, false).shown).first->second;
}

void BookSnapshot::replaceShownEntries(Book book, std::string_view dateKey, std::vector<BookEntry> shown)
{
    shown_[std::make_pair(book, std::string(dateKey))] = std::move(shown);
}

std::optional<std::string> BookSnapshot::holidayEntry(std::chrono::month_day day) const
{
    if (holidays_) {
        const auto found = holidays_->find(day);
        return found == holidays_->end() ? std::nullopt : std::optional<std::string>(found->second);
    }
    return value(layout::kHolidays, dateKey(day));
}

const std::map<std::chrono::month_day, std::string>& BookSnapshot::holidayTable() const
{
    if (!holidays_) {
        std::map<std::chrono::month_day, std::string> table;
        if (const auto listed = view_->entries(layout::kHolidays)) {
            for (std::size_t i = 0; i < listed->size(); ++i)
                if (const auto day = parseDateKey(listed->name(i)))
                    table.emplace(*day, listed->value(i));  // a day listed twice: its first line counts
        } else {
            using namespace std::chrono;
            for (sys_days date = sys_days{year{2000} / 1 / 1}; date <= sys_days{year{2000} / 12 / 31}; date += days{1}) {
                const year_month_day ymd{date};
                const month_day md = ymd.month() / ymd.day();
                if (auto entry = value(layout::kHolidays, dateKey(md)))
                    table.emplace(md, std::move(*entry));
            }
        }
        holidays_ = std::move(table);
    }
    return *holidays_;
}

int BookSnapshot::sayingCount() const
{
    if (!sayingCount_)
        sayingCount_ = dovi::sayingCount(value(layout::kProfile, layout::kSayingCount).value_or(""));
    return *sayingCount_;
}

std::optional<std::string> BookSnapshot::sayingValue(long long key) const
{
    if (sayings_ && key >= 1 && static_cast<std::size_t>(key) <= sayings_->size()) {
        const auto value = (*sayings_)[static_cast<std::size_t>(key - 1)];
        return value ? std::optional<std::string>(*value) : std::nullopt;
    }
    return value(layout::kSayings, std::to_string(key));
}

const SayingValueList& BookSnapshot::sayings() const
{
    if (!sayings_) {
        const int n = listedSayings();
        SayingValueList list;
        list.slots_.assign(static_cast<std::size_t>(n), 0);
        if (auto listed = view_->entries(layout::kSayings)) {
            auto texts = std::make_shared<const KeyListing>(std::move(*listed));
            // One pass over the listing, not one search of the section per saying: a key that is
            // a number as std::to_string writes it (the listing has each key once) holds that
            // saying.
            for (std::size_t i = 0; i < texts->size(); ++i) {
                const std::string_view key = texts->name(i);
                if (key.empty() || key.size() > 5 || key[0] == '0')
                    continue;
                int number = 0;
                for (const char digit : key)
                    number = digit >= '0' && digit <= '9' && number >= 0 ? number * 10 + (digit - '0') : -1;
                if (number > 0 && number <= n)
                    list.slots_[static_cast<std::size_t>(number - 1)] = static_cast<std::uint32_t>(i + 1);
            }
            list.texts_ = std::move(texts);
        } else {
            auto texts = std::make_shared<KeyListing>();
            for (int number = 1; number <= n; ++number) {
                std::string key = std::to_string(number);
                if (auto value = this->value(layout::kSayings, key)) {
                    texts->add(key, *value);
                    list.slots_[static_cast<std::size_t>(number - 1)] = static_cast<std::uint32_t>(texts->size());
                }
            }
            list.texts_ = std::move(texts);
        }
        sayings_ = std::move(list);
    }
    return *sayings_;
}

bool BookSnapshot::hasSayingKey(std::string_view key) const { return value(layout::kSayings, key).has_value(); }

std::string BookSnapshot::freeKeyLike(std::string_view section, std::string_view key) const
{
    std::string parked;
    for (std::size_t tildes = 1;; ++tildes) {
        parked.assign(tildes, '~');
        parked.append(key);
        if (!value(section, parked))
            return parked;
    }
}

}  // namespace dovi
