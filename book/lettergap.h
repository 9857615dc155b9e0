// Entries after a gap in the letters of a day: the page reads a day's letters from "a" up to the
// first one that is absent, so an entry after such a gap (left by an editor or another program)
// is never shown. Closing the gap gives those entries the letters after the shown ones.
#pragma once

#include <string_view>

#include "book/snapshot.h"
#include "settings/settingsfile.h"

namespace dovi {

// Moves the entries of dateKey in book that the page does not show (BookDay::hidden) to the
// letters right after the shown ones, in their letter order, as one replacement of the file under
// its update lock; every value keeps its bytes. Entries under the older bare key stay where they
// are: they take their letters with the page's own move. Does nothing, successfully, when no entry
// is hidden. Refused (NoRoom) only when the shown and hidden entries together could not fit, which
// the 26 letters rule out.
WriteResult closeLetterGap(SettingsFile& settings, Book book, std::string_view dateKey);

}  // namespace dovi
