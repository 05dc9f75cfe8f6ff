// Pieces shared by the catalogue and exchange tests: a private temporary
// folder, new catalogue database files, and drinks to put in them.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <string>
#include <vector>

#include "catalogue/Drink.h"
#include "catalogue/DrinkCatalogue.h"
#include "platform/Streams.h"
#include "storage/DatabaseWriter.h"

namespace zestoria::test {

// A folder of its own, removed with everything in it at the end.
class TTempFolder {
 public:
  TTempFolder() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "zestoria-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) ADD_FAILURE() << "mkdtemp failed";
    path_ = pattern;
  }
  ~TTempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TTempFolder(const TTempFolder&) = delete;
  TTempFolder& operator=(const TTempFolder&) = delete;

  std::string Path(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

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
