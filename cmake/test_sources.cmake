# Which test sources a build can compile, and how ctest runs the test programs.
#
# Tests that need Linux itself (a Wine prefix read from the outside, POSIX
# calls such as fork, xattrs, the INI settings file) stay out of a Windows
# build. A file is Linux-only when
#   - its name ends in _linux_test.cpp (or, for support files, _linux.cpp), or
#   - it includes a POSIX or Linux-only header (unistd.h, sys/..., fcntl.h,
#     the Wine prefix fixture, the system/wine or system/posix backends,
#     hivex, liblnk), or the header of a test support file that is itself
#     Linux-only, or
#   - it uses the INI settings file (IniSettingsStore), which is Linux's, or
#   - it is named in VOSTREL_LINUX_ONLY_TESTS below.
# Nothing needs to be done for a test that is portable: it runs in both builds.

set(VOSTREL_LINUX_ONLY_TESTS
  system/settings_test.cpp            # the INI settings file and the XDG folders
  shortcuts/shortcut_check_test.cpp   # reads .lnk files the way the Linux build does
)

set(_vostrel_linux_only_headers
  "unistd\\.h|sys/|fcntl\\.h|dirent\\.h|spawn\\.h|pwd\\.h|grp\\.h|poll\\.h|hivex|liblnk|libfwsi|support/wine_prefix_fixture|system/wine/|system/posix/")
set(_vostrel_linux_only_symbols "IniSettingsStore")

# Removes the Linux-only files from the list in `var` when building for Windows.
function(vostrel_keep_portable var)
  if(NOT WIN32)
    return()
  endif()
  set(kept)
  foreach(file IN LISTS ${var})
    file(RELATIVE_PATH relative ${CMAKE_CURRENT_SOURCE_DIR} ${file})
    if(relative IN_LIST VOSTREL_LINUX_ONLY_TESTS OR file MATCHES "_linux(_test)?\\.cpp$")
      continue()
    endif()
    file(STRINGS ${file} linux_only LIMIT_COUNT 1 REGEX
      "#[ \t]*include[ \t]*[<\"](${_vostrel_linux_only_headers})|${_vostrel_linux_only_symbols}")
    if(linux_only)
      # Whoever includes this support file's header is Linux-only too.
      # (The support files are sorted out first, in the same folder scope.)
      if(file MATCHES "/support/([^/]+)\\.cpp$")
        set(_vostrel_linux_only_headers "${_vostrel_linux_only_headers}|support/${CMAKE_MATCH_1}\\.h")
        set(_vostrel_linux_only_headers "${_vostrel_linux_only_headers}" PARENT_SCOPE)
      endif()
      continue()
    endif()
    list(APPEND kept ${file})
  endforeach()
  set(${var} ${kept} PARENT_SCOPE)
endfunction()

# On Linux every test case is its own ctest test. A cross-built program runs
# under wine64 as a whole (one Wine process instead of one per case).
function(vostrel_add_test_program target)
  if(CMAKE_CROSSCOMPILING)
    add_test(NAME ${target} COMMAND ${target} --gtest_color=no)
    set_tests_properties(${target} PROPERTIES TIMEOUT 120)
  else()
    gtest_discover_tests(${target} DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 600)
  endif()
endfunction()
