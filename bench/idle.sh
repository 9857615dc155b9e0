#!/usr/bin/env bash
# Processor time that dovi uses while minimised: starts it under a private Xvfb with openbox, waits
# until its ticker has minimised the window, then reads utime + stime from /proc/PID/stat at the
# start and the end of SECONDS seconds. A minimal Qt window, minimised by xdotool, runs alongside
# for comparison. Also counts the context switches of all threads (each wake-up makes one).
#   bench/idle.sh [BUILD_DIR] [SECONDS]      (defaults: build-bench, 60)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source_dir=$(cd "$here/.." && pwd)
build=$(cd "${1:-$source_dir/build-bench}" && pwd)
seconds=${2:-60}
. "$here/xsession.sh"

work=$(mktemp -d "${TMPDIR:-/tmp}/dovi-idle-XXXXXX")
DOVI_PID= MINIMAL_PID=
cleanup() {
  end_pids "$DOVI_PID" "$MINIMAL_PID"
  stop_x
  rm -rf "$work"
}
trap cleanup EXIT
start_x "$work"
registered_ini "$build" "$source_dir" "$work"

(cd "$work" && exec "$build/dovi") 2>>"$work/dovi.log" &
DOVI_PID=$!
(cd "$work" && exec "$build/bench/minimal_window") 2>>"$work/minimal.log" &
MINIMAL_PID=$!

window_of() {  # the visible top-level window of a process
  xdotool search --sync --onlyvisible --pid "$1" 2>/dev/null | head -n1
}
iconic() { xprop -id "$1" WM_STATE 2>/dev/null | grep -q 'window state: Iconic'; }
wait_iconic() {  # WINDOW TIMEOUT_SECONDS
  for _ in $(seq $(( $2 * 10 ))); do
    iconic "$1" && return 0
    sleep 0.1
  done
  return 1
}

dovi_window=$(window_of "$DOVI_PID")
minimal_window=$(window_of "$MINIMAL_PID")
xdotool windowminimize "$minimal_window"
wait_iconic "$minimal_window" 10 || { echo "the minimal window did not minimise" >&2; exit 1; }
# dovi minimises itself at the thirteenth tick of its ticker.
wait_iconic "$dovi_window" 40 || { echo "dovi did not minimise itself within 40 s" >&2; exit 1; }
sleep 1

alive() {  # fails, with the program's log, when it has ended
  kill -0 "$DOVI_PID" 2>/dev/null || { echo "dovi ended early:" >&2; cat "$work/dovi.log" >&2; exit 1; }
  kill -0 "$MINIMAL_PID" 2>/dev/null || { echo "minimal_window ended early:" >&2; cat "$work/minimal.log" >&2; exit 1; }
}
alive
ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
switches() {
  cat /proc/"$1"/task/*/status | awk '/^(voluntary|nonvoluntary)_ctxt_switches/ {n += $2} END {print n}'
}
hz=$(getconf CLK_TCK)
declare -A t0 s0
for pid in $DOVI_PID $MINIMAL_PID; do t0[$pid]=$(ticks "$pid"); s0[$pid]=$(switches "$pid"); done
sleep "$seconds"
alive
iconic "$dovi_window" || { echo "dovi was restored during the measurement" >&2; exit 1; }
for pair in "dovi:$DOVI_PID" "minimal_window:$MINIMAL_PID"; do
  name=${pair%%:*} pid=${pair#*:}
  cpu_ms=$(( ($(ticks "$pid") - t0[$pid]) * 1000 / hz ))
  wakeups=$(( $(switches "$pid") - s0[$pid] ))
  printf '%-15s minimised %s s: CPU %d ms (utime+stime, %d ms per tick), %d context switches\n' \
    "$name" "$seconds" "$cpu_ms" $(( 1000 / hz )) "$wakeups"
done
