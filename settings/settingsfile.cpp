// File access for the settings file: reading with a cache that is checked against the file on
// every access, the update lock, and all-or-nothing replacement of the file on each write.
#include "settings/settingsfile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <ctime>

#include "settings/filebytes.h"
#include "settings/filelock.h"
#include "settings/filepaths.h"
#include "settings/inifile.h"
#include "settings/replacement.h"

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

    // Whether an equal identity proves equal content for a copy read at readAt. Timestamps are
    // coarse (one tick of the kernel's clock; two seconds on FAT), so a second same-size change
    // within the tick of the first, in place or in a new file that reuses the inode number, keeps
    // every part of the identity. Only a copy read clearly after the last change (the change time,
    // which no program can set back) is proven current by an equal identity.
    bool settledBefore(const timespec& readAt) const { return readAt.tv_sec > changed.tv_sec + 2; }
};

timespec wallClock()
{
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    return now;
}

bool sameState(const struct stat& a, const struct stat& b)
{
    return a.st_ino == b.st_ino && a.st_size == b.st_size && a.st_mtim.tv_sec == b.st_mtim.tv_sec &&
           a.st_mtim.tv_nsec == b.st_mtim.tv_nsec && a.st_ctim.tv_sec == b.st_ctim.tv_sec &&
           a.st_ctim.tv_nsec == b.st_ctim.tv_nsec;
}

std::atomic<std::size_t> reads{0};

// The whole content of the regular file at path, with its status; false when it cannot be read
// or is larger than kMaxFileSize. *changed (when given) tells whether the file changed while it
// was read.
bool readWhole(const std::filesystem::path& path, struct stat& st, FileBytes& bytes, bool* changed = nullptr)
{
    // O_NONBLOCK: if a FIFO took the file's place meanwhile, opening it must not wait.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    reads.fetch_add(1, std::memory_order_relaxed);
    bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size <= kMaxFileSize;
    // Straight into the one buffer the text keeps: sized by fstat (one byte more, to see the end
    // in the first read), grown if the file grows while it is read (up to the limit), cut to what
    // was read.
    bytes = FileBytes();
    std::size_t done = 0;
    if (ok)
        bytes.reserve(static_cast<std::size_t>(st.st_size) + 1);
    while (ok) {
        if (done == bytes.capacity()) {
            if (bytes.capacity() > static_cast<std::size_t>(kMaxFileSize)) {
                ok = false;
                break;
            }
            bytes.resize(done);
            bytes.reserve(bytes.capacity() + 65536);
        }
        const ssize_t got = ::read(fd, bytes.data() + done, bytes.capacity() - done);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0) {
            ok = got == 0;
            break;
        }
        done += static_cast<std::size_t>(got);
    }
    if (done > static_cast<std::size_t>(kMaxFileSize))  // grown beyond the limit while it was read
        ok = false;
    bytes.resize(done);
    struct stat after {};
    if (changed)
        *changed = ok && (::fstat(fd, &after) != 0 || !sameState(st, after));
    ::close(fd);
    return ok;
}

}  // namespace

struct SettingsFile::Cache {
    std::optional<FileId> id;  // the state of the file that text holds
    // Shared with the snapshots handed out: a state of the file, never changed once read.
    std::shared_ptr<const IniText> text;
    // Bytes just written, parsed into text only when the file is next read through this cache: a
    // command that writes and ends never parses what it wrote.
    std::optional<std::string> written;
    timespec readAt{};  // when text was read (or found equal to the file)
    std::shared_ptr<LockState> lock = std::make_shared<LockState>();

    enum class State { Ok, Missing, Unreadable };

    // Brings text up to the file as it is now: compares the file's identity with the cached one
    // and parses the file again only when it differs. While the identity cannot prove the content
    // (a change within the last timestamp ticks), the bytes are read and compared.
    State refresh(const std::filesystem::path& path)
    {
        if (written) {
            text = std::make_shared<const IniText>(std::move(*written));
            written.reset();
        }
        struct stat st {};
        if (::stat(path.c_str(), &st) != 0) {
            const bool missing = errno == ENOENT || errno == ENOTDIR;
            forget();
            return missing ? State::Missing : State::Unreadable;
        }
        const bool sameId = id && text && *id == FileId(st);
        if (sameId && id->settledBefore(readAt))
            return State::Ok;
        if (!S_ISREG(st.st_mode)) {
            forget();
            return State::Unreadable;
        }
        const timespec now = wallClock();  // before reading: a change after it is not in bytes
        FileBytes bytes;
        if (!readSettled(path, st, bytes)) {
            forget();
            return State::Unreadable;
        }
        if (!(sameId && *id == FileId(st) && bytes.view() == text->bytes()))
            text = std::make_shared<const IniText>(std::move(bytes));
        id.emplace(st);
        readAt = now;
        return State::Ok;
    }

