// The ingredient vocabulary: every ingredient the program can name in a
// recipe's free-text lines, with the names it goes by, its group and the
// ingredient it is a kind of. Read from a JSON text (data/ingredients.json,
// which the build places beside the program as "ingredients.json").
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace zestoria::bar {

// Position of an ingredient in its vocabulary; valid only for the
// vocabulary it came from (a stored shelf keeps canonical names instead).
using TIngredientId = uint16_t;
constexpr TIngredientId kNoIngredient = 0xFFFF;

// The groups of the vocabulary, in the order a check list shows them.
enum class TIngredientGroup : uint8_t {
  igSpirits,
  igLiqueurs,
  igWinesAndBeers,
  igJuices,
  igSyrups,
  igBitters,
  igMixers,
  igDairyAndEggs,
  igGarnishes,
  igStaples,
};
constexpr int kIngredientGroupCount = 10;

// "spirits", "liqueurs", "wines and beers", "juices", "syrups", "bitters",
// "mixers", "dairy and eggs", "garnishes", "staples": the names the JSON
// uses and a check list may show.
const char* GroupName(TIngredientGroup group);

struct TIngredient {
  std::string name;                    // canonical name (UTF-8), e.g. "London dry gin"
  TIngredientGroup group = TIngredientGroup::igSpirits;
  TIngredientId parent = kNoIngredient;  // the ingredient this one is a kind of
  std::vector<std::string> aliases;    // as written, the canonical name not repeated
  bool always = false;                 // always at hand (ice, water): never needed
};

// A vocabulary text that is not well-formed or breaks a rule; the message
// names the entry and what is wrong.
class TVocabularyError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class TIngredientVocabulary {
 public:
  // An empty vocabulary: it names nothing.
  TIngredientVocabulary() = default;

  // Reads the JSON |text|: {"ingredients": [{"name", "group", "aliases",
  // "parent"?, "always"?}, ...]}. Checks that every name and alias holds a
  // letter or digit, that no two entries share a name or alias once folded
  // (TextFolding.h), that every group is one of GroupName's and every
  // parent is the canonical name of another entry, with no cycle. Throws
  // TVocabularyError, naming the entry, when a rule is broken.
  static TIngredientVocabulary FromJson(std::string_view text);

  // FromJson on the contents of the file |path|; TVocabularyError (naming
  // the file) when it cannot be read or is not a valid vocabulary.
  static TIngredientVocabulary LoadFile(const std::string& path);

  size_t size() const { return ingredients_.size(); }
  const TIngredient& operator[](TIngredientId id) const { return ingredients_.at(id); }
  const std::vector<TIngredient>& Ingredients() const { return ingredients_; }

  // The ingredient whose canonical name or alias is |text| as a whole,
  // folded; nothing when none is.
  std::optional<TIngredientId> FindName(std::string_view text) const;

  // Every (folded alias, ingredient) pair, canonical names included.
  const std::unordered_map<std::string, TIngredientId>& FoldedAliases() const { return aliases_; }

  // True when |ancestor| is |id| or one of its parents, grandparents, ...
  bool IsKindOf(TIngredientId id, TIngredientId ancestor) const;

  // The topmost parent of |id| (|id| itself when it has no parent).
  TIngredientId Root(TIngredientId id) const { return roots_[id]; }

  // |id| and every ingredient below it (children, grandchildren, ...).
  const std::vector<TIngredientId>& SelfAndDescendants(TIngredientId id) const {
    return descendants_.at(id);
  }

  // True for a garnish or an always-at-hand ingredient: a line naming it
  // never makes a drink unmakeable.
  bool NeverNeeded(TIngredientId id) const;

  // True for a staple (sugar, salt, spices...) that may be at hand or not.
  bool IsStaple(TIngredientId id) const;

  // The staples a new shelf marks as at hand: every staple.
  std::vector<TIngredientId> Staples() const;

 private:
  std::vector<TIngredient> ingredients_;
  std::unordered_map<std::string, TIngredientId> aliases_;
  std::vector<std::vector<TIngredientId>> descendants_;
  std::vector<TIngredientId> roots_;
};

}  // namespace zestoria::bar
