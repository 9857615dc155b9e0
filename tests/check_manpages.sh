#!/bin/sh
# Renders every manual page in the folder given with mandoc's checker and with groff as man does
# (UTF-8 input, terminal output); any warning or error from either fails the test.
#   check_manpages.sh MANDIR
set -u
status=0
count=0
for page in "$1"/*.1; do
    count=$((count + 1))
    messages=$( { mandoc -T lint -W warning "$page"; groff -k -Tutf8 -man -ww -z "$page"; } 2>&1)
    if [ -n "$messages" ]; then
        echo "$page:"
        echo "$messages"
        status=1
    fi
done
# At 80 columns no path or variable name is broken across lines by hyphenation.
for page in "$1"/*.1; do
    broken=$(MANWIDTH=80 MAN_KEEP_FORMATTING= man -l "$page" 2>/dev/null | grep -E '[/_$~][^ ]*‐$')
    if [ -n "$broken" ]; then
        echo "$page breaks a path or name across lines:"
        echo "$broken"
        status=1
    fi
done
[ "$count" -gt 0 ] || { echo "no manual pages in $1"; exit 1; }
echo "$count manual pages checked"
exit $status
