#include "BarIndex.h"

#include <algorithm>
#include <map>

#include "catalogue/Drink.h"

namespace zestoria::bar {

namespace {

bool Contains(const std::vector<TIngredientId>& ids, TIngredientId id) {
  return std::find(ids.begin(), ids.end(), id) != ids.end();
}

// True when every ingredient of |small| is in |large|.
bool IsSubset(const TRequirement& small, const TRequirement& large) {
  return std::all_of(small.begin(), small.end(), [&](TIngredientId id) { return Contains(large, id); });
}

}  // namespace

const TLineReading& TLineReadings::Read(const TIngredientRecogniser& recogniser, const std::string& line) {
  if (const auto at = readings_.find(line); at != readings_.end()) return at->second;
  if (readings_.size() >= kMaxLines) readings_.clear();
  return readings_.emplace(line, recogniser.ReadLine(line)).first->second;
}

TDrinkNeeds ReadDrinkNeeds(const TIngredientRecogniser& recogniser, const std::vector<std::string>& lines,
                           TLineReadings* readings) {
  const TIngredientVocabulary& vocabulary = recogniser.Vocabulary();
  TDrinkNeeds needs;
  auto not_needed = [&](TIngredientId id) {
    if (!Contains(needs.not_needed, id)) needs.not_needed.push_back(id);
  };
  std::vector<TRequirement> required;
  for (const std::string& line : lines) {
    TLineReading fresh;
    if (!readings) fresh = recogniser.ReadLine(line);
    const TLineReading& reading = readings ? readings->Read(recogniser, line) : fresh;
    if (!reading.Recognised()) {
      needs.unrecognised.push_back(line);
      continue;
    }
    const bool any_never_needed = std::any_of(reading.ingredients.begin(), reading.ingredients.end(),
                                              [&](TIngredientId id) { return vocabulary.NeverNeeded(id); });
    if (reading.optional || (reading.alternatives && any_never_needed)) {
      for (TIngredientId id : reading.ingredients) not_needed(id);
    } else if (reading.alternatives) {
      TRequirement any_of = reading.ingredients;
      std::sort(any_of.begin(), any_of.end());
      required.push_back(std::move(any_of));
    } else {
      for (TIngredientId id : reading.ingredients) {
        if (vocabulary.NeverNeeded(id))
          not_needed(id);
        else
          required.push_back({id});
      }
    }
  }
  // A requirement that holds all of another's ingredients is met whenever
  // that one is: keep the narrower, and each once.
  for (size_t i = 0; i < required.size(); ++i) {
    bool redundant = false;
    for (size_t j = 0; j < required.size() && !redundant; ++j) {
      if (i == j || !IsSubset(required[j], required[i])) continue;
      // Equal requirements: the first stays.
      redundant = required[j].size() < required[i].size() || j < i;
    }
    if (!redundant) needs.required.push_back(required[i]);
  }
  return needs;
}

TShelf TShelf::WithStaples(const TIngredientVocabulary& vocabulary) {
  TShelf shelf(vocabulary);
  for (TIngredientId id : vocabulary.Staples()) shelf.Add(id);
  return shelf;
}

void TShelf::Add(TIngredientId id) {
  if (id < on_.size()) on_[id] = true;
}

void TShelf::Remove(TIngredientId id) {
  if (id < on_.size()) on_[id] = false;
}

std::vector<TIngredientId> TShelf::Items() const {
  std::vector<TIngredientId> items;
  for (size_t i = 0; i < on_.size(); ++i)
    if (on_[i]) items.push_back(static_cast<TIngredientId>(i));
  return items;
}

TBarIndex::TBarIndex(const TIngredientRecogniser& recogniser)
    : recogniser_(recogniser), vocabulary_(recogniser.Vocabulary()), naming_(vocabulary_.size()) {}

void TBarIndex::PutDrink(int32_t id, const std::vector<std::string>& lines) {
  size_t slot;
  if (const auto at = slot_of_.find(id); at != slot_of_.end()) {
    slot = at->second;
    Unlink(slot);
  } else if (!free_slots_.empty()) {
    slot = free_slots_.back();
    free_slots_.pop_back();
  } else {
    slot = slots_.size();
    slots_.emplace_back();
    needs_.emplace_back();
  }
  TSlot& entry = slots_[slot];
  entry.id = id;
  entry.live = true;
  TDrinkNeeds& needs = needs_[slot];
  needs = ReadDrinkNeeds(recogniser_, lines, &readings_);
  entry.packed.clear();
  std::vector<TIngredientId> named = needs.not_needed;
  for (const TRequirement& requirement : needs.required) {
    entry.packed.push_back(static_cast<TIngredientId>(requirement.size()));
    entry.packed.insert(entry.packed.end(), requirement.begin(), requirement.end());
    for (TIngredientId ingredient : requirement)
      if (!Contains(named, ingredient)) named.push_back(ingredient);
  }
  for (TIngredientId ingredient : named) naming_[ingredient].push_back(slot);
  slot_of_[id] = slot;
}

void TBarIndex::PutDrink(const TDrink& drink) { PutDrink(drink.id, IngredientLines(drink.ingred)); }

void TBarIndex::Unlink(size_t slot) {
  const TDrinkNeeds& needs = needs_[slot];
  std::vector<TIngredientId> named = needs.not_needed;
  for (const TRequirement& requirement : needs.required)
    named.insert(named.end(), requirement.begin(), requirement.end());
  std::sort(named.begin(), named.end());
  named.erase(std::unique(named.begin(), named.end()), named.end());
  for (TIngredientId ingredient : named) {
    auto& slots = naming_[ingredient];
    const auto at = std::find(slots.begin(), slots.end(), slot);
    if (at != slots.end()) {
      *at = slots.back();
      slots.pop_back();
    }
  }
}

void TBarIndex::RemoveDrink(int32_t id) {
  const auto at = slot_of_.find(id);
  if (at == slot_of_.end()) return;
  const size_t slot = at->second;
  Unlink(slot);
  slots_[slot] = TSlot();
  needs_[slot] = TDrinkNeeds();
  free_slots_.push_back(slot);
  slot_of_.erase(at);
}

void TBarIndex::Clear() {
  readings_.Clear();
  slots_.clear();
  needs_.clear();
  free_slots_.clear();
  slot_of_.clear();
  naming_.assign(vocabulary_.size(), {});
}

const TDrinkNeeds* TBarIndex::Needs(int32_t id) const {
  const auto at = slot_of_.find(id);
  return at == slot_of_.end() ? nullptr : &needs_[at->second];
}

std::vector<uint8_t> TBarIndex::Covered(const TShelf& shelf) const {
  std::vector<uint8_t> covered(vocabulary_.size(), 0);
  for (TIngredientId id : shelf.Items()) {
    for (TIngredientId at = id; at != kNoIngredient && at < covered.size() && !covered[at];
         at = vocabulary_[at].parent)
      covered[at] = 1;
  }
  return covered;
}

void TBarIndex::Unmet(const TSlot& slot, const std::vector<uint8_t>& covered, size_t limit,
                      std::vector<size_t>& unmet) const {
  unmet.clear();
  const std::vector<TIngredientId>& packed = slot.packed;
  for (size_t at = 0; at < packed.size(); at += packed[at] + 1u) {
    bool met = false;
    for (size_t i = at + 1; i <= at + packed[at]; ++i) met = met || covered[packed[i]];
    if (!met) {
      unmet.push_back(at);
      if (unmet.size() >= limit) return;
    }
  }
}

std::vector<int32_t> TBarIndex::Makeable(const TShelf& shelf) const {
  const std::vector<uint8_t> covered = Covered(shelf);
  std::vector<int32_t> drinks;
  std::vector<size_t> unmet;
  for (const TSlot& slot : slots_) {
    if (!slot.live) continue;
    Unmet(slot, covered, 1, unmet);
    if (unmet.empty()) drinks.push_back(slot.id);
  }
  std::sort(drinks.begin(), drinks.end());
  return drinks;
}

std::vector<TOneAway> TBarIndex::OneAway(const TShelf& shelf) const {
  const std::vector<uint8_t> covered = Covered(shelf);
  std::vector<TOneAway> drinks;
  std::vector<size_t> unmet;
  for (const TSlot& slot : slots_) {
    if (!slot.live) continue;
    Unmet(slot, covered, 2, unmet);
    if (unmet.size() != 1) continue;
    const size_t at = unmet.front();
    drinks.push_back({slot.id, TRequirement(slot.packed.begin() + static_cast<ptrdiff_t>(at) + 1,
                                            slot.packed.begin() + static_cast<ptrdiff_t>(at) + 1 +
                                                slot.packed[at])});
  }
  std::sort(drinks.begin(), drinks.end(), [](const TOneAway& a, const TOneAway& b) { return a.drink < b.drink; });
  return drinks;
}

std::vector<TNextBottle> TBarIndex::NextBottles(const TShelf& shelf) const {
  const std::vector<uint8_t> covered = Covered(shelf);
  std::vector<int> opens(vocabulary_.size(), 0);
  std::vector<uint32_t> seen(vocabulary_.size(), 0);
  uint32_t stamp = 0;
  std::vector<size_t> unmet;
  for (const TSlot& slot : slots_) {
    if (!slot.live) continue;
    Unmet(slot, covered, slot.packed.size(), unmet);
    if (unmet.empty()) continue;
    ++stamp;
    const std::vector<TIngredientId>& packed = slot.packed;
    // A bottle that alone makes the drink makeable meets the first unmet
    // requirement, so it is one of its ingredients or below one of them.
    const size_t first = unmet.front();
    // Only an ingredient of one family can meet them all: every unmet
    // requirement must hold one of the same root as the first.
    bool one_family = true;
    for (size_t u = 1; u < unmet.size() && one_family; ++u) {
      one_family = false;
      for (size_t i = unmet[u] + 1; i <= unmet[u] + packed[unmet[u]] && !one_family; ++i)
        for (size_t m = first + 1; m <= first + packed[first] && !one_family; ++m)
          one_family = vocabulary_.Root(packed[i]) == vocabulary_.Root(packed[m]);
    }
    if (!one_family) continue;
    for (size_t m = first + 1; m <= first + packed[first]; ++m) {
      for (TIngredientId candidate : vocabulary_.SelfAndDescendants(packed[m])) {
        if (seen[candidate] == stamp) continue;
        seen[candidate] = stamp;
        if (shelf.Has(candidate) || vocabulary_.NeverNeeded(candidate)) continue;
        bool meets_all = true;
        for (size_t u = 1; u < unmet.size() && meets_all; ++u) {
          const size_t at = unmet[u];
          bool met = false;
          for (size_t i = at + 1; i <= at + packed[at] && !met; ++i)
            met = vocabulary_.IsKindOf(candidate, packed[i]);
          meets_all = met;
        }
        if (meets_all) ++opens[candidate];
      }
    }
  }
  std::vector<TNextBottle> bottles;
  for (size_t i = 0; i < opens.size(); ++i)
    if (opens[i] > 0) bottles.push_back({static_cast<TIngredientId>(i), opens[i]});
  std::stable_sort(bottles.begin(), bottles.end(),
                   [](const TNextBottle& a, const TNextBottle& b) { return a.opens > b.opens; });
  return bottles;
}

std::vector<TShoppingItem> TBarIndex::ShoppingList(const std::vector<int32_t>& drinks,
                                                   const TShelf& shelf) const {
  const std::vector<uint8_t> covered = Covered(shelf);
  std::vector<TShoppingItem> items;
  std::map<TRequirement, size_t> item_of;
  std::vector<size_t> unmet;
  for (int32_t id : drinks) {
    const auto at = slot_of_.find(id);
    if (at == slot_of_.end()) continue;
    const TSlot& slot = slots_[at->second];
    Unmet(slot, covered, slot.packed.size(), unmet);
    for (size_t offset : unmet) {
      TRequirement requirement(slot.packed.begin() + static_cast<ptrdiff_t>(offset) + 1,
                               slot.packed.begin() + static_cast<ptrdiff_t>(offset) + 1 + slot.packed[offset]);
      const auto [item, added] = item_of.emplace(requirement, items.size());
      if (added) items.push_back({std::move(requirement), {}});
      std::vector<int32_t>& listed = items[item->second].drinks;
      if (listed.empty() || listed.back() != id) listed.push_back(id);
    }
  }
  return items;
}

std::vector<int32_t> TBarIndex::DrinksNaming(TIngredientId id) const {
  std::vector<int32_t> drinks;
  if (id >= vocabulary_.size()) return drinks;
  for (TIngredientId kind : vocabulary_.SelfAndDescendants(id))
    for (size_t slot : naming_[kind]) drinks.push_back(slots_[slot].id);
  std::sort(drinks.begin(), drinks.end());
  drinks.erase(std::unique(drinks.begin(), drinks.end()), drinks.end());
  return drinks;
}

std::vector<std::pair<int32_t, std::string>> TBarIndex::UnrecognisedLines() const {
  std::vector<std::pair<int32_t, std::string>> lines;
  for (size_t slot = 0; slot < slots_.size(); ++slot) {
    if (!slots_[slot].live) continue;
    for (const std::string& line : needs_[slot].unrecognised) lines.emplace_back(slots_[slot].id, line);
  }
  std::stable_sort(lines.begin(), lines.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  return lines;
}

std::string NextBottleText(const TIngredientVocabulary& vocabulary, const TNextBottle& bottle) {
  return vocabulary[bottle.ingredient].name + ": +" + std::to_string(bottle.opens);
}

std::string RequirementText(const TIngredientVocabulary& vocabulary, const TRequirement& requirement) {
  std::string text;
  for (size_t i = 0; i < requirement.size(); ++i) {
    if (i > 0) text += i + 1 == requirement.size() ? " or " : ", ";
    text += vocabulary[requirement[i]].name;
  }
  return text;
}

}  // namespace zestoria::bar
