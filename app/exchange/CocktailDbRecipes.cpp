#include "exchange/CocktailDbRecipes.h"

#include <nlohmann/json.hpp>

#include "catalogue/Vocabularies.h"
#include "exchange/RecipeText.h"

namespace zestoria {

using nlohmann::json;

TRecipe CocktailDbRecipe(const json& drink, const std::string& place) {
  TRecipe recipe;
  recipe.name = StringAt(drink, "strDrink", place);
  for (int i = 1; i <= 15; ++i) {
    const std::string n = std::to_string(i);
    const std::string ingredient = CollapseBlanks(StringAt(drink, ("strIngredient" + n).c_str(), place));
    const std::string measure = CollapseBlanks(StringAt(drink, ("strMeasure" + n).c_str(), place));
    if (ingredient.empty()) continue;
    recipe.ingredients.push_back(measure.empty() ? ingredient : measure + " " + ingredient);
    recipe.temperatureText += measure + "\n";
  }
  recipe.directions = StringAt(drink, "strInstructions", place);

  const std::string tags = StringAt(drink, "strTags", place);
  recipe.keywords = SplitCommaList(tags);
  const std::string category = StringAt(drink, "strCategory", place);
  const std::string iba = StringAt(drink, "strIBA", place);
  const std::string alcoholic = AsciiLower(Trim(StringAt(drink, "strAlcoholic", place)));
  const std::string glass = StringAt(drink, "strGlass", place);
  if (!iba.empty()) recipe.notes.push_back("IBA: " + iba);
  if (alcoholic == "optional alcohol") recipe.notes.push_back("Optional alcohol");

  // Type: non-alcoholic overrides everything, then the category.
  std::string c = AsciiLower(Trim(category));
  std::string squeezed;
  for (char ch : c)
    if (ch != ' ') squeezed += ch;
  const bool hot_category = squeezed == "coffee/tea" || squeezed == "cocoa";
  if (alcoholic == "non alcoholic" || alcoholic == "non-alcoholic") {
    recipe.type = typeCode("Non-Alcoholic");
  } else if (squeezed == "shot") {
    recipe.type = typeCode("Shooter");
  } else if (squeezed == "punch/partydrink") {
    recipe.type = typeCode("Punch");
  } else if (hot_category) {
    recipe.type = typeCode("Coffee");
  } else if (squeezed == "beer") {
    recipe.type = typeCode("Beer");
  } else if (squeezed == "milk/float/shake" || squeezed == "shake") {
    recipe.fallbackType =
        HasWord(recipe.directions, "blend") || HasWord(recipe.directions, "blender")
            ? typeCode("Frozen")
            : typeCode("Mixed");
  } else if (squeezed.rfind("softdrink", 0) == 0) {
    recipe.type = alcoholic == "alcoholic" ? typeCode("Highball") : typeCode("Non-Alcoholic");
  } else if (squeezed == "cocktail") {
    recipe.fallbackType = typeCode("Cocktail");
  } else {
    recipe.fallbackType = typeCode("Mixed");
  }

  recipe.glass = GlassFromName(glass);
  const std::string glass_key = AsciiLower(Trim(glass));
  if (hot_category || glass_key == "irish coffee cup" || glass_key == "coffee mug")
    recipe.temp = tempCode("Hot");
  return recipe;
}

TRecipeBatch ReadCocktailDb(const json& document, const std::string& file_name) {
  TRecipeBatch batch;
  const json* items = &document;
  json single;
  if (document.is_object()) {
    if (document.contains("drinks")) {
      items = &document["drinks"];
      if (items->is_null()) {
        batch.emptyReason = "no drinks (\"drinks\": null, a search that found nothing)";
        return batch;
      }
      if (!items->is_array())
        throw ERecipeFileError(file_name + ": the key \"drinks\" holds " +
                               std::string(items->type_name()) + ", not a list");
    } else if (document.contains("ingredients")) {
      batch.emptyReason = "ingredients, not drinks";
      return batch;
    } else {
      single = json::array({document});
      items = &single;
    }
  }
  if (!items->is_array()) throw ERecipeFileError(file_name + " holds no list of drinks");

  size_t thin = 0;
  for (size_t i = 0; i < items->size(); ++i) {
    const json& drink = (*items)[i];
    const std::string place = RecordPlace(file_name, i);
    if (!drink.is_object()) throw ERecipeFileError(place + " is not an object");
    TRecipe recipe = CocktailDbRecipe(drink, place);
    if (!HoldsRecipe(recipe)) {
      ++batch.withoutRecipe;
      if (drink.contains("idDrink") && !drink.contains("strInstructions") &&
          !drink.contains("strIngredient1"))
        ++thin;
      continue;
    }
    batch.recipes.push_back(std::move(recipe));
  }
  if (batch.recipes.empty() && thin > 0)
    batch.emptyReason = "only names and ids of drinks (a filter response), no recipes";
  return batch;
}

}  // namespace zestoria
