// Locks on POSIX. A named mutex is a lock file in the temporary directory, held with an
// open-file-description lock: the kernel drops it when its holder dies, so a killed writer never
// leaves it taken. The description's lock does not exclude the threads that share it, so a
// std::recursive_mutex in front of it does that; only the outermost Acquire takes the file lock.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <mutex>
#include <string>

#include "platform/File.h"
#include "platform/posix/FileCalls.h"

namespace hv::platform {
namespace {

// Every unit that is not a plain file-name character is spelled as %XXXX, so distinct names
// always give distinct files and no name can climb out of the directory.
std::u16string LockFileName(const char16_t* name) {
  static constexpr char16_t kHex[] = u"0123456789ABCDEF";
  const char* directory = std::getenv("TMPDIR");
  std::u16string path;
  for (const char* p = directory != nullptr && *directory != 0 ? directory : "/tmp"; *p != 0; ++p) {
    path.push_back(static_cast<char16_t>(static_cast<unsigned char>(*p)));
  }
  path += u"/hv-mutex-";
  for (const char16_t* p = name; *p != 0; ++p) {
    const char16_t c = *p;
    const bool plain = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') ||
                       (c >= u'0' && c <= u'9') || c == u'-' || c == u'_' || c == u'.';
    if (plain) {
      path.push_back(c);
    } else {
      path.push_back(u'%');
      for (int shift = 12; shift >= 0; shift -= 4) path.push_back(kHex[(c >> shift) & 0xF]);
    }
  }
  path += u".lock";
  return path;
}

}  // namespace

struct LocalMutex::State {
  std::recursive_mutex mutex;
};

LocalMutex::LocalMutex() : state_(std::make_unique<State>()) {}
LocalMutex::~LocalMutex() = default;
void LocalMutex::Acquire() { state_->mutex.lock(); }
void LocalMutex::Release() { state_->mutex.unlock(); }

struct NamedMutex::State {
  std::recursive_mutex threads;
  int depth = 0;  // Acquires of the holding thread not yet released
  int fd = -1;
  SystemError error;
};

NamedMutex::NamedMutex() : state_(std::make_unique<State>()) {}

NamedMutex::~NamedMutex() {
  if (state_->fd >= 0) close(state_->fd);
}

bool NamedMutex::Open(const char16_t* name) {
  if (state_->fd >= 0) {
    close(state_->fd);
    state_->fd = -1;
  }
  if (name == nullptr || *name == 0) {
    state_->error = {SystemError::Kind::kOther, EINVAL};
    return false;
  }
  const std::string path = posix::NarrowPath(LockFileName(name).c_str());
  // The file is never deleted: a process that deleted it could leave the next two holders
  // locking two different files. Every user who may write a log must be able to open its mutex,
  // so the file is made writable by all whatever the umask, like any shared lock file. An open
  // that might create is tried only when the file is missing: a sticky temporary directory may
  // refuse it for a file that another user owns.
  int fd = -1;
  for (int attempt = 0; fd < 0 && attempt < 3; ++attempt) {
    fd = open(path.c_str(), O_RDWR | O_CLOEXEC);
    if (fd >= 0 || errno != ENOENT) break;
    fd = open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) {
      fchmod(fd, 0666);
    } else if (errno != EEXIST) {
      break;
    }
  }
  if (fd < 0) {
    state_->error = CurrentSystemError();
    return false;
  }
  state_->fd = fd;
  return true;
}

bool NamedMutex::Acquire() {
  state_->threads.lock();
  if (state_->depth == 0 && !posix::LockRange(state_->fd, F_WRLCK, 0, 1, true)) {
    state_->error = CurrentSystemError();
    state_->threads.unlock();
    return false;
  }
  ++state_->depth;
  return true;
}

bool NamedMutex::Release() {
  const bool unlocked = state_->depth > 1 || posix::LockRange(state_->fd, F_UNLCK, 0, 1, false);
  if (!unlocked) state_->error = CurrentSystemError();
  --state_->depth;
  state_->threads.unlock();
  return unlocked;
}

const SystemError& NamedMutex::LastError() const { return state_->error; }

}  // namespace hv::platform
