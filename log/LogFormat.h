// The ring log's file layout. All integers are 32-bit signed little-endian:
//
//   offset 0                          header: lap, nextSlot, lastSlot, slotCount, reserved
//   offset 20                         slot table: for each slot, the lap it was last written in
//   offset 20 + 4 * slotCount + 2056 * i
//                                     record of slot i: an 8-byte double (local time as an OLE
//                                     Automation date) and 2048 bytes of NUL-terminated ANSI text
#pragma once

#include <cstdint>
#include <vector>

namespace hv {

constexpr int32_t kHeaderBytes = 20;
constexpr int32_t kSlotEntryBytes = 4;
constexpr int32_t kRecordBytes = 2056;
constexpr int32_t kRecordTextOffset = 8;
constexpr int32_t kRecordTextBytes = 2048;
constexpr int32_t kMaxRecordTextBytes = 2046;  // before the terminator
constexpr int32_t kLapModulus = 2147483647;
// The most slots a new log gets: the whole file then stays within a 32-bit signed size.
constexpr int32_t kMaxNewLogSlots = (INT32_MAX - kHeaderBytes) / (kSlotEntryBytes + kRecordBytes);

struct LogHeader {
  int32_t lap = 0;
  int32_t nextSlot = 0;
  int32_t lastSlot = 0;
  int32_t slotCount = 0;
  int32_t reserved = 0;
};

int32_t LoadInt32(const uint8_t* bytes);
void StoreInt32(int32_t value, uint8_t* bytes);
double LoadDouble(const uint8_t* bytes);
void StoreDouble(double value, uint8_t* bytes);

LogHeader LoadHeader(const uint8_t* bytes);
void StoreHeader(const LogHeader& header, uint8_t* bytes);

// Where the header and slot table of a log with `slotCount` slots end.
int64_t TableEnd(int32_t slotCount);
int64_t RecordOffset(int32_t slotCount, int32_t slot);
// Where the slot table entry of `slot` lies.
inline int64_t EntryOffset(int32_t slot) { return kHeaderBytes + int64_t{kSlotEntryBytes} * slot; }

// The slots that hold a record (`holds`), oldest first. A slot of a later lap was written after
// every slot of an earlier one, and within a lap the slots were written in increasing order. Laps
// are counted back from the header's `lap`, modulo the lap's wrap, so the order survives the wrap
// from 2147483646 to 0.
std::vector<int32_t> SlotsOldestFirst(int32_t lap, const std::vector<int32_t>& laps,
                                      const std::vector<bool>& holds);

}  // namespace hv
