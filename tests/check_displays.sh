#!/bin/sh
# The window programs on displays that are named but cannot be used, and on Wayland alone:
# - DISPLAY names no X server, or WAYLAND_DISPLAY no compositor: one sentence on standard error
#   and exit status 1, never Qt's abort (134);
# - a headless Weston compositor and a DISPLAY that does not answer: the window opens through the
#   Wayland platform (its protocol traffic shows with WAYLAND_DEBUG) and keeps running until ended.
#   check_displays.sh DOVI DOVI_BOOK DOVI_CLI DATA_DIR
set -u
dovi=$1 book=$2 cli=$3 data=$4
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
scratch=$(mktemp -d)
weston_pid=
trap '[ -n "$weston_pid" ] && kill "$weston_pid" 2>/dev/null; rm -rf "$scratch"' EXIT
runtime=$scratch/runtime
mkdir -m 700 "$runtime"
cp "$data/dovi.ini" "$scratch/dovi.ini"
"$cli" --ini "$scratch/dovi.ini" register 山田さん 1973/07/05 男性 >/dev/null || fail "no user could be registered"

# An X display number that nothing serves: no socket and no lock file of that number.
x=$((500 + $$ % 400))
while [ -e "/tmp/.X11-unix/X$x" ] || [ -e "/tmp/.X$x-lock" ]; do x=$((x + 1)); done

# Runs "$@" in the data folder with only the display variables given in ENV (a list of VAR=value),
# ended after LIMIT seconds; sets code and err.
run() {
    limit=$1 env=$2
    shift 2
    (cd "$scratch" && env -i PATH=/usr/bin:/bin HOME="$scratch" LC_ALL=C.UTF-8 XDG_RUNTIME_DIR="$runtime" $env \
        timeout "$limit" "$@" >"$scratch/out" 2>"$scratch/err")
    code=$?
    err=$(cat "$scratch/err")
}

for program in "$dovi" "$book"; do
    name=$(basename "$program")
    for env in "DISPLAY=:$x" "WAYLAND_DISPLAY=dovi-nobody-$$" "DISPLAY=:$x WAYLAND_DISPLAY=dovi-nobody-$$" \
               "DISPLAY=:$x QT_QPA_PLATFORM=xcb"; do
        run 20 "$env" "$program"
        [ "$code" = 1 ] || fail "$name with $env exits $code: $err"
        [ "$(printf '%s\n' "$err" | wc -l)" = 1 ] || fail "$name with $env says more than one line: $err"
        case "$err" in "$name: "*"needs a graphical desktop session, but "*) ;; *) fail "$name with $env says: $err" ;; esac
    done
done

if ! command -v weston >/dev/null; then
    fail "weston is not installed (scripts/deps.sh installs it with DOVI_WITH_TESTS=1)"
else
    socket=dovi-weston-$$
    XDG_RUNTIME_DIR=$runtime weston --backend=headless-backend.so --socket="$socket" --idle-time=0 \
        >"$scratch/weston.log" 2>&1 &
    weston_pid=$!
    tries=0
    while [ ! -S "$runtime/$socket" ] && [ "$tries" -lt 100 ]; do sleep 0.1; tries=$((tries + 1)); done
    [ -S "$runtime/$socket" ] || fail "weston did not start: $(tail -n 5 "$scratch/weston.log")"
    for program in "$dovi" "$book"; do
        name=$(basename "$program")
        run 6 "DISPLAY=:$x WAYLAND_DISPLAY=$socket WAYLAND_DEBUG=client" "$program"
        [ "$code" = 124 ] || fail "$name on Wayland alone exits $code instead of running: $(tail -n 5 "$scratch/err")"
        grep -q 'xdg_toplevel' "$scratch/err" || fail "$name on Wayland alone opened no window: $(tail -n 5 "$scratch/err")"
    done
fi

[ "$failures" = 0 ] && echo "the windows open on Wayland alone and refuse unusable displays in one sentence"
exit "$failures"
