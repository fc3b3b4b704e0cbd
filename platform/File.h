// Files and locks, for the ring log.
//
// A File is one open description of a file: its own position and its own byte-range locks. Two
// Files on the same path exclude each other through their locks, in one process as in two, and
// closing one never drops the locks of another. Every operation answers true on success; on
// failure it answers false and LastError() says why, as a SystemError. Paths and names are UTF-16.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace hv::platform {

// A failure the system reported, in the one shape it takes in portable code: the kind, for code
// that must decide what to do, and the system's own code (errno on POSIX, GetLastError() on
// Windows), for the text a person reads.
struct SystemError {
  enum class Kind : int32_t { kNone, kNotFound, kAlreadyExists, kNotAPlainFile, kOther };
  Kind kind = Kind::kNone;
  int32_t code = 0;
};

// The calling thread's last system error, with its kind; each backend maps its codes here.
SystemError CurrentSystemError();

// The system's text for the error, without a trailing line end.
std::u16string Describe(const SystemError& error);

// "NAME: operation: cause", the one form of every message about a failed system call.
std::u16string FailureText(std::u16string_view name, std::u16string_view operation,
                           const SystemError& error);

enum class SeekOrigin : int32_t { kBegin = 0, kCurrent = 1, kEnd = 2 };

class File {
 public:
  File() = default;
  ~File();  // closes, dropping this description's locks
  File(const File&) = delete;
  File& operator=(const File&) = delete;

  // Opens a file that exists, for reading and writing or for reading only. Anything but a plain
  // file (a directory, a pipe, a device) is refused at once as kNotAPlainFile, without waiting
  // for a pipe's other end.
  bool OpenExisting(const char16_t* path, bool writable);
  // Creates a file that must not exist yet (never replaces one), open for reading and writing.
  bool CreateNew(const char16_t* path);

  bool IsOpen() const { return handle_ != kNoHandle; }

  bool Size(int64_t* size);
  // Transfers at `offset`, which no other transfer depends on: the file keeps no position. *done
  // is the number of bytes moved: fewer than asked at the end of the file, never 0 for a
  // successful write of at least one byte.
  bool ReadAt(int64_t offset, void* buffer, int32_t count, int32_t* done);
  bool WriteAt(int64_t offset, const void* buffer, int32_t count, int32_t* done);

  // Waits until it holds the range [offset, offset + length). An exclusive lock needs a writable
  // file. `length` must be at least 1: a zero length means nothing on one system and everything on
  // the other.
  bool Lock(int64_t offset, int64_t length, bool exclusive);
  bool Unlock(int64_t offset, int64_t length);

  bool Close();

  const SystemError& LastError() const { return error_; }

 private:
  static constexpr intptr_t kNoHandle = -1;
  bool Fail();  // records the system's current error; returns false
  bool Fail(SystemError::Kind kind, int32_t code = 0);

  intptr_t handle_ = kNoHandle;
  SystemError error_;
};

// Deletes the file at `path`; on failure *error says why.
bool RemoveFile(const char16_t* path, SystemError* error);

// The two locks below are re-entrant on every system: the thread that holds one may acquire it
// again, and it is free once each Acquire has had its Release. Any other thread, or process, waits.
// Each owns one system object, so neither can be copied.

// A lock for the threads of one process.
class LocalMutex {
 public:
  LocalMutex();
  ~LocalMutex();

  void Acquire();
  void Release();

 private:
  struct State;
  std::unique_ptr<State> state_;
};

// A lock shared by every process and every thread that opens the same name. A holder that dies
// gives the lock up; the next one to wait gets it.
class NamedMutex {
 public:
  NamedMutex();
  ~NamedMutex();

  bool Open(const char16_t* name);
  bool Acquire();
  bool Release();

  const SystemError& LastError() const;

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace hv::platform
