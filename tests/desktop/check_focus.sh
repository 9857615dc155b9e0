#!/usr/bin/env bash
# Under Xvfb with openbox: the page never takes the keyboard from the window the user types into.
#   1. xdotool types 40 letters into another window while dovi starts and pins its page on top:
#      every letter reaches that window, and it is still the active one afterwards.
#   2. A first start (no user yet): the registration dialog takes the keyboard, so what is typed
#      next goes into its name field.
#   3. The windows' WM_CLASS is the desktop entry's StartupWMClass.
# Usage: check_focus.sh BUILD_DIR SOURCE_DIR KEYPROBE. Skips (exit 77) without Xvfb, openbox or xdotool.
set -uo pipefail
build=$1 source=$2 probe=$3
for tool in Xvfb openbox xdotool xprop; do
  command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done
work=$(mktemp -d)
source "$source/bench/xsession.sh"
PROBE_PID= DOVI_PID= TYPE_PID= BOOK_PID=
finish() { end_pids "$TYPE_PID" "$BOOK_PID" "$DOVI_PID" "$PROBE_PID"; stop_x; rm -rf "$work"; }
trap finish EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

start_x "$work" 1024x768x24 || exit 1

# wait_window NAME: the id of the first visible window whose title matches NAME, within 10 s.
wait_window() {
  local id
  for _ in $(seq 100); do
    id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n1)
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.1
  done
  return 1
}

# 1. A registered user: the page comes up while the user types elsewhere.
registered_ini "$build" "$source" "$work" >/dev/null
"$probe" "$work/typed.txt" &
PROBE_PID=$!
probe_id=$(wait_window '^keyprobe$') || { echo "the probe window did not appear"; exit 1; }
xdotool windowactivate --sync "$probe_id"
sleep 0.3
letters=abcdefghijklmnopqrstuvwxyzabcdefghijklmn
xdotool type --delay 60 "$letters" &
TYPE_PID=$!
sleep 0.3
(cd "$work" && exec "$build/dovi") >"$work/dovi.log" 2>&1 &
DOVI_PID=$!
wait "$TYPE_PID"
TYPE_PID=
# A slow start (a sanitizer build on a busy machine) may show the page only after the typing.
page_id=$(wait_window 'デイリオ 2000') || fail "the page did not appear"
sleep 0.5
typed=$(cat "$work/typed.txt" 2>/dev/null)
echo "typed ${#letters} letters, ${#typed} reached the other window"
[ "$typed" = "$letters" ] || fail "the other window got \"$typed\" of \"$letters\": $(( ${#letters} - ${#typed} )) went to the page"
[ "$(xdotool getactivewindow)" = "$probe_id" ] || fail "the other window is no longer the active one"
if [ -n "$page_id" ]; then
  xprop -id "$page_id" _NET_WM_STATE | grep -q _NET_WM_STATE_ABOVE || fail "the page is not pinned on top"
fi
end_pids "$DOVI_PID"
DOVI_PID=

# 2. No user yet: the registration dialog takes the keyboard.
"$build/dovi-cli" --ini "$work/dovi.ini" set init 使用者 "" >/dev/null
(cd "$work" && exec "$build/dovi") >"$work/dovi.log" 2>&1 &
DOVI_PID=$!
dialog_id=$(wait_window '^デイリオ2000登録$') || fail "the registration dialog did not appear"
sleep 1
if [ -n "${dialog_id:-}" ]; then
  [ "$(xdotool getactivewindow)" = "$dialog_id" ] || fail "the registration dialog is not the active window"
fi
typed_before=$(cat "$work/typed.txt" 2>/dev/null)
xdotool type --delay 30 xyz
sleep 0.3
[ "$(cat "$work/typed.txt" 2>/dev/null)" = "$typed_before" ] || fail "typing after the dialog opened went to the other window"

# 3. Taskbars tie each window to the menu entry through its WM_CLASS: the page's and the birthday
#    book's class is the StartupWMClass of the calendar's desktop entry.
entry_class=$(sed -n 's/^StartupWMClass=//p' "$source"/data/*.desktop | head -n1)
(cd "$work" && exec "$build/dovi-book") >"$work/book.log" 2>&1 &
BOOK_PID=$!
book_id=$(wait_window '誕生日帳') || fail "the birthday book window did not appear"
for id in "${dialog_id:-}" "${book_id:-}"; do
  [ -n "$id" ] || continue
  class=$(xprop -id "$id" WM_CLASS | sed 's/.*", "//; s/"$//')
  [ "$class" = "$entry_class" ] || fail "window $(xdotool getwindowname "$id") has WM_CLASS $class, the desktop entry $entry_class"
done
end_pids "$BOOK_PID"

exit "$failures"
