# Cross-compiles for 64-bit Windows with Debian's MinGW-w64 (g++-mingw-w64-x86-64) and runs
# the programs it builds, such as the tests, under Wine:
#
#   cmake -S . -B build-windows -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
#         -DTONARION_BUILD_GUI=OFF
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(tonarion_mingw_triplet x86_64-w64-mingw32)
# The -posix variants carry std::thread and std::mutex; the -win32 ones of GCC 12 do not.
find_program(CMAKE_C_COMPILER NAMES ${tonarion_mingw_triplet}-gcc-posix REQUIRED)
find_program(CMAKE_CXX_COMPILER NAMES ${tonarion_mingw_triplet}-g++-posix REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${tonarion_mingw_triplet}-windres REQUIRED)

# Libraries and headers only from the target system's root, programs only from this one.
set(CMAKE_FIND_ROOT_PATH /usr/${tonarion_mingw_triplet})
# A library built for Windows elsewhere, such as the Qt of scripts/qt-windows, is named with
# CMAKE_PREFIX_PATH; it is a root of the target system as well.
list(APPEND CMAKE_FIND_ROOT_PATH ${CMAKE_PREFIX_PATH})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# pkg-config, too, sees only the target's libraries: those under CMAKE_PREFIX_PATH, such as the
# sound libraries of scripts/sound-windows, never this machine's.
set(ENV{PKG_CONFIG_LIBDIR} /usr/${tonarion_mingw_triplet}/lib/pkgconfig)

# ctest runs the Windows programs through Wine's 64-bit loader (Debian's wine64 package).
find_program(CMAKE_CROSSCOMPILING_EMULATOR NAMES wine64 PATHS /usr/lib/wine NO_DEFAULT_PATH)
find_program(CMAKE_CROSSCOMPILING_EMULATOR NAMES wine64 wine REQUIRED)
