// The start-up decision, taken on the stored user entry.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace dovi {

enum class Startup {
    Broken,    // no user entry: the file, its profile or the entry is missing
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

// The same on the profile of a snapshot, where a missing entry is none.
inline Startup decideStartup(const std::optional<std::string>& user)
{
    if (!user)
        return Startup::Broken;
    return user->empty() ? Startup::Register : Startup::Run;
}

}  // namespace dovi
