# Cross-compiles for 64-bit Windows with Debian's mingw-w64 (the POSIX thread
# model, so std::thread and std::mutex work) and links the C and C++ runtimes
# statically: the .exe files need nothing besides the system's own DLLs.
# Programs built here run on Linux under wine64 (CMAKE_CROSSCOMPILING_EMULATOR),
# which is how ctest runs the tests of this build.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(_mingw x86_64-w64-mingw32)
find_program(VOSTREL_MINGW_CXX NAMES ${_mingw}-g++-posix ${_mingw}-g++ REQUIRED)
find_program(VOSTREL_MINGW_CC NAMES ${_mingw}-gcc-posix ${_mingw}-gcc REQUIRED)
set(CMAKE_CXX_COMPILER ${VOSTREL_MINGW_CXX})
set(CMAKE_C_COMPILER ${VOSTREL_MINGW_CC})
set(CMAKE_RC_COMPILER ${_mingw}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${_mingw})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# mingw-w64 offers the POSIX localtime_r and gmtime_r when asked for them.
set(CMAKE_CXX_FLAGS_INIT "-D_POSIX_THREAD_SAFE_FUNCTIONS=200112L")
set(CMAKE_C_FLAGS_INIT "-D_POSIX_THREAD_SAFE_FUNCTIONS=200112L")

# pkg-config must not offer the host's Linux libraries to a Windows build.
set(ENV{PKG_CONFIG_LIBDIR} /usr/${_mingw}/lib/pkgconfig:/usr/${_mingw}/share/pkgconfig)
set(ENV{PKG_CONFIG_PATH} "")
set(ENV{PKG_CONFIG_SYSROOT_DIR} "")

find_program(VOSTREL_WINE64 NAMES wine64 PATHS /usr/lib/wine /usr/lib64/wine NO_DEFAULT_PATH)
if(NOT VOSTREL_WINE64)
  find_program(VOSTREL_WINE64 NAMES wine64 wine)
endif()
if(VOSTREL_WINE64)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${VOSTREL_WINE64})
endif()
