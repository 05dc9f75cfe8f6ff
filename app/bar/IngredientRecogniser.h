// Names the ingredients of a recipe's free-text line ("1 1/2 oz London dry
// gin", "Lime wheel") from the ingredient vocabulary.
//
// How a line is read:
// - Its words are folded (TextFolding.h): case, accents and punctuation do
//   not matter. At each word, the longest name or alias of the vocabulary
//   that starts there and ends at a word boundary is taken, and reading
//   goes on after it; so "Sloe Gin" is sloe gin, not gin, "Ginger Ale" holds
//   no gin and "Lime juice" is lime juice, not a lime wheel. Words no alias
//   starts with (measures, "fresh", brands) are passed over. A plural of the
//   last word ("wedges", "cherries") is read as its singular when only that
//   is in the vocabulary.
// - Words in brackets explain the words before them ("Triple sec
//   (Cointreau)", "Brandy (cognac)"): they are read only when the rest of
//   the line names nothing ("(Cointreau)" alone is triple sec).
// - A line may name several ingredients. With the word "or" among them
//   ("Gin or vodka") they are alternatives, any one of which serves;
//   otherwise ("Salt and pepper", "Lemon wheel and a cherry") each is
//   needed. When one named ingredient is a kind of another named in the
//   same line, needs keep only the more particular ("Rum, preferably
//   dark rum"), alternatives only the more general ("Gin or London dry
//   gin").
// - A line with the word "optional" is never needed.
// - A line that names nothing is unrecognised: the caller reports it.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "IngredientVocabulary.h"

namespace zestoria::bar {

// What one line names.
struct TLineReading {
  std::vector<TIngredientId> ingredients;  // in line order, each once
  bool alternatives = false;  // any one of them serves ("A or B")
  bool optional = false;      // the line says "optional"

  bool Recognised() const { return !ingredients.empty(); }
};

class TIngredientRecogniser {
 public:
  // Keeps a reference to |vocabulary|, which must outlive the recogniser.
  explicit TIngredientRecogniser(const TIngredientVocabulary& vocabulary);

  const TIngredientVocabulary& Vocabulary() const { return vocabulary_; }

  // Reads one UTF-8 line. Never throws on any text.
  TLineReading ReadLine(std::string_view line) const;

  // The ingredient a name typed by a user stands for, read as a line is
  // read ("lemons", "Sweet Vermouth", "campari"): the first it names, or
  // nothing.
  std::optional<TIngredientId> Name(std::string_view text) const;

 private:
  struct TMatch {
    TIngredientId id = kNoIngredient;
    size_t words = 0;
  };
  TMatch LongestAt(const std::vector<std::string>& words, size_t start) const;
  void Scan(const std::vector<std::string>& words, std::vector<TIngredientId>& found) const;

  const TIngredientVocabulary& vocabulary_;
  // First folded word of an alias -> the most words an alias starting with it has.
  std::unordered_map<std::string, size_t> longest_from_;
};

// The UTF-8 lines of a drink's ingredients as the catalogue stores them
// (Windows-1252, lines separated by "\r\n"); blank lines are left out and
// blanks trimmed.
std::vector<std::string> IngredientLines(std::string_view cp1252_ingredients);

}  // namespace zestoria::bar
