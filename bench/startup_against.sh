#!/usr/bin/env bash
# Start-up to the built page of this build's dovi against another build's (say one from an earlier
# commit): both bench/dovi_builtpage, alternately, under a private Xvfb with openbox, in a folder
# with a registered user's settings file, as bench/startup.sh runs them against a minimal window.
#   bench/startup_against.sh BUILD_DIR RUNS OTHER_DOVI_BUILTPAGE
# The ratio printed is this build / the other one.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source_dir=$(cd "$here/.." && pwd)
build=$(cd "$1" && pwd)
runs=$2
other=$3
. "$here/xsession.sh"

work=$(mktemp -d "${TMPDIR:-/tmp}/dovi-startup-XXXXXX")
trap 'stop_x; rm -rf "$work"' EXIT
start_x "$work"
registered_ini "$build" "$source_dir" "$work"
export DOVI_REPORT_FIRST_PAINT=1  # dovi_builtpage reports its paint only when asked
"$build/bench/startup_bench" "$runs" 1000 "$work" "$build/bench/dovi_builtpage" "$other"
