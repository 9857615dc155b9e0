# The package's version and release history, read from debian/changelog, the one place where a
# version is written: every command's --version, the manual pages and the AppStream release list
# follow it.
#
# dovi_read_changelog(FILE VERSION_VAR RELEASES_VAR) sets VERSION_VAR to the version of the newest
# entry, exactly as written between the parentheses ("0.1.0", "0.2.0~rc1-1"), and RELEASES_VAR to one
# AppStream <release version="..." date="YYYY-MM-DD"/> line per entry, newest first; the date is the
# day of the entry's trailer line as written there, in the author's own time zone.
#
# Run as a script, it prints both for a changelog (for the tests):
#   cmake -DCHANGELOG=FILE -P cmake/changelog.cmake
function(dovi_read_changelog file version_var releases_var)
  file(STRINGS "${file}" lines ENCODING UTF-8)
  set(months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
  set(version "")
  set(current "")
  set(releases "")
  foreach(line IN LISTS lines)
    # The heading line of an entry: "package (version) distribution; urgency=..."
    if(line MATCHES "^[a-z0-9][a-z0-9+.-]+ \\(([^() ]+)\\)")
      set(current "${CMAKE_MATCH_1}")
      if(version STREQUAL "")
        set(version "${current}")
      endif()
    # The trailer line: " -- Name <address>  Mon, 07 Dec 2026 12:00:00 +0000"
    elseif(line MATCHES "^ -- .*  [A-Z][a-z][a-z], +([0-9]+) ([A-Z][a-z][a-z]) ([0-9][0-9][0-9][0-9]) "
           AND NOT current STREQUAL "")
      set(day "${CMAKE_MATCH_1}")
      set(year "${CMAKE_MATCH_3}")
      list(FIND months "${CMAKE_MATCH_2}" month)
      if(month LESS 0)
        message(FATAL_ERROR "${file}: unknown month in \"${line}\"")
      endif()
      math(EXPR month "${month} + 1")
      foreach(part day month)
        string(LENGTH "${${part}}" length)
        if(length EQUAL 1)
          set(${part} "0${${part}}")
        endif()
      endforeach()
      string(APPEND releases "    <release version=\"${current}\" date=\"${year}-${month}-${day}\"/>\n")
      set(current "")
    endif()
  endforeach()
  if(version STREQUAL "" OR releases STREQUAL "")
    message(FATAL_ERROR "${file} has no complete entry, so the program has no version")
  endif()
  set(${version_var} "${version}" PARENT_SCOPE)
  set(${releases_var} "${releases}" PARENT_SCOPE)
endfunction()

if(CMAKE_SCRIPT_MODE_FILE STREQUAL CMAKE_CURRENT_LIST_FILE)
  dovi_read_changelog("${CHANGELOG}" version releases)
  message("version ${version}")
  message("${releases}")
endif()
