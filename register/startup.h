// The start-up decision, taken on the stored user entry.
#pragma once

#include <string_view>

namespace dovi {

enum class Startup {
    Broken,    // "0": the file, its section "init" or the key is missing
    Register,  // "": installed, nobody registered yet
    Run,       // anything else: the registered user's name
};

// Exact comparisons: a name stored as "0" cannot be told from a missing entry.
constexpr Startup decideStartup(std::string_view user)
{
    if (user == "0")
        return Startup::Broken;
    if (user.empty())
        return Startup::Register;
    return Startup::Run;
}

}  // namespace dovi
