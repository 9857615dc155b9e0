// Whole processes side by side: CPU time (user + system), wall time and peak memory (maximum
// resident set size) of two commands, run alternately so that both see the same load.
//
//   process_bench [--touch FILE] RUNS NAME_A CMD_A... -- NAME_B CMD_B...
//
// With --touch, FILE gets the present time as its change and modification time just before each
// run of either command: the file was changed just before, as after a copy or a write.
//
// Each command runs RUNS times after one unmeasured warm-up run; its standard output goes to
// /dev/null (both commands produce their whole output all the same). Prints the medians of both
// and the ratios A / B as one line:
//   NAME_A/NAME_B cpu A_MS B_MS RATIO wall A_MS B_MS RATIO rss A_KB B_KB
// A command that exits with a status other than 0 ends the benchmark with status 1.
// Plain C++ without libraries, so that its own small memory cannot colour a child's maximum.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "bench/median.h"

namespace {

struct Sample {
    double cpuMs = 0;
    double wallMs = 0;
    long maxRssKb = 0;
};

double monotonicMs()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

double ms(const timeval& t) { return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_usec) / 1e3; }

bool runOnce(const std::vector<std::string>& command, Sample& sample)
{
    const double start = monotonicMs();
    const pid_t pid = ::fork();
    if (pid < 0)
        return false;
    if (pid == 0) {
        const int null = ::open("/dev/null", O_WRONLY);
        if (null >= 0)
            ::dup2(null, STDOUT_FILENO);
        std::vector<char*> args;
        for (const std::string& arg : command)
            args.push_back(const_cast<char*>(arg.c_str()));
        args.push_back(nullptr);
        ::execvp(args[0], args.data());
        ::_exit(127);
    }
    int status = 0;
    rusage usage{};
    if (::wait4(pid, &status, 0, &usage) != pid)
        return false;
    sample.wallMs = monotonicMs() - start;
    sample.cpuMs = ms(usage.ru_utime) + ms(usage.ru_stime);
    sample.maxRssKb = usage.ru_maxrss;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace

using dovi::bench::median;

int main(int argc, char** argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    std::string touch;
    if (args.size() > 2 && args[0] == "--touch") {
        touch = args[1];
        args.erase(args.begin(), args.begin() + 2);
    }
    const auto split = std::find(args.begin(), args.end(), "--");
    if (args.size() < 3 || split == args.end() || split - args.begin() < 3 || args.end() - split < 3) {
        std::fprintf(stderr, "usage: process_bench [--touch FILE] RUNS NAME_A CMD_A... -- NAME_B CMD_B...\n");
        return 2;
    }
    const int runs = std::max(1, std::atoi(args[0].c_str()));
    const std::string names[2] = {args[1], *(split + 1)};
    const std::vector<std::string> commands[2] = {std::vector<std::string>(args.begin() + 2, split),
                                                  std::vector<std::string>(split + 2, args.end())};
    std::vector<double> cpu[2], wall[2];
    std::vector<long> rss[2];
    for (int run = 0; run <= runs; ++run) {
        for (int which = 0; which < 2; ++which) {
            Sample sample;
            if (!touch.empty() && ::utimensat(AT_FDCWD, touch.c_str(), nullptr, 0) != 0) {
                std::perror(touch.c_str());
                return 1;
            }
            if (!runOnce(commands[which], sample)) {
                std::fprintf(stderr, "process_bench: %s failed\n", names[which].c_str());
                return 1;
            }
            if (run == 0)
                continue;  // the warm-up brings the file and the libraries into the page cache
            cpu[which].push_back(sample.cpuMs);
            wall[which].push_back(sample.wallMs);
            rss[which].push_back(sample.maxRssKb);
        }
    }
    const double c[2] = {median(cpu[0]), median(cpu[1])};
    const double w[2] = {median(wall[0]), median(wall[1])};
    const double r[2] = {median(rss[0]), median(rss[1])};
    std::printf("%s/%s cpu %.2f %.2f %.2f wall %.2f %.2f %.2f rss %.0f %.0f\n", names[0].c_str(), names[1].c_str(),
                c[0], c[1], c[0] / c[1], w[0], w[1], w[0] / w[1], r[0], r[1]);
    return 0;
}
