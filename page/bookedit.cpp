#include "page/bookedit.h"

#include <algorithm>
#include <chrono>
#include <utility>

#include "calendar/calendar.h"
#include "page/birthdaybook.h"
#include "page/dayentries.h"
#include "page/daypage.h"
#include "texts/texts.h"

namespace dovi {

namespace {

constexpr int kMaxSayingCount = 32767;  // "言霊総数" is read as a 16-bit signed number

std::string_view trimmed(std::string_view text)
{
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

WriteResult changedMeanwhile()
{
    return writeFailure(WriteFailure::ChangedMeanwhile,
                        "the entries were changed by another program meanwhile; nothing was changed");
}

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

// A key name that no entry of section has, to park a line on while the others shift.
std::string parkingKey(SettingsStore& settings, std::string_view section, std::string_view key)
{
    std::string parked;
    for (std::size_t tildes = 1;; ++tildes) {
        parked.assign(tildes, '~');
        parked.append(key);
        if (settings.read(section, parked) == texts::kAbsent)
            return parked;
    }
}

// The line of key names the source's line, when it has one; the source reads as absent when it
// has none, and then the free key stays free (a line that reads "0" goes).
void appendShift(std::vector<KeyEdit>& edits, std::string_view section, const std::string& from, bool fromAbsent,
                 const std::string& to)
{
    if (fromAbsent)
        edits.push_back(deleteKey(section, from));
    else
        edits.push_back(renameKey(section, from, to));
}

// The edits that move the line of keys[from] to keys[to] and shift the lines between by one key.
// Each line keeps its value byte for byte. values[i] is what keys[i] reads.
void appendMove(std::vector<KeyEdit>& edits, SettingsStore& settings, std::string_view section,
                const std::vector<std::string>& keys, const std::vector<std::string>& values, int from, int to)
{
    if (from == to)
        return;
    const auto key = [&](int i) -> const std::string& { return keys[static_cast<std::size_t>(i)]; };
    const auto absent = [&](int i) { return values[static_cast<std::size_t>(i)] == texts::kAbsent; };
    const std::string parked = parkingKey(settings, section, key(from));
    appendShift(edits, section, key(from), absent(from), parked);
    if (from < to)
        for (int i = from + 1; i <= to; ++i)
            appendShift(edits, section, key(i), absent(i), key(i - 1));
    else
        for (int i = from - 1; i >= to; --i)
            appendShift(edits, section, key(i), absent(i), key(i + 1));
    if (!absent(from))
        edits.push_back(renameKey(section, parked, key(to)));
}

// The removal of keys[index], the later lines moving down one key each.
void appendRemoval(std::vector<KeyEdit>& edits, std::string_view section, const std::vector<std::string>& keys,
                   const std::vector<std::string>& values, int index)
{
    edits.push_back(deleteKey(section, keys[static_cast<std::size_t>(index)]));
    for (std::size_t i = static_cast<std::size_t>(index) + 1; i < keys.size(); ++i)
        appendShift(edits, section, keys[i], values[i] == texts::kAbsent, keys[i - 1]);
}

// The day's shown entries under their letters, read under the caller's lock, with the edit that
// gives an entry under the bare key its letter first.
struct DayPlan {
    BookDay day;
    std::vector<std::string> keys;  // letteredKey(i) for each shown entry
    std::vector<KeyEdit> edits;
};

DayPlan planDay(SettingsFile& settings, std::string_view section, std::string_view dateKey)
{
    DayPlan plan{readBookDay(settings, section, dateKey), {}, {}};
    for (std::size_t i = 0; i < plan.day.shown.size(); ++i) {
        plan.keys.push_back(letteredKey(static_cast<int>(i), dateKey));
        if (plan.day.shown[i].key != plan.keys.back())
            plan.edits.push_back(renameKey(section, plan.day.shown[i].key, plan.keys.back()));
    }
    return plan;
}

bool differs(const SeenValues& seen, const std::vector<std::string>& now) { return seen && *seen != now; }

bool outside(int index, std::size_t count) { return index < 0 || static_cast<std::size_t>(index) >= count; }

std::string sayingKey(int number) { return std::to_string(number); }

// The sayings the page draws from, read under the caller's lock: n and their keys "1" to "n".
struct SayingPlan {
    int count = 0;  // n
    std::vector<std::string> keys;
    std::vector<std::string> values;
};

SayingPlan planSayings(SettingsStore& settings)
{
    SayingPlan plan;
    plan.count = std::max(sayingCount(settings.read(texts::kInit, texts::kSayingCount)) - 1, 0);
    for (int number = 1; number <= plan.count; ++number) {
        plan.keys.push_back(sayingKey(number));
        plan.values.push_back(settings.read(texts::kSayings, plan.keys.back()));
    }
    return plan;
}

}  // namespace

bool isDayKey(std::string_view text) { return parseDateKey(text).has_value(); }

BookDay readBookDay(SettingsStore& settings, std::string_view section, std::string_view dateKey)
{
    BookDay day;
    int letter = 0;  // in [0, 26]: the first letter that reads as absent
    for (; letter < kLetterCount; ++letter) {
        std::string key = letteredKey(letter, dateKey);
        std::string value = settings.read(section, key);
        if (value == texts::kAbsent)
            break;
        day.shown.push_back({std::move(key), std::move(value)});
    }
    for (int later = letter + 1; later < kLetterCount; ++later) {
        std::string key = letteredKey(later, dateKey);
        std::string value = settings.read(section, key);
        if (value != texts::kAbsent)
            day.hidden.push_back({std::move(key), std::move(value)});
    }
    if (letter < kLetterCount) {
        std::string value = settings.read(section, dateKey);
        if (value != texts::kAbsent)
            day.shown.push_back({std::string(dateKey), std::move(value)});
    }
    return day;
}

std::vector<std::string> shownValues(const BookDay& day)
{
    std::vector<std::string> values;
    for (const BookEntry& entry : day.shown)
        values.push_back(entry.value);
    return values;
}

BirthdayText readBirthday(std::string_view value)
{
    BirthdayText text;
    text.name = std::string(value.substr(0, value.find_first_of(":,")));
    // The year is the last four characters; count them as the page does, by code points.
    std::size_t start = value.size();
    for (std::size_t count = 0; count < kLetteredYearLength && start > 0;) {
        --start;
        if ((static_cast<unsigned char>(value[start]) & 0xC0) != 0x80)
            ++count;
    }
    text.year = yearTextValue(value.substr(start));
    return text;
}

WriteResult birthdayValue(std::string_view name, std::optional<int> year, std::string& value)
{
    const std::string_view kept = trimmed(name);
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
    const std::string_view kept = trimmed(text);
    if (kept.empty())
        return writeFailure(WriteFailure::EmptyName, "the text is empty", WritePart::Value);
    value = std::string(kept);
    return writeDone();
}

WriteResult addBookEntry(SettingsFile& settings, std::string_view section, std::string_view dateKey,
                         std::string_view value, std::string* key)
{
    if (readsAsAbsent(value))
        return absentValue();
    const auto lock = settings.lockForUpdate();
    for (int letter = 0; letter < kLetterCount; ++letter) {
        std::string free = letteredKey(letter, dateKey);
        if (settings.read(section, free) != texts::kAbsent)
            continue;
        WriteResult result = settings.write(section, free, value);
        if (result.ok && key)
            *key = std::move(free);
        return result;
    }
    return writeFailure(WriteFailure::NoRoom,
                        "all 26 entries of " + std::string(dateKey) + " (a to z) are taken; nothing was stored");
}

WriteResult editBookEntry(SettingsFile& settings, std::string_view section, std::string_view dateKey, int index,
                          std::string_view value, const SeenValues& seen)
{
    if (readsAsAbsent(value))
        return absentValue();
    const auto lock = settings.lockForUpdate();
    DayPlan plan = planDay(settings, section, dateKey);
    if (differs(seen, shownValues(plan.day)))
        return changedMeanwhile();
    if (outside(index, plan.keys.size()))
        return noEntry("such entry on " + std::string(dateKey));
    plan.edits.push_back(setKey(section, plan.keys[static_cast<std::size_t>(index)], value));
    return settings.applyEdits(plan.edits);
}

WriteResult removeBookEntry(SettingsFile& settings, std::string_view section, std::string_view dateKey, int index,
                            const SeenValues& seen)
{
    const auto lock = settings.lockForUpdate();
    DayPlan plan = planDay(settings, section, dateKey);
    if (differs(seen, shownValues(plan.day)))
        return changedMeanwhile();
    if (outside(index, plan.keys.size()))
        return noEntry("such entry on " + std::string(dateKey));
    appendRemoval(plan.edits, section, plan.keys, shownValues(plan.day), index);
    return settings.applyEdits(plan.edits);
}

WriteResult moveBookEntry(SettingsFile& settings, std::string_view section, std::string_view dateKey, int from,
                          int to, const SeenValues& seen)
{
    const auto lock = settings.lockForUpdate();
    DayPlan plan = planDay(settings, section, dateKey);
    if (differs(seen, shownValues(plan.day)))
        return changedMeanwhile();
    if (outside(from, plan.keys.size()) || outside(to, plan.keys.size()))
        return noEntry("such entry on " + std::string(dateKey));
    appendMove(plan.edits, settings, section, plan.keys, shownValues(plan.day), from, to);
    return settings.applyEdits(plan.edits);
}

std::vector<Saying> readSayings(SettingsStore& settings)
{
    std::vector<Saying> sayings;
    for (const std::string& value : sayingValues(settings)) {
        const std::size_t comma = value.find(',');
        std::string source = comma == std::string::npos ? std::string() : value.substr(comma + 1);
        sayings.push_back({value.substr(0, comma), std::move(source)});
    }
    return sayings;
}

std::vector<std::string> sayingValues(SettingsStore& settings) { return planSayings(settings).values; }

WriteResult sayingValue(std::string_view text, std::string_view source, std::string& value)
{
    const std::string_view keptText = trimmed(text);
    if (keptText.empty())
        return writeFailure(WriteFailure::EmptyName, "the saying is empty", WritePart::Value);
    if (keptText.find(',') != std::string_view::npos)
        return writeFailure(WriteFailure::ForbiddenCharacter,
                            "the saying may not contain \",\": the page would show the rest as its source",
                            WritePart::Value, ",");
    value = std::string(keptText) + "," + std::string(trimmed(source));
    return writeDone();
}

WriteResult addSaying(SettingsFile& settings, std::string_view value, int* number)
{
    if (readsAsAbsent(value))
        return absentValue();
    const auto lock = settings.lockForUpdate();
    const SayingPlan plan = planSayings(settings);
    const int added = plan.count + 1;
    if (added + 1 > kMaxSayingCount)
        return writeFailure(WriteFailure::NoRoom, "no more sayings fit: the count cannot go beyond 32767");
    if (settings.read(texts::kSayings, sayingKey(added)) != texts::kAbsent)
        return writeFailure(WriteFailure::EntryTaken, "the key " + sayingKey(added) +
                                                          " already holds a saying beyond the count of sayings; "
                                                          "nothing was stored");
    const KeyEdit edits[] = {setKey(texts::kSayings, sayingKey(added), value),
                             setKey(texts::kInit, std::string(texts::kSayingCount), std::to_string(added + 1))};
    WriteResult result = settings.applyEdits(edits);
    if (result.ok && number)
        *number = added;
    return result;
}

WriteResult editSaying(SettingsFile& settings, int number, std::string_view value, const SeenValues& seen)
{
    if (readsAsAbsent(value))
        return absentValue();
    const auto lock = settings.lockForUpdate();
    const SayingPlan plan = planSayings(settings);
    if (differs(seen, plan.values))
        return changedMeanwhile();
    if (number < 1 || number > plan.count)
        return noEntry("saying number " + std::to_string(number));
    const KeyEdit edits[] = {setKey(texts::kSayings, sayingKey(number), value)};
    return settings.applyEdits(edits);
}

WriteResult removeSaying(SettingsFile& settings, int number, const SeenValues& seen)
{
    const auto lock = settings.lockForUpdate();
    const SayingPlan plan = planSayings(settings);
    if (differs(seen, plan.values))
        return changedMeanwhile();
    if (number < 1 || number > plan.count)
        return noEntry("saying number " + std::to_string(number));
    std::vector<KeyEdit> edits;
    appendRemoval(edits, texts::kSayings, plan.keys, plan.values, number - 1);
    edits.push_back(setKey(texts::kInit, std::string(texts::kSayingCount), std::to_string(plan.count)));
    return settings.applyEdits(edits);
}

WriteResult moveSaying(SettingsFile& settings, int from, int to, const SeenValues& seen)
{
    const auto lock = settings.lockForUpdate();
    const SayingPlan plan = planSayings(settings);
    if (differs(seen, plan.values))
        return changedMeanwhile();
    if (from < 1 || from > plan.count || to < 1 || to > plan.count)
        return noEntry("saying number " + std::to_string(from < 1 || from > plan.count ? from : to));
    std::vector<KeyEdit> edits;
    appendMove(edits, settings, texts::kSayings, plan.keys, plan.values, from - 1, to - 1);
    return settings.applyEdits(edits);
}

}  // namespace dovi
