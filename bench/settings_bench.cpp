// What the settings file and the page build cost on files of 10 KB, 1 MB and 10 MB, beside the
// floor: reading the file once and decoding it to UTF-8. After the usual table, the program prints
// each figure as a ratio to the floor of the same size (medians when run with repetitions).
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>

#include "calendar/clock.h"
#include "settings/codepage.h"
#include "settings/settingsfile.h"
#include "texts/texts.h"
#include "bench/inigen.h"
#include "calendar/calendar.h"
#include "book/bookedit.h"
#include "page/daypage.h"

namespace dovi::bench {

namespace {

constexpr std::int64_t kSizes[] = {10 << 10, 1 << 20, 10 << 20};

// The benchmark files, made on first use in a scratch folder that goes away at the end.
class Scratch {
public:
    static Scratch& instance()
    {
        static Scratch scratch;
        return scratch;
    }
    ~Scratch()
    {
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }

    // A file that the page build only reads.
    std::filesystem::path pageFile(std::int64_t size) { return file("page", size, false); }
    // A file with a special day under the bare key kMoveDateKey.
    std::filesystem::path moveFile(std::int64_t size) { return file("move", size, true); }

private:
    Scratch()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "dovi-bench-XXXXXX").string();
        if (!::mkdtemp(pattern.data())) {
            std::perror("dovi-bench: no scratch folder");
            std::exit(1);
        }
        dir_ = pattern;
    }

    std::filesystem::path file(const char* kind, std::int64_t size, bool withBareKey)
    {
        const std::filesystem::path path = dir_ / (std::string(kind) + "-" + std::to_string(size) + ".ini");
        if (!std::filesystem::exists(path)) {
            std::ofstream out(path, std::ios::binary);
            out << makeSettingsFile(static_cast<std::size_t>(size), withBareKey);
        }
        return path;
    }

    std::filesystem::path dir_;
};

// The whole file in one read, as a program that wants all of it does.
std::string readWholeFile(const std::filesystem::path& path)
{
    std::string bytes;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return bytes;
    struct stat st {};
    if (::fstat(fd, &st) == 0) {
        bytes.resize(static_cast<std::size_t>(st.st_size));
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t got = ::read(fd, bytes.data() + done, bytes.size() - done);
            if (got <= 0)
                break;
            done += static_cast<std::size_t>(got);
        }
        bytes.resize(done);
    }
    ::close(fd);
    return bytes;
}

// The moment the pages are built at: a Thursday morning with entries in both dated sections.
LocalDateTime buildMoment()
{
    using namespace std::chrono;
    return {year{2000} / month{kBuildMonth} / day{kBuildDay}, 8, 0, 20};
}

// What tells a changed file from an unchanged one.
std::string fileState(const std::filesystem::path& path)
{
    struct stat st {};
    ::stat(path.c_str(), &st);
    return std::to_string(st.st_ino) + ":" + std::to_string(st.st_size) + ":" + std::to_string(st.st_mtim.tv_sec) +
           "." + std::to_string(st.st_mtim.tv_nsec);
}

void setBytes(benchmark::State& state)
{
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * state.range(0));
}

// Reading and decoding the file once: the least any reader of the whole file does.
void floorRead(benchmark::State& state)
{
    const auto path = Scratch::instance().pageFile(state.range(0));
    for (auto _ : state) {
        const std::string bytes = readWholeFile(path);
        codepage::Codec codec(FileEncoding::Cp932);
        std::string text = codec.decode(bytes);
        benchmark::DoNotOptimize(text.data());
    }
    setBytes(state);
}

// One getini on an unchanged file, as every read after the first is.
void getiniWarm(benchmark::State& state)
{
    SettingsFile settings(Scratch::instance().pageFile(state.range(0)));
    if (settings.read(texts::kInit, texts::kUser) == texts::kAbsent)
        state.SkipWithError("the user entry is missing");
    for (auto _ : state)
        benchmark::DoNotOptimize(settings.read(texts::kInit, texts::kUser));
}

// One getini on a file changed less than two seconds ago: its identity (inode, size, times) cannot
// prove it unchanged, since a second change within the same timestamp tick would keep all of
// it, so the read compares the file's bytes with the cached ones. Every second, off the clock, the
// file gets a new change time (chmod to its own mode) and is parsed again.
void getiniRecent(benchmark::State& state)
{
    const auto path = Scratch::instance().pageFile(state.range(0));
    SettingsFile settings(path);
    auto touched = std::chrono::steady_clock::now() - std::chrono::hours(1);
    for (auto _ : state) {
        if (std::chrono::steady_clock::now() - touched > std::chrono::seconds(1)) {
            state.PauseTiming();
            struct stat st {};
            ::stat(path.c_str(), &st);
            ::chmod(path.c_str(), st.st_mode & 07777);
            if (settings.read(texts::kInit, texts::kUser) == texts::kAbsent)
                state.SkipWithError("the user entry is missing");
            touched = std::chrono::steady_clock::now();
            state.ResumeTiming();
        }
        benchmark::DoNotOptimize(settings.read(texts::kInit, texts::kUser));
    }
}

