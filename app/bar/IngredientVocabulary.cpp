#include "IngredientVocabulary.h"

#include <fstream>
#include <sstream>

#include <nlohmann/json.hpp>

#include "TextFolding.h"

namespace zestoria::bar {

namespace {

using nlohmann::json;

constexpr const char* kGroupNames[kIngredientGroupCount] = {
    "spirits", "liqueurs", "wines and beers", "juices",    "syrups",
    "bitters", "mixers",   "dairy and eggs",  "garnishes", "staples"};

// The most entries a vocabulary holds: kNoIngredient stays free.
constexpr size_t kMaxIngredients = kNoIngredient;

[[noreturn]] void Fail(size_t index, const std::string& name, const std::string& what) {
  std::string message = "ingredient " + std::to_string(index + 1);
  if (!name.empty()) message += " (\"" + name + "\")";
  throw TVocabularyError(message + ": " + what);
}

}  // namespace

const char* GroupName(TIngredientGroup group) {
  const auto index = static_cast<size_t>(group);
  return index < kIngredientGroupCount ? kGroupNames[index] : "";
}

TIngredientVocabulary TIngredientVocabulary::FromJson(std::string_view text) {
  json root;
  try {
    root = json::parse(text.begin(), text.end());
  } catch (const json::exception& e) {
    throw TVocabularyError(std::string("not well-formed JSON: ") + e.what());
  }
  if (!root.is_object() || !root.contains("ingredients") || !root["ingredients"].is_array())
    throw TVocabularyError("has no \"ingredients\" list");
  const json& entries = root["ingredients"];
  if (entries.size() > kMaxIngredients)
    throw TVocabularyError("has more than " + std::to_string(kMaxIngredients) + " ingredients");

  TIngredientVocabulary vocabulary;
  std::vector<std::string> parent_names(entries.size());
  std::unordered_map<std::string, TIngredientId> canonical;  // folded canonical name -> id

  for (size_t i = 0; i < entries.size(); ++i) {
    const json& entry = entries[i];
    if (!entry.is_object()) Fail(i, "", "is not an object");
    if (!entry.contains("name") || !entry["name"].is_string()) Fail(i, "", "has no \"name\" text");
    TIngredient ingredient;
    ingredient.name = entry["name"].get<std::string>();
    const auto id = static_cast<TIngredientId>(i);

    for (const auto& [key, value] : entry.items()) {
      if (key != "name" && key != "group" && key != "aliases" && key != "parent" && key != "always")
        Fail(i, ingredient.name, "has an unknown field \"" + key + "\"");
    }
    if (!entry.contains("group") || !entry["group"].is_string())
      Fail(i, ingredient.name, "has no \"group\" text");
    const std::string group = entry["group"].get<std::string>();
    bool group_known = false;
    for (int g = 0; g < kIngredientGroupCount; ++g) {
      if (group == kGroupNames[g]) {
        ingredient.group = static_cast<TIngredientGroup>(g);
        group_known = true;
      }
    }
    if (!group_known) Fail(i, ingredient.name, "has the unknown group \"" + group + "\"");

    if (entry.contains("always")) {
      if (!entry["always"].is_boolean()) Fail(i, ingredient.name, "has an \"always\" that is not true or false");
      ingredient.always = entry["always"].get<bool>();
    }
    if (entry.contains("parent")) {
      if (!entry["parent"].is_string()) Fail(i, ingredient.name, "has a \"parent\" that is not a text");
      parent_names[i] = entry["parent"].get<std::string>();
    }

    std::vector<std::string> spellings{ingredient.name};
    if (entry.contains("aliases")) {
      if (!entry["aliases"].is_array()) Fail(i, ingredient.name, "has \"aliases\" that are not a list");
      for (const json& alias : entry["aliases"]) {
        if (!alias.is_string()) Fail(i, ingredient.name, "has an alias that is not a text");
        ingredient.aliases.push_back(alias.get<std::string>());
        spellings.push_back(ingredient.aliases.back());
      }
    }
    for (size_t s = 0; s < spellings.size(); ++s) {
      const std::string key = FoldedKey(spellings[s]);
      if (key.empty())
        Fail(i, ingredient.name, "has the name or alias \"" + spellings[s] + "\" with no letter or digit");
      if (s == 0) canonical.emplace(key, id);
      const auto [at, added] = vocabulary.aliases_.emplace(key, id);
      // The same entry may spell a name twice (with and without accents).
      if (!added && at->second != id)
        Fail(i, ingredient.name, "shares the name \"" + key + "\" with \"" +
                                     vocabulary.ingredients_[at->second].name + "\"");
    }
    vocabulary.ingredients_.push_back(std::move(ingredient));
  }

  for (size_t i = 0; i < entries.size(); ++i) {
    if (parent_names[i].empty() && !entries[i].contains("parent")) continue;
    const auto parent = canonical.find(FoldedKey(parent_names[i]));
    if (parent == canonical.end())
      Fail(i, vocabulary.ingredients_[i].name, "names the parent \"" + parent_names[i] +
                                                   "\", which is no ingredient's name");
    if (parent->second == i) Fail(i, vocabulary.ingredients_[i].name, "is its own parent");
    vocabulary.ingredients_[i].parent = parent->second;
  }
  // A chain of parents longer than the vocabulary has gone round a cycle.
  for (size_t i = 0; i < vocabulary.size(); ++i) {
    size_t steps = 0;
    for (TIngredientId at = vocabulary.ingredients_[i].parent; at != kNoIngredient;
         at = vocabulary.ingredients_[at].parent) {
      if (++steps > vocabulary.size())
        Fail(i, vocabulary.ingredients_[i].name, "is its own ancestor (its parents form a cycle)");
    }
  }

  vocabulary.descendants_.resize(vocabulary.size());
  vocabulary.roots_.resize(vocabulary.size());
  for (size_t i = 0; i < vocabulary.size(); ++i) {
    for (TIngredientId at = static_cast<TIngredientId>(i); at != kNoIngredient;
         at = vocabulary.ingredients_[at].parent) {
      vocabulary.descendants_[at].push_back(static_cast<TIngredientId>(i));
      vocabulary.roots_[i] = at;
    }
  }
  return vocabulary;
}

TIngredientVocabulary TIngredientVocabulary::LoadFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) throw TVocabularyError(path + ": cannot be opened");
  std::ostringstream contents;
  contents << file.rdbuf();
  if (file.bad()) throw TVocabularyError(path + ": cannot be read");
  try {
    return FromJson(contents.str());
  } catch (const TVocabularyError& e) {
    throw TVocabularyError(path + ": " + e.what());
  }
}

