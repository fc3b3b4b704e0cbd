#include "tools/ringlog/Console.h"

#include <algorithm>
#include <cstdio>
#include <iostream>

#include "platform/Platform.h"

namespace hv::ringlog {

std::u16string Widen(const std::string& ansi) {
  // No byte becomes more than one unit, so one conversion into room for all of them does.
  const auto bytes = static_cast<int32_t>(ansi.size());
  std::u16string wide(ansi.size(), u'\0');
  wide.resize(static_cast<size_t>(
      std::max(0, platform::AnsiToWide(ansi.data(), bytes, wide.data(), bytes))));
  return wide;
}

std::string Narrow(const std::u16string& text) {
  const auto units = static_cast<int32_t>(text.size());
  std::string ansi(static_cast<size_t>(platform::WideToAnsi(text.data(), units, nullptr, 0)), '\0');
  platform::WideToAnsi(text.data(), units, ansi.data(), static_cast<int32_t>(ansi.size()));
  return ansi;
}

void PrintError(const std::u16string& message) {
  std::string line = "ringlog: " + Narrow(message) + "\n";
  std::fputs(line.c_str(), stderr);
  std::fflush(stderr);
}

bool ReadInputLine(std::string* line) {
  if (!std::getline(std::cin, *line)) return false;
  if (!line->empty() && line->back() == '\r') line->pop_back();
  return true;
}

}  // namespace hv::ringlog
