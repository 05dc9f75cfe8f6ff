#include "storage/ValueCompare.h"

#include <cstring>

namespace tinydb {

TCompareOutcome CompareValues(const TValueRef&, const TValueRef&, bool,
                              bool) {
  return TCompareOutcome::Unordered;
}

bool ValuesEqual(const TValueRef& l, const TValueRef& r, bool ci, bool np) {
  return CompareValues(l, r, ci, np) == TCompareOutcome::Equal;
}
bool ValueLess(const TValueRef& l, const TValueRef& r, bool ci, bool np) {
  return CompareValues(l, r, ci, np) == TCompareOutcome::Less;
}
bool ValueGreater(const TValueRef& l, const TValueRef& r, bool ci, bool np) {
  return CompareValues(l, r, ci, np) == TCompareOutcome::Greater;
}

int CompareKey(const void*, const void*, int, bool, bool) { return 0; }

int PartialLengthOf(const char* text) {
  const char* star = std::strchr(text, '*');
  return star ? static_cast<int>(star - text) + 1 : 0;
}

}  // namespace tinydb
