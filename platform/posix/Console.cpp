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
  // Each line feed gets its carriage return; the whole text then goes out in one call, from a
  // buffer kept for the next one.
  thread_local std::string out;
  out.clear();
  for (const char* p = text; *p != 0;) {
    const size_t run = std::strcspn(p, "\n");
    out.append(p, run);
    p += run;
    if (*p == '\n') {
      out.append("\r\n");
      ++p;
    }
  }
  std::fwrite(out.data(), 1, out.size(), stdout);
}

int RunConsoleEntry(int argc, char** argv, PortableEntry entry) {
  std::setlocale(LC_ALL, "");
  std::vector<std::u16string> wide(static_cast<size_t>(argc > 0 ? argc : 0));
  std::vector<const char16_t*> pointers;
  for (int i = 0; i < argc; ++i) {
    wide[i] = Widen(argv[i]);
    pointers.push_back(wide[i].c_str());
  }
  pointers.push_back(nullptr);
  return entry(argc, pointers.data());
}

}  // namespace hv::platform
