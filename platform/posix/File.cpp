// Files on POSIX. Byte-range locks are open-file-description locks: they belong to the open file
// rather than to the process, so they exclude other descriptions in this process too, and closing
// some other descriptor of the same file does not silently drop them as classic record locks do.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>

#include "platform/File.h"
#include "platform/Platform.h"
#include "platform/posix/FileCalls.h"

namespace hv::platform {
namespace posix {

std::string NarrowPath(const char16_t* path) {
  return Narrow({path, static_cast<size_t>(WideLength(path))});
}

bool LockRange(int fd, short type, int64_t offset, int64_t length, bool wait) {
  struct flock range {};
  range.l_type = type;
  range.l_whence = SEEK_SET;
  range.l_start = static_cast<off_t>(offset);
  range.l_len = static_cast<off_t>(length);
  range.l_pid = 0;  // must be 0 for open-file-description locks
  int result;
  do {
    result = fcntl(fd, wait ? F_OFD_SETLKW : F_OFD_SETLK, &range);
  } while (result != 0 && errno == EINTR);
  return result == 0;
}

}  // namespace posix

namespace {

int Descriptor(intptr_t handle) { return static_cast<int>(handle); }

// Runs a transfer again for as long as a signal interrupts it.
template <typename Transfer>
ssize_t Uninterrupted(Transfer transfer) {
  ssize_t n;
  do {
    n = transfer();
  } while (n < 0 && errno == EINTR);
  return n;
}

// glibc offers two strerror_r; these overloads take whichever it declared.
[[maybe_unused]] const char* ErrorText(int result, const char* buffer) {
  return result == 0 ? buffer : "unknown error";
}
[[maybe_unused]] const char* ErrorText(const char* result, const char*) { return result; }

}  // namespace

File::~File() { Close(); }

SystemError CurrentSystemError() {
  const int code = errno;
  switch (code) {
    case ENOENT:
      return {SystemError::Kind::kNotFound, code};
    case EEXIST:
      return {SystemError::Kind::kAlreadyExists, code};
    case EISDIR:  // opening a directory for writing
      return {SystemError::Kind::kNotAPlainFile, code};
    default:
      return {SystemError::Kind::kOther, code};
  }
}

bool File::OpenExisting(const char16_t* path, bool writable) {
  Close();
  const std::string narrow = posix::NarrowPath(path);
  // Non-blocking, so that a pipe with no writer cannot hold the open; the flag only matters to
  // pipes and devices, which are then refused.
  const int fd = open(narrow.c_str(), (writable ? O_RDWR : O_RDONLY) | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return Fail();
  struct stat info {};
  if (fstat(fd, &info) != 0) {
    Fail();
    close(fd);
    return false;
  }
  if (!S_ISREG(info.st_mode)) {
    close(fd);
    return Fail(SystemError::Kind::kNotAPlainFile);
  }
  handle_ = fd;
  return true;
}

bool File::CreateNew(const char16_t* path) {
  Close();
  const std::string narrow = posix::NarrowPath(path);
  const int fd = open(narrow.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) return Fail();
  handle_ = fd;
  return true;
}

bool File::Size(int64_t* size) {
  struct stat info {};
  if (fstat(Descriptor(handle_), &info) != 0) return Fail();
  *size = static_cast<int64_t>(info.st_size);
  return true;
}

bool File::ReadAt(int64_t offset, void* buffer, int32_t count, int32_t* done) {
  *done = 0;
  if (count <= 0) return true;
  const ssize_t n = Uninterrupted([&] {
    return pread(Descriptor(handle_), buffer, static_cast<size_t>(count),
                 static_cast<off_t>(offset));
  });
  if (n < 0) return Fail();
  *done = static_cast<int32_t>(n);
  return true;
}

bool File::WriteAt(int64_t offset, const void* buffer, int32_t count, int32_t* done) {
  *done = 0;
  if (count <= 0) return true;
  const ssize_t n = Uninterrupted([&] {
    return pwrite(Descriptor(handle_), buffer, static_cast<size_t>(count),
                  static_cast<off_t>(offset));
  });
  if (n < 0) return Fail();
  // A regular file that takes nothing is full.
  if (n == 0) return Fail(SystemError::Kind::kOther, ENOSPC);
  *done = static_cast<int32_t>(n);
  return true;
}

bool File::Lock(int64_t offset, int64_t length, bool exclusive) {
  if (length < 1 || offset < 0) return Fail(SystemError::Kind::kOther, EINVAL);
  if (!posix::LockRange(Descriptor(handle_), exclusive ? F_WRLCK : F_RDLCK, offset, length, true)) {
    return Fail();
  }
  return true;
}

bool File::Unlock(int64_t offset, int64_t length) {
  if (length < 1 || offset < 0) return Fail(SystemError::Kind::kOther, EINVAL);
  if (!posix::LockRange(Descriptor(handle_), F_UNLCK, offset, length, false)) return Fail();
  return true;
}

bool File::Close() {
  if (handle_ == kNoHandle) return true;
  const int fd = Descriptor(handle_);
  handle_ = kNoHandle;
  // The descriptor is gone even when close reports an error; it must not be closed again.
  if (close(fd) != 0 && errno != EINTR) return Fail();
  return true;
}

bool RemoveFile(const char16_t* path, SystemError* error) {
  const std::string narrow = posix::NarrowPath(path);
  if (unlink(narrow.c_str()) == 0) return true;
  *error = CurrentSystemError();
  return false;
}

std::u16string Describe(const SystemError& error) {
  if (error.kind == SystemError::Kind::kNotAPlainFile) {
    return u"not a plain file (a directory, pipe or device)";
  }
  char buffer[256] = {};
  return Widen(ErrorText(strerror_r(error.code, buffer, sizeof buffer), buffer));
}

}  // namespace hv::platform
