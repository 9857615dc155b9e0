#include "settings/filepaths.h"

#include <sys/stat.h>
#include <unistd.h>

#include <climits>
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

std::optional<std::filesystem::path> followLinks(std::filesystem::path path)
{
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
            return path;
        char target[PATH_MAX];
        const ssize_t length = ::readlink(path.c_str(), target, sizeof target);
        if (length <= 0 || static_cast<std::size_t>(length) >= sizeof target)
            return std::nullopt;
        const std::filesystem::path next(std::string(target, static_cast<std::size_t>(length)));
        path = next.is_absolute() ? next : directoryOf(path) / next;
    }
    return std::nullopt;
}

}  // namespace dovi
