#include "DrinkGenerator.h"

#include <algorithm>
#include <cctype>
#include <random>
#include <stdexcept>
#include <unordered_set>

#include "catalogue/DrinkCatalogue.h"
#include "catalogue/Vocabularies.h"
#include "storage/DatabaseWriter.h"

namespace zestoria::bench {

namespace {

const char* const kNameFirst[] = {
    "Pink",   "Dry",     "Royal",  "Blue",    "Smoky",    "Golden",  "Frozen", "Hot",
    "Spiced", "Velvet",  "Wild",   "Midnight", "Bitter",  "Silver",  "Jungle", "Island",
    "Brandy", "Rum",     "Gin",    "Whisky",  "Tequila",  "Vodka",   "Apple",  "Cherry",
    "Old",    "Lazy",    "Red",    "Green",   "Sunset",   "Harbour", "Polar",  "Tropical"};
const char* const kNameMiddle[] = {"Lady", "Monkey", "Sailor", "Garden", "Moon",  "Tiger",
                                   "Lemon", "Orchid", "Pirate", "Rose",  "Storm", "Coast"};
const char* const kNameLast[] = {"Fizz",   "Sour",    "Sling",    "Punch",   "Smash",  "Julep",
                                 "Flip",   "Cooler",  "Mule",     "Collins", "Rickey", "Daisy",
                                 "Toddy",  "Nog",     "Highball", "Martini", "Spritz", "Cobbler",
                                 "Cocktail", "Swizzle", "Crusta", "Fix",     "Shrub",  "Buck"};
const char* const kMeasures[] = {"1 oz",   "1 1/2 oz", "2 oz",     "1/2 oz", "3/4 oz",
                                 "2 dashes", "1 tsp",  "4 oz",     "1 splash", "3 oz",
                                 "1 bar spoon", "2 tsp", "1 1/4 oz", "dash"};
// Each of these holds "gin" in some case.
const char* const kGinIngredients[] = {"Gin",         "Dry Gin",     "Sloe Gin",
                                       "London Dry Gin", "Old Tom Gin", "Ginger Ale",
                                       "Ginger Beer", "Plymouth Gin", "Genever Gin"};
// None of these holds "gin" in any case.
const char* const kOtherIngredients[] = {
    "Vodka",          "Light Rum",       "Dark Rum",       "Tequila",         "Bourbon",
    "Rye Whiskey",    "Scotch",          "Brandy",         "Cognac",          "Triple Sec",
    "Dry Vermouth",   "Sweet Vermouth",  "Campari",        "Amaretto",        "Kahlua",
    "Creme de Cacao", "Creme de Menthe", "Lime Juice",     "Lemon Juice",     "Orange Juice",
    "Pineapple Juice", "Cranberry Juice", "Grenadine",     "Simple Syrup",    "Sugar",
    "Angostura Bitters", "Orange Bitters", "Club Soda",    "Tonic Water",     "Cola",
    "Cream",          "Milk",            "Egg White",      "Mint Leaves",     "Coffee",
    "Champagne",      "Red Wine",        "Beer",           "Peach Schnapps",  "Galliano",
    "Benedictine",    "Chartreuse",      "Maraschino",     "Apricot Brandy",  "Blue Curacao",
    "Cherry Brandy",  "Coconut Cream",   "Honey",          "Nutmeg",          "Olive"};
const char* const kSentences[] = {
    "Shake all ingredients with ice and strain into a chilled glass.",
    "Stir gently with ice in a mixing glass for thirty seconds.",
    "Build over ice in the glass and top up with soda.",
    "Garnish with a twist of lemon peel.",
    "Rub the rim of the glass with lime and dip it in salt.",
    "Muddle the mint with the sugar before adding the spirits.",
    "Float the cream on top with the back of a spoon.",
    "Serve at once with a straw.",
    "Blend with a cup of crushed ice until smooth.",
    "Warm the glass with hot water before pouring.",
    "Add a cherry and an orange slice.",
    "Fill the glass with cracked ice and stir until frosted."};
const char* const kComments[] = {"A house favourite.", "Strong: serve small.",
                                 "Best in summer.",    "From an old bar book.",
                                 "Sweet; halve the syrup to taste.", "Good with salted nuts."};

class TPicker {
 public:
  explicit TPicker(uint32_t seed) : random_(seed) {}
  int Between(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }
  template <size_t N>
  const char* Pick(const char* const (&words)[N]) {
    return words[static_cast<size_t>(Between(0, static_cast<int>(N) - 1))];
  }

