// The display menu's contents and the filter texts its choices produce:
// the category submenus with their items (object name and caption), and
// the filters for a category item and for text the user types.
#pragma once

#include <string>
#include <vector>

namespace zestoria {

// The seven category submenus shared by the display menu and the Search
// page's menus; each has one handler that serves both.
enum TDisplayCategory { dcLiquor, dcLiqueur, dcIngred, dcType, dcGlass, dcSeason, dcTemp };

// One menu item: its object name and its caption, the text it filters on.
struct TDisplayItem {
  const char* name;
  const char* caption;
};

// One category submenu of the display menu, its items in menu order.
struct TDisplaySubmenu {
  const char* name;     // the submenu's object name, e.g. "Liquors1"
  const char* caption;  // e.g. "Liquors"
  TDisplayCategory category;
  std::vector<TDisplayItem> items;
};

// The display menu's category submenus, in menu order.
const std::vector<TDisplaySubmenu>& DisplaySubmenus();

// True for the liquors, liqueurs and ingredients: their items list the
// drinks with a line the ingredient recogniser names the item's ingredient
// (My Bar's index), which no filter text says; they have no filter.
bool NamesIngredient(TDisplayCategory category);

// The filter of category item |caption| (Windows-1252): "TYPE = <code>",
// "GLASS = <code>", "SEASON = <code>" or "TEMP = <code>"; "" for a category
// that NamesIngredient.
std::string CategoryFilter(TDisplayCategory category, const std::string& caption);

// "<field> LIKE '%<text>%'" with every apostrophe of |text| doubled, so
// the literal ends only where the filter means it to; "%" and "_" stay
// wildcards. The records whose |field| contains |text| anywhere.
std::string ContainsFilter(const std::string& field, const std::string& text);

// True when a category item named |name| belongs to the Search page (its
// name begins with "S"); display menu items begin with "D_".
bool IsSearchItemName(const std::string& name);

}  // namespace zestoria
