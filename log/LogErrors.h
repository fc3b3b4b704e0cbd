// Why a file cannot serve as a ring log. Failures of the file itself raise EStream.
#pragma once

#include "core/Exception.h"

namespace hv {

class ELogFormat : public Exception {
 public:
  explicit ELogFormat(const char16_t* message) : Exception(0, message) {}
};

}  // namespace hv
