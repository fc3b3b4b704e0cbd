// The floor for bench/startup.sh: a Windows program that starts, loads the system DLLs that
// Hostvetter.exe imports (KERNEL32, msvcrt, USER32 through the platform layer's upper-casing)
// and the same static C++ runtime, and ends. Wine's start-up of these is not our code's cost.
#include "platform/ConsoleEntry.h"
#include "platform/Platform.h"

namespace {

int Run(int argc, const char16_t* const*) {
  char16_t text[] = u"x";
  hv::platform::WideUpperInPlace(text);
  return argc > 1 ? text[0] : 0;
}

}  // namespace

HV_CONSOLE_ENTRY(Run)
