// TheCocktailDB JSON: its API responses {"drinks": [...]} (also "drinks":
// null), a bare array of drink objects, or one object per line. Every value
// is a text: strDrink, strInstructions, strIngredient1..15 with
// strMeasure1..15, strCategory, strAlcoholic, strGlass, strTags, strIBA.
#pragma once

#include <string>

#include <nlohmann/json_fwd.hpp>

#include "exchange/RecipeFiles.h"

namespace zestoria {

// The recipes of a parsed TheCocktailDB document. Thin objects (a filter
// response's names and ids) hold no recipe; a value of the wrong kind
// throws ERecipeFileError naming the record and the key.
TRecipeBatch ReadCocktailDb(const nlohmann::json& document, const std::string& file_name);

// A TheCocktailDB drink object (already known to be an object) as a
// recipe; the CSV dump's rows go through this too, as objects of texts.
TRecipe CocktailDbRecipe(const nlohmann::json& drink, const std::string& place);

}  // namespace zestoria
