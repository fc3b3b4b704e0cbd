#include "log/LogCheck.h"

#include <algorithm>
#include <utility>

#include "log/StreamIo.h"
#include "platform/Platform.h"

namespace hv {

using platform::Decimal;
namespace {

bool Fresh(const LogHeader& h) {
  return h.lap == 0 && WrappedSlot(h.nextSlot, h.slotCount) == 0 &&
         WrappedSlot(h.lastSlot, h.slotCount) == 0;
}

int32_t NextLap(int32_t lap) { return static_cast<int32_t>((int64_t{lap} + 1) % kLapModulus); }

// How many laps `lap` lies before `newest`, counting across the wrap.
int64_t LapsBefore(int32_t newest, int32_t lap) {
  int64_t age = (int64_t{newest} - lap) % kLapModulus;
  return age < 0 ? age + kLapModulus : age;
}

std::u16string SlotOutside(const char16_t* field, int32_t value, int32_t slots) {
  return std::u16string(u"the header's ") + field + u" is " + Decimal(value) + u", outside 0 to " +
         Decimal(slots);
}

}  // namespace

int32_t WrappedSlot(int32_t slot, int32_t slotCount) { return slot == slotCount ? 0 : slot; }

std::u16string CheckHeader(const LogHeader& h, int64_t size) {
  const int32_t slots = h.slotCount;
  if (slots < 1) return u"the header gives " + Decimal(slots) + u" slots";
  if (slots > kMaxNewLogSlots) {
    return u"the header gives " + Decimal(slots) + u" slots, more than the " +
           Decimal(kMaxNewLogSlots) + u" a log can have";
  }
  if (size >= 0 && size < TableEnd(slots)) {
    return Decimal(slots) + u" slots need " + Decimal(TableEnd(slots)) +
           u" bytes of header and slot table, the file has " + Decimal(size);
  }
  if (size >= 0 && size > RecordOffset(slots, slots)) {
    return u"the file has " + Decimal(size) + u" bytes, more than the " +
           Decimal(RecordOffset(slots, slots)) + u" of a full log of " + Decimal(slots) + u" slots";
  }
  if (h.nextSlot < 0 || h.nextSlot > slots) return SlotOutside(u"nextSlot", h.nextSlot, slots);
  if (h.lastSlot < 0 || h.lastSlot > slots) return SlotOutside(u"lastSlot", h.lastSlot, slots);
  if (h.lap < 0 || h.lap >= kLapModulus) return u"the header gives lap " + Decimal(h.lap);
  return {};
}

bool NeedsLastLap(const LogHeader& h) {
  return !Fresh(h) && WrappedSlot(h.nextSlot, h.slotCount) == 0;
}

bool HeaderSettled(const LogHeader& h, int32_t lastLap) {
  if (Fresh(h)) return true;
  const int32_t next = WrappedSlot(h.nextSlot, h.slotCount);
  const int32_t last = WrappedSlot(h.lastSlot, h.slotCount);
  if (next != (last + 1) % h.slotCount) return false;
  // Only a write into slot 0 changes the lap, and it leaves nextSlot at 0 until its header is
  // through: there the header must agree with the table.
  return next != 0 || lastLap == h.lap;
}

void TableScan::Take(const uint8_t* entries, int32_t count) {
  const int32_t slots = header_.slotCount;
  const int32_t inFlight = WrappedSlot(header_.nextSlot, slots);
  const int32_t last = WrappedSlot(header_.lastSlot, slots);
  for (int32_t k = 0; k < count && problem_.empty() && taken_ < slots; ++k, ++taken_) {
    const int32_t i = taken_;
    const int32_t lap = LoadInt32(entries + int64_t{kSlotEntryBytes} * k);
    if (lap != 0) {
      highest_ = i;
      highestLap_ = lap;
    }
    if (i == last) lastLap_ = lap;
    if (lap < 0 || lap >= kLapModulus) {
      problem_ = u"slot " + Decimal(i) + u" holds lap " + Decimal(lap);
    } else if (i == inFlight) {
      inFlightLap_ = lap;
    } else if (lap == 0) {
      zeros_ = true;
    } else if (found_ == 0 || (lap != laps_[0] && (found_ == 1 || lap != laps_[1]))) {
      if (found_ == 2) {
        problem_ = u"slot " + Decimal(i) + u" holds lap " + Decimal(lap) +
                   u", a third one beside " + Decimal(laps_[0]) + u" and " + Decimal(laps_[1]);
      } else {
        laps_[found_++] = lap;
      }
    }
  }
}

void TableScan::Finish() {
  if (!problem_.empty()) return;
  if (header_.slotCount < 1 || taken_ < header_.slotCount) {
    problem_ = u"the slot table is incomplete";
    return;
  }
  if (found_ == 2) {
    if (NextLap(laps_[0]) == laps_[1]) {
      newest_ = laps_[1];
    } else if (NextLap(laps_[1]) == laps_[0]) {
      newest_ = laps_[0];
    } else {
      problem_ = u"the slot table holds laps " + Decimal(laps_[0]) + u" and " + Decimal(laps_[1]) +
                 u", which are not consecutive";
      return;
    }
  } else if (found_ == 1) {
    // Past the wrap, the slots of lap 0 hold zeros beside the last slots of lap 2147483646.
    newest_ = laps_[0] == kLapModulus - 1 && zeros_ && header_.lap == 0 ? 0 : laps_[0];
  } else {
    newest_ = inFlightLap_;
    return;
  }
  // A killed writer may have finished slot 0's entry of the next lap before the header.
  if (inFlightLap_ == NextLap(newest_)) newest_ = NextLap(newest_);
}

std::u16string TableScan::Check(int64_t size) const {
  if (!problem_.empty()) return problem_;
  const int32_t slots = header_.slotCount;
  if (highest_ >= 0 && RecordOffset(slots, highest_ + 1) > size) {
    return u"slot " + Decimal(highest_) + u" holds lap " + Decimal(highestLap_) +
           u" but the file ends before its record";
  }
  // A file grows one record at a time; only the write in progress may have begun the next one.
  int32_t furthest = highest_;
  for (const int32_t slot : {header_.nextSlot, header_.lastSlot}) {
    furthest = std::max(furthest, WrappedSlot(slot, slots));
  }
  if (size > RecordOffset(slots, furthest + 1)) {
    return u"the file has " + Decimal(size) + u" bytes, more than the " +
           Decimal(RecordOffset(slots, furthest + 1)) + u" its written slots fill";
  }
  if (HeaderSettled(header_, lastLap_) && LapsBefore(newest_, header_.lap) > 1 &&
      LapsBefore(header_.lap, newest_) > 1) {
    return u"the header gives lap " + Decimal(header_.lap) + u", the slot table " +
           Decimal(newest_);
  }
  return {};
}

SlotTable::SlotTable(const LogHeader& header, std::vector<uint8_t> bytes)
    : header_(header), bytes_(std::move(bytes)), scan_(header) {
  const size_t entries = std::min(bytes_.size() / kSlotEntryBytes,
                                  static_cast<size_t>(std::max(header_.slotCount, 0)));
  scan_.Take(bytes_.data(), static_cast<int32_t>(entries));
  scan_.Finish();
}

int32_t SlotTable::Lap(int32_t slot) const {
  return LoadInt32(bytes_.data() + int64_t{kSlotEntryBytes} * slot);
}

LogHeader SlotTable::RebuiltHeader() const {
  LogHeader h = header_;
  const int32_t slots = h.slotCount;
  int32_t done = 0;
  while (done < slots && Lap(done) == scan_.Newest()) ++done;
  h.lap = scan_.Newest();
  h.nextSlot = done % slots;
  h.lastSlot = (done + slots - 1) % slots;
  return h;
}

int32_t SlotTable::Age(int32_t slot) const {
  const int32_t lap = Lap(slot);
  const int32_t newest = scan_.Newest();
  if (lap == 0 && newest != 0) return -1;  // never written, or its write never finished
  const int64_t age = LapsBefore(newest, lap);
  return age <= 1 ? static_cast<int32_t>(age) : -1;
}

}  // namespace hv
