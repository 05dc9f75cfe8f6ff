// A process that saves the catalogue over and over, for the tests that kill
// it in the middle of a save.
//
//   catalogue_save_loop <database file>
//
// Opens the catalogue and makes the changes of ApplySaveStep one after
// another, saving after each and printing "saved <n>" once the nth save has
// returned: small changes of a drink or two, and the import or deletion of
// the drinks ExtraDrink(0) to ExtraDrink(kExtraDrinks - 1) under the ids
// from kFirstExtraId on. It starts from the catalogue it finds and runs
// until it is killed.
#include <cstdio>
#include <exception>

#include "support/CatalogueSaveLoop.h"

int main(int argc, char** argv) {
  using namespace zestoria;
  if (argc != 2) {
    std::fprintf(stderr, "usage: catalogue_save_loop <database file>\n");
    return 2;
  }
  try {
    TDrinkCatalogue catalogue;
    catalogue.Open(argv[1]);
    for (long saves = 1;; ++saves) {
      test::ApplySaveStep(catalogue, saves);
      catalogue.SaveDatabase();
      std::printf("saved %ld\n", saves);
      std::fflush(stdout);
    }
  } catch (const std::exception& error) {
    std::fprintf(stderr, "catalogue_save_loop: %s\n", error.what());
    return 1;
  }
}
