// A byte stream with read-ahead, optional write-behind and optional caps on its read and write
// rates. A subclass supplies the raw operations; this base adds the buffers and the caps.
//
// The caps compare the average rate since the stream's first transfer with a limit in bytes per
// second. While the average is at or above the limit, each Read or Write sleeps 500 ms and moves
// a single byte, so the average sinks back below it.
//
// Read and Write share one position, which the stream keeps itself and hands to positioned raw
// operations, so moving costs no call to the system: Seek before switching between reading and
// writing. A stream serves one thread at a time.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/File.h"

namespace hv {

using platform::SeekOrigin;

struct StreamSettings {
  bool buffered = false;   // writes gather in the write-behind buffer
  int32_t readLimit = 0;   // bytes per second; 0 or less: no cap
  int32_t writeLimit = 0;  // bytes per second; 0 or less: no cap
};

class ThrottledStream {
 public:
  static constexpr int32_t kBufferBytes = 65535;

  virtual ~ThrottledStream();
  ThrottledStream(const ThrottledStream&) = delete;
  ThrottledStream& operator=(const ThrottledStream&) = delete;

  // The size of what the raw stream holds; bytes still waiting in the write-behind are not
  // counted.
  int64_t Size();

  // Writes out the write-behind and forgets the read-ahead, then moves.
  void Seek(int64_t offset, SeekOrigin origin);

  // Delivers up to `count` bytes: at least one unless the raw stream is at its end. A count
  // below 1 moves nothing.
  int32_t Read(int32_t count, void* destination);

  // The same, but fetches no more than `count` bytes from the raw stream and keeps none back: for
  // a reader that knows it wants a few bytes here and nothing after them.
  int32_t ReadExact(int32_t count, void* destination);

  // Accepts up to `count` bytes, possibly fewer; callers repeat until all are accepted.
  int32_t Write(int32_t count, const void* source);

  // Writes out everything waiting in the write-behind. If the raw stream fails, the waiting bytes
  // are dropped and the failure passes on: written later, at whatever position the stream has
  // then, they would land in the wrong place.
  void Flush();

  // Forgets the read-ahead and drops the write-behind without writing it.
  void Discard();

  // Recomputes the rates from the byte counts and the time since the first transfer.
  void UpdateRates();

  int64_t BytesRead() const { return bytesRead_; }
  int64_t BytesWritten() const { return bytesWritten_; }
  int64_t ReadRate() const { return readRate_; }
  int64_t WriteRate() const { return writeRate_; }

 protected:
  explicit ThrottledStream(const StreamSettings& settings);

  // The raw operations report failure by raising EStream and never return a negative count.
  virtual int64_t SizeRaw() = 0;
  // Bytes read at `offset`; 0 at the end of the stream.
  virtual int32_t ReadRawAt(int64_t offset, void* buffer, int32_t count) = 0;
  // Bytes accepted at `offset`: at least 1.
  virtual int32_t WriteRawAt(int64_t offset, const void* buffer, int32_t count) = 0;

 private:
  // 64-bit counts keep the rates right after a long-lived stream has moved more than 2 GiB.
  int64_t readRate_ = 0;
  int64_t writeRate_ = 0;
  double startTime_ = 0;
  int64_t bytesWritten_ = 0;
  int64_t bytesRead_ = 0;
  std::unique_ptr<uint8_t[]> readBuffer_;
  std::unique_ptr<uint8_t[]> writeBuffer_;
  bool buffered_;
  int32_t readFill_ = 0;
  int32_t writeSpace_ = kBufferBytes;
  int32_t readPos_ = 0;
  int32_t writeFill_ = 0;
  int32_t readLimit_;
  int32_t writeLimit_;
  // Where the next raw transfer happens: ahead of the reader by what the read-ahead holds, behind
  // the writer by what the write-behind holds.
  int64_t position_ = 0;
};

}  // namespace hv
