# Cross build for 32-bit Windows with mingw-w64. Its programs need a 32-bit Wine to run, which a
# kernel without 32-bit support cannot offer; then the build is only compiled and linked.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)

set(HV_MINGW_TRIPLET i686-w64-mingw32)
# The POSIX thread model: the other one has no std::mutex in GCC 12, which GoogleTest needs.
set(CMAKE_C_COMPILER ${HV_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${HV_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${HV_MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${HV_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The 32-bit loader itself, not the wrapper that falls back to the 64-bit one.
find_program(HV_WINE32 NAMES wine HINTS /usr/lib/wine /usr/lib/i386-linux-gnu/wine NO_DEFAULT_PATH)
if(HV_WINE32)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${HV_WINE32})
endif()
