#!/usr/bin/env bash
# Installs what is missing, builds and runs every test, as CI does: in build-test/ with Debian's own
# build flags (dpkg-buildflags, as the package is built) and warnings as errors, in build-asan/
# under AddressSanitizer and UndefinedBehaviorSanitizer, and checks the Debian package. The folder
# build/ of scripts/run.sh is left alone.
# As root, the tests that permission bits cannot stop root from passing run as a throw-away
# unprivileged user instead, and a skipped test fails the run. As any other user, the tests that
# need root are skipped and named in one closing line.
set -euo pipefail
cd "$(dirname "$0")/.."
DOVI_WITH_TESTS=1 DOVI_WITH_DESKTOP=1 scripts/deps.sh

# The flags of the package build (debian/rules): Debian's defaults with every hardening option.
debian_flags() {
  DEB_BUILD_MAINT_OPTIONS=hardening=+all DEB_CXXFLAGS_MAINT_APPEND="-fstack-clash-protection -fcf-protection" \
    dpkg-buildflags --get "$1"
}
CXXFLAGS="$(debian_flags CPPFLAGS) $(debian_flags CXXFLAGS)" LDFLAGS="$(debian_flags LDFLAGS)" \
  scripts/build.sh build-test -DDOVI_WERROR=ON -DCMAKE_BUILD_TYPE=None
scripts/package.sh build-test
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

# The names of the tests that ctest's JUnit report $1 marks as skipped, one a line, with the reason
# they gave ("NAME<TAB>REASON").
skipped_tests() {
  python3 - "$1" <<'PYTHON'
import re, sys, xml.etree.ElementTree as tree
for case in tree.parse(sys.argv[1]).getroot().iter("testcase"):
    if case.get("status") == "skipped" or case.find("skipped") is not None:
        output = case.findtext("system-out") or ""
        # GoogleTest prints "FILE:LINE: Skipped", the reason, then "[  SKIPPED ] NAME".
        reason = re.search(r": Skipped\n(.*?)\n\[  SKIPPED \]", output, re.S)
        print(case.get("name") + "\t" + (" ".join(reason.group(1).split()) if reason else ""))
PYTHON
}

needs_root=()
run_tests() {
  local build=$1 report=$1/ctest-junit.xml exclude="" entry status=0
  if [ "$(id -u)" -eq 0 ]; then
    for entry in "${unprivileged[@]}"; do exclude+="${exclude:+|}^${entry#* }\$"; done
  fi
  ctest --test-dir "$build" --output-on-failure --parallel "$(nproc)" ${exclude:+-E "$exclude"} \
    --output-junit "$PWD/$report" || status=1
  if [ "$(id -u)" -eq 0 ]; then
    for entry in "${unprivileged[@]}"; do run_unprivileged "$build/tests/${entry%% *}" "${entry#* }" || status=1; done
  fi
  local name reason
  while IFS=$'\t' read -r name reason; do
    if [ "$(id -u)" -ne 0 ] && [[ "$reason" == *"needs root"* ]]; then
      [[ " ${needs_root[*]} " == *" $name "* ]] || needs_root+=("$name")
    else
      echo "$build: $name was skipped: $reason"
      status=1
    fi
  done < <(skipped_tests "$report")
  return "$status"
}

if [ "$(id -u)" -eq 0 ] && ! id "$user" >/dev/null 2>&1; then
  useradd --system --no-create-home --shell /usr/sbin/nologin "$user"
fi
status=0
run_tests build-asan || status=1
run_tests build-test || status=1
if [ ${#needs_root[@]} -gt 0 ]; then
  echo "skipped, needs root: ${needs_root[*]}"
fi
exit "$status"
