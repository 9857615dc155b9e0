#!/usr/bin/env bash
# Installs the Debian 12 packages that building, running and testing need, if any are missing: as
# root directly, otherwise through sudo. Without either it says what is missing and the exact
# command to run as root, and fails.
#   DOVI_WITH_DESKTOP=1    also the virtual desktop (and its accessibility bus) for the benchmarks,
#                          the desktop tests and the README picture
#   DOVI_WITH_PACKAGING=1  also the Debian packaging tools and the package's build dependencies
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(
  cmake g++ ninja-build pkg-config dpkg-dev file
  qt6-base-dev qt6-base-dev-tools libgl-dev
  libicu-dev nlohmann-json3-dev libical-dev python3-icalendar liberfa-dev zlib1g-dev
  libgtest-dev libbenchmark-dev
  fonts-ipafont-gothic fonts-liberation2 qt6-translations-l10n
  mandoc groff-base
  acl e2fsprogs  # setfacl, chattr and mkfs.ext2 for the fault tests that run as root
)
if [ "${DOVI_WITH_DESKTOP:-0}" = 1 ]; then packages+=(xvfb xauth openbox xdotool x11-utils faketime imagemagick
                                                 at-spi2-core python3-pyatspi dbus-daemon); fi
if [ "${DOVI_WITH_PACKAGING:-0}" = 1 ]; then packages+=(build-essential debhelper lintian devscripts); fi

# Runs "$@" as root: directly, or through sudo; without either, prints one sentence with the
# command to run as root and fails.
as_root() {
  if [ "$(id -u)" -eq 0 ]; then
    "$@"
  elif command -v sudo >/dev/null 2>&1; then
    sudo "$@"
  else
    echo "Some Debian packages this needs are missing and there is no sudo here, so please run this as root first: $*" >&2
    exit 1
  fi
}

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
export DEBIAN_FRONTEND=noninteractive
if [ ${#missing[@]} -gt 0 ]; then
  if [ "$(id -u)" -ne 0 ] && ! command -v sudo >/dev/null 2>&1; then
    as_root apt-get install -y --no-install-recommends "${missing[@]}"
  fi
  echo "Installing: ${missing[*]}"
  as_root apt-get update -qq
  as_root apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# The package's own list (debian/control) decides its build dependencies; apt reads it from there.
if [ "${DOVI_WITH_PACKAGING:-0}" = 1 ] && ! dpkg-checkbuilddeps >/dev/null 2>&1; then
  if [ "$(id -u)" -ne 0 ] && ! command -v sudo >/dev/null 2>&1; then
    as_root apt-get build-dep -y --no-install-recommends "$PWD"
  fi
  echo "Installing the build dependencies of debian/control"
  as_root apt-get update -qq
  as_root apt-get build-dep -y -qq --no-install-recommends "$PWD"
fi
exit 0
