#include "platform/Collation.h"

namespace tinydb {

int CollateTexts(std::string_view a, std::string_view b, bool) {
  int c = a.compare(b);
  return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

void SetCollationLocale(const std::string&) {}

}  // namespace tinydb
