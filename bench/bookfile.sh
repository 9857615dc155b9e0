#!/usr/bin/env bash
# Whole dovi-cli processes on large files against iconv of the same file, side by side (medians of
# alternating runs, CPU time): the page as JSON on a 10 MB Shift-JIS file with 20,000 sayings and
# full birthday and special-day sections, changed just before each run and unchanged; and with
# 32,766 sayings (the most the count allows) the listing and each saying edit. With a second
# dovi-cli (BEFORE, say one built from an earlier commit), the page on the unchanged file runs
# against it too.
#   bench/bookfile.sh BUILD [RUNS] [BEFORE]      (RUNS default 7; about two minutes)
set -euo pipefail
build=$1
runs=${2:-7}
before=${3:-}
files=$(mktemp -d "${TMPDIR:-/tmp}/dovi-bench-book-XXXXXX")
trap 'rm -rf "$files"' EXIT
bench="$build/bench/process_bench"
cli="$build/dovi-cli"

"$build/bench/make_ini" --sayings 20000 10485760 "$files/page.ini"
page=(page --json --at "2000-01-20 08:00:20" --seed 1)
echo "page: $(stat -c %s "$files/page.ini") bytes, 20,000 sayings, full dated sections (goal: changed just before at most 1.0x iconv)"
"$bench" --touch "$files/page.ini" "$runs" page-changed "$cli" --ini "$files/page.ini" "${page[@]}" \
  -- iconv iconv -f CP932 -t UTF-8 "$files/page.ini"
sleep 3  # past the two seconds in which a change is recent
"$bench" "$runs" page-unchanged "$cli" --ini "$files/page.ini" "${page[@]}" \
  -- iconv iconv -f CP932 -t UTF-8 "$files/page.ini"
if [ -n "$before" ]; then
  "$bench" --touch "$files/page.ini" "$runs" page-changed "$cli" --ini "$files/page.ini" "${page[@]}" \
    -- before "$before" --ini "$files/page.ini" "${page[@]}"
  sleep 3
  "$bench" "$runs" page-unchanged "$cli" --ini "$files/page.ini" "${page[@]}" \
    -- before "$before" --ini "$files/page.ini" "${page[@]}"
fi
rm -f "$files/page.ini"

sayings="$files/sayings.ini"
"$build/bench/make_ini" --sayings 32766 0 "$sayings"
echo "sayings: $(stat -c %s "$sayings") bytes, 32,766 sayings (goals: list-sayings at most 2x iconv, each edit at most 3x)"
iconv=(iconv iconv -f CP932 -t UTF-8 "$sayings")
"$bench" "$runs" list-sayings "$cli" --ini "$sayings" list-sayings -- "${iconv[@]}"
"$bench" "$runs" edit-saying "$cli" --ini "$sayings" edit-saying 5 新しい言葉 出典 -- "${iconv[@]}"
"$bench" "$runs" move-saying "$cli" --ini "$sayings" move-saying 1 32766 -- "${iconv[@]}"
# Each removal takes one saying away and each add puts one back: 32,766 again at the end.
"$bench" "$runs" remove-saying "$cli" --ini "$sayings" remove-saying 1 -- "${iconv[@]}"
"$bench" "$runs" add-saying "$cli" --ini "$sayings" add-saying 足した言葉 出典 -- "${iconv[@]}"
