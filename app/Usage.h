#pragma once

namespace hv {

// Prints the usage text to standard output.
void PrintUsage();

}  // namespace hv
