// Field objects: the program's handle on one field of a cursor's records.
// A field object reads and writes its value in the record buffer the
// cursor selects for its state (the current record, the record being
// edited or inserted, a key or filter buffer), converting between the
// stored form and text, integers, booleans, floats and date-times.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <variant>
#include <vector>

#include "storage/Format.h"

namespace tinydb {

class TTDEDataSet;

// A field value handed between the program and the cursor: Null (no
// value), an integer, a float (date kinds: a date-time, days since
// 30 December 1899), a boolean or a text (blob kinds: their bytes).
using TFieldValue = std::variant<std::monostate, int64_t, double, bool, std::string>;
using TFieldValues = std::vector<TFieldValue>;

inline bool IsNullValue(const TFieldValue& value) {
  return std::holds_alternative<std::monostate>(value);
}

// How a blob stream is opened.
enum TBlobStreamMode { bmRead, bmWrite, bmReadWrite };

// A field definition of an open cursor's table, in schema order.
struct TFieldDef {
  std::string Name;
  int DataType = ftUnknown;  // a TFieldType code
  int Size = 0;              // declared size of ftString/ftFixedChar, else 0
  bool Required = false;     // never set: stored fields always hold a value
  int FieldNo = 0;           // 1-based position in the schema
};

// An index definition of an open cursor's table, in definition order.
struct TIndexDef {
  std::string Name;
  std::string Fields;         // key field names joined by ","
  TTDIndexOptions Options = 0;
};

class TField {
 public:
  // Creates an unbound field object of |dataset| (which does not own it;
  // see TTDEDataSet::DefineField). |calculated| fields live in the
  // record buffer's calculated area and may hold no value.
  TField(TTDEDataSet* dataset, const std::string& name, int field_type, int size,
         bool calculated);
  virtual ~TField() = default;
  TField(const TField&) = delete;
  TField& operator=(const TField&) = delete;

  TTDEDataSet* DataSet() const { return dataset_; }
  const std::string& Name() const { return name_; }
  int FieldType() const { return field_type_; }
  // Declared size of a string field; 0 for other types.
  int Size() const { return size_; }
  // 1-based position in the table's schema; 0 for calculated fields and
  // for fields not bound to an open cursor.
  int FieldNo() const { return field_no_; }
  // Bytes of the value in a record buffer (a blob field: 4, a reference
  // to the buffer's blob stream).
  int DataSize() const { return data_size_; }
  // Calculated fields: offset of the null byte in the calculated area.
  int Offset() const { return offset_; }
  bool Calculated() const { return calculated_; }
  bool IsBlob() const;

  // Raised after a value was written to the field.
  std::function<void(TField& field)> OnChange;

  // ---- Values ----
  // Reads take the state-selected buffer of the cursor; with none (or a
  // calculated field without value) they give Null, "", 0 or false.
  // Writes go to the same buffer; with none they are ignored. Writing in
  // browse state fails with "Dataset not in edit or insert mode".

  // True when the field has no value (no buffer, or a calculated field
  // whose value was never set). Stored fields with a buffer always have
  // one.
  bool IsNull();
  // No value: a stored field keeps its value; a calculated field loses it.
  void SetNull();

  // Text: strings as stored; integers in decimal; booleans "True" /
  // "False"; floats in up to 15 significant digits; dates "YYYY-MM-DD",
  // times "HH:MM:SS", date-times both; blob kinds their whole value.
  std::string ReadText();
  // Strings are cut to the declared size. Integer fields take decimal
  // text ("'%s' is not a valid integer value for field '%s'"), boolean
  // fields any leading part of "True" or "False" ignoring case ("'%s' is
  // not a valid boolean value for field '%s'"); "" writes no value.
  void WriteText(const std::string& text);

  int32_t ReadInteger();
  void WriteInteger(int32_t value);
  int64_t ReadLargeint();
  void WriteLargeint(int64_t value);
  bool ReadBoolean();
  void WriteBoolean(bool value);
  double ReadFloat();
  void WriteFloat(double value);
  // Days since 30 December 1899 with the time as fraction; a stored value
  // that does not convert reads as 0.
  double ReadDateTime();
  void WriteDateTime(double value);

  // Blob kinds: the whole value / replaces the whole value, through a blob
  // stream of the cursor.
  std::string ReadBytes();
  void WriteBytes(const std::string& bytes);

  // The value in its natural variant form (see TFieldValue).
  TFieldValue Value();
  // Writes a variant: Null as SetNull, then by the variant's kind.
  void SetValue(const TFieldValue& value);

  // Raw access to the record-buffer bytes (DataSize of them). Blob kinds
  // fail with "General error". GetData returns false when there is no
  // value; SetData(nullptr) writes no value.
  bool GetData(void* dest);
  void SetData(const void* source);

 private:
  friend class TTDEDataSet;

  [[noreturn]] void AccessError(const char* type_name) const;
  [[noreturn]] void RangeError(int64_t value, int64_t low, int64_t high) const;
  bool IsIntegerKind() const;
  bool IsStringKind() const;
  bool IsDateKind() const;
  // The value of an integer, boolean or float field as int64 / double.
  bool ReadNumber(int64_t* integer, double* real, bool* is_real);

  TTDEDataSet* dataset_;
  std::string name_;
  int field_type_;
  int size_;
  bool calculated_;
  int field_no_ = 0;
  int data_size_ = 0;
  int offset_ = 0;
  bool created_by_cursor_ = false;
};

// Bytes a value of |field_type| takes in a record buffer (strings: size +
// 1; blob kinds: 4); 0 for types a table cannot hold.
int RecordBufferWidth(int field_type, int size);

}  // namespace tinydb
