#include "IngredientRecogniser.h"

#include <algorithm>

#include "TextFolding.h"
#include "platform/Codepage.h"

namespace zestoria::bar {

namespace {

// The singular forms a plural |word| may have: "wedges" -> "wedge",
// "wedg"; "cherries" -> "cherry". Short words are left alone.
std::vector<std::string> Singulars(const std::string& word) {
  std::vector<std::string> forms;
  if (word.size() < 4 || word.back() != 's' || word[word.size() - 2] == 's') return forms;
  if (word.ends_with("ies")) forms.push_back(word.substr(0, word.size() - 3) + "y");
  forms.push_back(word.substr(0, word.size() - 1));
  if (word.ends_with("es")) forms.push_back(word.substr(0, word.size() - 2));
  return forms;
}

std::string Join(const std::vector<std::string>& words, size_t start, size_t count) {
  std::string key = words[start];
  for (size_t i = start + 1; i < start + count; ++i) {
    key += ' ';
    key += words[i];
  }
  return key;
}

}  // namespace

TIngredientRecogniser::TIngredientRecogniser(const TIngredientVocabulary& vocabulary)
    : vocabulary_(vocabulary) {
  for (const auto& [key, id] : vocabulary.FoldedAliases()) {
    const size_t blank = key.find(' ');
    const std::string first = key.substr(0, blank);
    const size_t words = static_cast<size_t>(std::count(key.begin(), key.end(), ' ')) + 1;
    size_t& longest = longest_from_[first];
    longest = std::max(longest, words);
  }
}

TIngredientRecogniser::TMatch TIngredientRecogniser::LongestAt(const std::vector<std::string>& words,
                                                               size_t start) const {
  const auto& aliases = vocabulary_.FoldedAliases();
  const auto from = longest_from_.find(words[start]);
  const size_t longest = from == longest_from_.end() ? 1 : from->second;
  for (size_t count = std::min(longest, words.size() - start); count >= 1; --count) {
    if (count > 1 || from != longest_from_.end()) {
      const std::string key = Join(words, start, count);
      if (const auto at = aliases.find(key); at != aliases.end()) return {at->second, count};
    }
    // The last word in the plural.
    const std::string head = count > 1 ? Join(words, start, count - 1) + " " : std::string();
    for (const std::string& singular : Singulars(words[start + count - 1])) {
      if (const auto at = aliases.find(head + singular); at != aliases.end()) return {at->second, count};
    }
  }
  return {};
}

void TIngredientRecogniser::Scan(const std::vector<std::string>& words,
                                 std::vector<TIngredientId>& found) const {
  for (size_t i = 0; i < words.size();) {
    const TMatch match = LongestAt(words, i);
    if (match.words == 0) {
      ++i;
      continue;
    }
    if (std::find(found.begin(), found.end(), match.id) == found.end()) found.push_back(match.id);
    i += match.words;
  }
}

TLineReading TIngredientRecogniser::ReadLine(std::string_view line) const {
  const std::vector<TFoldedWord> folded = FoldWords(line);
  TLineReading reading;
  // Runs of words outside brackets, then runs inside; a bracket ends a run
  // so that no alias spans one.
  std::vector<std::vector<std::string>> outside(1), inside(1);
  bool last_in_brackets = false;
  bool or_outside = false, or_inside = false;
  for (size_t i = 0; i < folded.size(); ++i) {
    const TFoldedWord& word = folded[i];
    if (i > 0 && word.in_brackets != last_in_brackets) {
      if (!outside.back().empty()) outside.emplace_back();
      if (!inside.back().empty()) inside.emplace_back();
    }
    last_in_brackets = word.in_brackets;
    (word.in_brackets ? inside : outside).back().push_back(word.text);
    if (word.text == "or") (word.in_brackets ? or_inside : or_outside) = true;
    if (word.text == "optional") reading.optional = true;
  }
  for (const auto& run : outside) Scan(run, reading.ingredients);
  bool has_or = or_outside;
  if (reading.ingredients.empty()) {
    for (const auto& run : inside) Scan(run, reading.ingredients);
    has_or = or_inside;
  }
  // Of two ingredients of one family, alternatives keep the more general
  // (it admits the other) and needs the more particular (it is the need).
  std::vector<TIngredientId> kept;
  for (TIngredientId id : reading.ingredients) {
    bool covered_by_other = false;
    for (TIngredientId other : reading.ingredients) {
      if (other == id) continue;
      if (has_or ? vocabulary_.IsKindOf(id, other) : vocabulary_.IsKindOf(other, id))
        covered_by_other = true;
    }
    if (!covered_by_other) kept.push_back(id);
  }
  reading.ingredients = std::move(kept);
  reading.alternatives = has_or && reading.ingredients.size() > 1;
  return reading;
}

std::optional<TIngredientId> TIngredientRecogniser::Name(std::string_view text) const {
  if (auto whole = vocabulary_.FindName(text)) return whole;
  const TLineReading reading = ReadLine(text);
  if (!reading.Recognised()) return std::nullopt;
  return reading.ingredients.front();
}

std::vector<std::string> IngredientLines(std::string_view cp1252_ingredients) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start <= cp1252_ingredients.size()) {
    size_t end = cp1252_ingredients.find_first_of("\r\n", start);
    if (end == std::string_view::npos) end = cp1252_ingredients.size();
    std::string_view line = cp1252_ingredients.substr(start, end - start);
    while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.remove_prefix(1);
    while (!line.empty() && (line.back() == ' ' || line.back() == '\t')) line.remove_suffix(1);
    if (!line.empty()) lines.push_back(tinydb::Cp1252ToUtf8(line));
    start = end + 1;
  }
  return lines;
}

}  // namespace zestoria::bar
