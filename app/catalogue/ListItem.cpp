#include "catalogue/ListItem.h"

#include <algorithm>
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

std::vector<uint32_t> ListItemOrder(const std::vector<std::string>& items) {
  // One sort keeps large lists fast. It folds case through a table made
  // from the same tolower ListItemLess uses, so the order is the one
  // ListItemLess gives.
  unsigned char fold[256];
  for (int c = 0; c < 256; ++c) fold[c] = static_cast<unsigned char>(std::tolower(c));
  std::vector<uint32_t> order(items.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = static_cast<uint32_t>(i);
  // Equal texts keep their given order, as a stable sort would.
  std::sort(order.begin(), order.end(), [&fold, &items](uint32_t ia, uint32_t ib) {
    const std::string& a = items[ia];
    const std::string& b = items[ib];
    const size_t n = std::min(a.size(), b.size());
    const auto* pa = reinterpret_cast<const unsigned char*>(a.data());
    const auto* pb = reinterpret_cast<const unsigned char*>(b.data());
    for (size_t i = 0; i < n; ++i) {
      if (fold[pa[i]] != fold[pb[i]]) return fold[pa[i]] < fold[pb[i]];
    }
    if (a.size() != b.size()) return a.size() < b.size();
    return ia < ib;
  });
  return order;
}

}  // namespace zestoria
