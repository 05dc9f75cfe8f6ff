// Every variant of the recipe formats other programs write, one small
// fixture each (tests/fixtures/recipes/): recognised from the content, read
// and mapped onto drinks as the catalogue keeps them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "catalogue/Vocabularies.h"
#include "exchange/RecipeImport.h"
#include "exchange/RecipeText.h"

namespace zestoria {
namespace {

std::string Fixture(const std::string& name) {
  return std::string(ZESTORIA_TEST_FIXTURES) + "/recipes/" + name;
}

// What one drink of a fixture must be (UTF-8; "" checks nothing).
struct TExpected {
  const char* file;
  TRecipeFormat format;
  size_t drinks;
  size_t index;  // the drink checked
  const char* name;
  const char* ingredients;  // lines joined by "|"
  const char* directions;   // a part of them
  const char* comment;      // a part of it
  const char* type;
  const char* glass;
  const char* season;
  const char* temp;
};

std::string Lines(const std::string& cp1252) {
  std::string text = FromCatalogueText(cp1252);
  for (size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at)) text.replace(at, 2, "|");
  return text;
}

void Check(const TExpected& e) {
  SCOPED_TRACE(std::string(e.file) + " drink " + std::to_string(e.index));
  const TRecipeFile file = ReadRecipeFile(Fixture(e.file));
  EXPECT_EQ(file.format, e.format);
  ASSERT_EQ(file.drinks.size(), e.drinks);
  const TDrink& d = file.drinks[e.index];
  EXPECT_EQ(FromCatalogueText(d.name), e.name);
  if (*e.ingredients) {
    EXPECT_EQ(Lines(d.ingred), e.ingredients);
  }
  EXPECT_NE(Lines(d.directions).find(e.directions), std::string::npos) << Lines(d.directions);
  EXPECT_NE(FromCatalogueText(d.comment).find(e.comment), std::string::npos) << FromCatalogueText(d.comment);
  EXPECT_EQ(typeName(d.type), e.type);
  EXPECT_EQ(glassName(d.glass), e.glass);
  EXPECT_EQ(seasonName(d.season), e.season);
  EXPECT_EQ(tempName(d.temp), e.temp);
  EXPECT_LE(d.name.size(), kDrinkNameLength);
  EXPECT_LE(d.comment.size(), kDrinkCommentLength);
}

constexpr auto kBA = TRecipeFormat::rfBarAssistant;
constexpr auto kDb = TRecipeFormat::rfCocktailDb;
constexpr auto kIba = TRecipeFormat::rfIba;
constexpr auto kLd = TRecipeFormat::rfJsonLd;
constexpr auto kCsv = TRecipeFormat::rfCsv;

TEST(RecipeReadersTest, BarAssistantShapes) {
  const char* smash_lines =
      "60 ml Gin, preferably London Dry (or Genever)|30 ml Lemon juice|22.5 ml Simple syrup|8 Basil leaves";
  const TExpected cases[] = {
      // Data-pack file: NBSP in the name, ingredients by "sort", Markdown, entities.
      {"ba-datapack.json", kBA, 1, 0, "Gin Basil Smash", smash_lines,
       "1. Muddle the basil with lemon juice.|2. Add gin and syrup, shake with ice.|Double strain",
       "Garnish: basil leaf. Created by Jörg Meyer in 2008 & loved since. Source: https://example.org/smash",
       "Smash", "Old Fashioned", "Summer", "Cold"},
      // An array; bar spoon, top-up and a hot drink.
      {"ba-array.json", kBA, 2, 1, "Hot Toddy", "45 ml Whiskey|1 bar spoon Honey syrup|Top up with Hot water",
       "Build in a mug", "Garnish: lemon wheel.", "Toddy", "Coffee Cup", "Winter", "Hot"},
      // The import shape: names from the ingredient list.
      {"ba-import.json", kBA, 1, 0, "Daiquiri", "60 ml White rum|30 ml Lime juice|15 ml Simple syrup",
       "strain into a coupe", "", "Sour", "Cocktail", "All", "Cold"},
      // The current flat export: a range, an optional top-up, abv 0.
      {"ba-flat.json", kBA, 1, 0, "Virgin Mojito",
       "8 Mint leaves|20–30 ml Lime juice|Top up with Soda water (optional)", "Muddle mint",
       "Garnish: mint sprig. Fresh ’n' light.", "Non-Alcoholic", "Highball", "Summer", "Cold"},
      // A collection; a spritz is a wine drink.
      {"ba-collection.json", kBA, 2, 1, "Aperol Spritz", "90 ml Prosecco|60 ml Aperol|1 splash Soda",
       "Build over ice.", "", "Wine", "Wine", "All", "Cold"},
      // The zip export: data.json and a JSON-LD recipe.json, other files ignored.
      {"ba-export.zip", kBA, 2, 0, "Gin Basil Smash", smash_lines, "Double strain", "", "Smash",
       "Old Fashioned", "Summer", "Cold"},
      {"ba-export.zip", kBA, 2, 1, "Hot Toddy", "45 ml - 60 ml Whiskey|Hot water", "Build in a mug.", "",
       "Toddy", "Coffee Cup", "All", "Hot"},
  };
  for (const TExpected& e : cases) Check(e);
  EXPECT_EQ(ReadRecipeFile(Fixture("ba-collection.json")).collectionName, "Summer B\xE4r");
}

TEST(RecipeReadersTest, TheCocktailDbShapes) {
  const TExpected cases[] = {
      {"cocktaildb-search.json", kDb, 2, 0, "Margarita",
       "1 1/2 oz Tequila|1/2 oz Triple sec|1 oz Lime juice|Salt",
       "Rub the rim of the glass with the lime slice.|Shake", "IBA: Contemporary Classics", "Mixed",
       "Cocktail", "All", "Cold"},
      // A measure of only a line break; Christmas tags; coffee is hot.
      {"cocktaildb-search.json", kDb, 2, 1, "Irish Coffee",
       "1 1/2 oz Irish whiskey|8 oz Coffee|Sugar|1 tblsp Whipped cream", "Heat the coffee", "", "Coffee",
       "Coffee Cup", "Holiday", "Hot"},
      // A bare array; a 37-character name cut at a word, kept in the comment.
      {"cocktaildb-array.json", kDb, 2, 0, "Banana Strawberry Shake", "1 Banana|1/2 lb Strawberries|1 cup Yoghurt",
       "Blend", "Banana Strawberry Shake Daiquiri-type.", "Non-Alcoholic", "Highball", "All", "Cold"},
      // One object per line.
      {"cocktaildb-lines.jsonl", kDb, 2, 1, "Banana Strawberry Shake", "", "Blend", "", "Non-Alcoholic",
       "Highball", "All", "Cold"},
      // \u escapes and \/; empty slots.
      {"cocktaildb-escaped.json", kDb, 1, 0, "Autodafé", "4 cl Vodka", "Stir/strain.", "", "Mixed",
       "Old Fashioned", "All", "Cold"},
  };
  for (const TExpected& e : cases) Check(e);

  // A filter response (names and ids only) and "drinks": null hold nothing, and say so.
  struct TEmpty {
    const char* file;
    const char* says;
  };
  for (const TEmpty& e : {TEmpty{"cocktaildb-filter.json", "only names and ids"},
                          TEmpty{"cocktaildb-null.json", "\"drinks\": null"}}) {
    SCOPED_TRACE(e.file);
    try {
      ReadRecipeFile(Fixture(e.file));
      ADD_FAILURE() << "read";
    } catch (const ENoRecipeError& error) {
      const std::string message = error.what();
      EXPECT_NE(message.find(e.file), std::string::npos) << message;
      EXPECT_NE(message.find(e.says), std::string::npos) << message;
    }
  }
}

TEST(RecipeReadersTest, IbaShapes) {
  const TExpected cases[] = {
      // teijo: cl amounts as ml, labels before generic names, glass slugs, old groupings.
      {"iba-teijo.json", kIba, 3, 0, "Negroni", "30 ml Gin|30 ml Campari|30 ml Sweet red vermouth",
       "Build over ice", "Garnish: Half an orange slice. IBA Before Dinner Cocktail.", "Cocktail",
       "Old Fashioned", "All", "Cold"},
      {"iba-teijo.json", kIba, 3, 1, "Irish Coffee", "40 ml Irish whiskey|90 ml Coffee|1 teaspoon brown sugar",
       "Warm the coffee", "", "Coffee", "Coffee Cup", "All", "Hot"},
      {"iba-teijo.json", kIba, 3, 2, "Bellini", "100 ml Prosecco|50 ml Peach puree", "sparkling wine", "",
       "Wine", "Champagne", "All", "Cold"},
      // The IBA site's shape: direction lines verbatim, glass from the method; hot sauce is not hot.
      {"iba-web.json", kIba, 1, 0, "Bloody Mary", "45 ml Vodka|90 ml Tomato Juice|2 dashes Hot sauce",
       "Note: some add horseradish.", "Garnish: Celery, olives.", "Cocktail", "Highball", "All", "Cold"},
      // Wikipedia's: served frozen, a decomposed accent, drinkware names.
      {"iba-wiki.json", kIba, 2, 0, "Frozen Daíquiri", "6 cl white rum|2 to 3 dashes lime juice", "Blend",
       "A Floridita classic.", "Frozen", "Cocktail", "All", "Cold"},
      {"iba-wiki.json", kIba, 2, 1, "Mimosa", "", "Pour.", "", "Wine", "Champagne", "All", "Cold"},
      // kolaente: title, N/A garnish left out, NBSP, curly quotes and en dash kept.
      {"iba-kolaente.json", kIba, 1, 0, "Espresso Martini", "50 ml Vodka|30 ml Coffee liqueur|1 shot Espresso – fresh",
       "NOTE: “no” sugar.", "IBA New Era.", "Martini", "Cocktail", "All", "Cold"},
  };
  for (const TExpected& e : cases) Check(e);
  EXPECT_EQ(FromCatalogueText(ReadRecipeFile(Fixture("iba-kolaente.json")).drinks[0].comment), "IBA New Era.");
}

TEST(RecipeReadersTest, JsonLdShapes) {
  const TExpected cases[] = {
      // A top-level Recipe, HowToSteps numbered, the garnish step in the comment.
      {"jsonld-recipe.jsonld", kLd, 1, 0, "Old Fashioned", "60 ml Bourbon|1 sugar cube|2 dashes Angostura bitters",
       "1. Select and pre-chill an Old-fashioned glass.|2. Stir", "Garnish with an orange twist. The original & best.",
       "Cocktail", "Old Fashioned", "All", "Cold"},
      // In an @graph with @type as a list; a HowToSection's heading; a title cut of
      // its boilerplate; entity-escaped markup and an emoji in the description.
      {"jsonld-graph.json", kLd, 1, 0, "Christmas Punch", "1 bottle red wine|250 ml brandy|2 cinnamon sticks",
       "Prepare|1. Warm the wine gently; do not boil.|2. Add brandy", "A warming party bowl", "Punch",
       "Punch Bowl", "Holiday", "Hot"},
      // Plain-text steps; no alcohol at all.
      {"jsonld-strings.json", kLd, 1, 0, "Cold brew lemonad", "1 dl kallbryggt kaffe|2 msk citronsaft|Is",
       "1. Blanda allt.|2. Servera", "", "Non-Alcoholic", "Other", "All", "Cold"},
      // A web page: the Recipe in the second ld+json block, ingredients as objects.
      {"jsonld-page.html", kLd, 1, 0, "Negroni", "1 oz. gin|1 oz. Campari|1 oz. sweet vermouth",
       "1. Stir with ice, strain into a rocks glass", "", "Cocktail", "Old Fashioned", "All", "Cold"},
      // Arrays in arrays; HowToStep and HowToSection mixed; a step with only a name.
      {"jsonld-mixed.json", kLd, 1, 0, "Frozen Strawberry", "1 ½ cups frozen strawberries|2 oz tequila|1 oz Cointreau",
       "1. Salt the rim.|Blend|2. Blend everything until smooth.|3. Pour", "", "Frozen", "Other", "All", "Cold"},
  };
  for (const TExpected& e : cases) Check(e);
  const TRecipeFile graph = ReadRecipeFile(Fixture("jsonld-graph.json"));
  EXPECT_EQ(graph.namesShortened, 1u);
  EXPECT_EQ(graph.charactersReplaced, 1u);  // the emoji
}

TEST(RecipeReadersTest, CsvLayouts) {
  const TExpected cases[] = {
      // TheCocktailDB's dump: columns by name, multi-line cells, a measure of "\n".
      {"cocktaildb-dump.csv", kCsv, 3, 0, "'57 Chevy with a White", "1 oz Creme de Cacao|1 oz Vodka",
       "1. Fill a rocks glass with ice|2. Add", "'57 Chevy with a White License Plate.", "Cocktail", "Highball",
       "All", "Cold"},
      {"cocktaildb-dump.csv", kCsv, 3, 1, "Apple Berry Smoothie", "1 cup Berries|Apple", "Blend.", "",
       "Non-Alcoholic", "Other", "All", "Cold"},
      {"cocktaildb-dump.csv", kCsv, 3, 2, "Hot Chocolate to Die for", "2 oz Chocolate|4 cl hot Milk", "Melt", "",
       "Coffee", "Coffee Cup", "All", "Hot"},
      // Mr. Boston: a byte-order mark, measurement-N/ingredient-N, a top-up in a measurement cell.
      {"mrboston.csv", kCsv, 3, 0, "Tom Collins", "2 oz Gin|1 oz Lemon juice|Soda water", "top with soda",
       "Glass size: 14 to 16 ounces.", "Collins", "Collins", "All", "Cold"},
      {"mrboston.csv", kCsv, 3, 1, "El Ni_o", "1/2 oz Tequila|1/2 oz Kahl_a", "Layer", "", "Shooter", "Shot",
       "All", "Cold"},
      {"mrboston.csv", kCsv, 3, 2, "Banana Daiquiri", "1 1/4 oz Light Rum|1 Banana", "blender", "", "Frozen",
       "Cocktail", "All", "Cold"},
      // IBA's CSV: ingredients joined by commas, NA for empty.
      {"iba-web.csv", kCsv, 2, 0, "Bloody Mary",
       "45 ml Vodka|90 ml Tomato Juice|15 ml Lemon Juice|2 dashes Worcestershire Sauce|Tabasco, Celery Salt, Pepper",
       "Stir gently", "Garnish: Celery, olives.", "Cocktail", "Highball", "All", "Cold"},
      {"iba-web.csv", kCsv, 2, 1, "Tommy's Margarita", "", "rocks glass", "IBA New Era Drinks.", "Cocktail",
       "Old Fashioned", "All", "Cold"},
      // Our own columns, every field as written.
      {"own.csv", kCsv, 1, 0, "Café Royal", "1 cup Coffee|1 oz Cognac",
       "Pour the cognac into the coffee.|Serve at once.", "A \"royal\" cup, with commas, too.", "Coffee",
       "Coffee Cup", "Winter", "Hot"},
      // Some of our columns, typed by hand: the whole mapping fills in the rest.
      {"typed.csv", kCsv, 1, 0, "Hot Buttered Rum with a", "2 oz Dark rum|1 tsp Butter|Hot water",
       "Stir in a heated mug.", "Hot Buttered Rum with a Long Name.", "Cocktail", "Other", "All", "Hot"},
  };
  for (const TExpected& e : cases) Check(e);
  const TDrink own = ReadRecipeFile(Fixture("own.csv")).drinks[0];
  EXPECT_EQ(own.status, "X");
  EXPECT_NE(own.read_only, 0);
  EXPECT_EQ(FromCatalogueText(ReadRecipeFile(Fixture("iba-web.csv")).drinks[1].comment), "IBA New Era Drinks.");
}

}  // namespace
}  // namespace zestoria
