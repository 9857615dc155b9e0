#!/bin/sh
# scripts/deps.sh as a user who is not root, with stand-ins for id, sudo, apt-get and dpkg-query on
# the path (every package missing), so that nothing is installed:
# - with sudo that needs no password, apt-get runs through "sudo -n" and sees the noninteractive
#   frontend although sudo resets the environment (as env_reset does);
# - with sudo that would ask for a password, and without sudo, it never prompts: one sentence on
#   standard error with the apt-get line to run as root, and exit status 1.
#   check_deps.sh SOURCE_DIR
set -u
source=$1
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
fakes=$scratch/bin
mkdir -p "$fakes"
log=$scratch/log

cat >"$fakes/id" <<'FAKE'
#!/bin/sh
echo 1000
FAKE
cat >"$fakes/dpkg-query" <<'FAKE'
#!/bin/sh
exit 1
FAKE
cat >"$fakes/apt-get" <<'FAKE'
#!/bin/sh
echo "apt-get $1 frontend=${DEBIAN_FRONTEND:-unset}" >>"$DOVI_FAKE_LOG"
FAKE
# sudo: "-n" is required, whatever the user may do; a password is needed unless DOVI_FAKE_SUDO=free;
# the command runs with a reset environment plus the VAR=value arguments before it.
cat >"$fakes/sudo" <<'FAKE'
#!/bin/sh
[ "$1" = -n ] || { echo "sudo: would prompt for a password" >>"$DOVI_FAKE_LOG"; exit 1; }
shift
[ "$DOVI_FAKE_SUDO" = free ] || { echo "sudo: a password is required" >&2; exit 1; }
set -- env -i PATH="$PATH" DOVI_FAKE_LOG="$DOVI_FAKE_LOG" "$@"
exec "$@"
FAKE
chmod +x "$fakes"/*

# Runs deps.sh with the fakes first on the path; sets code and err.
deps() {
    : >"$log"
    env -i PATH="$fakes:/usr/bin:/bin" DOVI_FAKE_LOG="$log" DOVI_FAKE_SUDO="$1" \
        bash "$source/scripts/deps.sh" >"$scratch/out" 2>"$scratch/err"
    code=$?
    err=$(cat "$scratch/err")
}

deps free
[ "$code" = 0 ] || fail "deps.sh with password-free sudo exits $code: $err"
grep -q '^apt-get install frontend=noninteractive$' "$log" ||
    fail "apt-get through sudo did not get the noninteractive frontend: $(cat "$log")"
grep -q 'prompt' "$log" && fail "deps.sh ran sudo without -n: $(cat "$log")"

for sudo in password none; do
    [ "$sudo" = none ] && rm "$fakes/sudo"
    deps "$sudo"
    [ "$code" = 1 ] || fail "deps.sh with sudo $sudo exits $code"
    [ "$(printf '%s\n' "$err" | wc -l)" = 1 ] || fail "deps.sh with sudo $sudo says more than one line: $err"
    case "$err" in
    *"please run this as root first"*": apt-get install -y --no-install-recommends cmake "*) ;;
    *) fail "deps.sh with sudo $sudo says: $err" ;;
    esac
    [ -s "$log" ] && fail "deps.sh with sudo $sudo went on: $(cat "$log")"
done

[ "$failures" = 0 ] && echo "deps.sh installs without questions through sudo, or says what to run as root"
exit "$failures"
