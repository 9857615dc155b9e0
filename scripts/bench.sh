#!/usr/bin/env bash
# Builds the benchmarks in Release (build-bench, -DDOVI_BENCH=ON) and runs all parts: whole
# dovi-cli processes against iconv on files of 10 KB to 100 MB and on a file with 8.6 million keys,
# the settings file, the page build and the holidays in process, start-up to the paint of the built
# page against a minimal Qt window, the page, the listing and the saying edits on large files, the 暦 (one day, ranges, whole dovi-cli koyomi processes), and
# rest while minimised (the timer test, then processor time over a minute). Prints the machine, the background load and every figure; docs/PERFORMANCE.md
# explains them. Installs the virtual desktop it runs in (Xvfb, openbox, xdotool) when missing.
#   scripts/bench.sh [STARTUP_RUNS] [IDLE_SECONDS] [REPETITIONS]      (defaults: 20, 60, 10)
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-20}
idle=${2:-60}
repetitions=${3:-10}
build=build-bench
DOVI_WITH_TESTS=1 DOVI_WITH_DESKTOP=1 scripts/deps.sh

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DDOVI_BENCH=ON >/dev/null
cmake --build "$build" --target dovi dovi-cli settings_bench koyomi_bench minimal_window startup_bench form1_tests \
  dovi_builtpage process_bench make_ini dovi-cli-static >/dev/null

echo "== machine"
echo "processors: $(nproc); $(grep -m1 'model name' /proc/cpuinfo | sed 's/.*: //')"
echo "memory: $(free -h | awk '/^Mem:/ {print $2}')"
background() {  # what else the machine is doing: load and the processes busy during one second
  echo "load average: $(cut -d' ' -f1-3 /proc/loadavg); processes over 10% of a core:" \
    "$(top -b -n 2 -d 1 -w 200 | awk '/^top -/ {n++} n == 2 && $1 ~ /^[0-9]+$/ && $9 + 0 > 10 {printf "%s %s%%  ", $12, $9}')"
}
background

echo "== whole processes: dovi-cli page --json against iconv -f CP932 -t UTF-8 (medians, alternating runs)"
files=$(mktemp -d "${TMPDIR:-/tmp}/dovi-bench-files-XXXXXX")
trap 'rm -rf "$files"' EXIT
printf '%-8s %5s %12s %12s %7s %9s %14s %14s %12s\n' size runs "page cpu ms" "iconv cpu ms" ratio "page ms/MB" "page RSS KB" "iconv RSS KB" "RSS limit KB"
for size_runs in 10240:30 1048576:15 10485760:7 104857600:3; do
  size=${size_runs%%:*} n=${size_runs##*:}
  "$build/bench/make_ini" "$size" "$files/page.ini"
  "$build/bench/process_bench" "$n" page "$build/dovi-cli" --ini "$files/page.ini" page --json \
      --at "2000-01-20 08:00:20" --seed 1 -- iconv iconv -f CP932 -t UTF-8 "$files/page.ini" |
    awk -v size="$size" -v n="$n" '{ printf "%-8s %5d %12.2f %12.2f %6.2fx %9.2f %14d %14d %12d\n",
      (size >= 1048576 ? size / 1048576 " MB" : size / 1024 " KB"), n, $3, $4, $5, $3 / (size / 1048576),
      $11, $12, size / 1024 + 16384 }'
  rm -f "$files/page.ini"
done
echo "(goals: ratio at most 1.5x at 10 KB and 1.0x from 1 MB; page RSS at most the file plus 16 MB)"
"$build/bench/make_ini" --many-keys 8600000 "$files/many.ini"
echo "8.6 million keys, $(stat -c %s "$files/many.ini") bytes: dovi-cli get of the last key against iconv"
"$build/bench/process_bench" 3 get "$build/dovi-cli" --ini "$files/many.ini" get 言霊 end \
  -- iconv iconv -f CP932 -t UTF-8 "$files/many.ini"
echo "(goal: cpu ratio at most 2x; RSS at most $(( $(stat -c %s "$files/many.ini") / 1024 + 16384 )) KB)"
rm -f "$files/many.ini"
echo "fixed cost at 10 KB, what it is made of (cpu ms: step, then iconv):"
"$build/bench/make_ini" 10240 "$files/small.ini"
for step in "true:/bin/true" "no-file:$build/dovi-cli --ini $files/missing.ini get init x" \
            "get:$build/dovi-cli --ini $files/small.ini get init 使用者" \
            "header:$build/dovi-cli header" \
            "holidays:$build/dovi-cli --ini $files/small.ini holidays 2027" \
            "page:$build/dovi-cli --ini $files/small.ini page --json --seed 1" \
            "page-static-icu:$build/bench/dovi-cli-static --ini $files/small.ini page --json --seed 1"; do
  # shellcheck disable=SC2086
  "$build/bench/process_bench" 30 "${step%%:*}" ${step#*:} -- iconv iconv -f CP932 -t UTF-8 "$files/small.ini"
done

background
echo "== large files: the page, the listing and the saying edits against iconv (medians of 7 alternating runs)"
bench/bookfile.sh "$build" 7

background
echo "== settings file, page build and holidays in process (medians of $repetitions repetitions, interleaved)"
"$build/bench/settings_bench" --benchmark_repetitions="$repetitions" --benchmark_min_time=0.2 \
  --benchmark_enable_random_interleaving=true --benchmark_report_aggregates_only=true --benchmark_color=false

background
echo "== the 暦 in process (medians of $repetitions repetitions)"
"$build/bench/koyomi_bench" --benchmark_repetitions="$repetitions" --benchmark_report_aggregates_only=true
background
echo "== the 暦 as whole processes: dovi-cli koyomi over 201 years against one year (medians, alternating runs)"
"$build/bench/process_bench" 5 koyomi-1900-2100 "$build/dovi-cli" koyomi 1900-01-01 2100-12-31 \
  -- koyomi-2000 "$build/dovi-cli" koyomi 2000-01-01 2000-12-31
"$build/bench/process_bench" 5 koyomi-1900-2100-json "$build/dovi-cli" koyomi 1900-01-01 2100-12-31 --json \
  -- koyomi-2000-json "$build/dovi-cli" koyomi 2000-01-01 2000-12-31 --json
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
