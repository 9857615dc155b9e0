// The 暦 in process: one day cold (a fresh computation that reuses nothing), a year, a decade and
// the whole range 1900-2100 (to show the cost is linear in the range), and the equinox days the
// holidays need. Prints first the very first call of the process, before anything is warm.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <ctime>

#include "calendar/koyomi.h"

namespace {

using namespace std::chrono;

// A day that moves through the range with each call, so no two calls ask for the same month.
dovi::Date dayNumber(long n)
{
    return dovi::Date{sys_days{1900y / 1 / 1} + days{(n * 7919) % 73414}};
}

void OneDayCold(benchmark::State& state)
{
    long n = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(dovi::koyomiOf(dayNumber(n++)));
}
BENCHMARK(OneDayCold)->Unit(benchmark::kMillisecond);

void Range(benchmark::State& state)
{
    const int years = static_cast<int>(state.range(0));
    const dovi::Date first = year{2100 - years + 1} / 1 / 1;
    const dovi::Date last = 2100y / 12 / 31;
    for (auto _ : state)
        benchmark::DoNotOptimize(dovi::koyomiRange(first, last));
    state.counters["days"] = static_cast<double>((sys_days{last} - sys_days{first}).count() + 1);
}
BENCHMARK(Range)->Arg(1)->Arg(10)->Arg(100)->Arg(201)->Unit(benchmark::kMillisecond);

void EquinoxDaysOfAYear(benchmark::State& state)
{
    int y = 1900;
    for (auto _ : state) {
        benchmark::DoNotOptimize(dovi::equinoxDays(y));
        y = y == 2100 ? 1900 : y + 1;
    }
}
BENCHMARK(EquinoxDaysOfAYear)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv)
{
    // The machine is often shared: processor time alongside wall time.
    timespec cpuStart{};
    timespec cpuEnd{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &cpuStart);
    const auto start = steady_clock::now();
    benchmark::DoNotOptimize(dovi::koyomiOf(2017y / 2 / 18));
    const double wallMs = duration<double, std::milli>(steady_clock::now() - start).count();
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &cpuEnd);
    const double cpuMs = static_cast<double>(cpuEnd.tv_sec - cpuStart.tv_sec) * 1e3
                         + static_cast<double>(cpuEnd.tv_nsec - cpuStart.tv_nsec) / 1e6;
    std::printf("first call of the process: %.3f ms wall, %.3f ms CPU\n", wallMs, cpuMs);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
