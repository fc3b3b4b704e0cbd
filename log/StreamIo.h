// Whole transfers over a throttled stream, whose Read and Write may move fewer bytes than asked.
#pragma once

#include <cstdint>
#include <string>

#include "log/ThrottledStream.h"

namespace hv {

// Reads until `count` bytes are in or the stream ends; returns the bytes read. Bytes of
// `destination` past those keep what they held.
int64_t ReadUpTo(ThrottledStream& stream, void* destination, int64_t count);

// Writes all `count` bytes.
void WriteAll(ThrottledStream& stream, const void* source, int64_t count);

// The same at `offset`, reading no further ahead than `count` bytes.
int64_t ReadUpToAt(ThrottledStream& stream, int64_t offset, void* destination, int64_t count);
void WriteAllAt(ThrottledStream& stream, int64_t offset, const void* source, int64_t count);

}  // namespace hv
