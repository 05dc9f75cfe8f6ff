// The display menu's items and the filter texts they and typed text produce.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

#include "finding/DisplayFilters.h"
#include "finding/SearchBuilder.h"

namespace zestoria {
namespace {

const TDisplayItem* FindItem(const std::string& name, TDisplayCategory* category) {
  for (const TDisplaySubmenu& submenu : DisplaySubmenus()) {
    for (const TDisplayItem& item : submenu.items) {
      if (name == item.name) {
        *category = submenu.category;
        return &item;
      }
    }
  }
  return nullptr;
}

TEST(DisplayFilters, EveryCodedItemYieldsItsFilter) {
  // The coded categories: every item with the filter it must produce.
  const std::map<std::string, std::string> expected = {
      {"D_Type_Beer", "TYPE = 0"},          {"D_Type_Cobbler", "TYPE = 2"},
      {"D_Type_Cocktail", "TYPE = 3"},      {"D_Type_Coffee", "TYPE = 4"},
      {"D_Type_Collins", "TYPE = 5"},       {"D_Type_Coller", "TYPE = 6"},
      {"D_Type_Fizz", "TYPE = 11"},         {"D_Type_Frozen", "TYPE = 1"},
      {"D_Type_Highball", "TYPE = 12"},     {"D_Type_Martini", "TYPE = 14"},
      {"D_Type_Mixed", "TYPE = 15"},        {"D_Type_PousseCafe", "TYPE = 16"},
      {"D_Type_NonAlcoholic", "TYPE = 13"}, {"D_Type_Punch", "TYPE = 17"},
      {"D_Type_Shooter", "TYPE = 20"},      {"D_Type_Sling", "TYPE = 21"},
      {"D_Type_Toddy", "TYPE = 24"},        {"D_Type_Wine", "TYPE = 25"},
      {"D_Glass_BeerMug", "GLASS = 0"},     {"D_Glass_BrandySnifter", "GLASS = 1"},
      {"D_Glass_Champagne", "GLASS = 2"},   {"D_Glass_Cocktail", "GLASS = 3"},
      {"D_Glass_CoffeeCup", "GLASS = 4"},   {"D_Glass_Collins", "GLASS = 5"},
      {"D_Glass_Cordial", "GLASS = 6"},     {"D_Glass_Highball", "GLASS = 7"},
      {"D_Glass_OldFashioned", "GLASS = 8"}, {"D_Glass_PousseCafe", "GLASS = 9"},
      {"D_Glass_Shot", "GLASS = 11"},       {"D_Glass_Sour", "GLASS = 12"},
      {"D_Glass_Wine", "GLASS = 13"},       {"D_Season_Spring", "SEASON = 1"},
      {"D_Season_Summer", "SEASON = 2"},    {"D_Season_Fall", "SEASON = 3"},
      {"D_Season_Winter", "SEASON = 4"},    {"D_Season_Holiday", "SEASON = 5"},
      {"D_Temp_Cold", "TEMP = 0"},          {"D_Temp_Hot", "TEMP = 2"},
      {"D_Temp_Room", "TEMP = 1"},
  };
  for (const auto& [name, filter] : expected) {
    TDisplayCategory category;
    const TDisplayItem* item = FindItem(name, &category);
    ASSERT_NE(item, nullptr) << name;
    EXPECT_EQ(CategoryFilter(category, item->caption), filter) << name;
  }
}

// The ingredient items list what the recogniser names (My Bar's index):
// no filter text stands for them.
TEST(DisplayFilters, IngredientItemsHaveNoFilter) {
  for (const char* name : {"D_Liquor_Barndy", "D_Liquor_Gin", "D_Liqueur_CremedeMenthe", "D_Ingred_TonicWater"}) {
    TDisplayCategory category;
    const TDisplayItem* item = FindItem(name, &category);
    ASSERT_NE(item, nullptr) << name;
    EXPECT_TRUE(NamesIngredient(category)) << name;
    EXPECT_EQ(CategoryFilter(category, item->caption), "") << name;
  }
  for (TDisplayCategory category : {dcType, dcGlass, dcSeason, dcTemp}) EXPECT_FALSE(NamesIngredient(category));
}

TEST(DisplayFilters, MenuShapeAndNames) {
  const std::map<TDisplayCategory, size_t> counts = {{dcLiquor, 13}, {dcLiqueur, 17}, {dcIngred, 16},
                                                     {dcType, 18},  {dcGlass, 13},   {dcSeason, 5},
                                                     {dcTemp, 3}};
  ASSERT_EQ(DisplaySubmenus().size(), 7u);
  std::set<std::string> names;
  for (const TDisplaySubmenu& submenu : DisplaySubmenus()) {
    EXPECT_EQ(submenu.items.size(), counts.at(submenu.category)) << submenu.caption;
    for (const TDisplayItem& item : submenu.items) {
      EXPECT_TRUE(names.insert(item.name).second) << item.name;
      // The shared handlers take these for display items, never search items.
      EXPECT_FALSE(IsSearchItemName(item.name)) << item.name;
      if (NamesIngredient(submenu.category)) continue;
      const std::string filter = CategoryFilter(submenu.category, item.caption);
      ASSERT_FALSE(filter.empty()) << item.name;
      EXPECT_NE(filter.back(), ' ') << item.name;
      EXPECT_EQ(filter.find("-1"), std::string::npos) << item.name;
    }
  }
  EXPECT_TRUE(IsSearchItemName("S_Liquor_Gin"));
  EXPECT_FALSE(IsSearchItemName(""));
}

TEST(DisplayFilters, TypedTextHasItsApostrophesDoubled) {
  const std::map<std::string, std::string> cases = {
      {"", ""},
      {"O'Brien", "O''Brien"},
      {"'", "''"},
      {"a''b", "a''''b"},
      {"50% a_c", "50% a_c"},  // wildcards stay wildcards
      {"' OR 1 = 1 OR name = '", "'' OR 1 = 1 OR name = ''"},
  };
  for (const auto& [text, quoted] : cases) EXPECT_EQ(QuoteFilterText(text), quoted) << text;
  EXPECT_EQ(ContainsFilter("name", "O'Brien"), "name LIKE '%O''Brien%'");
  EXPECT_EQ(ContainsFilter("ingred", "lime"), "ingred LIKE '%lime%'");
}

}  // namespace
}  // namespace zestoria
