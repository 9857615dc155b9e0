// Helpers shared by the tests: scratch folders, whole-file bytes, and an in-memory settings store.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

#include "settings/settingsfile.h"

namespace dovi::test {

// A fresh folder below the system's temporary folder, removed with everything in it at the end.
class TempDir {
public:
    TempDir()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "dovi-test-XXXXXX").string();
        path_ = mkdtemp(pattern.data());
    }
    ~TempDir()
    {
        std::error_code ec;
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all, ec);
        std::filesystem::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

inline std::string readBytes(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The names of the entries of a folder.
inline std::set<std::string> namesIn(const std::filesystem::path& dir)
{
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir))
        names.insert(entry.path().filename().string());
    return names;
}

// What a folder holds after writes to its settings file: dovi.ini and the lock file that the first
// write makes and no write removes.
inline const std::set<std::string> kFileAndLock{".dovi.ini.lock", "dovi.ini"};

// The bytes of a settings file from tests/fixtures/settings.
inline std::string fixture(const std::string& name)
{
    return readBytes(std::string(DOVI_FIXTURES "/settings/") + name);
}

// Bytes from a fixed-seed generator: the same garbage on every run.
inline std::string garbage(std::size_t size)
{
    std::string bytes(size, '\0');
    std::uint32_t state = 2024;
    for (char& c : bytes) {
        state = state * 1664525u + 1013904223u;
        c = static_cast<char>(state >> 24);
    }
    return bytes;
}

inline void writeBytes(const std::filesystem::path& file, const std::string& bytes)
{
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << bytes;
}

// A settings store kept in memory that logs every access, to check which keys are read and
// written in which order. Sections and keys match exactly here.
class MemoryStore final : public SettingsStore {
public:
    struct Access {
        char kind;  // 'r' read, 'w' write, 'd' delete
        std::string section, key, value;
        bool operator==(const Access&) const = default;
    };

    void put(const std::string& section, const std::string& key, const std::string& value)
    {
        values_[{section, key}] = value;
    }
    std::optional<std::string> get(const std::string& section, const std::string& key) const
    {
        auto it = values_.find({section, key});
        return it == values_.end() ? std::nullopt : std::optional<std::string>(it->second);
    }

    std::string read(std::string_view section, std::string_view key) override
    {
        log.push_back({'r', std::string(section), std::string(key), {}});
        auto value = get(std::string(section), std::string(key));
        return value ? *value : "0";
    }

    WriteResult write(std::string_view section, std::string_view key,
                      std::optional<std::string_view> value) override
    {
        log.push_back({value ? 'w' : 'd', std::string(section), std::string(key), value ? std::string(*value) : ""});
        if (readOnly)
            return {false, "the settings file cannot be written"};
        if (value)
            values_[{std::string(section), std::string(key)}] = std::string(*value);
        else
            values_.erase({std::string(section), std::string(key)});
        return {true, {}};
    }

    std::vector<Access> log;
    bool readOnly = false;  // every write fails and changes nothing

private:
    std::map<std::pair<std::string, std::string>, std::string> values_;
};

// Another process that holds the update lock of the settings file ini from construction until
// release() or the end of the object. ok() is false when the process could not be started.
class LockHolder {
public:
    explicit LockHolder(const std::filesystem::path& ini)
    {
        int release[2], ready[2];
        if (::pipe(release) != 0 || ::pipe(ready) != 0)
            return;
        pid_ = ::fork();
        if (pid_ == 0) {
            ::close(release[1]);
            SettingsFile file(ini);
            const auto hold = file.lockForUpdate();
            char byte = 1;
            if (::write(ready[1], &byte, 1) != 1)
                ::_exit(1);
            // Holds the lock until the test closes its end of the pipe; what the read returns
            // does not matter, only that it returns.
            const ssize_t released = ::read(release[0], &byte, 1);
            ::_exit(released < 0 ? 1 : 0);
        }
        ::close(release[0]);
        ::close(ready[1]);
        release_ = release[1];
        char byte = 0;
        held_ = pid_ > 0 && ::read(ready[0], &byte, 1) == 1;
        ::close(ready[0]);
    }
    ~LockHolder() { release(); }
    LockHolder(const LockHolder&) = delete;
    LockHolder& operator=(const LockHolder&) = delete;

    bool ok() const { return held_; }
    void release()
    {
        if (release_ >= 0)
            ::close(release_);
        release_ = -1;
        if (pid_ > 0)
            ::waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }

private:
    pid_t pid_ = -1;
    int release_ = -1;
    bool held_ = false;
};

}  // namespace dovi::test
