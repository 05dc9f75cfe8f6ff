// Bar Assistant's cocktail JSON: the data pack's cocktail file (flat, the
// ingredients' details embedded), the current export (flat, ingredients by
// name), the import shape {"recipe": ..., "ingredients": [...]}, an array of
// any of these, a collection {name, description, cocktails}, and the zip
// export holding cocktails/<slug>/data.json or recipe.json. Writing gives
// the current flat shape, one object per drink in an array.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <nlohmann/json_fwd.hpp>

#include "catalogue/Drink.h"
#include "exchange/RecipeFiles.h"

namespace zestoria {

TRecipeBatch ReadBarAssistant(const nlohmann::json& document, const std::string& file_name);

// The cocktails of a Bar Assistant zip export. An archive that cannot be
// opened, or a damaged entry, throws ERecipeFileError naming the entry.
TRecipeBatch ReadBarAssistantZip(const std::vector<uint8_t>& bytes, const std::string& file_name);

// One ingredient as a readable line: "45 ml Gin", "2 dashes Angostura
// bitters", "Top up with Soda water", "8 Mint leaves", "1 bar spoon Sugar".
std::string BarAssistantIngredientLine(double amount, double amount_max, const std::string& units,
                                       const std::string& name);

// An ingredient line split into amount, units and name such that
// BarAssistantIngredientLine gives the line back; a line that cannot be so
// split is the name alone with amount 0 and no units.
struct TIngredientParts {
  double amount = 0;
  std::string units;
  std::string name;
};
TIngredientParts SplitIngredientLine(const std::string& line);

// |drinks| (Windows-1252) as a Bar Assistant JSON array (UTF-8).
std::string BuildBarAssistant(const std::vector<TDrink>& drinks);

}  // namespace zestoria
