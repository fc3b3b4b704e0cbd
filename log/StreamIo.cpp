#include "log/StreamIo.h"

#include <algorithm>

#include "core/Exception.h"

namespace hv {
namespace {

int32_t Chunk(int64_t remaining) {
  return static_cast<int32_t>(std::min<int64_t>(remaining, INT32_MAX));
}

// Repeats `read` (a member of the stream that reads) until `count` bytes are in or it gives none.
int64_t ReadRepeatedly(ThrottledStream& stream, int32_t (ThrottledStream::*read)(int32_t, void*),
                       void* destination, int64_t count) {
  auto* bytes = static_cast<uint8_t*>(destination);
  int64_t done = 0;
  while (done < count) {
    const int32_t n = (stream.*read)(Chunk(count - done), bytes + done);
    if (n <= 0) break;
    done += n;
  }
  return done;
}

}  // namespace

int64_t ReadUpTo(ThrottledStream& stream, void* destination, int64_t count) {
  return ReadRepeatedly(stream, &ThrottledStream::Read, destination, count);
}

void WriteAll(ThrottledStream& stream, const void* source, int64_t count) {
  const auto* bytes = static_cast<const uint8_t*>(source);
  int64_t done = 0;
  while (done < count) {
    const int32_t n = stream.Write(Chunk(count - done), bytes + done);
    if (n <= 0) throw EStream(0, u"the stream accepted no bytes");
    done += n;
  }
}

int64_t ReadUpToAt(ThrottledStream& stream, int64_t offset, void* destination, int64_t count) {
  stream.Seek(offset, SeekOrigin::kBegin);
  return ReadRepeatedly(stream, &ThrottledStream::ReadExact, destination, count);
}

void WriteAllAt(ThrottledStream& stream, int64_t offset, const void* source, int64_t count) {
  stream.Seek(offset, SeekOrigin::kBegin);
  WriteAll(stream, source, count);
}

}  // namespace hv
