// Importing an exchange file into the catalogue, without any window: the
// file is read and checked whole, then every drink is added under the next
// drink ids and the image is saved once. The program's own import adds the
// questions and the list updates around these steps.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "exchange/ExchangeReader.h"

namespace zestoria {

class TDrinkCatalogue;

// What an import did.
struct TImportResult {
  std::string collectionName;  // from the file's header (Windows-1252)
  std::vector<int32_t> ids;    // the new drinks' ids, in file order
};

// Adds |drinks| to |catalogue| in order through InsertDrink (next drink
// ids, no save), calling |progress| (drinks added, all) after each. Returns
// the new ids. When an insert fails, the drinks added so far are deleted
// from the image again and the error propagates.
std::vector<int32_t> InsertDrinks(TDrinkCatalogue& catalogue, const std::vector<TDrink>& drinks,
                                  const std::function<void(size_t, size_t)>& progress = {});

// InsertDrinks, then saves the image once.
std::vector<int32_t> AddDrinks(TDrinkCatalogue& catalogue, const std::vector<TDrink>& drinks,
                               const std::function<void(size_t, size_t)>& progress = {});

// AddDrinks with every drink of |file|, in file order.
std::vector<int32_t> AddImportedDrinks(TDrinkCatalogue& catalogue, const TExchangeFile& file);

// Reads and checks |file_name| whole (ReadExchangeFile: EFOpenError,
// EExchangeVersionError, EExchangeDamagedError, with nothing added), then
// AddImportedDrinks.
TImportResult ImportDrinkFile(TDrinkCatalogue& catalogue, const std::string& file_name);

// The question asked before importing: "Import " followed by the collection
// name, cut so that the two together have at most 32 characters, then "?".
std::string ImportQuestion(const std::string& collection_name);

// The question asked after importing: "Added <added> drinks to the
// database." "\n\r" "Display newly add drinks?".
std::string ImportedQuestion(size_t added);

// The filter that lists the drinks with |ids|: "id=<a> or id=<b> ...";
// the empty text (every drink) for no ids.
std::string ImportedDrinksFilter(const std::vector<int32_t>& ids);

}  // namespace zestoria
