// Locks on Windows: a critical section for the threads of one process, a kernel mutex for
// several processes. Both are re-entrant by nature. A mutex whose holder died is handed to the next
// waiter as abandoned; the log it guards tolerates a torn write, so that counts as acquired.
#include "platform/File.h"
#include "platform/win32/WindowsApi.h"

namespace hv::platform {

struct LocalMutex::State {
  CRITICAL_SECTION section;
};

LocalMutex::LocalMutex() : state_(std::make_unique<State>()) {
  InitializeCriticalSection(&state_->section);
}
LocalMutex::~LocalMutex() { DeleteCriticalSection(&state_->section); }
void LocalMutex::Acquire() { EnterCriticalSection(&state_->section); }
void LocalMutex::Release() { LeaveCriticalSection(&state_->section); }

struct NamedMutex::State {
  HANDLE mutex = nullptr;
  SystemError error;
};

NamedMutex::NamedMutex() : state_(std::make_unique<State>()) {}

NamedMutex::~NamedMutex() {
  if (state_->mutex != nullptr) CloseHandle(state_->mutex);
}

bool NamedMutex::Open(const char16_t* name) {
  if (state_->mutex != nullptr) {
    CloseHandle(state_->mutex);
    state_->mutex = nullptr;
  }
  if (name == nullptr || *name == 0) {
    state_->error = {SystemError::Kind::kOther, ERROR_INVALID_NAME};
    return false;
  }
  state_->mutex = CreateMutexW(nullptr, FALSE, win32::AsWide(name));
  if (state_->mutex == nullptr) {
    state_->error = CurrentSystemError();
    return false;
  }
  return true;
}

bool NamedMutex::Acquire() {
  const DWORD result = WaitForSingleObject(state_->mutex, INFINITE);
  if (result == WAIT_OBJECT_0 || result == WAIT_ABANDONED) return true;
  state_->error = CurrentSystemError();
  return false;
}

bool NamedMutex::Release() {
  if (ReleaseMutex(state_->mutex)) return true;
  state_->error = CurrentSystemError();
  return false;
}

const SystemError& NamedMutex::LastError() const { return state_->error; }

}  // namespace hv::platform
