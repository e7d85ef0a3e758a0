# Cross-building the Windows program on Debian with mingw-w64 (the posix
# thread model: std::thread needs winpthreads):
#   cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(TESSARINE_MINGW_TRIPLE x86_64-w64-mingw32)

set(CMAKE_C_COMPILER ${TESSARINE_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TESSARINE_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${TESSARINE_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${TESSARINE_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
set(PKG_CONFIG_EXECUTABLE ${TESSARINE_MINGW_TRIPLE}-pkg-config CACHE FILEPATH "pkg-config for mingw-w64")

# Tests and tools run under Wine where it is installed.
find_program(TESSARINE_WINE wine)
if(TESSARINE_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${TESSARINE_WINE})
endif()
