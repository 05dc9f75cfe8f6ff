#include "platform/LocaleSettings.h"

#include <langinfo.h>
#include <locale.h>

#include <charconv>
#include <cstdlib>
#include <mutex>

#include "platform/Calendar.h"
#include "platform/Codepage.h"
#include "platform/Errors.h"

namespace tinydb {

namespace {

std::mutex& SettingsMutex() {
  static std::mutex mutex;
  return mutex;
}

TLocaleSettings& CurrentSettings() {
  static TLocaleSettings settings = EnvironmentLocaleSettings();
  return settings;
}

// The locale name the environment gives |category|, as setlocale(cat, "")
// would choose it.
std::string EnvironmentLocaleName(const char* category_variable) {
  for (const char* name : {"LC_ALL", category_variable, "LANG"}) {
    const char* value = std::getenv(name);
    if (value != nullptr && *value != '\0') return value;
  }
  return "C";
}

bool IsPlainCLocale(const std::string& name) {
  return name == "C" || name == "POSIX" || name.rfind("C.", 0) == 0;
}

// A C library text in Windows-1252 (locales in UTF-8 give UTF-8 texts).
bool ToCp1252(locale_t locale, const char* text, std::string* out) {
  std::string codeset = nl_langinfo_l(CODESET, locale);
  if (codeset == "UTF-8" || codeset == "utf8") return Utf8ToCp1252(text, out);
  *out = text;
  return true;
}

char SingleChar(locale_t locale, const char* text, char fallback) {
  std::string converted;
  if (!ToCp1252(locale, text, &converted) || converted.size() != 1) return fallback;
  return converted[0];
}

// The first character of a C library time format that is not part of a
// conversion ("%H:%M:%S" gives ':').
char FirstLiteral(const std::string& format, char fallback) {
  for (size_t i = 0; i < format.size(); ++i) {
    if (format[i] == '%') {
      ++i;
      while (i < format.size() && (format[i] == 'E' || format[i] == 'O' || format[i] == '-' ||
                                   format[i] == '_' || format[i] == '0' || format[i] == '^')) {
        ++i;
      }
      continue;
    }
    if (format[i] != ' ') return format[i];
  }
  return fallback;
}

bool AsciiSameText(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i] >= 'a' && a[i] <= 'z' ? static_cast<char>(a[i] - 32) : a[i];
    char y = b[i] >= 'a' && b[i] <= 'z' ? static_cast<char>(b[i] - 32) : b[i];
    if (x != y) return false;
  }
  return true;
}

// A reader over one text with the scanning steps of the date and time forms.
class TDateTimeScanner {
 public:
  TDateTimeScanner(std::string_view text, const TDateTimeSyntax& syntax)
      : text_(text), syntax_(syntax) {}

  bool AtEnd() const { return pos_ >= text_.size(); }
  size_t Position() const { return pos_; }
  void Rewind() { pos_ = 0; }

  bool ScanDate(int32_t* day) {
    int n1, n2, n3 = 0, l1, l2, l3 = 0;
    if (!ScanNumber(&n1, &l1) || !ScanChar(syntax_.DateSeparator) || !ScanNumber(&n2, &l2)) {
      return false;
    }
    int year, month, mday, year_digits;
    if (ScanChar(syntax_.DateSeparator)) {
      if (!ScanNumber(&n3, &l3)) return false;
      switch (syntax_.Order) {
        case TDateOrder::MDY: month = n1; mday = n2; year = n3; year_digits = l3; break;
        case TDateOrder::DMY: mday = n1; month = n2; year = n3; year_digits = l3; break;
        default: year = n1; month = n2; mday = n3; year_digits = l1; break;
      }
      if (year_digits <= 2) year = ExpandTwoDigitYear(year);
    } else {
      if (!syntax_.TwoPartDates) return false;
      year = ReferenceYear();
      if (syntax_.Order == TDateOrder::DMY) {
        mday = n1;
        month = n2;
      } else {
        month = n1;
        mday = n2;
      }
    }
    return TryEncodeDate(year, month, mday, day);
  }

  bool ScanTime(int32_t* ms) {
    int base_hour = ScanMarker();
    int hour, minute = 0, second = 0, millisecond = 0, digits;
    if (!ScanNumber(&hour, &digits)) return false;
    if (ScanChar(syntax_.TimeSeparator)) {
      if (!ScanNumber(&minute, &digits)) return false;
      if (ScanChar(syntax_.TimeSeparator)) {
        if (!ScanNumber(&second, &digits)) return false;
        if (ScanChar(syntax_.DecimalSeparator) && !ScanNumber(&millisecond, &digits)) return false;
      }
    }
    if (base_hour < 0) base_hour = ScanMarker();
    if (base_hour >= 0) {
      if (hour == 0 || hour > 12) return false;
      if (hour == 12) hour = 0;
      hour += base_hour;
    }
    ScanBlanks();
    return TryEncodeTime(hour, minute, second, millisecond, ms);
  }

 private:
  void ScanBlanks() {
    while (pos_ < text_.size() && text_[pos_] == ' ') ++pos_;
  }

