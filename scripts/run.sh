#!/usr/bin/env bash
# Installs what is missing, builds the programs, prepares a working folder with the shipped dovi.ini
# (an existing one is kept) and starts the calendar there. Without a display it prints today's page
# in the terminal instead (the date alone while no user is registered).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
# Only what running needs: the programs, without the tests (scripts/test.sh builds those elsewhere).
scripts/build.sh build -DDOVI_BUILD_TESTS=OFF
build=$PWD/build
work=${DOVI_WORKDIR:-$PWD/work}
mkdir -p "$work"
[ -e "$work/dovi.ini" ] || cp data/dovi.ini "$work/dovi.ini"
cd "$work"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "There is no graphical display here (neither DISPLAY nor WAYLAND_DISPLAY is set), so here is today's page in the terminal instead of the window:"
  status=0
  "$build/dovi-cli" page || status=$?
  # 4: no user is registered yet (dovi-cli has said so); the date needs none.
  [ "$status" -eq 4 ] && exec "$build/dovi-cli" header
  exit "$status"
fi
exec "$build/dovi"
