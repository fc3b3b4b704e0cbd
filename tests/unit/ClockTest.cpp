#include "log/Clock.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>

#include "support/FakeServices.h"

namespace hv {
namespace {

using testing::At;

TEST(EncodeDateTest, AcceptsRealDatesAndRejectsTheRest) {
  struct Case {
    uint16_t year, month, day;
    bool valid;
    double serial;
  };
  const Case cases[] = {
      {1899, 12, 30, true, 0},       {1900, 1, 1, true, 2},      {1, 1, 1, true, -693593},
      {9999, 12, 31, true, 2958465}, {2000, 2, 29, true, 36585}, {2024, 3, 1, true, 45352},
      {0, 1, 1, false, 0},           {10000, 1, 1, false, 0},    {2024, 0, 1, false, 0},
      {2024, 13, 1, false, 0},       {2024, 1, 0, false, 0},     {2024, 4, 31, false, 0},
      {1900, 2, 29, false, 0},       {2023, 2, 29, false, 0},    {65535, 1, 1, false, 0},
      {2024, 65535, 1, false, 0},
  };
  for (const Case& c : cases) {
    double serial = -12345;
    EXPECT_EQ(EncodeDate(c.year, c.month, c.day, &serial), c.valid)
        << c.year << "-" << c.month << "-" << c.day;
    EXPECT_EQ(serial, c.valid ? c.serial : -12345) << c.year << "-" << c.month << "-" << c.day;
  }
}

TEST(CurrentDateTimeTest, ReadsTheLocalTimeInWholeSeconds) {
  struct Case {
    platform::LocalTime time;
    double expected;
  };
  const Case cases[] = {
      {At(1899, 12, 30, 12), 0.5},
      {At(1900, 1, 1), 2.0},
      {At(1899, 12, 30, 6, 0, 0, 999), 0.25},  // milliseconds are dropped
      {At(2024, 3, 1, 23, 59, 59), 45352 + 86399 / 86400.0},
      {At(2024, 2, 30, 12), 0},  // a date the calendar lacks
      {At(2024, 3, 1, 24), 0},
      {At(2024, 3, 1, 1, 60), 0},
      {At(2024, 3, 1, 1, 1, 60), 0},
  };
  testing::FakeServices fake;
  platform::ScopedServices scope(fake);
  for (const Case& c : cases) {
    fake.localTime = c.time;
    EXPECT_DOUBLE_EQ(CurrentDateTime(), c.expected)
        << c.time.year << "-" << c.time.month << "-" << c.time.day << " " << c.time.hour;
  }
}

TEST(DecodeDateTimeTest, UndoesEncodeDateForEveryDayOfTheCalendar) {
  int checked = 0;
  for (uint16_t year = 1; year <= 9999; ++year) {
    for (uint16_t month = 1; month <= 12; ++month) {
      for (uint16_t day = 1; day <= 31; ++day) {
        double serial = 0;
        if (!EncodeDate(year, month, day, &serial)) continue;
        // A different time of day each day exercises the split as well. Before day 0 the time
        // of day goes behind the minus sign: -1.25 is 1899-12-29 06:00.
        const auto second = static_cast<int32_t>(int64_t{checked} * 7919 % 86400);
        const double date = serial >= 0 ? serial + second / 86400.0 : serial - second / 86400.0;
        platform::LocalTime t;
        ASSERT_TRUE(DecodeDateTime(date, &t)) << serial;
        ASSERT_EQ(t.year, year);
        ASSERT_EQ(t.month, month);
        ASSERT_EQ(t.day, day);
        ASSERT_EQ(t.hour * 3600 + t.minute * 60 + t.second, second) << serial;
        ++checked;
      }
    }
  }
  EXPECT_EQ(checked, 3652059);
}

TEST(DecodeDateTimeTest, HandlesTheEdgesOfTheRange) {
  platform::LocalTime t;
  // Before day 0 the fraction still runs forward from the day.
  ASSERT_TRUE(DecodeDateTime(-1.25, &t));
  EXPECT_EQ((std::array<int, 4>{t.year, t.month, t.day, t.hour}),
            (std::array<int, 4>{1899, 12, 29, 6}));
  // Rounding up to midnight moves on to the next day.
  ASSERT_TRUE(DecodeDateTime(2.0 - 0.4 / 86400, &t));
  EXPECT_EQ((std::array<int, 4>{t.year, t.month, t.day, t.hour}),
            (std::array<int, 4>{1900, 1, 1, 0}));
  ASSERT_TRUE(DecodeDateTime(0, &t));
  EXPECT_EQ(t.dayOfWeek, 6);  // 1899-12-30 was a Saturday

  for (const double outside : {-693594.0, 2958466.0, std::numeric_limits<double>::quiet_NaN(),
                               std::numeric_limits<double>::infinity()}) {
    EXPECT_FALSE(DecodeDateTime(outside, &t)) << outside;
  }
}

}  // namespace
}  // namespace hv
