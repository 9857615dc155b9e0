#include "settings/replacement.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstring>
#include <vector>

#include "settings/filepaths.h"

namespace dovi {

namespace {

WriteResult failure(const std::filesystem::path& file, const char* what, int error)
{
    return writeFailure(WriteFailure::SystemError,
                        "the settings file " + file.string() + " could not be written (" + what + ": " +
                            std::strerror(error) + ")",
                        WritePart::None, {}, error);
}

// Writes bytes at offset (the end of the file when offset < 0); false with errno set on failure.
bool writeAll(int fd, std::string_view bytes, off_t offset = -1)
{
    while (!bytes.empty()) {
        const ssize_t written = offset < 0 ? ::write(fd, bytes.data(), bytes.size())
                                           : ::pwrite(fd, bytes.data(), bytes.size(), offset);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            if (written == 0)
                errno = EIO;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
        if (offset >= 0)
            offset += written;
    }
    return true;
}

void syncFolder(const std::filesystem::path& directory)
{
    const int fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {  // makes a rename or removal itself last across a crash
        ::fsync(fd);
        ::close(fd);
    }
}

// Makes a new, empty file named prefix + PID-N in directory, readable and writable by the writer
// only; -1 with errno set when none can be made.
int createPrivateFile(const std::filesystem::path& directory, const std::string& prefix, std::filesystem::path& made)
{
    static unsigned counter = 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
        made = directory / (prefix + std::to_string(::getpid()) + "-" + std::to_string(++counter));
        const int fd = ::open(made.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    errno = EEXIST;
    return -1;
}

// Empties, closes and removes a new file that will not be used, so that even when the folder
// refuses the removal nothing of the content stays behind.
void discard(int fd, const std::filesystem::path& path)
{
    if (fd >= 0) {
        if (::ftruncate(fd, 0) != 0) {
            // Nothing more can be done for the content here: the removal below still takes the
            // file away, and where the folder refuses that, the next writer's clean-up of
            // leftovers does.
        }
        ::close(fd);
    }
    ::unlink(path.c_str());
}

// Whether name in the folder is a new file left by an earlier writer: one of a process that no
// longer exists, or an empty one (a failed writer empties its new file before removing it, and
// under the update lock no other writer is filling one).
bool isLeftover(int folderFd, std::string_view name, std::string_view prefix)
{
    if (!name.starts_with(prefix))
        return false;
    const std::string_view rest = name.substr(prefix.size());
    pid_t pid = 0;
    const auto [end, ec] = std::from_chars(rest.data(), rest.data() + rest.size(), pid);
    if (ec != std::errc() || pid <= 0 || end == rest.data() + rest.size() || *end != '-')
        return false;
    if (::kill(pid, 0) != 0 && errno == ESRCH)
        return true;
    struct stat st {};
    return ::fstatat(folderFd, std::string(name).c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode) &&
           st.st_size == 0;
}

// Removes the new files that earlier writers left beside target. Folders and other names stay.
// Returns 0, or the error of a leftover that the folder does not let go (EPERM in an append-only
// folder); a folder that cannot be listed counts as clean.
int removeLeftovers(const std::filesystem::path& target)
{
    const std::string prefix = newFilePrefix(target);
    DIR* const folder = ::opendir(directoryOf(target).c_str());
    if (!folder)
        return 0;
    int stuck = 0;
    while (const dirent* entry = ::readdir(folder)) {
        if (!isLeftover(::dirfd(folder), entry->d_name, prefix))
            continue;
        // without AT_REMOVEDIR a folder stays
        if (::unlinkat(::dirfd(folder), entry->d_name, 0) != 0 && errno != ENOENT && errno != EISDIR)
            stuck = errno;
    }
    ::closedir(folder);
    return stuck;
}

// Copies every extended attribute of from to to; the POSIX ACL is one of them
// (system.posix_acl_access). False when one cannot be read or set.
bool copyExtendedAttributes(int from, int to)
{
    ssize_t size = ::flistxattr(from, nullptr, 0);
    if (size < 0)
        return errno == ENOTSUP;
    std::vector<char> names(static_cast<std::size_t>(size) + 1);
    size = ::flistxattr(from, names.data(), names.size());
    if (size < 0)
        return false;
    for (const char* name = names.data(); name < names.data() + size; name += std::strlen(name) + 1) {
        const ssize_t length = ::fgetxattr(from, name, nullptr, 0);
        if (length < 0)
            return false;
        std::vector<char> value(static_cast<std::size_t>(length) + 1);
        const ssize_t got = ::fgetxattr(from, name, value.data(), value.size());
        if (got < 0 || ::fsetxattr(to, name, value.data(), static_cast<std::size_t>(got), 0) != 0)
            return false;
    }
    return true;
}

// Gives the new file fd what the old file has beyond its content: owner and group first (a change
// of owner clears set-ID bits), then the mode, then the extended attributes with the ACL. True
// when the new file then has the old one's owner, group and mode and every attribute.
bool takeOverAttributes(int fd, const std::filesystem::path& target, const struct stat& old)
{
    if (::fchown(fd, old.st_uid, old.st_gid) != 0 || ::fchmod(fd, old.st_mode & 07777) != 0)
        return false;
    const int oldFd = ::open(target.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (oldFd < 0)
        return false;
    const bool copied = copyExtendedAttributes(oldFd, fd);
    ::close(oldFd);
    struct stat now {};
    return copied && ::fstat(fd, &now) == 0 && now.st_uid == old.st_uid && now.st_gid == old.st_gid &&
           (now.st_mode & 07777) == (old.st_mode & 07777);
}

mode_t modeForNewFile()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

enum class Outcome { Done, Failed, KeepsNoAttributes };

// The new file beside target, renamed over it. KeepsNoAttributes: it could not get the old file's
// attributes, and nothing was changed.
Outcome renameNewFile(const std::filesystem::path& target, const std::string& bytes, const PresentFile* old,
                      WriteResult& result)
{
    const std::filesystem::path directory = directoryOf(target);
    std::filesystem::path temporary;
    const int fd = createPrivateFile(directory, newFilePrefix(target), temporary);
    if (fd < 0) {
        result = failure(target, "no new file can be made in its folder", errno);
        return Outcome::Failed;
    }
    const char* step = nullptr;
    if (!writeAll(fd, bytes))
        step = "writing";
    else if (::fsync(fd) != 0)
        step = "flushing";
    if (step) {
        result = failure(target, step, errno);
        discard(fd, temporary);
        return Outcome::Failed;
    }
    // The final permissions only now, after the content is written and before the rename.
    if (old ? !takeOverAttributes(fd, target, old->status) : ::fchmod(fd, modeForNewFile()) != 0) {
        discard(fd, temporary);
        return Outcome::KeepsNoAttributes;
    }
    // Still open while renaming: a refused rename (an append-only folder) can empty it.
    if (::rename(temporary.c_str(), target.c_str()) != 0) {
        result = failure(target, "replacing the old file", errno);
        discard(fd, temporary);
        return Outcome::Failed;
    }
    ::close(fd);  // flushed above, so closing cannot lose anything
    syncFolder(directory);
    result = writeDone();
    return Outcome::Done;
}

// Writes bytes over the content of fd and cuts it to their length.
bool overwrite(int fd, std::string_view bytes)
{
    return writeAll(fd, bytes, 0) && ::ftruncate(fd, static_cast<off_t>(bytes.size())) == 0 && ::fsync(fd) == 0;
}

// Rewrites target in place, keeping its inode and so everything about it but the content. A copy of
// the old content beside it is flushed first and removed once the new content is flushed; when
// writing fails, the old content is written back.
WriteResult rewriteInPlace(const std::filesystem::path& target, const std::string& bytes, const PresentFile& old)
{
    const std::filesystem::path directory = directoryOf(target);
    const int fd = ::open(target.c_str(), O_WRONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0)
        return failure(target, "opening it for writing", errno);
    std::filesystem::path backup;
    const int copyFd = createPrivateFile(directory, hiddenName(target, ".backup-"), backup);
    if (copyFd < 0 || !writeAll(copyFd, old.bytes) || ::fsync(copyFd) != 0) {
        const int error = errno;
        if (copyFd >= 0)
            discard(copyFd, backup);
        ::close(fd);
        return failure(target, "keeping a copy of its old content", error);
    }
    ::close(copyFd);
    syncFolder(directory);
    WriteResult result = writeDone();
    bool restored = true;
    if (!overwrite(fd, bytes)) {
        result = failure(target, "writing", errno);
        restored = overwrite(fd, old.bytes);
    }
    ::close(fd);
    if (restored) {  // otherwise the copy is the only whole old content: it stays
        ::unlink(backup.c_str());
        syncFolder(directory);
    }
    return result;
}

}  // namespace

std::string newFilePrefix(const std::filesystem::path& target) { return hiddenName(target, ".new-"); }

WriteResult replaceFile(const std::filesystem::path& target, const std::string& bytes, const PresentFile* old)
{
    if (const int stuck = removeLeftovers(target))
        return failure(target, "an earlier new file cannot be removed from its folder", stuck);
    WriteResult result;
    if (old && old->status.st_nlink > 1)
        return rewriteInPlace(target, bytes, *old);
    if (renameNewFile(target, bytes, old, result) != Outcome::KeepsNoAttributes)
        return result;
    if (!old)
        return failure(target, "setting the permissions of the new file", errno ? errno : EPERM);
    return rewriteInPlace(target, bytes, *old);
}

}  // namespace dovi
