// The Win32 backend's one way into the Windows headers. Nothing outside platform/win32 includes
// this file, so portable code never sees the Windows macros.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

// Services has a method of this name; the A/W macro would rename it.
#undef GetComputerName

namespace hv::platform::win32 {

// The portable layer holds UTF-16 as char16_t; Windows spells the same units wchar_t.
static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows wide characters are UTF-16 units");

inline const wchar_t* AsWide(const char16_t* text) {
  return reinterpret_cast<const wchar_t*>(text);
}

inline wchar_t* AsWide(char16_t* text) { return reinterpret_cast<wchar_t*>(text); }

}  // namespace hv::platform::win32
