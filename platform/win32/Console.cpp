// The wide-character console entry and standard output through the C runtime, whose text mode
// turns each line feed into carriage return + line feed.
#include <cstdio>

#include "platform/ConsoleEntry.h"
#include "platform/Platform.h"

namespace hv::platform {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "wmain receives UTF-16 units");

void PrintStdout(const char* text) {
  if (text == nullptr) return;
  std::printf("%s", text);
}

int RunConsoleEntry(int argc, wchar_t** argv, PortableEntry entry) {
  // The runtime already split the command line into UTF-16 arguments: nothing to convert.
  return entry(argc, reinterpret_cast<const char16_t* const*>(argv));
}

}  // namespace hv::platform
