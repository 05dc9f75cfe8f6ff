// The text of a drink list item: the drink's name padded with blanks to 80
// characters, then its id in decimal. The blanks push the id out of sight,
// so the list shows names and sorts by them, while each item still carries
// its drink's id.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zestoria {

// Characters the name is padded to; the id follows.
constexpr size_t kListItemIdColumn = 80;

// |name| padded with blanks to 80 characters (a longer name gets none),
// followed by |id| in decimal with a minus sign when negative.
std::string makeListItem(const std::string& name, int32_t id);

// The id an item made by makeListItem carries: the text from the 80th
// character on, leading blanks skipped, read as a decimal integer. Throws
// tinydb::EConvertError when that text is not a 32-bit decimal integer.
int32_t itemId(const std::string& item);

// Orders list item texts as the drink list does: ignoring the case of
// letters, byte by byte otherwise. True when |a| sorts before |b|.
bool ListItemLess(const std::string& a, const std::string& b);

// The order the drink list shows |items| in: the positions of |items|,
// sorted by ListItemLess; equal texts keep their order.
std::vector<uint32_t> ListItemOrder(const std::vector<std::string>& items);

}  // namespace zestoria
