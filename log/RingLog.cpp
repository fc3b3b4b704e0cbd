#include "log/RingLog.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "core/Exception.h"
#include "core/WideText.h"
#include "log/Clock.h"
#include "log/FileStream.h"
#include "log/LogCheck.h"
#include "log/LogFormat.h"
#include "log/RingLogFile.h"
#include "log/StreamIo.h"
#include "platform/Platform.h"

namespace hv {

using platform::Decimal;
namespace {

// Puts the message's ANSI form, cut to what a record holds, into the record's text field, in one
// conversion: no more of the message is converted than can reach the record. One unit past the
// cut keeps a surrogate pair at the cut whole; no code page takes more than 4 bytes a unit.
void PutRecordText(const WideText& message, uint8_t* record) {
  constexpr int32_t kUnits = kMaxRecordTextBytes + 1;
  char ansi[4 * kUnits];
  const int32_t units = std::min(message.Length(), kUnits);
  const int32_t bytes =
      units > 0 ? platform::WideToAnsi(message.Data(), units, ansi, sizeof ansi) : 0;
  std::memcpy(record + kRecordTextOffset, ansi,
              static_cast<size_t>(std::clamp(bytes, 0, kMaxRecordTextBytes)));
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
  const std::u16string name = path != nullptr ? path : u"";
  std::unique_ptr<SyncLock> lock;
  try {
    lock = options.mutexName != nullptr ? std::make_unique<SyncLock>(options.mutexName)
                                        : std::make_unique<SyncLock>();
  } catch (const EStream& e) {
    const std::u16string message = name + u": " + e.Message();
    throw EStream(e.Code(), message.c_str());
  }
  StreamSettings settings;
  settings.buffered = options.buffered;
  settings.writeLimit = options.writeLimit;
  Open(std::make_unique<FileStream>(name.c_str(), FileStream::Mode::kReadWrite, settings),
       std::move(lock));
}

void RingLog::Open(std::unique_ptr<LogStream> stream, std::unique_ptr<SyncLock> lock) {
  Close();
  LogHeader header;
  {
    ScopedRangeLock range(*stream, std::max<int64_t>(stream->Size(), 1), false);
    const int64_t size = stream->Size();
    header = ReadLogHeader(*stream, size);
    CheckSlotTable(*stream, header, size);
  }
  StoreHeader(header, header_);
  slotCount_ = header.slotCount;
  lockLength_ = RecordOffset(slotCount_, slotCount_);
  stream_ = std::move(stream);
  lock_ = std::move(lock);
  isOpen_ = true;
}

void RingLog::Close() {
  isOpen_ = false;
  stream_.reset();
  lock_.reset();
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
  uint8_t record[kRecordBytes] = {};
  PutRecordText(copy, record);

  std::u16string why;
  if (!lock_->Acquire(&why)) return Refuse(stream_->Name(), why, cause);
  SyncHold hold(*lock_);
  try {
    return WriteLocked(record, cause);
  } catch (const EStream& e) {
    // Whatever the abandoned write left in the buffers belongs nowhere now.
    stream_->Discard();
    return Refuse(u"", e.Message(), cause);
  } catch (...) {
    stream_->Discard();
    throw;
  }
}

int32_t RingLog::WriteLocked(uint8_t* record, std::u16string* cause) {
  ScopedRangeLock range(*stream_, lockLength_, true);

  ReadUpToAt(*stream_, 0, header_, kHeaderBytes);
  LogHeader header = LoadHeader(header_);
  const int32_t slots = header.slotCount;
  std::u16string why = CheckHeader(header, -1);
  if (why.empty() && slots != slotCount_) {
    why = u"the header gives " + Decimal(slots) + u" slots, not the " + Decimal(slotCount_) +
          u" it had when the log was opened";
  }
  if (!why.empty()) return Refuse(stream_->Name(), u"not a ring log: " + why, cause);

  int32_t lastLap = 0;
  if (NeedsLastLap(header)) {
    uint8_t entry[kSlotEntryBytes] = {};
    const int32_t last = WrappedSlot(header.lastSlot, slots);
    ReadUpToAt(*stream_, EntryOffset(last), entry, kSlotEntryBytes);
    lastLap = LoadInt32(entry);
  }
  if (!HeaderSettled(header, lastLap)) {
    // A writer died while it rewrote the header; the table, written first, holds the truth.
    const int64_t size = stream_->Size();
    std::vector<uint8_t> bytes(static_cast<size_t>(slots) * kSlotEntryBytes, 0);
    ReadUpToAt(*stream_, kHeaderBytes, bytes.data(), static_cast<int64_t>(bytes.size()));
    const SlotTable table(header, std::move(bytes));
    why = table.Check(size);
    if (!why.empty()) return Refuse(stream_->Name(), u"not a ring log: " + why, cause);
    header = table.RebuiltHeader();
  }

  const int32_t slot = WrappedSlot(header.nextSlot, slots);
  StoreDouble(CurrentDateTime(), record);
  WriteAllAt(*stream_, RecordOffset(slots, slot), record, kRecordBytes);

  if (slot == 0) header.lap = static_cast<int32_t>((int64_t{header.lap} + 1) % kLapModulus);
  uint8_t entry[kSlotEntryBytes];
  StoreInt32(header.lap, entry);
  WriteAllAt(*stream_, EntryOffset(slot), entry, kSlotEntryBytes);

  header.lastSlot = slot;
  header.nextSlot = (slot + 1) % slots;
  StoreHeader(header, header_);
  WriteAllAt(*stream_, 0, header_, kHeaderBytes);
  // Everything reaches the file before the locks go: the next writer reads this header.
  stream_->Flush();
  return 1;
}

}  // namespace hv
