#include "catalogue/ListItem.h"

#include <cctype>
#include <charconv>

#include "platform/Errors.h"

namespace zestoria {

std::string makeListItem(const std::string& name, int32_t id) {
  std::string item = name;
  if (item.size() < kListItemIdColumn) item.resize(kListItemIdColumn, ' ');
  return item + std::to_string(id);
}

int32_t itemId(const std::string& item) {
  // The id starts after the padding; reading from the last padding column
  // on keeps ids of any length whole.
  const size_t start = kListItemIdColumn - 1;
  std::string digits = item.size() > start ? item.substr(start) : std::string();
  const size_t first = digits.find_first_not_of(' ');
  digits.erase(0, first == std::string::npos ? digits.size() : first);
  int32_t id = 0;
  const char* end = digits.data() + digits.size();
  const auto [stop, error] = std::from_chars(digits.data(), end, id);
  if (digits.empty() || error != std::errc() || stop != end)
    throw tinydb::EConvertError("'" + digits + "' is not a valid integer value");
  return id;
}

bool ListItemLess(const std::string& a, const std::string& b) {
  const size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    const int ca = std::tolower(static_cast<unsigned char>(a[i]));
    const int cb = std::tolower(static_cast<unsigned char>(b[i]));
    if (ca != cb) return ca < cb;
  }
  return a.size() < b.size();
}

}  // namespace zestoria
