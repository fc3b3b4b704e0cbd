// A diagnostic log kept in a file of fixed-size records used as a ring: each message overwrites
// the oldest slot, so the file never grows past its slot count. Many threads and processes may
// write one file: a write holds the SyncLock and then an exclusive lock on the file's bytes, and
// re-reads the header under them, so all writers share one ring. See LogFormat.h for the layout.
// One RingLog may serve many threads; open and close it while none of them writes.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "core/Diagnostics.h"
#include "log/LogFormat.h"
#include "log/LogStream.h"
#include "log/SyncLock.h"

namespace hv {

struct RingLogOptions {
  bool buffered = false;                // gather each write's pieces into one raw write
  int32_t writeLimit = 0;               // bytes per second; 0: no cap
  const char16_t* mutexName = nullptr;  // null: the SyncLock serialises this process only
};

class RingLog final : public DiagnosticLog {
 public:
  RingLog() = default;
  ~RingLog() override;
  RingLog(const RingLog&) = delete;
  RingLog& operator=(const RingLog&) = delete;

  // Opens the log file at `path` for writing. Raises EStream when the file or the mutex cannot be
  // opened or read (naming the file, and the mutex when it is the cause) and ELogFormat when the
  // file is not a ring log; the log then stays closed and the file untouched.
  void Open(const char16_t* path, const RingLogOptions& options = {});
  // The same over a stream and lock the caller made.
  void Open(std::unique_ptr<LogStream> stream, std::unique_ptr<SyncLock> lock);
  void Close();

  bool IsOpen() const override { return isOpen_; }

  // Writes `message` into the next slot, stamped with the local time: the record, then the slot's
  // table entry, then the header, so that a writer killed at any point leaves a log the next write
  // repairs (see LogCheck.h). 1 when written; 0 when the log is not open, the file no longer
  // holds a ring log this log can write, or the stream failed. The ANSI form of the message is cut
  // to its first 2046 bytes. An exception other than a stream error passes on, with both locks
  // released.
  int32_t Write(const char16_t* message) override { return Write(message, nullptr); }
  // The same; when it gives 0 and `cause` is not null, *cause says why, naming the file.
  int32_t Write(const char16_t* message, std::u16string* cause);

  // Makes this the log that diagnostic reports go to, or stops that. Do it before any report can
  // be made: the hook is read without a lock.
  void Attach();
  void Detach();

 private:
  int32_t WriteLocked(uint8_t* record, std::u16string* cause);

  std::unique_ptr<SyncLock> lock_;
  std::unique_ptr<LogStream> stream_;
  // The header as last read or written: bytes that a short read misses keep these values.
  uint8_t header_[kHeaderBytes] = {};
  // The slot count found at open: a header that claims another is refused.
  int32_t slotCount_ = 0;
  // Every write locks the whole of a full log, so no file size is needed to lock.
  int64_t lockLength_ = 1;
  bool isOpen_ = false;
};

}  // namespace hv
