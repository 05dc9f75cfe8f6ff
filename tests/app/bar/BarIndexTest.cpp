#include "bar/BarIndex.h"

#include <gtest/gtest.h>

#include "ShippedVocabulary.h"
#include "catalogue/Drink.h"

namespace zestoria::bar {
namespace {

using testing::Id;
using testing::Names;

// A small bar: gin with a child, whiskey with two, lemons that give lemon
// juice, a staple and a garnish.
constexpr const char* kSmallVocabulary = R"({"ingredients": [
  {"name": "Gin", "group": "spirits"},
  {"name": "London dry gin", "group": "spirits", "parent": "Gin"},
  {"name": "Whiskey", "group": "spirits"},
  {"name": "Bourbon", "group": "spirits", "parent": "Whiskey"},
  {"name": "Rye", "group": "spirits", "parent": "Whiskey"},
  {"name": "Vodka", "group": "spirits"},
  {"name": "Campari", "group": "liqueurs"},
  {"name": "Sweet vermouth", "group": "wines and beers"},
  {"name": "Club soda", "group": "mixers", "aliases": ["soda"]},
  {"name": "Lemon juice", "group": "juices"},
  {"name": "Lemon", "group": "garnishes", "parent": "Lemon juice", "aliases": ["lemons"]},
  {"name": "Lemon twist", "group": "garnishes", "parent": "Lemon"},
  {"name": "Sugar", "group": "staples"},
  {"name": "Ice", "group": "staples", "always": true}
]})";

class BarIndexTest : public ::testing::Test {
 protected:
  BarIndexTest() : vocabulary_(TIngredientVocabulary::FromJson(kSmallVocabulary)), recogniser_(vocabulary_),
                   index_(recogniser_) {
    index_.PutDrink(1, {"1 oz Gin", "1 oz Campari", "1 oz Sweet vermouth", "Lemon twist"});  // Negroni
    index_.PutDrink(2, {"1 oz Campari", "1 oz Sweet vermouth", "Soda", "Ice"});              // Americano
    index_.PutDrink(3, {"2 oz London dry gin", "1 oz lemon juice", "1 tsp sugar"});          // a gin sour
    index_.PutDrink(4, {"2 oz Bourbon or Rye", "Sugar", "Lemon twist"});                     // old fashioned
    index_.PutDrink(5, {"2 oz Whiskey", "1 oz Lemon juice", "Egg white (optional)"});
    index_.PutDrink(6, {"2 oz Vodka", "a pinch of moondust"});
    index_.PutDrink(7, {"1 oz Gin", "1 oz London dry gin"});  // asks for gin twice
  }

  TShelf Shelf(std::initializer_list<const char*> names) const {
    TShelf shelf(vocabulary_);
    for (const char* name : names) shelf.Add(Id(vocabulary_, name));
    return shelf;
  }

  std::map<std::string, int> Ranking(const TShelf& shelf) const {
    std::map<std::string, int> ranking;
    for (const TNextBottle& bottle : index_.NextBottles(shelf)) ranking[vocabulary_[bottle.ingredient].name] = bottle.opens;
    return ranking;
  }

  TIngredientVocabulary vocabulary_;
  TIngredientRecogniser recogniser_;
  TBarIndex index_;
};

TEST_F(BarIndexTest, GarnishesIceAndOptionalLinesAreNeverNeeded) {
  EXPECT_EQ(index_.Makeable(Shelf({"Gin", "Campari", "Sweet vermouth"})), (std::vector<int32_t>{1}));
  const TDrinkNeeds* needs = index_.Needs(5);
  ASSERT_NE(needs, nullptr);
  ASSERT_EQ(needs->required.size(), 2u);
  // The egg white is not in the vocabulary: the line is unrecognised, reported, not dropped.
  EXPECT_EQ(needs->unrecognised, (std::vector<std::string>{"Egg white (optional)"}));
  EXPECT_EQ(index_.Needs(6)->unrecognised, (std::vector<std::string>{"a pinch of moondust"}));
  EXPECT_EQ(index_.UnrecognisedLines().size(), 2u);
}

