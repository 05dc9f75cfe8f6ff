#include "platform/Calendar.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>

namespace tinydb {

namespace {

// Days from 1970-01-01 to the given proleptic Gregorian date (the civil
// calendar algorithm of counting 400-year eras that start on 1 March).
int64_t DaysFromCivil(int64_t y, int m, int d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yoe = y - era * 400;
  const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

void CivilFromDays(int64_t z, int64_t* y, int* m, int* d) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  *d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  *m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  *y = yoe + era * 400 + (*m <= 2);
}

// Day number of 1970-01-01 (day 1 is 0001-01-01).
constexpr int64_t kUnixEpochDay = 719163;

bool IsLeapYear(int year) {
  return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

struct TLocalNow {
  std::tm Tm;
  int Millisecond;
};

TLocalNow LocalNow() {
  auto now = std::chrono::system_clock::now();
  std::time_t seconds = std::chrono::system_clock::to_time_t(now);
  auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
  TLocalNow result{};
  localtime_r(&seconds, &result.Tm);
  result.Millisecond = static_cast<int>(ms < 0 ? ms + 1000 : ms);
  return result;
}

int32_t DayNumberOf(const TLocalNow& now) {
  int32_t day = 0;
  TryEncodeDate(now.Tm.tm_year + 1900, now.Tm.tm_mon + 1, now.Tm.tm_mday, &day);
  return day;
}

int32_t TimeOfDayOf(const TLocalNow& now) {
  int32_t ms = 0;
  // A leap second counts as the last second of its minute.
  TryEncodeTime(now.Tm.tm_hour, now.Tm.tm_min, now.Tm.tm_sec > 59 ? 59 : now.Tm.tm_sec,
                now.Millisecond, &ms);
  return ms;
}

// Reads exactly |digits| decimal digits at |*p|.
bool ReadDigits(const char*& p, int digits, int* value) {
  int v = 0;
  for (int i = 0; i < digits; ++i) {
    if (p[i] < '0' || p[i] > '9') return false;
    v = v * 10 + (p[i] - '0');
  }
  p += digits;
  *value = v;
  return true;
}

bool ParseDate(const char*& p, int32_t* day_number) {
  int y, m, d;
  if (!ReadDigits(p, 4, &y) || *p++ != '-' || !ReadDigits(p, 2, &m) || *p++ != '-' ||
      !ReadDigits(p, 2, &d))
    return false;
  return TryEncodeDate(y, m, d, day_number);
}

bool ParseTime(const char*& p, int32_t* ms) {
  int h, m, s = 0, milli = 0;
  if (!ReadDigits(p, 2, &h) || *p++ != ':' || !ReadDigits(p, 2, &m)) return false;
  if (*p == ':') {
    ++p;
    if (!ReadDigits(p, 2, &s)) return false;
    if (*p == '.') {
      ++p;
      if (!ReadDigits(p, 3, &milli)) return false;
    }
  }
  return TryEncodeTime(h, m, s, milli, ms);
}

std::string Trimmed(const std::string& text) {
  size_t b = text.find_first_not_of(' ');
  if (b == std::string::npos) return "";
  size_t e = text.find_last_not_of(' ');
  return text.substr(b, e - b + 1);
}

// Parses all of |text| (blanks around it allowed) with |parse|; writes
// *|value| only on success.
bool ParseWhole(const std::string& text, bool (*parse)(const char*&, int32_t*), int32_t* value) {
  const std::string t = Trimmed(text);
  const char* p = t.c_str();
  int32_t parsed;
  if (!parse(p, &parsed) || *p != '\0') return false;
  *value = parsed;
  return true;
}

}  // namespace

bool TryEncodeDate(int year, int month, int day, int32_t* day_number) {
  static const int kDaysInMonth[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1) return false;
  int days = kDaysInMonth[month - 1] + (month == 2 && IsLeapYear(year) ? 1 : 0);
  if (day > days) return false;
  *day_number = static_cast<int32_t>(DaysFromCivil(year, month, day) + kUnixEpochDay);
  return true;
}

void DecodeDate(int32_t day_number, int* year, int* month, int* day) {
  int64_t y;
  CivilFromDays(static_cast<int64_t>(day_number) - kUnixEpochDay, &y, month, day);
  *year = static_cast<int>(y);
}

bool TryEncodeTime(int hour, int minute, int second, int millisecond, int32_t* ms) {
  if (hour < 0 || hour >= 24 || minute < 0 || minute >= 60 || second < 0 || second >= 60 ||
      millisecond < 0 || millisecond >= 1000) {
    return false;
  }
  *ms = ((hour * 60 + minute) * 60 + second) * 1000 + millisecond;
  return true;
}

void DecodeTime(int32_t ms, int* hour, int* minute, int* second, int* millisecond) {
  int32_t t = ms % kMsPerDay;
  if (t < 0) t += kMsPerDay;
  *millisecond = t % 1000;
  t /= 1000;
  *second = t % 60;
  t /= 60;
  *minute = t % 60;
  *hour = t / 60;
}

void SplitDateTime(double value, int32_t* day_number, int32_t* ms) {
  const double total = std::round(value);
  const double day = std::floor(total / kMsPerDay);
  // NaN fails both comparisons.
  if (!(day >= INT32_MIN && day <= INT32_MAX)) {
    *day_number = 0;
    *ms = 0;
    return;
  }
  *day_number = static_cast<int32_t>(day);
  *ms = static_cast<int32_t>(total - day * kMsPerDay);
}

std::string DayNumberToText(int32_t day_number) {
  if (day_number < 1) return "";
  int y, m, d;
  DecodeDate(day_number, &y, &m, &d);
  if (y > 9999) return "";
  char text[48];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", y, m, d);
  return text;
}

std::string TimeMSecsToText(int32_t ms) {
  if (ms < 0 || ms >= kMsPerDay) return "";
  int h, m, s, milli;
  DecodeTime(ms, &h, &m, &s, &milli);
  char text[48];
  if (milli != 0)
    std::snprintf(text, sizeof text, "%02d:%02d:%02d.%03d", h, m, s, milli);
  else
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", h, m, s);
  return text;
}

std::string DateTimeToText(double value) {
  int32_t day, ms;
  SplitDateTime(value, &day, &ms);
  std::string date = DayNumberToText(day);
  return date.empty() ? date : date + " " + TimeMSecsToText(ms);
}

bool TextToDayNumber(const std::string& text, int32_t* day_number) {
  return ParseWhole(text, ParseDate, day_number);
}

bool TextToTimeMSecs(const std::string& text, int32_t* ms) {
  return ParseWhole(text, ParseTime, ms);
}

bool TextToDayAndTime(const std::string& text, int32_t* day_number, int32_t* ms) {
  std::string t = Trimmed(text);
  const char* p = t.c_str();
  int32_t day;
  int32_t time = 0;
  if (!ParseDate(p, &day)) return false;
  if (*p == ' ' || *p == 'T') {
    ++p;
    if (!ParseTime(p, &time)) return false;
  }
  if (*p != '\0') return false;
  *day_number = day;
  *ms = time;
  return true;
}

int32_t TodayDayNumber() { return DayNumberOf(LocalNow()); }

int32_t TimeOfDayMSecs() { return TimeOfDayOf(LocalNow()); }

double CurrentDateTime() {
  const TLocalNow now = LocalNow();
  return static_cast<double>(DayNumberOf(now)) * kMsPerDay + TimeOfDayOf(now);
}

int CurrentYear() { return LocalNow().Tm.tm_year + 1900; }

}  // namespace tinydb
