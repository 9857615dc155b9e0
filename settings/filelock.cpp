#include "settings/filelock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <thread>

#include "settings/filepaths.h"
#include "settings/replacement.h"

namespace dovi {

namespace {

std::atomic<long long> waitLimitMs{3000};

// Opens the lock file, making it when missing. A new lock file is readable by everyone whatever the
// umask: it holds nothing, and everyone who may write the settings file must be able to open it
// (read access is enough for flock). O_NOFOLLOW: a symbolic link planted in its place is refused.
int openLockFile(const std::filesystem::path& path)
{
    const int flags = O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK;
    int fd = ::open(path.c_str(), flags | O_CREAT | O_EXCL, 0644);
    if (fd >= 0) {
        ::fchmod(fd, 0644);
        return fd;
    }
    if (errno != EEXIST)
        return -1;
    fd = ::open(path.c_str(), flags);
    struct stat st {};
    if (fd >= 0 && (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))) {
        ::close(fd);
        errno = EINVAL;
        return -1;
    }
    return fd;
}

WriteResult unavailable(const std::filesystem::path& lockFile, int error)
{
    return writeFailure(WriteFailure::LockUnavailable,
                        "no update lock can be had for the settings file (" + lockFile.string() + ": " +
                            std::strerror(error) + "), so it is not changed",
                        WritePart::None, {}, error);
}

// Takes the lock on fd (of lockFile), waiting at most until deadline; polls, since flock itself
// cannot time out.
WriteResult lockWithin(int fd, const std::filesystem::path& lockFile, std::chrono::steady_clock::time_point deadline)
{
    auto pause = std::chrono::milliseconds(1);
    for (;;) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0)
            return writeDone();
        if (errno == EINTR)
            continue;
        if (errno != EWOULDBLOCK)
            return unavailable(lockFile, errno);
        if (std::chrono::steady_clock::now() >= deadline)
            return writeFailure(WriteFailure::LockTimeout,
                                "another program holds the update lock of the settings file (" + lockFile.string() +
                                    ") and did not release it in time, so the file is not changed");
        std::this_thread::sleep_for(pause);
        pause = std::min(pause * 2, std::chrono::milliseconds(20));
    }
}

// Locks the settings file itself (its inode), after the lock file of its name: writers that reach
// one file by other names (a hard link in another folder, a bind mount of the file) have other
// lock files but meet here. A replacement by rename gives the name a new inode, so the lock is
// taken again until the name still has the inode that is locked. -1 with ok in status when there
// is no file to lock (missing, or not readable, so no write can use it); the open file otherwise.
int lockTheFile(const std::filesystem::path& target, std::chrono::steady_clock::time_point deadline, WriteResult& status)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        const int fd = ::open(target.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
        struct stat locked {}, named {};
        if (fd < 0)
            break;
        if (::fstat(fd, &locked) != 0 || !S_ISREG(locked.st_mode)) {
            ::close(fd);
            break;
        }
        status = lockWithin(fd, target, deadline);
        if (!status.ok) {
            ::close(fd);
            return -1;
        }
        if (::stat(target.c_str(), &named) == 0 && named.st_dev == locked.st_dev && named.st_ino == locked.st_ino)
            return fd;
        ::close(fd);
    }
    status = writeDone();
    return -1;
}

WriteResult untrustedLink(const WriteTarget& target)
{
    return writeFailure(WriteFailure::UntrustedLink,
                        "the settings file " + target.path.string() + " is a symbolic link of another user (user id " +
                            std::to_string(target.linkOwner) + "), so no write follows it");
}

}  // namespace

WriteResult lockTargetProblem(const WriteTarget& target, const std::filesystem::path& file)
{
    switch (target.status) {
    case WriteTarget::Status::Ok: return writeDone();
    case WriteTarget::Status::Untrusted: return untrustedLink(target);
    case WriteTarget::Status::Loop: break;
    }
    return writeFailure(WriteFailure::LinkLoop, "the settings file " + file.string() + " is a loop of symbolic links");
}

void setLockWaitLimit(std::chrono::milliseconds limit) { waitLimitMs = limit.count(); }

std::chrono::milliseconds lockWaitLimit() { return std::chrono::milliseconds(waitLimitMs.load()); }

std::filesystem::path lockFileOf(const std::filesystem::path& target)
{
    return directoryOf(target) / hiddenName(target, ".lock");
}

void LockState::release()
{
    for (int* open : {&fileFd, &fd})
        if (*open >= 0) {
            ::close(*open);  // closing the last descriptor releases the flock
            *open = -1;
        }
}

LockState::~LockState() { release(); }

FileLock::FileLock(std::shared_ptr<LockState> state, const std::filesystem::path& file) : state_(std::move(state))
{
    if (state_->depth++ > 0)
        return;  // a nested hold shares the outermost one's lock, or its failure
    // A link of another user is not followed, and nothing is made beside what it names.
    const WriteTarget target = writeTargetOf(file);
    if (WriteResult problem = lockTargetProblem(target, file); !problem.ok) {
        state_->status = std::move(problem);
        return;
    }
    const std::filesystem::path lockFile = lockFileOf(target.path);
    const int fd = openLockFile(lockFile);
    if (fd < 0) {
        state_->status = unavailable(lockFile, errno);
        return;
    }
    const auto now = std::chrono::steady_clock::now();
    const bool recentTimeout = state_->timedOut && now - state_->lastTimeout < lockWaitLimit();
    const auto deadline = recentTimeout ? now : now + lockWaitLimit();
    state_->status = lockWithin(fd, lockFile, deadline);
    state_->fd = fd;
    if (state_->status.ok)
        state_->fileFd = lockTheFile(target.path, deadline, state_->status);
    if (!state_->status.ok) {
        state_->release();
        state_->timedOut = state_->status.reason == WriteFailure::LockTimeout;
        state_->lastTimeout = std::chrono::steady_clock::now();
        return;
    }
    state_->timedOut = false;
    // A rewrite in place that was cut off is undone before anything reads or writes the file.
    recoverJournal(target.path);
}

FileLock::~FileLock()
{
    if (--state_->depth == 0)
        state_->release();
}

}  // namespace dovi
