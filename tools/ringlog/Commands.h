// The ringlog tool's commands. Each takes the arguments after its own name and returns the exit
// code: 0 done, 1 failed (after one line on standard error), 2 misused.
#pragma once

#include <vector>

namespace hv::ringlog {

using Arguments = std::vector<const char16_t*>;

constexpr int kDone = 0;
constexpr int kFailed = 1;
constexpr int kMisused = 2;

int CreateCommand(const Arguments& args);
int WriteCommand(const Arguments& args);
int DumpCommand(const Arguments& args);

// Prints the one-line usage on standard error and returns kMisused.
int Misused(const char16_t* why);

}  // namespace hv::ringlog
