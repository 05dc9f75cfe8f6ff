#include "tables/Fields.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>

#include "platform/Errors.h"
#include "tables/DataSet.h"
#include "tables/DateTimeValue.h"

namespace tinydb {

namespace {

// Fills the "%s" / "%d" placeholders of |pattern| in order.
std::string FormatArgs(const std::string& pattern, const std::vector<std::string>& args) {
  std::string out;
  size_t next = 0;
  for (size_t i = 0; i < pattern.size(); ++i) {
    if (pattern[i] == '%' && i + 1 < pattern.size() &&
        (pattern[i + 1] == 's' || pattern[i + 1] == 'd') && next < args.size()) {
      out += args[next++];
      ++i;
    } else {
      out += pattern[i];
    }
  }
  return out;
}

std::string Trim(const std::string& text) {
  size_t b = text.find_first_not_of(" \t");
  if (b == std::string::npos) return "";
  size_t e = text.find_last_not_of(" \t");
  return text.substr(b, e - b + 1);
}

// Decimal text (blanks around it allowed, an optional sign) to int64.
bool ParseInteger(const std::string& text, int64_t* value) {
  std::string t = Trim(text);
  if (t.empty()) return false;
  size_t i = 0;
  bool negative = false;
  if (t[0] == '+' || t[0] == '-') {
    negative = t[0] == '-';
    i = 1;
  }
  if (i == t.size()) return false;
  uint64_t magnitude = 0;
  const uint64_t limit = negative ? uint64_t{1} << 63 : (uint64_t{1} << 63) - 1;
  for (; i < t.size(); ++i) {
    if (t[i] < '0' || t[i] > '9') return false;
    uint64_t digit = static_cast<uint64_t>(t[i] - '0');
    if (magnitude > (limit - digit) / 10) return false;
    magnitude = magnitude * 10 + digit;
  }
  *value = negative ? static_cast<int64_t>(0 - magnitude) : static_cast<int64_t>(magnitude);
  return true;
}

bool ParseFloat(const std::string& text, double* value) {
  std::string t = Trim(text);
  if (t.empty()) return false;
  errno = 0;
  char* end = nullptr;
  double v = std::strtod(t.c_str(), &end);
  if (end != t.c_str() + t.size() || errno == ERANGE || !std::isfinite(v)) return false;
  *value = v;
  return true;
}

// A leading part (at least one character) of |word|, ignoring case.
bool IsLeadingPartOf(const std::string& text, const char* word) {
  size_t n = std::strlen(word);
  if (text.empty() || text.size() > n) return false;
  for (size_t i = 0; i < text.size(); ++i) {
    unsigned char a = static_cast<unsigned char>(text[i]);
    unsigned char b = static_cast<unsigned char>(word[i]);
    if (std::tolower(a) != std::tolower(b)) return false;
  }
  return true;
}

std::string FloatToText(double value) {
  char text[40];
  std::snprintf(text, sizeof text, "%.15g", value);
  return text;
}


}  // namespace

int RecordBufferWidth(int field_type, int size) {
  if (IsBlobFieldType(field_type)) return 4;
  return StoredFieldWidth(field_type, size);
}

TField::TField(TTDEDataSet* dataset, const std::string& name, int field_type, int size,
               bool calculated)
    : dataset_(dataset), name_(name), field_type_(field_type), size_(size),
      calculated_(calculated) {
  data_size_ = RecordBufferWidth(field_type, size);
}

bool TField::IsBlob() const { return IsBlobFieldType(field_type_); }

bool TField::IsIntegerKind() const {
  switch (field_type_) {
    case ftSmallint: case ftInteger: case ftWord: case ftAutoInc: case ftLargeint:
      return true;
    default:
      return false;
  }
}

bool TField::IsStringKind() const {
  return field_type_ == ftString || field_type_ == ftFixedChar || field_type_ == ftWideString;
}

bool TField::IsDateKind() const {
  return field_type_ == ftDate || field_type_ == ftTime || field_type_ == ftDateTime;
}

void TField::AccessError(const char* type_name) const {
  if (IsBlob()) throw EDatabaseError(kGeneralError);
  throw EDatabaseError(
      FormatArgs("Cannot access field '%s' as type %s", {name_, type_name}));
}

void TField::RangeError(int64_t value, int64_t low, int64_t high) const {
  throw EDatabaseError(
      FormatArgs("%d is not a valid value for field '%s'. The allowed range is %d to %d",
                 {std::to_string(value), name_, std::to_string(low), std::to_string(high)}));
}

// ---- Raw access ----

bool TField::GetData(void* dest) {
  if (IsBlob()) throw EDatabaseError(kGeneralError);
  return dataset_->GetFieldData(this, dest);
}

void TField::SetData(const void* source) {
  if (IsBlob()) throw EDatabaseError(kGeneralError);
  dataset_->SetFieldData(this, source);
}

bool TField::IsNull() {
  if (IsBlob()) return dataset_->FieldBlobStream(this) == nullptr;
  std::vector<uint8_t> bytes(static_cast<size_t>(data_size_));
  return !dataset_->GetFieldData(this, bytes.data());
}

void TField::SetNull() {
  if (IsBlob()) return;
  dataset_->SetFieldData(this, nullptr);
}

// ---- Numbers ----

bool TField::ReadNumber(int64_t* integer, double* real, bool* is_real) {
  uint8_t bytes[8] = {};
  if (!GetData(bytes)) return false;
  *is_real = false;
  switch (field_type_) {
    case ftSmallint: *integer = static_cast<int16_t>(DecodeFixed16(bytes)); break;
    case ftWord: *integer = DecodeFixed16(bytes); break;
    case ftBoolean: *integer = DecodeFixed16(bytes) != 0 ? 1 : 0; break;
    case ftInteger: case ftAutoInc: *integer = DecodeInt32(bytes); break;
    case ftLargeint: *integer = static_cast<int64_t>(DecodeFixed64(bytes)); break;
    case ftFloat: case ftCurrency: {
      uint64_t raw = DecodeFixed64(bytes);
      std::memcpy(real, &raw, 8);
      *is_real = true;
      break;
    }
    default:
      return false;
  }
  return true;
}

int64_t TField::ReadLargeint() {
  if (IsStringKind()) {
    std::string text = ReadText();
    if (text.empty()) return 0;
    int64_t v;
    if (!ParseInteger(text, &v))
      throw EConvertError(FormatMessage("'%s' is not a valid integer value", text));
    return v;
  }
  if (!IsIntegerKind() && field_type_ != ftBoolean && field_type_ != ftFloat &&
      field_type_ != ftCurrency)
    AccessError("Integer");
  int64_t integer = 0;
  double real = 0;
  bool is_real = false;
  if (!ReadNumber(&integer, &real, &is_real)) return 0;
  if (!is_real) return integer;
  if (!(std::fabs(real) < 9.2e18)) throw EConvertError("Invalid floating point operation");
  return std::llround(real);
}

int32_t TField::ReadInteger() {
  int64_t v = ReadLargeint();
  if (v < std::numeric_limits<int32_t>::min() || v > std::numeric_limits<int32_t>::max())
    RangeError(v, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max());
  return static_cast<int32_t>(v);
}

void TField::WriteLargeint(int64_t value) {
  uint8_t bytes[8] = {};
  switch (field_type_) {
    case ftSmallint:
      if (value < -32768 || value > 32767) RangeError(value, -32768, 32767);
      EncodeFixed16(bytes, static_cast<uint16_t>(static_cast<int16_t>(value)));
      break;
    case ftWord:
      if (value < 0 || value > 65535) RangeError(value, 0, 65535);
      EncodeFixed16(bytes, static_cast<uint16_t>(value));
      break;
    case ftInteger: case ftAutoInc:
      if (value < std::numeric_limits<int32_t>::min() ||
          value > std::numeric_limits<int32_t>::max())
        RangeError(value, std::numeric_limits<int32_t>::min(),
                   std::numeric_limits<int32_t>::max());
      EncodeInt32(bytes, static_cast<int32_t>(value));
      break;
    case ftLargeint:
      EncodeFixed64(bytes, static_cast<uint64_t>(value));
      break;
    case ftBoolean:
      WriteBoolean(value != 0);
      return;
    case ftFloat: case ftCurrency:
      WriteFloat(static_cast<double>(value));
      return;
    default:
      if (IsStringKind()) {
        WriteText(std::to_string(value));
        return;
      }
      AccessError("Integer");
  }
  SetData(bytes);
}

void TField::WriteInteger(int32_t value) { WriteLargeint(value); }

bool TField::ReadBoolean() {
  if (IsStringKind()) {
    std::string text = ReadText();
    if (text.empty()) return false;
    if (IsLeadingPartOf(text, "True")) return true;
    if (IsLeadingPartOf(text, "False")) return false;
    throw EConvertError(FormatMessage("'%s' is not a valid boolean value", text));
  }
  if (field_type_ != ftBoolean && !IsIntegerKind()) AccessError("Boolean");
  int64_t integer = 0;
  double real = 0;
  bool is_real = false;
  if (!ReadNumber(&integer, &real, &is_real)) return false;
  return integer != 0;
}

void TField::WriteBoolean(bool value) {
  if (field_type_ == ftBoolean) {
    uint8_t bytes[2];
    EncodeFixed16(bytes, value ? 1 : 0);
    SetData(bytes);
  } else if (IsIntegerKind()) {
    WriteLargeint(value ? 1 : 0);
  } else if (IsStringKind()) {
    WriteText(value ? "True" : "False");
  } else {
    AccessError("Boolean");
  }
}

double TField::ReadFloat() {
  if (IsDateKind()) return ReadDateTime();
  if (IsStringKind()) {
    std::string text = ReadText();
    if (text.empty()) return 0;
    double v;
    if (!ParseFloat(text, &v))
      throw EConvertError(FormatMessage("'%s' is not a valid floating point value", text));
    return v;
  }
  if (!IsIntegerKind() && field_type_ != ftFloat && field_type_ != ftCurrency &&
      field_type_ != ftBoolean)
    AccessError("Float");
  int64_t integer = 0;
  double real = 0;
  bool is_real = false;
  if (!ReadNumber(&integer, &real, &is_real)) return 0;
  return is_real ? real : static_cast<double>(integer);
}

void TField::WriteFloat(double value) {
  if (field_type_ == ftFloat || field_type_ == ftCurrency) {
    uint8_t bytes[8];
    uint64_t raw;
    std::memcpy(&raw, &value, 8);
    EncodeFixed64(bytes, raw);
    SetData(bytes);
  } else if (IsDateKind()) {
    WriteDateTime(value);
  } else if (IsIntegerKind()) {
    if (!(std::fabs(value) < 9.2e18)) throw EConvertError("Invalid floating point operation");
    WriteLargeint(std::llround(value));
  } else if (IsStringKind()) {
    WriteText(FloatToText(value));
  } else {
    AccessError("Float");
  }
}

// ---- Dates and times ----

double TField::ReadDateTime() {
  if (field_type_ == ftFloat || field_type_ == ftCurrency) return ReadFloat();
  if (IsStringKind()) {
    std::string text = ReadText();
    if (text.empty()) return 0;
    TTimeStamp stamp;
    double value;
    if (!TextToTimeStamp(text, &stamp) || !TimeStampToDateTime(stamp, &value))
      throw EConvertError(FormatMessage("'%s' is not a valid date and time", text));
    return value;
  }
  if (!IsDateKind()) AccessError("DateTime");
  uint8_t bytes[8] = {};
  if (!GetData(bytes)) return 0;
  TTimeStamp stamp;
  switch (field_type_) {
    case ftDate:
      stamp.Date = DecodeInt32(bytes);
      break;
    case ftTime:
      stamp.Date = kDateDelta;
      stamp.Time = DecodeInt32(bytes);
      break;
    default: {
      uint64_t raw = DecodeFixed64(bytes);
      double msecs;
      std::memcpy(&msecs, &raw, 8);
      stamp = MSecsToTimeStamp(msecs);
      break;
    }
  }
  double value = 0;
  if (!TimeStampToDateTime(stamp, &value)) return 0;
  return value;
}

void TField::WriteDateTime(double value) {
  if (field_type_ == ftFloat || field_type_ == ftCurrency) {
    WriteFloat(value);
    return;
  }
  if (IsStringKind()) {
    TTimeStamp stamp = DateTimeToTimeStamp(value);
    WriteText(DayNumberToText(stamp.Date) + " " + TimeMSecsToText(stamp.Time));
    return;
  }
  if (!IsDateKind()) AccessError("DateTime");
  TTimeStamp stamp = DateTimeToTimeStamp(value);
  uint8_t bytes[8] = {};
  switch (field_type_) {
    case ftDate:
      EncodeInt32(bytes, stamp.Date);
      break;
    case ftTime:
      EncodeInt32(bytes, stamp.Time);
      break;
    default: {
      double msecs = TimeStampToMSecs(stamp);
      uint64_t raw;
      std::memcpy(&raw, &msecs, 8);
      EncodeFixed64(bytes, raw);
      break;
    }
  }
  SetData(bytes);
}

// ---- Blobs ----

std::string TField::ReadBytes() {
  if (!IsBlob()) throw EDatabaseError(kGeneralError);
  std::unique_ptr<TTinyBlobStream> stream = dataset_->OpenBlobStream(this, bmRead);
  std::string bytes(static_cast<size_t>(stream->Size()), '\0');
  if (!bytes.empty()) stream->ReadBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
  return bytes;
}

void TField::WriteBytes(const std::string& bytes) {
  if (!IsBlob()) throw EDatabaseError(kGeneralError);
  std::unique_ptr<TTinyBlobStream> stream = dataset_->OpenBlobStream(this, bmWrite);
  if (!bytes.empty()) stream->WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
}

// ---- Text ----

std::string TField::ReadText() {
  if (IsBlob()) return ReadBytes();
  std::vector<uint8_t> bytes(static_cast<size_t>(data_size_) + 1, 0);
  if (!GetData(bytes.data())) return "";
  if (IsStringKind()) return std::string(reinterpret_cast<const char*>(bytes.data()));
  switch (field_type_) {
    case ftBoolean:
      return DecodeFixed16(bytes.data()) != 0 ? "True" : "False";
    case ftFloat: case ftCurrency:
      return FloatToText(ReadFloat());
    case ftDate:
      return DayNumberToText(DecodeInt32(bytes.data()));
    case ftTime:
      return TimeMSecsToText(DecodeInt32(bytes.data()));
    case ftDateTime: {
      uint64_t raw = DecodeFixed64(bytes.data());
      double msecs;
      std::memcpy(&msecs, &raw, 8);
      return DateTimeToText(msecs);
    }
    default:
      if (IsIntegerKind()) return std::to_string(ReadLargeint());
      return "";
  }
}

void TField::WriteText(const std::string& text) {
  if (IsBlob()) {
    WriteBytes(text);
    return;
  }
  if (IsStringKind()) {
    std::vector<uint8_t> bytes(static_cast<size_t>(data_size_), 0);
    size_t n = std::min(text.size(), static_cast<size_t>(size_));
    std::memcpy(bytes.data(), text.data(), n);
    SetData(bytes.data());
    return;
  }
  if (text.empty()) {
    SetNull();
    return;
  }
  if (IsIntegerKind()) {
    int64_t v;
    if (!ParseInteger(text, &v))
      throw EDatabaseError(
          FormatArgs("'%s' is not a valid integer value for field '%s'", {text, name_}));
    WriteLargeint(v);
  } else if (field_type_ == ftBoolean) {
    if (IsLeadingPartOf(text, "False")) {
      WriteBoolean(false);
    } else if (IsLeadingPartOf(text, "True")) {
      WriteBoolean(true);
    } else {
      throw EDatabaseError(
          FormatArgs("'%s' is not a valid boolean value for field '%s'", {text, name_}));
    }
  } else if (field_type_ == ftFloat || field_type_ == ftCurrency) {
    double v;
    if (!ParseFloat(text, &v))
      throw EDatabaseError(
          FormatArgs("'%s' is not a valid floating point value for field '%s'", {text, name_}));
    WriteFloat(v);
  } else if (field_type_ == ftDate) {
    int32_t day;
    if (!TextToDayNumber(text, &day))
      throw EConvertError(FormatMessage("'%s' is not a valid date", text));
    uint8_t bytes[4];
    EncodeInt32(bytes, day);
    SetData(bytes);
  } else if (field_type_ == ftTime) {
    int32_t msecs;
    if (!TextToTimeMSecs(text, &msecs))
      throw EConvertError(FormatMessage("'%s' is not a valid time", text));
    uint8_t bytes[4];
    EncodeInt32(bytes, msecs);
    SetData(bytes);
  } else if (field_type_ == ftDateTime) {
    TTimeStamp stamp;
    if (!TextToTimeStamp(text, &stamp))
      throw EConvertError(FormatMessage("'%s' is not a valid date and time", text));
    double msecs = TimeStampToMSecs(stamp);
    uint64_t raw;
    std::memcpy(&raw, &msecs, 8);
    uint8_t bytes[8];
    EncodeFixed64(bytes, raw);
    SetData(bytes);
  } else {
    AccessError("String");
  }
}

// ---- Variants ----

TFieldValue TField::Value() {
  if (IsNull()) return TFieldValue{};
  if (IsBlob() || IsStringKind()) return ReadText();
  if (field_type_ == ftBoolean) return ReadBoolean();
  if (IsIntegerKind()) return ReadLargeint();
  if (IsDateKind()) return ReadDateTime();
  if (field_type_ == ftFloat || field_type_ == ftCurrency) return ReadFloat();
  return TFieldValue{};
}

void TField::SetValue(const TFieldValue& value) {
  if (std::holds_alternative<std::monostate>(value)) {
    SetNull();
  } else if (const int64_t* i = std::get_if<int64_t>(&value)) {
    WriteLargeint(*i);
  } else if (const double* d = std::get_if<double>(&value)) {
    if (IsDateKind()) {
      WriteDateTime(*d);
    } else {
      WriteFloat(*d);
    }
  } else if (const bool* b = std::get_if<bool>(&value)) {
    WriteBoolean(*b);
  } else {
    WriteText(std::get<std::string>(value));
  }
}

}  // namespace tinydb
