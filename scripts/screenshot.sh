#!/usr/bin/env bash
# Renders the README's picture: the page of 3 November 2026 (文化の日) at 09:00:20 for a registered
# user, in a real window under Xvfb with a window manager (installed when missing). Run after
# scripts/build.sh. SCALE=2 draws it at twice the size (QT_SCALE_FACTOR) and takes the window's
# client area alone.
set -euo pipefail
cd "$(dirname "$0")/.."
DOVI_WITH_DESKTOP=1 scripts/deps.sh
out=${1:-docs/page.png}
build=${BUILD:-build}
work=$(mktemp -d)
source bench/xsession.sh
trap 'kill $(jobs -p) 2>/dev/null; stop_x; rm -rf "$work"' EXIT
cp data/dovi.ini "$work/dovi.ini"
cli="$PWD/$build/dovi-cli --ini $work/dovi.ini"
$cli set init 使用者 花子さん
$cli set init 誕生日 " 1980/ 3/ 3"
$cli set init 性別 女性
$cli set init 登録日 2024/1/1
if [ "${SCALE:-1}" = 1 ]; then start_x "$work" 1024x768x24; else start_x "$work" 1920x1080x24; fi
scale=${SCALE:-1}
(cd "$work" && QT_SCALE_FACTOR=$scale faketime -f '@2026-11-03 09:00:20' "$OLDPWD/$build/dovi" >/dev/null 2>&1 &)
sleep 3
if [ "$scale" != 1 ]; then
  for _ in $(seq 50); do
    window=$(xdotool search --name 'デイリオ' | head -n 1) && [ -n "$window" ] && break
    sleep 0.2
  done
  sleep 1
  import -window "$window" "$out"
  echo "wrote $out"
  exit 0
fi
import -window root "$work/root.png"
# The window is centred with its frame: 267 x 354 client pixels plus the frame (1, 1, 20, 1), 4 pixels
# of the desktop around it.
convert "$work/root.png" -crop 277x383+373+192 +repage "$out"
echo "wrote $out"
