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

// Takes the lock on fd, waiting at most until deadline; polls, since flock itself cannot time out.
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

}  // namespace

void setLockWaitLimit(std::chrono::milliseconds limit) { waitLimitMs = limit.count(); }

std::chrono::milliseconds lockWaitLimit() { return std::chrono::milliseconds(waitLimitMs.load()); }

std::filesystem::path lockFileOf(const std::filesystem::path& target)
{
    return directoryOf(target) / hiddenName(target, ".lock");
}

LockState::~LockState()
{
    if (fd >= 0)
        ::close(fd);
}

FileLock::FileLock(std::shared_ptr<LockState> state, const std::filesystem::path& file) : state_(std::move(state))
{
    if (state_->depth++ > 0)
        return;  // a nested hold shares the outermost one's lock, or its failure
    const std::filesystem::path lockFile = lockFileOf(followLinks(file).value_or(file));
    const int fd = openLockFile(lockFile);
    if (fd < 0) {
        state_->status = unavailable(lockFile, errno);
        return;
    }
    const auto now = std::chrono::steady_clock::now();
    const bool recentTimeout = state_->timedOut && now - state_->lastTimeout < lockWaitLimit();
    state_->status = lockWithin(fd, lockFile, recentTimeout ? now : now + lockWaitLimit());
    if (!state_->status.ok) {
        ::close(fd);
        state_->timedOut = state_->status.reason == WriteFailure::LockTimeout;
        state_->lastTimeout = std::chrono::steady_clock::now();
        return;
    }
    state_->timedOut = false;
    state_->fd = fd;
}

FileLock::~FileLock()
{
    if (--state_->depth == 0 && state_->fd >= 0) {
        ::close(state_->fd);  // closing the last descriptor releases the flock
        state_->fd = -1;
    }
}

}  // namespace dovi
