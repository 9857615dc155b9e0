#include "settings/replacement.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <optional>
#include <vector>

#include "settings/filepaths.h"

namespace dovi {

bool writeAll(int fd, std::string_view bytes, off_t offset)
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

namespace {

// The extended attribute that names the journal on the file itself while a rewrite in place
// runs: an access through another hard link (in another folder, with another name) finds the
// journal through it. Where the file system has no user attributes, only accesses through the
// writer's name find the journal.
constexpr const char* kJournalMarker = "user.dovi.journal";

WriteResult failure(const std::filesystem::path& file, const char* what, int error)
{
    return writeFailure(WriteFailure::SystemError,
                        "the settings file " + file.string() + " could not be written (" + what + ": " +
                            std::strerror(error) + ")",
                        WritePart::None, {}, error);
}


void syncFolder(const std::filesystem::path& directory)
{
    const int fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {  // makes a rename or removal itself last across a crash
        ::fsync(fd);
        ::close(fd);
    }
}

// Makes the new, empty file at path (a fixed name, used only under the update lock), readable
// and writable by the writer only, removing what a killed writer left there first; -1 with errno
// set when none can be made.
int createPrivateFile(const std::filesystem::path& path)
{
    if (::unlink(path.c_str()) != 0 && errno != ENOENT)
        return -1;
    return ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
}

// Empties, closes and removes a new file that will not be used, so that even when the folder
// refuses the removal nothing of the content stays behind. False when some of it may stay.
bool discard(int fd, const std::filesystem::path& path)
{
    bool emptied = fd < 0;
    if (fd >= 0) {
        emptied = ::ftruncate(fd, 0) == 0;
        ::close(fd);
    }
    return ::unlink(path.c_str()) == 0 || emptied;
}

// Whether name in the folder is a new file named as earlier versions named them, left by an
// earlier writer: one of a process that no longer exists, or an empty one (a failed writer
// empties its new file before removing it, and under the update lock no other writer is filling
// one).
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
    const std::string prefix = hiddenName(target, ".new-");
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
        if (std::string_view(name) == kJournalMarker)
            continue;  // belongs to a rewrite in place of the old file, not to the file
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

mode_t modeForNewFile() { return 0666 & ~currentUmask(); }

enum class Outcome { Done, Failed, KeepsNoAttributes };

// The new file beside target, renamed over it. KeepsNoAttributes: it could not get the old file's
// attributes, and nothing was changed.
Outcome renameNewFile(const std::filesystem::path& target, const std::string& bytes, const PresentFile* old,
                      WriteResult& result)
{
    const std::filesystem::path directory = directoryOf(target);
    const std::filesystem::path temporary = directory / newFileName(target);
    const int fd = createPrivateFile(temporary);
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

// The journal of an in-place rewrite: the old content, then a trailer that proves it whole (a
// mark, the content's length and its FNV-1a hash, 8 bytes each, little-endian). A journal cut
// off while it was written has no valid trailer.
constexpr std::string_view kJournalMark = "DOVIJNL1";
constexpr std::size_t kTrailerSize = 24;

std::uint64_t fnv1a(std::string_view bytes)
{
    std::uint64_t hash = 14695981039346656037ull;
    for (const char c : bytes)
        hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    return hash;
}

std::string trailerFor(std::string_view content)
{
    std::string trailer(kJournalMark);
    for (const std::uint64_t number : {std::uint64_t{content.size()}, fnv1a(content)})
        for (int i = 0; i < 8; ++i)
            trailer += static_cast<char>(number >> (8 * i) & 0xFF);
    return trailer;
}

// The old content of a journal's bytes, or nullopt when they are no complete journal.
std::optional<std::string_view> journalContent(std::string_view journal)
{
    if (journal.size() < kTrailerSize)
        return std::nullopt;
    const std::string_view content = journal.substr(0, journal.size() - kTrailerSize);
    if (journal.substr(content.size()) != trailerFor(content))
        return std::nullopt;
    return content;
}

// Gives the journal what the settings file allows beyond its owner: the file's owner and group
// where the writer may give them, and the file's read and write bits for group and others where
// it then has the file's group (so that the file's owner, or another member of a shared folder's
// group, can restore it after the writer was killed).
void shareJournalLikeTheFile(int fd, const struct stat& old)
{
    if (::fchown(fd, old.st_uid, old.st_gid) != 0 && ::fchown(fd, static_cast<uid_t>(-1), old.st_gid) != 0) {
        // keeps the writer's group: only the writer may read it
    }
    struct stat now {};
    mode_t mode = 0600;
    if (::fstat(fd, &now) == 0 && now.st_gid == old.st_gid)
        mode |= old.st_mode & 0066;
    ::fchmod(fd, mode);
}


// The journal that the marker on the file at path names, when it names one as this program
// names journals (a hidden name ending in ".journal"); nullopt otherwise.
std::optional<std::filesystem::path> markedJournal(const std::filesystem::path& path)
{
    char value[4096];
    const ssize_t length = ::getxattr(path.c_str(), kJournalMarker, value, sizeof value);
    if (length <= 0)
        return std::nullopt;
    const std::filesystem::path journal(std::string(value, static_cast<std::size_t>(length)));
    const std::string name = journal.filename().string();
    if (!journal.is_absolute() || !name.starts_with('.') || !name.ends_with(".journal"))
        return std::nullopt;
    return journal;
}

// The whole content of the regular file fd, at most limit bytes; false when it cannot be read.
bool readAll(int fd, std::size_t limit, std::string& bytes)
{
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || static_cast<std::uint64_t>(st.st_size) > limit)
        return false;
    bytes.resize(static_cast<std::size_t>(st.st_size));
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t got = ::pread(fd, bytes.data() + done, bytes.size() - done, static_cast<off_t>(done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        done += static_cast<std::size_t>(got);
    }
    return true;
}

// Opens the journal for writing: a new file, or the leftover of an earlier writer that is no
// whole journal (an empty one that a folder where files cannot be removed kept), emptied, so that
// there is never more than one. -1 with errno set: EEXIST for a whole journal that could not be
// put back, which must not be overwritten; EPERM for a leftover that is not a plain file of this
// user or of the settings file's owner (a hard link planted there to make the writer empty it).
int openJournal(const std::filesystem::path& journal, const struct stat& file)
{
    int fd = ::open(journal.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd >= 0 || errno != EEXIST)
        return fd;
    fd = ::open(journal.c_str(), O_RDWR | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0)
        return -1;
    struct stat st {};
    std::string bytes;
    int error = 0;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_nlink != 1 ||
        (st.st_uid != ::geteuid() && st.st_uid != file.st_uid))
        error = EPERM;
    else if (readAll(fd, std::size_t{1} << 30, bytes) && journalContent(bytes))
        error = EEXIST;
    else if (::ftruncate(fd, 0) != 0)
        error = errno;
    if (error == 0)
        return fd;
    ::close(fd);
    errno = error;
    return -1;
}

// Rewrites target in place, keeping its inode and so everything about it but the content, under
// the rollback journal; when writing fails, the old content is written back.
WriteResult rewriteInPlace(const std::filesystem::path& target, const std::string& bytes, const PresentFile& old)
{
    const std::filesystem::path directory = directoryOf(target);
    const int fd = ::open(target.c_str(), O_WRONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0)
        return failure(target, "opening it for writing", errno);
    const std::filesystem::path journal = directory / journalName(target);
    // The marker first: an access through another name that comes after a kill at any later
    // step finds what this writer left.
    std::error_code ec;
    const std::string marker = std::filesystem::absolute(journal, ec).string();
    const bool marked = !ec && ::fsetxattr(fd, kJournalMarker, marker.data(), marker.size(), 0) == 0;
    const int journalFd = openJournal(journal, old.status);
    bool kept = journalFd >= 0 && writeAll(journalFd, old.bytes) && writeAll(journalFd, trailerFor(old.bytes));
    if (kept) {
        shareJournalLikeTheFile(journalFd, old.status);
        kept = ::fsync(journalFd) == 0;
    }
    if (!kept) {
        const int error = errno;
        if (journalFd >= 0)
            discard(journalFd, journal);
        if (marked && error != EEXIST)  // an earlier journal keeps its marker
            ::fremovexattr(fd, kJournalMarker);
        ::close(fd);
        return failure(target, "keeping its old content in a journal", error);
    }
    syncFolder(directory);  // the journal exists for sure before the file changes
    WriteResult result = writeDone();
    bool restored = true;
    if (!overwrite(fd, bytes)) {
        result = failure(target, "writing", errno);
        restored = overwrite(fd, old.bytes);
    }
    if (restored) {  // otherwise the journal is the only whole old content: the next access uses it
        if (::unlink(journal.c_str()) == 0) {
            syncFolder(directory);
        } else if (::ftruncate(journalFd, 0) == 0) {  // a folder that keeps its files: emptied, it is no journal
            ::fsync(journalFd);
        }
        if (marked)
            ::fremovexattr(fd, kJournalMarker);
    }
    ::close(journalFd);
    ::close(fd);
    return result;
}

}  // namespace

std::string newFileName(const std::filesystem::path& target) { return hiddenName(target, ".new"); }

std::string journalName(const std::filesystem::path& target) { return hiddenName(target, ".journal"); }

namespace {

// The journal of target: the one its marker names, else the one beside it.
std::filesystem::path journalOf(const std::filesystem::path& target)
{
    return markedJournal(target).value_or(directoryOf(target) / journalName(target));
}

}  // namespace

bool hasJournal(const std::filesystem::path& target)
{
    // An empty one is none: a writer that just made it has not touched the file yet, and one that
    // a folder kept after the rewrite was emptied to say so.
    struct stat st {};
    return ::lstat(journalOf(target).c_str(), &st) == 0 && st.st_size > 0;
}

namespace {

// The bytes of the journal beside target; false when there is none or it cannot be read.
bool readJournal(const std::filesystem::path& journal, std::string& bytes)
{
    const int fd = ::open(journal.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0)
        return false;
    const bool whole = readAll(fd, (std::size_t{1} << 30) + kTrailerSize, bytes);
    ::close(fd);
    return whole;
}

}  // namespace

std::optional<std::string> journalContentOf(const std::filesystem::path& target)
{
    std::string bytes;
    if (!readJournal(journalOf(target), bytes))
        return std::nullopt;
    const std::optional<std::string_view> content = journalContent(bytes);
    return content ? std::optional<std::string>(*content) : std::nullopt;
}

Recovery recoverJournal(const std::filesystem::path& target)
{
    const bool marked = markedJournal(target).has_value();
    const std::filesystem::path journal = journalOf(target);
    const std::filesystem::path directory = directoryOf(journal);
    const auto unmark = [&] {
        if (marked)
            ::removexattr(target.c_str(), kJournalMarker);
    };
    std::string bytes;
    if (!readJournal(journal, bytes)) {
        if (errno == ENOENT)
            unmark();  // the writer was killed after removing its journal
        return {};     // none, or nothing this program can read: left alone
    }
    const std::optional<std::string_view> content = journalContent(bytes);
    if (!content) {  // cut off before it was whole, so the file was not touched yet
        ::unlink(journal.c_str());
        unmark();
        return {};
    }
    Recovery recovery{true, false, std::string(*content)};
    const int targetFd = ::open(target.c_str(), O_WRONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (targetFd < 0)
        return recovery;
    recovery.restored = overwrite(targetFd, recovery.bytes);
    ::close(targetFd);
    if (recovery.restored && ::unlink(journal.c_str()) == 0) {
        syncFolder(directory);
        unmark();
    }
    return recovery;
}

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
