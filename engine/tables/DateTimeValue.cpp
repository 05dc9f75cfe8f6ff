#include "tables/DateTimeValue.h"

#include <cmath>

namespace tinydb {

TTimeStamp DateTimeToTimeStamp(double date_time) {
  double total = std::round(date_time * kMsPerDay);
  TTimeStamp stamp;
  if (!std::isfinite(total) || std::fabs(total) > 9.0e18) return stamp;
  int64_t ms = static_cast<int64_t>(total);
  int64_t days = kDateDelta + ms / kMsPerDay;  // truncates toward zero
  if (days < INT32_MIN || days > INT32_MAX) return stamp;
  stamp.Date = static_cast<int32_t>(days);
  stamp.Time = static_cast<int32_t>((ms < 0 ? -ms : ms) % kMsPerDay);
  return stamp;
}

bool TimeStampToDateTime(const TTimeStamp& stamp, double* date_time) {
  if (stamp.Date < 1 || stamp.Time < 0 || stamp.Time >= kMsPerDay) return false;
  double days = static_cast<double>(stamp.Date) - kDateDelta;
  double fraction = static_cast<double>(stamp.Time) / kMsPerDay;
  // Before 1899-12-30 the fraction counts away from zero as well.
  *date_time = days < 0 ? days - fraction : days + fraction;
  return true;
}

double TimeStampToMSecs(const TTimeStamp& stamp) {
  return static_cast<double>(stamp.Date) * kMsPerDay + stamp.Time;
}

TTimeStamp MSecsToTimeStamp(double msecs) {
  TTimeStamp stamp;
  SplitDateTime(msecs, &stamp.Date, &stamp.Time);
  return stamp;
}

bool TextToTimeStamp(const std::string& text, TTimeStamp* stamp) {
  return TextToDayAndTime(text, &stamp->Date, &stamp->Time);
}

}  // namespace tinydb
