// The settings file dovi.ini: single values read and written by section and key, with the rules of
// the Windows private-profile functions that files from Windows machines rely on.
#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "settings/encoding.h"
#include "settings/keyedit.h"
#include "settings/keylisting.h"
#include "settings/writeresult.h"

namespace dovi {

class IniText;
struct IniEdit;

// True when value would read back as "0", the text that means "no entry": reading drops blanks
// around a value and then one pair of quotes around it (" 0", "'0'", "\"0\"", but not "' 0 '").
bool readsAsAbsent(std::string_view value);

// One state of a settings store, for reading only. A value that reads as "0" (the file's word for
// "no entry") and a missing one are both std::nullopt here.
class SettingsView {
public:
    virtual ~SettingsView() = default;
    virtual std::optional<std::string> value(std::string_view section, std::string_view key) const = 0;
    // Every key of section with its value, as SettingsStore::readSection lists them, without the
    // absent ones; nullopt from a view that cannot list a section.
    virtual std::optional<KeyListing> entries(std::string_view section) const = 0;
};

// Held while a sequence of reads and writes must act as one against other processes.
class UpdateLock {
public:
    virtual ~UpdateLock() = default;
};

// What the page build, the registration dialog and the command-line tool need of a settings store.
// All text passes as UTF-8, whatever the encoding of the file behind it.
class SettingsStore {
public:
    virtual ~SettingsStore() = default;

    // The value of key in section; "0" when the file, the section or the key is missing or the file
    // cannot be read; "" for a key present with an empty value.
    virtual std::string read(std::string_view section, std::string_view key) = 0;

    // Every key of section with its value, in one access: the names as read() matches them
    // (without surrounding blanks; in a file, ASCII letters in lower case), each once, with the
    // value read() gives for it. An empty list for a missing file or section; nullopt from a
    // store that cannot list a section, whose callers then read key by key.
    virtual std::optional<std::vector<std::pair<std::string, std::string>>> readSection(std::string_view section)
    {
        static_cast<void>(section);
        return std::nullopt;
    }

    // The store as it is now, for any number of reads that must all see the same state. This
    // default reads through to the store on every lookup (a store in memory changes only when its
    // owner writes); SettingsFile reads the file once and never again for the view.
    virtual std::shared_ptr<const SettingsView> snapshot();

    // Stores value under key in section, creating file, section and key as needed. std::nullopt
    // (an absent value, distinct from "") deletes the key.
    virtual WriteResult write(std::string_view section, std::string_view key,
                              std::optional<std::string_view> value) = 0;

    // Applies edits in order as one change of the store and returns the first refusal, if any. This
    // default writes them one by one (a Rename as moveKey, a Renumber as the Deletes and moves it
    // stands for) and stops at the first failure, keeping the ones before it; SettingsFile applies
    // all of them or none.
    virtual WriteResult applyEdits(std::span<const KeyEdit> edits);

    // Keeps other processes' writes out until the returned lock is released, so that a
    // read-modify-write sequence (moving an entry, adding one under the first free letter) loses
    // nothing. Holds may nest within one process. nullptr where the store needs none. A lock that
    // cannot be had within a few seconds makes every write under it fail (LockUnavailable or
    // LockTimeout); reads still work.
    virtual std::unique_ptr<UpdateLock> lockForUpdate() { return nullptr; }

    // Moves the entry of fromKey in section to toKey; value is what reading fromKey gave. This
    // default deletes fromKey, then writes value under toKey, and writes value back under fromKey
    // if that fails. Not ok when the entry could not be moved (it may then be back under fromKey).
    virtual WriteResult moveKey(std::string_view section, std::string_view fromKey, std::string_view toKey,
                                std::string_view value);

private:
    WriteResult renumberKeys(const KeyEdit& edit);
};

class SettingsFile final : public SettingsStore {
public:
    explicit SettingsFile(std::filesystem::path path);
    // The settings file of the given folder: dovi.ini in it.
    static std::filesystem::path pathIn(const std::filesystem::path& folder);
    ~SettingsFile() override;
    SettingsFile(const SettingsFile&) = delete;
    SettingsFile& operator=(const SettingsFile&) = delete;

    const std::filesystem::path& path() const { return path_; }

    std::string read(std::string_view section, std::string_view key) override;
    std::optional<std::vector<std::pair<std::string, std::string>>> readSection(std::string_view section) override;
    // A write replaces the file as replaceFile in settings/replacement.h describes: a new file
    // renamed over it, or a rewrite in place under a rollback journal. Every write runs under the
    // update lock (the lock file ".dovi.ini.lock" beside the file, and the file itself) and fails
    // when the lock cannot be had, or when the file is reached through a symbolic link of another
    // user than this one and root. A read takes no lock and makes no file, unless it finds the
    // journal of a rewrite in place: then it waits for the lock, which undoes a cut-off rewrite.
    WriteResult write(std::string_view section, std::string_view key,
                      std::optional<std::string_view> value) override;
    std::unique_ptr<UpdateLock> lockForUpdate() override;
    // One read of the file (none when the cache is proven current); the view takes no lock and
    // shares the parsed text, so it is as cheap as the file is large, once.
    std::shared_ptr<const SettingsView> snapshot() override;

    // Moves as one change of the file: afterwards the entry is under toKey and not under fromKey,
    // or the file is unchanged. The line of fromKey gets the name toKey and keeps its value byte for
    // byte, also what a read cannot give back (undecodable bytes, a NUL and what follows it, bytes
    // beyond 1022); value is not used. Refused when toKey holds an entry (a value other than "0"),
    // which the move would overwrite, and when fromKey is missing.
    WriteResult moveKey(std::string_view section, std::string_view fromKey, std::string_view toKey,
                        std::string_view value) override;

    // Applies edits in order to the file's present text and replaces the file once with the
    // result, under the update lock: afterwards all of them are done, or none. Set and Delete act
    // as write() does; Rename as moveKey() does, without its check of the new name (a line of that
    // name goes). Refused as a whole when one edit is refused (its result is returned), and when an
    // intermediate text of a Shift-JIS file would read as UTF-8 (later edits would then be encoded
    // for the wrong code page).
    WriteResult applyEdits(std::span<const KeyEdit> edits) override;

    // How many times this process has read a settings file's bytes, for tests that bound how often
    // an access reads the file.
    static std::size_t readsSoFar();

    // The encoding the file has now (Cp932 for a missing file).
    FileEncoding encoding();

    // Why the file cannot be read, as one sentence that names it (reason Unreadable): it is a
    // folder, a FIFO or another file that is not regular, larger than the size limit, or the
    // system refuses to open it. Ok when it can be read, and when it is missing (reads then give
    // "0", as they do for a missing key).
    WriteResult readProblem() const;

private:
    struct Cache;
    // Replaces the file by the text that change makes of its present text, under the update lock.
    WriteResult replaceWith(const std::function<IniEdit(const IniText&)>& change);

    std::filesystem::path path_;
    std::unique_ptr<Cache> cache_;
};

}  // namespace dovi
