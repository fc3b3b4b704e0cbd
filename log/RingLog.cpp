#include "log/RingLog.h"

#include <algorithm>
#include <cstring>

#include "core/Exception.h"
#include "core/WideText.h"
#include "log/Clock.h"
#include "log/FileStream.h"
#include "log/LogFormat.h"
#include "log/RingLogFile.h"
#include "log/StreamIo.h"
#include "platform/Platform.h"

namespace hv {
namespace {

// The message in the active code page, cut to what a record holds.
std::string RecordText(const WideText& message) {
  const int32_t units = message.Length();
  if (units == 0) return {};
  std::string ansi(static_cast<size_t>(platform::WideToAnsi(message.Data(), units, nullptr, 0)),
                   '\0');
  platform::WideToAnsi(message.Data(), units, ansi.data(), static_cast<int32_t>(ansi.size()));
  if (ansi.size() > kMaxRecordTextBytes) ansi.resize(kMaxRecordTextBytes);
  return ansi;
}

int32_t Refuse(const std::u16string& name, const std::u16string& why, std::u16string* cause) {
  if (cause != nullptr) *cause = name.empty() ? why : name + u": " + why;
  return 0;
}

class SyncHold {
 public:
  explicit SyncHold(SyncLock& lock) : lock_(lock) {}
  ~SyncHold() { lock_.Release(); }
  SyncHold(const SyncHold&) = delete;
  SyncHold& operator=(const SyncHold&) = delete;

 private:
  SyncLock& lock_;
};

}  // namespace

RingLog::~RingLog() {
  Detach();
  Close();
}

void RingLog::Open(const char16_t* path, const RingLogOptions& options) {
  Close();
  auto lock = options.mutexName != nullptr ? std::make_unique<SyncLock>(options.mutexName)
                                           : std::make_unique<SyncLock>();
  StreamSettings settings;
  settings.buffered = options.buffered;
  settings.writeLimit = options.writeLimit;
  Open(std::make_unique<FileStream>(path, FileStream::Mode::kReadWrite, settings), std::move(lock));
}

void RingLog::Open(std::unique_ptr<LogStream> stream, std::unique_ptr<SyncLock> lock) {
  Close();
  LogHeader header;
  {
    ScopedRangeLock range(*stream, std::max<int64_t>(stream->Size(), 1), false);
    header = ReadLogHeader(*stream, stream->Size());
  }
  StoreHeader(header, header_);
  table_.assign(static_cast<size_t>(header.slotCount) * kSlotEntryBytes, 0);
  stream_ = std::move(stream);
  lock_ = std::move(lock);
  isOpen_ = true;
}

void RingLog::Close() {
  isOpen_ = false;
  stream_.reset();
  lock_.reset();
  table_.clear();
}

void RingLog::Attach() { ActiveLog = this; }

void RingLog::Detach() {
  if (ActiveLog == this) ActiveLog = nullptr;
}

int32_t RingLog::Write(const char16_t* message, std::u16string* cause) {
  WideText copy;
  copy.Append(message);
  if (!isOpen_) return Refuse(u"", u"the log is not open", cause);
  // Converted before locking: a failed allocation then leaves nothing to undo.
  const std::string text = RecordText(copy);

  std::u16string why;
  if (!lock_->Acquire(&why)) return Refuse(stream_->Name(), why, cause);
  SyncHold hold(*lock_);
  try {
    return WriteLocked(text, cause);
  } catch (const EStream& e) {
    // Whatever the abandoned write left in the buffers belongs nowhere now.
    stream_->Discard();
    return Refuse(u"", e.Message(), cause);
  } catch (...) {
    stream_->Discard();
    throw;
  }
}

int32_t RingLog::WriteLocked(const std::string& text, std::u16string* cause) {
  // Every lock covers byte 0, so any two writers' ranges overlap whatever the size each saw.
  ScopedRangeLock range(*stream_, std::max<int64_t>(stream_->Size(), 1), true);

  stream_->Seek(0, SeekOrigin::kBegin);
  ReadUpTo(*stream_, header_, kHeaderBytes);
  LogHeader header = LoadHeader(header_);
  const int32_t slots = header.slotCount;
  if (slots < 1) {
    return Refuse(stream_->Name(), u"the header gives " + Decimal(slots) + u" slots", cause);
  }
  if (static_cast<size_t>(slots) * kSlotEntryBytes > table_.size()) {
    return Refuse(stream_->Name(),
                  u"the header gives " + Decimal(slots) + u" slots, more than the " +
                      Decimal(static_cast<int64_t>(table_.size() / kSlotEntryBytes)) +
                      u" it had when the log was opened",
                  cause);
  }
  if (header.nextSlot < 0 || header.nextSlot >= slots) header.nextSlot = 0;
  if (header.lastSlot < 0 || header.lastSlot >= slots) header.lastSlot = 0;
  const int64_t tableBytes = int64_t{slots} * kSlotEntryBytes;
  ReadUpTo(*stream_, table_.data(), tableBytes);

  stream_->Seek(RecordOffset(slots, header.nextSlot), SeekOrigin::kBegin);
  uint8_t record[kRecordBytes] = {};
  StoreDouble(CurrentDateTime(), record);
  std::memcpy(record + kRecordTextOffset, text.data(), text.size());
  WriteAll(*stream_, record, kRecordBytes);

  if (header.nextSlot == 0) {
    header.lap = static_cast<int32_t>((int64_t{header.lap} + 1) % kLapModulus);
  }
  StoreInt32(header.lap, table_.data() + int64_t{kSlotEntryBytes} * header.nextSlot);
  header.lastSlot = header.nextSlot;
  header.nextSlot = (header.nextSlot + 1) % slots;

  StoreHeader(header, header_);
  stream_->Seek(0, SeekOrigin::kBegin);
  WriteAll(*stream_, header_, kHeaderBytes);
  WriteAll(*stream_, table_.data(), tableBytes);
  // Everything reaches the file before the locks go: the next writer reads this header.
  stream_->Flush();
  return 1;
}

}  // namespace hv
