#include "log/SyncLock.h"

#include "core/Exception.h"

namespace hv {

SyncLock::SyncLock() : section_(std::make_unique<platform::LocalMutex>()) {}

SyncLock::SyncLock(const char16_t* mutexName)
    : mutex_(std::make_unique<platform::NamedMutex>()),
      name_(mutexName != nullptr ? mutexName : u"") {
  if (!mutex_->Open(mutexName)) {
    const platform::SystemError& error = mutex_->LastError();
    throw EStream(error.code,
                  platform::FailureText(u"mutex " + name_, u"cannot open", error).c_str());
  }
}

SyncLock::~SyncLock() = default;

bool SyncLock::Acquire(std::u16string* cause) {
  if (mutex_ != nullptr) {
    if (!mutex_->Acquire()) {
      *cause = platform::FailureText(u"mutex " + name_, u"cannot take", mutex_->LastError());
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
