// The search builder: the pieces of every term kind, connectors, Undo,
// Clear and the recorded searches.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "finding/SearchBuilder.h"

namespace zestoria {
namespace {

TEST(SearchTermPiecesTest, EveryKindCharacterForCharacter) {
  struct Case {
    TSearchCategory category;
    const char* caption;
    const char* text;
    const char* filter;
    const char* ingredient = "";
  };
  const Case cases[] = {
      // The ingredient menus' terms name the ingredient; no filter says it.
      {scLiquor, "Gin", "Liquor(Gin) ", "", "Gin"},
      {scLiqueur, "Sloe Gin", "Liqueur(Sloe Gin) ", "", "Sloe Gin"},
      {scIngredient, "Ginger Ale", "Ingredient(Ginger Ale) ", "", "Ginger Ale"},
      {scType, "Cocktail", "Type(Cocktail) ", "TYPE = 3 "},
      {scType, "Sour", "Type(Sour) ", "TYPE = 23 "},
      {scGlass, "Highball", "Glass(Highball) ", "GLASS = 7 "},
      {scGlass, "Punch Bowl", "Glass(Punch Bowl) ", "GLASS = 10 "},
      {scSeason, "Summer", "Season(Summer) ", "SEASON = 2 "},
      {scTemperature, "Hot", "Temperature(Hot) ", "TEMP = 2 "},
      {scOtherIngredient, "lime", "Other Ingredient(lime) ", "ingred LIKE '%lime%'"},
      {scOtherIngredient, "O'Brien", "Other Ingredient(O'Brien) ", "ingred LIKE '%O''Brien%'"},
      {scOtherIngredient, "a_c%", "Other Ingredient(a_c%) ", "ingred LIKE '%a_c%%'"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.caption);
    TSearchPieces pieces = SearchTermPieces(c.category, c.caption);
    EXPECT_EQ(pieces.text, c.text);
    EXPECT_EQ(pieces.filter, c.filter);
    EXPECT_EQ(pieces.ingredient, c.ingredient);
    EXPECT_FALSE(IsConnector(pieces));
  }
}

TEST(SearchBuilderTest, TermConnectorTermJoinsWithoutParentheses) {
  TSearchBuilder b;
  b.AddTerm(SearchTermPieces(scSeason, "Summer"));
  EXPECT_TRUE(b.termPending());
  b.AddConnector(true);
  b.AddTerm(SearchTermPieces(scType, "Cocktail"));
  EXPECT_EQ(b.Description(), "Season(Summer) AND Type(Cocktail) ");
  EXPECT_EQ(b.Filter(), "SEASON = 2 and TYPE = 3 ");
  EXPECT_TRUE(b.Or());
  b.AddTerm(SearchTermPieces(scOtherIngredient, "lime"));
  EXPECT_TRUE(b.And());
  b.AddTerm(SearchTermPieces(scGlass, "Highball"));
  EXPECT_EQ(b.Filter(), "SEASON = 2 and TYPE = 3 or ingred LIKE '%lime%'and GLASS = 7 ");
  EXPECT_EQ(b.Description(), "Season(Summer) AND Type(Cocktail) OR Other Ingredient(lime) AND Glass(Highball) ");
  EXPECT_FALSE(b.Record().NamesIngredients());
}

TEST(SearchBuilderTest, ConnectorsOnlyAfterATerm) {
  TSearchBuilder b;
  EXPECT_FALSE(b.And());
  EXPECT_FALSE(b.Or());
  EXPECT_TRUE(b.textParts().empty());
  b.AddTerm(SearchTermPieces(scSeason, "Fall"));
  EXPECT_TRUE(b.And());
  EXPECT_FALSE(b.And());  // twice in a row: one connector
  EXPECT_EQ(b.filterParts().size(), 2u);
  EXPECT_FALSE(b.CanSearch());  // a connector last
}

TEST(SearchBuilderTest, UndoTakesBackOnePieceAtATime) {
  TSearchBuilder b;
  EXPECT_FALSE(b.Undo());
  EXPECT_FALSE(b.termPending());
  b.AddTerm(SearchTermPieces(scLiquor, "Gin"));
  b.AddConnector(false);
  b.AddTerm(SearchTermPieces(scType, "Cocktail"));
  ASSERT_TRUE(b.Undo());
  EXPECT_EQ(b.Description(), "Liquor(Gin) OR ");
  EXPECT_FALSE(b.termPending());  // the next term goes straight in
  ASSERT_TRUE(b.Undo());
  EXPECT_EQ(b.Description(), "Liquor(Gin) ");
  ASSERT_EQ(b.parts().size(), 1u);
  EXPECT_EQ(b.parts()[0].ingredient, "Gin");
  EXPECT_TRUE(b.termPending());  // the next term needs a connector again
  EXPECT_EQ(b.textParts().size(), b.filterParts().size());
  EXPECT_EQ(b.textParts().size(), b.parts().size());
}

TEST(SearchBuilderTest, ClearForgetsThePiecesButNotTheHistory) {
  TSearchBuilder b;
  b.AddTerm(SearchTermPieces(scTemperature, "Cold"));
  b.Record();
  b.Clear();
  EXPECT_TRUE(b.textParts().empty());
  EXPECT_TRUE(b.filterParts().empty());
  EXPECT_FALSE(b.CanSearch());
  EXPECT_EQ(b.history().size(), 1u);
}

TEST(SearchBuilderTest, HistoryNewestFirstAndFoundByDescription) {
  TSearchBuilder b;
  b.AddTerm(SearchTermPieces(scTemperature, "Hot"));
  b.Record();
  b.AddConnector(true);
  b.AddTerm(SearchTermPieces(scSeason, "Summer"));
  TRecordedSearch second = b.Record();
  EXPECT_EQ(second.filter, "TEMP = 2 and SEASON = 2 ");
  ASSERT_EQ(b.history().size(), 2u);
  EXPECT_EQ(b.history()[0].text, "Temperature(Hot) AND Season(Summer) ");
  EXPECT_EQ(b.history()[1].text, "Temperature(Hot) ");
  ASSERT_NE(b.HistoryFilter("Temperature(Hot) "), nullptr);
  EXPECT_EQ(*b.HistoryFilter("Temperature(Hot) "), "TEMP = 2 ");
  EXPECT_EQ(b.HistoryFilter("Liquor(Gin) "), nullptr);

  // A search naming an ingredient keeps its pieces for the set evaluation.
  b.Clear();
  b.AddTerm(SearchTermPieces(scLiquor, "Rum"));
  const TRecordedSearch rum = b.Record();
  EXPECT_TRUE(rum.NamesIngredients());
  ASSERT_NE(b.HistorySearch("Liquor(Rum) "), nullptr);
  EXPECT_EQ(b.HistorySearch("Liquor(Rum) ")->parts.size(), 1u);
}

// Terms as sets of drinks: AND binds closer than OR, as in the filter
// language ("a and b or c and d" is "(a and b) or (c and d)").
TEST(EvaluateSearchTest, AndBeforeOrOverSets) {
  const std::map<std::string, std::vector<int32_t>> sets = {
      {"Gin", {1, 2, 3, 7}}, {"TYPE = 3 ", {2, 3, 4}}, {"Rum", {5, 6}}, {"GLASS = 7 ", {4, 6, 9}}, {"Tequila", {}}};
  auto drinks_of = [&sets](const TSearchPieces& term) {
    return sets.at(term.ingredient.empty() ? term.filter : term.ingredient);
  };
  auto search = [&](const std::vector<TSearchPieces>& parts) { return EvaluateSearch(parts, drinks_of); };
  const TSearchPieces gin = SearchTermPieces(scLiquor, "Gin");
  const TSearchPieces cocktail = SearchTermPieces(scType, "Cocktail");
  const TSearchPieces rum = SearchTermPieces(scLiquor, "Rum");
  const TSearchPieces highball = SearchTermPieces(scGlass, "Highball");
  const TSearchPieces tequila = SearchTermPieces(scLiquor, "Tequila");
  TSearchBuilder connectors;
  connectors.AddTerm(gin);
  connectors.AddConnector(true);
  connectors.AddTerm(gin);
  connectors.AddConnector(false);
  const TSearchPieces AND = connectors.parts()[1];
  const TSearchPieces OR = connectors.parts()[3];
  EXPECT_TRUE(IsConnector(AND));
  EXPECT_TRUE(IsConnector(OR));

  EXPECT_EQ(search({gin}), (std::vector<int32_t>{1, 2, 3, 7}));
  EXPECT_EQ(search({gin, AND, cocktail}), (std::vector<int32_t>{2, 3}));
  EXPECT_EQ(search({gin, OR, rum}), (std::vector<int32_t>{1, 2, 3, 5, 6, 7}));
  EXPECT_EQ(search({gin, AND, cocktail, OR, rum, AND, highball}), (std::vector<int32_t>{2, 3, 6}));
  EXPECT_EQ(search({rum, OR, gin, AND, cocktail}), (std::vector<int32_t>{2, 3, 5, 6}));
  EXPECT_EQ(search({tequila, AND, gin}), std::vector<int32_t>{});
  EXPECT_EQ(search({tequila, OR, tequila}), std::vector<int32_t>{});
  EXPECT_EQ(search({}), std::vector<int32_t>{});
}

}  // namespace
}  // namespace zestoria
