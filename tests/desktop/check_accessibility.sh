#!/usr/bin/env bash
# Under Xvfb with openbox and a private accessibility bus: the page and the registration dialog
# (a first start), the profile window and the birthday book window show every focusable control
# and every list to a screen reader with a meaningful name (atspi_names.py).
# Usage: check_accessibility.sh BUILD_DIR SOURCE_DIR. Skips (exit 77) without the desktop tools.
set -uo pipefail
build=$1 source=$2
here=$(cd "$(dirname "$0")" && pwd)
launcher=/usr/libexec/at-spi-bus-launcher
for tool in Xvfb openbox xprop dbus-run-session /usr/bin/python3 "$launcher"; do
  command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done
/usr/bin/python3 -c 'import pyatspi' 2>/dev/null || { echo "skipped: python3-pyatspi is not installed"; exit 77; }

# A private session bus for this test alone, ended with it.
if [ -z "${DOVI_IN_SESSION_BUS:-}" ]; then
  DOVI_IN_SESSION_BUS=1 exec dbus-run-session -- bash "$0" "$@"
fi

work=$(mktemp -d)
source "$source/bench/xsession.sh"
BUS_PID= DOVI_PID=
finish() { end_pids "$DOVI_PID" "$BUS_PID"; stop_x; rm -rf "$work"; }
trap finish EXIT

start_x "$work" 1024x768x24 || exit 1
"$launcher" --launch-immediately >"$work/bus.log" 2>&1 &
BUS_PID=$!
sleep 1

# A first start: the page and the registration dialog beside it.
cp "$source/data/dovi.ini" "$work/dovi.ini"
(cd "$work" && QT_ACCESSIBILITY=1 QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 exec "$build/dovi") >"$work/dovi.log" 2>&1 &
DOVI_PID=$!
/usr/bin/python3 "$here/atspi_names.py" dovi 60
status=$?
[ $status = 0 ] || cat "$work/dovi.log"
end_pids "$DOVI_PID"
DOVI_PID=

# The profile window (the desktop entry's action), for a registered user.
registered_ini "$build" "$source" "$work" >/dev/null
(cd "$work" && QT_ACCESSIBILITY=1 QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 exec "$build/dovi-book" --profile) >"$work/book.log" 2>&1 &
DOVI_PID=$!
/usr/bin/python3 "$here/atspi_names.py" dovi 60 || { status=1; cat "$work/book.log"; }
end_pids "$DOVI_PID"
DOVI_PID=

# The birthday book window, on both of its tabs: the second tab's controls exist from the start.
(cd "$work" && QT_ACCESSIBILITY=1 QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 exec "$build/dovi-book") >"$work/book.log" 2>&1 &
DOVI_PID=$!
/usr/bin/python3 "$here/atspi_names.py" dovi 60 || { status=1; cat "$work/book.log"; }
exit $status
