// The program's entry: collects the switches, reads the computer name, decides the criteria and
// answers through the exit code and, unless quiet, one verdict line.
#pragma once

#include <cstdint>

namespace hv {

// Exit codes.
constexpr int kMatch = 1;
constexpr int kNoMatch = 0;
constexpr int kUsage = -1;

// `argv[0]` is the program's own path and is never examined.
int RunDriver(int argc, const char16_t* const* argv);

}  // namespace hv