// Settings objects kept alive past the timed part. The program keeps its one settings object until
// it ends, so its teardown is no part of a start; here they are freed in batches, off the clock.
class Keeper {
public:
    explicit Keeper(benchmark::State& state) : state_(state) {}
    ~Keeper() { kept_.clear(); }
    void keep(std::unique_ptr<SettingsFile> settings)
    {
        kept_.push_back(std::move(settings));
        if (kept_.size() * static_cast<std::size_t>(state_.range(0)) >= (std::size_t{64} << 20) ||
            kept_.size() >= 256) {
            state_.PauseTiming();
            kept_.clear();
            state_.ResumeTiming();
        }
    }

private:
    benchmark::State& state_;
    std::vector<std::unique_ptr<SettingsFile>> kept_;
};

// The first getini of a program start: a new settings object, so the file is read and parsed.
void getiniFresh(benchmark::State& state)
{
    const auto path = Scratch::instance().pageFile(state.range(0));
    Keeper keeper(state);
    for (auto _ : state) {
        auto settings = std::make_unique<SettingsFile>(path);
        benchmark::DoNotOptimize(settings->read(texts::kInit, texts::kUser));
        keeper.keep(std::move(settings));
    }
    setBytes(state);
}

// A special day under the bare key moved to its lettered key, as the page build does it: the
// lettered reads, the read of the bare key and the move, which replaces the whole file (written
// beside it, flushed to the disk, renamed over it). Between iterations, with the clock stopped,
// the bare key is put back.
void bareKeyMove(benchmark::State& state)
{
    SettingsFile settings(Scratch::instance().moveFile(state.range(0)));
    const std::string value(kMoveValue);
    for (auto _ : state) {
        const std::vector<BookEntry> entries = moveBareEntries(settings, Book::SpecialDays, kMoveDateKey).shown;
        state.PauseTiming();
        const bool moved = !entries.empty() && entries.back().bareKey && entries.back().value == value;
        const int letter = static_cast<int>(entries.size()) - 1;
        if (!moved || !settings.write(texts::kSpecialDays, letteredKey(letter, kMoveDateKey), std::nullopt).ok ||
            !settings.write(texts::kSpecialDays, kMoveDateKey, value).ok) {
            state.SkipWithError("the bare key was not moved and put back");
            state.ResumeTiming();
            break;
        }
        state.ResumeTiming();
    }
    setBytes(state);
}

// Runs the build as the program does and checks that it found a saying and wrote nothing.
template <typename Build>
void pageBuild(benchmark::State& state, Build build)
{
    const auto path = Scratch::instance().pageFile(state.range(0));
    const std::string before = fileState(path);
    FixedClock clock(buildMoment());
    StandardRandom random(42);
    Keeper keeper(state);
    DayPage page;
    for (auto _ : state) {
        page = build(path, clock, random, keeper);
        benchmark::DoNotOptimize(page.messages.size());
    }
    if (fileState(path) != before)
        state.SkipWithError("the page build changed the file");
    else if (page.saying == texts::kTitle || page.messageCount() < 2)
        state.SkipWithError("the page build found no saying or no entries");
    setBytes(state);
}

// The page build on a new settings object, as at each program start: includes the one parse.
void pageBuildFresh(benchmark::State& state)
{
    pageBuild(state, [](const std::filesystem::path& path, Clock& clock, RandomSource& random, Keeper& keeper) {
        auto settings = std::make_unique<SettingsFile>(path);
        DayPage page = buildDayPage(*settings, clock, random);
        keeper.keep(std::move(settings));
        return page;
    });
}

// The page build on a settings object that has the file parsed already.
void pageBuildWarm(benchmark::State& state)
{
    SettingsFile settings(Scratch::instance().pageFile(state.range(0)));
    settings.read(texts::kInit, texts::kUser);
    pageBuild(state, [&settings](const std::filesystem::path&, Clock& clock, RandomSource& random, Keeper&) {
        return buildDayPage(settings, clock, random);
    });
}

// The holidays of one year as dovi-cli lists them: the holiday table read in one access, the
// computed holidays worked out once for the year.
void holidaysYear(benchmark::State& state)
{
    SettingsFile settings(Scratch::instance().pageFile(10 << 10));
    for (auto _ : state)
        benchmark::DoNotOptimize(holidaysOfYear(settings, 2027).size());
}

// The same year day by day, as the page build looks up its one day: an access to the file and
// the computed holiday of each day.
void holidaysYearDayByDay(benchmark::State& state)
{
    using namespace std::chrono;
    SettingsFile settings(Scratch::instance().pageFile(10 << 10));
    for (auto _ : state) {
        int marked = 0;
        for (sys_days day = sys_days{year{2027} / 1 / 1}; day <= sys_days{year{2027} / 12 / 31}; day += days{1})
            marked += lookupHoliday(settings, Date{day}).mark;
        benchmark::DoNotOptimize(marked);
    }
}

