// get, set and delete: single values of the settings file. Arguments and output are UTF-8, whatever
// the encoding of the file; the settings file module converts at the file's edge.
#include <optional>
#include <ostream>

#include "settings/settingsfile.h"
#include "cli/commands.h"

namespace dovi::cli {

namespace {

// Prints what a read gives, "0" for a missing file, section or key.
int get(Context& context)
{
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
    {"set", "SECTION KEY VALUE", set},
    {"delete", "SECTION KEY", remove},
};

}  // namespace

std::span<const Command> settingsCommands() { return kCommands; }

}  // namespace dovi::cli
