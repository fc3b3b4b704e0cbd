// Standard output as the Windows runtime's text mode writes it, so both builds print the same
// bytes: each line feed goes out as carriage return + line feed.
#include <clocale>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/ConsoleEntry.h"
#include "platform/Platform.h"

namespace hv::platform {

void PrintStdout(const char* text) {
  if (text == nullptr) return;
  // Runs between line feeds go out whole; each line feed gets its carriage return.
  for (const char* p = text; *p != 0;) {
    const size_t run = std::strcspn(p, "\n");
    std::fwrite(p, 1, run, stdout);
    p += run;
    if (*p == '\n') {
      std::fwrite("\r\n", 1, 2, stdout);
      ++p;
    }
  }
}

int RunConsoleEntry(int argc, char** argv, PortableEntry entry) {
  std::setlocale(LC_ALL, "");
  std::vector<std::u16string> wide(static_cast<size_t>(argc > 0 ? argc : 0));
  std::vector<const char16_t*> pointers;
  for (int i = 0; i < argc; ++i) {
    const auto bytes = static_cast<int32_t>(std::strlen(argv[i]));
    wide[i].resize(static_cast<size_t>(AnsiToWide(argv[i], bytes, nullptr, 0)));
    AnsiToWide(argv[i], bytes, wide[i].data(), static_cast<int32_t>(wide[i].size()));
    pointers.push_back(wide[i].c_str());
  }
  pointers.push_back(nullptr);
  return entry(argc, pointers.data());
}

}  // namespace hv::platform
