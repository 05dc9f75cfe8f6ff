// Drink list item texts: the padded name with the id behind it, reading the
// id back, and the list's order.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <random>
#include <string>
#include <vector>

#include "catalogue/ListItem.h"
#include "platform/Errors.h"

namespace zestoria {
namespace {

TEST(ListItemTest, SixLetterNameAndId123) {
  const std::string item = makeListItem("Gimlet", 123);
  EXPECT_EQ(item.size(), 83u);
  EXPECT_EQ(item.substr(0, 6), "Gimlet");
  EXPECT_EQ(item.substr(6, 74), std::string(74, ' '));
  EXPECT_EQ(item.substr(80), "123");
  EXPECT_EQ(itemId(item), 123);
}

TEST(ListItemTest, IdsOfEveryLengthReadBack) {
  for (int32_t id : {0, 7, -1, -42, 999999999, 1000000000, INT32_MAX, INT32_MIN}) {
    SCOPED_TRACE(id);
    EXPECT_EQ(itemId(makeListItem("Kir", id)), id);
    EXPECT_EQ(itemId(makeListItem(std::string(25, 'W'), id)), id);
    EXPECT_EQ(itemId(makeListItem("", id)), id);
  }
}

TEST(ListItemTest, LongNamesGetNoBlanks) {
  EXPECT_EQ(makeListItem(std::string(80, 'x'), 5), std::string(80, 'x') + "5");
  EXPECT_EQ(makeListItem(std::string(85, 'x'), 5), std::string(85, 'x') + "5");
}

TEST(ListItemTest, ItemsWithoutAnIdAreRefused) {
  for (const std::string& item : {std::string(), std::string("Martini"), std::string(90, ' '),
                                  makeListItem("Kir", 5) + "x", std::string(79, ' ') + "12345678901"}) {
    EXPECT_THROW(itemId(item), tinydb::EConvertError) << "\"" << item << "\"";
  }
}

TEST(ListItemTest, ListOrderIgnoresCaseAndPutsId10BeforeId9) {
  std::vector<std::string> items = {makeListItem("Zombie", 1), makeListItem("Apple", 9),
                                    makeListItem("apple", 10), makeListItem("Bellini", 2)};
  std::stable_sort(items.begin(), items.end(), ListItemLess);
  std::vector<int32_t> ids;
  for (const std::string& item : items) ids.push_back(itemId(item));
  // Equal names stand together, in the order of the id texts ("10" < "9").
  EXPECT_EQ(ids, (std::vector<int32_t>{10, 9, 2, 1}));
}

// The list's one-pass order agrees with ListItemLess, bytes above 0x7F
// included, and keeps equal texts in their given order.
TEST(ListItemTest, ListItemOrderSortsAsListItemLessAndKeepsEqualTextsInOrder) {
  const std::vector<std::string> items = {"Kir", "apple", "\xC9" "clair", "APPLE", "Apple Pie", "", "kir",
                                          "\xE9" "clair", "Apple"};
  const std::vector<uint32_t> order = ListItemOrder(items);
  EXPECT_EQ(order, (std::vector<uint32_t>{5, 1, 3, 8, 4, 0, 6, 2, 7}));
  std::vector<std::string> sorted = items;
  std::stable_sort(sorted.begin(), sorted.end(), ListItemLess);
  for (size_t i = 0; i < order.size(); ++i) EXPECT_EQ(items[order[i]], sorted[i]) << i;
  EXPECT_TRUE(ListItemOrder({}).empty());
}

// Texts that agree far into the text, differ just before, at and after
// the sixteenth byte, hold zero bytes, or end where another goes on: the
// one-pass order still agrees with a stable sort by ListItemLess.
TEST(ListItemTest, ListItemOrderAgreesWithListItemLessOnLongSharedStarts) {
  const std::string letters("aAbB \0\xC9\xE9", 8);
  std::mt19937 random(16);
  std::vector<std::string> items;
  for (int i = 0; i < 3000; ++i) {
    // A shared start of 0 to 24 bytes, then a few letters of a small alphabet.
    std::string text(static_cast<size_t>(random() % 25), 'x');
    for (size_t n = random() % 5; n > 0; --n) text += letters[random() % letters.size()];
    items.push_back(random() % 4 == 0 ? makeListItem(text, static_cast<int32_t>(random() % 20)) : text);
  }
  const std::vector<uint32_t> order = ListItemOrder(items);
  std::vector<uint32_t> expected(items.size());
  for (uint32_t i = 0; i < expected.size(); ++i) expected[i] = i;
  std::stable_sort(expected.begin(), expected.end(),
                   [&items](uint32_t a, uint32_t b) { return ListItemLess(items[a], items[b]); });
  EXPECT_EQ(order, expected);
}

}  // namespace
}  // namespace zestoria
