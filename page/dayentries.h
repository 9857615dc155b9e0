// The entries of one day in the dated sections "誕生日" and "特別日": lettered keys a01/20,
// b01/20, ... and the bare key 01/20 of the older single-entry form.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "settings/settingsfile.h"

namespace dovi {

// Letters 'a' to 'z': the most entries one day can have in one section.
inline constexpr int kLetterCount = 26;

struct DayEntry {
    std::string value;
    bool fromBareKey = false;  // read under the bare date key (and moved to a letter if possible)
};

// Reads the day's entries of section and moves those of the older form to letters.
//
// First the lettered keys from "a" on, up to the first one that reads "0" (a missing key; an entry
// after a gap in the letters is never read). Then, as long as the bare key dateKey reads other than
// "0": move it to the first free letter (the store's moveKey: delete the bare key, write its value
// under the letter; the settings file does both as one change), go on with the next letter. A file
// can hold the bare key on several lines; each pass moves the one the read returns. The whole
// sequence runs under the store's update lock, so no other process can take the free letter
// between the scan and the write.
//
// Returns every entry read, lettered ones first, in the order read. Limits:
// - When all 26 letters are taken, the bare key is neither read nor touched: there is no letter to
//   move it to, and deleting it would lose it.
// - When the move fails (the file cannot be written, the value cannot be stored again, or the
//   settings file finds the letter taken by an entry after a gap), its entry is returned once, it
//   stays under the bare key, and the moving ends; otherwise it would be read again and again.
// - At most 26 passes: the letters bound the loop even if a store keeps returning the bare key.
std::vector<DayEntry> readDayEntries(SettingsStore& settings, std::string_view section, std::string_view dateKey);

}  // namespace dovi
