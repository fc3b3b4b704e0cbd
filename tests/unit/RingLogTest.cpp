#include "log/RingLog.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "core/Diagnostics.h"
#include "log/Clock.h"
#include "log/LogCheck.h"
#include "log/LogErrors.h"
#include "log/LogFormat.h"
#include "log/RingLogFile.h"
#include "support/FakeLogStream.h"
#include "support/FakeServices.h"

namespace hv {
namespace {

using testing::FakeFile;
using testing::FakeLogStream;

std::vector<uint8_t> FreshLog(int32_t slots) {
  std::vector<uint8_t> bytes(static_cast<size_t>(std::max<int64_t>(TableEnd(slots), 20)), 0);
  LogHeader header;
  header.slotCount = slots;
  StoreHeader(header, bytes.data());
  return bytes;
}

// A log at rest with `slots` slots: lap `lap` in slots [0, next) and lap - 1 in the others (all of
// them `lap` when next is 0), slot i's record holding "s<i>", the file ending after the last slot
// ever written.
std::vector<uint8_t> SettledLog(int32_t slots, int32_t lap, int32_t next) {
  std::vector<uint8_t> bytes = FreshLog(slots);
  int32_t written = 0;
  for (int32_t i = 0; i < slots; ++i) {
    const int32_t slotLap = i < next || next == 0 ? lap : lap - 1;
    StoreInt32(slotLap, bytes.data() + EntryOffset(i));
    if (slotLap != 0) written = i + 1;
  }
  bytes.resize(static_cast<size_t>(RecordOffset(slots, written)), 0);
  for (int32_t i = 0; i < written; ++i) {
    char text[16];
    const int length = std::snprintf(text, sizeof text, "s%d", static_cast<int>(i));
    uint8_t* record = bytes.data() + RecordOffset(slots, i);
    StoreDouble(45000.0 + i, record);
    std::memcpy(record + kRecordTextOffset, text, static_cast<size_t>(length));
  }
  LogHeader header;
  header.slotCount = slots;
  header.lap = lap;
  header.nextSlot = next;
  header.lastSlot = (next + slots - 1) % slots;
  StoreHeader(header, bytes.data());
  return bytes;
}

std::vector<std::string> OldestFirst(const std::shared_ptr<FakeFile>& file) {
  FakeLogStream reader(file);
  std::vector<std::string> texts;
  for (const LogEntry& e : ReadRingLog(reader)) texts.push_back(e.text);
  return texts;
}

class RingLogTest : public ::testing::Test {
 protected:
  RingLogTest() : scope_(services_) { services_.localTime = testing::At(2024, 3, 1, 10, 20, 30); }

  // Opens the log over a new fake file holding `image`.
  void OpenOver(std::vector<uint8_t> image, const StreamSettings& settings = {}) {
    file_ = std::make_shared<FakeFile>();
    file_->data = std::move(image);
    auto lock = std::make_unique<SyncLock>();
    lock_ = lock.get();
    log_.Open(std::make_unique<FakeLogStream>(file_, settings), std::move(lock));
  }

  void PatchHeader(void (*change)(LogHeader&)) {
    LogHeader header = Header();
    change(header);
    StoreHeader(header, file_->data.data());
  }

  LogHeader Header() const { return LoadHeader(file_->data.data()); }
  int32_t Lap(int32_t slot) const { return LoadInt32(file_->data.data() + 20 + 4 * slot); }
  const uint8_t* Record(int32_t slot) const {
    return file_->data.data() + RecordOffset(Header().slotCount, slot);
  }
  std::string Text(int32_t slot) const {
    return reinterpret_cast<const char*>(Record(slot) + kRecordTextOffset);
  }
  bool LocksFree() const { return !file_->locked && !lock_->Held(); }

