// The one import of recipe files, for the window, the command line and the
// tools: the file is read and checked whole (any format: .zdr, JSON-LD or a
// web page, Bar Assistant JSON or zip, TheCocktailDB, IBA, CSV), mapped
// onto drinks, then inserted all or nothing, and a report says what
// happened.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "catalogue/Drink.h"
#include "exchange/RecipeFiles.h"

namespace zestoria {

class TDrinkCatalogue;

// A recipe file read, checked and mapped: the drinks are ready to insert.
struct TRecipeFile {
  TRecipeFormat format = TRecipeFormat::rfZdr;
  std::string collectionName;  // Windows-1252; a .zdr file's header name
  int32_t recordCount = 0;     // a .zdr header's count; else the records read
  std::vector<TDrink> drinks;  // in file order, ids as stored (a .zdr) or 0
  size_t withoutRecipe = 0;    // records that held no recipe
  size_t incomplete = 0;       // drinks cut off by the end of the file, left out
  size_t namesShortened = 0;
  size_t charactersReplaced = 0;
};

// Reads |bytes| (named |file_name| in messages; its extension is a hint)
// in |format|, or in the format recognised from the content. Throws
// EExchangeVersionError or EExchangeDamagedError for a .zdr file,
// ERecipeFileError for a damaged file of another format (the message names
// the file and the record, line or key), ENoRecipeError for a file of
// another format that holds no recipe. Messages are UTF-8.
TRecipeFile ReadRecipeBytes(const std::vector<uint8_t>& bytes, const std::string& file_name,
                            std::optional<TRecipeFormat> format = std::nullopt);
// The same for the file |file_name|; one that cannot be opened throws
// tinydb::EFOpenError.
TRecipeFile ReadRecipeFile(const std::string& file_name,
                           std::optional<TRecipeFormat> format = std::nullopt);

// What to do with drinks whose name the catalogue already has (compared
// ignoring case and blanks at either end) or an earlier drink of the same
// file has.
enum class TDuplicates {
  dAdd,   // add them as well (the command line at start, a second copy)
  dSkip,  // leave them out
  dAsk,   // ask |askDuplicates| once
};

struct TImportOptions {
  std::optional<TRecipeFormat> format;  // nullopt: recognised from the content
  TDuplicates duplicates = TDuplicates::dAdd;
  // Asked once, when duplicates is dAsk and the file has such drinks, with
  // their names (Windows-1252): true adds them, false skips them. Not set:
  // they are added. A .zdr file is never asked this.
  std::function<bool(const std::vector<std::string>& names)> askDuplicates;
  // A .zdr file's question before anything is added ("Import <name>?",
  // ImportQuestion); false ends the import with nothing added. Not set: no
  // question. Other formats are not asked.
  std::function<bool(const std::string& question)> confirmZdr;
  // Called while inserting: drinks inserted so far, drinks to insert.
  std::function<void(size_t done, size_t total)> progress;
  // Saves the image once the drinks are in. False leaves the save to the
  // caller (the window, which reports a failed save and keeps the drinks).
  bool save = true;
};

struct TImportReport {
  std::string fileName;
  TRecipeFormat format = TRecipeFormat::rfZdr;
  std::string collectionName;  // Windows-1252
  int32_t recordCount = 0;     // as TRecipeFile
  bool cancelled = false;      // the .zdr question was answered No
  std::vector<int32_t> ids;    // the new drinks' ids, in file order
  std::vector<std::string> names;  // their names (Windows-1252), in the same order
  size_t skipped = 0;          // duplicates left out
  size_t namesShortened = 0;
  size_t charactersReplaced = 0;
  size_t withoutRecipe = 0;
  size_t incomplete = 0;

  // The report as lines of UTF-8 text, "Added N drinks" first; the other
  // lines only for counts that are not 0.
  std::vector<std::string> Lines() const;
};

// Reads |file_name| whole (ReadRecipeFile; errors propagate with nothing
// added), asks the .zdr question or settles the duplicates, inserts every
// drink under the next drink ids (taking all of them back when one insert
// fails) and saves the image once (unless options.save is false).
TImportReport ImportRecipeFile(TDrinkCatalogue& catalogue, const std::string& file_name,
                               const TImportOptions& options = {});
// The same for bytes already read (|file_name| names them in messages).
TImportReport ImportRecipeBytes(TDrinkCatalogue& catalogue, const std::vector<uint8_t>& bytes,
                                const std::string& file_name, const TImportOptions& options = {});
// The same for a file already read.
TImportReport ImportRecipes(TDrinkCatalogue& catalogue, TRecipeFile file,
                            const std::string& file_name, const TImportOptions& options = {});

// The question after an import (Windows-1252): "Added <n> drinks to the
// database." "\n\r" then, when the report has more to say, its further
// lines each followed by "\n\r", then "Display newly add drinks?".
std::string ImportReportQuestion(const TImportReport& report);

}  // namespace zestoria
