// Cocktail CSV with a header row, columns read by name:
//   - this program's own columns: name, type, glass, season, temperature,
//     ingredients (lines inside one quoted cell), directions, comment, and
//     marked, status, read_only;
//   - TheCocktailDB's columns (strDrink, strIngredient1..15, strMeasure1..15,
//     strInstructions, strCategory, strAlcoholic, strGlass, ...);
//   - name, category, measurement-N, ingredient-N, instructions, glass,
//     glass-size (Mr. Boston);
//   - category, name, ingredients (joined by commas), method, garnish (IBA),
//     where "NA" stands for an empty cell.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "catalogue/Drink.h"
#include "exchange/RecipeFiles.h"

namespace zestoria {

// The recipes of a CSV text. Not well-formed CSV, a header naming none of
// the layouts above, or a row with more or fewer cells than the header
// (except the last, which is then incomplete) throws ERecipeFileError
// naming the line.
TRecipeBatch ReadCsvRecipes(std::string_view text, const std::string& file_name);

// |drinks| (Windows-1252) as CSV with this program's own columns (UTF-8).
std::string BuildCsv(const std::vector<TDrink>& drinks);

}  // namespace zestoria