TEST_F(BarIndexTest, AChildMeetsItsParentButNotTheOtherWayRound) {
  // London dry gin meets the Negroni's "Gin"; Gin does not meet "London dry gin".
  EXPECT_EQ(index_.Makeable(Shelf({"London dry gin", "Campari", "Sweet vermouth"})), (std::vector<int32_t>{1, 7}));
  EXPECT_EQ(index_.Makeable(Shelf({"Gin", "Lemon juice", "Sugar"})), (std::vector<int32_t>{}));
  EXPECT_EQ(index_.Makeable(Shelf({"London dry gin", "Lemon juice", "Sugar"})), (std::vector<int32_t>{3, 7}));
  // Lemons give lemon juice; either whiskey meets "Whiskey" and "Bourbon or Rye".
  EXPECT_EQ(index_.Makeable(Shelf({"Rye", "Lemon", "Sugar"})), (std::vector<int32_t>{4, 5}));
  EXPECT_EQ(index_.Makeable(Shelf({"Whiskey", "Lemon juice", "Sugar"})), (std::vector<int32_t>{5}));
}

TEST_F(BarIndexTest, StaplesCountOnlyWhenAtHand) {
  TShelf shelf = Shelf({"London dry gin", "Lemon"});
  EXPECT_EQ(index_.Makeable(shelf), (std::vector<int32_t>{7}));
  shelf = TShelf::WithStaples(vocabulary_);
  EXPECT_EQ(Names(vocabulary_, shelf.Items()), (std::vector<std::string>{"Sugar"}));
  shelf.Add(Id(vocabulary_, "London dry gin"));
  shelf.Add(Id(vocabulary_, "Lemon"));
  EXPECT_EQ(index_.Makeable(shelf), (std::vector<int32_t>{3, 7}));
}

TEST_F(BarIndexTest, OneAwayNamesTheMissingRequirement) {
  const TShelf shelf = Shelf({"Gin", "Campari", "Sweet vermouth", "Lemon", "Sugar"});
  const std::vector<TOneAway> one_away = index_.OneAway(shelf);
  std::map<int32_t, std::string> missing;
  for (const TOneAway& d : one_away) missing[d.drink] = RequirementText(vocabulary_, d.missing);
  EXPECT_EQ(missing, (std::map<int32_t, std::string>{{2, "Club soda"},
                                                     {3, "London dry gin"},
                                                     {4, "Bourbon or Rye"},
                                                     {5, "Whiskey"},
                                                     {6, "Vodka"},
                                                     {7, "London dry gin"}}));
}

TEST_F(BarIndexTest, NextBottlesCountTheDrinksEachWouldOpen) {
  const TShelf shelf = Shelf({"Gin", "Campari", "Sweet vermouth", "Lemon", "Sugar"});
  // London dry gin opens drinks 3 and 7; Bourbon and Rye open 4 and 5 each,
  // Whiskey only 5; Gin and garnishes are not offered.
  EXPECT_EQ(Ranking(shelf), (std::map<std::string, int>{{"London dry gin", 2},
                                                        {"Bourbon", 2},
                                                        {"Rye", 2},
                                                        {"Whiskey", 1},
                                                        {"Club soda", 1},
                                                        {"Vodka", 1}}));
  const std::vector<TNextBottle> ranked = index_.NextBottles(shelf);
  ASSERT_FALSE(ranked.empty());
  EXPECT_EQ(ranked.front().opens, 2);
  EXPECT_EQ(ranked.back().opens, 1);
  EXPECT_EQ(NextBottleText(vocabulary_, {Id(vocabulary_, "Club soda"), 1}), "Club soda: +1");

  // One bottle may meet two requirements at once: London dry gin meets both
  // lines of drink 7 from an empty shelf.
  EXPECT_EQ(Ranking(TShelf(vocabulary_)).at("London dry gin"), 1);
  EXPECT_EQ(Ranking(TShelf(vocabulary_)).count("Gin"), 0u);
  // Every bottle's count is what adding it really does.
  for (const TNextBottle& bottle : ranked) {
    TShelf more = shelf;
    more.Add(bottle.ingredient);
    EXPECT_EQ(index_.Makeable(more).size(), index_.Makeable(shelf).size() + static_cast<size_t>(bottle.opens))
        << vocabulary_[bottle.ingredient].name;
  }
}

