// The calendar: day numbers of the proleptic Gregorian calendar (day 1 is
// 0001-01-01), times of day in milliseconds, date-and-time values, and
// their text forms, at the edges of each range.
#include "platform/Calendar.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace tinydb {
namespace {

struct TDateCase {
  int Year, Month, Day;
  int32_t DayNumber;
  const char* Text;
};

// Checked against an independent count of days (Python's date ordinals use
// the same day 1).
const TDateCase kDates[] = {
    {1, 1, 1, 1, "0001-01-01"},
    {1, 12, 31, 365, "0001-12-31"},
    {4, 2, 29, 1155, "0004-02-29"},
    {1899, 12, 30, kDateDelta, "1899-12-30"},
    {1900, 2, 28, 693654, "1900-02-28"},
    {1900, 3, 1, 693655, "1900-03-01"},  // 1900 has no 29 February
    {1970, 1, 1, 719163, "1970-01-01"},
    {2000, 2, 29, 730179, "2000-02-29"},
    {2004, 2, 29, 731640, "2004-02-29"},
    {9999, 12, 31, 3652059, "9999-12-31"},
};

TEST(CalendarTest, DatesAndTheirDayNumbersAndTexts) {
  for (const TDateCase& c : kDates) {
    SCOPED_TRACE(c.Text);
    int32_t day_number = -1;
    ASSERT_TRUE(TryEncodeDate(c.Year, c.Month, c.Day, &day_number));
    EXPECT_EQ(day_number, c.DayNumber);
    int y, m, d;
    DecodeDate(c.DayNumber, &y, &m, &d);
    EXPECT_EQ((std::vector<int>{y, m, d}), (std::vector<int>{c.Year, c.Month, c.Day}));
    EXPECT_EQ(DayNumberToText(c.DayNumber), c.Text);
    int32_t parsed = -1;
    EXPECT_TRUE(TextToDayNumber(std::string(" ") + c.Text + " ", &parsed));
    EXPECT_EQ(parsed, c.DayNumber);
  }
}

TEST(CalendarTest, DaysThatDoNotExistAreRefused) {
  struct TCase {
    int Year, Month, Day;
  };
  for (const TCase& c : {TCase{1900, 2, 29}, TCase{2100, 2, 29}, TCase{2003, 2, 29},
                         TCase{2003, 4, 31}, TCase{2003, 13, 1}, TCase{2003, 0, 1},
                         TCase{2003, 1, 0}, TCase{0, 12, 31}, TCase{10000, 1, 1}}) {
    SCOPED_TRACE(std::to_string(c.Year) + "-" + std::to_string(c.Month) + "-" +
                 std::to_string(c.Day));
    int32_t day_number = 12345;
    EXPECT_FALSE(TryEncodeDate(c.Year, c.Month, c.Day, &day_number));
    EXPECT_EQ(day_number, 12345);  // untouched
  }
  int32_t day_number = 12345;
  for (const char* text : {"1900-02-29", "2003-1-01", "2003-01-01x", "01/01/2003", ""})
    EXPECT_FALSE(TextToDayNumber(text, &day_number)) << text;
  EXPECT_EQ(day_number, 12345);
}

// Day numbers before day 1 still decode (proleptic years 0 and before,
// year 0 a leap year) but have no text form; nor do days after 9999.
TEST(CalendarTest, DayNumbersOutsideYearsOneTo9999) {
  struct TCase {
    int32_t DayNumber;
    int Year, Month, Day;
  };
  for (const TCase& c : {TCase{0, 0, 12, 31}, TCase{-305, 0, 3, 1}, TCase{-306, 0, 2, 29},
                         TCase{-365, 0, 1, 1}, TCase{-366, -1, 12, 31},
                         TCase{3652060, 10000, 1, 1}}) {
    SCOPED_TRACE(c.DayNumber);
    int y, m, d;
    DecodeDate(c.DayNumber, &y, &m, &d);
    EXPECT_EQ((std::vector<int>{y, m, d}), (std::vector<int>{c.Year, c.Month, c.Day}));
    EXPECT_EQ(DayNumberToText(c.DayNumber), "");
  }
  int y, m, d;
  DecodeDate(INT32_MIN, &y, &m, &d);  // the far ends decode without overflow
  EXPECT_LT(y, -5000000);
  DecodeDate(INT32_MAX, &y, &m, &d);
  EXPECT_GT(y, 5000000);
}

TEST(CalendarTest, TimesOfDayAndTheirTexts) {
  struct TCase {
    int Hour, Minute, Second, Millisecond;
    int32_t Ms;
    const char* Text;
  };
  for (const TCase& c : {TCase{0, 0, 0, 0, 0, "00:00:00"}, TCase{0, 0, 0, 1, 1, "00:00:00.001"},
                         TCase{12, 30, 15, 0, 45015000, "12:30:15"},
                         TCase{23, 59, 59, 999, kMsPerDay - 1, "23:59:59.999"}}) {
    SCOPED_TRACE(c.Text);
    int32_t ms = -1;
    ASSERT_TRUE(TryEncodeTime(c.Hour, c.Minute, c.Second, c.Millisecond, &ms));
    EXPECT_EQ(ms, c.Ms);
    int h, m, s, milli;
    DecodeTime(c.Ms, &h, &m, &s, &milli);
    EXPECT_EQ((std::vector<int>{h, m, s, milli}),
              (std::vector<int>{c.Hour, c.Minute, c.Second, c.Millisecond}));
    EXPECT_EQ(TimeMSecsToText(c.Ms), c.Text);
    int32_t parsed = -1;
    EXPECT_TRUE(TextToTimeMSecs(c.Text, &parsed));
    EXPECT_EQ(parsed, c.Ms);
  }
  int32_t ms = 7;
  EXPECT_FALSE(TryEncodeTime(24, 0, 0, 0, &ms));
  EXPECT_FALSE(TryEncodeTime(23, 60, 0, 0, &ms));
  EXPECT_FALSE(TryEncodeTime(23, 59, 60, 0, &ms));
  EXPECT_FALSE(TryEncodeTime(23, 59, 59, 1000, &ms));
  EXPECT_FALSE(TryEncodeTime(-1, 0, 0, 0, &ms));
  for (const char* text : {"24:00", "23:60", "23:59:60", "23:59:59.9999", "7:00", "23:59:59."})
    EXPECT_FALSE(TextToTimeMSecs(text, &ms)) << text;
  EXPECT_EQ(ms, 7);
  ASSERT_TRUE(TextToTimeMSecs("23:59", &ms));  // seconds may be left out
  EXPECT_EQ(ms, kMsPerDay - 60000);
  // Outside one day: no text; the parts are taken modulo a day.
  EXPECT_EQ(TimeMSecsToText(kMsPerDay), "");
  EXPECT_EQ(TimeMSecsToText(-1), "");
  int h, m, s, milli;
  DecodeTime(-1, &h, &m, &s, &milli);
  EXPECT_EQ((std::vector<int>{h, m, s, milli}), (std::vector<int>{23, 59, 59, 999}));
}

TEST(CalendarTest, DateAndTimeValuesSplitAtMidnight) {
  struct TCase {
    double Value;
    int32_t DayNumber, Ms;
    const char* Text;
  };
  const double delta = static_cast<double>(kDateDelta) * kMsPerDay;
  const double last = 3652059.0 * kMsPerDay + kMsPerDay - 1;
  for (const TCase& c : {
           TCase{delta, kDateDelta, 0, "1899-12-30 00:00:00"},
           TCase{delta + kMsPerDay - 1, kDateDelta, kMsPerDay - 1, "1899-12-30 23:59:59.999"},
           TCase{delta + kMsPerDay - 0.5, kDateDelta + 1, 0, "1899-12-31 00:00:00"},  // rounds up
           TCase{1.0 * kMsPerDay, 1, 0, "0001-01-01 00:00:00"},
           TCase{1.0 * kMsPerDay - 1, 0, kMsPerDay - 1, ""},  // day 0
           TCase{-1, -1, kMsPerDay - 1, ""},
           TCase{last, 3652059, kMsPerDay - 1, "9999-12-31 23:59:59.999"},
           TCase{last + 1, 3652060, 0, ""},
           TCase{std::nan(""), 0, 0, ""},
           TCase{-HUGE_VAL, 0, 0, ""},
       }) {
    SCOPED_TRACE(c.Value);
    int32_t day = -7, ms = -7;
    SplitDateTime(c.Value, &day, &ms);
    EXPECT_EQ(day, c.DayNumber);
    EXPECT_EQ(ms, c.Ms);
    EXPECT_EQ(DateTimeToText(c.Value), c.Text);
  }
  int32_t day = 0, ms = -1;
  ASSERT_TRUE(TextToDayAndTime("9999-12-31T23:59:59.999", &day, &ms));
  EXPECT_EQ(day, 3652059);
  EXPECT_EQ(ms, kMsPerDay - 1);
  ASSERT_TRUE(TextToDayAndTime("1900-03-01", &day, &ms));  // a date alone: midnight
  EXPECT_EQ(day, 693655);
  EXPECT_EQ(ms, 0);
  for (const char* text : {"1900-02-29 10:00", "1900-03-01 24:00", "1900-03-01x", "10:00"})
    EXPECT_FALSE(TextToDayAndTime(text, &day, &ms)) << text;
}

}  // namespace
}  // namespace tinydb
