// How failed system calls are recorded and told. Portable: CurrentSystemError and Describe are the
// backend's.
#include <string>
#include <string_view>

#include "platform/File.h"

namespace hv::platform {

bool File::Fail() {
  error_ = CurrentSystemError();
  return false;
}

bool File::Fail(SystemError::Kind kind, int32_t code) {
  error_ = {kind, code};
  return false;
}

std::u16string FailureText(std::u16string_view name, std::u16string_view operation,
                           const SystemError& error) {
  std::u16string text(name);
  text.append(u": ").append(operation).append(u": ").append(Describe(error));
  return text;
}

}  // namespace hv::platform
