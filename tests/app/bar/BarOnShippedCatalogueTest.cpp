// The recogniser and the shelf's questions on the catalogue the program
// ships (data/drinks.json).
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iostream>
#include <map>

#include <nlohmann/json.hpp>

#include "ShippedVocabulary.h"
#include "bar/BarIndex.h"

namespace zestoria::bar {
namespace {

using testing::Id;
using testing::ShippedRecogniser;
using testing::ShippedVocabulary;

struct TShippedDrink {
  int32_t id;
  std::string name;
  std::vector<std::string> lines;
};

// The shipped drinks, numbered from 1 in file order as the catalogue
// database numbers them.
const std::vector<TShippedDrink>& ShippedDrinks() {
  static const std::vector<TShippedDrink> drinks = [] {
    std::ifstream file(ZESTORIA_DRINKS_JSON);
    if (!file) throw std::runtime_error("cannot open " ZESTORIA_DRINKS_JSON);
    const nlohmann::json root = nlohmann::json::parse(file);
    std::vector<TShippedDrink> list;
    int32_t id = 0;
    for (const auto& drink : root.at("drinks"))
      list.push_back({++id, drink.at("name").get<std::string>(),
                      drink.at("ingredients").get<std::vector<std::string>>()});
    return list;
  }();
  return drinks;
}

const TBarIndex& ShippedIndex() {
  static const TBarIndex index = [] {
    TBarIndex built(ShippedRecogniser());
    for (const TShippedDrink& drink : ShippedDrinks()) built.PutDrink(drink.id, drink.lines);
    return built;
  }();
  return index;
}

int32_t DrinkId(const std::string& name) {
  for (const TShippedDrink& drink : ShippedDrinks())
    if (drink.name == name) return drink.id;
  throw std::runtime_error("the shipped catalogue has no " + name);
}

TEST(BarOnShippedCatalogue, AtLeast98PercentOfTheLinesAreNamed) {
  size_t lines = 0;
  std::vector<std::string> unrecognised;
  for (const TShippedDrink& drink : ShippedDrinks()) {
    for (const std::string& line : drink.lines) {
      ++lines;
      if (!ShippedRecogniser().ReadLine(line).Recognised()) unrecognised.push_back(drink.name + ": " + line);
    }
  }
  ASSERT_GT(lines, 1500u);
  const double named = 100.0 * static_cast<double>(lines - unrecognised.size()) / static_cast<double>(lines);
  std::cout << "named " << lines - unrecognised.size() << " of " << lines << " lines (" << named << "%)\n";
  for (const std::string& line : unrecognised) std::cout << "  unrecognised: " << line << "\n";
  EXPECT_GE(named, 98.0);
  // The index reports the same lines.
  EXPECT_EQ(ShippedIndex().UnrecognisedLines().size(), unrecognised.size());
}

// A user with gin, Campari, sweet vermouth and lemons (and the staples)
// can make the Negroni; the Americano lacks only club soda.
TEST(BarOnShippedCatalogue, TheNegroniIsMakeableAndTheAmericanoOneAway) {
  const TIngredientVocabulary& v = ShippedVocabulary();
  const TBarIndex& index = ShippedIndex();
  TShelf shelf = TShelf::WithStaples(v);
  for (const char* name : {"gin", "Campari", "sweet vermouth", "lemons"}) {
    const auto id = ShippedRecogniser().Name(name);
    ASSERT_TRUE(id.has_value()) << name;
    shelf.Add(*id);
  }
  const int32_t negroni = DrinkId("Negroni");
  const int32_t americano = DrinkId("Americano");

  const std::vector<int32_t> makeable = index.Makeable(shelf);
  EXPECT_TRUE(std::binary_search(makeable.begin(), makeable.end(), negroni));
  EXPECT_FALSE(std::binary_search(makeable.begin(), makeable.end(), americano));

  const std::vector<TOneAway> one_away = index.OneAway(shelf);
  const auto at = std::find_if(one_away.begin(), one_away.end(),
                               [&](const TOneAway& d) { return d.drink == americano; });
  ASSERT_NE(at, one_away.end());
  EXPECT_EQ(RequirementText(v, at->missing), "Club soda");

  // Club soda opens the Americano, among others.
  const std::vector<TNextBottle> next = index.NextBottles(shelf);
  const auto soda = std::find_if(next.begin(), next.end(),
                                 [&](const TNextBottle& b) { return b.ingredient == Id(v, "Club soda"); });
  ASSERT_NE(soda, next.end());
  EXPECT_GE(soda->opens, 1);
  shelf.Add(Id(v, "Club soda"));
  const std::vector<int32_t> with_soda = index.Makeable(shelf);
  EXPECT_EQ(with_soda.size(), makeable.size() + static_cast<size_t>(soda->opens));
  EXPECT_TRUE(std::binary_search(with_soda.begin(), with_soda.end(), americano));
}

// The ranking says exactly what adding each bottle does, for every bottle
// of the vocabulary (those it leaves out open nothing).
TEST(BarOnShippedCatalogue, TheNextBottleRankingMatchesAddingEachBottle) {
  const TIngredientVocabulary& v = ShippedVocabulary();
  const TBarIndex& index = ShippedIndex();
  TShelf shelf = TShelf::WithStaples(v);
  for (const char* name : {"London dry gin", "Bourbon", "Campari", "Sweet vermouth", "Lemon", "Club soda",
                           "Triple sec", "Crème de cacao"})
    shelf.Add(Id(v, name));
  std::map<TIngredientId, int> ranked;
  for (const TNextBottle& bottle : index.NextBottles(shelf)) ranked[bottle.ingredient] = bottle.opens;
  const size_t makeable = index.Makeable(shelf).size();
  for (size_t i = 0; i < v.size(); ++i) {
    const auto id = static_cast<TIngredientId>(i);
    if (shelf.Has(id) || v.NeverNeeded(id)) {
      EXPECT_EQ(ranked.count(id), 0u) << v[id].name;
      continue;
    }
    TShelf more = shelf;
    more.Add(id);
    const int opens = static_cast<int>(index.Makeable(more).size() - makeable);
    EXPECT_EQ(ranked.count(id) ? ranked[id] : 0, opens) << v[id].name;
  }
}

// The Gin item of the display menu, built on the recogniser, lists no drink
// whose only "gin" is ginger ale or ginger beer (the Shirley Temple among
// them), and Ginger Ale still lists every ginger ale drink.
TEST(BarOnShippedCatalogue, GinListsNoGingerOnlyDrink) {
  const TIngredientVocabulary& v = ShippedVocabulary();
  const TBarIndex& index = ShippedIndex();
  const std::vector<int32_t> gin = index.DrinksNaming(Id(v, "Gin"));
  const int32_t shirley = DrinkId("Shirley Temple");
  EXPECT_FALSE(std::binary_search(gin.begin(), gin.end(), shirley));
  const std::vector<int32_t> ginger_ale = index.DrinksNaming(Id(v, "Ginger ale"));
  EXPECT_TRUE(std::binary_search(ginger_ale.begin(), ginger_ale.end(), shirley));
  for (const TShippedDrink& drink : ShippedDrinks()) {
    bool mentions_ginger_ale = false;
    for (const std::string& line : drink.lines) {
      std::string lower = line;
      std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
      mentions_ginger_ale = mentions_ginger_ale || lower.find("ginger ale") != std::string::npos;
    }
    if (mentions_ginger_ale) {
      EXPECT_TRUE(std::binary_search(ginger_ale.begin(), ginger_ale.end(), drink.id)) << drink.name;
    }
  }
  // Sloe gin drinks are not gin drinks either, unless they hold gin too.
  for (int32_t id : index.DrinksNaming(Id(v, "Sloe gin"))) {
    const TDrinkNeeds* needs = index.Needs(id);
    ASSERT_NE(needs, nullptr);
    bool has_gin = false;
    for (const auto& requirement : needs->required)
      for (TIngredientId i : requirement) has_gin = has_gin || v.IsKindOf(i, Id(v, "Gin"));
    EXPECT_EQ(std::binary_search(gin.begin(), gin.end(), id), has_gin);
  }
}

}  // namespace
}  // namespace zestoria::bar
