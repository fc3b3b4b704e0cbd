#include "log/RingLogFile.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <utility>

#include "core/Exception.h"
#include "log/FileStream.h"
#include "log/LogErrors.h"
#include "log/StreamIo.h"
#include "platform/Platform.h"

namespace hv {

using platform::Decimal;
namespace {

[[noreturn]] void NotALog(const LogStream& stream, const std::u16string& cause) {
  const std::u16string message = stream.Name() + u": not a ring log: " + cause;
  throw ELogFormat(message.c_str());
}

}  // namespace

void CreateRingLog(const char16_t* path, int32_t slotCount) {
  const std::u16string name = path != nullptr ? path : u"";
  if (slotCount < 1 || slotCount > kMaxNewLogSlots) {
    const std::u16string message = name + u": a log needs 1 to " + Decimal(kMaxNewLogSlots) +
                                   u" slots, not " + Decimal(slotCount);
    throw ELogFormat(message.c_str());
  }
  FileStream stream(name.c_str(), FileStream::Mode::kCreateNew);
  try {
    std::vector<uint8_t> bytes(static_cast<size_t>(TableEnd(slotCount)), 0);
    LogHeader header;
    header.slotCount = slotCount;
    StoreHeader(header, bytes.data());
    // A page a time, never in one write: Linux keeps a large write in a large page-cache folio
    // and walks every block of it on each later 4-byte entry write, which made writes into a
    // million-slot log half as fast as into a small one (under Wine too).
    constexpr int64_t kPageBytes = 4096;
    const int64_t total = static_cast<int64_t>(bytes.size());
    for (int64_t at = 0; at < total; at += kPageBytes) {
      WriteAll(stream, bytes.data() + at, std::min(kPageBytes, total - at));
    }
    stream.Close();
  } catch (...) {
    // A half-made log would be refused by every later create; take it away again.
    stream.Discard();
    try {
      stream.Close();
    } catch (...) {
    }
    platform::SystemError ignored;
    platform::RemoveFile(name.c_str(), &ignored);
    throw;
  }
}

LogHeader ReadLogHeader(LogStream& stream, int64_t size) {
  if (size < kHeaderBytes) {
    NotALog(stream, u"the file has " + Decimal(size) + u" bytes, fewer than the " +
                        Decimal(kHeaderBytes) + u" of a header");
  }
  uint8_t bytes[kHeaderBytes] = {};
  ReadUpToAt(stream, 0, bytes, kHeaderBytes);
  const LogHeader header = LoadHeader(bytes);
  const std::u16string why = CheckHeader(header, size);
  if (!why.empty()) NotALog(stream, why);
  return header;
}

SlotTable ReadSlotTable(LogStream& stream, const LogHeader& header, int64_t size) {
  std::vector<uint8_t> bytes(static_cast<size_t>(header.slotCount) * kSlotEntryBytes, 0);
  ReadUpToAt(stream, kHeaderBytes, bytes.data(), static_cast<int64_t>(bytes.size()));
  SlotTable table(header, std::move(bytes));
  const std::u16string why = table.Check(size);
  if (!why.empty()) NotALog(stream, why);
  return table;
}

void CheckSlotTable(LogStream& stream, const LogHeader& header, int64_t size) {
  constexpr int32_t kPieceEntries = 8192;
  uint8_t piece[kPieceEntries * kSlotEntryBytes];
  TableScan scan(header);
  for (int32_t at = 0; at < header.slotCount; at += kPieceEntries) {
    const int32_t count = std::min(kPieceEntries, header.slotCount - at);
    const int64_t got =
        ReadUpToAt(stream, EntryOffset(at), piece, int64_t{count} * kSlotEntryBytes);
    scan.Take(piece, static_cast<int32_t>(got / kSlotEntryBytes));
    if (got < int64_t{count} * kSlotEntryBytes) break;
  }
  scan.Finish();
  const std::u16string why = scan.Check(size);
  if (!why.empty()) NotALog(stream, why);
}

void ForEachRecord(LogStream& stream, const std::function<void(const LogEntry&)>& take) {
  int64_t size = 0;
  LogHeader header;
  std::optional<SlotTable> checked;
  {
    ScopedRangeLock lock(stream, std::max<int64_t>(stream.Size(), 1), false);
    size = stream.Size();
    header = ReadLogHeader(stream, size);
    checked.emplace(ReadSlotTable(stream, header, size));
  }
  const SlotTable& table = *checked;
  const int32_t slots = header.slotCount;
  // Enough records a batch (about 1 MB) to read at the speed of the disk with few calls and
  // locks, few enough to keep memory small.
  constexpr int32_t kBatch = 512;
  std::vector<uint8_t> batch(static_cast<size_t>(kBatch) * kRecordBytes);
  LogEntry entry;
  // The older lap first; within a lap, slots were written in increasing order.
  for (const int32_t age : {1, 0}) {
    int32_t slot = 0;
    while (slot < slots) {
      if (table.Age(slot) != age || RecordOffset(slots, slot + 1) > size) {
        ++slot;
        continue;
      }
      int32_t count = 1;
      while (count < kBatch && slot + count < slots && table.Age(slot + count) == age &&
             RecordOffset(slots, slot + count + 1) <= size) {
        ++count;
      }
      const int64_t bytes = int64_t{count} * kRecordBytes;
      int64_t got = 0;
      {
        ScopedRangeLock lock(stream, std::max<int64_t>(size, 1), false);
        got = ReadUpToAt(stream, RecordOffset(slots, slot), batch.data(), bytes);
      }
      for (int32_t i = 0; i < count && int64_t{i + 1} * kRecordBytes <= got; ++i) {
        const uint8_t* record = batch.data() + int64_t{i} * kRecordBytes;
        entry.slot = slot + i;
        entry.lap = table.Lap(slot + i);
        entry.time = LoadDouble(record);
        const auto* text = reinterpret_cast<const char*>(record + kRecordTextOffset);
        const void* end = std::memchr(text, 0, kRecordTextBytes);
        entry.text.assign(text,
                          end != nullptr ? static_cast<const char*>(end) : text + kRecordTextBytes);
        take(entry);
      }
      slot += count;
    }
  }
}

std::vector<LogEntry> ReadRingLog(LogStream& stream) {
  std::vector<LogEntry> entries;
  ForEachRecord(stream, [&entries](const LogEntry& e) { entries.push_back(e); });
  return entries;
}

}  // namespace hv
