#include "bar/MyBar.h"

#include <algorithm>

#include "catalogue/DrinkCatalogue.h"
#include "platform/Codepage.h"

namespace zestoria::bar {

TMyBar::TMyBar(TIngredientVocabulary vocabulary)
    : vocabulary_(std::move(vocabulary)),
      recogniser_(vocabulary_),
      index_(recogniser_),
      shelf_(TShelf::WithStaples(vocabulary_)) {}

std::unique_ptr<TMyBar> TMyBar::LoadFile(const std::string& path) {
  return std::make_unique<TMyBar>(TIngredientVocabulary::LoadFile(path));
}

void TMyBar::Follow(TDrinkCatalogue& catalogue) {
  index_.Clear();
  catalogue.WalkIngredients(
      [this](int32_t id, const std::string& ingred) { index_.PutDrink(id, IngredientLines(ingred)); });
  catalogue.SetDrinkListener([this](int32_t id, const TDrink* drink) {
    if (drink != nullptr) index_.PutDrink(id, IngredientLines(drink->ingred));
    else index_.RemoveDrink(id);
  });
}

void TMyBar::Unfollow(TDrinkCatalogue& catalogue) { catalogue.SetDrinkListener(nullptr); }

void TMyBar::SetOnShelf(TIngredientId id, bool on) {
  if (on) shelf_.Add(id);
  else shelf_.Remove(id);
}

void TMyBar::SetShelfNames(const std::vector<std::string>& names) {
  shelf_ = TShelf(vocabulary_);
  unknown_names_.clear();
  for (const std::string& name : names) {
    if (const auto id = vocabulary_.FindName(name)) shelf_.Add(*id);
    else unknown_names_.push_back(name);
  }
}

std::vector<std::string> TMyBar::ShelfNames() const {
  std::vector<std::string> names = unknown_names_;
  for (TIngredientId id : shelf_.Items()) names.push_back(vocabulary_[id].name);
  std::sort(names.begin(), names.end());
  names.erase(std::unique(names.begin(), names.end()), names.end());
  return names;
}

std::vector<std::string> TMyBar::StoredShelfNames() const {
  std::vector<std::string> stored;
  for (const std::string& name : ShelfNames()) {
    std::string text;
    if (tinydb::Utf8ToCp1252(name, &text)) stored.push_back(std::move(text));
  }
  return stored;
}

void TMyBar::SetStoredShelfNames(const std::vector<std::string>& cp1252_names) {
  std::vector<std::string> names;
  names.reserve(cp1252_names.size());
  for (const std::string& name : cp1252_names) names.push_back(tinydb::Cp1252ToUtf8(name));
  SetShelfNames(names);
}

std::vector<TIngredientId> TMyBar::MenuItemIngredients(const std::string& caption) const {
  std::vector<TIngredientId> ids;
  std::optional<TIngredientId> named = vocabulary_.FindName(caption);
  if (!named) named = recogniser_.Name(caption);
  if (named) ids.push_back(*named);
  if (const auto juice = vocabulary_.FindName(caption + " juice"); juice && (!named || *juice != *named))
    ids.push_back(*juice);
  return ids;
}

std::vector<int32_t> TMyBar::DrinksForMenuItem(const std::string& caption) const {
  std::vector<int32_t> drinks;
  for (TIngredientId id : MenuItemIngredients(caption)) {
    const std::vector<int32_t> naming = index_.DrinksNaming(id);
    drinks.insert(drinks.end(), naming.begin(), naming.end());
  }
  std::sort(drinks.begin(), drinks.end());
  drinks.erase(std::unique(drinks.begin(), drinks.end()), drinks.end());
  return drinks;
}

}  // namespace zestoria::bar
