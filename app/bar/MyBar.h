// My Bar as the program keeps it: the ingredient vocabulary, its
// recogniser, the index of every drink's needs and the shelf, together.
// The index is filled once from the catalogue (each distinct ingredient
// line read once) and then follows every record change the catalogue makes
// (adding, modifying, pasting, deleting, importing), so no question reads
// the drinks again. No window code: the window and the tools share it.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "bar/BarIndex.h"
#include "bar/IngredientRecogniser.h"
#include "bar/IngredientVocabulary.h"

namespace zestoria {
class TDrinkCatalogue;
}

namespace zestoria::bar {

// The vocabulary file beside the program.
constexpr const char* kVocabularyFileName = "ingredients.json";

class TMyBar {
 public:
  // An empty index and a shelf of every staple.
  explicit TMyBar(TIngredientVocabulary vocabulary);
  TMyBar(const TMyBar&) = delete;
  TMyBar& operator=(const TMyBar&) = delete;

  // TIngredientVocabulary::LoadFile(|path|); throws its TVocabularyError.
  static std::unique_ptr<TMyBar> LoadFile(const std::string& path);

  const TIngredientVocabulary& Vocabulary() const { return vocabulary_; }
  const TIngredientRecogniser& Recogniser() const { return recogniser_; }
  const TBarIndex& Index() const { return index_; }

  // Reads every drink of |catalogue| into the index (in place of what it
  // held) and from then on keeps it up to date with the catalogue's record
  // changes. Unfollow stops that; the catalogue must be unfollowed (or
  // outlive no use of its listener) before the bar goes.
  void Follow(TDrinkCatalogue& catalogue);
  static void Unfollow(TDrinkCatalogue& catalogue);

  // ---- The shelf ----
  const TShelf& Shelf() const { return shelf_; }
  void SetOnShelf(TIngredientId id, bool on);
  // Puts the ingredients named |names| (canonical names, as stored) on the
  // shelf in place of what it held. A name the vocabulary no longer knows
  // is kept aside and stored again by ShelfNames, so a stored shelf never
  // loses an entry to a changed vocabulary.
  void SetShelfNames(const std::vector<std::string>& names);
  // The shelf's names: the canonical names of what is on it and the names
  // kept aside, ascending (UTF-8).
  std::vector<std::string> ShelfNames() const;
  // The same in the catalogue's Windows-1252, as the shelf store keeps
  // them, and back. A name Windows-1252 cannot hold is left out.
  std::vector<std::string> StoredShelfNames() const;
  void SetStoredShelfNames(const std::vector<std::string>& cp1252_names);

  // ---- The questions, on the shelf ----
  std::vector<int32_t> Makeable() const { return index_.Makeable(shelf_); }
  std::vector<TOneAway> OneAway() const { return index_.OneAway(shelf_); }
  std::vector<TNextBottle> NextBottles() const { return index_.NextBottles(shelf_); }
  std::vector<TShoppingItem> ShoppingList(const std::vector<int32_t>& drinks) const {
    return index_.ShoppingList(drinks, shelf_);
  }

  // ---- The display menu's ingredient items ----
  // The ingredients a Liquors, Liqueurs or Ingredients item |caption|
  // stands for: the ingredient the caption names and, when the vocabulary
  // has "<caption> juice", that one too ("Lemon" is the fruit in any form:
  // its cuts and its juice). Empty when the caption names nothing.
  std::vector<TIngredientId> MenuItemIngredients(const std::string& caption) const;
  // The drinks with a line naming one of those ingredients or one below
  // it, ascending by id.
  std::vector<int32_t> DrinksForMenuItem(const std::string& caption) const;

 private:
  TIngredientVocabulary vocabulary_;
  TIngredientRecogniser recogniser_;
  TBarIndex index_;
  TShelf shelf_;
  std::vector<std::string> unknown_names_;
};

}  // namespace zestoria::bar
