#!/usr/bin/env bash
# Installs what is missing, builds, prepares a working folder with the shipped dovi.ini (an existing
# one is kept) and starts the calendar there. Without a display it prints the date header instead.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
scripts/build.sh build
work=${DOVI_WORKDIR:-$PWD/work}
mkdir -p "$work"
[ -e "$work/dovi.ini" ] || cp data/dovi.ini "$work/dovi.ini"
cd "$work"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "There is no graphical display here (neither DISPLAY nor WAYLAND_DISPLAY is set), so here is today's date header instead of the window:"
  exec "$OLDPWD/build/dovi-cli" header
fi
exec "$OLDPWD/build/dovi"
