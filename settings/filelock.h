// The update lock of a settings file: an advisory lock on a lock file beside it, taken with a
// bounded wait. Holds nest within one process.
#pragma once

#include <chrono>
#include <filesystem>
#include <memory>

#include "settings/filepaths.h"
#include "settings/settingsfile.h"
#include "settings/writeresult.h"

namespace dovi {

// How long a writer waits for the update lock that another program holds before its write fails
// (3 seconds unless changed). Tests shorten it.
void setLockWaitLimit(std::chrono::milliseconds limit);
std::chrono::milliseconds lockWaitLimit();

// The lock file of the settings file target: ".dovi.ini.lock" in the same folder. It is made when
// missing and never removed, so that it outlives every replacement of the settings file itself.
std::filesystem::path lockFileOf(const std::filesystem::path& target);

// Why a write may not go to target, which writeTargetOf(file) gave (a loop of links, a link of
// another user), or ok.
WriteResult lockTargetProblem(const WriteTarget& target, const std::filesystem::path& file);

// The update lock of one SettingsFile: the open lock file and the open settings file while held,
// how many holds are open, and why the outermost hold could not be had. Shared with the hold
// objects, so that a hold may even outlive its SettingsFile.
struct LockState {
    int fd = -1;      // the lock file beside the file's name
    int fileFd = -1;  // the settings file itself, locked too when it exists
    void release();
    int depth = 0;
    WriteResult status;  // ok while the lock is held; the failure of the outermost hold otherwise
    // When a wait last ran out: a hold soon after it tries once instead of waiting again, so that a
    // run of writes (a page build moving several entries) waits the limit once, not once per write.
    std::chrono::steady_clock::time_point lastTimeout{};
    bool timedOut = false;
    ~LockState();
};

// One hold of the update lock of the settings file named by file: a lock on the lock file beside
// the file that file names (following only links of this user or root), and one on that file
// itself, so that writers through hard links in other folders exclude each other too. Once held,
// a journal of a rewrite in place that was cut off is undone (recoverJournal).
class FileLock final : public UpdateLock {
public:
    FileLock(std::shared_ptr<LockState> state, const std::filesystem::path& file);
    ~FileLock() override;
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    // ok when the lock is held; otherwise LockUnavailable or LockTimeout with a sentence.
    const WriteResult& status() const { return state_->status; }

private:
    std::shared_ptr<LockState> state_;
};

}  // namespace dovi
