#!/usr/bin/env bash
# Start-up of dovi (as bench/dovi_bench, which reports its first paint) against a minimal Qt window of the same size with one label: time from the start
# to the first painted frame and peak memory, RUNS times each, alternating, under a private Xvfb
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

# 1000 ms after the first paint: the page build (10 ms after showing) and its repaint are over.
"$build/bench/startup_bench" "$runs" 1000 "$work" "$build/bench/dovi_bench" "$build/bench/minimal_window" "$@"
