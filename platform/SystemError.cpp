// The message form shared by every failed system call. Portable: Describe is the backend's.
#include <string>
#include <string_view>

#include "platform/File.h"

namespace hv::platform {

std::u16string FailureText(std::u16string_view name, std::u16string_view operation,
                           const SystemError& error) {
  std::u16string text(name);
  text.append(u": ").append(operation).append(u": ").append(Describe(error));
  return text;
}

}  // namespace hv::platform