    // Reads the file as no rewrite in place changes it. A read takes no lock and makes nothing,
    // unless a journal lies beside the file: then a rewrite in place runs, or was cut off, and
    // the read waits for the update lock, whose holder first undoes a cut-off rewrite. Without
    // the lock (a folder where the lock file cannot be made, a link of another user, a holder
    // that does not let go), the journal's old content is what the file holds.
    bool readSettled(const std::filesystem::path& path, struct stat& st, FileBytes& bytes)
    {
        const std::filesystem::path target = followLinks(path).value_or(path);
        if (!hasJournal(target)) {
            bool changed = false;
            if (!readWhole(path, st, bytes, &changed))
                return false;
            if (!changed && !hasJournal(target))
                return true;
        }
        const FileLock hold(lock, path);
        if (hasJournal(target)) {
            if (std::optional<std::string> old = journalContentOf(target)) {
                bytes = FileBytes(std::move(*old));
                return ::stat(path.c_str(), &st) == 0;
            }
        }
        return readWhole(path, st, bytes);
    }

    void forget()
    {
        id.reset();
        text.reset();
        written.reset();
    }
};

SettingsFile::SettingsFile(std::filesystem::path path) : path_(std::move(path)), cache_(std::make_unique<Cache>()) {}

SettingsFile::~SettingsFile() = default;

std::size_t SettingsFile::readsSoFar() { return reads.load(std::memory_order_relaxed); }

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

namespace {

// One state of a settings file: the text read once, shared with the file's cache.
class FileView final : public SettingsView {
public:
    explicit FileView(std::shared_ptr<const IniText> text) : text_(std::move(text)) {}
    std::optional<std::string> value(std::string_view section, std::string_view key) const override
    {
        if (!text_)
            return std::nullopt;
        std::optional<std::string> found = text_->value(section, key);
        if (found && *found == "0")
            return std::nullopt;
        return found;
    }
    std::optional<KeyListing> entries(std::string_view section) const override
    {
        if (!text_)
            return KeyListing{};
        KeyListing listed = text_->listing(section);
        listed.eraseIf([](std::string_view, std::string_view value) { return value == "0"; });
        return listed;
    }

private:
    std::shared_ptr<const IniText> text_;  // null for a missing or unreadable file
};

}  // namespace

std::shared_ptr<const SettingsView> SettingsFile::snapshot()
{
    if (cache_->refresh(path_) != Cache::State::Ok)
        return std::make_shared<const FileView>(nullptr);
    return std::make_shared<const FileView>(cache_->text);
}

FileEncoding SettingsFile::encoding()
{
    return cache_->refresh(path_) == Cache::State::Ok ? cache_->text->encoding() : FileEncoding::Cp932;
}

