// Drinks-like rows for measuring the catalogue at scale: realistic names,
// 3-8 ingredient lines, a few sentences of directions and an optional
// comment, every category code in its vocabulary's range. The same seed
// always gives the same drinks.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "catalogue/Drink.h"

namespace zestoria::bench {

// The seed the benchmarks and gendrinks use unless told otherwise.
constexpr uint32_t kDefaultDrinkSeed = 20030101;

// |count| drinks with ids 1..count. Names are unique (a number is added to
// a name already taken) and at most 25 characters; about 40% of the drinks
// hold "gin" (in any case) in their ingredients, the others never do; no
// drink is marked, read-only or given a status.
std::vector<TDrink> GenerateDrinks(int count, uint32_t seed = kDefaultDrinkSeed);

// Whether |text| holds "gin" ignoring ASCII case, as ingred LIKE '%gin%'
// matches under foCaseInsensitive.
bool HoldsGin(const std::string& text);

// Writes a new catalogue database to |file_name| (atomically) holding
// |drinks| in order, inserted through TDrinkCatalogue with the shipped
// table definition, settings and password; their ids are numbered from 1.
void WriteDrinkCatalogue(const std::vector<TDrink>& drinks, const std::string& file_name);

}  // namespace zestoria::bench
