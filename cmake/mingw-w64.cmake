# Cross-compiling for 64-bit Windows with Debian's MinGW-w64; the programs run
# under Wine (tests included, through CMAKE_CROSSCOMPILING_EMULATOR).
#
#   cmake -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -B build/windows
#
# The -posix compilers are required: the "win32" thread model has no
# std::mutex, and GoogleTest needs it.

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER   ${MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER  ${MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${MINGW_PREFIX})
# Programs (flex) come from the host; libraries and headers from the target.
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Without -static the programs need libstdc++-6.dll and friends; under
# WINEDEBUG=-all they then exit silently with status 53.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# Debian's wine package ships /usr/bin/wine (a wrapper that picks the 64-bit
# loader); some installs only have wine64.
find_program(QUORLIX_WINE NAMES wine wine64
             PATHS /usr/bin /usr/lib/wine
             NO_CMAKE_FIND_ROOT_PATH)
if(QUORLIX_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${QUORLIX_WINE})
else()
  message(WARNING "No wine executable found: the Windows tests cannot run on this host.")
endif()
