#include "page/dayentries.h"

#include <optional>
#include <utility>

#include "texts/texts.h"
#include "calendar/calendar.h"

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
        const bool moved = settings.moveKey(section, dateKey, letteredKey(letter, dateKey), value).ok;
        entries.push_back({std::move(value), true});
        if (!moved)
            break;
    }
    return entries;
}

}  // namespace dovi
