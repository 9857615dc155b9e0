#!/usr/bin/env bash
# Builds the Debian package from build/ (after scripts/build.sh) and checks what it holds.
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${1:-build}
(cd "$dir" && cpack -G DEB >/dev/null)
deb=$(ls -t "$dir"/dovi_*.deb | head -n 1)
contents=$(dpkg-deb -c "$deb")
for path in ./usr/bin/dovi ./usr/bin/dovi-cli ./usr/bin/dovi-launch ./usr/bin/dovi-autostart \
            ./usr/share/dovi/dovi.ini ./usr/share/applications/jp.dovi.Dovi.desktop \
            ./usr/share/metainfo/jp.dovi.Dovi.metainfo.xml \
            ./usr/share/icons/hicolor/16x16/apps/dovi.png ./usr/share/icons/hicolor/32x32/apps/dovi.png \
            ./usr/share/icons/hicolor/48x48/apps/dovi.png ./usr/share/icons/hicolor/scalable/apps/dovi.svg \
            ./usr/share/man/man1/dovi.1 ./usr/share/man/man1/dovi-cli.1; do
  grep -qF " $path" <<<"$contents" || { echo "package check: $path is missing from $deb"; exit 1; }
done
depends=$(dpkg-deb -f "$deb" Depends)
for dep in libqt6widgets6 libqt6gui6 libqt6core6 'libicu72' fonts-ipafont-gothic fonts-liberation2 qt6-translations-l10n; do
  grep -qF "$dep" <<<"$depends" || { echo "package check: $deb does not depend on $dep ($depends)"; exit 1; }
done
grep -qF '@DOVI_TEMPLATE@' <(dpkg-deb --fsys-tarfile "$deb" | tar -xO ./usr/bin/dovi-launch) &&
  { echo "package check: the launcher was not configured"; exit 1; }
echo "package check: $deb holds all files and dependencies"
