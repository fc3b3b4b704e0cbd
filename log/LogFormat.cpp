#include "log/LogFormat.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace hv {

static_assert(std::numeric_limits<double>::is_iec559, "records hold IEEE doubles");

int32_t LoadInt32(const uint8_t* bytes) {
  const uint32_t value = static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
                         static_cast<uint32_t>(bytes[2]) << 16 |
                         static_cast<uint32_t>(bytes[3]) << 24;
  return static_cast<int32_t>(value);
}

void StoreInt32(int32_t value, uint8_t* bytes) {
  const auto bits = static_cast<uint32_t>(value);
  for (int i = 0; i < 4; ++i) bytes[i] = static_cast<uint8_t>(bits >> (8 * i));
}

double LoadDouble(const uint8_t* bytes) {
  uint64_t bits = 0;
  for (int i = 7; i >= 0; --i) bits = bits << 8 | bytes[i];
  double value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

void StoreDouble(double value, uint8_t* bytes) {
  uint64_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  for (int i = 0; i < 8; ++i) bytes[i] = static_cast<uint8_t>(bits >> (8 * i));
}

LogHeader LoadHeader(const uint8_t* bytes) {
  LogHeader h;
  h.lap = LoadInt32(bytes);
  h.nextSlot = LoadInt32(bytes + 4);
  h.lastSlot = LoadInt32(bytes + 8);
  h.slotCount = LoadInt32(bytes + 12);
  h.reserved = LoadInt32(bytes + 16);
  return h;
}

void StoreHeader(const LogHeader& header, uint8_t* bytes) {
  StoreInt32(header.lap, bytes);
  StoreInt32(header.nextSlot, bytes + 4);
  StoreInt32(header.lastSlot, bytes + 8);
  StoreInt32(header.slotCount, bytes + 12);
  StoreInt32(header.reserved, bytes + 16);
}

int64_t TableEnd(int32_t slotCount) { return kHeaderBytes + int64_t{kSlotEntryBytes} * slotCount; }

int64_t RecordOffset(int32_t slotCount, int32_t slot) {
  return TableEnd(slotCount) + int64_t{kRecordBytes} * slot;
}

std::vector<int32_t> SlotsOldestFirst(int32_t lap, const std::vector<int32_t>& laps,
                                      const std::vector<bool>& holds) {
  struct Entry {
    int64_t age;  // laps before the header's lap
    int32_t slot;
  };
  std::vector<Entry> entries;
  for (size_t i = 0; i < laps.size() && i < holds.size(); ++i) {
    if (!holds[i]) continue;
    int64_t age = (int64_t{lap} - laps[i]) % kLapModulus;
    if (age < 0) age += kLapModulus;
    entries.push_back({age, static_cast<int32_t>(i)});
  }
  std::stable_sort(entries.begin(), entries.end(),
                   [](const Entry& a, const Entry& b) { return a.age > b.age; });
  std::vector<int32_t> slots;
  slots.reserve(entries.size());
  for (const Entry& e : entries) slots.push_back(e.slot);
  return slots;
}

}  // namespace hv
