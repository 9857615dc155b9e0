// File access for the settings file: reading with a cache that is checked against the file on
// every access, the update lock, and all-or-nothing replacement of the file on each write.
#include "settings/settingsfile.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <climits>
#include <cstring>

#include "settings/inifile.h"

namespace dovi {

namespace {

// Larger files are taken as unreadable rather than loaded whole into memory.
constexpr off_t kMaxFileSize = off_t{256} << 20;

// What tells one state of the file from another without reading it. A rename gives a new inode;
// an edit in place changes the size or the times (kept to the nanosecond).
struct FileId {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    timespec modified{}, changed{};

    explicit FileId(const struct stat& st)
        : device(st.st_dev), inode(st.st_ino), size(st.st_size), modified(st.st_mtim), changed(st.st_ctim) {}
    bool operator==(const FileId& o) const
    {
        return device == o.device && inode == o.inode && size == o.size && modified.tv_sec == o.modified.tv_sec &&
               modified.tv_nsec == o.modified.tv_nsec && changed.tv_sec == o.changed.tv_sec &&
               changed.tv_nsec == o.changed.tv_nsec;
    }
};

// The shared state of the update lock of one SettingsFile: the locked directory and how many holds
// are open. Shared with the lock objects, so that a lock may even outlive its SettingsFile.
struct LockState {
    int fd = -1;
    int depth = 0;
    ~LockState()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

std::filesystem::path directoryOf(const std::filesystem::path& file)
{
    return file.has_parent_path() ? file.parent_path() : std::filesystem::path(".");
}

// The file that path finally names, following symbolic links (also a dangling last one), or
// nullopt for a loop of links.
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

class DirectoryLock final : public UpdateLock {
public:
    DirectoryLock(std::shared_ptr<LockState> state, const std::filesystem::path& file) : state_(std::move(state))
    {
        if (state_->depth++ > 0)
            return;
        const auto target = followLinks(file);
        state_->fd = ::open(directoryOf(target.value_or(file)).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (state_->fd < 0)
            return;
        while (::flock(state_->fd, LOCK_EX) != 0 && errno == EINTR) {
        }
    }
    ~DirectoryLock() override
    {
        if (--state_->depth == 0 && state_->fd >= 0) {
            ::close(state_->fd);  // closing the last descriptor releases the flock
            state_->fd = -1;
        }
    }
    DirectoryLock(const DirectoryLock&) = delete;
    DirectoryLock& operator=(const DirectoryLock&) = delete;

private:
    std::shared_ptr<LockState> state_;
};

bool writeAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

WriteResult failure(const std::filesystem::path& file, const char* what, int error)
{
    return writeFailure(WriteFailure::SystemError,
                        "the settings file " + file.string() + " could not be written (" + what + ": " +
                            std::strerror(error) + ")",
                        WritePart::None, {}, error);
}

// The prefix of the names of new files for target: ".dovi.ini.new-", followed by the writer's
// process number, "-" and a counter.
std::string newFilePrefix(const std::filesystem::path& target) { return "." + target.filename().string() + ".new-"; }

// Removes the new files for target that writers killed before their rename left behind: those
// named after a process that no longer exists. Runs under the update lock, so no writer that takes
// it is making a new file just now; the process test also spares writers that could not take it.
// Folders and other names stay; failures are ignored.
void removeStaleNewFiles(const std::filesystem::path& target)
{
    const std::string prefix = newFilePrefix(target);
    DIR* const folder = ::opendir(directoryOf(target).c_str());
    if (!folder)
        return;
    while (const dirent* entry = ::readdir(folder)) {
        const std::string_view name = entry->d_name;
        if (!name.starts_with(prefix))
            continue;
        const std::string_view rest = name.substr(prefix.size());
        pid_t pid = 0;
        const auto [end, ec] = std::from_chars(rest.data(), rest.data() + rest.size(), pid);
        if (ec != std::errc() || pid <= 0 || end == rest.data() + rest.size() || *end != '-')
            continue;
        if (::kill(pid, 0) != 0 && errno == ESRCH)
            ::unlinkat(::dirfd(folder), entry->d_name, 0);  // without AT_REMOVEDIR a folder stays
    }
    ::closedir(folder);
}

// Puts bytes in place of target all at once: a new file beside it, flushed to the disk, renamed
// over it. The old file's permissions and, where allowed, its owner carry over. On failure the
// old file is untouched and the result says why.
WriteResult replaceFile(const std::filesystem::path& target, const std::string& bytes, const struct stat* old)
{
    static unsigned counter = 0;
    const std::filesystem::path directory = directoryOf(target);
    removeStaleNewFiles(target);
    std::filesystem::path temporary;
    int fd = -1;
    for (int attempt = 0; fd < 0 && attempt < 100; ++attempt) {
        temporary = directory / (newFilePrefix(target) + std::to_string(::getpid()) + "-" + std::to_string(++counter));
        fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            return failure(target, "no new file can be made in its folder", errno);
    }
    if (fd < 0)
        return failure(target, "no new file can be made in its folder", EEXIST);
    int error = 0;
    const char* step = "";
    if (old && ::fchmod(fd, old->st_mode & 07777) != 0) {
        error = errno;
        step = "keeping its permissions";
    }
    if (old && ::fchown(fd, old->st_uid, old->st_gid) != 0) {
        // only root and the owner may choose; a file of another owner then becomes ours
    }
    if (!error && !writeAll(fd, bytes)) {
        error = errno ? errno : EIO;
        step = "writing";
    }
    if (!error && ::fsync(fd) != 0) {
        error = errno;
        step = "flushing";
    }
    if (::close(fd) != 0 && !error) {
        error = errno;
        step = "closing";
    }
    if (!error && ::rename(temporary.c_str(), target.c_str()) != 0) {
        error = errno;
        step = "replacing the old file";
    }
    if (error) {
        ::unlink(temporary.c_str());
        return failure(target, step, error);
    }
    const int dirFd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {  // makes the rename itself last across a crash
        ::fsync(dirFd);
        ::close(dirFd);
    }
    return writeDone();
}

}  // namespace

struct SettingsFile::Cache {
    std::optional<FileId> id;  // the state of the file that text holds
    std::optional<IniText> text;
    std::shared_ptr<LockState> lock = std::make_shared<LockState>();

