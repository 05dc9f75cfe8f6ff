// What can be made from the shelf: every drink's needs, worked out once
// from its ingredient lines and kept up to date drink by drink, and the
// questions asked of them (the drinks that can be made, those one
// ingredient away, the next bottle to buy, the shopping list).
//
// A drink needs one "requirement" per ingredient line that names something
// needed; a requirement is met when one of its ingredients is covered by
// the shelf. An ingredient is covered when it or an ingredient below it is
// on the shelf: a line asking for Gin is met by London dry gin, a line
// asking for London dry gin is not met by Gin. Garnishes, always-at-hand
// ingredients (ice, water) and optional lines are never needed; staples
// are needed like any ingredient, so the shelf holds the staples the user
// keeps at hand (TShelf::WithStaples puts them all there). A line the
// recogniser cannot name is kept in the drink's needs as unrecognised, for
// the caller to report, and does not stand in the way of making the drink.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "IngredientRecogniser.h"
#include "IngredientVocabulary.h"

namespace zestoria {
struct TDrink;
}

namespace zestoria::bar {

// Any one of these ingredients serves (most often there is one).
using TRequirement = std::vector<TIngredientId>;

// What a drink's lines ask for.
struct TDrinkNeeds {
  std::vector<TRequirement> required;       // each must be met; no two alike
  std::vector<TIngredientId> not_needed;    // garnishes, ice, water, optional lines
  std::vector<std::string> unrecognised;    // lines that name nothing, as given
};

// Readings of lines already read, so that a line many drinks share is read
// once. Forgets everything past kMaxLines lines.
class TLineReadings {
 public:
  static constexpr size_t kMaxLines = 200000;
  const TLineReading& Read(const TIngredientRecogniser& recogniser, const std::string& line);
  void Clear() { readings_.clear(); }

 private:
  std::unordered_map<std::string, TLineReading> readings_;
};

// The needs of a drink with the UTF-8 ingredient |lines|; |readings|, when
// given, remembers the lines read.
TDrinkNeeds ReadDrinkNeeds(const TIngredientRecogniser& recogniser, const std::vector<std::string>& lines,
                           TLineReadings* readings = nullptr);

// The ingredients at hand: the bottles and the staples marked at hand.
class TShelf {
 public:
  explicit TShelf(const TIngredientVocabulary& vocabulary) : on_(vocabulary.size(), false) {}

  // A shelf holding every staple of |vocabulary| and nothing else.
  static TShelf WithStaples(const TIngredientVocabulary& vocabulary);

  void Add(TIngredientId id);     // ids outside the vocabulary are ignored
  void Remove(TIngredientId id);
  bool Has(TIngredientId id) const { return id < on_.size() && on_[id]; }
  std::vector<TIngredientId> Items() const;  // in vocabulary order
  size_t VocabularySize() const { return on_.size(); }

 private:
  std::vector<bool> on_;
};

// A drink missing exactly one requirement.
struct TOneAway {
  int32_t drink = 0;
  TRequirement missing;  // the requirement not met (any one of these)
};

// A bottle not on the shelf and the number of drinks it alone would make
// makeable ("Campari: +14").
struct TNextBottle {
  TIngredientId ingredient = kNoIngredient;
  int opens = 0;
};

// One line of a shopping list: a requirement the shelf does not meet and
// the drinks (of those asked about) that have it.
struct TShoppingItem {
  TRequirement ingredient;  // any one of these
  std::vector<int32_t> drinks;
};

class TBarIndex {
 public:
  // Keeps a reference to |recogniser| (and its vocabulary), which must
  // outlive the index.
  explicit TBarIndex(const TIngredientRecogniser& recogniser);

  // Adds the drink |id| with UTF-8 ingredient |lines|, or replaces its
  // lines when it is there.
  void PutDrink(int32_t id, const std::vector<std::string>& lines);
  // The same for a catalogue drink (Windows-1252 "\r\n"-separated lines).
  void PutDrink(const TDrink& drink);
  // Forgets the drink |id|; nothing happens when it is not there.
  void RemoveDrink(int32_t id);
  void Clear();

  size_t DrinkCount() const { return slot_of_.size(); }
  bool HasDrink(int32_t id) const { return slot_of_.count(id) != 0; }
  // The needs of drink |id|; nullptr when it is not there.
  const TDrinkNeeds* Needs(int32_t id) const;

  // The drinks every requirement of which the shelf meets, by id.
  std::vector<int32_t> Makeable(const TShelf& shelf) const;
  // The drinks missing exactly one requirement, by id.
  std::vector<TOneAway> OneAway(const TShelf& shelf) const;
  // Every ingredient not on the shelf that would make at least one more
  // drink makeable, with the count: most first, then in vocabulary order.
  std::vector<TNextBottle> NextBottles(const TShelf& shelf) const;
  // The requirements of |drinks| (ids not in the index are passed over)
  // that the shelf does not meet, each once, in the order first met.
  std::vector<TShoppingItem> ShoppingList(const std::vector<int32_t>& drinks, const TShelf& shelf) const;

  // The drinks with a line naming |id| or an ingredient below it
  // (garnishes and optional lines included), by id.
  std::vector<int32_t> DrinksNaming(TIngredientId id) const;
  // Every unrecognised line, with its drink, by drink id.
  std::vector<std::pair<int32_t, std::string>> UnrecognisedLines() const;

 private:
  // What the questions scan, kept small; the needs lie apart in needs_.
  struct TSlot {
    int32_t id = 0;
    bool live = false;
    // The requirements packed for scanning: count, then the ingredients,
    // for each requirement in turn.
    std::vector<TIngredientId> packed;
  };
  std::vector<uint8_t> Covered(const TShelf& shelf) const;
  // The requirements of |slot| that |covered| does not meet (as offsets
  // into packed), stopping after |limit|.
  void Unmet(const TSlot& slot, const std::vector<uint8_t>& covered, size_t limit,
             std::vector<size_t>& unmet) const;
  void Unlink(size_t slot);

  const TIngredientRecogniser& recogniser_;
  const TIngredientVocabulary& vocabulary_;
  TLineReadings readings_;
  std::vector<TSlot> slots_;
  std::vector<TDrinkNeeds> needs_;  // by slot
  std::vector<size_t> free_slots_;
  std::unordered_map<int32_t, size_t> slot_of_;
  // Ingredient -> slots of the drinks with a line naming it.
  std::vector<std::vector<size_t>> naming_;
};

// "Campari: +14".
std::string NextBottleText(const TIngredientVocabulary& vocabulary, const TNextBottle& bottle);
// "Club soda", "Gin or Vodka": a requirement as a shopping list shows it.
std::string RequirementText(const TIngredientVocabulary& vocabulary, const TRequirement& requirement);

}  // namespace zestoria::bar
