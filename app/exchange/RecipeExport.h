// Writing drinks to the recipe formats other programs read: schema.org
// JSON-LD, Bar Assistant JSON, CSV with this program's columns, and the
// program's own .zdr exchange file.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "catalogue/Drink.h"
#include "exchange/RecipeFiles.h"

namespace zestoria {

// The format an export to |file_name| uses: |format| when given (it must
// be one CanExport accepts), else the one its extension names (".zdr",
// ".jsonld", ".csv"; ".json" is Bar Assistant), else .zdr. Throws
// ERecipeFileError for a format that cannot be written.
TRecipeFormat ExportFormat(const std::string& file_name, std::optional<TRecipeFormat> format);

// The bytes of a file of |format| holding |drinks| (Windows-1252) in order;
// |collection_name| names a .zdr file's collection.
std::vector<uint8_t> BuildRecipeFile(TRecipeFormat format, const std::vector<TDrink>& drinks,
                                     const std::string& collection_name);

// Writes BuildRecipeFile's bytes over |file_name| atomically (temporary
// file, flush, rename); throws tinydb::EFOpenError or EWriteError and
// leaves an existing file whole.
void WriteRecipeFile(const std::string& file_name, TRecipeFormat format,
                     const std::vector<TDrink>& drinks, const std::string& collection_name);

}  // namespace zestoria
