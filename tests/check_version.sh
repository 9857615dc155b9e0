#!/bin/sh
# The version has one source, debian/changelog: every command's --version, the manual pages and the
# AppStream release list of a build follow it, checked against dpkg's own reading of the changelog
# (dpkg-parsechangelog). The build's reader of the changelog is checked on a second changelog with
# two entries, a pre-release version and single-digit days, the same way.
#   check_version.sh SOURCE_DIR BUILD_DIR
set -u
source=$1 build=$2
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# The release lines dpkg reads from changelog $1: one per entry, newest first, with the entry's own
# day as written in its trailer ("Mon, 07 Dec 2026 12:00:00 +0000").
expected_releases() {
    dpkg-parsechangelog -l "$1" --format rfc822 --all | awk '
        BEGIN { split("Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec", m, " "); for (i in m) n[m[i]] = i }
        /^Version: / { version = $2 }
        /^Date: / { printf "    <release version=\"%s\" date=\"%s-%02d-%02d\"/>\n", version, $5, n[$4], $3 }'
}

version=$(dpkg-parsechangelog -l "$source/debian/changelog" -S Version)
[ -n "$version" ] || fail "dpkg-parsechangelog read no version"

for command in dovi dovi-cli dovi-book dovi-launch dovi-autostart; do
    # The two scripts are configured into the build folder without their execute bit.
    case "$command" in dovi-launch | dovi-autostart) runner=sh ;; *) runner= ;; esac
    out=$(env -i PATH=/usr/bin:/bin HOME="$scratch" $runner "$build/$command" --version 2>&1)
    [ "$out" = "$command $version" ] || fail "$command --version prints \"$out\", the changelog says $version"
done

for page in "$build"/man/*.1; do
    grep -q "^\.TH .*\"dovi $version\"" "$page" || fail "$page does not carry version $version: $(head -n 1 "$page")"
done
[ "$(ls "$build"/man/*.1 | wc -l)" = "$(ls "$source"/data/man/*.1 | wc -l)" ] || fail "not every manual page is in $build/man"

expected_releases "$source/debian/changelog" >"$scratch/expected"
sed -n '/<releases>/,/<\/releases>/p' "$build/jp.dovi.Dovi.metainfo.xml" | grep '<release ' >"$scratch/built"
cmp -s "$scratch/expected" "$scratch/built" ||
    fail "the metainfo's releases differ from the changelog: $(diff "$scratch/expected" "$scratch/built")"

cat >"$scratch/changelog" <<'CHANGELOG'
dovi (0.2.0~rc1-1) unstable; urgency=medium

  * A pre-release with a Debian revision, written late in the evening in Tokyo.

 -- Dovi packaging team <packaging@dovi.example.org>  Tue, 5 Jan 2027 23:30:00 +0900

dovi (0.1.0) unstable; urgency=medium

  * The first release.

 -- Dovi packaging team <packaging@dovi.example.org>  Mon, 07 Dec 2026 12:00:00 +0000
CHANGELOG
expected_releases "$scratch/changelog" >"$scratch/expected"
cmake -DCHANGELOG="$scratch/changelog" -P "$source/cmake/changelog.cmake" >"$scratch/read" 2>&1
[ "$(head -n 1 "$scratch/read")" = "version $(dpkg-parsechangelog -l "$scratch/changelog" -S Version)" ] ||
    fail "the build reads the version of a second changelog as: $(head -n 1 "$scratch/read")"
grep '<release ' "$scratch/read" >"$scratch/built"
cmp -s "$scratch/expected" "$scratch/built" ||
    fail "the build reads the releases of a second changelog differently: $(diff "$scratch/expected" "$scratch/built")"

[ "$failures" = 0 ] && echo "every version follows debian/changelog ($version)"
exit "$failures"
