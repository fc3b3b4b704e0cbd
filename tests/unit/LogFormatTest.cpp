#include "log/LogFormat.h"

#include <gtest/gtest.h>

#include <vector>

namespace hv {
namespace {

TEST(LogFormatTest, HeaderIsLittleEndianOnDisk) {
  LogHeader h;
  h.lap = 1;
  h.nextSlot = 0x0203;
  h.lastSlot = -1;
  h.slotCount = 0x01020304;
  h.reserved = INT32_MIN;
  uint8_t bytes[20];
  StoreHeader(h, bytes);
  const std::vector<uint8_t> expected = {1,    0,    0, 0, 3, 2, 0, 0, 0xFF, 0xFF,
                                         0xFF, 0xFF, 4, 3, 2, 1, 0, 0, 0,    0x80};
  EXPECT_EQ(std::vector<uint8_t>(bytes, bytes + 20), expected);
  const LogHeader back = LoadHeader(bytes);
  EXPECT_EQ(
      (std::vector<int32_t>{back.lap, back.nextSlot, back.lastSlot, back.slotCount, back.reserved}),
      (std::vector<int32_t>{1, 0x0203, -1, 0x01020304, INT32_MIN}));

  uint8_t time[8];
  StoreDouble(0.5, time);
  EXPECT_EQ(std::vector<uint8_t>(time, time + 8),
            (std::vector<uint8_t>{0, 0, 0, 0, 0, 0, 0xE0, 0x3F}));
  EXPECT_EQ(LoadDouble(time), 0.5);
}

TEST(LogFormatTest, RecordsSitAfterTheSlotTable) {
  EXPECT_EQ(TableEnd(3), 32);
  EXPECT_EQ(RecordOffset(3, 0), 32);
  EXPECT_EQ(RecordOffset(3, 2), 32 + 2 * 2056);
  // Offsets of a huge log do not wrap at 32 bits.
  EXPECT_EQ(RecordOffset(INT32_MAX, INT32_MAX - 1),
            20 + 4 * int64_t{INT32_MAX} + 2056 * (int64_t{INT32_MAX} - 1));
}

TEST(LogFormatTest, SlotsOldestFirstFollowsLapsThenSlotOrder) {
  struct Case {
    const char* name;
    int32_t lap;
    std::vector<int32_t> laps;
    std::vector<bool> holds;
    std::vector<int32_t> expected;
  };
  const Case cases[] = {
      {"fresh", 0, {0, 0, 0}, {false, false, false}, {}},
      {"first lap, partly filled", 1, {1, 1, 0, 0}, {true, true, false, false}, {0, 1}},
      {"second lap", 2, {2, 2, 1}, {true, true, true}, {2, 0, 1}},
      {"full ring, just wrapped", 3, {3, 2, 2}, {true, true, true}, {1, 2, 0}},
      {"lap wrapped to 0", 0, {0, 2147483646, 2147483646}, {true, true, true}, {1, 2, 0}},
      {"lap wrapped to 1", 1, {1, 0, 2147483646}, {true, true, true}, {2, 1, 0}},
      {"hole left out", 2, {2, 0, 1}, {true, false, true}, {2, 0}},
      {"torn write: record without its lap", 2, {2, 0, 0}, {true, true, false}, {1, 0}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SlotsOldestFirst(c.lap, c.laps, c.holds), c.expected) << c.name;
  }
}

}  // namespace
}  // namespace hv
