#!/usr/bin/env bash
# Start-up of dovi against a minimal Qt window of the same size with one label: time from the start
# to the first painted frame (for dovi: the first that shows the built page) and peak memory, RUNS times each, alternating, under a private Xvfb
# with openbox. dovi runs in a folder with a registered user's settings file, so it builds its page.
#   bench/startup.sh [BUILD_DIR] [RUNS] [LABEL_TEXT [FONT_FAMILY]]   (defaults: build-bench, 20)
# LABEL_TEXT and FONT_FAMILY go to the minimal window (default: "デイリオ" in the default font).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source_dir=$(cd "$here/.." && pwd)
build=$(cd "${1:-$source_dir/build-bench}" && pwd)
runs=${2:-20}
shift $(( $# < 2 ? $# : 2 ))
. "$here/xsession.sh"

work=$(mktemp -d "${TMPDIR:-/tmp}/dovi-startup-XXXXXX")
trap 'stop_x; rm -rf "$work"' EXIT
start_x "$work"
registered_ini "$build" "$source_dir" "$work"
export DOVI_REPORT_FIRST_PAINT=1  # dovi_builtpage reports its paint only when asked

# dovi_builtpage is dovi reporting the first paint of its built page (after the page build, 10 ms
# after showing), not the first paint of the window. 1000 ms after it the repaints are over.
"$build/bench/startup_bench" "$runs" 1000 "$work" "$build/bench/dovi_builtpage" "$build/bench/minimal_window" "$@"
