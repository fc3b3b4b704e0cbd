// ringlog: makes, writes and reads ring log files.
#include <new>
#include <string>

#include "core/Exception.h"
#include "platform/ConsoleEntry.h"
#include "tools/ringlog/Commands.h"
#include "tools/ringlog/Console.h"

namespace {

using namespace hv::ringlog;

int Dispatch(int argc, const char16_t* const* argv) {
  if (argc < 2) return Misused(u"no command");
  const std::u16string command = argv[1];
  const Arguments args(argv + 2, argv + argc);
  if (command == u"create") return CreateCommand(args);
  if (command == u"write") return WriteCommand(args);
  if (command == u"dump") return DumpCommand(args);
  return Misused((u"unknown command " + command).c_str());
}

int Run(int argc, const char16_t* const* argv) {
  try {
    return Dispatch(argc, argv);
  } catch (const hv::Exception& e) {
    PrintError(e.Message());
  } catch (const std::bad_alloc&) {
    PrintError(u"out of memory");
  }
  return kFailed;
}

}  // namespace

HV_CONSOLE_ENTRY(Run)
