// The console entry of a Hostvetter program.
//
// Each program names its portable entry once with HV_CONSOLE_ENTRY(function); the backend supplies
// the real entry point around it. On Windows that is the wide-character entry, whose arguments
// already are UTF-16. On POSIX the entry first selects the user's locale (it plays the part of the
// Windows system locale and its ANSI code page) and converts each argument from the locale's
// encoding to UTF-16.
#pragma once

#include <cstdint>

namespace hv::platform {

using PortableEntry = int (*)(int argc, const char16_t* const* argv);

#if defined(_WIN32)
int RunConsoleEntry(int argc, wchar_t** argv, PortableEntry entry);
#define HV_CONSOLE_ENTRY(entry) \
  int wmain(int argc, wchar_t** argv) { return ::hv::platform::RunConsoleEntry(argc, argv, entry); }
#else
int RunConsoleEntry(int argc, char** argv, PortableEntry entry);
#define HV_CONSOLE_ENTRY(entry) \
  int main(int argc, char** argv) { return ::hv::platform::RunConsoleEntry(argc, argv, entry); }
#endif

}  // namespace hv::platform
