// Writing the user profile, as the registration does.
#pragma once

#include <optional>
#include <string>

#include "settings/settingsfile.h"

namespace dovi {

// The profile values as stored: the user's name, the birthday (" 1973/ 7/ 5"), the sex and the
// registration date ("2000/1/20"), which a change of the profile leaves as it is.
struct ProfileText {
    std::string user;
    std::string birthday;
    std::string sex;
    std::optional<std::string> registeredOn;
};

// Where the user's name is stored, for a message about a file without it: "key 使用者 of section init".
std::string userEntryName();

// Writes the values, in that order, as one change (SettingsStore::applyEdits): for a
// settings file, all of them or none. A user name that reads back as "0" is refused with
// AbsentValue before anything is written.
WriteResult storeProfile(SettingsStore& store, const ProfileText& profile);

}  // namespace dovi
