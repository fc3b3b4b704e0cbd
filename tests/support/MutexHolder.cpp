// A test helper: takes the named mutex given as its argument, says "held" on standard output,
// keeps it until standard input ends, then lets it go. Tests start several of these to see the
// mutex exclude other processes, and kill one to see a dead holder give it up.
#include <cstdio>

#include "platform/ConsoleEntry.h"
#include "platform/File.h"

namespace {

int Hold(int argc, const char16_t* const* argv) {
  if (argc != 2) {
    std::fputs("usage: hv_mutex_holder NAME\n", stderr);
    return 2;
  }
  hv::platform::NamedMutex mutex;
  if (!mutex.Open(argv[1]) || !mutex.Acquire()) {
    std::fputs("cannot take the mutex\n", stderr);
    return 1;
  }
  std::fputs("held\n", stdout);
  std::fflush(stdout);
  while (std::fgetc(stdin) != EOF) {
  }
  return mutex.Release() ? 0 : 1;
}

}  // namespace

HV_CONSOLE_ENTRY(Hold)