  // Digits while the value read so far is below 1000; false without any.
  bool ScanNumber(int* value, int* digits) {
    ScanBlanks();
    size_t start = pos_;
    int n = 0;
    while (pos_ < text_.size() && text_[pos_] >= '0' && text_[pos_] <= '9' && n < 1000) {
      n = n * 10 + (text_[pos_] - '0');
      ++pos_;
    }
    if (pos_ == start) return false;
    *value = n;
    *digits = static_cast<int>(pos_ - start);
    return true;
  }

  bool ScanChar(char c) {
    ScanBlanks();
    if (pos_ < text_.size() && text_[pos_] == c) {
      ++pos_;
      return true;
    }
    return false;
  }

  bool ScanString(const std::string& symbol) {
    ScanBlanks();
    if (symbol.empty() || text_.size() - pos_ < symbol.size()) return false;
    if (!AsciiSameText(text_.substr(pos_, symbol.size()), symbol)) return false;
    pos_ += symbol.size();
    return true;
  }

  // 0 after a morning marker, 12 after an afternoon one, -1 without.
  int ScanMarker() {
    if (ScanString(syntax_.TimeAMString) || ScanString("AM")) return 0;
    if (ScanString(syntax_.TimePMString) || ScanString("PM")) return 12;
    return -1;
  }

  int ReferenceYear() const {
    return syntax_.ReferenceYear != 0 ? syntax_.ReferenceYear : CurrentYear();
  }

  int ExpandTwoDigitYear(int year) const {
    int window = syntax_.TwoDigitYearCenturyWindow;
    int base = ReferenceYear() - window;
    year += base / 100 * 100;
    if (window > 0 && year < base) year += 100;
    return year;
  }

  std::string_view text_;
  const TDateTimeSyntax& syntax_;
  size_t pos_ = 0;
};

}  // namespace

TLocaleSettings DefaultLocaleSettings() { return TLocaleSettings(); }

void ShortDateFormatFromPosix(const std::string& d_fmt, std::string* short_date_format,
                              char* date_separator) {
  std::string out;
  for (size_t i = 0; i < d_fmt.size(); ++i) {
    if (d_fmt[i] != '%') {
      out += d_fmt[i];
      continue;
    }
    ++i;
    while (i < d_fmt.size() && (d_fmt[i] == 'E' || d_fmt[i] == 'O' || d_fmt[i] == '-' ||
                                d_fmt[i] == '_' || d_fmt[i] == '0' || d_fmt[i] == '^')) {
      ++i;
    }
    if (i >= d_fmt.size()) break;
    switch (d_fmt[i]) {
      case 'd': out += "dd"; break;
      case 'e': out += "d"; break;
      case 'm': out += "MM"; break;
      case 'y': out += "yy"; break;
      case 'Y': case 'C': out += "yyyy"; break;
      case 'D': out += "MM/dd/yy"; break;
      case 'F': out += "yyyy-MM-dd"; break;
      case '%': out += '%'; break;
      default: break;  // weekday and month names have no short form
    }
  }
  std::string trimmed;
  for (char c : out) {
    if (c != ' ' || !trimmed.empty()) trimmed += c;
  }
  while (!trimmed.empty() && trimmed.back() == ' ') trimmed.pop_back();
  if (trimmed.empty()) trimmed = "M/d/yyyy";
  *short_date_format = trimmed;
  *date_separator = '/';
  for (char c : trimmed) {
    if (c != 'd' && c != 'M' && c != 'y' && c != ' ') {
      *date_separator = c;
      break;
    }
  }
}

TLocaleSettings EnvironmentLocaleSettings() {
  TLocaleSettings settings;
  std::string numeric_name = EnvironmentLocaleName("LC_NUMERIC");
  std::string time_name = EnvironmentLocaleName("LC_TIME");
  if (!IsPlainCLocale(numeric_name)) {
    locale_t locale = newlocale(LC_NUMERIC_MASK, numeric_name.c_str(), static_cast<locale_t>(0));
    if (locale != static_cast<locale_t>(0)) {
      settings.DecimalSeparator = SingleChar(locale, nl_langinfo_l(RADIXCHAR, locale), '.');
      freelocale(locale);
    }
  }
  if (!IsPlainCLocale(time_name)) {
    locale_t locale = newlocale(LC_TIME_MASK | LC_CTYPE_MASK, time_name.c_str(),
                                static_cast<locale_t>(0));
    if (locale != static_cast<locale_t>(0)) {
      ShortDateFormatFromPosix(nl_langinfo_l(D_FMT, locale), &settings.ShortDateFormat,
                               &settings.DateSeparator);
      settings.TimeSeparator = FirstLiteral(nl_langinfo_l(T_FMT, locale), ':');
      std::string am, pm;
      if (ToCp1252(locale, nl_langinfo_l(AM_STR, locale), &am)) settings.TimeAMString = am;
      if (ToCp1252(locale, nl_langinfo_l(PM_STR, locale), &pm)) settings.TimePMString = pm;
      freelocale(locale);
    }
  }
  return settings;
}

TLocaleSettings LocaleSettings() {
  std::lock_guard<std::mutex> lock(SettingsMutex());
  return CurrentSettings();
}

