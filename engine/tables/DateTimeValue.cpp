#include "tables/DateTimeValue.h"

#include <cmath>
#include <cstdio>
#include <ctime>

namespace tinydb {

namespace {

// Day number of 1 January 1970, where the civil-day arithmetic counts from.
constexpr int64_t kUnixEpochDayNumber = 719163;

int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

void CivilFromDays(int64_t z, int* year, int* month, int* day) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t y = static_cast<int64_t>(yoe) + era * 400;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  const unsigned d = doy - (153 * mp + 2) / 5 + 1;
  const unsigned m = mp < 10 ? mp + 3 : mp - 9;
  *year = static_cast<int>(y + (m <= 2));
  *month = static_cast<int>(m);
  *day = static_cast<int>(d);
}

bool IsLeapYear(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int DaysInMonth(int y, int m) {
  static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && IsLeapYear(y) ? 29 : kDays[m - 1];
}

std::tm LocalNow() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return local;
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
  *day_number = EncodeDayNumber(y, m, d);
  return *day_number != 0;
}

bool ParseTime(const char*& p, int32_t* msecs) {
  int h, m, s = 0, ms = 0;
  if (!ReadDigits(p, 2, &h) || *p++ != ':' || !ReadDigits(p, 2, &m)) return false;
  if (*p == ':') {
    ++p;
    if (!ReadDigits(p, 2, &s)) return false;
    if (*p == '.') {
      ++p;
      if (!ReadDigits(p, 3, &ms)) return false;
    }
  }
  if (h > 23 || m > 59 || s > 59) return false;
  *msecs = ((h * 60 + m) * 60 + s) * 1000 + ms;
  return true;
}

std::string Trimmed(const std::string& text) {
  size_t b = text.find_first_not_of(' ');
  if (b == std::string::npos) return "";
  size_t e = text.find_last_not_of(' ');
  return text.substr(b, e - b + 1);
}

}  // namespace

TTimeStamp DateTimeToTimeStamp(double date_time) {
  double total = std::round(date_time * kMSecsPerDay);
  TTimeStamp stamp;
  if (!std::isfinite(total) || std::fabs(total) > 9.0e18) return stamp;
  int64_t ms = static_cast<int64_t>(total);
  int64_t days = kDateDelta + ms / kMSecsPerDay;  // truncates toward zero
  if (days < INT32_MIN || days > INT32_MAX) return stamp;
  stamp.Date = static_cast<int32_t>(days);
  stamp.Time = static_cast<int32_t>((ms < 0 ? -ms : ms) % kMSecsPerDay);
  return stamp;
}

bool TimeStampToDateTime(const TTimeStamp& stamp, double* date_time) {
  if (stamp.Date < 1 || stamp.Time < 0 || stamp.Time >= kMSecsPerDay) return false;
  double days = static_cast<double>(stamp.Date) - kDateDelta;
  double fraction = static_cast<double>(stamp.Time) / kMSecsPerDay;
  // Before 1899-12-30 the fraction counts away from zero as well.
  *date_time = days < 0 ? days - fraction : days + fraction;
  return true;
}

double TimeStampToMSecs(const TTimeStamp& stamp) {
  return static_cast<double>(stamp.Date) * kMSecsPerDay + stamp.Time;
}

TTimeStamp MSecsToTimeStamp(double msecs) {
  TTimeStamp stamp;
  double total = std::round(msecs);
  if (!std::isfinite(total) || std::fabs(total) > 9.0e18) return stamp;
  int64_t ms = static_cast<int64_t>(total);
  int64_t days = ms / kMSecsPerDay;
  if (days < INT32_MIN || days > INT32_MAX) return stamp;
  stamp.Date = static_cast<int32_t>(days);
  stamp.Time = static_cast<int32_t>(ms % kMSecsPerDay);
  return stamp;
}

int32_t TodayDayNumber() {
  std::tm now = LocalNow();
  return EncodeDayNumber(now.tm_year + 1900, now.tm_mon + 1, now.tm_mday);
}

int32_t TimeOfDayMSecs() {
  std::timespec ts{};
  std::timespec_get(&ts, TIME_UTC);
  std::tm local{};
  localtime_r(&ts.tv_sec, &local);
  int sec = local.tm_sec > 59 ? 59 : local.tm_sec;  // leap second
  return ((local.tm_hour * 60 + local.tm_min) * 60 + sec) * 1000 +
         static_cast<int32_t>(ts.tv_nsec / 1000000);
}

int32_t EncodeDayNumber(int year, int month, int day) {
  if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 ||
      day > DaysInMonth(year, month))
    return 0;
  return static_cast<int32_t>(
      DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) +
      kUnixEpochDayNumber);
}

void DecodeDayNumber(int32_t day_number, int* year, int* month, int* day) {
  CivilFromDays(static_cast<int64_t>(day_number) - kUnixEpochDayNumber, year, month, day);
}

std::string DayNumberToText(int32_t day_number) {
  if (day_number < 1) return "";
  int y, m, d;
  DecodeDayNumber(day_number, &y, &m, &d);
  if (y > 9999) return "";
  char text[48];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", y, m, d);
  return text;
}

std::string TimeMSecsToText(int32_t msecs) {
  if (msecs < 0 || msecs >= kMSecsPerDay) return "";
  int ms = msecs % 1000;
  int s = msecs / 1000;
  char text[48];
  if (ms != 0)
    std::snprintf(text, sizeof text, "%02d:%02d:%02d.%03d", s / 3600, s / 60 % 60, s % 60, ms);
  else
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", s / 3600, s / 60 % 60, s % 60);
  return text;
}

bool TextToDayNumber(const std::string& text, int32_t* day_number) {
  std::string t = Trimmed(text);
  const char* p = t.c_str();
  return ParseDate(p, day_number) && *p == '\0';
}

bool TextToTimeMSecs(const std::string& text, int32_t* msecs) {
  std::string t = Trimmed(text);
  const char* p = t.c_str();
  return ParseTime(p, msecs) && *p == '\0';
}

bool TextToTimeStamp(const std::string& text, TTimeStamp* stamp) {
  std::string t = Trimmed(text);
  const char* p = t.c_str();
  TTimeStamp result;
  if (!ParseDate(p, &result.Date)) return false;
  if (*p == ' ' || *p == 'T') {
    ++p;
    if (!ParseTime(p, &result.Time)) return false;
  }
  if (*p != '\0') return false;
  *stamp = result;
  return true;
}

}  // namespace tinydb
