// Pieces shared by the catalogue and exchange tests: a private temporary
// folder, new catalogue database files, and drinks to put in them.
#pragma once

#include <string>
#include <vector>

#include "catalogue/Drink.h"
#include "catalogue/DrinkCatalogue.h"
#include "platform/Journal.h"
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

// The bytes the next save of |image| over |path| writes: the journal and
// the in-place ranges when it saves in place, else the whole image.
inline int64_t SaveBytes(tinydb::TMemoryStream& image, const std::string& path) {
  tinydb::TFileIdentity now;
  if (!image.HasSavedBase() || !tinydb::ReadFileIdentity(path, &now) || !(now == image.SavedFile()))
    return image.Size();
  int64_t journal = 32 + 4;
  int64_t in_place = image.Size() - image.SavedLength();
  for (const auto& [start, end] : image.ChangedRanges()) {
    journal += 16 + (end - start);
    in_place += end - start;
  }
  return journal + in_place;
}

}  // namespace zestoria::test
