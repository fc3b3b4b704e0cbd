// Whole-text conversions and decimal numbers, built on the backend's text services. Portable: the
// backends use these too, for paths, host names, arguments and error texts.
#include <string>
#include <string_view>

#include "platform/Platform.h"

namespace hv::platform {

std::u16string Widen(std::string_view ansi) {
  // No byte becomes more than one unit, so one conversion into room for all of them does.
  const auto bytes = static_cast<int32_t>(ansi.size());
  std::u16string wide(ansi.size(), u'\0');
  const int32_t units = bytes > 0 ? AnsiToWide(ansi.data(), bytes, wide.data(), bytes) : 0;
  wide.resize(static_cast<size_t>(units > 0 ? units : 0));
  return wide;
}

std::string Narrow(std::u16string_view wide) {
  // A unit may need several bytes, so the conversion first says how many.
  const auto units = static_cast<int32_t>(wide.size());
  if (units == 0) return {};
  std::string ansi(static_cast<size_t>(WideToAnsi(wide.data(), units, nullptr, 0)), '\0');
  WideToAnsi(wide.data(), units, ansi.data(), static_cast<int32_t>(ansi.size()));
  return ansi;
}

std::u16string Decimal(int64_t value) {
  const std::string digits = std::to_string(value);
  return std::u16string(digits.begin(), digits.end());
}

}  // namespace hv::platform
