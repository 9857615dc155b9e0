// How long the book window holds the update lock of the settings file for one change of a saying,
// against the processor time of iconv -f CP932 -t UTF-8 reading the same file. The window works
// offscreen on a copy of FILE; each round runs iconv once before each of four changes: edit the
// fifth saying, remove the first, add one (after the removal: 32,766 sayings, the most, fit no
// more), move the fifth one down. Per change, medians of RUNS rounds:
//   - the whole click handler (selecting the row and typing are done before it): this thread's
//     processor time and wall time; an upper bound on the time the lock is held;
//   - the time the lock is held: from the lock file's flock until the close of the last locked
//     descriptor, seen through this program's own flock and close (below), which the settings
//     layer's calls reach; processor time of this thread and wall time, and how often the file's
//     bytes are read while it is held;
//   - iconv's processor time (user + system) as a whole process.
// Between a change and the next click the window rests PAUSE_MS (default 150): below about three
// seconds the file's last change is too recent for its timestamps to prove that the window's copy
// is current, and reads under the lock compare the bytes again.
//   QT_QPA_PLATFORM=offscreen bench/booklock_bench RUNS FILE [PAUSE_MS]      (RUNS: 9 is usual)
#include <QApplication>
#include <QElapsedTimer>
#include <QListWidget>
#include <QLineEdit>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <functional>
#include <iostream>
#include <string>
#include <vector>

#include "bench/median.h"
#include "gui/bookwindow.h"
#include "gui/listpanel.h"
#include "gui/services.h"
#include "settings/settingsfile.h"

