// mkcatalogue SOURCE.json OUTPUT.tdb: builds the shipped catalogue database
// from the drinks source. The drinks get ids from 1 in the source's order
// and go through the catalogue's own insert; the database is written
// atomically, so a failed build leaves no partial file behind.
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "DrinkSource.h"
#include "catalogue/DrinkCatalogue.h"
#include "storage/DatabaseWriter.h"

namespace {

constexpr int32_t kFirstDrinkId = 1;

int Build(const std::string& source, const std::string& output) {
  std::vector<zestoria::TDrink> drinks;
  try {
    drinks = mkcatalogue::ReadDrinkSource(source);
  } catch (const mkcatalogue::ESourceError& e) {
    std::fprintf(stderr, "mkcatalogue: %s: %s\n", source.c_str(), e.what());
    return 1;
  }

  zestoria::TDrinkCatalogue catalogue;
  catalogue.OpenImage(tinydb::BuildDatabaseImage(zestoria::CatalogueSettings(),
                                                 {zestoria::DrinksTableDefinition()}),
                      output);
  catalogue.SetNextDrinkId(kFirstDrinkId);
  for (const zestoria::TDrink& drink : drinks) catalogue.InsertDrink(drink, false);
  catalogue.SaveDatabase();
  std::printf("%s: %zu drinks\n", output.c_str(), drinks.size());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: mkcatalogue SOURCE.json OUTPUT.tdb\n");
    return 2;
  }
  try {
    return Build(argv[1], argv[2]);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "mkcatalogue: %s\n", e.what());
    return 1;
  }
}
