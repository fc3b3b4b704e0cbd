#include "tools/ringlog/Console.h"

#include <cstdio>
#include <iostream>

#include "platform/Platform.h"

namespace hv::ringlog {

std::u16string Widen(const std::string& ansi) {
  const auto bytes = static_cast<int32_t>(ansi.size());
  std::u16string wide(static_cast<size_t>(platform::AnsiToWide(ansi.data(), bytes, nullptr, 0)),
                      u'\0');
  platform::AnsiToWide(ansi.data(), bytes, wide.data(), static_cast<int32_t>(wide.size()));
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
