// Text services straight from Windows: the locale-aware comparison and upper-casing of the user
// interface, and conversions in the active ANSI code page with no flags.
#include "platform/Platform.h"
#include "platform/win32/WindowsApi.h"

namespace hv::platform {

using win32::AsWide;

int32_t WideLength(const char16_t* text) { return lstrlenW(AsWide(text)); }

int32_t WideCompare(const char16_t* a, const char16_t* b) { return lstrcmpW(AsWide(a), AsWide(b)); }

void WideUpperInPlace(char16_t* text) {
  // A null pointer has a zero high word, which CharUpperW would take for a single character.
  if (text == nullptr) return;
  CharUpperW(AsWide(text));
}

int32_t AnsiToWide(const char* source, int32_t sourceBytes, char16_t* destination,
                   int32_t destinationUnits) {
  // Windows reads a negative count as "up to the terminator"; callers here always count.
  if (source == nullptr || sourceBytes <= 0 || destinationUnits < 0) return 0;
  return MultiByteToWideChar(CP_ACP, 0, source, sourceBytes,
                             destinationUnits > 0 ? AsWide(destination) : nullptr,
                             destinationUnits);
}

int32_t WideToAnsi(const char16_t* source, int32_t sourceUnits, char* destination,
                   int32_t destinationBytes) {
  if (source == nullptr || sourceUnits <= 0 || destinationBytes < 0) return 0;
  return WideCharToMultiByte(CP_ACP, 0, AsWide(source), sourceUnits,
                             destinationBytes > 0 ? destination : nullptr, destinationBytes,
                             nullptr, nullptr);
}

}  // namespace hv::platform
