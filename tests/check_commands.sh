#!/bin/sh
# The command-line contract of the four commands, and the launcher and the switch installed under a
# throw-away prefix:
# - --help prints the usage on standard output and exits 0; --version prints "NAME VERSION";
# - dovi and dovi-book without any display print one sentence on standard error and exit 1;
# - dovi-launch copies the template from its own installation into the user's data folder, never
#   over an existing file, and starts dovi there; dovi-autostart switches the autostart entry.
#   check_commands.sh BUILD_DIR DOVI DOVI_CLI DATA_DIR
set -u
build=$1 dovi=$2 cli=$3 data=$4
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# Runs a command with no display and a private home; sets code, out and err.
run() {
    env -i PATH=/usr/bin:/bin HOME="$scratch/home" LC_ALL=C.UTF-8 "$@" >"$scratch/out" 2>"$scratch/err"
    code=$?
    out=$(cat "$scratch/out")
    err=$(cat "$scratch/err")
}

if ! cmake --install "$build" --prefix "$scratch/prefix" >/dev/null; then
    echo "FAIL: cmake --install"
    exit 1
fi
prefix=$scratch/prefix/bin

# The icon goes under the application's ID, which the desktop entry and the metainfo name.
share=$scratch/prefix/share
icon=$(sed -n 's/^Icon=//p' "$share/applications/jp.dovi.Dovi.desktop")
[ "$icon" = jp.dovi.Dovi ] || fail "the desktop entry names the icon '$icon', not the application's ID"
for size in 16 32 48 64 128 256; do
    [ -e "$share/icons/hicolor/${size}x$size/apps/$icon.png" ] || fail "no $size-pixel icon $icon.png"
done
[ -e "$share/icons/hicolor/scalable/apps/$icon.svg" ] || fail "no scalable icon $icon.svg"
grep -q "<icon type=\"stock\">$icon</icon>" "$share/metainfo/jp.dovi.Dovi.metainfo.xml" ||
    fail "the metainfo does not name the icon $icon"
version=$(dpkg-parsechangelog -l "$data/../debian/changelog" -S Version)

for command in "$dovi" "$cli" "$prefix/dovi-launch" "$prefix/dovi-autostart" "$prefix/dovi" "$prefix/dovi-cli" \
               "$prefix/dovi-book"; do
    name=$(basename "$command")
    run "$command" --help
    [ "$code" = 0 ] || fail "$name --help exits $code"
    case "$out" in "usage: $name"*) ;; *) fail "$name --help prints: $out" ;; esac
    [ -z "$err" ] || fail "$name --help writes on stderr: $err"
    run "$command" --version
    [ "$code" = 0 ] || fail "$name --version exits $code"
    [ "$out" = "$name $version" ] || fail "$name --version prints: $out"
    [ -z "$err" ] || fail "$name --version writes on stderr: $err"
done

# The launcher's help names the data folder and the installed template each on a line of its own.
run "$prefix/dovi-launch" --help
printf '%s\n' "$out" | grep -qx "  $scratch/home/.local/share/dovi" || fail "dovi-launch --help: no line with the data folder: $out"
printf '%s\n' "$out" | grep -qx "  $scratch/prefix/share/dovi/dovi.ini" || fail "dovi-launch --help: no line with the template: $out"

run "$dovi"
[ "$code" = 1 ] || fail "dovi without a display exits $code"
[ -z "$out" ] || fail "dovi without a display prints on stdout: $out"
[ "$(printf '%s\n' "$err" | wc -l)" = 1 ] || fail "dovi without a display says more than one line: $err"
case "$err" in *"needs a graphical desktop session"*) ;; *) fail "dovi without a display says: $err" ;; esac

# The launcher, started through a link elsewhere as a desktop might: the first start copies the
# template (dovi then finds no display and exits 1), a second start keeps the user's file.
mkdir -p "$scratch/links" && ln -s "$prefix/dovi-launch" "$scratch/links/dovi-launch"
run "$scratch/links/dovi-launch"
user_ini=$scratch/home/.local/share/dovi/dovi.ini
[ "$code" = 1 ] || fail "dovi-launch without a display exits $code ($err)"
case "$err" in *"needs a graphical desktop session"*) ;; *) fail "dovi-launch did not start dovi: $err" ;; esac
cmp -s "$user_ini" "$data/dovi.ini" || fail "dovi-launch did not copy the template to $user_ini"
echo changed >"$user_ini"
run "$prefix/dovi-launch"
[ "$(cat "$user_ini")" = changed ] || fail "dovi-launch overwrote the user's file"
run "$prefix/dovi-launch" --book
[ "$code" = 1 ] || fail "dovi-launch --book without a display exits $code ($err)"
case "$err" in "dovi-book: "*"needs a graphical desktop session"*) ;; *) fail "dovi-launch --book did not start dovi-book: $err" ;; esac

run "$prefix/dovi-autostart" on
entry=$scratch/home/.config/autostart/jp.dovi.Dovi.desktop
[ "$code" = 0 ] || fail "dovi-autostart on exits $code ($err)"
# Its own entry, which a session passes over once dovi-launch is gone: by its full path here, where
# the search path does not lead to the installation, and by name where it does.
grep -qx "TryExec=$prefix/dovi-launch" "$entry" || fail "the autostart entry has no TryExec of the launcher: $(cat "$entry")"
grep -qx "Exec=$prefix/dovi-launch" "$entry" || fail "the autostart entry does not run the launcher: $(cat "$entry")"
grep -q '^Actions' "$entry" && fail "the autostart entry is a copy of the menu entry"
env -i PATH="$prefix:/usr/bin:/bin" HOME="$scratch/home" "$prefix/dovi-autostart" on >/dev/null
grep -qx "TryExec=dovi-launch" "$entry" || fail "the autostart entry does not name dovi-launch on the path: $(cat "$entry")"
if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$entry" || fail "the autostart entry is not a valid desktop entry"
fi
run "$prefix/dovi-autostart" status
[ "$out" = on ] || fail "dovi-autostart status after on: $out"
run "$prefix/dovi-autostart" off
[ ! -e "$entry" ] || fail "dovi-autostart off left $entry"
run "$prefix/dovi-autostart" sideways
[ "$code" = 2 ] || fail "dovi-autostart sideways exits $code"

[ "$failures" = 0 ] && echo "all command checks passed"
exit "$failures"
