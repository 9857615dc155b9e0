#include "settings/filepaths.h"

#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <string>

namespace dovi {

std::filesystem::path directoryOf(const std::filesystem::path& file)
{
    return file.has_parent_path() ? file.parent_path() : std::filesystem::path(".");
}

std::string hiddenName(const std::filesystem::path& file, std::string_view suffix)
{
    std::string name(1, '.');
    name += file.filename().string();
    name += suffix;
    return name;
}

namespace {

// Follows the links of path; with trustedOnly, stops at a link of another user than this one and
// root.
WriteTarget follow(std::filesystem::path path, bool trustedOnly)
{
    const uid_t self = ::geteuid();
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
            return {WriteTarget::Status::Ok, path, 0};
        if (trustedOnly && st.st_uid != self && st.st_uid != 0)
            return {WriteTarget::Status::Untrusted, path, st.st_uid};
        char target[PATH_MAX];
        const ssize_t length = ::readlink(path.c_str(), target, sizeof target);
        if (length <= 0 || static_cast<std::size_t>(length) >= sizeof target)
            return {WriteTarget::Status::Loop, path, 0};
        const std::filesystem::path next(std::string(target, static_cast<std::size_t>(length)));
        path = next.is_absolute() ? next : directoryOf(path) / next;
    }
    return {WriteTarget::Status::Loop, path, 0};
}

}  // namespace

std::optional<std::filesystem::path> followLinks(std::filesystem::path path)
{
    WriteTarget target = follow(std::move(path), false);
    if (target.status != WriteTarget::Status::Ok)
        return std::nullopt;
    return std::move(target.path);
}

WriteTarget writeTargetOf(std::filesystem::path path) { return follow(std::move(path), true); }

}  // namespace dovi

namespace dovi {

mode_t currentUmask()
{
    std::FILE* const status = std::fopen("/proc/self/status", "re");
    unsigned mask = 022;
    if (status) {
        char line[256];
        while (std::fgets(line, sizeof line, status))
            if (std::sscanf(line, "Umask: %o", &mask) == 1)
                break;
        std::fclose(status);
    }
    return static_cast<mode_t>(mask & 0777);
}

}  // namespace dovi
