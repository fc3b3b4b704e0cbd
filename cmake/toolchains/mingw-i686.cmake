# Cross build for 32-bit Windows with mingw-w64. Its programs need a 32-bit Wine to run, which a
# kernel without 32-bit support cannot offer; then the build is only compiled and linked.
set(HV_MINGW_TRIPLET i686-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR x86)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)

# The 32-bit loader itself, not the wrapper that falls back to the 64-bit one.
find_program(HV_WINE32 NAMES wine HINTS /usr/lib/wine /usr/lib/i386-linux-gnu/wine NO_DEFAULT_PATH)
if(HV_WINE32)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${HV_WINE32})
endif()
