#!/usr/bin/env bash
# Installs what is missing, builds with warnings as errors, checks the Debian package, and runs
# every test: once under AddressSanitizer and UndefinedBehaviorSanitizer, then in the normal build.
# As root, the tests that permission bits cannot stop root from passing run as a throw-away
# unprivileged user instead, so that no test is skipped.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
scripts/build.sh build -DDOVI_WERROR=ON
scripts/package.sh build
scripts/build.sh build-asan -DDOVI_WERROR=ON -DDOVI_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug

# "PROGRAM TEST" of each test that needs an unprivileged user.
unprivileged=("settings_tests SettingsFileSystem.ReadOnlyFolderAndUnreadableFile")
user=dovi-test

# Runs one test program's one test as $user from a private copy of the program, so that the build
# folder need not be reachable for that user; fails unless the test ran and passed.
run_unprivileged() {
  local program=$1 test=$2 copy output
  copy=$(mktemp -d)
  chmod 755 "$copy"
  cp "$program" "$copy/"
  output=$(cd "$copy" && setpriv --reuid="$user" --regid="$user" --clear-groups \
             env HOME="$copy" TMPDIR=/tmp TZ=Asia/Tokyo LC_ALL=C.UTF-8 \
             "./$(basename "$program")" --gtest_filter="$test" 2>&1) || true
  rm -rf "$copy"
  if grep -q '^\[  PASSED  \] 1 test' <<<"$output" && ! grep -q SKIPPED <<<"$output"; then
    echo "$test passed as $user"
  else
    echo "$output"
    echo "$test did not pass as $user"
    return 1
  fi
}

run_tests() {
  local build=$1
  if [ "$(id -u)" -ne 0 ]; then
    ctest --test-dir "$build" --output-on-failure --parallel "$(nproc)"
    return
  fi
  local exclude="" entry
  for entry in "${unprivileged[@]}"; do exclude+="${exclude:+|}^${entry#* }\$"; done
  ctest --test-dir "$build" --output-on-failure --parallel "$(nproc)" -E "$exclude"
  for entry in "${unprivileged[@]}"; do run_unprivileged "$build/tests/${entry%% *}" "${entry#* }"; done
}

if [ "$(id -u)" -eq 0 ] && ! id "$user" >/dev/null 2>&1; then
  useradd --system --no-create-home --shell /usr/sbin/nologin "$user"
fi
run_tests build-asan
run_tests build
