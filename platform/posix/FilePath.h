// Path text for the POSIX file calls.
#pragma once

#include <string>

namespace hv::platform::posix {

// `path` in the locale's encoding, the form the system's file calls take.
std::string NarrowPath(const char16_t* path);

}  // namespace hv::platform::posix