    enum class State { Ok, Missing, Unreadable };

    // Brings text up to the file as it is now: compares the file's identity with the cached one
    // and reads and parses the file again only when it differs.
    State refresh(const std::filesystem::path& path)
    {
        struct stat st {};
        if (::stat(path.c_str(), &st) != 0) {
            const bool missing = errno == ENOENT || errno == ENOTDIR;
            forget();
            return missing ? State::Missing : State::Unreadable;
        }
        if (id && text && *id == FileId(st))
            return State::Ok;
        forget();
        if (!S_ISREG(st.st_mode))
            return State::Unreadable;
        // O_NONBLOCK: if a FIFO took the file's place meanwhile, opening it must not wait.
        const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0)
            return State::Unreadable;
        std::string bytes;
        bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size <= kMaxFileSize;
        // Straight into the one buffer the text keeps: sized by fstat, grown if the file grows
        // while it is read (up to the limit), cut to what was read.
        std::size_t done = 0;
        if (ok)
            bytes.resize(static_cast<std::size_t>(st.st_size) + 1);
        while (ok) {
            if (done == bytes.size()) {
                if (bytes.size() > static_cast<std::size_t>(kMaxFileSize)) {
                    ok = false;
                    break;
                }
                bytes.resize(bytes.size() + 65536);
            }
            const ssize_t got = ::read(fd, bytes.data() + done, bytes.size() - done);
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0) {
                ok = got == 0;
                break;
            }
            done += static_cast<std::size_t>(got);
        }
        bytes.resize(done);
        ::close(fd);
        if (!ok)
            return State::Unreadable;
        text.emplace(std::move(bytes));
        id.emplace(st);
        return State::Ok;
    }

