#!/usr/bin/env bash
# Measures what the README's two commands take on a clean Debian 12: makes a minimal root with
# mmdebstrap (installed when missing), installs git in it, copies this source tree into /root/dovi
# (a 0700 home, as Debian makes them) and runs scripts/run.sh there without a display, then counts
# what the tests and the packaging tools would add (apt-get --assume-no). Run as root; it prints
# the load average, as the times depend on what else the machine is doing.
#   bench/cleanroot.sh [ROOT]        (default: a new folder under /tmp, removed afterwards)
set -euo pipefail
cd "$(dirname "$0")/.."
[ "$(id -u)" -eq 0 ] || { echo "bench/cleanroot.sh makes a root file system and needs root" >&2; exit 1; }
command -v mmdebstrap >/dev/null || DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends mmdebstrap
root=${1:-$(mktemp -d /tmp/dovi-cleanroot-XXXXXX)}
keep=${1:+yes}
cleanup() { umount "$root/proc" 2>/dev/null || true; [ -n "$keep" ] || rm -rf "$root"; }
trap cleanup EXIT
in_root() { chroot "$root" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LC_ALL=C.UTF-8 "$@"; }
seconds() { echo $(( $(date +%s) - $1 )); }
sizes() { in_root apt-get install --assume-no --no-install-recommends "$@" 2>&1 | grep -E 'newly installed|Need to get|After this' || true; }
used() { du -sm "$root/usr" "$root/var/lib" "$root/etc" | awk '{t += $1} END {print t}'; }

rmdir "$root" 2>/dev/null || true
mmdebstrap --variant=minbase bookworm "$root" >/dev/null 2>&1
cp /etc/resolv.conf "$root/etc/resolv.conf"
mount -t proc proc "$root/proc"
echo "clean root: $(in_root dpkg-query -W | wc -l) packages; load average $(cut -d' ' -f1-3 /proc/loadavg)"
in_root apt-get update -qq
echo "== apt-get install git"; sizes git
start=$(date +%s); in_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq git >/dev/null; echo "took $(seconds "$start") s"
in_root apt-get clean

packages=$(in_root dpkg-query -W | wc -l) disk=$(used)
mkdir -p "$root/root/dovi" && chmod 700 "$root/root"
tar --exclude='./build*' --exclude=./work --exclude=./.git -cf - . | tar -C "$root/root/dovi" -xf -
start=$(date +%s)
in_root bash -c 'cd /root/dovi && scripts/run.sh' >"$root/run.log" 2>&1
echo "== scripts/run.sh: $(seconds "$start") s; $(( $(in_root dpkg-query -W | wc -l) - packages )) packages," \
     "$(( $(used) - disk )) MiB on disk, apt cache $(du -sm "$root/var/cache/apt" | cut -f1) MiB," \
     "build/ $(du -sm "$root/root/dovi/build" | cut -f1) MiB; load average $(cut -d' ' -f1-3 /proc/loadavg)"
start=$(date +%s)
in_root bash -c 'cd /root/dovi && rm -rf build && scripts/build.sh build -DDOVI_BUILD_TESTS=OFF' >/dev/null
echo "   of which building: $(seconds "$start") s"
# The packages scripts/deps.sh adds with DOVI_WITH_TESTS=1, read from it.
test_packages=$(sed -n '/DOVI_WITH_TESTS:-0/,/^fi/p' scripts/deps.sh | sed 's/#.*//' | tr ' ' '\n' |
  grep -E '^[a-z0-9][a-z0-9.+-]+$' | grep -vE '^(if|then|fi)$' | tr '\n' ' ')
desktop_packages="xvfb xauth openbox xdotool x11-utils faketime imagemagick at-spi2-core python3-pyatspi dbus-daemon"
echo "== what scripts/test.sh adds: the tests' packages, the virtual desktop and the packaging tools"
# shellcheck disable=SC2086
sizes $test_packages $desktop_packages build-essential debhelper lintian devscripts
echo "== the packaging tools alone"; sizes build-essential debhelper lintian devscripts
