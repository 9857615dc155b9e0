#include "book/profile.h"

#include <utility>
#include <vector>

#include "book/layout.h"

namespace dovi {

std::string userEntryName()
{
    return "key " + std::string(layout::kUser) + " of section " + std::string(layout::kProfile);
}

WriteResult storeProfile(SettingsStore& store, const ProfileText& profile)
{
    // A user name that reads back as "0" would read as no user at all, and every later start
    // would then stop with the "reinstall" error.
    if (readsAsAbsent(profile.user))
        return writeFailure(WriteFailure::AbsentValue, "a name that reads as \"0\" would count as no user",
                            WritePart::Value);
    const std::pair<std::string_view, const std::string*> values[] = {
        {layout::kUser, &profile.user},
        {layout::kBirthday, &profile.birthday},
        {layout::kSex, &profile.sex},
        {layout::kRegisteredOn, profile.registeredOn ? &*profile.registeredOn : nullptr},
    };
    std::vector<KeyEdit> edits;
    for (const auto& [key, value] : values)
        if (value)
            edits.push_back({KeyEdit::Kind::Set, std::string(layout::kProfile), std::string(key), *value});
    return store.applyEdits(edits);
}

}  // namespace dovi
