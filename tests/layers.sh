#!/bin/sh
# Fails when an #include runs from a lower layer to a higher one, when Qt is included outside gui/,
# or when a folder above book/ names a section or key of the settings file (book/ owns the file's
# layout). Each folder may include itself and the folders listed for it (the README's layer table).
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
# The names that the file's layout is made of: the constants that hold them and the names
# themselves in quotes.
layout_names='texts::k(Init|User|Birthday|Sex|RegisteredOn|SayingCount|BirthdayBook|SpecialDays|Holidays|Sayings|SubstituteCandidate|Absent)\b|"(init|使用者|誕生日|性別|登録日|言霊総数|特別日|休日|言霊)"|letteredKey|\[(init|誕生日|特別日|休日|言霊)\]'
failures=$( {
  check texts
  check settings
  check calendar texts
  check book texts settings calendar
  check page texts settings calendar book
  check register texts settings calendar book
  check gui texts settings calendar book page register
  check cli texts settings calendar book page register
  for folder in page register gui cli; do
    for file in "$folder"/*.h "$folder"/*.cpp; do
      [ -e "$file" ] || continue
      grep -nE "$layout_names" "$file" | while IFS= read -r line; do
        echo "$file:$line names the settings file's layout, which only book/ may"
        echo x >&3
      done
    done
  done
} 3>&1 >&2 )
[ -z "$failures" ] || status=1
exit $status
