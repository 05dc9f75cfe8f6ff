// The changes the save loop makes, shared by the loop and the tests that
// check what it left behind.
#pragma once

#include <string>

#include "catalogue/Drink.h"
#include "catalogue/DrinkCatalogue.h"

namespace zestoria::test {

constexpr int32_t kFirstExtraId = 1000;
constexpr int kExtraDrinks = 40;

// The |i|th drink that state B adds; long texts, so that the two states
// differ by many pages of the file.
inline TDrink ExtraDrink(int i) {
  TDrink drink;
  drink.name = "Extra " + std::to_string(i);
  drink.ingred = "2 oz Gin\r\n1 oz Lime " + std::to_string(i) + "\r\n" + std::string(300 + 7 * i, 'g');
  drink.directions = "Shake drink " + std::to_string(i) + " well. " + std::string(400, 'd');
  drink.type = i % 27;
  drink.season = i % 6;
  drink.glass = i % 15;
  drink.temp = i % 3;
  drink.status = "N";
  drink.comment = "Added by the save loop";
  return drink;
}

// True when the catalogue is in state B (it holds the first extra drink).
inline bool InStateB(TDrinkCatalogue& catalogue) { return catalogue.FindDrink(kFirstExtraId); }

// Moves the catalogue's image to the other state without saving: adds the
// extra drinks to state A, deletes them from state B.
inline void FlipCatalogueState(TDrinkCatalogue& catalogue) {
  if (InStateB(catalogue)) {
    for (int i = 0; i < kExtraDrinks; ++i) catalogue.DeleteDrink(kFirstExtraId + i, false);
  } else {
    catalogue.SetNextDrinkId(kFirstExtraId);
    for (int i = 0; i < kExtraDrinks; ++i) catalogue.InsertDrink(ExtraDrink(i), false);
  }
}

constexpr int32_t kSmallChangeId = 5000;

// The change the save loop makes before its |step|th save (steps count
// from 1): odd steps are small changes (a drink's comment rewritten, one
// drink added or taken away again), even steps flip the catalogue's state
// as an import of many drinks or their deletion. The change depends only
// on the step and the catalogue, so a test can replay it.
inline void ApplySaveStep(TDrinkCatalogue& catalogue, long step) {
  if (step % 2 == 0) {
    FlipCatalogueState(catalogue);
  } else if (step % 4 == 1) {
    TDrink drink = catalogue.LoadDrink(catalogue.ListDrinks("").front().id);
    drink.comment = "Changed at step " + std::to_string(step);
    catalogue.UpdateDrink(drink, false);
  } else if (catalogue.FindDrink(kSmallChangeId)) {
    catalogue.DeleteDrink(kSmallChangeId, false);
  } else {
    const int64_t next = catalogue.NextDrinkId();
    catalogue.SetNextDrinkId(kSmallChangeId);
    TDrink drink = ExtraDrink(static_cast<int>(step % 7));
    drink.name = "Small change";
    catalogue.InsertDrink(drink, false);
    catalogue.SetNextDrinkId(static_cast<int32_t>(next));
  }
}

// Every drink of the catalogue, field by field, in id order: two catalogues
// with the same digest hold the same drinks.
inline std::string CatalogueDigest(TDrinkCatalogue& catalogue) {
  std::string digest;
  for (const TListedDrink& listed : catalogue.ListDrinks("")) {
    const TDrink d = catalogue.LoadDrink(listed.id);
    digest += std::to_string(d.id) + '|' + d.name + '|' + d.ingred + '|' + d.directions + '|' +
              std::to_string(d.type) + '|' + std::to_string(d.season) + '|' + std::to_string(d.glass) +
              '|' + std::to_string(d.temp) + '|' + std::to_string(d.marked) + '|' + d.status + '|' +
              std::to_string(d.read_only) + '|' + d.comment + '\n';
  }
  return digest;
}

}  // namespace zestoria::test
