# Cross build for 32-bit Windows with Debian's MinGW-w64 (g++-mingw-w64-i686-posix).
#   cmake -S . -B build-win32 -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-i686.cmake
# The posix-threads flavour of the compiler is used because the default win32-threads one has
# no std::mutex or std::thread. Everything is linked statically, so the program is one .exe
# that imports only system DLLs.
#
# -DKIPRUN_MINGW_TRIPLET=x86_64-w64-mingw32 builds the same program for 64-bit Windows, for
# hosts that cannot execute 32-bit code (there a 64-bit Wine runs the tests).
set(CMAKE_SYSTEM_NAME Windows)

set(KIPRUN_MINGW_TRIPLET i686-w64-mingw32 CACHE STRING "MinGW-w64 target triplet")
if(KIPRUN_MINGW_TRIPLET MATCHES "^x86_64")
  set(CMAKE_SYSTEM_PROCESSOR x86_64)
else()
  set(CMAKE_SYSTEM_PROCESSOR i686)
endif()
find_program(KIPRUN_MINGW_CXX NAMES ${KIPRUN_MINGW_TRIPLET}-g++-posix REQUIRED)
find_program(KIPRUN_MINGW_CC NAMES ${KIPRUN_MINGW_TRIPLET}-gcc-posix ${KIPRUN_MINGW_TRIPLET}-gcc)
find_program(KIPRUN_MINGW_WINDRES NAMES ${KIPRUN_MINGW_TRIPLET}-windres REQUIRED)

set(CMAKE_CXX_COMPILER ${KIPRUN_MINGW_CXX})
if(KIPRUN_MINGW_CC)
  set(CMAKE_C_COMPILER ${KIPRUN_MINGW_CC})
endif()
set(CMAKE_RC_COMPILER ${KIPRUN_MINGW_WINDRES})

set(CMAKE_FIND_ROOT_PATH /usr/${KIPRUN_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Unicode Win32 calls by default; no min/max macros from <windows.h>; Windows 7 and later.
add_compile_definitions(UNICODE _UNICODE NOMINMAX WIN32_LEAN_AND_MEAN _WIN32_WINNT=0x0601)
# One small file: unused functions and data are dropped at link time and symbols stripped.
set(CMAKE_CXX_FLAGS_INIT "-ffunction-sections -fdata-sections")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++ -Wl,--gc-sections")
set(CMAKE_EXE_LINKER_FLAGS_MINSIZEREL_INIT "-s")
set(CMAKE_EXE_LINKER_FLAGS_RELEASE_INIT "-s")

# Test executables run under Wine when ctest runs them on the build machine. The 64-bit build
# takes the 64-bit loader itself: Debian's wine wrapper prefers the 32-bit one when it is
# installed, also where the host cannot execute it.
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
  find_program(KIPRUN_WINE NAMES wine64 PATHS /usr/lib/wine NO_DEFAULT_PATH)
endif()
find_program(KIPRUN_WINE NAMES wine)
if(KIPRUN_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${KIPRUN_WINE})
endif()
