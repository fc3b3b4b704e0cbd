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

SlotTable::SlotTable(const LogHeader& header, std::vector<uint8_t> bytes)
    : header_(header), bytes_(std::move(bytes)) {
  const int32_t slots = header_.slotCount;
  if (slots < 1 || bytes_.size() < static_cast<size_t>(slots) * kSlotEntryBytes) {
    problem_ = u"the slot table is incomplete";
    return;
  }
  const int32_t inFlight = WrappedSlot(header_.nextSlot, slots);
  // The laps of the finished slots, leaving out never-written zeros and the slot a killed writer
  // may have left half done.
  int32_t laps[2] = {};
  int found = 0;
  bool zeros = false;
  for (int32_t i = 0; i < slots && problem_.empty(); ++i) {
    const int32_t lap = Lap(i);
    if (lap < 0 || lap >= kLapModulus) {
      problem_ = u"slot " + Decimal(i) + u" holds lap " + Decimal(lap);
    } else if (i == inFlight) {
    } else if (lap == 0) {
      zeros = true;
    } else if (found == 0 || (lap != laps[0] && (found == 1 || lap != laps[1]))) {
      if (found == 2) {
        problem_ = u"slot " + Decimal(i) + u" holds lap " + Decimal(lap) +
                   u", a third one beside " + Decimal(laps[0]) + u" and " + Decimal(laps[1]);
      } else {
        laps[found++] = lap;
      }
    }
  }
  if (!problem_.empty()) return;
  if (found == 2) {
    if (NextLap(laps[0]) == laps[1]) {
      newest_ = laps[1];
    } else if (NextLap(laps[1]) == laps[0]) {
      newest_ = laps[0];
    } else {
      problem_ = u"the slot table holds laps " + Decimal(laps[0]) + u" and " + Decimal(laps[1]) +
                 u", which are not consecutive";
      return;
    }
  } else if (found == 1) {
    // Past the wrap, the slots of lap 0 hold zeros beside the last slots of lap 2147483646.
    newest_ = laps[0] == kLapModulus - 1 && zeros && header_.lap == 0 ? 0 : laps[0];
  } else {
    const int32_t lap = Lap(inFlight);
    newest_ = lap >= 0 && lap < kLapModulus ? lap : 0;
    return;
  }
  // A killed writer may have finished slot 0's entry of the next lap before the header.
  if (Lap(inFlight) == NextLap(newest_)) newest_ = NextLap(newest_);
}

int32_t SlotTable::Lap(int32_t slot) const {
  return LoadInt32(bytes_.data() + int64_t{kSlotEntryBytes} * slot);
}

std::u16string SlotTable::Check(int64_t size) const {
  if (!problem_.empty()) return problem_;
  const int32_t slots = header_.slotCount;
  int32_t highest = -1;
  for (int32_t i = slots - 1; i >= 0 && highest < 0; --i) {
    if (Lap(i) != 0) highest = i;
  }
  if (highest >= 0 && RecordOffset(slots, highest + 1) > size) {
    return u"slot " + Decimal(highest) + u" holds lap " + Decimal(Lap(highest)) +
           u" but the file ends before its record";
  }
  // A file grows one record at a time; only the write in progress may have begun the next one.
  int32_t furthest = highest;
  for (const int32_t slot : {header_.nextSlot, header_.lastSlot}) {
    furthest = std::max(furthest, WrappedSlot(slot, slots));
  }
  if (size > RecordOffset(slots, furthest + 1)) {
    return u"the file has " + Decimal(size) + u" bytes, more than the " +
           Decimal(RecordOffset(slots, furthest + 1)) + u" its written slots fill";
  }
  if (HeaderSettled(header_, Lap(WrappedSlot(header_.lastSlot, slots))) &&
      LapsBefore(newest_, header_.lap) > 1 && LapsBefore(header_.lap, newest_) > 1) {
    return u"the header gives lap " + Decimal(header_.lap) + u", the slot table " +
           Decimal(newest_);
  }
  return {};
}

LogHeader SlotTable::RebuiltHeader() const {
  LogHeader h = header_;
  const int32_t slots = h.slotCount;
  int32_t done = 0;
  while (done < slots && Lap(done) == newest_) ++done;
  h.lap = newest_;
  h.nextSlot = done % slots;
  h.lastSlot = (done + slots - 1) % slots;
  return h;
}

int32_t SlotTable::Age(int32_t slot) const {
  const int32_t lap = Lap(slot);
  if (lap == 0 && newest_ != 0) return -1;  // never written, or its write never finished
  const int64_t age = LapsBefore(newest_, lap);
  return age <= 1 ? static_cast<int32_t>(age) : -1;
}

}  // namespace hv