// The 28 years from 2000 to 2027 in one process.
void holidaysRange(benchmark::State& state)
{
    SettingsFile settings(Scratch::instance().pageFile(10 << 10));
    for (auto _ : state)
        for (int y = 2000; y <= 2027; ++y)
            benchmark::DoNotOptimize(holidaysOfYear(settings, y).size());
}

struct Case {
    const char* name;
    void (*run)(benchmark::State&);
    benchmark::TimeUnit unit;
};
constexpr Case kCases[] = {
    {"floor", floorRead, benchmark::kMillisecond},
    {"getini", getiniWarm, benchmark::kMicrosecond},
    {"getini_recent", getiniRecent, benchmark::kMicrosecond},
    {"getini_fresh", getiniFresh, benchmark::kMillisecond},
    {"bare_key_move", bareKeyMove, benchmark::kMillisecond},
    {"page_build_fresh", pageBuildFresh, benchmark::kMillisecond},
    {"page_build_warm", pageBuildWarm, benchmark::kMillisecond},
};

// The usual console table, then one line per size with every case as a ratio to the floor of that
// size: once by real time, and once by CPU time, which other programs' load on the machine disturbs
// less (it still counts the time spent in the kernel on the program's behalf).
class RatioReporter final : public benchmark::ConsoleReporter {
public:
    // In colour only on a terminal, so that saved output stays plain text.
    RatioReporter() : ConsoleReporter(::isatty(STDOUT_FILENO) ? OO_Defaults : OO_Tabular) {}

    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.error_occurred)
                continue;
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            if (run.run_type == Run::RT_Aggregate && !median)
                continue;
            Figure& figure = figures_[{run.run_name.args, run.run_name.function_name}];
            if (median || !figure.median) {
                const double unit = benchmark::GetTimeUnitMultiplier(run.time_unit);
                figure.seconds[0] = run.GetAdjustedRealTime() / unit;
                figure.seconds[1] = run.GetAdjustedCPUTime() / unit;
                figure.median = median;
                anyMedian_ = anyMedian_ || median;
            }
        }
    }

    void Finalize() override
    {
        ConsoleReporter::Finalize();
        GetOutputStream().flush();
        printTable(0, "real time");
        printTable(1, "CPU time");
        std::fflush(stdout);
    }

private:
    struct Figure {
        double seconds[2] = {0, 0};  // real, CPU
        bool median = false;
    };

    static std::string sizeName(std::int64_t size)
    {
        return size >= (1 << 20) ? std::to_string(size >> 20) + " MB" : std::to_string(size >> 10) + " KB";
    }

    void printTable(int clock, const char* clockName) const
    {
        std::printf("\nRatios to the floor by %s%s (floor = read the file once and decode it to UTF-8)\n", clockName,
                    anyMedian_ ? ", medians" : "");
        std::printf("%-9s %11s", "size", "floor ms");
        for (const Case& c : kCases)
            if (std::string_view(c.name) != "floor")
                std::printf(" %17s", c.name);
        std::printf("\n");
        for (const std::int64_t size : kSizes) {
            const std::string args = std::to_string(size);
            const auto floor = figures_.find({args, "floor"});
            if (floor == figures_.end())
                continue;
            const double floorSeconds = floor->second.seconds[clock];
            std::printf("%-9s %11.3f", sizeName(size).c_str(), floorSeconds * 1e3);
            for (const Case& c : kCases) {
                if (std::string_view(c.name) == "floor")
                    continue;
                const auto it = figures_.find({args, c.name});
                if (it == figures_.end())
                    std::printf(" %17s", "-");
                else
                    std::printf(" %16.3gx", it->second.seconds[clock] / floorSeconds);
            }
            const auto fresh = figures_.find({args, "page_build_fresh"});
            if (fresh != figures_.end())
                std::printf("   page build %s", fresh->second.seconds[clock] <= 2 * floorSeconds
                                                    ? "within 2x the floor"
                                                    : "MORE THAN 2x the floor");
            std::printf("\n");
        }
    }

    std::map<std::pair<std::string, std::string>, Figure> figures_;  // (size, case) -> figures
    bool anyMedian_ = false;
};

}  // namespace

}  // namespace dovi::bench

int main(int argc, char** argv)
{
    using namespace dovi::bench;
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    for (const Case& c : kCases)
        for (const std::int64_t size : kSizes)
            benchmark::RegisterBenchmark(c.name, c.run)->Arg(size)->Unit(c.unit)->UseRealTime();
    benchmark::RegisterBenchmark("holidays_year", holidaysYear)->Unit(benchmark::kMicrosecond)->UseRealTime();
    benchmark::RegisterBenchmark("holidays_year_day_by_day", holidaysYearDayByDay)
        ->Unit(benchmark::kMicrosecond)
        ->UseRealTime();
    benchmark::RegisterBenchmark("holidays_2000_to_2027", holidaysRange)->Unit(benchmark::kMicrosecond)->UseRealTime();
    Scratch::instance();
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
