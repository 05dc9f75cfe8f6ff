// The catalogue database the build ships (ZESTORIA_CATALOGUE_DB): it opens
// as the program opens it, its ids run from 1, every drink's categories are
// names of the vocabularies, and every category the display and Search menus
// offer finds at least one drink. The last check needs the full drinks
// source; a build from the small sample skips it, naming what is missing.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "catalogue/DrinkCatalogue.h"
#include "catalogue/Vocabularies.h"

#ifndef ZESTORIA_CATALOGUE_DB
#error "ZESTORIA_CATALOGUE_DB must name the built zestoria.tdb"
#endif
#ifndef ZESTORIA_CATALOGUE_IS_SAMPLE
#define ZESTORIA_CATALOGUE_IS_SAMPLE 0
#endif

namespace zestoria {
namespace {

// The captions of the Liquors, Liqueurs and Ingredients menus (display menu
// and Search page together).
const std::vector<std::string> kIngredientCaptions = {
    // Liquors
    "Champagne", "Beer", "Bourbon", "Brandy", "Gin", "Port", "Rum", "Scotch", "Sherry", "Tequila",
    "Vermouth", "Vodka", "Whiskey", "Wine",
    // Liqueurs
    "Amaretto", "Anisette", "Benedictine", "Blue Curacao", "Chartreuse", "Cognac",
    "Creme de Cacao", "Creme de Menthe", "Curacao", "Dubonnet", "Jagermeister", "Kahlua",
    "Melon Liqueur", "Sloe Gin", "Peach Schnapps", "Peppermint Schnapps", "Triple Sec",
    // Ingredients
    "Bitters", "Cola", "Cranberry Juice", "Cream", "Ginger Ale", "Grapefruit Juice", "Grenadine",
    "Lemon", "Lime", "Orange Juice", "Seltzer", "Soda", "Sour Mix", "Sugar", "Tomato Juice",
    "Tonic Water"};

const std::vector<std::string> kTypeCaptions = {
    "Beer",   "Cobbler", "Cocktail",    "Coffee",        "Collins", "Cooler",  "Fizz",
    "Frozen", "Highball", "Martini",    "Mixed",         "Pousse Cafe", "Non-Alcoholic",
    "Punch",  "Shooter", "Sling",       "Sour",          "Toddy",   "Wine"};
const std::vector<std::string> kGlassCaptions = {
    "Beer Mug", "Brandy Snifter", "Champagne", "Cocktail", "Coffee Cup", "Collins", "Cordial",
    "Highball", "Old Fashioned", "Pousse Cafe", "Punch Bowl", "Shot", "Sour", "Wine"};
const std::vector<std::string> kSeasonCaptions = {"Spring", "Summer", "Fall", "Winter", "Holiday"};
const std::vector<std::string> kTempCaptions = {"Cold", "Hot", "Room"};

// Every menu category as its filter, with the menu item it stands for.
std::vector<std::pair<std::string, std::string>> MenuFilters() {
  std::vector<std::pair<std::string, std::string>> filters;
  for (const std::string& c : kIngredientCaptions)
    filters.emplace_back(c, "ingred LIKE '%" + c + "%'");
  for (const std::string& c : kTypeCaptions)
    filters.emplace_back("Type " + c, "TYPE = " + std::to_string(typeCode(c)));
  for (const std::string& c : kGlassCaptions)
    filters.emplace_back("Glass " + c, "GLASS = " + std::to_string(glassCode(c)));
  for (const std::string& c : kSeasonCaptions)
    filters.emplace_back("Season " + c, "SEASON = " + std::to_string(seasonCode(c)));
  for (const std::string& c : kTempCaptions)
    filters.emplace_back("Temperature " + c, "TEMP = " + std::to_string(tempCode(c)));
  return filters;
}

class ShippedCatalogueTest : public ::testing::Test {
 protected:
  void SetUp() override { catalogue_.Open(ZESTORIA_CATALOGUE_DB); }
  TDrinkCatalogue catalogue_;
};

TEST_F(ShippedCatalogueTest, IdsRunFromOneAndCategoriesAreKnownNames) {
  const std::vector<TListedDrink> listed = catalogue_.ListDrinks("", true);
  ASSERT_FALSE(listed.empty());
  for (size_t i = 0; i < listed.size(); ++i) {
    EXPECT_EQ(listed[i].id, static_cast<int32_t>(i + 1));
    const TDrink drink = catalogue_.LoadDrink(listed[i].id);
    SCOPED_TRACE(drink.name);
    EXPECT_FALSE(drink.name.empty());
    EXPECT_FALSE(typeName(drink.type).empty());
    EXPECT_FALSE(glassName(drink.glass).empty());
    EXPECT_FALSE(seasonName(drink.season).empty());
    EXPECT_FALSE(tempName(drink.temp).empty());
    EXPECT_EQ(drink.marked, 0);
  }
  EXPECT_EQ(catalogue_.NextDrinkId(), static_cast<int64_t>(listed.size()) + 1);
}

TEST_F(ShippedCatalogueTest, EveryMenuCategoryFindsADrink) {
  std::vector<std::string> empty;
  for (const auto& [item, filter] : MenuFilters())
    if (catalogue_.ListDrinks(filter).empty()) empty.push_back(item + " (" + filter + ")");
  std::string missing;
  for (const std::string& item : empty) missing += "\n  " + item;
  if (ZESTORIA_CATALOGUE_IS_SAMPLE && !empty.empty())
    GTEST_SKIP() << "built from the sample source; categories without a drink:" << missing;
  EXPECT_TRUE(empty.empty()) << "categories without a drink:" << missing;
}

}  // namespace
}  // namespace zestoria
