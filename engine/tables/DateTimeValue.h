// Date and time values of the cursor. The program sees a date-time as a
// double: days since 30 December 1899 with the time of day as fraction.
// Records store dates as day numbers (1 January of year 1 = day 1), times
// as milliseconds since midnight, and date-times as
// day number * 86400000 + milliseconds.
#pragma once

#include <cstdint>
#include <string>

namespace tinydb {

constexpr int32_t kMSecsPerDay = 86400000;
// Day number of 30 December 1899, the date-time 0.
constexpr int32_t kDateDelta = 693594;

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
// Splits a total of milliseconds; day 0 when it does not fit 32 bits.
TTimeStamp MSecsToTimeStamp(double msecs);

// Today's day number and the milliseconds since midnight, local time.
int32_t TodayDayNumber();
int32_t TimeOfDayMSecs();

// The day number of a calendar date, or 0 when the date does not exist
// (years 1 to 9999).
int32_t EncodeDayNumber(int year, int month, int day);
// The calendar date of a day number >= 1.
void DecodeDayNumber(int32_t day_number, int* year, int* month, int* day);

// Text forms: "YYYY-MM-DD", "HH:MM:SS" (with ".mmm" when the milliseconds
// are not 0), and both joined by a blank. Invalid values give "".
std::string DayNumberToText(int32_t day_number);
std::string TimeMSecsToText(int32_t msecs);
// Parse the forms above; the date-time form also accepts a date alone.
// False for anything else.
bool TextToDayNumber(const std::string& text, int32_t* day_number);
bool TextToTimeMSecs(const std::string& text, int32_t* msecs);
bool TextToTimeStamp(const std::string& text, TTimeStamp* stamp);

}  // namespace tinydb
