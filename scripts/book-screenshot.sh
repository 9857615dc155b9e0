#!/usr/bin/env bash
# Renders the README's pictures of the birthday book window: 14 December chosen in the month of
# 7 December 2026, in a real window under Xvfb with a window manager, at a scale factor
# (QT_SCALE_FACTOR). Run after scripts/build.sh.
# Usage: book-screenshot.sh [SCALE [OUT]]   (scale 1 by default; docs/book.png, else docs/book-SCALE.png)
set -euo pipefail
cd "$(dirname "$0")/.."
DOVI_WITH_DESKTOP=1 scripts/deps.sh
scale=${1:-1}
if [ "$scale" = 1 ]; then default=docs/book.png; else default="docs/book-$scale.png"; fi
out=${2:-$default}
build=${BUILD:-build}
# A screen that the window fits at that scale; at 2, the 1920×1080 screen of a high-DPI laptop.
case $scale in
  1) screen=1024x700x24 ;;
  1.5) screen=1440x900x24 ;;
  *) screen=1920x1080x24 ;;
esac
work=$(mktemp -d)
source bench/xsession.sh
trap 'kill $(jobs -p) 2>/dev/null; stop_x; rm -rf "$work"' EXIT
cp data/dovi.ini "$work/dovi.ini"
# The shipped birthday book is empty: two people of the user's own, on the day shown.
"$build/dovi-cli" --ini "$work/dovi.ini" add-birthday 12/14 山田花子 1980 >/dev/null
"$build/dovi-cli" --ini "$work/dovi.ini" add-birthday 12/14 佐藤一郎 >/dev/null
start_x "$work" "$screen"
(cd "$work" && QT_SCALE_FACTOR=$scale faketime -f '@2026-12-07 09:00:00' "$OLDPWD/$build/dovi-book" >/dev/null 2>&1 &)
sleep 3
window=$(xdotool search --name "誕生日帳" | head -n 1)
xdotool windowactivate --sync "$window"
# From the calendar's today, one week on; then a click on the first person, chosen for changing.
xdotool key Tab Down
sleep 0.5
xdotool mousemove --window "$window" "$(awk "BEGIN { print int(370 * $scale) }")" "$(awk "BEGIN { print int(108 * $scale) }")" click 1
sleep 1
import -window "$window" "$out"
echo "wrote $out"
