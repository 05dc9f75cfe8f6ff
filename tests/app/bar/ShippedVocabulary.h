// The vocabulary the build places beside the program, loaded once for the
// tests, with its recogniser; and small helpers to name ingredients.
#pragma once

#include <string>
#include <vector>

#include "bar/IngredientRecogniser.h"
#include "bar/IngredientVocabulary.h"

namespace zestoria::bar::testing {

inline const TIngredientVocabulary& ShippedVocabulary() {
  static const TIngredientVocabulary vocabulary = TIngredientVocabulary::LoadFile(ZESTORIA_INGREDIENTS);
  return vocabulary;
}

inline const TIngredientRecogniser& ShippedRecogniser() {
  static const TIngredientRecogniser recogniser(ShippedVocabulary());
  return recogniser;
}

// The id of the canonical |name|; throws when the vocabulary lacks it.
inline TIngredientId Id(const TIngredientVocabulary& vocabulary, const std::string& name) {
  for (size_t i = 0; i < vocabulary.size(); ++i)
    if (vocabulary[static_cast<TIngredientId>(i)].name == name) return static_cast<TIngredientId>(i);
  throw std::runtime_error("no ingredient named " + name);
}

inline std::vector<std::string> Names(const TIngredientVocabulary& vocabulary,
                                      const std::vector<TIngredientId>& ids) {
  std::vector<std::string> names;
  for (TIngredientId id : ids) names.push_back(vocabulary[id].name);
  return names;
}

}  // namespace zestoria::bar::testing
