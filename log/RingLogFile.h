// Making a ring log file and reading one back.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "log/LogCheck.h"
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

// Reads and checks the header at the start of `stream`, whose size is `size`. Raises ELogFormat,
// "not a ring log: <why>", when the header cannot be one this program wrote.
LogHeader ReadLogHeader(LogStream& stream, int64_t size);

// Reads the slot table that follows `header` and checks it against the header and the file's
// size. Raises ELogFormat as ReadLogHeader does. Reads nothing past the table.
SlotTable ReadSlotTable(LogStream& stream, const LogHeader& header, int64_t size);

// The same check, the table read a piece at a time into a small buffer: opening a log of a
// million slots then costs no 4 MB of fresh memory (whose page faults took most of the time).
void CheckSlotTable(LogStream& stream, const LogHeader& header, int64_t size);

// Hands the records of the log on `stream` to `take` one at a time, oldest first. The order
// comes from the header and slot table, read under a shared lock of the file; the records are
// then read a few at a time, each batch under the lock again, so a slow reader never holds up the
// writers for long. A slot holds a record when its table entry is one of the ring's two laps and
// its 2056 bytes lie within the file.
void ForEachRecord(LogStream& stream, const std::function<void(const LogEntry&)>& take);

// All of them, oldest first.
std::vector<LogEntry> ReadRingLog(LogStream& stream);

}  // namespace hv
