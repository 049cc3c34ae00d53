# The core's layers, one static library per folder, each linking only the
# layers below it:
#
#   system (+ its platform backend)  <  session  <  scan, shortcuts  <  results  <  app
#
# Beside them: menus/ stands alone, prefixes/ and ignore/ use system/ only;
# app/ applies the ignore list to a scan.
# app/ uses menus/ on Linux for the row of Wine's menu entries.
#
# The front ends (cli/, shell/) sit on top and link vostrel_core (the app
# layer and everything below it). A source that includes a header of a layer
# it may not use - above it, or beside it - stops the configure step, so a
# new cycle between folders cannot creep in.

# vostrel_check_layer(<folder> ALLOWED <folder>...): every #include "x/..."
# of the folder's sources names the folder itself or an allowed one.
function(vostrel_check_layer folder)
  cmake_parse_arguments(LAYER "" "" "ALLOWED" ${ARGN})
  file(GLOB_RECURSE files CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${folder}/*.h
       ${CMAKE_CURRENT_SOURCE_DIR}/${folder}/*.cpp)
  string(REGEX REPLACE "/.*" "" top ${folder})
  foreach(file IN LISTS files)
    file(STRINGS ${file} includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"[a-z0-9_]+/")
    foreach(line IN LISTS includes)
      string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([a-z0-9_]+)/.*" "\\1" used "${line}")
      if(NOT used STREQUAL top AND NOT used IN_LIST LAYER_ALLOWED)
        file(RELATIVE_PATH relative ${CMAKE_CURRENT_SOURCE_DIR} ${file})
        message(FATAL_ERROR "${relative} includes ${used}/, which the ${folder} layer may not use "
                            "(it may use: ${top} ${LAYER_ALLOWED}); see cmake/layers.cmake")
      endif()
    endforeach()
  endforeach()
endfunction()

vostrel_check_layer(system)
vostrel_check_layer(session ALLOWED system)
vostrel_check_layer(scan ALLOWED session system)
vostrel_check_layer(shortcuts ALLOWED session system)
vostrel_check_layer(results ALLOWED scan shortcuts session system)
vostrel_check_layer(app ALLOWED results scan shortcuts session system ignore menus)
vostrel_check_layer(cli ALLOWED app results scan shortcuts session system prefixes ignore)
vostrel_check_layer(shell ALLOWED app results scan shortcuts session system ignore prefixes)
vostrel_check_layer(prefixes ALLOWED system)
vostrel_check_layer(menus)
vostrel_check_layer(ignore ALLOWED system)

# Platform backends live in system/<platform>/ and are chosen here, at build
# time: system/posix + system/wine on Linux (a Wine prefix), system/win32 on
# Windows.
file(GLOB VOSTREL_SYSTEM_SOURCES CONFIGURE_DEPENDS system/*.cpp)
if(WIN32)
  file(GLOB VOSTREL_BACKEND_SOURCES CONFIGURE_DEPENDS system/win32/*.cpp)
else()
  file(GLOB VOSTREL_BACKEND_SOURCES CONFIGURE_DEPENDS system/posix/*.cpp system/wine/*.cpp)
endif()
add_library(vostrel_system STATIC ${VOSTREL_SYSTEM_SOURCES} ${VOSTREL_BACKEND_SOURCES})
target_include_directories(vostrel_system PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(vostrel_system PUBLIC vostrel_warnings)
if(WIN32)
  # The native backends: registry (advapi32), shell and link objects (ole32, shell32, shlwapi).
  target_link_libraries(vostrel_system PUBLIC advapi32 ole32 shell32 shlwapi uuid)
endif()

# vostrel_layer(<name> <folder> <lower layers>...)
function(vostrel_layer name folder)
  file(GLOB sources CONFIGURE_DEPENDS ${folder}/*.cpp)
  if(WIN32 AND folder STREQUAL "shortcuts")
    # On Windows the shell itself reads shortcut files (system/win32).
    list(FILTER sources EXCLUDE REGEX "/shortcuts/(lnk_file|lnk_layout|shortcut_reader)\\.cpp$")
  endif()
  # Wine's menu entries (menus/) are looked at where Wine runs.
  if(folder STREQUAL "app")
    if(WIN32)
      list(FILTER sources EXCLUDE REGEX "/app/menu_entry_source_wine\\.cpp$")
    else()
      list(FILTER sources EXCLUDE REGEX "/app/menu_entry_source_none\\.cpp$")
    endif()
  endif()
  add_library(${name} STATIC ${sources})
  target_link_libraries(${name} PUBLIC ${ARGN})
endfunction()

vostrel_layer(vostrel_session session vostrel_system)
vostrel_layer(vostrel_scan scan vostrel_session)
vostrel_layer(vostrel_shortcuts shortcuts vostrel_session)
vostrel_layer(vostrel_results results vostrel_scan vostrel_shortcuts vostrel_session)
vostrel_layer(vostrel_core app vostrel_results vostrel_scan vostrel_shortcuts vostrel_session
              vostrel_ignore)
if(NOT WIN32)
  # Shortcut (.lnk) files of a Wine prefix are read with liblnk.
  find_package(PkgConfig REQUIRED)
  pkg_check_modules(LIBLNK REQUIRED IMPORTED_TARGET liblnk)
  target_link_libraries(vostrel_shortcuts PRIVATE PkgConfig::LIBLNK)
  # The scan's row of Wine's menu entries (vostrel_menus: CMakeLists.txt).
  target_link_libraries(vostrel_core PUBLIC vostrel_menus)
endif()
set(VOSTREL_LAYER_TARGETS vostrel_system vostrel_session vostrel_scan vostrel_shortcuts vostrel_results vostrel_core)
