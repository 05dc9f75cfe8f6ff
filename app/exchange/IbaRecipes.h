// The community lists of the International Bartenders Association's
// cocktails, in the JSON shapes they are found in:
//   - an array of {name, glass, category, ingredients: [{unit, amount,
//     ingredient, label} or {special}], garnish, preparation} (glass slugs
//     such as "old-fashioned", amounts in cl);
//   - an array of {category, name, method, garnish, ingredients:
//     [{direction, quantity, unit, ingredient, note}]} (from the IBA site);
//   - an array of {category, name, type, served, standard_drinkware,
//     method, ingredients: [texts], notes} (from Wikipedia);
//   - {metadata, cocktails: [{title, category, ingredients: [texts],
//     method, garnish, ...}]}.
#pragma once

#include <string>

#include <nlohmann/json_fwd.hpp>

#include "exchange/RecipeFiles.h"

namespace zestoria {

TRecipeBatch ReadIba(const nlohmann::json& document, const std::string& file_name);

// One drink object of any of the shapes above as a recipe.
TRecipe IbaRecipe(const nlohmann::json& drink, const std::string& place);

}  // namespace zestoria
