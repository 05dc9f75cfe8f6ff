#include "storage/FieldBuffers.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <exception>

#include "platform/Calendar.h"
#include "storage/Format.h"

namespace tinydb {

namespace {

template <class T>
T LoadValue(const void* p) {
  T v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

std::string FloatText(double v) {
  if (!std::isfinite(v)) return "";
  char text[64];
  auto [end, ec] = std::to_chars(text, text + sizeof text, v);
  return ec == std::errc() ? std::string(text, end) : std::string();
}

}  // namespace

TFieldBufferItem::TFieldBufferItem(void* buffer, int field_type, int size)
    : Buffer(buffer), FieldType(static_cast<uint8_t>(field_type)), Size(size) {}

TFieldBufferItem::~TFieldBufferItem() {
  if (!OwnsBuffer) return;
  if (IsBlob())
    delete static_cast<TOptimBlobStream*>(Buffer);
  else
    delete[] static_cast<uint8_t*>(Buffer);
}

bool TFieldBufferItem::IsBlob() const { return IsBlobFieldType(FieldType); }

TOptimBlobStream* TFieldBufferItem::BlobStream() const {
  return IsBlob() ? static_cast<TOptimBlobStream*>(Buffer) : nullptr;
}

const uint8_t* TFieldBufferItem::DataPointer() const {
  if (!IsBlob()) return static_cast<const uint8_t*>(Buffer);
  TOptimBlobStream* stream = BlobStream();
  if (stream == nullptr) return nullptr;
  stream->EnsureLoaded();
  return stream->Memory();
}

std::string TFieldBufferItem::AsText() const {
  if (Buffer == nullptr) return "";
  try {
    if (IsBlob()) {
      TOptimBlobStream* stream = BlobStream();
      const int64_t size = stream->Size();
      return std::string(reinterpret_cast<const char*>(stream->Memory()),
                         static_cast<size_t>(size));
    }
    const char* data = static_cast<const char*>(Buffer);
    auto fits = [&](size_t width) { return Size >= static_cast<int32_t>(width); };
    switch (FieldType) {
      case ftString:
      case ftFixedChar: {
        if (Size <= 0) return "";
        const void* nul = std::memchr(data, 0, static_cast<size_t>(Size));
        size_t length = nul != nullptr ? static_cast<size_t>(static_cast<const char*>(nul) - data)
                                       : static_cast<size_t>(Size);
        return std::string(data, length);
      }
      case ftSmallint:
        return fits(2) ? std::to_string(LoadValue<int16_t>(data)) : "";
      case ftWord:
        return fits(2) ? std::to_string(LoadValue<uint16_t>(data)) : "";
      case ftInteger:
      case ftAutoInc:
        return fits(4) ? std::to_string(LoadValue<int32_t>(data)) : "";
      case ftLargeint:
        return fits(8) ? std::to_string(LoadValue<int64_t>(data)) : "";
      case ftBoolean:
        if (!fits(1)) return "";
        return (data[0] != 0 || (fits(2) && data[1] != 0)) ? "True" : "False";
      case ftFloat:
      case ftCurrency:
        return fits(8) ? FloatText(LoadValue<double>(data)) : "";
      case ftDate:
        return fits(4) ? DayNumberToText(LoadValue<int32_t>(data)) : "";
      case ftTime:
        return fits(4) ? TimeMSecsToText(LoadValue<int32_t>(data)) : "";
      case ftDateTime:
        return fits(8) ? DateTimeToText(LoadValue<double>(data)) : "";
      default:
        return "";
    }
  } catch (const std::exception&) {
    return "";
  }
}

void TFieldBuffers::Add(void* buffer, int field_type, int size) {
  items_.push_back(std::make_unique<TFieldBufferItem>(buffer, field_type, size));
}

}  // namespace tinydb
