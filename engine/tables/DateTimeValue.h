// Date and time values of the cursor. The program sees a date-time as a
// double: days since 30 December 1899 with the time of day as fraction.
// Records store them in the calendar's forms (platform/Calendar.h), which
// this layer converts from and to.
#pragma once

#include <cstdint>
#include <string>

#include "platform/Calendar.h"

namespace tinydb {

// A date-time split into day number and milliseconds of the day.
struct TTimeStamp {
  int32_t Date = 0;
  int32_t Time = 0;
};

// Rounds |date_time| to whole milliseconds and splits it. Values whose day
// number does not fit 32 bits give day 0 (which converts back to nothing).
TTimeStamp DateTimeToTimeStamp(double date_time);
// The date-time of |stamp|; false when the day number is below 1 or the
// milliseconds lie outside one day.
bool TimeStampToDateTime(const TTimeStamp& stamp, double* date_time);
// Day number * 86400000 + milliseconds.
double TimeStampToMSecs(const TTimeStamp& stamp);
// Splits a stored date-and-time value as SplitDateTime does.
TTimeStamp MSecsToTimeStamp(double msecs);

// Parses the date-and-time text form of TextToDayAndTime.
bool TextToTimeStamp(const std::string& text, TTimeStamp* stamp);

}  // namespace tinydb
