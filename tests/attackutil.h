// Helpers of the attack tests: other users as numeric ids (root only), and dovi-cli or a body of
// code run in a child process as one of them.
#pragma once

#include <grp.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "settings/settingsfile.h"

namespace dovi::test::attack {

namespace fs = std::filesystem;

// Numeric ids of the users of the attacks: A owns the file, B and C are members of group G.
struct Identity {
    uid_t uid;
    gid_t gid;
    std::vector<gid_t> groups;
};
constexpr gid_t kGroup = 54100;
const Identity kA{54101, kGroup, {kGroup}};
const Identity kB{54102, 54102, {54102, kGroup}};
const Identity kC{54103, 54103, {54103, kGroup}};

inline bool isRoot() { return ::geteuid() == 0; }

// In a child process: takes on identity (root only). False when that failed.
inline bool become(const Identity& who)
{
    return ::setgroups(who.groups.size(), who.groups.data()) == 0 && ::setresgid(who.gid, who.gid, who.gid) == 0 &&
           ::setresuid(who.uid, who.uid, who.uid) == 0;
}

inline int codeOf(int status) { return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status); }

struct CliRun {
    int code = -1;  // the exit code, or 128 + the signal that ended the program
    std::string out, err;
};

inline std::string drain(int fd)
{
    std::string text;
    char buffer[4096];
    for (ssize_t got; (got = ::read(fd, buffer, sizeof buffer)) > 0;)
        text.append(buffer, static_cast<std::size_t>(got));
    ::close(fd);
    return text;
}

// A copy of dovi-cli in a folder of its own below the temporary folder, open to every user: the
// build folder may lie in a home folder that other users cannot enter. Made once per process,
// removed at its end.
inline const std::string& reachableCli()
{
    static const struct Copy {
        std::string folder, program;
        Copy()
        {
            std::string pattern = (fs::temp_directory_path() / "dovi-cli-copy-XXXXXX").string();
            folder = ::mkdtemp(pattern.data()) ? pattern : std::string();
            program = folder + "/dovi-cli";
            std::error_code ec;
            fs::copy_file(DOVI_CLI, program, ec);
            ::chmod(folder.c_str(), 0755);
            ::chmod(program.c_str(), 0755);
        }
        ~Copy()
        {
            std::error_code ec;
            fs::remove_all(folder, ec);
        }
    } copy;
    return copy.program;
}

// Runs dovi-cli --ini ini args, as who when given (from reachableCli()); an alarm ends it after 20
// seconds, so that a hang shows as exit code 142.
inline CliRun runCli(const fs::path& ini, std::vector<std::string> args, const Identity* who = nullptr)
{
    args.insert(args.begin(), {who ? reachableCli() : std::string(DOVI_CLI), "--ini", ini.string()});
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    int out[2], err[2];
    if (::pipe(out) != 0 || ::pipe(err) != 0)
        return {};
    const pid_t child = ::fork();
    if (child == 0) {
        ::dup2(out[1], STDOUT_FILENO);
        ::dup2(err[1], STDERR_FILENO);
        if (who && !become(*who))
            ::_exit(126);
        ::alarm(20);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    ::close(out[1]);
    ::close(err[1]);
    CliRun run;
    run.err = drain(err[0]);  // the errors are short: no risk of both pipes filling up
    run.out = drain(out[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    run.code = codeOf(status);
    return run;
}

// Runs body in a child process (as who when given) and gives its exit code (or 128 + signal).
inline int inChild(const std::function<int()>& body, const Identity* who = nullptr)
{
    const pid_t child = ::fork();
    if (child == 0) {
        if (who && !become(*who))
            ::_exit(126);
        ::alarm(30);
        ::_exit(body());
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return codeOf(status);
}

inline void own(const fs::path& path, const Identity& who, mode_t mode)
{
    ASSERT_EQ(::chown(path.c_str(), who.uid, who.gid), 0) << path;
    ASSERT_EQ(::chmod(path.c_str(), mode), 0) << path;
}

inline struct stat statusOf(const fs::path& path)
{
    struct stat st {};
    ::stat(path.c_str(), &st);
    return st;
}

// Forks a writer that stores from + 1, from + 2, ... as the key n of [count] in ini, one write
// through the settings module each, and tells each finished write through a pipe; kills it after
// delayUs microseconds. Sets reported to the last value told (from when none). Fails the test when
// the writer ended by itself (run names the attempt).
inline void killWriterAfter(const fs::path& ini, long from, useconds_t delayUs, int run, long& reported)
{
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::close(fds[0]);
        SettingsFile file(ini);
        for (long next = from + 1;; ++next) {
            if (!file.write("count", "n", std::to_string(next)).ok)
                ::_exit(1);
            if (::write(fds[1], &next, sizeof next) != sizeof next)
                ::_exit(1);
        }
    }
    ::close(fds[1]);
    ::usleep(delayUs);
    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    reported = from;
    for (long got; ::read(fds[0], &got, sizeof got) == sizeof got;)
        reported = got;
    ::close(fds[0]);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the writer failed by itself in run " << run;
}

}  // namespace dovi::test::attack
