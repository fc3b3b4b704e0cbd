// The lock a ring log holds for the whole of one write. In critical-section mode it serialises
// the threads of this process; in mutex mode it is a named mutex shared with every process that
// opens the same name.
#pragma once

#include <memory>
#include <string>

#include "platform/File.h"

namespace hv {

class SyncLock {
 public:
  // Critical-section mode.
  SyncLock();
  // Mutex mode. Raises EStream when the mutex cannot be made.
  explicit SyncLock(const char16_t* mutexName);
  ~SyncLock();
  SyncLock(const SyncLock&) = delete;
  SyncLock& operator=(const SyncLock&) = delete;

  // False when the mutex could not be taken; *cause then says why.
  bool Acquire(std::u16string* cause);
  void Release();

  bool UsesMutex() const { return mutex_ != nullptr; }
  // Whether some thread holds the lock; only meaningful to a thread that may be that holder.
  bool Held() const { return held_; }

 private:
  std::unique_ptr<platform::LocalMutex> section_;
  std::unique_ptr<platform::NamedMutex> mutex_;
  std::u16string name_;
  bool held_ = false;
};

}  // namespace hv
