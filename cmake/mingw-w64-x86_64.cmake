# Cross build for 64-bit Windows with Debian's MinGW-w64 (the -posix thread
# model, for std::thread and std::mutex):
#   cmake -S . -B build-mingw -G Ninja --toolchain cmake/mingw-w64-x86_64.cmake
# Tests then run under wine64 (CMAKE_CROSSCOMPILING_EMULATOR).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(triple x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${triple}-gcc-posix)
set(CMAKE_CXX_COMPILER ${triple}-g++-posix)
set(CMAKE_RC_COMPILER ${triple}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

find_program(VACANTIX_WINE NAMES wine64 wine HINTS /usr/lib/wine)
if(VACANTIX_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${VACANTIX_WINE})
endif()
