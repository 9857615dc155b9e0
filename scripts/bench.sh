#!/usr/bin/env bash
# Builds the benchmarks in Release (build-bench, -DDOVI_BENCH=ON) and runs all three parts: the
# settings file and the page build against reading the file once, start-up against a minimal Qt
# window, and rest while minimised (the timer test, then processor time over a minute). Prints the
# machine, the background load and every figure; docs/PERFORMANCE.md explains them. Installs the
# virtual desktop it runs in (Xvfb, openbox, xdotool) when missing.
#   scripts/bench.sh [STARTUP_RUNS] [IDLE_SECONDS] [REPETITIONS]      (defaults: 20, 60, 10)
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-20}
idle=${2:-60}
repetitions=${3:-10}
build=build-bench
DOVI_WITH_DESKTOP=1 scripts/deps.sh

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DDOVI_BENCH=ON >/dev/null
cmake --build "$build" --target dovi dovi-cli settings_bench dovi_bench minimal_window startup_bench form1_tests >/dev/null

echo "== machine"
echo "processors: $(nproc); $(grep -m1 'model name' /proc/cpuinfo | sed 's/.*: //')"
echo "memory: $(free -h | awk '/^Mem:/ {print $2}')"
background() {  # what else the machine is doing: load and the processes busy during one second
  echo "load average: $(cut -d' ' -f1-3 /proc/loadavg); processes over 10% of a core:" \
    "$(top -b -n 2 -d 1 -w 200 | awk '/^top -/ {n++} n == 2 && $1 ~ /^[0-9]+$/ && $9 + 0 > 10 {printf "%s %s%%  ", $12, $9}')"
}
background

echo "== settings file and page build (medians of $repetitions repetitions, interleaved)"
"$build/bench/settings_bench" --benchmark_repetitions="$repetitions" --benchmark_min_time=0.2 \
  --benchmark_enable_random_interleaving=true --benchmark_report_aggregates_only=true --benchmark_color=false

background
echo "== start-up ($runs runs each, alternating), against a window with a Japanese label"
bench/startup.sh "$build" "$runs"
echo "== start-up ($runs runs each, alternating), against a window with a Latin-only label"
bench/startup.sh "$build" "$runs" Dovi

background
echo "== rest while minimised"
QT_QPA_PLATFORM=offscreen TZ=Asia/Tokyo "$build/tests/form1_tests" --gtest_filter='IdleTest.*' --gtest_brief=1
bench/idle.sh "$build" "$idle"

echo "== afterwards"
background
