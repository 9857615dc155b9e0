// Start-up of dovi against a minimal Qt window: the time from starting the program to its first
// painted frame, and its peak memory (maximum resident set size).
//
//   startup_bench RUNS SETTLE_MS DIR SUBJECT YARDSTICK [YARDSTICK_ARGS...]
//
// Runs SUBJECT and YARDSTICK alternately RUNS times each (after one unmeasured warm-up run of each),
// in the folder DIR. Each program reports its first paint as
// "first-paint NANOSECONDS" of the monotonic clock on standard output; the time counts from just
// before the fork. SETTLE_MS after that report the program is ended with SIGTERM, and wait4()
// gives its maximum resident set size, which therefore covers start-up, the first frames and
// (for dovi) the page build. Prints every run, the medians and the ratios SUBJECT / YARDSTICK.
// Plain C++ without libraries, so that its own small memory cannot colour a child's maximum.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <string>
#include <vector>

#include "bench/median.h"

namespace {

struct Sample {
    double paintMs = 0;  // from the fork to the first paint
    long maxRssKb = 0;   // wait4's ru_maxrss
    long hwmKb = 0;      // VmHWM just before the end, for comparison
};

long long monotonicNs()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

long peakFromStatus(pid_t pid)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0)
            return std::atol(line.c_str() + 6);
    return 0;
}

// The first-paint time the child prints, or -1 when it prints none within the time limit.
long long readFirstPaint(int fd, int timeoutMs)
{
    std::string text;
    const long long deadline = monotonicNs() + timeoutMs * 1000000LL;
    for (;;) {
        const auto newline = text.find('\n');
        if (newline != std::string::npos) {
            const std::string line = text.substr(0, newline);
            text.erase(0, newline + 1);
            if (line.rfind("first-paint ", 0) == 0)
                return std::atoll(line.c_str() + 12);
            continue;
        }
        const long long left = (deadline - monotonicNs()) / 1000000LL;
        if (left <= 0)
            return -1;
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(left)) <= 0)
            return -1;
        char buffer[256];
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got <= 0)
            return -1;
        text.append(buffer, static_cast<std::size_t>(got));
    }
}

bool runOnce(const std::vector<std::string>& command, const std::string& dir, int settleMs, Sample& sample)
{
    int out[2];
    if (::pipe2(out, O_CLOEXEC) != 0)
        return false;
    const std::string errorLog = dir + "/stderr.log";
    const long long start = monotonicNs();
    const pid_t pid = ::fork();
    if (pid < 0)
        return false;
    if (pid == 0) {
        ::dup2(out[1], STDOUT_FILENO);
        const int err = ::open(errorLog.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
        if (err >= 0)
            ::dup2(err, STDERR_FILENO);
        if (::chdir(dir.c_str()) != 0)
            ::_exit(126);
        std::vector<char*> args;
        for (const std::string& arg : command)
            args.push_back(const_cast<char*>(arg.c_str()));
        args.push_back(nullptr);
        ::execv(args[0], args.data());
        ::_exit(127);
    }
    ::close(out[1]);
    const long long painted = readFirstPaint(out[0], 30000);
    if (painted > 0)
        ::usleep(static_cast<useconds_t>(settleMs) * 1000);
    sample.hwmKb = peakFromStatus(pid);
    ::kill(pid, SIGTERM);
    int status = 0;
    rusage usage{};
    ::wait4(pid, &status, 0, &usage);
    ::close(out[0]);
    sample.paintMs = static_cast<double>(painted - start) / 1e6;
    sample.maxRssKb = usage.ru_maxrss;
    return painted > 0;
}

std::string baseName(const std::string& path)
{
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

using dovi::bench::median;

int main(int argc, char** argv)
{
    if (argc < 6) {
        std::fprintf(stderr, "usage: startup_bench RUNS SETTLE_MS DIR SUBJECT YARDSTICK [YARDSTICK_ARGS...]\n");
        return 2;
    }
    const int runs = std::atoi(argv[1]);
    const int settleMs = std::atoi(argv[2]);
    const std::string dir = argv[3];
    const std::string programs[2] = {argv[4], argv[5]};
    const std::vector<std::string> commands[2] = {{argv[4]}, std::vector<std::string>(argv + 5, argv + argc)};
    std::vector<Sample> samples[2];

    std::printf("%-4s %-16s %14s %16s %12s\n", "run", "program", "first paint ms", "max RSS KB", "VmHWM KB");
    for (int run = 0; run <= runs; ++run) {
        for (int which = 0; which < 2; ++which) {
            Sample sample;
            if (!runOnce(commands[which], dir, settleMs, sample)) {
                std::fprintf(stderr, "%s reported no first paint (see %s/stderr.log)\n", programs[which].c_str(),
                             dir.c_str());
                return 1;
            }
            if (run == 0)
                continue;  // the warm-up fills the file and font caches
            samples[which].push_back(sample);
            std::printf("%-4d %-16s %14.1f %16ld %12ld\n", run, baseName(programs[which]).c_str(), sample.paintMs,
                        sample.maxRssKb, sample.hwmKb);
        }
    }

    double ms[2], kb[2];
    for (int which = 0; which < 2; ++which) {
        std::vector<double> paint;
        std::vector<long> rss;
        for (const Sample& s : samples[which]) {
            paint.push_back(s.paintMs);
            rss.push_back(s.maxRssKb);
        }
        ms[which] = median(paint);
        kb[which] = median(rss);
        std::printf("median %-16s first paint %.1f ms, max RSS %.0f KB\n", baseName(programs[which]).c_str(), ms[which],
                    kb[which]);
    }
    const double timeRatio = ms[0] / ms[1];
    const double memoryRatio = kb[0] / kb[1];
    std::printf("ratio %s / %s: time %.2fx, memory %.2fx (goal: at most 1.1x time, 1.15x memory: %s)\n",
                baseName(programs[0]).c_str(), baseName(programs[1]).c_str(), timeRatio, memoryRatio,
                timeRatio <= 1.1 && memoryRatio <= 1.15 ? "met" : "MISSED");
    return 0;
}
