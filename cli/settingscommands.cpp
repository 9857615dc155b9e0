// get, set and delete: single values of the settings file, and the 暦's two switches by name
// (get koyomi, set rokuyo off). Arguments and output are UTF-8, whatever the encoding of the file;
// the settings file module converts at the file's edge.
#include <optional>
#include <ostream>

#include "book/koyomisettings.h"
#include "book/snapshot.h"
#include "settings/settingsfile.h"
#include "cli/commands.h"

namespace dovi::cli {

namespace {

// The switches of the 暦 by the names the command line gives them: "koyomi" for the page's 暦 line,
// "rokuyo" for the 六曜.
std::optional<KoyomiSwitch> koyomiSwitchNamed(std::string_view name)
{
    if (name == "koyomi")
        return KoyomiSwitch::Line;
    if (name == "rokuyo")
        return KoyomiSwitch::Rokuyo;
    return std::nullopt;
}

// Prints "on" or "off" for a switch of the 暦.
int getSwitch(Context& context, KoyomiSwitch which)
{
    SettingsFile file(context.ini);
    const KoyomiSettings settings = BookSnapshot::read(file).koyomiSettings();
    context.out << ((which == KoyomiSwitch::Line ? settings.line : settings.rokuyo) ? "on" : "off") << '\n';
    return kOk;
}

int setSwitch(Context& context, KoyomiSwitch which)
{
    const std::string& value = context.args[1];
    if (value != "on" && value != "off")
        return usageError(context, "set", context.args[0] + " is switched on or off, not '" + value + "'");
    SettingsFile file(context.ini);
    const WriteResult result = storeKoyomiSwitch(file, which, value == "on");
    if (result.ok)
        return kOk;
    context.err << "dovi-cli: " << result.error << '\n';
    return kFailed;
}

// Prints what a read gives, "0" for a missing file, section or key.
int get(Context& context)
{
    if (context.args.size() == 1)
        if (const auto which = koyomiSwitchNamed(context.args[0]))
            return getSwitch(context, *which);
    if (context.args.size() != 2)
        return usageError(context, "get", "get needs a section and a key");
    SettingsFile file(context.ini);
    context.out << file.read(context.args[0], context.args[1]) << '\n';
    return kOk;
}

int store(Context& context, const std::optional<std::string_view>& value)
{
    SettingsFile file(context.ini);
    const WriteResult result = file.write(context.args[0], context.args[1], value);
    if (result.ok)
        return kOk;
    context.err << "dovi-cli: " << result.error << '\n';
    return kFailed;
}

int set(Context& context)
{
    if (context.args.size() == 2)
        if (const auto which = koyomiSwitchNamed(context.args[0]))
            return setSwitch(context, *which);
    if (context.args.size() != 3)
        return usageError(context, "set", "set needs a section, a key and a value");
    return store(context, context.args[2]);
}

int remove(Context& context)
{
    if (context.args.size() != 2)
        return usageError(context, "delete", "delete needs a section and a key");
    return store(context, std::nullopt);
}

constexpr Command kCommands[] = {
    {"get", "SECTION KEY", get},
    {"get", "koyomi|rokuyo", get},
    {"set", "SECTION KEY VALUE", set},
    {"set", "koyomi|rokuyo on|off", set},
    {"delete", "SECTION KEY", remove},
};

}  // namespace

std::span<const Command> settingsCommands() { return kCommands; }

}  // namespace dovi::cli
