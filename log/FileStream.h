// A log stream over a file on disk. Every failure raises EStream with a message that names the
// file, the operation and the system's cause.
#pragma once

#include "log/LogStream.h"
#include "platform/File.h"

namespace hv {

class FileStream final : public LogStream {
 public:
  enum class Mode { kReadWrite, kReadOnly, kCreateNew };

  FileStream(const char16_t* path, Mode mode, const StreamSettings& settings = {});
  // Closes without flushing: a stream closed on purpose goes through Close.
  ~FileStream() override = default;

  // Writes out the write-behind and closes the file.
  void Close();

  void LockRange(int64_t length, bool exclusive) override;
  void UnlockRange(int64_t length) override;

 protected:
  int64_t SizeRaw() override;
  int32_t ReadRawAt(int64_t offset, void* buffer, int32_t count) override;
  int32_t WriteRawAt(int64_t offset, const void* buffer, int32_t count) override;

 private:
  [[noreturn]] void Raise(const char16_t* operation, const platform::SystemError& error) const;

  platform::File file_;
};

}  // namespace hv
