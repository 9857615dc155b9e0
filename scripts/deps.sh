#!/usr/bin/env bash
# Installs the Debian 12 packages that building, running and testing need, if any are missing.
set -euo pipefail

packages=(
  cmake g++ ninja-build pkg-config dpkg-dev file
  qt6-base-dev qt6-base-dev-tools libgl-dev
  libicu-dev nlohmann-json3-dev
  libgtest-dev libbenchmark-dev
  fonts-ipafont-gothic fonts-liberation2
  acl e2fsprogs  # setfacl, chattr and mkfs.ext2 for the fault tests that run as root
)
# Extras: a virtual desktop for the benchmarks and the README picture.
if [ "${DOVI_WITH_DESKTOP:-0}" = 1 ]; then packages+=(xvfb xauth openbox xdotool x11-utils faketime imagemagick); fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then sudo=(); else sudo=(sudo); fi
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
