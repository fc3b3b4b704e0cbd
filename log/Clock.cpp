#include "log/Clock.h"

#include <cmath>

namespace hv {
namespace {

constexpr uint16_t kMonthDays[2][13] = {
    {0, 31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31},
    {0, 31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31},
};

// Day serial of 0001-01-01, counted back from 1899-12-30.
constexpr int64_t kFirstDay = -693593;
constexpr int64_t kLastDay = 2958465;  // 9999-12-31
constexpr int64_t kDaysPer400Years = 146097;
constexpr int64_t kDaysPer100Years = 36524;
constexpr int64_t kDaysPer4Years = 1461;

bool IsLeapYear(uint32_t year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

}  // namespace

bool EncodeDate(uint16_t year, uint16_t month, uint16_t day, double* serial) {
  // Unsigned arithmetic turns year 0 and month 0 into huge values that fail the same test.
  if (static_cast<uint16_t>(year - 1) > 9998 || static_cast<uint16_t>(month - 1) > 11) return false;
  const uint16_t* lengths = kMonthDays[IsLeapYear(year) ? 1 : 0];
  if (day < 1 || day > lengths[month]) return false;
  int32_t d = day;
  for (int m = 1; m < month; ++m) d += lengths[m];
  const int32_t i = year - 1;
  *serial = static_cast<double>(i * 365 + i / 4 - i / 100 + i / 400 + d - 693594);
  return true;
}

double CurrentDateTime() {
  const platform::LocalTime now = platform::CurrentServices().GetLocalTime();
  double serial = 0;
  if (!EncodeDate(now.year, now.month, now.day, &serial)) return 0;
  if (now.hour >= 24 || now.minute >= 60 || now.second >= 60) return 0;
  const int32_t ms = ((now.hour * 60 + now.minute) * 60 + now.second) * 1000;
  return serial + ms / 86400000.0;
}

bool DecodeDateTime(double date, platform::LocalTime* out) {
  if (!(date > static_cast<double>(kFirstDay - 1) && date < static_cast<double>(kLastDay + 1))) {
    return false;
  }
  // Before day 0 the integer part still counts days but the fraction runs forward from it:
  // -1.25 is 1899-12-29 06:00.
  auto days = static_cast<int64_t>(std::trunc(date));
  auto seconds = static_cast<int64_t>(std::llround(std::fabs(date - std::trunc(date)) * 86400.0));
  if (seconds >= 86400) {
    if (date >= 0 && days < kLastDay) {
      ++days;
      seconds = 0;
    } else {
      seconds = 86399;
    }
  }

  int64_t n = days - kFirstDay;  // days since 0001-01-01
  const int64_t n400 = n / kDaysPer400Years;
  n %= kDaysPer400Years;
  int64_t n100 = n / kDaysPer100Years;
  if (n100 == 4) n100 = 3;  // the last day of a 400-year cycle
  n -= n100 * kDaysPer100Years;
  const int64_t n4 = n / kDaysPer4Years;
  n %= kDaysPer4Years;
  int64_t n1 = n / 365;
  if (n1 == 4) n1 = 3;  // the last day of a leap year
  n -= n1 * 365;
  const auto year = static_cast<uint32_t>(400 * n400 + 100 * n100 + 4 * n4 + n1 + 1);

  const uint16_t* lengths = kMonthDays[IsLeapYear(year) ? 1 : 0];
  uint16_t month = 1;
  while (n >= lengths[month]) n -= lengths[month++];

  out->year = static_cast<uint16_t>(year);
  out->month = month;
  out->day = static_cast<uint16_t>(n + 1);
  out->dayOfWeek = static_cast<uint16_t>(((days % 7) + 7 + 6) % 7);  // day 0 was a Saturday
  out->hour = static_cast<uint16_t>(seconds / 3600);
  out->minute = static_cast<uint16_t>(seconds / 60 % 60);
  out->second = static_cast<uint16_t>(seconds % 60);
  out->milliseconds = 0;
  return true;
}

}  // namespace hv
