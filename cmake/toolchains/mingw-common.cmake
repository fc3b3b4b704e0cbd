# What both mingw-w64 cross builds share; the including file sets HV_MINGW_TRIPLET first.
set(CMAKE_SYSTEM_NAME Windows)

# The POSIX thread model: the other one has no std::mutex in GCC 12, which GoogleTest needs.
set(CMAKE_C_COMPILER ${HV_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${HV_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${HV_MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${HV_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The 64-bit Wine loader runs the programs of both builds; Debian keeps it out of PATH.
find_program(HV_WINE64 NAMES wine64 HINTS /usr/lib/wine /usr/lib64/wine)

# Debian's Wine lacks the preloader that keeps the low addresses free for a Windows process, so
# with address randomisation a start now and then fails silently (exit code 1); programs of the
# build run without it (tests/e2e/wine_prefix.py says more).
find_program(HV_SETARCH NAMES setarch)
set(HV_WINE_NO_ASLR "")
if(HV_SETARCH)
  set(HV_WINE_NO_ASLR ${HV_SETARCH} x86_64 -R)
endif()
