// The user's number and date conventions (decimal separator, short date
// format, separators, the two-digit-year window, morning and afternoon
// strings) and the text conversions that follow them. The settings are read
// once from the C library's locale of the environment; tests replace them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tinydb {

// Number and date conventions. Texts are Windows-1252.
struct TLocaleSettings {
  char DecimalSeparator = '.';
  // Short date pattern: "d"/"dd" day, "M"/"MM" month, "yy"/"yyyy" year.
  std::string ShortDateFormat = "M/d/yyyy";
  char DateSeparator = '/';
  char TimeSeparator = ':';
  // A one- or two-digit year falls within the century that starts this many
  // years before the current year (0: the current century).
  int TwoDigitYearCenturyWindow = 50;
  std::string TimeAMString = "AM";
  std::string TimePMString = "PM";
};

// The settings of the "C" locale (the defaults above).
TLocaleSettings DefaultLocaleSettings();

// The settings of the environment's locale (LC_ALL, LC_NUMERIC, LC_TIME,
// LANG); the defaults for "C", "POSIX" or a locale the C library lacks.
TLocaleSettings EnvironmentLocaleSettings();

// The process-wide current settings (a copy); the environment's settings
// until SetLocaleSettings replaces them. Thread-safe.
TLocaleSettings LocaleSettings();

// Replaces the process-wide current settings. Thread-safe.
void SetLocaleSettings(const TLocaleSettings& settings);

// Puts other settings in force for its lifetime (tests).
class TScopedLocaleSettings {
 public:
  explicit TScopedLocaleSettings(const TLocaleSettings& settings);
  ~TScopedLocaleSettings();
  TScopedLocaleSettings(const TScopedLocaleSettings&) = delete;
  TScopedLocaleSettings& operator=(const TScopedLocaleSettings&) = delete;

 private:
  TLocaleSettings previous_;
};

// The short date pattern and date separator equivalent to a C library date
// format such as "%d.%m.%Y" (gives "dd.MM.yyyy" and '.').
void ShortDateFormatFromPosix(const std::string& d_fmt, std::string* short_date_format,
                              char* date_separator);

// ---- Text to number, date and time ----

// Order of month, day and year in a short date pattern: the first of the
// letters d, M and y that it names.
enum class TDateOrder { MDY, DMY, YMD };
TDateOrder DateOrderOf(const std::string& short_date_format);

// How a text is read as a date or time.
//   date: number sep number [sep number], in |Order|; with two numbers (only
//     when |TwoPartDates|) the year is the current one. A year of one or two
//     digits is placed by the two-digit-year window.
//   time: [marker] hours [: minutes [: seconds [decimal ms]]] [marker]
//     blanks; a marker (|TimeAMString|, |TimePMString|, "AM" or "PM",
//     ignoring case) needs hours 1 to 12.
// Blanks may stand before every number, separator and marker.
struct TDateTimeSyntax {
  TDateOrder Order = TDateOrder::MDY;
  char DateSeparator = '/';
  char TimeSeparator = ':';
  char DecimalSeparator = '.';
  std::string TimeAMString = "AM";
  std::string TimePMString = "PM";
  int TwoDigitYearCenturyWindow = 50;
  bool TwoPartDates = true;
  int ReferenceYear = 0;  // the "current" year; 0 = the real one
};

// The syntax of the platform's conversions under |settings|.
TDateTimeSyntax DateTimeSyntaxOf(const TLocaleSettings& settings);

// Reads the whole |text| as a date: the day number in *|day|.
bool TryTextToDate(std::string_view text, const TDateTimeSyntax& syntax, int32_t* day);
// Reads the whole |text| as a time of day: milliseconds in *|ms|.
bool TryTextToTime(std::string_view text, const TDateTimeSyntax& syntax, int32_t* ms);
// Reads |text| as a date optionally followed by a time (text after the time
// is not examined), or as a time alone that uses up the text: the value in
// *|value| as day * 86 400 000 + milliseconds; a time alone falls on
// 30 December 1899 (kDateDelta), the platform's day zero.
bool TryTextToDateTime(std::string_view text, const TDateTimeSyntax& syntax, double* value);

// The platform's conversions under the current settings. Raise EConvertError
// "'%s' is not a valid date" / "... time" / "... date and time".
int32_t StrToDate(const std::string& text);
int32_t StrToTime(const std::string& text);
double StrToDateTime(const std::string& text);

// Reads the whole |text| as a decimal number with |decimal_separator|:
// [sign] digits [separator digits] [E [sign] digits], blanks around it
// allowed. False for anything else, and for values beyond a double.
bool TryTextToFloat(std::string_view text, char decimal_separator, double* value);

}  // namespace tinydb
