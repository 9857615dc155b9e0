// get, set, delete (being written)
#include "cli/commands.h"

namespace dovi::cli {
std::span<const Command> settingsCommands() { return {}; }
}  // namespace dovi::cli
