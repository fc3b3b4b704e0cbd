// Making a ring log file and reading one back.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "log/LogFormat.h"
#include "log/LogStream.h"

namespace hv {

struct LogEntry {
  int32_t slot = 0;
  int32_t lap = 0;
  double time = 0;   // OLE Automation date, local time
  std::string text;  // ANSI, as written
};

// Makes a new log file of `slotCount` slots: a header that holds only the slot count and a
// zeroed slot table. Refuses a file that exists. Raises ELogFormat for a slot count outside 1 to
// kMaxNewLogSlots and EStream when the file cannot be made; a file it began is removed again.
void CreateRingLog(const char16_t* path, int32_t slotCount);

// Reads and checks the header at the start of `stream`, whose size is `size`. Raises ELogFormat
// when the file is too short for a header and its slot table or the slot count is below 1.
LogHeader ReadLogHeader(LogStream& stream, int64_t size);

// The records of the log on `stream`, oldest first, read under a shared lock of the file. A slot
// holds a record when its 2056 bytes lie within the file and either its lap or its time is not
// 0; a slot that was never written is all zero or lies past the end.
std::vector<LogEntry> ReadRingLog(LogStream& stream);

}  // namespace hv