  testing::FakeServices services_;
  platform::ScopedServices scope_;
  std::shared_ptr<FakeFile> file_ = std::make_shared<FakeFile>();
  SyncLock* lock_ = nullptr;
  RingLog log_;
};

TEST_F(RingLogTest, FirstWriteGoesToSlotZeroInLapOne) {
  OpenOver(FreshLog(4));
  ASSERT_EQ(log_.Write(u"hello"), 1);

  const LogHeader h = Header();
  EXPECT_EQ((std::vector<int32_t>{h.lap, h.nextSlot, h.lastSlot, h.slotCount}),
            (std::vector<int32_t>{1, 1, 0, 4}));
  EXPECT_EQ((std::vector<int32_t>{Lap(0), Lap(1), Lap(2), Lap(3)}),
            (std::vector<int32_t>{1, 0, 0, 0}));
  double now = 0;
  ASSERT_TRUE(EncodeDate(2024, 3, 1, &now));
  EXPECT_DOUBLE_EQ(LoadDouble(Record(0)), now + (10 * 3600 + 20 * 60 + 30) / 86400.0);
  EXPECT_EQ(Text(0), "hello");
  EXPECT_EQ(file_->data.size(), static_cast<size_t>(RecordOffset(4, 1)));
  EXPECT_TRUE(file_->lockExclusive);
  EXPECT_TRUE(LocksFree());
}

TEST_F(RingLogTest, FiveWritesIntoThreeSlotsOverwriteTheOldest) {
  std::vector<uint8_t> image = FreshLog(3);
  StoreInt32(0x55AA, image.data() + 16);  // reserved: carried through untouched
  OpenOver(image);
  for (const char16_t* m : {u"m1", u"m2", u"m3", u"m4", u"m5"}) ASSERT_EQ(log_.Write(m), 1);

  const LogHeader h = Header();
  EXPECT_EQ((std::vector<int32_t>{h.lap, h.nextSlot, h.lastSlot, h.slotCount, h.reserved}),
            (std::vector<int32_t>{2, 2, 1, 3, 0x55AA}));
  EXPECT_EQ((std::vector<int32_t>{Lap(0), Lap(1), Lap(2)}), (std::vector<int32_t>{2, 2, 1}));
  EXPECT_EQ((std::vector<std::string>{Text(0), Text(1), Text(2)}),
            (std::vector<std::string>{"m4", "m5", "m3"}));

  EXPECT_EQ(OldestFirst(file_), (std::vector<std::string>{"m3", "m4", "m5"}));
}

TEST_F(RingLogTest, SlotNumberEqualToTheSlotCountMeansSlotZero) {
  struct Case {
    int32_t nextSlot;
    int32_t lastSlot;
    std::vector<int32_t> laps;
    int32_t expectedSlot;
  };
  for (const Case& c : {Case{3, 2, {5, 5, 5}, 0}, Case{1, 3, {5, 4, 4}, 1}}) {
    std::vector<uint8_t> image = FreshLog(3);
    image.resize(static_cast<size_t>(RecordOffset(3, 3)), 0);
    StoreInt32(5, image.data());  // lap
    StoreInt32(c.nextSlot, image.data() + 4);
    StoreInt32(c.lastSlot, image.data() + 8);
    for (int32_t i = 0; i < 3; ++i) StoreInt32(c.laps[i], image.data() + EntryOffset(i));
    OpenOver(image);
    ASSERT_EQ(log_.Write(u"x"), 1) << c.nextSlot << "/" << c.lastSlot;
    EXPECT_EQ(Text(c.expectedSlot), "x");
    EXPECT_EQ(Header().lastSlot, c.expectedSlot);
    EXPECT_EQ(Header().nextSlot, c.expectedSlot + 1);
    EXPECT_EQ(Header().lap, c.expectedSlot == 0 ? 6 : 5);
  }
}

TEST_F(RingLogTest, RefusesAHeaderItCannotWriteAndLeavesTheFileAlone) {
  struct Case {
    int32_t slotCount;
    const char* why;
  };
  const Case cases[] = {
      {0, "no slots: the ring would divide by zero"},
      {-3, "negative slot count"},
      {4, "one more slot than the table holds"},
      {1000000, "far more slots than the table holds"},
  };
  for (const Case& c : cases) {
    OpenOver(FreshLog(3));
    ASSERT_EQ(log_.Write(u"before"), 1);
    StoreInt32(c.slotCount, file_->data.data() + 12);
    const std::vector<uint8_t> before = file_->data;

    std::u16string cause;
    EXPECT_EQ(log_.Write(u"refused", &cause), 0) << c.why;
    EXPECT_EQ(file_->data, before) << c.why;
    EXPECT_TRUE(LocksFree()) << c.why;
    EXPECT_EQ(cause.rfind(u"fake.log: not a ring log: the header gives ", 0), 0u) << c.why;
  }
}

TEST_F(RingLogTest, TextIsCutTo2046Bytes) {
  for (const size_t length :
       {size_t{0}, size_t{1}, size_t{2045}, size_t{2046}, size_t{2047}, size_t{5000}}) {
    OpenOver(FreshLog(2));
    std::u16string message(length, u'a');
    for (size_t i = 0; i < length; ++i) message[i] = static_cast<char16_t>(u'a' + i % 26);
    ASSERT_EQ(log_.Write(message.c_str()), 1);

    const size_t kept = std::min<size_t>(length, 2046);
    const std::string text = Text(0);
    EXPECT_EQ(text.size(), kept) << length;
    EXPECT_EQ(text, std::string(message.begin(), message.begin() + static_cast<long>(kept)));
    // The rest of the field is zero: no leftovers of earlier records leak into it.
    const uint8_t* field = Record(0) + kRecordTextOffset;
    EXPECT_TRUE(std::all_of(field + kept, field + kRecordTextBytes, [](uint8_t b) {
      return b == 0;
    })) << length;
  }
}

// A stream error anywhere in a write: the write is abandoned, the result is 0, both locks are
// free, and the log goes on working.
TEST_F(RingLogTest, StreamErrorBeforeWritingLeavesTheFileAlone) {
  {
    OpenOver(FreshLog(3));
    ASSERT_EQ(log_.Write(u"first"), 1);
    const std::vector<uint8_t> before = file_->data;
    file_->failOp = FakeFile::Op::kRead;
    file_->failAfter = 0;

    std::u16string cause;
    EXPECT_EQ(log_.Write(u"lost", &cause), 0);
    EXPECT_TRUE(LocksFree());
    EXPECT_EQ(cause, u"fake.log: injected failure");
    EXPECT_EQ(file_->data, before);
    ASSERT_EQ(log_.Write(u"second"), 1);
    EXPECT_EQ(OldestFirst(file_), (std::vector<std::string>{"first", "second"}));
  }
}

TEST_F(RingLogTest, StreamErrorAtAnyRawWriteAbandonsTheWriteAndFreesBothLocks) {
  for (const bool buffered : {false, true}) {
    // At most 1000 bytes a raw write: the record alone takes three. Fail each raw write in turn
    // until the write gets through without reaching the fault.
    int failed = 0;
    for (int k = 0; k < 100; ++k) {
      const std::string label = "raw write " + std::to_string(k) + (buffered ? ", buffered" : "");
      OpenOver(FreshLog(3), {.buffered = buffered});
      file_->maxWrite = 1000;
      ASSERT_EQ(log_.Write(u"first"), 1) << label;
      file_->failOp = FakeFile::Op::kWrite;
      file_->failAfter = k;

      std::u16string cause;
      const int32_t result = log_.Write(u"lost", &cause);
      EXPECT_TRUE(LocksFree()) << label;
      if (file_->failAfter >= 0) {
        EXPECT_EQ(result, 1) << label;
        break;
      }
      ++failed;
      EXPECT_EQ(result, 0) << label;
      EXPECT_EQ(cause, u"fake.log: injected failure") << label;

      ASSERT_EQ(log_.Write(u"second"), 1) << label;
      // Whether the torn record still shows depends on where the write stopped; the others are
      // there once each, in order.
      std::vector<std::string> texts = OldestFirst(file_);
      std::erase(texts, "lost");
      EXPECT_EQ(texts, (std::vector<std::string>{"first", "second"})) << label;
    }
    EXPECT_EQ(failed, 5);  // three record pieces, the table entry, the header
  }
}

TEST_F(RingLogTest, OtherExceptionsPassWithBothLocksFree) {
  OpenOver(FreshLog(3));
  file_->fault = FakeFile::Fault::kOther;
  file_->failOp = FakeFile::Op::kWrite;
  file_->failAfter = 0;
  EXPECT_THROW(log_.Write(u"x"), std::runtime_error);
  EXPECT_TRUE(LocksFree());
  EXPECT_EQ(log_.Write(u"y"), 1);
}

TEST_F(RingLogTest, ClosedLogWritesNothing) {
  OpenOver(FreshLog(3));
  const std::vector<uint8_t> before = file_->data;
  const int locksBefore = file_->locks;
  log_.Close();
  EXPECT_FALSE(log_.IsOpen());
  std::u16string cause;
  EXPECT_EQ(log_.Write(u"x", &cause), 0);
  EXPECT_EQ(cause, u"the log is not open");
  EXPECT_EQ(file_->data, before);
  EXPECT_EQ(file_->locks, locksBefore);

  RingLog never;
  EXPECT_EQ(never.Write(u"x"), 0);
}

TEST_F(RingLogTest, BufferedWriteIsInTheFileBeforeTheLockGoes) {
  OpenOver(FreshLog(3), {.buffered = true});
  ASSERT_EQ(log_.Write(u"a"), 1);
  ASSERT_EQ(log_.Write(u"b"), 1);
  // What the next writer would see the moment the range is unlocked.
  const LogHeader seen = LoadHeader(file_->atUnlock.data());
  EXPECT_EQ(seen.nextSlot, 2);
  EXPECT_EQ(LoadInt32(file_->atUnlock.data() + 24), 1);
  EXPECT_EQ(file_->atUnlock, file_->data);
}

TEST_F(RingLogTest, LapWrapsToZeroAndTheOrderSurvives) {
  std::vector<uint8_t> image = FreshLog(3);
  OpenOver(image);
  for (const char16_t* m : {u"a", u"b", u"c"}) ASSERT_EQ(log_.Write(m), 1);
  StoreInt32(2147483646, file_->data.data());
  for (int32_t slot = 0; slot < 3; ++slot)
    StoreInt32(2147483646, file_->data.data() + 20 + 4 * slot);

  ASSERT_EQ(log_.Write(u"d"), 1);
  EXPECT_EQ(Header().lap, 0);
  EXPECT_EQ(Lap(0), 0);

  EXPECT_EQ(OldestFirst(file_), (std::vector<std::string>{"b", "c", "d"}));
}

TEST_F(RingLogTest, ReportsLandAsRecordsWhileAttached) {
  OpenOver(FreshLog(3));
  log_.Attach();
  EXPECT_EQ(ReportDiagnostic("src\\log\\File.cpp", 12, u"text"), 1);
  EXPECT_EQ(Text(0), "(File.cpp) at 12 - text");

  log_.Detach();
  EXPECT_EQ(ActiveLog, nullptr);
  EXPECT_EQ(ReportDiagnostic("File.cpp", 13, u"gone"), 0);
  EXPECT_EQ(Header().nextSlot, 1);

  {
    RingLog shortLived;
    shortLived.Attach();
  }
  EXPECT_EQ(ActiveLog, nullptr);  // a log that goes away takes itself off the hook
}

std::vector<uint8_t> Grown(std::vector<uint8_t> image, int64_t bytes) {
  image.resize(static_cast<size_t>(static_cast<int64_t>(image.size()) + bytes), 0);
  return image;
}

std::vector<uint8_t> Patched(std::vector<uint8_t> image, int64_t offset, int32_t value) {
  StoreInt32(value, image.data() + offset);
  return image;
}

TEST_F(RingLogTest, OpenRefusesWhatIsNotARingLog) {
  struct Case {
    std::vector<uint8_t> image;
    const char16_t* cause;
  };
  std::vector<uint8_t> cut = FreshLog(10);
  cut.resize(cut.size() - 1);
  const Case cases[] = {
      {std::vector<uint8_t>(19, 0), u"the file has 19 bytes, fewer than the 20 of a header"},
      {FreshLog(0), u"the header gives 0 slots"},
      {FreshLog(-2), u"the header gives -2 slots"},
      {cut, u"10 slots need 60 bytes of header and slot table, the file has 59"},
      {FreshLog(kMaxNewLogSlots + 1),
       u"the header gives 1042468 slots, more than the 1042467 a "
       u"log can have"},
      {Grown(SettledLog(2, 1, 0), 1),
       u"the file has 4141 bytes, more than the 4140 of a full "
       u"log of 2 slots"},
      {Patched(SettledLog(3, 1, 1), 4, 4), u"the header's nextSlot is 4, outside 0 to 3"},
      {Patched(SettledLog(3, 1, 1), 8, -1), u"the header's lastSlot is -1, outside 0 to 3"},
      {Patched(SettledLog(3, 2, 1), EntryOffset(0), -7), u"slot 0 holds lap -7"},
      {Patched(SettledLog(5, 5, 1), EntryOffset(3), 3),
       u"slot 3 holds lap 3, a third one beside 5 and 4"},
      {Patched(SettledLog(3, 5, 0), EntryOffset(2), 3),
       u"the slot table holds laps 5 and 3, which are not consecutive"},
      {Grown(SettledLog(3, 1, 1), -1), u"slot 0 holds lap 1 but the file ends before its record"},
      {Grown(SettledLog(3, 1, 1), 2 * kRecordBytes),
       u"the file has 6200 bytes, more than the 4144 its written slots fill"},
      {Patched(SettledLog(3, 1, 1), 0, 9), u"the header gives lap 9, the slot table 1"},
      // Tables longer than the piece an open checks at a time: what the first pieces found must
      // still count in the later ones.
      {Patched(SettledLog(9000, 2, 100), EntryOffset(8500), 7),
       u"slot 8500 holds lap 7, a third one beside 2 and 1"},
      {Patched(SettledLog(9000, 5, 0), EntryOffset(8999), 3),
       u"the slot table holds laps 5 and 3, which are not consecutive"},
      {Grown(SettledLog(9000, 1, 8300), -1),
       u"slot 8299 holds lap 1 but the file ends before its record"},
  };
  for (const Case& c : cases) {
    try {
      OpenOver(c.image);
      ADD_FAILURE() << "opened";
    } catch (const ELogFormat& e) {
      EXPECT_EQ(std::u16string(e.Message()),
                u"fake.log: not a ring log: " + std::u16string(c.cause));
    }
    EXPECT_FALSE(log_.IsOpen());
    EXPECT_FALSE(file_->locked);
    EXPECT_EQ(file_->data, c.image);
    EXPECT_TRUE(file_->rawWrites.empty());
    // Nothing past the header and the table is read.
    for (const int32_t count : file_->rawReads) EXPECT_LE(count, 20 + 4 * 1042468);
    FakeLogStream reader(file_);
    EXPECT_THROW(ReadRingLog(reader), ELogFormat);
  }
}

// A writer stopped at any raw write, one byte a raw write, as a killed capped writer or a full
// disk leaves it: the log is still accepted, reads back every record the writer did not touch in
// order, and the next write leaves a header and table that agree.
TEST_F(RingLogTest, WriterStoppedAtAnyByteLeavesALogTheNextWriteRepairs) {
  struct Start {
    int32_t slots;
    int32_t lap;
    int32_t next;
  };
  // The lap going from 255 to 256 and the slot from 255 to 256 change two bytes of a number.
  for (const Start st :
       {Start{3, 1, 0}, Start{3, 255, 0}, Start{300, 1, 255}, Start{3, 2, 1}, Start{1, 4, 0}}) {
    const std::vector<uint8_t> start = SettledLog(st.slots, st.lap, st.next);
    std::vector<std::string> before;  // the records the stopped writer leaves alone
    {
      OpenOver(start);
      for (const std::string& text : OldestFirst(file_)) {
        if (text != "s" + std::to_string(st.next)) before.push_back(text);
      }
    }
    for (const bool buffered : {false, true}) {
      // One whole write, a byte a raw write, shows where each raw write lands.
      OpenOver(start, {.buffered = buffered});
      file_->maxWrite = 1;
      ASSERT_EQ(log_.Write(u"lost"), 1);
      const std::vector<std::pair<int64_t, int32_t>> writes = file_->rawWrites;
      // A stop inside the message text leaves the table and header as any other there does, so
      // every 64th of those is enough; every other byte is a stop of its own.
      const int64_t textFrom = RecordOffset(st.slots, st.next) + kRecordTextOffset + 16;
      const int64_t textTo = RecordOffset(st.slots, st.next) + kRecordBytes - 16;
      int stops = 0;
      for (int k = 0; k < static_cast<int>(writes.size()); ++k) {
        const int64_t at = writes[static_cast<size_t>(k)].first;
        if (at >= textFrom && at < textTo && k % 64 != 0) continue;
        const std::string label = std::to_string(st.slots) + " slots, lap " +
                                  std::to_string(st.lap) + ", next " + std::to_string(st.next) +
                                  ", stopped at raw write " + std::to_string(k) +
                                  (buffered ? ", buffered" : "");
        OpenOver(start, {.buffered = buffered});
        file_->maxWrite = 1;
        file_->failOp = FakeFile::Op::kWrite;
        file_->failAfter = k;
        ASSERT_EQ(log_.Write(u"lost"), 0) << label;
        ++stops;

        std::vector<std::string> seen;
        {
          FakeLogStream reader(file_);
          for (const LogEntry& e : ReadRingLog(reader)) {
            if (e.slot != st.next) seen.push_back(e.text);
          }
        }
        EXPECT_EQ(seen, before) << label;

        RingLog next;
        next.Open(std::make_unique<FakeLogStream>(file_), std::make_unique<SyncLock>());
        ASSERT_EQ(next.Write(u"next"), 1) << label;
        std::vector<std::string> after = OldestFirst(file_);
        ASSERT_FALSE(after.empty());
        EXPECT_EQ(after.back(), "next") << label;
        std::erase(after, "lost");
        std::erase(after, "next");
        if (after != before) {
          // The stopped write was complete but for header bytes that did not change; the next
          // one then took the slot after it.
          std::erase(before, "s" + std::to_string((st.next + 1) % st.slots));
          EXPECT_EQ(after, before) << label;
          before = {};
          break;
        }

        const LogHeader h = Header();
        const std::vector<uint8_t> tableBytes(file_->data.begin() + 20,
                                              file_->data.begin() + TableEnd(h.slotCount));
        const SlotTable table(h, tableBytes);
        EXPECT_EQ(table.Check(static_cast<int64_t>(file_->data.size())), u"") << label;
        const LogHeader rebuilt = table.RebuiltHeader();
        EXPECT_EQ((std::vector<int32_t>{h.lap, h.nextSlot, h.lastSlot}),
                  (std::vector<int32_t>{rebuilt.lap, rebuilt.nextSlot, rebuilt.lastSlot}))
            << label;
      }
      EXPECT_GT(stops, 64);  // the record's edges, the entry and the header, byte by byte
      if (before.empty()) break;
    }
  }
}

// The bytes of a log after completed writes, built here from the file format alone: other
// programs read these files, so the order of the writes must never show in them.
TEST_F(RingLogTest, CompletedWritesLeaveExactlyTheFormatsBytes) {
  for (const bool buffered : {false, true}) {
    std::vector<uint8_t> expected = FreshLog(3);
    StoreInt32(0x55AA, expected.data() + 16);
    OpenOver(expected, {.buffered = buffered});
    int32_t lap = 0;
    double now = 0;
    ASSERT_TRUE(EncodeDate(2024, 3, 1, &now));
    now += (10 * 3600 + 20 * 60 + 30) / 86400.0;
    for (int32_t i = 0; i < 7; ++i) {
      const std::string text = std::string(static_cast<size_t>(1 + i * 300), 'a' + i);
      ASSERT_EQ(log_.Write(std::u16string(text.begin(), text.end()).c_str()), 1);
      const int32_t slot = i % 3;
      if (slot == 0) ++lap;
      expected.resize(std::max(expected.size(), static_cast<size_t>(RecordOffset(3, slot + 1))));
      uint8_t* record = expected.data() + RecordOffset(3, slot);
      std::fill(record, record + kRecordBytes, 0);
      StoreDouble(now, record);
      std::memcpy(record + kRecordTextOffset, text.data(), text.size());
      StoreInt32(lap, expected.data() + EntryOffset(slot));
      StoreInt32(lap, expected.data());
      StoreInt32((slot + 1) % 3, expected.data() + 4);
      StoreInt32(slot, expected.data() + 8);
      ASSERT_EQ(file_->data, expected) << "after write " << i << (buffered ? ", buffered" : "");
    }
  }
}

TEST_F(RingLogTest, LargeTableOpensAndTheWriteGoesOnWhereTheHeaderSays) {
  OpenOver(SettledLog(9000, 2, 8500));
  ASSERT_EQ(log_.Write(u"next"), 1);
  EXPECT_EQ(Header().nextSlot, 8501);
  EXPECT_EQ(Header().lap, 2);
  EXPECT_EQ(Lap(8500), 2);
  EXPECT_EQ(Text(8500), "next");
}

TEST_F(RingLogTest, ReaderSkipsSlotsNeverWritten) {
  OpenOver(FreshLog(5));
  for (const char16_t* m : {u"one", u"two"}) ASSERT_EQ(log_.Write(m), 1);
  FakeLogStream reader(file_);
  const std::vector<LogEntry> entries = ReadRingLog(reader);
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0].text, "one");
  EXPECT_EQ(entries[1].slot, 1);
  EXPECT_EQ(entries[1].lap, 1);
  EXPECT_FALSE(file_->lockExclusive);

  // A written slot whose record the file does not hold whole is no log this program wrote.
  file_->data.resize(file_->data.size() - 1);
  EXPECT_THROW(ReadRingLog(reader), ELogFormat);
}

}  // namespace
}  // namespace hv
