#include "book/bookedit.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

#include "book/layout.h"
#include "settings/inifile.h"

namespace dovi {

namespace {

WriteResult noEntry(std::string_view what)
{
    return writeFailure(WriteFailure::KeyMissing, "there is no " + std::string(what));
}

WriteResult absentValue()
{
    return writeFailure(WriteFailure::AbsentValue, "an entry that reads as \"0\" would count as no entry",
                        WritePart::Value);
}

KeyEdit setKey(std::string_view section, std::string key, std::string_view value)
{
    return {KeyEdit::Kind::Set, std::string(section), std::move(key), std::string(value)};
}
KeyEdit deleteKey(std::string_view section, std::string key)
{
    return {KeyEdit::Kind::Delete, std::string(section), std::move(key), {}};
}
KeyEdit renameKey(std::string_view section, std::string from, std::string to)
{
    return {KeyEdit::Kind::Rename, std::string(section), std::move(from), std::move(to)};
}

// The line of key names the source's line, when it has one; the source is absent when it has
// none, and then the free key stays free (a line that reads "0" goes).
void appendShift(std::vector<KeyEdit>& edits, std::string_view section, std::string from, bool fromAbsent,
                 std::string to)
{
    if (fromAbsent)
        edits.push_back(deleteKey(section, std::move(from)));
    else
        edits.push_back(renameKey(section, std::move(from), std::move(to)));
}

// The edits that move the line of key(from) to key(to) and shift the lines between by one key.
// Each line keeps its value byte for byte. isAbsent(i) tells whether key(i) holds nothing.
template <typename KeyOf, typename IsAbsent>
void appendMove(std::vector<KeyEdit>& edits, const BookSnapshot& snapshot, std::string_view section, KeyOf key,
                IsAbsent isAbsent, int from, int to)
{
    if (from == to)
        return;
    const std::string parked = snapshot.freeKeyLike(section, key(from));
    edits.reserve(edits.size() + static_cast<std::size_t>(std::abs(to - from)) + 2);
    appendShift(edits, section, key(from), isAbsent(from), parked);
    if (from < to)
        for (int i = from + 1; i <= to; ++i)
            appendShift(edits, section, key(i), isAbsent(i), key(i - 1));
    else
        for (int i = from - 1; i >= to; --i)
            appendShift(edits, section, key(i), isAbsent(i), key(i + 1));
    if (!isAbsent(from))
        edits.push_back(renameKey(section, parked, key(to)));
}

// The removal of key(index) of count keys, the later lines moving down one key each.
template <typename KeyOf, typename IsAbsent>
void appendRemoval(std::vector<KeyEdit>& edits, std::string_view section, int count, KeyOf key, IsAbsent isAbsent,
                   int index)
{
    edits.reserve(edits.size() + static_cast<std::size_t>(count - index) + 1);
    edits.push_back(deleteKey(section, key(index)));
    for (int i = index + 1; i < count; ++i)
        appendShift(edits, section, key(i), isAbsent(i), key(i - 1));
}

// The day's shown entries under their letters, read under the caller's lock, with the edit that
// gives an entry under the bare key its letter first.
struct DayPlan {
    BookSnapshot snapshot;
    BookDay day;
    std::vector<std::string> keys;  // letteredKey(i) for each shown entry; none of them is absent
    std::vector<KeyEdit> edits;
    const std::string& key(int i) const { return keys[static_cast<std::size_t>(i)]; }
    static bool isAbsent(int) { return false; }
};

DayPlan planDay(SettingsFile& settings, Book book, std::string_view dateKey)
{
    DayPlan plan{BookSnapshot::read(settings), {}, {}, {}};
    plan.day = plan.snapshot.day(book, dateKey);
    for (std::size_t i = 0; i < plan.day.shown.size(); ++i) {
        plan.keys.push_back(letteredKey(static_cast<int>(i), dateKey));
        if (plan.day.shown[i].key != plan.keys.back())
            plan.edits.push_back(renameKey(layout::section(book), plan.day.shown[i].key, plan.keys.back()));
    }
    return plan;
}

bool outside(int index, std::size_t count) { return index < 0 || static_cast<std::size_t>(index) >= count; }

// The value of the day's shown entry index as read, none when there is no such entry.
std::optional<std::string_view> shownValue(const BookDay& day, int index)
{
    if (outside(index, day.shown.size()))
        return std::nullopt;
    return day.shown[static_cast<std::size_t>(index)].value;
}

bool isLetterKey(int key) { return key >= 'a' && key < 'a' + kLetterCount; }

// Why the entry seen cannot be changed: its key holds now (none where the key is outside the list)
// instead of the value seen. Nothing when it still holds that value.
std::optional<WriteResult> seenProblem(std::optional<std::string_view> now, const SeenEntry& seen,
                                       const std::string& name)
{
    if (!now || *now != seen.value)
        return writeFailure(WriteFailure::ChangedMeanwhile,
                            name + " no longer holds \"" + seen.value +
                                "\": another program changed the entries meanwhile; nothing was changed");
    return std::nullopt;
}

std::string entryName(std::string_view dateKey, int letter)
{
    return "entry " + std::string(1, static_cast<char>(letter)) + " of " + std::string(dateKey);
}

std::string sayingKey(int number) { return std::to_string(number); }

KeyEdit setSayingCount(int n) { return setKey(layout::kProfile, std::string(layout::kSayingCount), std::to_string(n + 1)); }

// The sayings the page draws from (keys "1" to "n"), read under the caller's lock as an edit of
// them needs them: the count and the sayings it names, each looked up alone. The settings file
// renumbers the later sayings itself (and deletes those that hold nothing), so no edit reads the
// whole list.
struct SayingPlan {
    BookSnapshot snapshot;
    int count() const { return snapshot.listedSayings(); }  // n
    bool isAbsent(int number) const { return !snapshot.sayingValue(number); }
    // Saying number as read, "0" for a key that holds nothing; none outside 1 to n.
    std::optional<std::string> value(int number) const
    {
        if (number < 1 || number > count())
            return std::nullopt;
        return snapshot.sayingValue(number).value_or("0");
    }
};

SayingPlan planSayings(SettingsStore& settings) { return {BookSnapshot::read(settings)}; }

}  // namespace

BookDay readBookDay(SettingsStore& settings, Book book, std::string_view dateKey)
{
    return BookSnapshot::read(settings).day(book, dateKey);
}

WriteResult birthdayValue(std::string_view name, std::optional<int> year, std::string& value)
{
    const std::string_view kept = withoutBlanks(name);
    if (kept.empty())
        return writeFailure(WriteFailure::EmptyName, "the name is empty", WritePart::Value);
    if (const auto separator = kept.find_first_of(":,"); separator != std::string_view::npos)
        return writeFailure(WriteFailure::ForbiddenCharacter,
                            std::string("the name may not contain \"") + kept[separator] +
                                "\": the page would cut the name there",
                            WritePart::Value, std::string(1, kept[separator]));
    if (year && (*year < 0 || *year > 9999))
        return writeFailure(WriteFailure::InvalidText, "the year of birth must have four digits", WritePart::Value);
    value = std::string(kept);
    if (year) {
        std::string digits = std::to_string(*year);
        value += ':';
        value += std::string(4 - digits.size(), '0') + digits;
    }
    return writeDone();
}

WriteResult specialDayValue(std::string_view text, std::string& value)
{
    const std::string_view kept = withoutBlanks(text);
    if (kept.empty())
        return writeFailure(WriteFailure::EmptyName, "the text is empty", WritePart::Value);
    value = std::string(kept);
    return writeDone();
}

WriteResult addBookEntry(SettingsFile& settings, Book book, std::string_view dateKey, std::string_view value,
                         std::string* key)
{
    if (readsAsAbsent(value))
        return absentValue();
    const auto lock = settings.lockForUpdate();
    const BookSnapshot snapshot = BookSnapshot::read(settings);
    const BookDay& day = snapshot.day(book, dateKey);
    // The first free letter: the first after the shown lettered entries, unless that is where an
    // entry of the older form goes; the letters after a gap are taken by the hidden entries.
    std::vector<bool> taken(kLetterCount, false);
    for (const auto* entries : {&day.shown, &day.hidden})
        for (const BookEntry& entry : *entries)
            if (!entry.bareKey)
                taken[static_cast<std::size_t>(entry.key[0] - 'a')] = true;
    for (int letter = 0; letter < kLetterCount; ++letter) {
        if (taken[static_cast<std::size_t>(letter)])
            continue;
        std::string free = letteredKey(letter, dateKey);
        WriteResult result = settings.write(layout::section(book), free, value);
        if (result.ok && key)
            *key = std::move(free);
        return result;
    }
    return writeFailure(WriteFailure::NoRoom,
                        "all 26 entries of " + std::string(dateKey) + " (a to z) are taken; nothing was stored");
}

WriteResult editBookEntry(SettingsFile& settings, Book book, std::string_view dateKey, const SeenEntry& entry,
                          std::string_view value)
{
    if (!isLetterKey(entry.key))
        return noEntry("such entry on " + std::string(dateKey));
    if (readsAsAbsent(value))
        return absentValue();
    const auto lock = settings.lockForUpdate();
    DayPlan plan = planDay(settings, book, dateKey);
    const int index = entry.key - 'a';
    if (auto problem = seenProblem(shownValue(plan.day, index), entry, entryName(dateKey, entry.key)))
        return std::move(*problem);
    plan.edits.push_back(setKey(layout::section(book), plan.keys[static_cast<std::size_t>(index)], value));
    return settings.applyEdits(plan.edits);
}

WriteResult removeBookEntry(SettingsFile& settings, Book book, std::string_view dateKey, const SeenEntry& entry)
{
    if (!isLetterKey(entry.key))
        return noEntry("such entry on " + std::string(dateKey));
    const auto lock = settings.lockForUpdate();
    DayPlan plan = planDay(settings, book, dateKey);
    const int index = entry.key - 'a';
    if (auto problem = seenProblem(shownValue(plan.day, index), entry, entryName(dateKey, entry.key)))
        return std::move(*problem);
    appendRemoval(plan.edits, layout::section(book), static_cast<int>(plan.keys.size()),
                  [&](int i) { return plan.key(i); }, DayPlan::isAbsent, index);
    return settings.applyEdits(plan.edits);
}

WriteResult moveBookEntry(SettingsFile& settings, Book book, std::string_view dateKey, const SeenEntry& entry,
                          int toLetter)
{
    if (!isLetterKey(entry.key) || !isLetterKey(toLetter))
        return noEntry("such entry on " + std::string(dateKey));
    const auto lock = settings.lockForUpdate();
    DayPlan plan = planDay(settings, book, dateKey);
    const int from = entry.key - 'a', to = toLetter - 'a';
    if (auto problem = seenProblem(shownValue(plan.day, from), entry, entryName(dateKey, entry.key)))
        return std::move(*problem);
    if (outside(to, plan.keys.size()))
        return noEntry("such entry on " + std::string(dateKey));
    appendMove(plan.edits, plan.snapshot, layout::section(book), [&](int i) { return plan.key(i); }, DayPlan::isAbsent,
               from, to);
    return settings.applyEdits(plan.edits);
}

BookDay moveBareEntries(SettingsStore& settings, Book book, std::string_view dateKey)
{
    const std::string_view section = layout::section(book);
    BookDay day;
    const auto lock = settings.lockForUpdate();

    int letter = 0;  // in [0, 26]: the next letter to read, then the first free one
    for (; letter < kLetterCount; ++letter) {
        std::string key = letteredKey(letter, dateKey);
        std::string value = settings.read(section, key);
        if (value == "0")
            break;
        day.shown.push_back({std::move(key), std::move(value), false});
    }

    for (; letter < kLetterCount; ++letter) {
        std::string value = settings.read(section, dateKey);
        if (value == "0")
            break;
        const bool moved = settings.moveKey(section, dateKey, letteredKey(letter, dateKey), value).ok;
        day.shown.push_back({std::string(dateKey), std::move(value), true});
        if (!moved)
            break;
    }
    return day;
}

std::vector<Saying> readSayings(SettingsStore& settings)
{
    std::vector<Saying> sayings;
    const BookSnapshot snapshot = BookSnapshot::read(settings);
    sayings.reserve(snapshot.sayings().size());
    for (const auto& value : snapshot.sayings()) {
        const SayingParts parts = sayingParts(value);
        sayings.push_back({std::string(parts.text), std::string(parts.source)});
    }
    return sayings;
}

std::vector<std::string> sayingValues(const BookSnapshot& snapshot)
{
    std::vector<std::string> values;
    values.reserve(snapshot.sayings().size());
    for (const auto& value : snapshot.sayings())
        values.emplace_back(value.value_or("0"));
    return values;
}

std::vector<std::string> sayingValues(SettingsStore& settings) { return sayingValues(BookSnapshot::read(settings)); }

WriteResult sayingValue(std::string_view text, std::string_view source, std::string& value)
{
    const std::string_view keptText = withoutBlanks(text);
    if (keptText.empty())
        return writeFailure(WriteFailure::EmptyName, "the saying is empty", WritePart::Value);
    if (keptText.find(',') != std::string_view::npos)
        return writeFailure(WriteFailure::ForbiddenCharacter,
                            "the saying may not contain \",\": the page would show the rest as its source",
                            WritePart::Value, ",");
    value = std::string(keptText) + "," + std::string(withoutBlanks(source));
    return writeDone();
}

WriteResult addSaying(SettingsFile& settings, std::string_view value, int* number)
{
    if (readsAsAbsent(value))
        return absentValue();
    const auto lock = settings.lockForUpdate();
    const BookSnapshot snapshot = BookSnapshot::read(settings);
    const int count = snapshot.listedSayings();
    const int added = count + 1;
    if (added + 1 > kMaxSayingCount)
        return writeFailure(WriteFailure::NoRoom, "no more sayings fit: the count cannot go beyond 32767");
    if (snapshot.hasSayingKey(sayingKey(added)))
        return writeFailure(WriteFailure::EntryTaken, "the key " + sayingKey(added) +
                                                          " already holds a saying beyond the count of sayings; "
                                                          "nothing was stored");
    const KeyEdit edits[] = {setKey(layout::kSayings, sayingKey(added), value), setSayingCount(added)};
    WriteResult result = settings.applyEdits(edits);
    if (result.ok && number)
        *number = added;
    return result;
}

namespace {

WriteResult noSaying(int number) { return noEntry("saying number " + std::to_string(number)); }

std::optional<WriteResult> sayingProblem(const SayingPlan& plan, const SeenEntry& saying)
{
    const std::optional<std::string> now = plan.value(saying.key);
    return seenProblem(now ? std::optional<std::string_view>(*now) : std::nullopt, saying,
                       "saying " + std::to_string(saying.key));
}

}  // namespace

WriteResult editSaying(SettingsFile& settings, const SeenEntry& saying, std::string_view value)
{
    if (saying.key < 1)
        return noSaying(saying.key);
    if (readsAsAbsent(value))
        return absentValue();
    const auto lock = settings.lockForUpdate();
    const SayingPlan plan = planSayings(settings);
    if (auto problem = sayingProblem(plan, saying))
        return std::move(*problem);
    const KeyEdit edits[] = {setKey(layout::kSayings, sayingKey(saying.key), value)};
    return settings.applyEdits(edits);
}

WriteResult removeSaying(SettingsFile& settings, const SeenEntry& saying)
{
    if (saying.key < 1)
        return noSaying(saying.key);
    const auto lock = settings.lockForUpdate();
    const SayingPlan plan = planSayings(settings);
    if (auto problem = sayingProblem(plan, saying))
        return std::move(*problem);
    // The later sayings move down one number each.
    const KeyEdit edits[] = {deleteKey(layout::kSayings, sayingKey(saying.key)),
                             KeyEdit::renumber(std::string(layout::kSayings), saying.key + 1, plan.count(), -1),
                             setSayingCount(plan.count() - 1)};
    return settings.applyEdits(edits);
}

WriteResult moveSaying(SettingsFile& settings, const SeenEntry& saying, int toNumber)
{
    if (saying.key < 1 || toNumber < 1)
        return noSaying(saying.key < 1 ? saying.key : toNumber);
    const auto lock = settings.lockForUpdate();
    const SayingPlan plan = planSayings(settings);
    if (auto problem = sayingProblem(plan, saying))
        return std::move(*problem);
    if (toNumber > plan.count())
        return noSaying(toNumber);
    const int from = saying.key;
    std::vector<KeyEdit> edits;
    if (from != toNumber) {
        // Parked while the sayings between move one number towards where it was.
        const std::string parked = plan.snapshot.freeKeyLike(layout::kSayings, sayingKey(from));
        const bool absent = plan.isAbsent(from);
        appendShift(edits, layout::kSayings, sayingKey(from), absent, parked);
        if (from < toNumber)
            edits.push_back(KeyEdit::renumber(std::string(layout::kSayings), from + 1, toNumber, -1));
        else
            edits.push_back(KeyEdit::renumber(std::string(layout::kSayings), toNumber, from - 1, 1));
        if (!absent)
            edits.push_back(renameKey(layout::kSayings, parked, sayingKey(toNumber)));
    }
    return settings.applyEdits(edits);
}

}  // namespace dovi
