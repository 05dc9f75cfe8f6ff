#include "exchange/JsonLdRecipes.h"

#include <libxml/HTMLparser.h>
#include <libxml/tree.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <nlohmann/json.hpp>

#include "catalogue/Vocabularies.h"
#include "exchange/RecipeText.h"

namespace zestoria {

namespace {

using nlohmann::json;

// Recipes this program wrote name it as their publisher.
constexpr const char* kOwnPublisher = "Zestoria";
// How deep the search for Recipe nodes goes.
constexpr int kSearchDepth = 64;

bool IsRecipeType(const json& type) {
  auto is_recipe = [](const json& t) {
    if (!t.is_string()) return false;
    const std::string s = AsciiLower(t.get<std::string>());
    return s == "recipe" || s == "schema:recipe" || s == "http://schema.org/recipe" ||
           s == "https://schema.org/recipe";
  };
  if (type.is_array()) {
    for (const json& t : type)
      if (is_recipe(t)) return true;
    return false;
  }
  return is_recipe(type);
}

void FindRecipes(const json& node, int depth, std::vector<const json*>& found) {
  if (depth > kSearchDepth) return;
  if (node.is_object()) {
    const auto type = node.find("@type");
    if (type != node.end() && IsRecipeType(*type)) {
      found.push_back(&node);
      return;
    }
    for (const auto& item : node.items()) FindRecipes(item.value(), depth + 1, found);
  } else if (node.is_array()) {
    for (const json& item : node) FindRecipes(item, depth + 1, found);
  }
}

// A text, or the first text of a list, or an object's "name".
std::string TextOf(const json& value) {
  if (value.is_string()) return value.get<std::string>();
  if (value.is_number()) return FormatAmount(value.get<double>());
  if (value.is_array()) {
    for (const json& item : value) {
      const std::string text = TextOf(item);
      if (!text.empty()) return text;
    }
  }
  if (value.is_object()) {
    if (value.contains("name")) return TextOf(value["name"]);
    if (value.contains("text")) return TextOf(value["text"]);
  }
  return "";
}

std::string TextAt(const json& object, const char* key) {
  const auto it = object.find(key);
  return it == object.end() ? std::string() : TextOf(*it);
}

// A list of texts: a comma-separated text or an array.
std::vector<std::string> ListAt(const json& object, const char* key) {
  std::vector<std::string> out;
  const auto it = object.find(key);
  if (it == object.end()) return out;
  if (it->is_string()) return SplitCommaList(it->get<std::string>());
  if (it->is_array()) {
    for (const json& item : *it) {
      const std::string text = Trim(TextOf(item));
      if (!text.empty()) out.push_back(text);
    }
  }
  return out;
}

struct TSteps {
  std::vector<std::string> lines;  // headings and numbered steps
  std::vector<std::string> plain;  // the step texts alone
  std::string garnish;
  int number = 0;
};

void AddStep(const std::string& text, TSteps& steps, bool numbered) {
  const std::string clean = Trim(text);
  if (clean.empty()) return;
  steps.plain.push_back(text);
  if (steps.garnish.empty() && AsciiLower(CleanLine(clean)).rfind("garnish", 0) == 0)
    steps.garnish = CleanLine(clean);
  steps.lines.push_back(numbered ? std::to_string(++steps.number) + ". " + clean : clean);
}

void CollectSteps(const json& value, TSteps& steps, int depth) {
  if (depth > kSearchDepth) return;
  if (value.is_string()) {
    AddStep(value.get<std::string>(), steps, true);
  } else if (value.is_array()) {
    for (const json& item : value) CollectSteps(item, steps, depth + 1);
  } else if (value.is_object()) {
    const auto list = value.find("itemListElement");
    if (list != value.end()) {
      // A HowToSection (or an ItemList): its name as a heading, then its steps.
      const std::string heading = Trim(TextAt(value, "name"));
      if (!heading.empty()) steps.lines.push_back(heading);
      CollectSteps(*list, steps, depth + 1);
      return;
    }
    std::string text = value.contains("text") ? TextOf(value["text"]) : "";
    if (Trim(text).empty()) text = TextAt(value, "name");
    AddStep(text, steps, true);
  }
}

bool IsOwn(const json& recipe) {
  const auto publisher = recipe.find("publisher");
  return publisher != recipe.end() && TextOf(*publisher) == kOwnPublisher;
}

// Words that tell an ingredient holds alcohol.
bool MentionsAlcohol(const std::vector<std::string>& ingredients) {
  static const char* const kWords[] = {
      "gin",      "vodka",    "rum",      "whiskey",  "whisky",    "bourbon",  "scotch",
      "tequila",  "mezcal",   "brandy",   "cognac",   "liqueur",   "vermouth", "wine",
      "champagne", "prosecco", "cava",    "beer",     "ale",       "lager",    "stout",
      "sherry",   "port",     "schnapps", "amaro",    "campari",   "aperol",   "absinthe",
      "sake",     "cider",    "cointreau", "curacao", "kahlua",    "baileys",  "chartreuse",
      "pisco",    "cachaca",  "grappa",   "ouzo",     "sambuca",   "amaretto", "triple sec",
      "bitters",  "lillet",   "cynar",    "fernet",   "calvados",  "armagnac", "limoncello",
      "spirit",   "alcohol",  "rye",      "mead",     "soju",      "eggnog",   "bénédictine"};
  for (const std::string& line : ingredients) {
    const std::string lower = AsciiLower(line);
    for (const char* word : kWords)
      if (HasLowerWord(lower, word)) return true;
  }
  return false;
}

TRecipe RecipeOf(const json& node, const std::string& place) {
  TRecipe recipe;
  recipe.name = TextAt(node, "name");
  if (Trim(recipe.name).empty()) recipe.name = TextAt(node, "headline");
  recipe.description = TextAt(node, "description");

  const json* ingredients = nullptr;
  for (const char* key : {"recipeIngredient", "ingredients"}) {
    const auto it = node.find(key);
    if (it != node.end()) {
      ingredients = &*it;
      break;
    }
  }
  if (ingredients) {
    if (ingredients->is_string()) {
      recipe.ingredients.push_back(ingredients->get<std::string>());
    } else if (ingredients->is_array()) {
      for (const json& item : *ingredients) {
        if (item.is_string()) recipe.ingredients.push_back(item.get<std::string>());
        else if (item.is_object() && item.contains("ingredient"))
          recipe.ingredients.push_back(TextOf(item["ingredient"]));
        else if (item.is_object()) recipe.ingredients.push_back(TextAt(item, "name"));
      }
    } else if (!ingredients->is_null()) {
      throw ERecipeFileError(place + ": the key \"recipeIngredient\" holds " +
                             std::string(ingredients->type_name()) + ", not a list");
    }
  }

  TSteps steps;
  const auto instructions = node.find("recipeInstructions");
  const std::vector<std::string> keywords = ListAt(node, "keywords");

  if (IsOwn(node)) {
    recipe.verbatim = true;
    if (instructions != node.end() && instructions->is_array()) {
      std::string directions;
      for (size_t i = 0; i < instructions->size(); ++i) {
        if (i) directions += "\n";
        directions += TextOf((*instructions)[i].is_object() ? (*instructions)[i].value("text", json())
                                                            : (*instructions)[i]);
      }
      recipe.directions = directions;
    } else if (instructions != node.end()) {
      recipe.directions = TextOf(*instructions);
    }
    const int32_t type = typeCode(TextAt(node, "recipeCategory"));
    if (type >= 0) recipe.type = type;
    for (const std::string& keyword : keywords) {
      if (seasonCode(keyword) >= 0) recipe.season = seasonCode(keyword);
      else if (keyword == "Cold" || keyword == "Room" || keyword == "Hot") recipe.temp = tempCode(keyword);
      else if (keyword.size() > 6 && keyword.compare(keyword.size() - 6, 6, " glass") == 0 &&
               glassCode(keyword.substr(0, keyword.size() - 6)) >= 0)
        recipe.glass = glassCode(keyword.substr(0, keyword.size() - 6));
    }
    return recipe;
  }

  recipe.titleName = true;
  if (instructions != node.end()) {
    if (instructions->is_string()) {
      recipe.directions = instructions->get<std::string>();
      for (const std::string& line : SplitLines(CleanText(recipe.directions, false)))
        if (steps.garnish.empty() && AsciiLower(line).rfind("garnish", 0) == 0) steps.garnish = line;
    } else {
      CollectSteps(*instructions, steps, 0);
      for (size_t i = 0; i < steps.lines.size(); ++i)
        recipe.directions += (i ? "\n" : "") + steps.lines[i];
    }
  }
  recipe.garnish = steps.garnish;
  recipe.keywords = keywords;
  for (const std::string& category : ListAt(node, "recipeCategory")) recipe.keywords.push_back(category);

  // Type from the name and the keywords; no alcohol at all: non-alcoholic.
  std::string words = recipe.name;
  for (const std::string& keyword : keywords) words += ", " + keyword;
  if (!recipe.ingredients.empty() && !MentionsAlcohol(recipe.ingredients)) {
    recipe.type = typeCode("Non-Alcoholic");
  } else if (!TypeFromName(recipe.name)) {
    if (HasWord(words, "frozen") || HasWord(words, "blended")) recipe.type = typeCode("Frozen");
    else if (HasWord(words, "sangria") || HasWord(words, "punch")) recipe.type = typeCode("Punch");
    else if (HasWord(words, "coffee") || HasWord(words, "cold brew") || HasWord(words, "espresso"))
      recipe.type = typeCode("Coffee");
    else if (HasWord(words, "toddy") || HasWord(words, "hot chocolate") || HasWord(words, "coquito"))
      recipe.type = typeCode("Toddy");
    else if (HasWord(words, "daiquiri") || HasWord(words, "sour")) recipe.type = typeCode("Sour");
  }

  const std::string yield = TextAt(node, "recipeYield");
  const double servings = std::strtod(yield.c_str(), nullptr);
  if (servings > 1) recipe.notes.push_back("Serves " + Trim(yield));
  return recipe;
}

void ReadInto(const json& document, const std::string& file_name, TRecipeBatch& batch) {
  std::vector<const json*> nodes;
  FindRecipes(document, 0, nodes);
  for (size_t i = 0; i < nodes.size(); ++i) {
    TRecipe recipe = RecipeOf(*nodes[i], nodes.size() > 1 ? RecordPlace(file_name, i) : file_name);
    if (HoldsRecipe(recipe)) batch.recipes.push_back(std::move(recipe));
    else ++batch.withoutRecipe;
  }
}

struct TDocFree {
  void operator()(xmlDoc* doc) const { xmlFreeDoc(doc); }
};

}  // namespace

TRecipeBatch ReadJsonLd(const json& document, const std::string& file_name) {
  TRecipeBatch batch;
  ReadInto(document, file_name, batch);
  if (batch.recipes.empty() && batch.withoutRecipe == 0)
    batch.emptyReason = "no schema.org Recipe";
  return batch;
}

TRecipeBatch ReadJsonLdPage(std::string_view html, const std::string& file_name) {
  xmlInitParser();
  std::unique_ptr<xmlDoc, TDocFree> doc(htmlReadMemory(
      html.data(), static_cast<int>(std::min<size_t>(html.size(), INT32_MAX)), nullptr, "UTF-8",
      HTML_PARSE_RECOVER | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING | HTML_PARSE_NONET));
  TRecipeBatch batch;
  if (!doc) throw ERecipeFileError(file_name + " cannot be read as a web page");

  // Every ld+json script block, in page order (an iterative walk).
  std::vector<std::string> blocks;
  std::vector<xmlNode*> pending;
  for (xmlNode* top = doc->children; top; top = top->next) pending.push_back(top);
  std::reverse(pending.begin(), pending.end());
  while (!pending.empty()) {
    xmlNode* node = pending.back();
    pending.pop_back();
    if (node->type != XML_ELEMENT_NODE) continue;
    if (node->name && AsciiLower(reinterpret_cast<const char*>(node->name)) == "script") {
      xmlChar* type = xmlGetProp(node, reinterpret_cast<const xmlChar*>("type"));
      const std::string kind = type ? AsciiLower(Trim(reinterpret_cast<const char*>(type))) : "";
      if (type) xmlFree(type);
      if (kind == "application/ld+json") {
        xmlChar* content = xmlNodeGetContent(node);
        blocks.emplace_back(content ? reinterpret_cast<const char*>(content) : "");
        if (content) xmlFree(content);
      }
      continue;
    }
    const size_t mark = pending.size();
    for (xmlNode* child = node->children; child; child = child->next) pending.push_back(child);
    std::reverse(pending.begin() + static_cast<std::ptrdiff_t>(mark), pending.end());
  }

  std::string damage;
  for (size_t i = 0; i < blocks.size(); ++i) {
    const std::string place = file_name + ", JSON-LD block " + std::to_string(i + 1);
    if (Trim(blocks[i]).empty()) continue;
    try {
      ReadInto(ParseJsonText(blocks[i], place), place, batch);
    } catch (const ERecipeFileError& error) {
      if (damage.empty()) damage = error.what();
    }
  }
  if (batch.recipes.empty() && !damage.empty()) throw ERecipeFileError(damage);
  if (batch.recipes.empty() && batch.withoutRecipe == 0)
    batch.emptyReason = blocks.empty() ? "no JSON-LD block (a web page without a recipe)"
                                       : "no schema.org Recipe in its JSON-LD";
  return batch;
}

std::string BuildJsonLd(const std::vector<TDrink>& drinks) {
  json out = json::array();
  for (const TDrink& drink : drinks) {
    json steps = json::array();
    if (!drink.directions.empty()) {
      for (const std::string& line : SplitLines(FromCatalogueText(drink.directions)))
        steps.push_back({{"@type", "HowToStep"}, {"text", line}});
    }
    json ingredients = json::array();
    if (!drink.ingred.empty()) {
      for (const std::string& line : SplitLines(FromCatalogueText(drink.ingred)))
        ingredients.push_back(line);
    }
    json recipe;
    recipe["@context"] = "https://schema.org";
    recipe["@type"] = "Recipe";
    recipe["name"] = FromCatalogueText(drink.name);
    recipe["description"] = FromCatalogueText(drink.comment);
    recipe["recipeCategory"] = typeName(drink.type);
    recipe["keywords"] = seasonName(drink.season) + ", " + tempName(drink.temp) + ", " +
                         glassName(drink.glass) + " glass";
    recipe["recipeYield"] = "1 drink";
    recipe["recipeIngredient"] = std::move(ingredients);
    recipe["recipeInstructions"] = std::move(steps);
    recipe["publisher"] = {{"@type", "Organization"}, {"name", kOwnPublisher}};
    out.push_back(std::move(recipe));
  }
  return out.dump(2, ' ', false, json::error_handler_t::replace) + "\n";
}

}  // namespace zestoria
