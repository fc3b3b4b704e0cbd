# Cross build for 32-bit Windows with mingw-w64. Its programs run here under the 64-bit Wine in
# its new-WoW64 mode, which needs no 32-bit Linux code, only Wine's own 32-bit Windows DLLs
# (scripts/install-wine32-dlls.sh) on WINEDLLPATH, and a kernel that can run 32-bit code.
set(HV_MINGW_TRIPLET i686-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR x86)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)

if(DEFINED ENV{HV_WINE_DLL_PATH})
  set(HV_WINE_DLL_PATH_DEFAULT $ENV{HV_WINE_DLL_PATH})
else()
  set(HV_WINE_DLL_PATH_DEFAULT /var/cache/hostvetter/wine32)
endif()
set(HV_WINE_DLL_PATH ${HV_WINE_DLL_PATH_DEFAULT} CACHE PATH
    "The folder that holds Wine's 32-bit Windows DLLs (i386-windows/)")

if(HV_WINE64)
  set(CMAKE_CROSSCOMPILING_EMULATOR env WINEDLLPATH=${HV_WINE_DLL_PATH} ${HV_WINE_NO_ASLR} ${HV_WINE64})
endif()
