// page, holidays, add-birthday, add-special (being written)
#include "cli/commands.h"

namespace dovi::cli {
std::span<const Command> pageCommands() { return {}; }
}  // namespace dovi::cli