void SetLocaleSettings(const TLocaleSettings& settings) {
  std::lock_guard<std::mutex> lock(SettingsMutex());
  CurrentSettings() = settings;
}

TScopedLocaleSettings::TScopedLocaleSettings(const TLocaleSettings& settings)
    : previous_(LocaleSettings()) {
  SetLocaleSettings(settings);
}

TScopedLocaleSettings::~TScopedLocaleSettings() { SetLocaleSettings(previous_); }

TDateOrder DateOrderOf(const std::string& short_date_format) {
  for (char c : short_date_format) {
    switch (c) {
      case 'd': case 'D': return TDateOrder::DMY;
      case 'm': case 'M': return TDateOrder::MDY;
      case 'y': case 'Y': return TDateOrder::YMD;
      default: break;
    }
  }
  return TDateOrder::MDY;
}

TDateTimeSyntax DateTimeSyntaxOf(const TLocaleSettings& settings) {
  TDateTimeSyntax syntax;
  syntax.Order = DateOrderOf(settings.ShortDateFormat);
  syntax.DateSeparator = settings.DateSeparator;
  syntax.TimeSeparator = settings.TimeSeparator;
  syntax.DecimalSeparator = settings.DecimalSeparator;
  syntax.TimeAMString = settings.TimeAMString;
  syntax.TimePMString = settings.TimePMString;
  syntax.TwoDigitYearCenturyWindow = settings.TwoDigitYearCenturyWindow;
  return syntax;
}

bool TryTextToDate(std::string_view text, const TDateTimeSyntax& syntax, int32_t* day) {
  TDateTimeScanner scanner(text, syntax);
  int32_t value;
  if (!scanner.ScanDate(&value) || !scanner.AtEnd()) return false;
  *day = value;
  return true;
}

bool TryTextToTime(std::string_view text, const TDateTimeSyntax& syntax, int32_t* ms) {
  TDateTimeScanner scanner(text, syntax);
  int32_t value;
  if (!scanner.ScanTime(&value) || !scanner.AtEnd()) return false;
  *ms = value;
  return true;
}

bool TryTextToDateTime(std::string_view text, const TDateTimeSyntax& syntax, double* value) {
  TDateTimeScanner scanner(text, syntax);
  int32_t day;
  int32_t ms = 0;
  if (scanner.ScanDate(&day) && (scanner.AtEnd() || scanner.ScanTime(&ms))) {
    *value = static_cast<double>(day) * kMsPerDay + ms;
    return true;
  }
  if (!TryTextToTime(text, syntax, &ms)) return false;
  *value = static_cast<double>(kDateDelta) * kMsPerDay + ms;
  return true;
}

int32_t StrToDate(const std::string& text) {
  int32_t day;
  if (!TryTextToDate(text, DateTimeSyntaxOf(LocaleSettings()), &day)) {
    throw EConvertError(FormatMessage("'%s' is not a valid date", text));
  }
  return day;
}

int32_t StrToTime(const std::string& text) {
  int32_t ms;
  if (!TryTextToTime(text, DateTimeSyntaxOf(LocaleSettings()), &ms)) {
    throw EConvertError(FormatMessage("'%s' is not a valid time", text));
  }
  return ms;
}

double StrToDateTime(const std::string& text) {
  double value;
  if (!TryTextToDateTime(text, DateTimeSyntaxOf(LocaleSettings()), &value)) {
    throw EConvertError(FormatMessage("'%s' is not a valid date and time", text));
  }
  return value;
}

bool TryTextToFloat(std::string_view text, char decimal_separator, double* value) {
  size_t i = 0;
  size_t n = text.size();
  while (i < n && text[i] == ' ') ++i;
  while (n > i && text[n - 1] == ' ') --n;
  std::string plain;  // the number with '.' as its separator, for from_chars
  if (i < n && (text[i] == '+' || text[i] == '-')) {
    if (text[i] == '-') plain += '-';
    ++i;
  }
  int mantissa_digits = 0;
  while (i < n && text[i] >= '0' && text[i] <= '9') {
    plain += text[i++];
    ++mantissa_digits;
  }
  if (i < n && text[i] == decimal_separator) {
    plain += '.';
    ++i;
    while (i < n && text[i] >= '0' && text[i] <= '9') {
      plain += text[i++];
      ++mantissa_digits;
    }
  }
  if (mantissa_digits == 0) return false;
  if (i < n && (text[i] == 'E' || text[i] == 'e')) {
    plain += 'e';
    ++i;
    if (i < n && (text[i] == '+' || text[i] == '-')) plain += text[i++];
    int exponent_digits = 0;
    while (i < n && text[i] >= '0' && text[i] <= '9') {
      plain += text[i++];
      ++exponent_digits;
    }
    if (exponent_digits == 0) return false;
  }
  if (i != n) return false;
  double result;
  auto [end, error] = std::from_chars(plain.data(), plain.data() + plain.size(), result);
  if (error != std::errc() || end != plain.data() + plain.size()) return false;
  *value = result;
  return true;
}

}  // namespace tinydb