std::optional<TIngredientId> TIngredientVocabulary::FindName(std::string_view text) const {
  const auto at = aliases_.find(FoldedKey(text));
  if (at == aliases_.end()) return std::nullopt;
  return at->second;
}

bool TIngredientVocabulary::IsKindOf(TIngredientId id, TIngredientId ancestor) const {
  for (TIngredientId at = id; at != kNoIngredient && at < size(); at = ingredients_[at].parent)
    if (at == ancestor) return true;
  return false;
}

bool TIngredientVocabulary::NeverNeeded(TIngredientId id) const {
  const TIngredient& ingredient = ingredients_.at(id);
  return ingredient.always || ingredient.group == TIngredientGroup::igGarnishes;
}

bool TIngredientVocabulary::IsStaple(TIngredientId id) const {
  const TIngredient& ingredient = ingredients_.at(id);
  return !ingredient.always && ingredient.group == TIngredientGroup::igStaples;
}

std::vector<TIngredientId> TIngredientVocabulary::Staples() const {
  std::vector<TIngredientId> staples;
  for (size_t i = 0; i < size(); ++i)
    if (IsStaple(static_cast<TIngredientId>(i))) staples.push_back(static_cast<TIngredientId>(i));
  return staples;
}

}  // namespace zestoria::bar
