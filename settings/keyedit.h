// One change of one key in a batch of changes of the settings file.
#pragma once

#include <climits>
#include <string>
#include <utility>

#include "settings/writeresult.h"

namespace dovi {

// One change of one key in a batch of changes, for SettingsStore::applyEdits() and
// IniText::editAll().
struct KeyEdit {
    enum class Kind { Set, Delete, Rename, Renumber };
    Kind kind = Kind::Set;
    std::string section;
    std::string key;
    std::string text;  // Set: the value; Rename: the key's new name; Delete, Renumber: unused
    // Renumber: the keys whose names are the numbers first to last (decimal, as std::to_string
    // writes them) each take the name of their number plus by, one after the other, in the order
    // in which none takes the name of one still to come (from first up when by is below zero, from
    // last down otherwise). A key that holds nothing at its turn (no line, or a value that reads as
    // "0") is deleted instead. With first above last, or by 0, nothing changes; a number below 0
    // is refused. One edit for what would otherwise be one Rename or Delete for each key, as when
    // an entry of a long numbered list is removed or moved.
    int first = 0, last = 0, by = 0;

    // Renumber: whether it changes any name; whether all its numbers, old and new, are 0 or more
    // (none of int's range overflows); and the number renumbered at step i, i from 0 to last − first.
    bool renumbersSome() const { return by != 0 && first <= last; }
    bool renumberable() const
    {
        return first >= 0 && static_cast<long long>(first) + by >= 0 && static_cast<long long>(last) + by <= INT_MAX;
    }
    int renumberedAt(int i) const { return by < 0 ? first + i : last - i; }
    static WriteResult notRenumberable()
    {
        return writeFailure(WriteFailure::KeyMissing, "keys numbered below 0 cannot be renumbered");
    }

    static KeyEdit renumber(std::string section, int first, int last, int by)
    {
        KeyEdit edit;
        edit.kind = Kind::Renumber;
        edit.section = std::move(section);
        edit.first = first;
        edit.last = last;
        edit.by = by;
        return edit;
    }
};

}  // namespace dovi
