// The least a correct ring log writer must do per record, as a yardstick for the real one: lock
// the file, read the 20-byte header, write the record, the header and the one table entry that
// changes, unlock. Reads one message a line from standard input; no clock, no rate cap, no
// checks. Usage: hv_ringlog_min_writer FILE
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>

#include "log/LogFormat.h"
#include "platform/File.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fputs("usage: hv_ringlog_min_writer FILE\n", stderr);
    return 2;
  }
  const std::string narrow = argv[1];
  const std::u16string path(narrow.begin(), narrow.end());
  hv::platform::File file;
  if (!file.OpenExisting(path.c_str(), true)) {
    std::fputs("cannot open the log\n", stderr);
    return 1;
  }
  std::string line;
  uint8_t header[hv::kHeaderBytes];
  uint8_t record[hv::kRecordBytes];
  uint8_t entry[hv::kSlotEntryBytes];
  int32_t done = 0;
  while (std::getline(std::cin, line)) {
    if (!file.Lock(0, 1, true)) return 1;
    file.ReadAt(0, header, hv::kHeaderBytes, &done);
    hv::LogHeader h = hv::LoadHeader(header);
    const int32_t slot = h.nextSlot;
    std::memset(record, 0, sizeof record);
    std::memcpy(record + hv::kRecordTextOffset, line.data(),
                std::min<size_t>(line.size(), hv::kMaxRecordTextBytes));
    file.WriteAt(hv::RecordOffset(h.slotCount, slot), record, hv::kRecordBytes, &done);
    if (slot == 0) ++h.lap;
    h.lastSlot = slot;
    h.nextSlot = (slot + 1) % h.slotCount;
    hv::StoreHeader(h, header);
    file.WriteAt(0, header, hv::kHeaderBytes, &done);
    hv::StoreInt32(h.lap, entry);
    file.WriteAt(hv::EntryOffset(slot), entry, hv::kSlotEntryBytes, &done);
    file.Unlock(0, 1);
  }
  return 0;
}
