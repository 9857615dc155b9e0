#include "book/lettergap.h"

#include <vector>

#include "book/layout.h"
#include "calendar/calendar.h"

namespace dovi {

WriteResult closeLetterGap(SettingsFile& settings, Book book, std::string_view dateKey)
{
    const auto lock = settings.lockForUpdate();
    const BookSnapshot snapshot = BookSnapshot::read(settings);
    const BookDay& day = snapshot.day(book, dateKey);
    if (day.hidden.empty())
        return writeDone();
    // The letters the shown lettered entries hold are a, b, ... without a gap; the bare-key
    // entries among the shown ones hold none yet.
    int next = 0;  // in [0, 26]: the first letter after the shown lettered entries
    for (const BookEntry& entry : day.shown)
        if (!entry.bareKey)
            ++next;
    if (next + static_cast<int>(day.hidden.size()) > kLetterCount)
        return writeFailure(WriteFailure::NoRoom, "the entries of " + std::string(dateKey) + " need more than 26 letters");
    std::vector<KeyEdit> edits;
    const std::string section(layout::section(book));
    // Hidden entries stand after the gap in letter order, so each one's new letter is free or
    // was freed by the rename before it.
    for (const BookEntry& entry : day.hidden) {
        std::string to = letteredKey(next++, dateKey);
        if (to != entry.key)
            edits.push_back({KeyEdit::Kind::Rename, section, entry.key, std::move(to)});
    }
    return settings.applyEdits(edits);
}

}  // namespace dovi
