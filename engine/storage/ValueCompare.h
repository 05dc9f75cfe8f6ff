// The one comparison of two typed values: index order, unique checks, key
// searches and the filter language's "=", "<" and ">" all go through it.
#pragma once

#include <cstdint>

namespace tinydb {

// A value in its native record-buffer form:
//   ftString, ftFixedChar, blob kinds: NUL-terminated Windows-1252 text
//   ftSmallint int16, ftWord uint16, ftInteger/ftAutoInc int32, ftLargeint
//   int64, ftFloat/ftCurrency double, ftBoolean first byte nonzero = true,
//   ftDate int32 day number (0001-01-01 = 1), ftTime int32 milliseconds,
//   ftDateTime double (day * 86400000 + milliseconds).
// |PartialLength| of a text: the number of leading characters that take
// part when it is the right operand and partial comparison is allowed
// (a literal 'Mar*' has 3); -1 compares whole texts.
struct TValueRef {
  int Type;
  const void* Data;
  int PartialLength = -1;
};

// Unordered: the two values have no order (ftTime against ftDate, a NaN,
// mismatched kinds, and wide strings, GUIDs, OLE and typed binaries, Oracle
// blobs and clobs, whose values have no text order); "=", "<" and ">" are
// all false.
enum class TCompareOutcome { Less, Equal, Greater, Unordered };

// Compares |left| with |right|. Texts are collated, ignoring case when
// |case_insensitive|; unless |no_partial_compare|, a partial length k >= 0
// of the right operand limits both texts to their first k characters.
TCompareOutcome CompareValues(const TValueRef& left, const TValueRef& right,
                              bool case_insensitive, bool no_partial_compare);

// The filter language's "=", "<" and ">": true only for that outcome.
bool ValuesEqual(const TValueRef& l, const TValueRef& r, bool ci,
                 bool no_partial);
bool ValueLess(const TValueRef& l, const TValueRef& r, bool ci,
               bool no_partial);
bool ValueGreater(const TValueRef& l, const TValueRef& r, bool ci,
                  bool no_partial);

// Index order of a search |key| against a |stored| value, both of
// |field_type|: 0 when "=" holds, -1 when "<" holds, otherwise 1. With
// |partial|, a text key 'Mar*' compares only its characters before the '*'
// with as many leading characters of the stored text; a key without '*'
// and every '*' inside stored texts compare as ordinary characters.
int CompareKey(const void* key, const void* stored, int field_type,
               bool case_insensitive, bool partial);

// The 1-based position of the first '*' in |text|; 0 when there is none.
int PartialLengthOf(const char* text);

}  // namespace tinydb
