# Header-only libraries for the cross build: Debian installs them under
# /usr/include, which a Windows compile must not search as a whole (its C
# headers are glibc's). Each library's own folder is staged on its own.
function(vostrel_stage_headers target folder)
  if(TARGET ${target})
    return()
  endif()
  set(stage ${CMAKE_BINARY_DIR}/_staged_headers/${target})
  string(REPLACE "::" "_" stage ${stage})
  if(NOT EXISTS /usr/include/${folder})
    message(FATAL_ERROR "${target}: /usr/include/${folder} is missing")
  endif()
  file(MAKE_DIRECTORY ${stage})
  file(CREATE_LINK /usr/include/${folder} ${stage}/${folder} SYMBOLIC)
  add_library(${target} INTERFACE IMPORTED GLOBAL)
  set_target_properties(${target} PROPERTIES INTERFACE_INCLUDE_DIRECTORIES ${stage})
endfunction()
