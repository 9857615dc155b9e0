#include "page/dayentries.h"

#include <optional>
#include <utility>

#include "app/texts.h"
#include "page/calendar.h"

namespace dovi {

std::vector<DayEntry> readDayEntries(SettingsStore& settings, std::string_view section, std::string_view dateKey)
{
    std::vector<DayEntry> entries;
    const auto lock = settings.lockForUpdate();

    int letter = 0;  // in [0, 26]: the next letter to read, then the first free one
    for (; letter < kLetterCount; ++letter) {
        std::string value = settings.read(section, letteredKey(letter, dateKey));
        if (value == texts::kAbsent)
            break;
        entries.push_back({std::move(value), false});
    }

    for (; letter < kLetterCount; ++letter) {
        std::string value = settings.read(section, dateKey);
        if (value == texts::kAbsent)
            break;
        if (!settings.write(section, dateKey, std::nullopt).ok) {
            entries.push_back({std::move(value), true});
            break;
        }
        if (!settings.write(section, letteredKey(letter, dateKey), value).ok) {
            settings.write(section, dateKey, value);
            entries.push_back({std::move(value), true});
            break;
        }
        entries.push_back({std::move(value), true});
    }
    return entries;
}

}  // namespace dovi
