// Paths around the settings file: its folder and the file that a chain of symbolic links names.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace dovi {

// The folder of file: its parent, or "." for a bare name.
std::filesystem::path directoryOf(const std::filesystem::path& file);

// A hidden name beside file: "." + its name + suffix (".dovi.ini.lock" for suffix ".lock").
std::string hiddenName(const std::filesystem::path& file, std::string_view suffix);

// The file that path finally names, following symbolic links (also a dangling last one), or
// nullopt for a loop of links.
std::optional<std::filesystem::path> followLinks(std::filesystem::path path);

// The umask of the process, read without changing it (setting it to read it would race with
// other threads that make files); 022 when the kernel does not say.
mode_t currentUmask();

// How followLinks ended for a writer.
struct WriteTarget {
    enum class Status { Ok, Loop, Untrusted };
    Status status = Status::Ok;
    std::filesystem::path path;  // Ok: the file to write; Untrusted: the link that is not followed
    uid_t linkOwner = 0;         // Untrusted: the owner of that link
};

// The file that a write to path changes, following only symbolic links that belong to the user
// who runs the program or to root, as the kernel's protected_symlinks does in shared folders: a
// link that another user planted (dovi.ini -> /etc/passwd) must not make this user's write land
// in a file of that user's choosing.
WriteTarget writeTargetOf(std::filesystem::path path);

}  // namespace dovi
