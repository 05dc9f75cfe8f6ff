#include "exchange/IbaRecipes.h"

#include <nlohmann/json.hpp>

#include "catalogue/Vocabularies.h"
#include "exchange/RecipeText.h"

namespace zestoria {

namespace {

using nlohmann::json;

// An ingredient item: a text, or one of the two object shapes.
std::string IngredientLine(const json& item, const std::string& place) {
  if (item.is_string()) return item.get<std::string>();
  if (!item.is_object()) throw ERecipeFileError(place + ": an ingredient is neither a text nor an object");
  if (item.contains("special")) return StringAt(item, "special", place);
  if (item.contains("direction")) return StringAt(item, "direction", place);
  const std::string name = StringAt(item, "label", place).empty() ? StringAt(item, "ingredient", place)
                                                                 : StringAt(item, "label", place);
  std::string unit = Trim(StringAt(item, "unit", place));
  std::string amount = Trim(StringAt(item, "amount", place));
  if (amount.empty()) amount = Trim(StringAt(item, "quantity", place));
  const auto value = item.find("amount");
  if (AsciiLower(unit) == "cl" && value != item.end() && value->is_number()) {
    amount = FormatAmount(value->get<double>() * 10);
    unit = "ml";
  }
  std::string line = amount;
  if (!unit.empty()) line += (line.empty() ? "" : " ") + unit;
  if (!name.empty()) line += (line.empty() ? "" : " ") + name;
  return line;
}

}  // namespace

TRecipe IbaRecipe(const json& drink, const std::string& place) {
  TRecipe recipe;
  recipe.name = StringAt(drink, "name", place);
  if (recipe.name.empty()) recipe.name = StringAt(drink, "title", place);
  for (const json& item : ArrayAt(drink, "ingredients", place)) {
    const std::string line = IngredientLine(item, place);
    if (!Trim(line).empty()) recipe.ingredients.push_back(line);
  }
  recipe.directions = StringAt(drink, "preparation", place);
  if (recipe.directions.empty()) recipe.directions = StringAt(drink, "method", place);
  recipe.garnish = StringAt(drink, "garnish", place);

  const std::string category = Trim(StringAt(drink, "category", place));
  const std::string c = AsciiLower(category);
  if (!category.empty()) recipe.notes.push_back("IBA " + category);
  recipe.notes.push_back(StringAt(drink, "notes", place));

  // The old IBA groupings, and Wikipedia's drink type and way of serving.
  const std::string type = AsciiLower(Trim(StringAt(drink, "type", place)));
  const std::string served = AsciiLower(StringAt(drink, "served", place));
  if (HasWord(served, "frozen")) {
    recipe.type = typeCode("Frozen");
  } else if (c == "longdrink" || type == "highball") {
    recipe.type = typeCode("Highball");
  } else if (c == "sparkling cocktail" || type == "wine cocktail") {
    recipe.type = typeCode("Wine");
  } else if (c == "hot drink") {
    recipe.type = HasWord(recipe.name, "coffee") ? typeCode("Coffee") : typeCode("Toddy");
  } else if (type == "mixed drink") {
    recipe.fallbackType = typeCode("Mixed");
  }

  // Glass: a slug, Wikipedia's drinkware, or (neither) the method's words.
  std::string glass = StringAt(drink, "glass", place);
  if (glass.empty()) glass = StringAt(drink, "standard_drinkware", place);
  if (!glass.empty()) {
    recipe.glass = GlassFromName(glass);
    if (!recipe.glass) recipe.glass = GlassFromText(glass);
  }
  if (AsciiLower(Trim(glass)) == "hot-drink" || c == "hot drink" || HasWord(served, "hot"))
    recipe.temp = tempCode("Hot");
  recipe.season = seasonCode("All");
  return recipe;
}

TRecipeBatch ReadIba(const json& document, const std::string& file_name) {
  TRecipeBatch batch;
  const json* items = &document;
  if (document.is_object()) {
    if (!document.contains("cocktails")) throw ERecipeFileError(file_name + " holds no list of cocktails");
    items = &document["cocktails"];
  }
  if (!items->is_array()) throw ERecipeFileError(file_name + ": the cocktails are not a list");
  for (size_t i = 0; i < items->size(); ++i) {
    const json& drink = (*items)[i];
    const std::string place = RecordPlace(file_name, i);
    if (!drink.is_object()) throw ERecipeFileError(place + " is not an object");
    TRecipe recipe = IbaRecipe(drink, place);
    if (HoldsRecipe(recipe)) batch.recipes.push_back(std::move(recipe));
    else ++batch.withoutRecipe;
  }
  return batch;
}

}  // namespace zestoria
