#!/bin/sh
# Fails when an #include runs from a lower layer to a higher one, or when Qt is included outside
# gui/. Each folder may include itself and the folders listed for it (the README's layer table).
#   tests/layers.sh SOURCE_DIR
cd "${1:-.}" || exit 2
status=0
check() {  # check FOLDER ALLOWED_FOLDERS...
  folder=$1
  shift
  allowed="$folder $*"
  for file in "$folder"/*.h "$folder"/*.cpp; do
    [ -e "$file" ] || continue
    grep -o '^#include "[^/"]*/' "$file" | sed 's/#include "//; s/\/$//' | sort -u | while read -r used; do
      case " $allowed " in
        *" $used "*) ;;
        *) echo "$file includes from $used/, a folder its layer may not use"; echo x >&3 ;;
      esac
    done
    if [ "$folder" != gui ] && grep -q '^#include <Q' "$file"; then
      echo "$file includes Qt, which only gui/ may use"
      echo x >&3
    fi
  done
}
failures=$( {
  check texts
  check settings
  check calendar texts
  check page texts settings calendar
  check register texts settings calendar
  check gui texts settings calendar page register
  check cli texts settings calendar page register
} 3>&1 >&2 )
[ -z "$failures" ] || status=1
exit $status
