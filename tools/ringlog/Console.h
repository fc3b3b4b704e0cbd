// The tool's text at the process's edges: ANSI in the active code page outside, UTF-16 inside.
#pragma once

#include <string>

namespace hv::ringlog {

// One line on standard error, prefixed with the tool's name.
void PrintError(const std::u16string& message);

// The next line of standard input without its line end; false at the end of the input.
bool ReadInputLine(std::string* line);

}  // namespace hv::ringlog
