#include "bar/IngredientRecogniser.h"

#include <gtest/gtest.h>

#include "ShippedVocabulary.h"

namespace zestoria::bar {
namespace {

using testing::Names;
using testing::ShippedRecogniser;
using testing::ShippedVocabulary;

struct LineCase {
  const char* line;
  std::vector<std::string> names;  // canonical names, in line order; empty: unrecognised
  bool alternatives = false;
  bool optional = false;
};

TEST(IngredientRecogniser, NamesTheIngredientsOfALine) {
  const LineCase cases[] = {
      // The issue's own lines.
      {"1 1/2 oz London dry gin", {"London dry gin"}},
      {"3/4 oz fresh Lime juice", {"Lime juice"}},
      {"Lime wheel", {"Lime wheel"}},
      // The longest name at word boundaries wins.
      {"2 oz Sloe Gin", {"Sloe gin"}},
      {"Sloe gin", {"Sloe gin"}},
      {"4 oz Ginger Ale", {"Ginger ale"}},
      {"Ginger Beer", {"Ginger beer"}},
      {"1 oz GIN", {"Gin"}},
      {"Top up with soda water", {"Club soda"}},
      {"2 dashes Angostura bitters", {"Angostura bitters"}},
      {"1 dash bitters", {"Bitters"}},
      {"1/2 oz Crème de cassis", {"Crème de cassis"}},
      {"1/2 oz CRÈME DE MENTHE (green)", {"Crème de menthe"}},
      {"1/2 oz Green Creme de Menthe", {"Green crème de menthe"}},
      {"1 oz Jägermeister", {"Jägermeister"}},
      {"1 oz Cachaça", {"Cachaça"}},
      {"2 oz Lemon-lime soda (7 Up)", {"Lemon-lime soda"}},
      {"Lemon juice", {"Lemon juice"}},
      {"Lemon twist", {"Lemon twist"}},
      {"2 lime wedges", {"Lime wedge"}},
      {"3 maraschino cherries", {"Cherry"}},
      {"1/2 oz Maraschino liqueur", {"Maraschino liqueur"}},
      {"1 oz sweet Vermouth", {"Sweet vermouth"}},
      {"1 oz Vermouth", {"Vermouth"}},
      {"Dash of Peychaud's bitters", {"Peychaud's bitters"}},
      {"1 oz Peychaud\xE2\x80\x99s Bitters", {"Peychaud's bitters"}},
      {"12 oz cold Lager beer", {"Lager"}},
      {"1 oz Irish cream", {"Irish cream"}},
      {"1 oz heavy cream", {"Cream"}},
      {"2 oz Cream of coconut", {"Cream of coconut"}},
      // A measure, a brand or "fresh" around the name does not matter;
      // brackets explain, they do not add.
      {"1 oz Triple sec (Cointreau)", {"Triple sec"}},
      {"1 oz Cointreau", {"Triple sec"}},
      {"1 1/2 oz White rum (Bacardi)", {"White rum"}},
      {"1 1/2 oz Blended Whiskey (Seagram's 7 Crown)", {"Blended whiskey"}},
      {"1 oz Coffee liqueur (Tia Maria or Kahlua)", {"Coffee liqueur"}},
      {"(Cointreau)", {"Triple sec"}},
      {"1 oz Tequila (reposado)", {"Tequila"}},
      {"2 oz Gin (London dry gin)", {"Gin"}},
      {"2 oz Rum, preferably dark rum", {"Dark rum"}},
      // More than one ingredient: all needed, or alternatives with "or".
      {"Pinch of salt and black pepper", {"Salt", "Black pepper"}},
      {"Lemon slice and a cherry", {"Lemon wheel", "Cherry"}},
      {"1 1/2 oz Gin or Vodka", {"Gin", "Vodka"}, true},
      {"1 oz Bourbon, Rye whiskey or Scotch", {"Bourbon", "Rye whiskey", "Scotch"}, true},
      {"Gin or London dry gin", {"Gin"}},
      {"1 oz Blanc or dry Vermouth", {"Dry vermouth"}},
      {"Egg white (optional)", {"Egg"}, false, true},
      {"1 dash hot sauce (optional)", {"Hot sauce"}, false, true},
      // Staples, garnishes, ice.
      {"Crushed ice", {"Ice"}},
      {"1 sugar cube", {"Sugar"}},
      {"Freshly grated nutmeg", {"Nutmeg"}},
      // Nothing to name.
      {"Shake well", {}},
      {"", {}},
      {"2 oz", {}},
      {"1 oz Gingerbread", {}},
      {"(", {}},
  };
  const TIngredientVocabulary& v = ShippedVocabulary();
  for (const LineCase& c : cases) {
    const TLineReading reading = ShippedRecogniser().ReadLine(c.line);
    EXPECT_EQ(Names(v, reading.ingredients), c.names) << c.line;
    EXPECT_EQ(reading.Recognised(), !c.names.empty()) << c.line;
    EXPECT_EQ(reading.alternatives, c.alternatives) << c.line;
    EXPECT_EQ(reading.optional, c.optional) << c.line;
  }
}

// Names as the classic lists and public recipe sets write them.
TEST(IngredientRecogniser, NamesTheUsualNamesOfPublicRecipeSets) {
  const char* const names[] = {
      "Light rum", "Dark rum", "Añejo rum", "Spiced rum", "151 proof rum", "Cachaça", "Pisco",
      "Añejo tequila", "Mezcal", "Blended whiskey", "Scotch whisky", "Irish whiskey", "Rye whiskey",
      "Applejack", "Calvados", "Armagnac", "Kirschwasser", "Grappa", "Aquavit", "Everclear",
      "Absolut Citron", "Cranberry vodka", "Peach vodka", "Gin", "Old Tom gin", "Genever",
      "Baileys irish cream", "Tia maria", "Midori melon liqueur", "Malibu rum", "Chambord raspberry liqueur",
      "St-Germain", "Aperol", "Campari", "Cynar", "Fernet-Branca", "Amaro Montenegro", "Galliano",
      "Goldschläger", "Sambuca", "Ouzo", "Pernod", "Ricard", "Herbsaint", "Kümmel", "Strega",
      "Apple schnapps", "Blackberry brandy", "Coffee brandy", "Creme de Banane", "Crème Yvette",
      "Lillet", "Cocchi Americano", "Dubonnet Rouge", "Dry Vermouth", "Rosso vermouth", "Port",
      "Madeira", "Prosecco", "Champagne", "Cava", "Guinness stout", "Corona", "Cider",
      "Sweet and sour", "Powdered sugar", "Superfine sugar", "Sugar syrup", "Rich demerara syrup",
      "Orgeat syrup", "Agave nectar", "Maple syrup", "Passion fruit syrup", "Rose's lime juice",
      "Lime", "Lemon peel", "Orange peel", "Maraschino cherry", "Olive", "Cocktail onion",
      "Mint", "Cucumber", "Celery salt", "Tabasco sauce", "Worcestershire sauce", "Black pepper",
      "Egg", "Egg yolk", "Heavy cream", "Half-and-half", "Milk", "Coconut milk", "Cream of coconut",
      "Espresso", "Coffee", "Tea", "Hot chocolate", "Cola", "7-Up", "Sprite", "Ginger ale",
      "Ginger beer", "Tonic water", "Soda water", "Carbonated water", "Red Bull", "Root beer",
      "Apple juice", "Pineapple juice", "Cranberry juice", "Grapefruit juice", "Tomato juice",
      "Clamato juice", "Pomegranate juice", "Coconut water", "Lemonade", "Pink lemonade",
      "Orange bitters", "Peychaud bitters", "Angostura", "Orange flower water", "Vanilla extract",
      "Ice", "Water", "Salt", "Nutmeg", "Cinnamon", "Cloves", "Honey", "Brown sugar",
  };
  for (const char* name : names) EXPECT_TRUE(ShippedRecogniser().ReadLine(name).Recognised()) << name;
}

TEST(IngredientRecogniser, NamesWhatAUserTypes) {
  const TIngredientVocabulary& v = ShippedVocabulary();
  const std::pair<const char*, const char*> cases[] = {
      {"lemons", "Lemon"},          {"Sweet Vermouth", "Sweet vermouth"}, {"campari", "Campari"},
      {"GIN", "Gin"},               {"club soda", "Club soda"},           {"creme de cassis", "Crème de cassis"},
      {"bourbon", "Bourbon"},       {"kahlúa", "Coffee liqueur"}};
  for (const auto& [typed, name] : cases) {
    const auto id = ShippedRecogniser().Name(typed);
    ASSERT_TRUE(id.has_value()) << typed;
    EXPECT_EQ(v[*id].name, name) << typed;
  }
  EXPECT_FALSE(ShippedRecogniser().Name("unobtainium"));
  EXPECT_FALSE(ShippedRecogniser().Name(""));
}

TEST(IngredientRecogniser, AnyBytesAreReadWithoutFault) {
  std::string bytes;
  for (int i = 0; i < 256; ++i) bytes += static_cast<char>(i);
  const TLineReading reading = ShippedRecogniser().ReadLine(bytes + " gin " + bytes);
  EXPECT_EQ(Names(ShippedVocabulary(), reading.ingredients), std::vector<std::string>{"Gin"});
  EXPECT_NO_THROW(ShippedRecogniser().ReadLine(std::string(100000, '(') + "gin"));
}

TEST(IngredientLines, SplitsTheCataloguesTextIntoUtf8Lines) {
  EXPECT_EQ(IngredientLines("1 oz Gin\r\n\r\n  1/2 oz Cr\xE8me de cassis \r\nLime wheel"),
            (std::vector<std::string>{"1 oz Gin", "1/2 oz Cr\xC3\xA8me de cassis", "Lime wheel"}));
  EXPECT_TRUE(IngredientLines("").empty());
  EXPECT_TRUE(IngredientLines("\r\n \r\n").empty());
  EXPECT_EQ(IngredientLines("a\nb\rc"), (std::vector<std::string>{"a", "b", "c"}));
}

}  // namespace
}  // namespace zestoria::bar
