// What a ring log this program wrote can look like, including after a writer was killed at any
// point of a write or stopped by a full disk, and how such a log is read and repaired.
//
// A write puts the record into its slot, then the slot's table entry, then the header. So at rest
// the table holds at most two laps, X in slots [0, b) and X - 1 in slots [b, slotCount), and the
// header says lap X, nextSlot b, lastSlot b - 1. A writer killed on the way can leave:
//   - a torn record in slot nextSlot, its entry and the header untouched;
//   - the entry of slot nextSlot done (possibly X + 1 in slot 0), the header not: the table is one
//     write ahead of the header, and the next write simply does that slot again;
//   - the header half rewritten (a capped writer moves it a byte at a time): the table then holds
//     the truth, and the next write rebuilds the header from it.
// Anything else was not written by this program, and is refused before a byte of it is written.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "log/LogFormat.h"

namespace hv {

// Why a header and a file size cannot be a ring log's; empty when they can. Needs no table. A
// negative size is not checked.
std::u16string CheckHeader(const LogHeader& header, int64_t size);

// A slot number as a write uses it: the slot count itself stands for slot 0.
int32_t WrappedSlot(int32_t slot, int32_t slotCount);

// Whether the header describes a finished write: nextSlot follows lastSlot (or the log is new),
// and, when nextSlot is 0 and the lap may just have changed, `lastLap` (the table entry of
// lastSlot) is the header's lap. `lastLap` is only read when NeedsLastLap says so.
bool NeedsLastLap(const LogHeader& header);
bool HeaderSettled(const LogHeader& header, int32_t lastLap);

// One pass over a slot table, fed in slot order and in pieces of any size, so that a large table
// is checked without being held in memory.
class TableScan {
 public:
  explicit TableScan(const LogHeader& header) : header_(header) {}

  // The next `count` entries of the table.
  void Take(const uint8_t* entries, int32_t count);
  // Ends the pass; a table taken in part is incomplete.
  void Finish();
  // Why the table cannot belong to the header and a file of `size` bytes; empty when it can.
  // The header must have passed CheckHeader.
  std::u16string Check(int64_t size) const;
  // The newest lap in the table.
  int32_t Newest() const { return newest_; }

 private:
  LogHeader header_;
  int32_t taken_ = 0;
  // The laps of the finished slots, found_ of them; never-written zeros and the slot a killed
  // writer may have left half done (nextSlot's) are left out.
  int32_t laps_[2] = {};
  int found_ = 0;
  bool zeros_ = false;
  int32_t highest_ = -1;  // the last slot whose entry is not 0
  int32_t highestLap_ = 0;
  int32_t inFlightLap_ = 0;  // the entries of nextSlot and lastSlot
  int32_t lastLap_ = 0;
  int32_t newest_ = 0;
  std::u16string problem_;
};

// The slot table of a log, as the file holds it: slotCount entries of 4 bytes.
class SlotTable {
 public:
  SlotTable(const LogHeader& header, std::vector<uint8_t> bytes);

  int32_t Lap(int32_t slot) const;
  std::u16string Check(int64_t size) const { return scan_.Check(size); }
  // The header a finished write would have left with this table.
  LogHeader RebuiltHeader() const;
  // Whether a slot holds a record to show, and how many laps it is older than the newest.
  // Slots of age 1 come before slots of age 0; others hold nothing.
  int32_t Age(int32_t slot) const;

 private:
  LogHeader header_;
  std::vector<uint8_t> bytes_;
  TableScan scan_;
};

}  // namespace hv
