// Day numbers and times of day in the forms the engine stores: a date is the
// count of days in the proleptic Gregorian calendar with 1 January of year 1
// as day 1; a time of day is milliseconds since midnight; a date and time is
// day * 86 400 000 + milliseconds, held in a double.
#pragma once

#include <cstdint>

namespace tinydb {

constexpr int32_t kMsPerDay = 86400000;
// Day number of 30 December 1899, the zero of the platform's date-times.
constexpr int32_t kDateDelta = 693594;

// Day number of |year|-|month|-|day| in *|day_number|; false (nothing
// written) unless 1 <= year <= 9999 and the day exists.
bool TryEncodeDate(int year, int month, int day, int32_t* day_number);

// Calendar date of any day number (day numbers below 1 give years 0 and
// before, counted the proleptic way).
void DecodeDate(int32_t day_number, int* year, int* month, int* day);

// Milliseconds since midnight in *|ms|; false unless hour < 24, minute < 60,
// second < 60 and millisecond < 1000.
bool TryEncodeTime(int hour, int minute, int second, int millisecond, int32_t* ms);

// Splits milliseconds since midnight into its parts (|ms| taken modulo a day).
void DecodeTime(int32_t ms, int* hour, int* minute, int* second, int* millisecond);

// Splits a date-and-time value into its day number and milliseconds of the
// day, after rounding to whole milliseconds. A value whose day does not
// fit 32 bits (NaN and the infinities among them) gives day 0 at midnight,
// the impossible date before day 1.
void SplitDateTime(double value, int32_t* day_number, int32_t* ms);

// Today's day number and the current time of day, in local time.
int32_t CurrentDayNumber();
int32_t CurrentTimeOfDay();
// The current local date and time as a date-and-time value.
double CurrentDateTime();
// The current local calendar year.
int CurrentYear();

}  // namespace tinydb
