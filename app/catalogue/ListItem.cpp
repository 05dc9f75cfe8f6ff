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
  // ListItemLess gives. Each item's first kKeyBytes folded bytes go into
  // two integers beside its index (a shorter text is padded with zero
  // bytes, which sort before any other), so most comparisons touch only
  // the sorted array; equal keys compare the rest of the texts.
  static constexpr size_t kKeyBytes = 16;
  unsigned char fold[256];
  for (int c = 0; c < 256; ++c) fold[c] = static_cast<unsigned char>(std::tolower(c));
  struct TKeyed {
    uint64_t high;
    uint64_t low;
    uint32_t index;
  };
  std::vector<TKeyed> keyed(items.size());
  for (size_t i = 0; i < items.size(); ++i) {
    const std::string& text = items[i];
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const size_t n = std::min(text.size(), kKeyBytes);
    uint64_t half[2] = {0, 0};
    for (size_t k = 0; k < n; ++k) half[k / 8] |= static_cast<uint64_t>(fold[p[k]]) << (8 * (7 - k % 8));
    keyed[i] = TKeyed{half[0], half[1], static_cast<uint32_t>(i)};
  }
  // Equal texts keep their given order, as a stable sort would.
  std::sort(keyed.begin(), keyed.end(), [&fold, &items](const TKeyed& x, const TKeyed& y) {
    if (x.high != y.high) return x.high < y.high;
    if (x.low != y.low) return x.low < y.low;
    const std::string& a = items[x.index];
    const std::string& b = items[y.index];
    const size_t n = std::min(a.size(), b.size());
    const auto* pa = reinterpret_cast<const unsigned char*>(a.data());
    const auto* pb = reinterpret_cast<const unsigned char*>(b.data());
    for (size_t i = std::min(n, kKeyBytes); i < n; ++i) {
      if (fold[pa[i]] != fold[pb[i]]) return fold[pa[i]] < fold[pb[i]];
    }
    if (a.size() != b.size()) return a.size() < b.size();
    return x.index < y.index;
  });
  std::vector<uint32_t> order(items.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = keyed[i].index;
  return order;
}

}  // namespace zestoria
