#include "storage/ValueCompare.h"

#include <cmath>
#include <cstring>
#include <string_view>

#include "platform/Calendar.h"
#include "platform/Collation.h"
#include "storage/Format.h"

namespace tinydb {

namespace {

// How a type takes part in comparisons.
enum class TKind { Integer, Float, Boolean, Date, Time, DateTime, Text, None };

TKind KindOf(int type) {
  switch (type) {
    case ftSmallint: case ftWord: case ftInteger: case ftAutoInc: case ftLargeint:
      return TKind::Integer;
    case ftFloat: case ftCurrency:
      return TKind::Float;
    case ftBoolean:
      return TKind::Boolean;
    case ftDate:
      return TKind::Date;
    case ftTime:
      return TKind::Time;
    case ftDateTime:
      return TKind::DateTime;
    // Blob values arrive as their text. The string-class kinds whose values
    // have no defined text order (wide strings, GUIDs, OLE and typed
    // binaries, Oracle blobs and clobs) have no order at all.
    case ftString: case ftFixedChar: case ftBlob: case ftMemo: case ftGraphic:
    case ftFmtMemo:
      return TKind::Text;
    default:
      return TKind::None;
  }
}

template <typename T>
T Load(const void* data) {
  T value;
  std::memcpy(&value, data, sizeof(T));
  return value;
}

int64_t IntegerOf(const TValueRef& v) {
  switch (v.Type) {
    case ftSmallint: return Load<int16_t>(v.Data);
    case ftWord: return Load<uint16_t>(v.Data);
    case ftLargeint: return Load<int64_t>(v.Data);
    default: return Load<int32_t>(v.Data);  // ftInteger, ftAutoInc
  }
}

double FloatOf(const TValueRef& v) {
  return KindOf(v.Type) == TKind::Integer ? static_cast<double>(IntegerOf(v))
                                          : Load<double>(v.Data);
}

template <typename T>
TCompareOutcome Order(T a, T b) {
  if (a < b) return TCompareOutcome::Less;
  if (a > b) return TCompareOutcome::Greater;
  if (a == b) return TCompareOutcome::Equal;
  return TCompareOutcome::Unordered;  // a NaN
}

// The first |prefix| characters of |text| (all of it when prefix < 0 or the
// text is shorter).
std::string_view Head(const char* text, int prefix) {
  std::string_view view(text);
  if (prefix >= 0 && static_cast<size_t>(prefix) < view.size()) view = view.substr(0, prefix);
  return view;
}

TCompareOutcome CompareTexts(const char* a, const char* b, bool ci, int prefix) {
  int c = CollateTexts(Head(a, prefix), Head(b, prefix), ci);
  return c < 0 ? TCompareOutcome::Less
               : (c > 0 ? TCompareOutcome::Greater : TCompareOutcome::Equal);
}

}  // namespace

TCompareOutcome CompareValues(const TValueRef& left, const TValueRef& right,
                              bool case_insensitive, bool no_partial_compare) {
  TKind l = KindOf(left.Type);
  TKind r = KindOf(right.Type);
  bool l_number = l == TKind::Integer || l == TKind::Float;
  bool r_number = r == TKind::Integer || r == TKind::Float;
  if (l_number && r_number) {
    if (l == TKind::Integer && r == TKind::Integer) {
      return Order(IntegerOf(left), IntegerOf(right));
    }
    return Order(FloatOf(left), FloatOf(right));
  }
  if (l == TKind::Boolean && r == TKind::Boolean) {
    return Order(Load<uint8_t>(left.Data) != 0, Load<uint8_t>(right.Data) != 0);
  }
  if (l == TKind::Text && r == TKind::Text) {
    int prefix = no_partial_compare ? -1 : right.PartialLength;
    return CompareTexts(static_cast<const char*>(left.Data),
                        static_cast<const char*>(right.Data), case_insensitive, prefix);
  }
  if (l == r && (l == TKind::Date || l == TKind::Time)) {
    return Order(Load<int32_t>(left.Data), Load<int32_t>(right.Data));
  }
  if (l == TKind::DateTime && r == TKind::DateTime) {
    return Order(Load<double>(left.Data), Load<double>(right.Data));
  }
  if (l == TKind::Date && r == TKind::DateTime) {
    return Order(static_cast<double>(Load<int32_t>(left.Data)) * kMsPerDay, Load<double>(right.Data));
  }
  if (l == TKind::DateTime && r == TKind::Date) {
    return Order(Load<double>(left.Data), static_cast<double>(Load<int32_t>(right.Data)) * kMsPerDay);
  }
  // A time of day against a date or date-time, and every pairing without a
  // common meaning.
  return TCompareOutcome::Unordered;
}

bool ValuesEqual(const TValueRef& l, const TValueRef& r, bool ci, bool no_partial) {
  return CompareValues(l, r, ci, no_partial) == TCompareOutcome::Equal;
}

bool ValueLess(const TValueRef& l, const TValueRef& r, bool ci, bool no_partial) {
  return CompareValues(l, r, ci, no_partial) == TCompareOutcome::Less;
}

bool ValueGreater(const TValueRef& l, const TValueRef& r, bool ci, bool no_partial) {
  return CompareValues(l, r, ci, no_partial) == TCompareOutcome::Greater;
}

int CompareKey(const void* key, const void* stored, int field_type, bool case_insensitive,
               bool partial) {
  TCompareOutcome outcome;
  if (partial && KindOf(field_type) == TKind::Text) {
    // A partial key is a prefix: the key's text before its first '*' must
    // begin the stored text. A '*' in a stored value is an ordinary
    // character, so stored values cannot widen the match.
    const char* key_text = static_cast<const char*>(key);
    outcome = CompareTexts(key_text, static_cast<const char*>(stored), case_insensitive,
                           PartialLengthOf(key_text) - 1);
  } else {
    outcome = CompareValues(TValueRef{field_type, key}, TValueRef{field_type, stored},
                            case_insensitive, true);
  }
  if (outcome == TCompareOutcome::Equal) return 0;
  return outcome == TCompareOutcome::Less ? -1 : 1;
}

int PartialLengthOf(const char* text) {
  const char* star = std::strchr(text, '*');
  return star != nullptr ? static_cast<int>(star - text) + 1 : 0;
}

}  // namespace tinydb
