#include "cli/exportfile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "settings/filepaths.h"
#include "settings/replacement.h"

namespace dovi::cli {

std::string writeExportFile(const std::filesystem::path& target, std::string_view bytes,
                            const std::filesystem::path& settingsFile)
{
    const std::string name = target.string();
    const WriteTarget resolved = writeTargetOf(target);
    if (resolved.status == WriteTarget::Status::Loop)
        return name + " is a loop of symbolic links";
    if (resolved.status == WriteTarget::Status::Untrusted)
        return name + " is a symbolic link of another user (user id " + std::to_string(resolved.linkOwner) +
               "), so the export does not follow it";
    const std::filesystem::path& file = resolved.path;
    struct stat old {}, settings {};
    const bool exists = ::stat(file.c_str(), &old) == 0;
    if (!exists && errno != ENOENT)
        return name + " could not be written (" + std::strerror(errno) + ")";
    if (exists && !S_ISREG(old.st_mode))
        return name + " is not a regular file, so the export does not replace it";
    if (exists && ::stat(settingsFile.c_str(), &settings) == 0 && settings.st_dev == old.st_dev &&
        settings.st_ino == old.st_ino)
        return name + " is the settings file itself, so the export does not replace it";

    const std::filesystem::path directory = directoryOf(file);
    std::string temporary = (directory / hiddenName(file, ".new-XXXXXX")).string();
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);  // mode 0600
    if (fd < 0)
        return name + " could not be written (no temporary file can be made beside it: " + std::strerror(errno) + ")";
    const char* step = nullptr;
    if (!writeAll(fd, bytes))
        step = "writing";
    else if (::fsync(fd) != 0)
        step = "flushing";
    else if (::fchmod(fd, exists ? old.st_mode & 07777 : 0666 & ~currentUmask()) != 0)
        step = "setting its mode";
    else if (::rename(temporary.c_str(), file.c_str()) != 0)
        step = "replacing it";
    const int error = errno;
    if (step) {
        if (::ftruncate(fd, 0) != 0) {
            // the removal below is what counts; emptying only keeps a refused removal small
        }
        ::close(fd);
        ::unlink(temporary.c_str());
        return name + " could not be written (" + step + ": " + std::strerror(error) + "); it is as it was";
    }
    ::close(fd);
    const int folder = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {  // makes the rename itself last across a crash
        ::fsync(folder);
        ::close(folder);
    }
    return {};
}

}  // namespace dovi::cli
