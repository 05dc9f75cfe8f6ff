#include "exchange/CsvRecipes.h"

#include <climits>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <nlohmann/json.hpp>

#include "catalogue/Vocabularies.h"
#include "exchange/CocktailDbRecipes.h"
#include "exchange/CsvTable.h"
#include "exchange/RecipeText.h"

namespace zestoria {

namespace {

const std::vector<std::string> kOwnColumns = {"name",        "type",       "glass",
                                              "season",      "temperature", "ingredients",
                                              "directions",  "comment",    "marked",
                                              "status",      "read_only"};

enum class TLayout { lOwn, lCocktailDb, lNumbered, lIba };

// A row's cells by lower-case column name.
class TRowView {
 public:
  TRowView(const std::map<std::string, size_t>& columns, const TCsvRow& row)
      : columns_(columns), row_(row) {}
  std::string operator[](const std::string& column) const {
    const auto it = columns_.find(column);
    if (it == columns_.end() || it->second >= row_.cells.size()) return "";
    return row_.cells[it->second];
  }
  bool Has(const std::string& column) const { return columns_.count(column) > 0; }

 private:
  const std::map<std::string, size_t>& columns_;
  const TCsvRow& row_;
};

std::string NotNa(const std::string& cell) { return Trim(cell) == "NA" ? "" : cell; }

// IBA's one cell of ingredients: lines joined by "," with no blank after
// it ("45 ml Vodka,90 ml Tomato Juice"); "Tabasco, Celery Salt" stays one.
std::vector<std::string> SplitJoinedIngredients(const std::string& cell) {
  std::vector<std::string> lines;
  std::string line;
  for (size_t i = 0; i < cell.size(); ++i) {
    if (cell[i] == ',' && (i + 1 == cell.size() || cell[i + 1] != ' ')) {
      if (!Trim(line).empty()) lines.push_back(Trim(line));
      line.clear();
    } else {
      line += cell[i];
    }
  }
  if (!Trim(line).empty()) lines.push_back(Trim(line));
  return lines;
}

TRecipe OwnRecipe(const TRowView& row) {
  TRecipe recipe;
  // Our own export has every column; a file typed by hand with only some of
  // them (name, ingredients, directions) goes through the whole mapping.
  recipe.verbatim = row.Has("type");
  recipe.name = row["name"];
  const std::string ingredients = row["ingredients"];
  if (!ingredients.empty()) recipe.ingredients = SplitLines(ingredients);
  recipe.directions = row["directions"];
  recipe.description = row["comment"];
  const int32_t type = typeCode(row["type"]);
  if (type >= 0) recipe.type = type;
  const std::string glass = row["glass"];
  if (glassCode(glass) >= 0) recipe.glass = glassCode(glass);
  else recipe.glass = GlassFromName(glass);
  if (recipe.verbatim && !recipe.glass) recipe.glass = glassCode("Other");
  if (seasonCode(row["season"]) >= 0) recipe.season = seasonCode(row["season"]);
  else if (recipe.verbatim) recipe.season = 0;
  if (recipe.verbatim || !Trim(row["temperature"]).empty()) recipe.temp = tempCode(row["temperature"]);
  const std::string marked = Trim(row["marked"]);
  char* end = nullptr;
  const long value = std::strtol(marked.c_str(), &end, 10);
  recipe.marked = !marked.empty() && end && *end == '\0' && value >= INT32_MIN && value <= INT32_MAX
                      ? static_cast<int32_t>(value)
                      : 0;
  recipe.status = row["status"];
  const std::string read_only = AsciiLower(Trim(row["read_only"]));
  recipe.read_only = read_only == "1" || read_only == "true" || read_only == "yes" ? -1 : 0;
  return recipe;
}

TRecipe NumberedRecipe(const TRowView& row) {
  TRecipe recipe;
  recipe.name = Trim(row["name"]);
  for (int i = 1; row.Has("measurement-" + std::to_string(i)) || row.Has("ingredient-" + std::to_string(i)); ++i) {
    const std::string measure = Trim(row["measurement-" + std::to_string(i)]);
    const std::string ingredient = Trim(row["ingredient-" + std::to_string(i)]);
    if (measure.empty() && ingredient.empty()) continue;
    recipe.ingredients.push_back(measure.empty() ? ingredient
                                 : ingredient.empty() ? measure
                                                      : measure + " " + ingredient);
    recipe.temperatureText += measure + "\n";
  }
  recipe.directions = row["instructions"];
  const std::string glass = row["glass"];
  recipe.glass = GlassFromName(glass);
  const std::string size = Trim(row["glass-size"]);
  if (!size.empty()) recipe.notes.push_back("Glass size: " + size);
  const std::string category = AsciiLower(Trim(row["category"]));
  if (category == "shooters") recipe.type = typeCode("Shooter");
  else if (category.rfind("non-alcoholic", 0) == 0) recipe.type = typeCode("Non-Alcoholic");
  else if (category == "rum - daiquiris" && HasWord(recipe.directions, "blender"))
    recipe.type = typeCode("Frozen");
  else if (recipe.glass == glassCode("Highball")) recipe.fallbackType = typeCode("Highball");
  else if (recipe.glass == glassCode("Collins")) recipe.fallbackType = typeCode("Collins");
  else if (recipe.glass == glassCode("Punch Bowl")) recipe.fallbackType = typeCode("Punch");
  else if (recipe.glass == glassCode("Sour")) recipe.fallbackType = typeCode("Sour");
  return recipe;
}

TRecipe IbaCsvRecipe(const TRowView& row) {
  TRecipe recipe;
  recipe.name = NotNa(row["name"]);
  recipe.ingredients = SplitJoinedIngredients(NotNa(row["ingredients"]));
  recipe.directions = NotNa(row["method"]);
  recipe.garnish = NotNa(row["garnish"]);
  const std::string category = Trim(NotNa(row["category"]));
  if (!category.empty()) recipe.notes.push_back("IBA " + category);
  recipe.season = seasonCode("All");
  return recipe;
}

}  // namespace

TRecipeBatch ReadCsvRecipes(std::string_view text, const std::string& file_name) {
  std::vector<TCsvRow> rows;
  try {
    rows = ParseCsv(text);
  } catch (const ECsvError& error) {
    throw ERecipeFileError(file_name + " is damaged: " + error.what());
  }
  TRecipeBatch batch;
  if (rows.empty()) {
    batch.emptyReason = "no header row and no rows";
    return batch;
  }
  std::map<std::string, size_t> columns;
  const TCsvRow& header = rows[0];
  std::vector<std::string> names;
  for (size_t i = 0; i < header.cells.size(); ++i) {
    names.push_back(Trim(header.cells[i]));
    columns.emplace(AsciiLower(Trim(header.cells[i])), i);
  }
  auto has = [&](const char* column) { return columns.count(column) > 0; };
  TLayout layout;
  if (has("name") && has("ingredients") && has("directions")) layout = TLayout::lOwn;
  else if (has("strdrink")) layout = TLayout::lCocktailDb;
  else if (has("name") && (has("measurement-1") || has("ingredient-1"))) layout = TLayout::lNumbered;
  else if (has("name") && has("ingredients") && has("method")) layout = TLayout::lIba;
  else
    throw ERecipeFileError(file_name + ", line 1: the header names no recipe columns this program "
                           "knows (such as name, type, glass, ingredients, directions; strDrink; "
                           "measurement-1, ingredient-1)");

  for (size_t r = 1; r < rows.size(); ++r) {
    const TCsvRow& row = rows[r];
    if (row.cells.size() != header.cells.size()) {
      if (r + 1 == rows.size() && row.cells.size() < header.cells.size()) {
        ++batch.incomplete;  // the file ends inside this row
        continue;
      }
      throw ERecipeFileError(file_name + ", line " + std::to_string(row.line) + ": " +
                             std::to_string(row.cells.size()) + " cells, the header has " +
                             std::to_string(header.cells.size()));
    }
    const TRowView view(columns, row);
    TRecipe recipe;
    switch (layout) {
      case TLayout::lOwn:
        recipe = OwnRecipe(view);
        break;
      case TLayout::lCocktailDb: {
        nlohmann::json drink = nlohmann::json::object();
        for (size_t i = 0; i < names.size(); ++i)
          if (!names[i].empty()) drink[names[i]] = row.cells[i];
        recipe = CocktailDbRecipe(drink, file_name + ", line " + std::to_string(row.line));
        break;
      }
      case TLayout::lNumbered:
        recipe = NumberedRecipe(view);
        break;
      case TLayout::lIba:
        recipe = IbaCsvRecipe(view);
        break;
    }
    if (HoldsRecipe(recipe)) batch.recipes.push_back(std::move(recipe));
    else ++batch.withoutRecipe;
  }
  return batch;
}

std::string BuildCsv(const std::vector<TDrink>& drinks) {
  std::string out = CsvRow(kOwnColumns);
  auto lines = [](const std::string& text) { return FromCatalogueText(JoinedLines(text, "\n")); };
  for (const TDrink& drink : drinks) {
    out += CsvRow({FromCatalogueText(drink.name), typeName(drink.type), glassName(drink.glass),
                   seasonName(drink.season), tempName(drink.temp),
                   drink.ingred.empty() ? "" : lines(drink.ingred),
                   drink.directions.empty() ? "" : lines(drink.directions),
                   FromCatalogueText(drink.comment), std::to_string(drink.marked),
                   FromCatalogueText(drink.status), drink.read_only != 0 ? "1" : "0"});
  }
  return out;
}

}  // namespace zestoria
