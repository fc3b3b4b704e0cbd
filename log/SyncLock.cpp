#include "log/SyncLock.h"

#include "core/Exception.h"

namespace hv {

SyncLock::SyncLock() : section_(std::make_unique<platform::LocalMutex>()) {}

SyncLock::SyncLock(const char16_t* mutexName)
    : mutex_(std::make_unique<platform::NamedMutex>()),
      name_(mutexName != nullptr ? mutexName : u"") {
  if (!mutex_->Open(mutexName)) {
    const std::u16string message =
        u"mutex " + name_ + u": cannot open: " + platform::DescribeError(mutex_->LastError());
    throw EStream(mutex_->LastError(), message.c_str());
  }
}

SyncLock::~SyncLock() = default;

bool SyncLock::Acquire(std::u16string* cause) {
  if (mutex_ != nullptr) {
    if (!mutex_->Acquire()) {
      *cause =
          u"mutex " + name_ + u": cannot take: " + platform::DescribeError(mutex_->LastError());
      return false;
    }
  } else {
    section_->Acquire();
  }
  held_ = true;
  return true;
}

void SyncLock::Release() {
  held_ = false;
  if (mutex_ != nullptr) {
    // A release that fails leaves nothing to undo here; the mutex stays with this thread until
    // the process ends, which the system then cleans up.
    mutex_->Release();
  } else {
    section_->Release();
  }
}

}  // namespace hv
