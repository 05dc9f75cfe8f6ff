// The words of a text as the ingredient vocabulary compares them: letter
// case, accents and punctuation do not matter.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zestoria::bar {

// One word of a folded text.
struct TFoldedWord {
  std::string text;          // lower case, accents removed (UTF-8)
  bool in_brackets = false;  // inside "(...)" or "[...]"
};

// The words of UTF-8 |text|: runs of letters and digits, case-folded, with
// accents and other combining marks removed and the ligatures split
// ("Crème" -> "creme", "Œ" -> "oe", "ß" -> "ss"). Apostrophes vanish
// without splitting a word ("Peychaud's" -> "peychauds"), "&" is the word
// "and", every other character separates words. Ill-formed UTF-8 separates
// words too; nothing throws.
std::vector<TFoldedWord> FoldWords(std::string_view text);

// The words of |text| joined by single blanks, brackets ignored: the key
// under which a name or alias is looked up ("Crème de Cassis" ->
// "creme de cassis"). Empty when |text| holds no letter or digit.
std::string FoldedKey(std::string_view text);

}  // namespace zestoria::bar
