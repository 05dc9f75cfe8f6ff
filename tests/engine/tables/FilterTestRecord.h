// A record under test for the filter parser: named fields of every type in
// one buffer, blob texts beside it, and setters that write native values.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "platform/Calendar.h"
#include "platform/Codepage.h"
#include "storage/Format.h"
#include "tables/FilterParser.h"

namespace tinydb {

class TFilterTestRecord : public TFilterDataSource {
 public:
  explicit TFilterTestRecord(std::string component = "drinkTable")
      : component_(std::move(component)), buffer_(4096, 0) {
    Add("id", ftAutoInc);
    Add("name", ftString, 25);
    Add("ingred", ftMemo);
    Add("marked", ftBoolean);
    Add("type", ftSmallint);
    Add("glass", ftWord);
    Add("qty", ftInteger);
    Add("big", ftLargeint);
    Add("abv", ftFloat);
    Add("price", ftCurrency);
    Add("d", ftDate);
    Add("t", ftTime);
    Add("dt", ftDateTime);
    Add("code", ftFixedChar, 4);
    Add("last name", ftString, 20);
    Add("True", ftBoolean);
    Add("upper", ftInteger);
    Add("a.b", ftInteger);
    Add("wide", ftWideString, 10);
    Add("d2", ftDate);
  }

  // ---- TFilterDataSource ----
  std::string ComponentName() const override { return component_; }
  int FindFieldIndex(const std::string& name) const override {
    for (size_t i = 0; i < fields_.size(); ++i) {
      if (SameText(fields_[i].Name, name)) return static_cast<int>(i);
    }
    return -1;
  }
  int FieldDataType(int index) const override { return fields_[index].Type; }
  bool FieldIsBlob(int index) const override { return IsBlobFieldType(fields_[index].Type); }
  const uint8_t* FieldData(int index) override { return buffer_.data() + fields_[index].Offset; }
  void ReadBlobText(int index, std::string* text) override {
    ++BlobReads;
    *text = fields_[index].Blob;
  }

  // ---- Writing values of the record under test ----
  void SetText(const std::string& name, const std::string& text) {
    const Field& f = Find(name);
    if (IsBlobFieldType(f.Type)) {
      fields_[FindFieldIndex(name)].Blob = text;
      return;
    }
    std::memset(&buffer_[f.Offset], 0, f.Width);
    std::memcpy(&buffer_[f.Offset], text.data(), std::min<size_t>(text.size(), f.Width - 1));
  }
  void SetInt16(const std::string& name, int16_t v) { Put(name, v); }
  void SetWord(const std::string& name, uint16_t v) { Put(name, v); }
  void SetInt32(const std::string& name, int32_t v) { Put(name, v); }
  void SetInt64(const std::string& name, int64_t v) { Put(name, v); }
  void SetDouble(const std::string& name, double v) { Put(name, v); }
  void SetBoolean(const std::string& name, bool v) { Put(name, static_cast<int16_t>(v ? 1 : 0)); }
  void SetDate(const std::string& name, int y, int m, int d) { Put(name, Day(y, m, d)); }
  void SetTime(const std::string& name, int h, int m, int s, int ms = 0) {
    int32_t value = 0;
    TryEncodeTime(h, m, s, ms, &value);
    Put(name, value);
  }
  void SetDateTime(const std::string& name, int y, int mo, int d, int h, int mi, int s) {
    int32_t ms = 0;
    TryEncodeTime(h, mi, s, 0, &ms);
    Put(name, static_cast<double>(Day(y, mo, d)) * kMsPerDay + ms);
  }

  static int32_t Day(int y, int m, int d) {
    int32_t day = 0;
    TryEncodeDate(y, m, d, &day);
    return day;
  }

  int BlobReads = 0;

 private:
  struct Field {
    std::string Name;
    int Type;
    int Offset;
    int Width;
    std::string Blob;
  };

  void Add(const std::string& name, int type, int size = 0) {
    int width = IsBlobFieldType(type) ? 4 : StoredFieldWidth(type, size);
    if (width == 0) width = size + 1;  // kinds tables cannot hold (ftWideString)
    // Odd offsets on purpose: values are read in place, unaligned.
    fields_.push_back({name, type, next_offset_, width, ""});
    next_offset_ += width + 1;
  }

  const Field& Find(const std::string& name) const { return fields_[FindFieldIndex(name)]; }

  template <typename T>
  void Put(const std::string& name, T value) {
    std::memcpy(&buffer_[Find(name).Offset], &value, sizeof value);
  }

  std::string component_;
  std::vector<uint8_t> buffer_;
  std::vector<Field> fields_;
  int next_offset_ = 1;
};

}  // namespace tinydb
