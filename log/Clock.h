// Local time as an OLE Automation date: a double whose integer part counts days from 1899-12-30
// and whose fraction is the time of day (0.5 is noon).
#pragma once

#include <cstdint>

#include "platform/Platform.h"

namespace hv {

// The day serial of a calendar date in years 1 to 9999. False, leaving *serial alone, for a date
// that does not exist.
bool EncodeDate(uint16_t year, uint16_t month, uint16_t day, double* serial);

// The local time now, in whole seconds (the milliseconds are dropped). A local time the calendar
// cannot hold gives 0.
double CurrentDateTime();

// The calendar date and time of day of `date`, rounded to the second. False for a date outside
// years 1 to 9999 or one that is not a number.
bool DecodeDateTime(double date, platform::LocalTime* out);

}  // namespace hv
