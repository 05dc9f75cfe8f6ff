#include "bar/IngredientVocabulary.h"

#include <gtest/gtest.h>

#include <map>

#include "ShippedVocabulary.h"
#include "bar/TextFolding.h"
#include "finding/DisplayFilters.h"

namespace zestoria::bar {
namespace {

using testing::Id;
using testing::ShippedRecogniser;
using testing::ShippedVocabulary;

TEST(TextFolding, CaseAccentsAndPunctuationDoNotMatter) {
  EXPECT_EQ(FoldedKey("Crème de Cassis"), "creme de cassis");
  EXPECT_EQ(FoldedKey("  JÄGERMEISTER!"), "jagermeister");
  EXPECT_EQ(FoldedKey("Peychaud's"), FoldedKey("Peychaud\xE2\x80\x99s"));  // right single quote
  EXPECT_EQ(FoldedKey("Lemon-lime soda"), "lemon lime soda");
  EXPECT_EQ(FoldedKey("Tom & Jerry"), "tom and jerry");
  EXPECT_EQ(FoldedKey("Œil de Perdrix, Straße"), "oeil de perdrix strasse");
  EXPECT_EQ(FoldedKey("1 1/2 oz"), "1 1 2 oz");
  EXPECT_EQ(FoldedKey("...-- "), "");
  EXPECT_EQ(FoldedKey("bad \xC3( utf-8 \xFF"), "bad utf 8");
}

TEST(TextFolding, MarksTheWordsInBrackets) {
  const auto words = FoldWords("Triple sec (Cointreau) [or] x");
  ASSERT_EQ(words.size(), 5u);
  EXPECT_FALSE(words[1].in_brackets);
  EXPECT_TRUE(words[2].in_brackets);
  EXPECT_TRUE(words[3].in_brackets);
  EXPECT_FALSE(words[4].in_brackets);
}

// The file the build ships passes every rule of FromJson (it throws
// otherwise) and is a tree of families with the expected roots.
TEST(ShippedVocabulary, LoadsAndHoldsItsFamilies) {
  const TIngredientVocabulary& v = ShippedVocabulary();
  EXPECT_GE(v.size(), 300u);
  EXPECT_TRUE(v.IsKindOf(Id(v, "Bourbon"), Id(v, "Whiskey")));
  EXPECT_TRUE(v.IsKindOf(Id(v, "Rye whiskey"), Id(v, "Whiskey")));
  EXPECT_TRUE(v.IsKindOf(Id(v, "London dry gin"), Id(v, "Gin")));
  EXPECT_TRUE(v.IsKindOf(Id(v, "Blended scotch"), Id(v, "Whiskey")));
  EXPECT_FALSE(v.IsKindOf(Id(v, "Sloe gin"), Id(v, "Gin")));
  EXPECT_FALSE(v.IsKindOf(Id(v, "Ginger beer"), Id(v, "Beer")));
  EXPECT_FALSE(v.IsKindOf(Id(v, "Gin"), Id(v, "London dry gin")));
  // Having lemons gives lemon juice; a lemon twist is a garnish.
  EXPECT_TRUE(v.IsKindOf(Id(v, "Lemon"), Id(v, "Lemon juice")));
  EXPECT_TRUE(v.NeverNeeded(Id(v, "Lemon twist")));
  EXPECT_FALSE(v.NeverNeeded(Id(v, "Lemon juice")));
  for (const char* never : {"Ice", "Water", "Lime wheel", "Cherry", "Mint", "Olive"})
    EXPECT_TRUE(v.NeverNeeded(Id(v, never))) << never;
  for (const char* staple : {"Sugar", "Salt", "Black pepper", "Nutmeg", "Honey"})
    EXPECT_TRUE(v.IsStaple(Id(v, staple))) << staple;
  EXPECT_FALSE(v.IsStaple(Id(v, "Ice")));
  EXPECT_FALSE(v.IsStaple(Id(v, "Gin")));
}

// Every liquor, liqueur and ingredient of the display menu is named, and
// names an ingredient whose own name it is (or a plain synonym).
TEST(ShippedVocabulary, NamesEveryItemOfTheDisplayMenu) {
  const TIngredientVocabulary& v = ShippedVocabulary();
  const std::map<std::string, std::string> synonyms = {
      {"Kahlua", "Coffee liqueur"}, {"Seltzer", "Club soda"}, {"Soda", "Club soda"},
      {"Curacao", "Curaçao"}, {"Blue Curacao", "Blue curaçao"}};
  int items = 0;
  for (const TDisplaySubmenu& submenu : DisplaySubmenus()) {
    if (submenu.category != dcLiquor && submenu.category != dcLiqueur && submenu.category != dcIngred)
      continue;
    for (const TDisplayItem& item : submenu.items) {
      ++items;
      const auto id = ShippedRecogniser().Name(item.caption);
      ASSERT_TRUE(id.has_value()) << item.caption;
      const auto synonym = synonyms.find(item.caption);
      const std::string expected = synonym != synonyms.end() ? synonym->second : item.caption;
      EXPECT_EQ(FoldedKey(v[*id].name), FoldedKey(expected)) << item.caption;
    }
  }
  EXPECT_EQ(items, 13 + 17 + 16);
}

TEST(VocabularyRules, BrokenFilesAreRefusedNamingTheEntry) {
  struct Case {
    const char* json;
    const char* message;  // a part of the error's text
  };
  const Case cases[] = {
      {"[1, 2", "not well-formed JSON"},
      {"{}", "no \"ingredients\" list"},
      {R"({"ingredients": {}})", "no \"ingredients\" list"},
      {R"({"ingredients": [7]})", "ingredient 1: is not an object"},
      {R"({"ingredients": [{"group": "spirits"}]})", "ingredient 1: has no \"name\""},
      {R"({"ingredients": [{"name": "Gin"}]})", "(\"Gin\"): has no \"group\""},
      {R"({"ingredients": [{"name": "Gin", "group": "booze"}]})", "unknown group \"booze\""},
      {R"({"ingredients": [{"name": "Gin", "group": "spirits", "colour": "clear"}]})", "unknown field \"colour\""},
      {R"({"ingredients": [{"name": "Gin", "group": "spirits", "aliases": "gin"}]})", "not a list"},
      {R"({"ingredients": [{"name": "Gin", "group": "spirits", "aliases": [3]}]})", "alias that is not a text"},
      {R"({"ingredients": [{"name": "Gin", "group": "spirits", "aliases": ["--"]}]})", "no letter or digit"},
      {R"({"ingredients": [{"name": "Gin", "group": "spirits", "always": 1}]})", "\"always\""},
      {R"({"ingredients": [{"name": "Gin", "group": "spirits"},
                           {"name": "Genever", "group": "spirits", "aliases": ["GÍN"]}]})",
       "ingredient 2 (\"Genever\"): shares the name \"gin\" with \"Gin\""},
      {R"({"ingredients": [{"name": "Gin", "group": "spirits", "parent": "Juniper"}]})",
       "names the parent \"Juniper\", which is no ingredient's name"},
      {R"({"ingredients": [{"name": "Gin", "group": "spirits", "parent": "gin"}]})", "is its own parent"},
      {R"({"ingredients": [{"name": "A", "group": "spirits", "parent": "B"},
                           {"name": "B", "group": "spirits", "parent": "A"}]})", "cycle"},
  };
  for (const Case& c : cases) {
    try {
      TIngredientVocabulary::FromJson(c.json);
      ADD_FAILURE() << "accepted " << c.json;
    } catch (const TVocabularyError& e) {
      EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
    }
  }
}

TEST(VocabularyRules, OneEntryMaySpellItsNameTwice) {
  const auto v = TIngredientVocabulary::FromJson(
      R"({"ingredients": [{"name": "Crème de cassis", "group": "liqueurs", "aliases": ["creme de cassis", "cassis"]}]})");
  ASSERT_EQ(v.size(), 1u);
  EXPECT_EQ(v.FindName("CASSIS"), TIngredientId{0});
  EXPECT_EQ(v.FindName("Creme de Cassis"), TIngredientId{0});
  EXPECT_FALSE(v.FindName("cassis liqueur"));
}

TEST(VocabularyRules, AMissingFileIsNamed) {
  try {
    TIngredientVocabulary::LoadFile("/nonexistent/ingredients.json");
    FAIL();
  } catch (const TVocabularyError& e) {
    EXPECT_NE(std::string(e.what()).find("/nonexistent/ingredients.json"), std::string::npos);
  }
}

}  // namespace
}  // namespace zestoria::bar
