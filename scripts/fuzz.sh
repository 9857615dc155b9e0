#!/usr/bin/env bash
# Builds the fuzz targets with clang (libFuzzer, AddressSanitizer, UndefinedBehaviorSanitizer) in
# build-fuzz and runs each for SECONDS seconds (default 600), one after another, one job each.
#   scripts/fuzz.sh [SECONDS] [CASE...]      CASE: reader, write, page (default: all three)
# Corpus, logs and findings stay under build-fuzz/; a finding belongs in tests/fixtures/fuzz/CASE/.
# Exits non-zero when a target found something.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
seconds=${1:-600}
shift || true
cases=("$@")
[ ${#cases[@]} -eq 0 ] && cases=(reader write page)

scripts/deps.sh
missing=()
for p in clang libclang-rt-14-dev; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  # sudo resets the environment: the frontend goes to it as an argument.
  if [ "$(id -u)" -eq 0 ]; then sudo=(); else sudo=(sudo -n); fi
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

build=$root/build-fuzz
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_COMPILER=clang++ \
  -DDOVI_FUZZ=ON -DDOVI_SANITIZE=ON -DDOVI_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" --target "${cases[@]/#/fuzz_}"

# The seeds: the settings fixtures, the installed dovi.ini and earlier findings.
seeds=$build/seeds
rm -rf "$seeds" && mkdir -p "$seeds"
cp tests/fixtures/settings/*.ini "$seeds/"
cp data/dovi.ini "$seeds/data-dovi.ini"

# The targets write their scratch files on a tmpfs where there is one.
scratch=/tmp
[ -d /dev/shm ] && [ -w /dev/shm ] && scratch=/dev/shm
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

found=0
summary=()
for case in "${cases[@]}"; do
  corpus=$build/corpus/$case
  findings=$build/findings/$case
  run=$build/run/$case
  mkdir -p "$corpus" "$findings" "$run"
  extra=()
  [ -d "tests/fixtures/fuzz/$case" ] && extra+=("$root/tests/fixtures/fuzz/$case")
  echo "== fuzz_$case: ${seconds} s"
  start=$(date +%s)
  # -jobs=1 runs one worker and logs to fuzz-0.log in the current folder.
  (cd "$run" && rm -f fuzz-0.log && TMPDIR=$scratch "$build/fuzz/fuzz_$case" "$corpus" "$seeds" "${extra[@]}" \
     -dict="$root/fuzz/dovi.dict" -max_len=65536 -timeout=10 -rss_limit_mb=2048 \
     -max_total_time="$seconds" -print_final_stats=1 -artifact_prefix="$findings/" \
     -jobs=1 -workers=1 >/dev/null 2>&1) || true
  elapsed=$(( $(date +%s) - start ))
  log=$run/fuzz-0.log
  executions=$(grep -o 'stat::number_of_executed_units: [0-9]*' "$log" | tail -1 | grep -o '[0-9]*$' || true)
  [ -z "$executions" ] && executions=$(grep -o '^#[0-9]*' "$log" | tail -1 | tr -d '#' || true)
  entries=$(find "$corpus" -type f | wc -l)
  new=$(find "$findings" -type f -newer "$seeds" | sort)
  count=$(printf '%s' "$new" | grep -c . || true)
  summary+=("fuzz_$case: ${executions:-0} executions in ${elapsed} s, corpus ${entries} files, ${count} findings")
  if [ "$count" -gt 0 ]; then
    found=1
    echo "$new"
    grep -E '^(==[0-9]+==ERROR|SUMMARY|fuzz check failed|.*runtime error)' "$log" | head -5 || true
  fi
  echo "   log: $log"
done

echo
printf '%s\n' "${summary[@]}"
exit $found
