// The shared mapping of foreign recipes onto drinks: text hygiene, the
// step into Windows-1252, the 25- and 255-character limits, and the glass,
// type, season and temperature tables.
#include <gtest/gtest.h>

#include <string>

#include "catalogue/Vocabularies.h"
#include "exchange/CsvTable.h"
#include "exchange/RecipeMapping.h"
#include "exchange/RecipeText.h"

namespace zestoria {
namespace {

TEST(RecipeMappingTest, TextHygiene) {
  struct TCase {
    const char* in;
    const char* line;  // CleanLine
  } cases[] = {
      {"Dryckesrecept &amp; drinkar", "Dryckesrecept & drinkar"},
      {"you&#39;d &#039;x&#039; &#8217; &#224; &#xE9; &nbsp;end", "you'd 'x' ’ à é end"},
      {"&lt;p&gt;A &lt;b&gt;bold&lt;/b&gt; drink&lt;/p&gt;", "A bold drink"},
      {"Gin &amp Tonic & more &bogus; 1 < 2", "Gin &amp Tonic & more &bogus; 1 < 2"},
      {"Gin\xC2\xA0" "Basil  Smash\t", "Gin Basil Smash"},
      {"Dai\xCC\x81quiri", "Da\xC3\xADquiri"},  // decomposed accent to NFC
      {"zero\xE2\x80\x8Bwidth", "zerowidth"},
  };
  for (const TCase& c : cases) EXPECT_EQ(CleanLine(c.in), c.line) << c.in;
  EXPECT_EQ(CleanText("**Variations:**\n- one\n* two\n\n\n### Note\r\nplain *soft* text", true),
            "Variations:\none\ntwo\n\nNote\nplain soft text");
  EXPECT_EQ(CleanText("<p>Line one</p><p>Line two<br>three</p>", false), "Line one\n\nLine two\nthree");
}

TEST(RecipeMappingTest, Windows1252AndTransliteration) {
  struct TCase {
    const char* in;
    const char* out;  // Windows-1252
    size_t replaced;
  } cases[] = {
      {"Caf\xC3\xA9 \xE2\x80\x99 \xC2\xBD \xE2\x82\xAC \xC5\xA0", "Caf\xE9 \x92 \xBD \x80 \x8A", 0},
      {"Corpse Reviver \xE2\x84\x96" "2", "Corpse Reviver No2", 1},
      {"Gemi\xC5\xA1t \xC5\x82\xC3\xB3" "d\xC5\xBA", "Gemi\x9At l\xF3" "dz", 2},  // ł and ź have no Windows-1252 form
      {"\xCE\xA3\xCE\xBF\xCF\x8D\xCE\xB6\xCE\xBF", "Soyzo", 5},  // Greek spelled in Latin
      {"Party \xF0\x9F\x8E\x84!", "Party !", 1},
  };
  for (const TCase& c : cases) {
    size_t replaced = 0;
    EXPECT_EQ(ToCatalogueText(c.in, &replaced), c.out) << c.in;
    EXPECT_EQ(replaced, c.replaced) << c.in;
  }
}

TEST(RecipeMappingTest, LongNamesAndComments) {
  TRecipe recipe;
  recipe.name = "Queen's Park Hotel Super Cocktail";
  recipe.ingredients = {"45 ml Gin"};
  recipe.garnish = "orange twist";
  recipe.description = std::string(400, 'x');
  TMappingCounts counts;
  const TDrink drink = MapRecipe(recipe, &counts);
  EXPECT_EQ(drink.name, "Queen's Park Hotel Super");
  EXPECT_EQ(counts.namesShortened, 1u);
  EXPECT_EQ(drink.comment.rfind("Queen's Park Hotel Super Cocktail. Garnish: orange twist. ", 0), 0u);
  EXPECT_EQ(drink.comment.size(), kDrinkCommentLength);
  EXPECT_EQ(drink.comment.back(), '\x85');  // the ellipsis

  // A name without a blank early enough is cut hard; web-page titles lose their boilerplate.
  recipe.name = "Supercalifragilisticexpialidocious";
  EXPECT_EQ(MapRecipe(recipe, nullptr).name, "Supercalifragilisticexpia");
  recipe.titleName = true;
  for (auto [title, name] : {std::pair{"How to make a Negroni Cocktail", "Negroni Cocktail"},
                             std::pair{"Homemade Spanish Sangria - Authentic Recipe", "Spanish Sangria"},
                             std::pair{"Easy Lemonade (Made with Fresh + Bottled Lemon Juice)", "Easy Lemonade"},
                             std::pair{"Negroni Recipe", "Negroni"}}) {
    recipe.name = title;
    EXPECT_EQ(MapRecipe(recipe, nullptr).name, name);
  }
  // The accent of a decomposed letter never parts from it at the cut.
  recipe.titleName = false;
  recipe.name = "Cre\xCC\x81me de cacao fizz royale e\xCC\x81te\xCC\x81";
  EXPECT_EQ(FromCatalogueText(MapRecipe(recipe, nullptr).name), "Cr\xC3\xA9me de cacao fizz");
}

TEST(RecipeMappingTest, GlassTable) {
  struct TCase {
    const char* spelling;
    const char* glass;
  } cases[] = {
      {"Cocktail glass", "Cocktail"},      {"Martini Glass", "Cocktail"},  {"Nick and Nora Glass", "Cocktail"},
      {"Margarita/Coupette glass", "Cocktail"}, {"Coupe", "Cocktail"},   {"Lowball", "Old Fashioned"},
      {"old-fashioned", "Old Fashioned"},  {"Whiskey Glass", "Old Fashioned"}, {"tumbler", "Old Fashioned"},
      {"Highball glass", "Highball"},      {"Silver cup or highball glass", "Highball"},
      {"Fizzio", "Collins"},               {"Zombie glass", "Collins"},    {"champagne-tulip", "Champagne"},
      {"Champagne flute", "Champagne"},    {"Wine glass (white)", "Wine"}, {"Balloon Glass", "Wine"},
      {"white-wine", "Wine"},              {"Punch Cup", "Punch Bowl"},    {"Shot glass", "Shot"},
      {"Whiskey sour glass", "Sour"},      {"Cordial or Pony Glass", "Cordial"}, {"Sherry Glass", "Cordial"},
      {"Brandy snifter", "Brandy Snifter"}, {"Pousse-Cafe Glass", "Pousse Cafe"},
      {"Irish coffee cup", "Coffee Cup"},  {"Mug", "Coffee Cup"},          {"hot-drink", "Coffee Cup"},
      {"Beer pilsner", "Beer Mug"},        {"Pint glass", "Beer Mug"},     {"Copper mug", "Other"},
      {"Hurricane glass", "Other"},        {"Mason jar", "Other"},         {"", "Other"},
      {"Old Fashioned", "Old Fashioned"},  {"Beer Mug", "Beer Mug"},       {"Other", "Other"},
  };
  for (const TCase& c : cases) EXPECT_EQ(glassName(GlassFromName(c.spelling).value_or(-1)), c.glass) << c.spelling;
  EXPECT_FALSE(GlassFromName("Vessel of wonders"));
  EXPECT_EQ(glassName(GlassFromText("Strain into a chilled cocktail glass.").value_or(-1)), "Cocktail");
  EXPECT_FALSE(GlassFromText("Shake in a cocktail shaker."));
}

TEST(RecipeMappingTest, TypeSeasonAndTemperatureWords) {
  EXPECT_EQ(typeName(TypeFromName("Tom Collins").value_or(-1)), "Collins");
  EXPECT_EQ(typeName(TypeFromName("Whiskey Sour").value_or(-1)), "Sour");
  EXPECT_EQ(typeName(TypeFromName("Spanish Sangria").value_or(-1)), "Punch");
  EXPECT_FALSE(TypeFromName("Sourdough Surprise"));
  EXPECT_EQ(seasonName(SeasonFromWords({"christmas dinner", "winter"}, "").value_or(-1)), "Holiday");
  EXPECT_EQ(seasonName(SeasonFromWords({" Summer"}, "").value_or(-1)), "Summer");
  EXPECT_EQ(seasonName(SeasonFromWords({"Autumn"}, "").value_or(-1)), "Fall");
  EXPECT_FALSE(SeasonFromWords({"Citrusy"}, "A summer drink"));
  EXPECT_TRUE(HotFromWords({}, "Simmer gently"));
  EXPECT_FALSE(HotFromWords({}, "Shake with ice; add a shot"));
  TRecipe bloody;
  bloody.name = "Bloody Mary";
  bloody.ingredients = {"2 dashes Hot sauce", "45 ml Vodka"};
  EXPECT_EQ(tempName(MapRecipe(bloody, nullptr).temp), "Cold");
  bloody.ingredients.push_back("Top up with hot water");
  EXPECT_EQ(tempName(MapRecipe(bloody, nullptr).temp), "Hot");
}

TEST(CsvTableTest, QuotingRules) {
  const std::string text =
      "\xEF\xBB\xBF" "a,b,c\r\n"
      "1,\"two, with comma\",\"line\nbreak\"\n"
      "\n"
      "\"say \"\"hi\"\"\",,\"\"\n"
      "x\"y,\"q\"tail,last";
  const std::vector<TCsvRow> rows = ParseCsv(text);
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ(rows[0].cells, (std::vector<std::string>{"a", "b", "c"}));
  EXPECT_EQ(rows[1].cells, (std::vector<std::string>{"1", "two, with comma", "line\nbreak"}));
  EXPECT_EQ(rows[2].cells, (std::vector<std::string>{"say \"hi\"", "", ""}));
  EXPECT_EQ(rows[2].line, 5u);
  EXPECT_EQ(rows[3].cells, (std::vector<std::string>{"x\"y", "qtail", "last"}));
  try {
    ParseCsv("a,b\n1,\"open\n\n");
    ADD_FAILURE() << "an open quote was accepted";
  } catch (const ECsvError& error) {
    EXPECT_EQ(error.Line(), 2u);
  }
  // Writing: quoted only when needed, and read back the same.
  const std::vector<std::string> cells = {"plain", "a,b", "say \"x\"", "two\nlines", " padded", ""};
  EXPECT_EQ(CsvRow(cells), "plain,\"a,b\",\"say \"\"x\"\"\",\"two\nlines\",\" padded\",\r\n");
  EXPECT_EQ(ParseCsv(CsvRow(cells))[0].cells, cells);
}

}  // namespace
}  // namespace zestoria
