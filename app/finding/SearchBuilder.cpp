#include "finding/SearchBuilder.h"

#include <algorithm>
#include <iterator>

#include "catalogue/Vocabularies.h"

namespace zestoria {

std::string QuoteFilterText(const std::string& text) {
  std::string quoted;
  quoted.reserve(text.size());
  for (char c : text) {
    quoted += c;
    if (c == '\'') quoted += '\'';
  }
  return quoted;
}

TSearchPieces SearchTermPieces(TSearchCategory category, const std::string& caption) {
  switch (category) {
    case scLiquor:
      return {"Liquor(" + caption + ") ", std::string(), caption};
    case scLiqueur:
      return {"Liqueur(" + caption + ") ", std::string(), caption};
    case scIngredient:
      return {"Ingredient(" + caption + ") ", std::string(), caption};
    case scType:
      return {"Type(" + caption + ") ", "TYPE = " + std::to_string(typeCode(caption)) + " "};
    case scGlass:
      return {"Glass(" + caption + ") ", "GLASS = " + std::to_string(glassCode(caption)) + " "};
    case scSeason:
      return {"Season(" + caption + ") ", "SEASON = " + std::to_string(seasonCode(caption)) + " "};
    case scTemperature:
      return {"Temperature(" + caption + ") ", "TEMP = " + std::to_string(tempCode(caption)) + " "};
    case scOtherIngredient:
      // No blank after the closing quote: the next connector follows it.
      return {"Other Ingredient(" + caption + ") ", "ingred LIKE '%" + QuoteFilterText(caption) + "%'"};
  }
  return {};
}

bool IsConnector(const TSearchPieces& pieces) {
  return pieces.ingredient.empty() && (pieces.filter == "and " || pieces.filter == "or ");
}

std::vector<int32_t> EvaluateSearch(const std::vector<TSearchPieces>& parts,
                                    const std::function<std::vector<int32_t>(const TSearchPieces&)>& drinks_of) {
  // A sum of products: each run of terms joined by AND is intersected, the
  // runs joined by OR are united.
  std::vector<int32_t> found;
  std::vector<int32_t> run;
  bool run_open = false;
  auto close_run = [&] {
    if (!run_open) return;
    std::vector<int32_t> united;
    std::set_union(found.begin(), found.end(), run.begin(), run.end(), std::back_inserter(united));
    found.swap(united);
    run.clear();
    run_open = false;
  };
  for (const TSearchPieces& part : parts) {
    if (IsConnector(part)) {
      if (part.filter == "or ") close_run();
      continue;
    }
    std::vector<int32_t> drinks = drinks_of(part);
    if (!run_open) {
      run.swap(drinks);
      run_open = true;
    } else {
      std::vector<int32_t> both;
      std::set_intersection(run.begin(), run.end(), drinks.begin(), drinks.end(), std::back_inserter(both));
      run.swap(both);
    }
  }
  close_run();
  return found;
}

bool TRecordedSearch::NamesIngredients() const {
  return std::any_of(parts.begin(), parts.end(), [](const TSearchPieces& p) { return !p.ingredient.empty(); });
}

void TSearchBuilder::Append(const TSearchPieces& pieces) {
  textParts_.push_back(pieces.text);
  filterParts_.push_back(pieces.filter);
  parts_.push_back(pieces);
}

void TSearchBuilder::AddTerm(const TSearchPieces& term) {
  termPending_ = true;
  Append(term);
}

void TSearchBuilder::AddConnector(bool isAnd) {
  termPending_ = false;
  Append(isAnd ? TSearchPieces{"AND ", "and "} : TSearchPieces{"OR ", "or "});
}

bool TSearchBuilder::And() {
  if (!termPending_) return false;
  AddConnector(true);
  return true;
}

bool TSearchBuilder::Or() {
  if (!termPending_) return false;
  AddConnector(false);
  return true;
}

void TSearchBuilder::Clear() {
  textParts_.clear();
  filterParts_.clear();
  parts_.clear();
  termPending_ = false;
}

bool TSearchBuilder::Undo() {
  if (textParts_.empty()) return false;
  termPending_ = !termPending_;
  textParts_.pop_back();
  filterParts_.pop_back();
  parts_.pop_back();
  return true;
}

std::string TSearchBuilder::Description() const {
  std::string joined;
  for (const std::string& piece : textParts_) joined += piece;
  return joined;
}

std::string TSearchBuilder::Filter() const {
  std::string joined;
  for (const std::string& piece : filterParts_) joined += piece;
  return joined;
}

TRecordedSearch TSearchBuilder::Record() {
  TRecordedSearch search{Filter(), Description(), parts_};
  history_.insert(history_.begin(), search);
  return search;
}

const std::string* TSearchBuilder::HistoryFilter(const std::string& text) const {
  const TRecordedSearch* search = HistorySearch(text);
  return search ? &search->filter : nullptr;
}

const TRecordedSearch* TSearchBuilder::HistorySearch(const std::string& text) const {
  for (const TRecordedSearch& search : history_)
    if (search.text == text) return &search;
  return nullptr;
}

}  // namespace zestoria
