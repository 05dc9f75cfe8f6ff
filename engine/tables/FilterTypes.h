// The type classes of the filter language: which field types count as
// integer, numeric, temporal, string or boolean values.
#pragma once

#include "storage/Format.h"

namespace tinydb {

// ftSmallint, ftInteger, ftWord, ftAutoInc.
inline bool IsIntegerClass(int type) {
  return type == ftSmallint || type == ftInteger || type == ftWord || type == ftAutoInc;
}

// The integer class, ftLargeint, ftFloat and ftCurrency.
inline bool IsNumericClass(int type) {
  return IsIntegerClass(type) || type == ftLargeint || type == ftFloat || type == ftCurrency;
}

// ftDate, ftTime, ftDateTime.
inline bool IsTemporalClass(int type) {
  return type == ftDate || type == ftTime || type == ftDateTime;
}

// Texts and the blob kinds (whose values are read as text).
inline bool IsStringClass(int type) {
  switch (type) {
    case ftString: case ftFixedChar: case ftWideString: case ftGuid: case ftBlob: case ftMemo:
    case ftGraphic: case ftFmtMemo: case ftParadoxOle: case ftDBaseOle: case ftTypedBinary:
    case ftOraBlob: case ftOraClob:
      return true;
    default:
      return false;
  }
}

inline bool IsBooleanClass(int type) { return type == ftBoolean; }

}  // namespace tinydb
