// The search builder behind the Search page: a compound search made of
// category terms joined by AND and OR, kept as two parallel lists of pieces
// (the readable description and the filter expression), and the searches
// already run, newest first. No window code: the page drives it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace zestoria {

// The kinds of search term: the seven category menus and a typed ingredient.
enum TSearchCategory {
  scLiquor,
  scLiqueur,
  scIngredient,
  scType,
  scGlass,
  scSeason,
  scTemperature,
  scOtherIngredient
};

// The description piece and the filter piece of one term or connector. A
// term of the Liquors, Liqueurs or Ingredients menus has no filter piece:
// it stands for the drinks with a line the ingredient recogniser names
// |ingredient| (the menu item's caption), which the filter language cannot
// say; a search holding one is worked out as sets (EvaluateSearch).
struct TSearchPieces {
  std::string text;
  std::string filter;
  std::string ingredient = {};  // the menu item's caption, for an ingredient term
};

// The pieces of a term of |category| for the menu item |caption| (for a typed
// ingredient, the text typed). Type, glass, season and temperature use the
// caption's vocabulary code. A typed ingredient ("OTHER ...") finds the
// text anywhere in the ingredients: its filter piece has every apostrophe
// doubled, so the typed text stays one string literal.
TSearchPieces SearchTermPieces(TSearchCategory category, const std::string& caption);

// True for the connector pieces AddConnector appends.
bool IsConnector(const TSearchPieces& pieces);

// The drinks (ids, ascending) a search of |parts| (terms and connectors in
// turn, a term last) finds, AND binding closer than OR as in the filter
// language: |drinks_of| gives each term's drinks, ascending by id.
std::vector<int32_t> EvaluateSearch(const std::vector<TSearchPieces>& parts,
                                    const std::function<std::vector<int32_t>(const TSearchPieces&)>& drinks_of);

// |text| with every apostrophe doubled, for use between quotes in a filter.
std::string QuoteFilterText(const std::string& text);

// One recorded search: its filter, its description and its pieces.
struct TRecordedSearch {
  std::string filter;
  std::string text;
  std::vector<TSearchPieces> parts;
  // True when a term names an ingredient: the search runs as
  // EvaluateSearch(parts), not as |filter|.
  bool NamesIngredients() const;
};

class TSearchBuilder {
 public:
  // True when the last piece is a term: the next term needs a connector.
  bool termPending() const { return termPending_; }
  const std::vector<std::string>& textParts() const { return textParts_; }
  const std::vector<std::string>& filterParts() const { return filterParts_; }
  const std::vector<TSearchPieces>& parts() const { return parts_; }

  // Appends a term's pieces and marks a term pending. The caller asks for a
  // connector first when termPending() is true.
  void AddTerm(const TSearchPieces& term);
  // Appends the connector AND ("AND " / "and ") or OR ("OR " / "or ");
  // clears the pending term. Used by the AND/OR question.
  void AddConnector(bool isAnd);
  // The And and Or buttons: a connector only after a term; false (and
  // nothing added) otherwise.
  bool And();
  bool Or();
  // Forgets every piece; no term pending.
  void Clear();
  // Takes back the last piece; false when there is none.
  bool Undo();

  // The pieces joined: the description and the filter (whole only while
  // no term names an ingredient).
  std::string Description() const;
  std::string Filter() const;
  // Whether a search can run: the last piece is a term.
  bool CanSearch() const { return termPending_; }
  // Records the current search at the front of the history; returns it.
  TRecordedSearch Record();

  // Every search run, newest first.
  const std::vector<TRecordedSearch>& history() const { return history_; }
  // The filter of the newest recorded search described by |text|, or
  // nullptr when none is.
  const std::string* HistoryFilter(const std::string& text) const;
  // The newest recorded search described by |text|, or nullptr.
  const TRecordedSearch* HistorySearch(const std::string& text) const;

 private:
  void Append(const TSearchPieces& pieces);

  std::vector<std::string> textParts_;
  std::vector<std::string> filterParts_;
  std::vector<TSearchPieces> parts_;
  bool termPending_ = false;
  std::vector<TRecordedSearch> history_;
};

}  // namespace zestoria
