// The JSON form of field values, shared by dump, insert and delete:
// texts as UTF-8 strings, integers and floats as numbers, booleans as
// true/false, dates "YYYY-MM-DD", times "HH:MM:SS.mmm", date-times
// "YYYY-MM-DDTHH:MM:SS.mmm", memo kinds as text and other blobs as
// standard base64. A date or time with no calendar form (such as the day
// number 0) is null.
#pragma once

#include <string>

#include <nlohmann/json.hpp>

#include "tables/Fields.h"

namespace tdb {

// The value of |field| in its cursor's state-selected buffer.
nlohmann::ordered_json ReadFieldJson(tinydb::TField& field);

// Writes |value| into |field| (the cursor must be editing or inserting).
// Throws tinydb::EDatabaseError naming the field when the field cannot
// take the value: the wrong JSON kind, a number out of range, a text
// longer than the field or with a character Windows-1252 lacks, a
// malformed date, time or base64 text.
void WriteFieldJson(tinydb::TField& field, const nlohmann::json& value);

// A value given on the command line for |field|: texts, blobs, dates and
// times as they stand, numbers and booleans in their JSON form.
nlohmann::json FieldJsonFromText(tinydb::TField& field, const std::string& text);

// Tells whether a field holds one given value, exactly as WriteFieldJson
// would store it (texts compared byte for byte).
class TFieldValueMatch {
 public:
  // Throws as WriteFieldJson when |field| cannot take |value|.
  TFieldValueMatch(tinydb::TField& field, const nlohmann::json& value);
  // True when the field holds the value in the current record.
  bool Matches() const;

 private:
  tinydb::TField& field_;
  std::string native_;
};

}  // namespace tdb