namespace {

double threadCpuMs()
{
    timespec t{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

double wallMs()
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// The holds of the update lock seen so far: a hold starts with the first exclusive flock while no
// descriptor is locked and ends when the last locked descriptor is closed or unlocked.
struct LockWatch {
    std::array<int, 8> locked{};
    int lockedCount = 0;
    double cpuStart = 0, wallStart = 0;
    std::size_t readsStart = 0;
    // Summed over the holds since reset().
    int holds = 0;
    double cpu = 0, wall = 0;
    std::size_t reads = 0;

    void reset() { holds = 0, cpu = 0, wall = 0, reads = 0; }
    void taken(int fd)
    {
        if (lockedCount == 0) {
            cpuStart = threadCpuMs(), wallStart = wallMs();
            readsStart = dovi::SettingsFile::readsSoFar();
        }
        if (lockedCount < static_cast<int>(locked.size()))
            locked[static_cast<std::size_t>(lockedCount++)] = fd;
    }
    void dropped(int fd)
    {
        for (int i = 0; i < lockedCount; ++i)
            if (locked[static_cast<std::size_t>(i)] == fd) {
                locked[static_cast<std::size_t>(i)] = locked[static_cast<std::size_t>(--lockedCount)];
                if (lockedCount == 0) {
                    ++holds;
                    cpu += threadCpuMs() - cpuStart, wall += wallMs() - wallStart;
                    reads += dovi::SettingsFile::readsSoFar() - readsStart;
                }
                return;
            }
    }
};

LockWatch watch;

}  // namespace

// This program's flock and close: the system calls themselves, with the lock's holds noted. The
// settings layer linked into this program calls these; the product is not changed.
extern "C" int flock(int fd, int operation) noexcept
{
    const int result = static_cast<int>(::syscall(SYS_flock, fd, operation));
    if (result == 0 && (operation & LOCK_EX))
        watch.taken(fd);
    else if (result == 0 && (operation & LOCK_UN))
        watch.dropped(fd);
    return result;
}

extern "C" int close(int fd)
{
    watch.dropped(fd);
    return static_cast<int>(::syscall(SYS_close, fd));
}

namespace {

using List = dovi::BookWindow::List;

// iconv's processor time (user + system) in ms, its output thrown away.
double iconvCpuMs(const std::filesystem::path& file)
{
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(null, STDOUT_FILENO);
        ::execlp("iconv", "iconv", "-f", "CP932", "-t", "UTF-8", file.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    int status = 0;
    rusage usage{};
    if (pid < 0 || ::wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::cerr << "iconv failed\n";
        std::exit(1);
    }
    const auto ms = [](const timeval& t) { return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_usec) / 1e3; };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

// Lets the window take in what the event loop holds (the change notice of its own write).
void settle(int ms)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

struct Samples {
    std::vector<double> handlerCpu, handlerWall, lockCpu, lockWall, iconv;
    int holds = 0;
    std::size_t reads = 0;
};

}  // namespace

int main(int argc, char** argv)
{
    if ((argc != 3 && argc != 4) || std::atoi(argv[1]) < 1) {
        std::cerr << "usage: booklock_bench RUNS FILE [PAUSE_MS]\n";
        return 2;
    }
    const int runs = std::atoi(argv[1]);
    const int pause = argc == 4 ? std::atoi(argv[3]) : 150;
    QApplication app(argc, argv);

    char folderName[] = "/tmp/dovi-booklock-XXXXXX";
    if (!::mkdtemp(folderName)) {
        std::cerr << "cannot make a temporary folder\n";
        return 1;
    }
    const std::filesystem::path folder = folderName;
    const std::filesystem::path ini = folder / "dovi.ini";
    std::filesystem::copy_file(argv[2], ini);

    dovi::SystemClock clock;
    dovi::Services services = dovi::defaultServices();
    services.clock = &clock;
    services.currentDirectory = [folder] { return folder; };
    services.showMessage = [](const QString& title, const QString& text) {
        std::cerr << "message: " << title.toStdString() << ": " << text.toStdString() << "\n";
    };
    services.confirm = [](const QString&, const QString&) { return true; };
    // The removal's question: its first button (削除) goes on.
    services.choose = [](const QString&, const QString&, const QStringList&, int, int) { return 0; };

    auto window = std::make_unique<dovi::BookWindow>(services);
    window->show();
    window->tabs()->setCurrentIndex(static_cast<int>(List::Sayings));
    settle(150);
    dovi::ListPanel& panel = window->panel(List::Sayings);
    std::cout << "sayings shown: " << panel.list->count() << "; file: " << std::filesystem::file_size(ini)
              << " bytes; pause before each click: " << pause << " ms\n";

    struct Change {
        const char* name;
        std::function<void(int round)> prepare;  // selecting and typing, not timed
        std::function<bool()> click;
    };
    const std::vector<Change> changes = {
        {"edit",
         [&](int round) {
             panel.list->setCurrentRow(4);
             panel.first->setText(QString("書き換えた言葉%1").arg(round));
             panel.second->setText("出典");
         },
         [&] { return panel.changeClicked(); }},
        {"remove-first", [&](int) { panel.list->setCurrentRow(0); }, [&] { return panel.removeClicked(); }},
        {"add",
         [&](int round) {
             panel.newEntryClicked();
             panel.first->setText(QString("足した言葉%1").arg(round));
             panel.second->setText("出典");
         },
         [&] { return panel.addClicked(); }},
        {"move", [&](int) { panel.list->setCurrentRow(4); }, [&] { return panel.moveClicked(1); }},
    };
    std::vector<Samples> samples(changes.size());
    for (int round = 0; round < runs; ++round)
        for (std::size_t c = 0; c < changes.size(); ++c) {
            Samples& s = samples[c];
            s.iconv.push_back(iconvCpuMs(ini));
            changes[c].prepare(round);
            settle(pause);
            watch.reset();
            const double cpu0 = threadCpuMs(), wall0 = wallMs();
            const bool done = changes[c].click();
            const double cpu1 = threadCpuMs(), wall1 = wallMs();
            if (!done || watch.holds < 1) {
                std::cerr << changes[c].name << " did not write the file: "
                          << panel.stateText().toStdString() << "\n";
                return 1;
            }
            s.handlerCpu.push_back(cpu1 - cpu0), s.handlerWall.push_back(wall1 - wall0);
            s.lockCpu.push_back(watch.cpu), s.lockWall.push_back(watch.wall);
            s.holds = std::max(s.holds, watch.holds);
            s.reads = std::max(s.reads, watch.reads);
            settle(150);
        }

    std::cout << "sayings after the runs: " << panel.list->count() << "\n";
    std::printf("%-13s %4s %11s %12s %9s %10s %11s %5s %6s %10s %10s\n", "change", "runs", "handler cpu",
                "handler wall", "lock cpu", "lock wall", "iconv cpu", "holds", "reads", "lock/iconv",
                "3x goal");
    for (std::size_t c = 0; c < changes.size(); ++c) {
        const Samples& s = samples[c];
        const double lockCpu = dovi::bench::median(s.lockCpu), iconv = dovi::bench::median(s.iconv);
        std::printf("%-13s %4d %11.2f %12.2f %9.2f %10.2f %11.2f %5d %6zu %9.2fx %10s\n", changes[c].name, runs,
                    dovi::bench::median(s.handlerCpu), dovi::bench::median(s.handlerWall), lockCpu,
                    dovi::bench::median(s.lockWall), iconv, s.holds, s.reads, lockCpu / iconv,
                    lockCpu <= 3 * iconv ? "met" : "missed");
    }
    std::cout << "(ms, medians; holds and reads: the most in one click; reads of the file's bytes while the lock is held)\n";
    window.reset();
    std::filesystem::remove_all(folder);
    return 0;
}