WriteResult SettingsFile::readProblem() const
{
    const auto unreadable = [this](const std::string& why) {
        return writeFailure(WriteFailure::Unreadable, "the settings file " + path_.string() + " cannot be read (" + why + ")");
    };
    struct stat st {};
    if (::stat(path_.c_str(), &st) != 0)
        return errno == ENOENT || errno == ENOTDIR ? writeDone() : unreadable(std::strerror(errno));
    if (S_ISDIR(st.st_mode))
        return unreadable("it is a folder");
    if (!S_ISREG(st.st_mode))
        return unreadable("it is not a regular file");
    if (st.st_size > kMaxFileSize)
        return unreadable("it is larger than " + std::to_string(kMaxFileSize >> 20) + " MB");
    const int fd = ::open(path_.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return unreadable(std::strerror(errno));
    ::close(fd);
    return writeDone();
}

std::unique_ptr<UpdateLock> SettingsFile::lockForUpdate()
{
    return std::make_unique<FileLock>(cache_->lock, path_);
}

namespace {

// A store without snapshots of its own: every lookup asks the store as it is at that moment.
class LiveView final : public SettingsView {
public:
    explicit LiveView(SettingsStore& store) : store_(&store) {}
    std::optional<std::string> value(std::string_view section, std::string_view key) const override
    {
        std::string read = store_->read(section, key);
        if (read == "0")
            return std::nullopt;
        return read;
    }
    std::optional<KeyListing> entries(std::string_view section) const override
    {
        const auto listed = store_->readSection(section);
        if (!listed)
            return std::nullopt;
        KeyListing kept;
        for (const auto& [name, value] : *listed)
            if (value != "0")
                kept.add(name, value);
        return kept;
    }

private:
    SettingsStore* store_;
};

}  // namespace

std::shared_ptr<const SettingsView> SettingsStore::snapshot() { return std::make_shared<const LiveView>(*this); }

WriteResult SettingsStore::applyEdits(std::span<const KeyEdit> edits)
{
    for (const KeyEdit& edit : edits) {
        WriteResult result;
        switch (edit.kind) {
        case KeyEdit::Kind::Set: result = write(edit.section, edit.key, edit.text); break;
        case KeyEdit::Kind::Delete: result = write(edit.section, edit.key, std::nullopt); break;
        case KeyEdit::Kind::Rename:
            result = moveKey(edit.section, edit.key, edit.text, read(edit.section, edit.key));
            break;
        case KeyEdit::Kind::Renumber: result = renumberKeys(edit); break;
        }
        if (!result.ok)
            return result;
    }
    return writeDone();
}

// A Renumber edit as the Deletes and moves it stands for, one key at a time.
WriteResult SettingsStore::renumberKeys(const KeyEdit& edit)
{
    if (!edit.renumbersSome())
        return writeDone();
    if (!edit.renumberable())
        return KeyEdit::notRenumberable();
    for (int i = 0; i <= edit.last - edit.first; ++i) {
        const int number = edit.renumberedAt(i);
        const std::string key = std::to_string(number);
        const std::string value = read(edit.section, key);
        WriteResult result = value == "0" ? write(edit.section, key, std::nullopt)
                                          : moveKey(edit.section, key, std::to_string(number + edit.by), value);
        if (!result.ok)
            return result;
    }
    return writeDone();
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

WriteResult SettingsFile::applyEdits(std::span<const KeyEdit> edits)
{
    return replaceWith([&](const IniText& text) { return text.editAll(edits); });
}

namespace {

// Why the settings file at target cannot be replaced as it is (a folder, a FIFO, a read-only
// file), or ok; st is its status when it exists.
WriteResult checkReplaceable(const std::filesystem::path& target, const struct stat* st)
{
    const std::string name = target.string();
    if (st && S_ISDIR(st->st_mode))
        return writeFailure(WriteFailure::Folder, "the settings file " + name + " is a folder, not a file");
    if (st && !S_ISREG(st->st_mode))
        return writeFailure(WriteFailure::NotRegularFile, "the settings file " + name + " is not a regular file");
    // rename() would replace a read-only file in a writable folder; refuse as the file's own
    // permissions say (no write bit at all stops root too).
    if (st && ((st->st_mode & 0222) == 0 || ::access(target.c_str(), W_OK) != 0))
        return writeFailure(WriteFailure::ReadOnly, "the settings file " + name + " is read-only");
    return writeDone();
}

// Refused when the new bytes would read in another encoding than text: Shift-JIS bytes can happen
// to form valid UTF-8 ("ﾃｩ" is C3 A9), and a UTF-8 file with some lines that are not UTF-8 can
// lose its majority of UTF-8 lines. Its values would then change, and later writes would add
// sections and keys in the other encoding beside the ones there.
// A batch of edits counts the lines that decide the encoding as it changes them; other edits have
// their bytes detected anew.
WriteResult encodingKept(const IniText& text, const IniEdit& edit, const std::string& name)
{
    const FileEncoding now = text.encoding();
    if (now != FileEncoding::Cp932 && now != FileEncoding::Utf8)
        return writeDone();
    if ((edit.lines ? edit.lines->encoding() : codepage::detect(edit.bytes)) == now)
        return writeDone();
    if (now == FileEncoding::Cp932)
        return writeFailure(WriteFailure::WouldReadAsUtf8, "the settings file " + name +
                                                               " would read as UTF-8 text after this change, so it is "
                                                               "not changed");
    return writeFailure(WriteFailure::WouldReadAsShiftJis, "the settings file " + name +
                                                               " would read as Shift-JIS text after this change, so "
                                                               "it is not changed");
}

}  // namespace

WriteResult SettingsFile::replaceWith(const std::function<IniEdit(const IniText&)>& change)
{
    const WriteTarget resolved = writeTargetOf(path_);
    if (WriteResult refused = lockTargetProblem(resolved, path_); !refused.ok)
        return refused;
    const std::filesystem::path* const target = &resolved.path;
    const std::string name = target->string();
    struct stat st {};
    bool exists = ::stat(target->c_str(), &st) == 0;
    // Refusals that the file itself gives come first and leave the folder as it is.
    if (WriteResult refused = checkReplaceable(*target, exists ? &st : nullptr); !refused.ok)
        return refused;
    const FileLock hold(cache_->lock, path_);
    if (!hold.status().ok)  // never unlocked: the lock is what keeps concurrent writes apart
        return hold.status();
    exists = ::stat(target->c_str(), &st) == 0;  // another writer may have replaced it meanwhile
    if (WriteResult refused = checkReplaceable(*target, exists ? &st : nullptr); !refused.ok)
        return refused;

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
    if (WriteResult refused = encodingKept(text, edit, name); !refused.ok)
        return refused;
    const PresentFile present{st, exists ? std::string_view(text.bytes()) : std::string_view()};
    if (WriteResult replaced = replaceFile(*target, edit.bytes, exists ? &present : nullptr); !replaced.ok)
        return replaced;

    // Keep what was just written, under the identity the new file has.
    cache_->forget();
    struct stat now {};
    const timespec writtenAt = wallClock();
    if (::stat(path_.c_str(), &now) == 0) {
        cache_->written = std::move(edit.bytes);
        cache_->id.emplace(now);
        cache_->readAt = writtenAt;
    }
    return {true, {}};
}

bool readsAsAbsent(std::string_view value) { return valueAsRead(value) == "0"; }

}  // namespace dovi
