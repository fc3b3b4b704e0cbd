#include "core/Exception.h"

namespace hv {

Exception::Exception(int32_t code, const char16_t* message) : code_(code), message_{} {
  int32_t n = 0;
  if (message != nullptr) {
    for (; n < kMessageUnits - 1 && message[n] != 0; ++n) message_[n] = message[n];
  }
  message_[n] = 0;
}

}  // namespace hv