    void forget()
    {
        id.reset();
        text.reset();
    }
};

SettingsFile::SettingsFile(std::filesystem::path path) : path_(std::move(path)), cache_(std::make_unique<Cache>()) {}

SettingsFile::~SettingsFile() = default;

std::string SettingsFile::read(std::string_view section, std::string_view key)
{
    if (cache_->refresh(path_) != Cache::State::Ok)
        return "0";
    return cache_->text->value(section, key).value_or("0");
}

std::optional<std::vector<std::pair<std::string, std::string>>> SettingsFile::readSection(std::string_view section)
{
    if (cache_->refresh(path_) != Cache::State::Ok)
        return std::vector<std::pair<std::string, std::string>>{};
    return cache_->text->entries(section);
}

FileEncoding SettingsFile::encoding()
{
    return cache_->refresh(path_) == Cache::State::Ok ? cache_->text->encoding() : FileEncoding::Cp932;
}

std::unique_ptr<UpdateLock> SettingsFile::lockForUpdate()
{
    return std::make_unique<DirectoryLock>(cache_->lock, path_);
}

WriteResult SettingsStore::moveKey(std::string_view section, std::string_view fromKey, std::string_view toKey,
                                   std::string_view value)
{
    WriteResult result = write(section, fromKey, std::nullopt);
    if (!result.ok)
        return result;
    result = write(section, toKey, value);
    if (!result.ok)
        write(section, fromKey, value);
    return result;
}

std::filesystem::path SettingsFile::pathIn(const std::filesystem::path& folder) { return folder / "dovi.ini"; }

WriteResult SettingsFile::write(std::string_view section, std::string_view key, std::optional<std::string_view> value)
{
    return replaceWith([&](const IniText& text) { return text.edit(section, key, value); });
}

WriteResult SettingsFile::moveKey(std::string_view section, std::string_view fromKey, std::string_view toKey,
                                  std::string_view /*value*/)
{
    return replaceWith([&](const IniText& text) {
        const std::optional<std::string> held = text.value(section, toKey);
        if (held && *held != "0")
            return IniEdit{false, {}, writeFailure(WriteFailure::EntryTaken,
                                                   "the key " + std::string(toKey) + " already holds an entry")};
        return text.renameKey(section, fromKey, toKey);
    });
}

WriteResult SettingsFile::replaceWith(const std::function<IniEdit(const IniText&)>& change)
{
    const DirectoryLock hold(cache_->lock, path_);
    const auto target = followLinks(path_);
    if (!target)
        return writeFailure(WriteFailure::LinkLoop, "the settings file " + path_.string() + " is a loop of symbolic links");
    const std::string name = target->string();

    struct stat st {};
    const bool exists = ::stat(target->c_str(), &st) == 0;
    if (exists && S_ISDIR(st.st_mode))
        return writeFailure(WriteFailure::Folder, "the settings file " + name + " is a folder, not a file");
    if (exists && !S_ISREG(st.st_mode))
        return writeFailure(WriteFailure::NotRegularFile, "the settings file " + name + " is not a regular file");
    // rename() would replace a read-only file in a writable folder; refuse as the file's own
    // permissions say (no write bit at all stops root too).
    if (exists && ((st.st_mode & 0222) == 0 || ::access(target->c_str(), W_OK) != 0))
        return writeFailure(WriteFailure::ReadOnly, "the settings file " + name + " is read-only");

    const Cache::State state = cache_->refresh(path_);
    if (state == Cache::State::Unreadable)
        return writeFailure(WriteFailure::Unreadable, "the settings file " + name + " cannot be read, so it is not changed");
    std::optional<IniText> newFile;
    const IniText& text = state == Cache::State::Ok ? *cache_->text : newFile.emplace(std::string());

    IniEdit edit = change(text);
    if (edit.refusal.reason != WriteFailure::None)
        return edit.refusal;
    if (!edit.changed)
        return {true, {}};
    // Shift-JIS bytes can happen to form valid UTF-8 ("ﾃｩ" is C3 A9); a file whose every non-ASCII
    // byte did would read as UTF-8 from then on, and its values would change.
    if (text.encoding() == FileEncoding::Cp932 && codepage::detect(edit.bytes) != FileEncoding::Cp932)
        return writeFailure(WriteFailure::WouldReadAsUtf8, "the settings file " + name +
                                                               " would read as UTF-8 text after this change, so it is "
                                                               "not changed");
    if (WriteResult replaced = replaceFile(*target, edit.bytes, exists ? &st : nullptr); !replaced.ok)
        return replaced;

    // Keep what was just written, under the identity the new file has.
    cache_->forget();
    struct stat now {};
    if (::stat(path_.c_str(), &now) == 0) {
        cache_->text.emplace(std::move(edit.bytes));
        cache_->id.emplace(now);
    }
    return {true, {}};
}

}  // namespace dovi
