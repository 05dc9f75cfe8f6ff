// Writing drink exchange files in the layout the reader expects: the
// header, one record per drink, then the drinks' ingredients and directions
// in text blocks after the last record.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "catalogue/Drink.h"

namespace zestoria {

// The bytes of an exchange file holding |drinks| in order under the
// collection name |collection_name| (cut to 27 characters). Names are cut
// to 25 characters, statuses to 4, comments to 255, ingredients and
// directions to 500 bytes; an empty text gets position 0 and no block.
// Every text is Windows-1252 and is written byte for byte.
std::vector<uint8_t> BuildExchangeFile(const std::string& collection_name,
                                       const std::vector<TDrink>& drinks);

// Writes BuildExchangeFile's bytes over |file_name| atomically (temporary
// file, flush, rename). Throws tinydb::EFOpenError or EWriteError and
// leaves an existing file whole.
void WriteExchangeFile(const std::string& file_name, const std::string& collection_name,
                       const std::vector<TDrink>& drinks);

}  // namespace zestoria
