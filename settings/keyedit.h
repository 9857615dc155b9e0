// One change of one key in a batch of changes of the settings file.
#pragma once

#include <string>

namespace dovi {

// One change of one key in a batch of changes, for SettingsStore::applyEdits() and
// IniText::editAll().
struct KeyEdit {
    enum class Kind { Set, Delete, Rename };
    Kind kind = Kind::Set;
    std::string section;
    std::string key;
    std::string text;  // Set: the value; Rename: the key's new name; Delete: unused
};

}  // namespace dovi
