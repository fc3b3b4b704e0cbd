// The exception types of the library. Objects hold their message in place and no pointers, so
// they are raised by value and copied whole.
#pragma once

#include <cstdint>

namespace hv {

class Exception {
 public:
  static constexpr int32_t kMessageUnits = 1023;  // terminator included

  // Keeps at most kMessageUnits - 1 units of `message`; a null message is kept empty.
  Exception(int32_t code, const char16_t* message);

  int32_t Code() const { return code_; }
  const char16_t* Message() const { return message_; }

 private:
  int32_t code_;
  char16_t message_[kMessageUnits];
};

// A text buffer could not be allocated.
class EOutOfMemory : public Exception {
 public:
  explicit EOutOfMemory(const char16_t* message = u"EOutOfMemory") : Exception(0, message) {}
};

// A raw stream operation failed.
class EStream : public Exception {
 public:
  using Exception::Exception;
};

}  // namespace hv
