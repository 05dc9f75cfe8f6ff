// Day numbers and times of day in the forms the engine stores, and their
// text forms: a date is the count of days in the proleptic Gregorian
// calendar with 1 January of year 1 as day 1; a time of day is milliseconds
// since midnight; a date and time is day * 86 400 000 + milliseconds, held
// in a double.
#pragma once

#include <cstdint>
#include <string>

namespace tinydb {

constexpr int32_t kMsPerDay = 86400000;  // 24 * 60 * 60 * 1000
// Day number of 30 December 1899, the zero of the platform's date-times.
constexpr int32_t kDateDelta = 693594;

// ---- Day numbers and times of day ----

// Day number of |year|-|month|-|day| in *|day_number|; false (nothing
// written) unless 1 <= year <= 9999 and the day exists.
bool TryEncodeDate(int year, int month, int day, int32_t* day_number);

// Calendar date of any day number (day numbers below 1 give years 0 and
// before, counted the proleptic way).
void DecodeDate(int32_t day_number, int* year, int* month, int* day);

// Milliseconds since midnight in *|ms|; false unless hour < 24, minute < 60,
// second < 60 and millisecond < 1000 (none negative).
bool TryEncodeTime(int hour, int minute, int second, int millisecond, int32_t* ms);

// Splits milliseconds since midnight into its parts (|ms| taken modulo a day).
void DecodeTime(int32_t ms, int* hour, int* minute, int* second, int* millisecond);

// Splits a date-and-time value into its day number and milliseconds of the
// day, after rounding to whole milliseconds. A value whose day does not
// fit 32 bits (NaN and the infinities among them) gives day 0 at midnight,
// the impossible date before day 1.
void SplitDateTime(double value, int32_t* day_number, int32_t* ms);

// ---- Text forms ----
// "YYYY-MM-DD", "HH:MM:SS" (with ".mmm" when the milliseconds are not 0),
// and a date-and-time as both joined by a blank.

// "" for a day outside years 1 to 9999.
std::string DayNumberToText(int32_t day_number);
// "" outside 0 <= ms < one day.
std::string TimeMSecsToText(int32_t ms);
// "" when the day is not one DayNumberToText writes.
std::string DateTimeToText(double value);

// Parse the forms above, blanks around them allowed; a time may leave out
// its seconds ("HH:MM"), and a date-and-time its time (midnight) or join
// the two by a "T". False (nothing written) for anything else.
bool TextToDayNumber(const std::string& text, int32_t* day_number);
bool TextToTimeMSecs(const std::string& text, int32_t* ms);
bool TextToDayAndTime(const std::string& text, int32_t* day_number, int32_t* ms);

// ---- Now ----

// Today's day number and the milliseconds since midnight, in local time.
int32_t TodayDayNumber();
int32_t TimeOfDayMSecs();
// The current local date and time as a date-and-time value.
double CurrentDateTime();
// The current local calendar year.
int CurrentYear();

}  // namespace tinydb
