#include "book/koyomisettings.h"

#include "book/snapshot.h"
#include "texts/koyomi.h"

namespace dovi {

namespace {

std::string_view keyOf(KoyomiSwitch which)
{
    return which == KoyomiSwitch::Line ? texts::kKoyomiLineKey : texts::kRokuyoKey;
}

// A switch is off only when its key holds "しない": a missing key, and any other value a person may
// have typed, leave it on, as a printed calendar has it.
bool switchedOn(const std::optional<std::string>& value) { return !value || *value != texts::kSettingOff; }

}  // namespace

KoyomiSettings BookSnapshot::koyomiSettings() const
{
    KoyomiSettings settings;
    settings.line = switchedOn(value(texts::kKoyomiSection, keyOf(KoyomiSwitch::Line)));
    settings.rokuyo = switchedOn(value(texts::kKoyomiSection, keyOf(KoyomiSwitch::Rokuyo)));
    return settings;
}

WriteResult storeKoyomiSwitch(SettingsStore& settings, KoyomiSwitch which, bool on)
{
    return settings.write(texts::kKoyomiSection, keyOf(which), on ? texts::kSettingOn : texts::kSettingOff);
}

}  // namespace dovi
