#include "exchange/BarAssistantRecipes.h"

#include <zip.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <map>
#include <memory>
#include <nlohmann/json.hpp>

#include "catalogue/Vocabularies.h"
#include "exchange/JsonLdRecipes.h"
#include "exchange/RecipeText.h"

namespace zestoria {

namespace {

using nlohmann::json;

// Drinks this program wrote carry it as their source.
constexpr const char* kOwnSource = "Zestoria";

// Limits on what an archive may make the reader decompress.
constexpr uint64_t kZipEntryLimit = 16u << 20;
constexpr uint64_t kZipTotalLimit = 64u << 20;

double NumberAt(const json& object, const char* key, const std::string& place, double otherwise) {
  const auto it = object.find(key);
  if (it == object.end() || it->is_null()) return otherwise;
  if (it->is_number()) return it->get<double>();
  if (it->is_string()) {
    const std::string text = Trim(it->get<std::string>());
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (!text.empty() && end && *end == '\0' && std::isfinite(value)) return value;
    return otherwise;
  }
  throw ERecipeFileError(place + ": the key \"" + key + "\" holds " + it->type_name() +
                         ", not a number");
}

bool BoolAt(const json& object, const char* key) {
  const auto it = object.find(key);
  return it != object.end() && it->is_boolean() && it->get<bool>();
}

std::vector<std::string> Strings(const json& list, const std::string& place, const char* key) {
  std::vector<std::string> out;
  for (const json& item : list) {
    if (item.is_string()) out.push_back(item.get<std::string>());
    else if (item.is_object()) out.push_back(StringAt(item, "name", place));
    else if (!item.is_null())
      throw ERecipeFileError(place + ": the key \"" + key + "\" holds an item that is no text");
  }
  return out;
}

bool IsUnit(const std::string& u, std::initializer_list<const char*> names) {
  for (const char* n : names)
    if (u == n) return true;
  return false;
}

// Units that are really remarks and go after the name.
bool IsNoteUnit(const std::string& u) {
  if (IsUnit(u, {"strong", "hand-whipped", "yolk", "capsule", "whites", "white"})) return true;
  return !u.empty() && std::all_of(u.begin(), u.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool IsTopUp(const std::string& u) { return IsUnit(u, {"topup", "top", "top up", "fill", "fill up"}); }
bool IsBarSpoon(const std::string& u) { return IsUnit(u, {"barspoon", "bar spoon", "barspoons", "bar spoons"}); }
bool IsCountAfterName(const std::string& u) {
  return IsUnit(u, {"leaves", "leaf", "sprig", "sprigs", "piece", "pieces"});
}

// One ingredient object of a flat cocktail (names known) as a line.
std::string IngredientObjectLine(const json& item, const std::string& place,
                                 const std::map<std::string, std::string>& names) {
  if (item.is_string()) return item.get<std::string>();
  if (!item.is_object()) throw ERecipeFileError(place + ": an ingredient is not an object");
  std::string name = StringAt(item, "name", place);
  if (name.empty()) {
    const auto found = names.find(StringAt(item, "_id", place));
    if (found != names.end()) name = found->second;
  }
  const double amount = NumberAt(item, "amount", place, 0);
  const double amount_max = NumberAt(item, "amount_max", place, 0);
  std::string line = BarAssistantIngredientLine(amount, amount_max, StringAt(item, "units", place), name);
  if (BoolAt(item, "optional")) line += " (optional)";
  const std::string note = Trim(StringAt(item, "note", place));
  if (!note.empty()) line += ", " + note;
  std::vector<std::string> substitutes;
  for (const json& s : ArrayAt(item, "substitutes", place)) {
    std::string n = s.is_string() ? s.get<std::string>() : StringAt(s, "name", place);
    if (n.empty() && s.is_object()) {
      const auto found = names.find(StringAt(s, "_id", place));
      if (found != names.end()) n = found->second;
    }
    if (!n.empty()) substitutes.push_back(n);
  }
  if (!substitutes.empty()) {
    line += " (or ";
    for (size_t i = 0; i < substitutes.size(); ++i) line += (i ? ", " : "") + substitutes[i];
    line += ")";
  }
  return line;
}

TRecipe FlatRecipe(const json& cocktail, const std::string& place,
                   const std::map<std::string, std::string>& names) {
  TRecipe recipe;
  recipe.name = StringAt(cocktail, "name", place);
  recipe.directions = StringAt(cocktail, "instructions", place);
  recipe.description = StringAt(cocktail, "description", place);
  recipe.garnish = StringAt(cocktail, "garnish", place);
  const std::string source = StringAt(cocktail, "source", place);
  const std::vector<std::string> tags = Strings(ArrayAt(cocktail, "tags", place), place, "tags");
  const std::string glass = StringAt(cocktail, "glass", place);
  const std::string method = AsciiLower(Trim(StringAt(cocktail, "method", place)));

  // Ingredients in "sort" order.
  std::vector<std::pair<double, const json*>> items;
  const json& list = ArrayAt(cocktail, "ingredients", place);
  for (size_t i = 0; i < list.size(); ++i) {
    const double sort = list[i].is_object() ? NumberAt(list[i], "sort", place, 0) : 0;
    items.emplace_back(sort, &list[i]);
  }
  std::stable_sort(items.begin(), items.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  std::string main_category;
  bool top_up = false;
  for (const auto& [sort, item] : items) {
    recipe.ingredients.push_back(IngredientObjectLine(*item, place, names));
    if (item->is_object()) {
      if (main_category.empty()) main_category = AsciiLower(StringAt(*item, "category", place));
      if (IsTopUp(AsciiLower(Trim(StringAt(*item, "units", place))))) top_up = true;
    }
  }

  if (source == kOwnSource) {
    // Written by this program: the lines, texts and categories as they were.
    recipe.verbatim = true;
    recipe.ingredients.clear();
    for (const auto& [sort, item] : items) {
      if (!item->is_object()) continue;
      const double amount = NumberAt(*item, "amount", place, 0);
      const std::string units = StringAt(*item, "units", place);
      const std::string name = StringAt(*item, "name", place);
      recipe.ingredients.push_back(amount == 0 && units.empty()
                                       ? name
                                       : BarAssistantIngredientLine(amount, 0, units, name));
    }
    for (const std::string& tag : tags) {
      if (typeCode(tag) >= 0) recipe.type = typeCode(tag);
      else if (seasonCode(tag) >= 0) recipe.season = seasonCode(tag);
      else if (tag == "Cold" || tag == "Room" || tag == "Hot") recipe.temp = tempCode(tag);
    }
    if (glassCode(glass) >= 0) recipe.glass = glassCode(glass);
    return recipe;
  }

  recipe.markdown = true;
  recipe.keywords = tags;
  if (!source.empty()) recipe.notes.push_back("Source: " + source);
  if (!tags.empty()) {
    std::string joined = "Tags: ";
    for (size_t i = 0; i < tags.size(); ++i) joined += (i ? ", " : "") + tags[i];
    recipe.notes.push_back(joined);
  }
  auto has_tag = [&](const char* word) {
    for (const std::string& tag : tags)
      if (AsciiLower(Trim(tag)) == AsciiLower(word)) return true;
    return false;
  };
  const auto abv = cocktail.find("abv");
  const bool no_alcohol = abv != cocktail.end() && abv->is_number() && abv->get<double>() == 0;
  recipe.glass = GlassFromName(glass);
  if (has_tag("Virgin") || no_alcohol) {
    recipe.type = typeCode("Non-Alcoholic");
  } else if (method == "blend" || has_tag("Frozen")) {
    recipe.type = typeCode("Frozen");
  } else if (method == "layer") {
    recipe.type = recipe.glass == glassCode("Shot") ? typeCode("Shooter") : typeCode("Pousse Cafe");
  } else if (const auto family = TypeFromName(recipe.name)) {
    recipe.type = family;
  } else {
    for (const char* tag : {"Sour", "Fizz", "Cooler", "Toddy", "Flip", "Sling", "Punch", "Cobbler",
                            "Collins", "Smash", "Daisy", "Rickey", "Coffee", "Highball"}) {
      if (has_tag(tag)) {
        recipe.type = typeCode(tag);
        break;
      }
    }
    if (!recipe.type && (has_tag("Spritz") || has_tag("Wine") || main_category == "wines"))
      recipe.type = typeCode("Wine");
    if (!recipe.type && top_up &&
        (recipe.glass == glassCode("Highball") || recipe.glass == glassCode("Collins")))
      recipe.type = typeCode("Highball");
  }
  return recipe;
}

// Adds the cocktails of one document to |batch|.
void ReadDocument(const json& document, const std::string& file_name, TRecipeBatch& batch) {
  const json* items = &document;
  json single;
  if (document.is_object()) {
    if (document.contains("cocktails")) {
      if (batch.collectionName.empty()) batch.collectionName = StringAt(document, "name", file_name);
      items = &ArrayAt(document, "cocktails", file_name);
    } else {
      single = json::array({document});
      items = &single;
    }
  }
  if (!items->is_array()) throw ERecipeFileError(file_name + " holds no cocktail");
  for (size_t i = 0; i < items->size(); ++i) {
    const std::string place = items == &single ? file_name : RecordPlace(file_name, i);
    const json& item = (*items)[i];
    if (!item.is_object()) throw ERecipeFileError(place + " is not an object");
    std::map<std::string, std::string> names;
    const json* cocktail = &item;
    if (item.contains("recipe")) {
      // The import shape: ingredient names in a list of their own.
      cocktail = &item["recipe"];
      if (!cocktail->is_object()) throw ERecipeFileError(place + ": the key \"recipe\" is not an object");
      for (const json& definition : ArrayAt(item, "ingredients", place))
        if (definition.is_object())
          names[StringAt(definition, "_id", place)] = StringAt(definition, "name", place);
    }
    TRecipe recipe = FlatRecipe(*cocktail, place, names);
    if (HoldsRecipe(recipe)) batch.recipes.push_back(std::move(recipe));
    else ++batch.withoutRecipe;
  }
}

struct TZipCloser {
  void operator()(zip_t* archive) const { zip_discard(archive); }
};

// True for cocktails/<slug>/data.json and cocktails/<slug>/recipe.json,
// wherever the cocktails folder sits.
bool IsCocktailEntry(const std::string& name) {
  const size_t slash = name.rfind('/');
  if (slash == std::string::npos) return false;
  const std::string file = name.substr(slash + 1);
  if (file != "data.json" && file != "recipe.json") return false;
  const std::string folder = name.substr(0, slash);
  const size_t parent_end = folder.rfind('/');
  if (parent_end == std::string::npos) return false;
  const std::string parent = folder.substr(0, parent_end);
  return parent == "cocktails" ||
         (parent.size() > 10 && parent.compare(parent.size() - 10, 10, "/cocktails") == 0);
}

}  // namespace

std::string BarAssistantIngredientLine(double amount, double amount_max, const std::string& units,
                                       const std::string& name) {
  const std::string u = AsciiLower(Trim(units));
  const std::string n = Trim(name);
  std::string a;
  if (amount != 0 || amount_max != 0) a = FormatAmount(amount);
  if (amount_max != 0 && amount_max != amount) a += "\xE2\x80\x93" + FormatAmount(amount_max);
  auto join = [](std::initializer_list<std::string> parts) {
    std::string out;
    for (const std::string& p : parts) {
      if (p.empty()) continue;
      if (!out.empty()) out += ' ';
      out += p;
    }
    return out;
  };
  if (IsTopUp(u)) return join({"Top up with", n});
  if (IsBarSpoon(u)) return join({a, amount > 1 ? "bar spoons" : "bar spoon", n});
  if (u == "whole") return join({a, n});
  if (IsCountAfterName(u) || IsNoteUnit(u)) return join({a, n, Trim(units)});
  return join({a, Trim(units), n});
}

TIngredientParts SplitIngredientLine(const std::string& line) {
  TIngredientParts whole;
  whole.name = line;
  // "<number> <unit> <name>" or "Top up with <name>".
  if (line.rfind("Top up with ", 0) == 0) {
    TIngredientParts top{0, "topup", line.substr(12)};
    if (BarAssistantIngredientLine(top.amount, 0, top.units, top.name) == line) return top;
    return whole;
  }
  const size_t first = line.find(' ');
  if (first == std::string::npos || first == 0) return whole;
  const std::string number = line.substr(0, first);
  if (number.find_first_not_of("0123456789.") != std::string::npos) return whole;
  char* end = nullptr;
  const double amount = std::strtod(number.c_str(), &end);
  if (!end || *end != '\0' || !std::isfinite(amount) || amount == 0) return whole;
  const size_t second = line.find(' ', first + 1);
  if (second != std::string::npos) {
    const std::string units = line.substr(first + 1, second - first - 1);
    const bool word = !units.empty() && std::all_of(units.begin(), units.end(), [](char c) {
      return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '-';
    });
    TIngredientParts parts{amount, units, line.substr(second + 1)};
    if (word && BarAssistantIngredientLine(parts.amount, 0, parts.units, parts.name) == line) return parts;
  }
  // "2 Limes": a count without units.
  TIngredientParts count{amount, "", line.substr(first + 1)};
  if (count.name.find_first_of("0123456789") != 0 &&
      BarAssistantIngredientLine(count.amount, 0, count.units, count.name) == line)
    return count;
  return whole;
}

TRecipeBatch ReadBarAssistant(const json& document, const std::string& file_name) {
  TRecipeBatch batch;
  ReadDocument(document, file_name, batch);
  return batch;
}

TRecipeBatch ReadBarAssistantZip(const std::vector<uint8_t>& bytes, const std::string& file_name) {
  zip_error_t error;
  zip_error_init(&error);
  zip_source_t* source = zip_source_buffer_create(bytes.data(), bytes.size(), 0, &error);
  if (!source) {
    zip_error_fini(&error);
    throw ERecipeFileError(file_name + " cannot be read as a zip archive");
  }
  std::unique_ptr<zip_t, TZipCloser> archive(zip_open_from_source(source, ZIP_RDONLY | ZIP_CHECKCONS, &error));
  if (!archive) {
    const std::string reason = zip_error_strerror(&error);
    zip_source_free(source);
    zip_error_fini(&error);
    throw ERecipeFileError(file_name + " is a damaged zip archive (" + reason + ")");
  }
  zip_error_fini(&error);

  TRecipeBatch batch;
  uint64_t total = 0;
  const zip_int64_t entries = zip_get_num_entries(archive.get(), 0);
  std::vector<std::pair<std::string, zip_uint64_t>> cocktails;
  for (zip_int64_t i = 0; i < entries; ++i) {
    const char* name = zip_get_name(archive.get(), static_cast<zip_uint64_t>(i), 0);
    if (name && IsCocktailEntry(name)) cocktails.emplace_back(name, static_cast<zip_uint64_t>(i));
  }
  std::sort(cocktails.begin(), cocktails.end());
  for (const auto& [name, index] : cocktails) {
    const std::string place = file_name + ": " + name;
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat_index(archive.get(), index, 0, &stat) != 0 || !(stat.valid & ZIP_STAT_SIZE))
      throw ERecipeFileError(place + " cannot be read");
    if (stat.size > kZipEntryLimit || total + stat.size > kZipTotalLimit)
      throw ERecipeFileError(place + " is too large for a cocktail");
    total += stat.size;
    zip_file_t* file = zip_fopen_index(archive.get(), index, 0);
    if (!file) throw ERecipeFileError(place + " cannot be read (" + zip_strerror(archive.get()) + ")");
    std::string text(static_cast<size_t>(stat.size), '\0');
    const zip_int64_t read = text.empty() ? 0 : zip_fread(file, text.data(), text.size());
    const bool whole = read == static_cast<zip_int64_t>(text.size());
    zip_fclose(file);
    if (!whole) throw ERecipeFileError(place + " is damaged (its data breaks off)");
    const json document = ParseJsonText(text, place);
    const std::optional<TRecipeFormat> format = RecogniseJson(document);
    TRecipeBatch part;
    if (format == TRecipeFormat::rfJsonLd) part = ReadJsonLd(document, place);
    else if (format == TRecipeFormat::rfBarAssistant) part = ReadBarAssistant(document, place);
    else {
      ++batch.withoutRecipe;
      continue;
    }
    batch.withoutRecipe += part.withoutRecipe;
    for (TRecipe& recipe : part.recipes) batch.recipes.push_back(std::move(recipe));
  }
  if (cocktails.empty()) batch.emptyReason = "no cocktails/*/data.json or recipe.json";
  return batch;
}

std::string BuildBarAssistant(const std::vector<TDrink>& drinks) {
  json out = json::array();
  for (const TDrink& drink : drinks) {
    json ingredients = json::array();
    if (!drink.ingred.empty()) {
      for (const std::string& line : SplitLines(FromCatalogueText(drink.ingred))) {
        const TIngredientParts parts = SplitIngredientLine(line);
        json item;
        item["name"] = parts.name;
        item["amount"] = parts.amount;
        item["units"] = parts.units;
        item["optional"] = false;
        item["amount_max"] = nullptr;
        item["note"] = nullptr;
        item["substitutes"] = json::array();
        ingredients.push_back(std::move(item));
      }
    }
    json cocktail;
    cocktail["name"] = FromCatalogueText(drink.name);
    cocktail["instructions"] = FromCatalogueText(drink.directions.empty()
                                                     ? std::string()
                                                     : JoinedLines(drink.directions, "\n"));
    cocktail["description"] = FromCatalogueText(drink.comment);
    cocktail["source"] = kOwnSource;
    cocktail["garnish"] = nullptr;
    cocktail["tags"] = json::array(
        {typeName(drink.type), seasonName(drink.season), tempName(drink.temp)});
    cocktail["glass"] = glassName(drink.glass);
    cocktail["method"] = nullptr;
    cocktail["images"] = json::array();
    cocktail["ingredients"] = std::move(ingredients);
    out.push_back(std::move(cocktail));
  }
  return out.dump(2, ' ', false, json::error_handler_t::replace) + "\n";
}

}  // namespace zestoria
