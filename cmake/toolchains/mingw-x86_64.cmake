# Cross build for 64-bit Windows with mingw-w64. Programs of this build run here under Wine.
set(HV_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)

if(HV_WINE64)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${HV_WINE_NO_ASLR} ${HV_WINE64})
endif()
