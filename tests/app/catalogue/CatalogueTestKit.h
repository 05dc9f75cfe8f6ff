// Pieces shared by the catalogue and exchange tests: a private temporary
// folder, new catalogue database files, and drinks to put in them.
#pragma once

#include <string>
#include <vector>

#include "catalogue/Drink.h"
#include "catalogue/DrinkCatalogue.h"
#include "platform/Streams.h"
#include "storage/DatabaseWriter.h"
#include "support/TempDir.h"

namespace zestoria::test {

// Writes a new, empty catalogue database (the shipped schema and settings)
// at |path|.
inline void CreateCatalogueFile(const std::string& path) {
  tinydb::TMemoryStream stream(
      tinydb::BuildDatabaseImage(CatalogueSettings(), {DrinksTableDefinition()}));
  stream.SaveToFile(path);
}

// A drink with every field set; |tag| makes its texts its own.
inline TDrink SampleDrink(const std::string& name, int32_t type = 3, const std::string& tag = "") {
  TDrink drink;
  drink.name = name;
  drink.ingred = "1 oz " + name + tag + "\r\n2 oz Soda";
  drink.directions = "Stir " + name + tag + ".";
  drink.type = type;
  drink.season = 2;
  drink.glass = 7;
  drink.temp = 1;
  drink.marked = 0;
  drink.status = "N";
  drink.read_only = 0;
  drink.comment = "About " + name + tag;
  return drink;
}

// The whole file at |path|.
inline std::vector<uint8_t> FileBytes(const std::string& path) {
  tinydb::TMemoryStream stream;
  stream.LoadFromFile(path);
  return stream.Bytes();
}

}  // namespace zestoria::test
