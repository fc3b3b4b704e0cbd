#include "API/Windows/Platform/VersionUnit.h"
#include "app/Driver.h"
#include "platform/ConsoleEntry.h"

namespace {

int Run(int argc, const char16_t* const* argv) {
  hv::StartVersionUnit();
  return hv::RunDriver(argc, argv);
}

}  // namespace

HV_CONSOLE_ENTRY(Run)
