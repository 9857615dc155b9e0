// The settings of the 暦: whether the page shows its 暦 line, and whether the page and the book
// window show the 六曜. Both are on unless the file turns them off.
#pragma once

#include "settings/settingsfile.h"

namespace dovi {

struct KoyomiSettings {
    bool line = true;    // the 暦 line under the day of the month
    bool rokuyo = true;  // the 六曜, on that line and in the book window's calendar

    friend bool operator==(const KoyomiSettings&, const KoyomiSettings&) = default;
};

// The two switches, as dovi-cli and the book window name them.
enum class KoyomiSwitch { Line, Rokuyo };

// Turns one switch on or off: one write of its key. Reading the settings never writes them; only
// this does.
WriteResult storeKoyomiSwitch(SettingsStore& settings, KoyomiSwitch which, bool on);

}  // namespace dovi