 private:
  std::mt19937 random_;
};

// |base| made unique among |taken| (and at most kDrinkNameLength): the base
// itself, else the base with " 2", " 3", ... (the base shortened to fit).
std::string UniqueName(std::string base, std::unordered_set<std::string>& taken) {
  if (base.size() > kDrinkNameLength) base.resize(kDrinkNameLength);
  std::string name = base;
  for (int number = 2; !taken.insert(name).second; ++number) {
    std::string suffix = " ";
    suffix += std::to_string(number);
    name = base.substr(0, std::min(base.size(), kDrinkNameLength - suffix.size())) + suffix;
  }
  return name;
}

}  // namespace

bool HoldsGin(const std::string& text) {
  for (size_t i = 0; i + 3 <= text.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(text[i])) == 'g' &&
        std::tolower(static_cast<unsigned char>(text[i + 1])) == 'i' &&
        std::tolower(static_cast<unsigned char>(text[i + 2])) == 'n')
      return true;
  }
  return false;
}

std::vector<TDrink> GenerateDrinks(int count, uint32_t seed) {
  if (count < 0) throw std::invalid_argument("the drink count must not be negative");
  TPicker pick(seed);
  std::unordered_set<std::string> taken;
  std::vector<TDrink> drinks;
  drinks.reserve(static_cast<size_t>(count));
  for (int id = 1; id <= count; ++id) {
    TDrink d;
    d.id = id;
    std::string name = std::string(pick.Pick(kNameFirst)) + " ";
    if (pick.Between(0, 2) == 0) name += std::string(pick.Pick(kNameMiddle)) + " ";
    name += pick.Pick(kNameLast);
    d.name = UniqueName(std::move(name), taken);

    const int lines = pick.Between(3, 8);
    const int gin_line = pick.Between(0, 9) < 4 ? pick.Between(0, lines - 1) : -1;
    for (int i = 0; i < lines; ++i) {
      if (i > 0) d.ingred += "\r\n";
      d.ingred += std::string(pick.Pick(kMeasures)) + " " +
                  (i == gin_line ? pick.Pick(kGinIngredients) : pick.Pick(kOtherIngredients));
    }
    const int sentences = pick.Between(2, 5);
    for (int i = 0; i < sentences; ++i) {
      if (i > 0) d.directions += " ";
      d.directions += pick.Pick(kSentences);
    }
    d.type = pick.Between(0, kTypeCount - 1);
    d.season = pick.Between(0, kSeasonCount - 1);
    d.glass = pick.Between(0, kGlassCount - 1);
    d.temp = pick.Between(0, kTempCount - 1);
    if (pick.Between(0, 3) == 0) d.comment = pick.Pick(kComments);
    drinks.push_back(std::move(d));
  }
  return drinks;
}

void WriteDrinkCatalogue(const std::vector<TDrink>& drinks, const std::string& file_name) {
  TDrinkCatalogue catalogue;
  catalogue.OpenImage(
      tinydb::BuildDatabaseImage(CatalogueSettings(), {DrinksTableDefinition()}), file_name);
  catalogue.SetNextDrinkId(1);
  catalogue.InsertDrinks(drinks);
  catalogue.SaveDatabase();
}

}  // namespace zestoria::bench
