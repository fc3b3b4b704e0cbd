#include "log/RingLogFile.h"

#include <algorithm>
#include <cstring>

#include "core/Exception.h"
#include "log/FileStream.h"
#include "log/LogErrors.h"
#include "log/StreamIo.h"

namespace hv {
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
    WriteAll(stream, bytes.data(), static_cast<int64_t>(bytes.size()));
    stream.Close();
  } catch (...) {
    // A half-made log would be refused by every later create; take it away again.
    stream.Discard();
    try {
      stream.Close();
    } catch (...) {
    }
    int32_t ignored = 0;
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
  stream.Seek(0, SeekOrigin::kBegin);
  ReadUpTo(stream, bytes, kHeaderBytes);
  const LogHeader header = LoadHeader(bytes);
  if (header.slotCount < 1) {
    NotALog(stream, u"the header gives " + Decimal(header.slotCount) + u" slots");
  }
  if (size < TableEnd(header.slotCount)) {
    NotALog(stream, Decimal(header.slotCount) + u" slots need " +
                        Decimal(TableEnd(header.slotCount)) +
                        u" bytes of header and slot table, the file has " + Decimal(size));
  }
  return header;
}

std::vector<LogEntry> ReadRingLog(LogStream& stream) {
  ScopedRangeLock lock(stream, std::max<int64_t>(stream.Size(), 1), false);
  const int64_t size = stream.Size();
  const LogHeader header = ReadLogHeader(stream, size);
  const int32_t slots = header.slotCount;

  std::vector<uint8_t> table(static_cast<size_t>(slots) * kSlotEntryBytes, 0);
  ReadUpTo(stream, table.data(), static_cast<int64_t>(table.size()));

  // The records follow the table back to back: one sequential pass reads them all.
  std::vector<LogEntry> entries(static_cast<size_t>(slots));
  std::vector<int32_t> laps(static_cast<size_t>(slots), 0);
  std::vector<bool> holds(static_cast<size_t>(slots), false);
  std::vector<uint8_t> record(kRecordBytes);
  for (int32_t i = 0; i < slots && RecordOffset(slots, i) + kRecordBytes <= size; ++i) {
    if (ReadUpTo(stream, record.data(), kRecordBytes) < kRecordBytes) break;
    LogEntry& entry = entries[static_cast<size_t>(i)];
    entry.slot = i;
    entry.lap = laps[static_cast<size_t>(i)] = LoadInt32(table.data() + 4 * i);
    entry.time = LoadDouble(record.data());
    const auto* text = reinterpret_cast<const char*>(record.data() + kRecordTextOffset);
    const void* end = std::memchr(text, 0, kRecordTextBytes);
    entry.text.assign(text,
                      end != nullptr ? static_cast<const char*>(end) : text + kRecordTextBytes);
    holds[static_cast<size_t>(i)] = entry.lap != 0 || entry.time != 0;
  }

  std::vector<LogEntry> ordered;
  for (const int32_t slot : SlotsOldestFirst(header.lap, laps, holds)) {
    ordered.push_back(std::move(entries[static_cast<size_t>(slot)]));
  }
  return ordered;
}

}  // namespace hv
