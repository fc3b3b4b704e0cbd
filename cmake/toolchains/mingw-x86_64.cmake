# Cross build for 64-bit Windows with mingw-w64. Programs of this build run here under Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(HV_MINGW_TRIPLET x86_64-w64-mingw32)
# The POSIX thread model: the other one has no std::mutex in GCC 12, which GoogleTest needs.
set(CMAKE_C_COMPILER ${HV_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${HV_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${HV_MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${HV_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Debian keeps the 64-bit loader out of PATH.
find_program(HV_WINE64 NAMES wine64 HINTS /usr/lib/wine /usr/lib64/wine)
if(HV_WINE64)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${HV_WINE64})
endif()
