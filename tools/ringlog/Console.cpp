#include "tools/ringlog/Console.h"

#include <cstdio>
#include <iostream>

#include "platform/Platform.h"

namespace hv::ringlog {

void PrintError(const std::u16string& message) {
  std::string line = "ringlog: " + platform::Narrow(message) + "\n";
  std::fputs(line.c_str(), stderr);
  std::fflush(stderr);
}

bool ReadInputLine(std::string* line) {
  if (!std::getline(std::cin, *line)) return false;
  if (!line->empty() && line->back() == '\r') line->pop_back();
  return true;
}

}  // namespace hv::ringlog
