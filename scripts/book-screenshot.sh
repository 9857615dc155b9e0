#!/usr/bin/env bash
# Renders the README's picture of the birthday book window: 14 December chosen in the month of
# 7 December 2026, in a real window under Xvfb with a window manager. Run after scripts/build.sh.
# SCALE=2 draws it at twice the size (QT_SCALE_FACTOR).
set -euo pipefail
cd "$(dirname "$0")/.."
DOVI_WITH_DESKTOP=1 scripts/deps.sh
out=${1:-docs/book.png}
build=${BUILD:-build}
work=$(mktemp -d)
source bench/xsession.sh
trap 'kill $(jobs -p) 2>/dev/null; stop_x; rm -rf "$work"' EXIT
cp data/dovi.ini "$work/dovi.ini"
# The shipped birthday book is empty: two people of the user's own, on the day shown.
"$build/dovi-cli" --ini "$work/dovi.ini" add-birthday 12/14 山田花子 1980 >/dev/null
"$build/dovi-cli" --ini "$work/dovi.ini" add-birthday 12/14 佐藤一郎 >/dev/null
scale=${SCALE:-1}
if [ "$scale" = 1 ]; then start_x "$work" 1024x700x24; else start_x "$work" 2048x1400x24; fi
(cd "$work" && QT_SCALE_FACTOR=$scale faketime -f '@2026-12-07 09:00:00' "$OLDPWD/$build/dovi-book" >/dev/null 2>&1 &)
sleep 3
window=$(xdotool search --name "誕生日帳" | head -n 1)
xdotool windowactivate --sync "$window"
# From the calendar's today, one week on.
xdotool key Tab Down
sleep 1
import -window "$window" "$out"
echo "wrote $out"
