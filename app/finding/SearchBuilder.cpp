#include "finding/SearchBuilder.h"

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
  auto like = [&caption] { return "ingred LIKE '%" + caption + "%' "; };
  switch (category) {
    case scLiquor:
      return {"Liquor(" + caption + ") ", like()};
    case scLiqueur:
      return {"Liqueur(" + caption + ") ", like()};
    case scIngredient:
      return {"Ingredient(" + caption + ") ", like()};
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

void TSearchBuilder::Append(const TSearchPieces& pieces) {
  textParts_.push_back(pieces.text);
  filterParts_.push_back(pieces.filter);
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
  termPending_ = false;
}

bool TSearchBuilder::Undo() {
  if (textParts_.empty()) return false;
  termPending_ = !termPending_;
  textParts_.pop_back();
  filterParts_.pop_back();
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
  TRecordedSearch search{Filter(), Description()};
  history_.insert(history_.begin(), search);
  return search;
}

const std::string* TSearchBuilder::HistoryFilter(const std::string& text) const {
  for (const TRecordedSearch& search : history_)
    if (search.text == text) return &search.filter;
  return nullptr;
}

}  // namespace zestoria
