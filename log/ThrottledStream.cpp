#include "log/ThrottledStream.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "core/Exception.h"
#include "log/Clock.h"
#include "platform/Platform.h"

namespace hv {
namespace {

constexpr uint32_t kThrottleSleepMs = 500;

// While the average rate is at or above its cap, a transfer waits and moves a single byte, so the
// average sinks back below the cap.
int32_t ThrottledCount(int64_t rate, int32_t limit, int32_t count) {
  if (limit <= 0 || rate < limit) return count;
  platform::CurrentServices().Sleep(kThrottleSleepMs);
  return 1;
}

}  // namespace

ThrottledStream::ThrottledStream(const StreamSettings& settings)
    : readBuffer_(std::make_unique<uint8_t[]>(kBufferBytes)),
      writeBuffer_(std::make_unique<uint8_t[]>(kBufferBytes)),
      buffered_(settings.buffered),
      readLimit_(settings.readLimit),
      writeLimit_(settings.writeLimit) {}

ThrottledStream::~ThrottledStream() = default;

int64_t ThrottledStream::Size() { return SizeRaw(); }

void ThrottledStream::Seek(int64_t offset, SeekOrigin origin) {
  // The raw position runs ahead of the reader by what the read-ahead still holds.
  if (origin == SeekOrigin::kCurrent) offset -= readFill_ - readPos_;
  readPos_ = 0;
  readFill_ = 0;
  if (buffered_) Flush();
  const int64_t base = origin == SeekOrigin::kBegin     ? 0
                       : origin == SeekOrigin::kCurrent ? position_
                                                        : SizeRaw();
  if (base + offset < 0) throw EStream(0, u"cannot seek before the start of the stream");
  position_ = base + offset;
}

int32_t ThrottledStream::Read(int32_t count, void* destination) {
  if (count < 1) return 0;
  UpdateRates();
  count = ThrottledCount(readRate_, readLimit_, count);
  int32_t n;
  if (readPos_ < readFill_) {
    n = std::min(count, readFill_ - readPos_);
    std::memcpy(destination, readBuffer_.get() + readPos_, static_cast<size_t>(n));
    readPos_ += n;
  } else {
    const int32_t filled =
        std::clamp(ReadRawAt(position_, readBuffer_.get(), kBufferBytes), 0, kBufferBytes);
    position_ += filled;
    n = std::min(count, filled);
    std::memcpy(destination, readBuffer_.get(), static_cast<size_t>(n));
    readPos_ = n;
    readFill_ = filled;
  }
  bytesRead_ += n;
  return n;
}

int32_t ThrottledStream::ReadExact(int32_t count, void* destination) {
  if (count < 1) return 0;
  if (readPos_ < readFill_) return Read(count, destination);
  UpdateRates();
  count = ThrottledCount(readRate_, readLimit_, count);
  const int32_t n = std::clamp(ReadRawAt(position_, destination, count), 0, count);
  position_ += n;
  bytesRead_ += n;
  return n;
}

int32_t ThrottledStream::Write(int32_t count, const void* source) {
  if (count < 1) return 0;
  UpdateRates();
  count = ThrottledCount(writeRate_, writeLimit_, count);
  int32_t n;
  if (!buffered_) {
    n = WriteRawAt(position_, source, count);
    if (n < 1) throw EStream(0, u"the stream accepted no bytes");
    n = std::min(n, count);
    position_ += n;
  } else {
    if (writeSpace_ == 0) Flush();
    n = std::min(count, writeSpace_);
    std::memcpy(writeBuffer_.get() + writeFill_, source, static_cast<size_t>(n));
    writeSpace_ -= n;
    writeFill_ += n;
    if (writeSpace_ == 0) Flush();
  }
  bytesWritten_ += n;
  return n;
}

void ThrottledStream::Flush() {
  try {
    int32_t done = 0;
    while (done < writeFill_) {
      const int32_t n = WriteRawAt(position_, writeBuffer_.get() + done, writeFill_ - done);
      if (n < 1) throw EStream(0, u"the stream accepted no bytes");
      const int32_t taken = std::min(n, writeFill_ - done);
      done += taken;
      position_ += taken;
    }
  } catch (...) {
    writeFill_ = 0;
    writeSpace_ = kBufferBytes;
    throw;
  }
  writeFill_ = 0;
  writeSpace_ = kBufferBytes;
}

void ThrottledStream::Discard() {
  readPos_ = 0;
  readFill_ = 0;
  writeFill_ = 0;
  writeSpace_ = kBufferBytes;
}

void ThrottledStream::UpdateRates() {
  if (bytesWritten_ == 0 && bytesRead_ == 0) startTime_ = CurrentDateTime();
  // Truncated to whole seconds; the bound keeps a clock that jumped absurdly far defined.
  const double seconds = std::fabs(CurrentDateTime() - startTime_) * 86400.0;
  const auto elapsed = static_cast<int64_t>(seconds < 1e15 ? seconds : 1e15);
  if (elapsed > 0) {
    writeRate_ = bytesWritten_ / elapsed;
    readRate_ = bytesRead_ / elapsed;
  } else {
    writeRate_ = bytesWritten_;
    readRate_ = bytesRead_;
  }
}

}  // namespace hv