TEST_F(BarIndexTest, ShoppingListHoldsWhatTheChosenDrinksLack) {
  const TShelf shelf = Shelf({"Gin", "Sugar"});
  const std::vector<TShoppingItem> list = index_.ShoppingList({1, 2, 3, 99}, shelf);
  std::vector<std::pair<std::string, std::vector<int32_t>>> lines;
  for (const TShoppingItem& item : list) lines.emplace_back(RequirementText(vocabulary_, item.ingredient), item.drinks);
  EXPECT_EQ(lines, (std::vector<std::pair<std::string, std::vector<int32_t>>>{
                       {"Campari", {1, 2}},
                       {"Sweet vermouth", {1, 2}},
                       {"Club soda", {2}},
                       {"London dry gin", {3}},
                       {"Lemon juice", {3}}}));
  EXPECT_TRUE(index_.ShoppingList({}, shelf).empty());
}

TEST_F(BarIndexTest, DrinksAreKeptUpToDateOneByOne) {
  const TShelf shelf = Shelf({"Vodka"});
  EXPECT_EQ(index_.Makeable(shelf), (std::vector<int32_t>{6}));
  EXPECT_EQ(index_.DrinksNaming(Id(vocabulary_, "Gin")), (std::vector<int32_t>{1, 3, 7}));

  index_.PutDrink(1, {"2 oz Vodka", "Lemon twist"});  // the Negroni becomes a vodka drink
  index_.RemoveDrink(6);
  index_.RemoveDrink(42);  // not there: nothing happens
  index_.PutDrink(8, {"Vodka", "Soda"});
  EXPECT_EQ(index_.DrinkCount(), 7u);
  EXPECT_FALSE(index_.HasDrink(6));
  EXPECT_EQ(index_.Needs(6), nullptr);
  EXPECT_EQ(index_.Makeable(shelf), (std::vector<int32_t>{1}));
  EXPECT_EQ(index_.DrinksNaming(Id(vocabulary_, "Gin")), (std::vector<int32_t>{3, 7}));
  EXPECT_EQ(index_.DrinksNaming(Id(vocabulary_, "Vodka")), (std::vector<int32_t>{1, 8}));
  EXPECT_EQ(index_.DrinksNaming(Id(vocabulary_, "Lemon")), (std::vector<int32_t>{1, 4}));
  EXPECT_EQ(index_.UnrecognisedLines().size(), 1u);  // drink 6's line went with it

  // A catalogue drink: Windows-1252 lines.
  TDrink drink;
  drink.id = 9;
  drink.ingred = "1 oz Gin\r\n1 oz Campari";
  index_.PutDrink(drink);
  EXPECT_EQ(index_.Makeable(Shelf({"Gin", "Campari"})), (std::vector<int32_t>{9}));

  index_.Clear();
  EXPECT_EQ(index_.DrinkCount(), 0u);
  EXPECT_TRUE(index_.Makeable(shelf).empty());
  EXPECT_TRUE(index_.DrinksNaming(Id(vocabulary_, "Vodka")).empty());
}

TEST_F(BarIndexTest, ADrinkNamingNothingNeededIsAlwaysMakeable) {
  index_.PutDrink(10, {"Ice", "Lemon twist"});
  index_.PutDrink(11, {});
  const std::vector<int32_t> makeable = index_.Makeable(TShelf(vocabulary_));
  EXPECT_EQ(makeable, (std::vector<int32_t>{10, 11}));
  // An id outside the vocabulary on a shelf is ignored.
  TShelf shelf(vocabulary_);
  shelf.Add(kNoIngredient);
  EXPECT_TRUE(shelf.Items().empty());
  EXPECT_TRUE(index_.DrinksNaming(kNoIngredient).empty());
}

}  // namespace
}  // namespace zestoria::bar
