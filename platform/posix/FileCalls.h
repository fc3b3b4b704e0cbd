// What the POSIX file and lock code shares.
#pragma once

#include <cstdint>
#include <string>

namespace hv::platform::posix {

// `path` in the locale's encoding, the form the system's file calls take.
std::string NarrowPath(const char16_t* path);

// Takes (F_RDLCK, F_WRLCK) or drops (F_UNLCK) an open-file-description lock on
// [offset, offset + length), waiting for it when `wait` is set; retried when a signal interrupts.
// False with errno set on failure.
bool LockRange(int fd, short type, int64_t offset, int64_t length, bool wait);

}  // namespace hv::platform::posix
