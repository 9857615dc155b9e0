#!/usr/bin/env bash
# Installs the Debian 12 packages that building, running and testing need, if any are missing: as
# root directly, otherwise through sudo when it needs no password prompt. Without either it says
# what is missing and the exact command to run as root, and fails.
#   DOVI_WITH_TESTS=1      also what the tests and benchmarks need (GoogleTest, Google Benchmark, ...)
#   DOVI_WITH_DESKTOP=1    also the virtual desktop (and its accessibility bus) for the benchmarks,
#                          the desktop tests and the README picture
#   DOVI_WITH_PACKAGING=1  also the Debian packaging tools and the package's build dependencies
set -euo pipefail
cd "$(dirname "$0")/.."

# What building and running the calendar need (qt6-wayland for Wayland sessions without XWayland).
packages=(
  cmake g++ ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev libxcb1-dev qt6-wayland
  libicu-dev nlohmann-json3-dev libical-dev liberfa-dev
  fonts-ipafont-gothic fonts-liberation2 qt6-translations-l10n
)
if [ "${DOVI_WITH_TESTS:-0}" = 1 ]; then
  packages+=(
    libgtest-dev libbenchmark-dev python3-icalendar zlib1g-dev dpkg-dev file
    mandoc groff-base
    weston        # a headless Wayland compositor for the test of the windows without X
    acl e2fsprogs # setfacl, chattr and mkfs.ext2 for the fault tests that run as root
  )
fi
if [ "${DOVI_WITH_DESKTOP:-0}" = 1 ]; then packages+=(xvfb xauth openbox xdotool x11-utils faketime imagemagick
                                                 at-spi2-core python3-pyatspi dbus-daemon); fi
if [ "${DOVI_WITH_PACKAGING:-0}" = 1 ]; then packages+=(build-essential debhelper lintian devscripts); fi

# Runs "$@" as root without a question from apt or debconf: directly, or through sudo when this user
# may use it without a password prompt (sudo -n). sudo resets the environment, so the frontend goes
# to it as an argument. Otherwise one sentence with the command to run as root, and failure.
as_root() {
  if [ "$(id -u)" -eq 0 ]; then
    DEBIAN_FRONTEND=noninteractive "$@"
  elif command -v sudo >/dev/null 2>&1 && sudo -n true 2>/dev/null; then
    sudo -n DEBIAN_FRONTEND=noninteractive "$@"
  else
    echo "Some Debian packages this needs are missing and this user cannot use sudo here without a password, so please run this as root first (or run sudo -v and then this again): $root_command" >&2
    exit 1
  fi
}

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  root_command="apt-get install -y --no-install-recommends ${missing[*]}"
  as_root true
  echo "Installing: ${missing[*]}"
  as_root apt-get update -qq
  as_root apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# The package's own list (debian/control) decides its build dependencies; apt reads it from there.
if [ "${DOVI_WITH_PACKAGING:-0}" = 1 ] && ! dpkg-checkbuilddeps >/dev/null 2>&1; then
  root_command="apt-get build-dep -y --no-install-recommends $PWD"
  as_root true
  echo "Installing the build dependencies of debian/control"
  as_root apt-get update -qq
  as_root apt-get build-dep -y -qq --no-install-recommends "$PWD"
fi
exit 0
