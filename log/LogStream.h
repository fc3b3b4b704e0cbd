// The stream a ring log works on: a throttled stream over one file that can also lock a byte
// range of that file against other writers.
#pragma once

#include <string>
#include <utility>

#include "log/ThrottledStream.h"

namespace hv {

class LogStream : public ThrottledStream {
 public:
  // Waits until it holds bytes [0, length) of the file; `length` is at least 1. Raises EStream.
  virtual void LockRange(int64_t length, bool exclusive) = 0;
  virtual void UnlockRange(int64_t length) = 0;

  // The file's name, for messages.
  const std::u16string& Name() const { return name_; }

 protected:
  LogStream(std::u16string name, const StreamSettings& settings)
      : ThrottledStream(settings), name_(std::move(name)) {}

 private:
  std::u16string name_;
};

// Holds a byte-range lock from its start to the end of its scope. Releasing never raises: a
// release that fails leaves the range to the system, which frees it when the file is closed.
class ScopedRangeLock {
 public:
  ScopedRangeLock(LogStream& stream, int64_t length, bool exclusive)
      : stream_(stream), length_(length) {
    stream_.LockRange(length_, exclusive);
  }
  ~ScopedRangeLock() {
    try {
      stream_.UnlockRange(length_);
    } catch (...) {
    }
  }
  ScopedRangeLock(const ScopedRangeLock&) = delete;
  ScopedRangeLock& operator=(const ScopedRangeLock&) = delete;

 private:
  LogStream& stream_;
  int64_t length_;
};

}  // namespace hv
