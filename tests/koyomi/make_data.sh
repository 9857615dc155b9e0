#!/bin/sh
# Makes the independent data that the 暦 tests compare with, into this folder. Nothing made or
# installed here is part of the program: the Swiss Ephemeris (AGPL) is linked only into a
# throw-away program in a temporary folder, and the npm packages go there too.
#   Needs: gcc, libswe-dev, swe-basic-data, python3, node and npm (registry access).
#   Writes: swe_days.txt.gz, swe_instants.txt.gz (make_table.py says what they hold),
#           kasi_months.txt (kasi_months.js), equinox_days.txt (equinox_days.js).
set -eu
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
gcc -O2 "$here/swe_instants.c" -o "$work/swe_instants" -lswe -lm
"$work/swe_instants" | python3 "$here/make_table.py" "$here"
(cd "$work" && npm init -y >/dev/null && npm install --no-audit --no-fund \
    korean-lunar-calendar@0.4.0 japanese-public-holidays@3.2.38 >/dev/null)
NODE_PATH="$work/node_modules" node "$here/kasi_months.js" > "$here/kasi_months.txt"
NODE_PATH="$work/node_modules" node "$here/equinox_days.js" > "$here/equinox_days.txt"
