#include "FieldJson.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "Base64.h"
#include "Commands.h"
#include "platform/Calendar.h"
#include "platform/Codepage.h"
#include "platform/Errors.h"
#include "storage/Format.h"

namespace tdb {

namespace {

using nlohmann::json;
using nlohmann::ordered_json;
using tinydb::TField;

// Field kinds as this form sees them.
enum class TKind { Text, Integer, Boolean, Float, Date, Time, DateTime, Memo, Binary, None };

TKind KindOf(int type) {
  switch (type) {
    case tinydb::ftString: case tinydb::ftFixedChar: return TKind::Text;
    case tinydb::ftSmallint: case tinydb::ftWord: case tinydb::ftInteger:
    case tinydb::ftAutoInc: case tinydb::ftLargeint: return TKind::Integer;
    case tinydb::ftBoolean: return TKind::Boolean;
    case tinydb::ftFloat: case tinydb::ftCurrency: return TKind::Float;
    case tinydb::ftDate: return TKind::Date;
    case tinydb::ftTime: return TKind::Time;
    case tinydb::ftDateTime: return TKind::DateTime;
    case tinydb::ftMemo: case tinydb::ftFmtMemo: case tinydb::ftOraClob: return TKind::Memo;
    default: return tinydb::IsBlobFieldType(type) ? TKind::Binary : TKind::None;
  }
}

// The range of an integer field type.
void IntegerRange(int type, int64_t* low, int64_t* high) {
  switch (type) {
    case tinydb::ftSmallint: *low = INT16_MIN; *high = INT16_MAX; break;
    case tinydb::ftWord: *low = 0; *high = UINT16_MAX; break;
    case tinydb::ftLargeint: *low = INT64_MIN; *high = INT64_MAX; break;
    default: *low = INT32_MIN; *high = INT32_MAX; break;
  }
}

std::optional<std::string> DateText(int32_t day_number) {
  std::string text = tinydb::DayNumberToText(day_number);
  if (text.empty()) return std::nullopt;
  return text;
}

std::optional<std::string> TimeText(int32_t msecs) {
  if (msecs < 0 || msecs >= tinydb::kMsPerDay) return std::nullopt;
  int hour, minute, second, msec;
  tinydb::DecodeTime(msecs, &hour, &minute, &second, &msec);
  char text[16];
  std::snprintf(text, sizeof text, "%02d:%02d:%02d.%03d", hour, minute, second, msec);
  return std::string(text);
}

std::optional<std::string> DateTimeText(double total_msecs) {
  int32_t day, msecs;
  tinydb::SplitDateTime(total_msecs, &day, &msecs);
  const std::optional<std::string> date = DateText(day);
  const std::optional<std::string> time = TimeText(msecs);
  if (!date || !time) return std::nullopt;
  return *date + "T" + *time;
}

// Reads exactly |digits| decimal digits at |text|[*pos].
bool ReadDigits(const std::string& text, size_t* pos, int digits, int* value) {
  *value = 0;
  for (int i = 0; i < digits; ++i, ++*pos) {
    if (*pos >= text.size() || text[*pos] < '0' || text[*pos] > '9') return false;
    *value = *value * 10 + (text[*pos] - '0');
  }
  return true;
}

bool Expect(const std::string& text, size_t* pos, char c) {
  if (*pos >= text.size() || text[*pos] != c) return false;
  ++*pos;
  return true;
}

// "YYYY-MM-DD" from |*pos|; the day number, or 0.
int32_t ParseDate(const std::string& text, size_t* pos) {
  int year, month, day;
  if (!ReadDigits(text, pos, 4, &year) || !Expect(text, pos, '-') ||
      !ReadDigits(text, pos, 2, &month) || !Expect(text, pos, '-') ||
      !ReadDigits(text, pos, 2, &day))
    return 0;
  int32_t day_number = 0;
  return tinydb::TryEncodeDate(year, month, day, &day_number) ? day_number : 0;
}

// "HH:MM:SS" with an optional ".mmm" from |*pos|; the milliseconds, or -1.
int32_t ParseTime(const std::string& text, size_t* pos) {
  int hour, minute, second, msec = 0;
  if (!ReadDigits(text, pos, 2, &hour) || !Expect(text, pos, ':') ||
      !ReadDigits(text, pos, 2, &minute) || !Expect(text, pos, ':') ||
      !ReadDigits(text, pos, 2, &second))
    return -1;
  if (*pos < text.size() && text[*pos] == '.' && !(++*pos, ReadDigits(text, pos, 3, &msec)))
    return -1;
  int32_t msecs = -1;
  return tinydb::TryEncodeTime(hour, minute, second, msec, &msecs) ? msecs : -1;
}

[[noreturn]] void Refuse(TField& field, const json& value, const std::string& expected) {
  throw tinydb::EDatabaseError("field '" + tinydb::Cp1252ToUtf8(field.Name()) + "' takes " +
                               expected + ", not " + value.dump());
}

template <class T>
std::string BytesOf(T value) {
  std::string bytes(sizeof(T), '\0');
  std::memcpy(bytes.data(), &value, sizeof(T));
  return bytes;
}

template <class T>
T ValueOf(const std::string& bytes) {
  T value{};
  std::memcpy(&value, bytes.data(), std::min(sizeof(T), bytes.size()));
  return value;
}

// The value in the record buffer's form: fixed-width fields as their bytes,
// texts without their NUL padding, blob kinds as the whole value.
std::string ReadNative(TField& field) {
  if (field.IsBlob()) return field.ReadBytes();
  std::string bytes(static_cast<size_t>(field.DataSize()), '\0');
  field.GetData(bytes.data());
  if (KindOf(field.FieldType()) == TKind::Text) bytes.resize(std::strlen(bytes.c_str()));
  return bytes;
}

void WriteNative(TField& field, const std::string& native) {
  if (field.IsBlob()) {
    field.WriteBytes(native);
    return;
  }
  std::string bytes(static_cast<size_t>(field.DataSize()), '\0');
  std::memcpy(bytes.data(), native.data(), std::min(native.size(), bytes.size()));
  field.SetData(bytes.data());
}

// What WriteFieldJson stores for |value|, in the form of ReadNative.
std::string NativeFromJson(TField& field, const json& value) {
  const int type = field.FieldType();
  switch (KindOf(type)) {
    case TKind::Text: {
      if (!value.is_string()) Refuse(field, value, "a text");
      std::string text;
      if (!tinydb::Utf8ToCp1252(value.get<std::string>(), &text))
        Refuse(field, value, "a text in the characters of Windows-1252");
      if (text.find('\0') != std::string::npos) Refuse(field, value, "a text without NUL");
      if (static_cast<int64_t>(text.size()) > field.Size())
        Refuse(field, value, "a text of at most " + std::to_string(field.Size()) + " characters");
      return text;
    }
    case TKind::Integer: {
      int64_t low, high;
      IntegerRange(type, &low, &high);
      const std::string range =
          "a whole number from " + std::to_string(low) + " to " + std::to_string(high);
      if (!value.is_number_integer()) Refuse(field, value, range);
      if (value.is_number_unsigned() && value.get<uint64_t>() > static_cast<uint64_t>(high))
        Refuse(field, value, range);
      const int64_t v = value.get<int64_t>();
      if (v < low || v > high) Refuse(field, value, range);
      switch (type) {
        case tinydb::ftSmallint: return BytesOf(static_cast<int16_t>(v));
        case tinydb::ftWord: return BytesOf(static_cast<uint16_t>(v));
        case tinydb::ftLargeint: return BytesOf(v);
        default: return BytesOf(static_cast<int32_t>(v));
      }
    }
    case TKind::Boolean:
      if (!value.is_boolean()) Refuse(field, value, "true or false");
      return BytesOf(static_cast<int16_t>(value.get<bool>() ? 1 : 0));
    case TKind::Float:
      if (!value.is_number()) Refuse(field, value, "a number");
      return BytesOf(value.get<double>());
    case TKind::Date: {
      if (value.is_null()) return BytesOf(int32_t{0});
      const std::string text = value.is_string() ? value.get<std::string>() : "";
      size_t pos = 0;
      const int32_t day = ParseDate(text, &pos);
      if (day == 0 || pos != text.size()) Refuse(field, value, "a date \"YYYY-MM-DD\"");
      return BytesOf(day);
    }
    case TKind::Time: {
      if (value.is_null()) return BytesOf(int32_t{0});
      const std::string text = value.is_string() ? value.get<std::string>() : "";
      size_t pos = 0;
      const int32_t msecs = ParseTime(text, &pos);
      if (msecs < 0 || pos != text.size()) Refuse(field, value, "a time \"HH:MM:SS.mmm\"");
      return BytesOf(msecs);
    }
    case TKind::DateTime: {
      if (value.is_null()) return BytesOf(0.0);
      const std::string text = value.is_string() ? value.get<std::string>() : "";
      size_t pos = 0;
      const int32_t day = ParseDate(text, &pos);
      const bool separated = Expect(text, &pos, 'T');
      const int32_t msecs = separated ? ParseTime(text, &pos) : -1;
      if (day == 0 || msecs < 0 || pos != text.size())
        Refuse(field, value, "a date-time \"YYYY-MM-DDTHH:MM:SS.mmm\"");
      return BytesOf(static_cast<double>(day) * tinydb::kMsPerDay + msecs);
    }
    case TKind::Memo: {
      if (!value.is_string()) Refuse(field, value, "a text");
      std::string text;
      if (!tinydb::Utf8ToCp1252(value.get<std::string>(), &text))
        Refuse(field, value, "a text in the characters of Windows-1252");
      return text;
    }
    case TKind::Binary: {
      const std::optional<std::string> bytes =
          value.is_string() ? DecodeBase64(value.get<std::string>()) : std::nullopt;
      if (!bytes) Refuse(field, value, "base64 text");
      return *bytes;
    }
    case TKind::None:
      break;
  }
  throw tinydb::EDatabaseError("field '" + tinydb::Cp1252ToUtf8(field.Name()) +
                               "' has a type the tool cannot write");
}

}  // namespace

ordered_json ReadFieldJson(TField& field) {
  const int type = field.FieldType();
  const std::string native = ReadNative(field);
  auto or_null = [](const std::optional<std::string>& text) {
    return text ? ordered_json(*text) : ordered_json();
  };
  switch (KindOf(type)) {
    case TKind::Text:
    case TKind::Memo: return tinydb::Cp1252ToUtf8(native);
    case TKind::Integer:
      switch (type) {
        case tinydb::ftSmallint: return ValueOf<int16_t>(native);
        case tinydb::ftWord: return ValueOf<uint16_t>(native);
        case tinydb::ftLargeint: return ValueOf<int64_t>(native);
        default: return ValueOf<int32_t>(native);
      }
    case TKind::Boolean: return ValueOf<int16_t>(native) != 0;
    case TKind::Float: return ValueOf<double>(native);
    case TKind::Date: return or_null(DateText(ValueOf<int32_t>(native)));
    case TKind::Time: return or_null(TimeText(ValueOf<int32_t>(native)));
    case TKind::DateTime: return or_null(DateTimeText(ValueOf<double>(native)));
    case TKind::Binary: return EncodeBase64(native);
    case TKind::None: break;
  }
  return ordered_json();
}

void WriteFieldJson(TField& field, const json& value) { WriteNative(field, NativeFromJson(field, value)); }

json FieldJsonFromText(TField& field, const std::string& text) {
  switch (KindOf(field.FieldType())) {
    case TKind::Integer:
    case TKind::Boolean:
    case TKind::Float: {
      json value = json::parse(text, nullptr, false);
      return value.is_discarded() ? json(text) : value;
    }
    default:
      return text;
  }
}

TFieldValueMatch::TFieldValueMatch(TField& field, const json& value)
    : field_(field), native_(NativeFromJson(field, value)) {}

bool TFieldValueMatch::Matches() const {
  const std::string held = ReadNative(field_);
  if (KindOf(field_.FieldType()) == TKind::Boolean)  // any non-zero value is true
    return (ValueOf<int16_t>(held) != 0) == (ValueOf<int16_t>(native_) != 0);
  return held == native_;
}

}  // namespace tdb
