// The search builder: the pieces of every term kind, connectors, Undo,
// Clear and the recorded searches.
#include <gtest/gtest.h>

#include "finding/SearchBuilder.h"

namespace zestoria {
namespace {

TEST(SearchTermPiecesTest, EveryKindCharacterForCharacter) {
  struct Case {
    TSearchCategory category;
    const char* caption;
    const char* text;
    const char* filter;
  };
  const Case cases[] = {
      {scLiquor, "Gin", "Liquor(Gin) ", "ingred LIKE '%Gin%' "},
      {scLiqueur, "Sloe Gin", "Liqueur(Sloe Gin) ", "ingred LIKE '%Sloe Gin%' "},
      {scIngredient, "Ginger Ale", "Ingredient(Ginger Ale) ", "ingred LIKE '%Ginger Ale%' "},
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
  }
}

TEST(SearchBuilderTest, TermConnectorTermJoinsWithoutParentheses) {
  TSearchBuilder b;
  b.AddTerm(SearchTermPieces(scLiquor, "Gin"));
  EXPECT_TRUE(b.termPending());
  b.AddConnector(true);
  b.AddTerm(SearchTermPieces(scType, "Cocktail"));
  EXPECT_EQ(b.Description(), "Liquor(Gin) AND Type(Cocktail) ");
  EXPECT_EQ(b.Filter(), "ingred LIKE '%Gin%' and TYPE = 3 ");
  EXPECT_TRUE(b.Or());
  b.AddTerm(SearchTermPieces(scOtherIngredient, "lime"));
  EXPECT_TRUE(b.And());
  b.AddTerm(SearchTermPieces(scGlass, "Highball"));
  EXPECT_EQ(b.Filter(), "ingred LIKE '%Gin%' and TYPE = 3 or ingred LIKE '%lime%'and GLASS = 7 ");
  EXPECT_EQ(b.Description(), "Liquor(Gin) AND Type(Cocktail) OR Other Ingredient(lime) AND Glass(Highball) ");
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
  EXPECT_EQ(b.Filter(), "ingred LIKE '%Gin%' ");
  EXPECT_TRUE(b.termPending());  // the next term needs a connector again
  EXPECT_EQ(b.textParts().size(), b.filterParts().size());
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
  b.AddTerm(SearchTermPieces(scLiquor, "Rum"));
  b.Record();
  b.AddConnector(true);
  b.AddTerm(SearchTermPieces(scSeason, "Summer"));
  TRecordedSearch second = b.Record();
  EXPECT_EQ(second.filter, "ingred LIKE '%Rum%' and SEASON = 2 ");
  ASSERT_EQ(b.history().size(), 2u);
  EXPECT_EQ(b.history()[0].text, "Liquor(Rum) AND Season(Summer) ");
  EXPECT_EQ(b.history()[1].text, "Liquor(Rum) ");
  ASSERT_NE(b.HistoryFilter("Liquor(Rum) "), nullptr);
  EXPECT_EQ(*b.HistoryFilter("Liquor(Rum) "), "ingred LIKE '%Rum%' ");
  EXPECT_EQ(b.HistoryFilter("Liquor(Gin) "), nullptr);
}

}  // namespace
}  // namespace zestoria
