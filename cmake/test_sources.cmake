# Which test sources a build can compile, and how ctest runs the test programs.
#
# Tests that need Linux itself (a Wine prefix read from the outside, POSIX
# calls such as fork, xattrs and FIFOs, the INI settings file, liblnk) stay
# out of a Windows build. They are the files listed here, by their path below
# tests/; every other test file is portable and runs in both builds. A new
# test that includes a POSIX header, the Wine prefix fixture or a system/wine
# or system/posix backend belongs in this list (the mingw build fails to
# compile it otherwise). So does whatever includes the header of a Linux-only
# support file.
set(VOSTREL_LINUX_ONLY_TESTS
  support/cli_runner.cpp
  support/shortcut_fakes.cpp
  support/wine_e2e_rows.cpp
  support/wine_prefix_fixture.cpp
  support/special_files.cpp
  system/special_files_linux_test.cpp
  ignore/ignore_hostile_linux_test.cpp
  prefixes/prefix_hostile_linux_test.cpp
  results/backup_owner_linux_test.cpp
  results/repair_plan_linux_test.cpp
  cli/hostile_output_test.cpp
  system/path_presence_test.cpp
  system/registry_ops_test.cpp
  system/settings_test.cpp
  system/folder_cache_settle_linux_test.cpp
  system/beneath_linux_test.cpp
  system/wine_case_test.cpp
  system/wine_files_backend_test.cpp
  system/wine_files_live_test.cpp
  system/wine_files_shortname_test.cpp
  system/wine_install_linux_test.cpp
  system/wine_machine_test.cpp
  system/wine_reg_file_test.cpp
  system/wine_reg_hostile_test.cpp
  system/wine_reg_mapped_test.cpp
  system/wine_reg_preserve_test.cpp
  system/wine_reg_registry_test.cpp
  system/wine_reg_store_test.cpp
  scan/unicode_data_linux_test.cpp
  scan/unicode_wine_test.cpp
  scan/wine_provided_linux_test.cpp
  scan/wine_scan_test.cpp
  shortcuts/drive_walk_test.cpp
  shortcuts/drive_walk_wine_test.cpp
  shortcuts/hostile_files_linux_test.cpp
  shortcuts/lnk_layout_linux_test.cpp
  shortcuts/real_host_wine_test.cpp
  shortcuts/shortcut_check_test.cpp
  shortcuts/walk_mounts_linux_test.cpp
  shortcuts/walk_order_linux_test.cpp
  shortcuts/foreign_links_linux_test.cpp
  shortcuts/foreign_links_cli_linux_test.cpp
  results/backup_manager_test.cpp
  results/backup_safety_linux_test.cpp
  results/repair_crash_test.cpp
  results/repair_read_only_linux_test.cpp
  results/repair_round_trip_test.cpp
  results/repair_wine_round_trip_test.cpp
  results/restore_records_test.cpp
  results/repair_selection_test.cpp
  results/menu_entry_repair_test.cpp
  results/repair_recheck_wine_test.cpp
  results/host_file_places_test.cpp
  cli/cli_arguments_test.cpp
  cli/completion_test.cpp
  cli/man_page_test.cpp
  cli/drive_reach_command_test.cpp
  cli/ignore_command_test.cpp
  cli/menu_entry_command_test.cpp
  cli/real_host_command_test.cpp
  cli/repair_command_test.cpp
  cli/scan_command_test.cpp
  cli/scan_unreadable_test.cpp
  cli/program_groups_command_test.cpp
  cli/deep_sections_wine_linux_test.cpp
  differential/differential_test.cpp
  prefixes/prefix_finder_test.cpp
  menus/menu_entries_wine_test.cpp
  menus/menu_row_wine_test.cpp
  menus/menu_recheck_wine_test.cpp
  menus/wine_menu_fixture.cpp
)

# Removes the Linux-only files from the list in `var` when building for Windows.
function(vostrel_keep_portable var)
  if(NOT WIN32)
    return()
  endif()
  set(portable)
  foreach(file IN LISTS ${var})
    file(RELATIVE_PATH relative ${PROJECT_SOURCE_DIR}/tests ${file})
    if(NOT relative IN_LIST VOSTREL_LINUX_ONLY_TESTS)
      list(APPEND portable ${file})
    endif()
  endforeach()
  set(${var} ${portable} PARENT_SCOPE)
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
