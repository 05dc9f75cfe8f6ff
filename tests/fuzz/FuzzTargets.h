// The entry points the fuzzers drive. Each takes any bytes and returns
// normally when the code under test either works or refuses the input with
// one of its own errors; anything else (a crash, a sanitizer report, a
// foreign exception, a hang, unbounded memory) is a fault. The fuzz
// drivers and the regression test run the same functions.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zestoria::fuzz {

// Each returns how many values it read, so a caller can tell an input
// that was refused at once from one that was worked through.

// Opens |data| as a memory-medium database image, once with the catalogue
// password and once with none, and reads every field of every record of
// every table in every index order (blobs included), with a key search on
// each index, and filters each table by the calendar functions of its
// date and time fields.
size_t RunDatabaseImage(const uint8_t* data, size_t size);

// Reads |data| as an exchange file; what it accepts is written out again
// and must read back the same.
size_t RunExchangeFile(const uint8_t* data, size_t size);

// Byte 0 chooses the filter options, the rest is a filter text: it is
// compiled against a small table holding every kind of field and walked
// with Filtered on and by the match seeks in both directions.
size_t RunFilterText(const uint8_t* data, size_t size);

// Reads |data| as a recipe file of whatever format its content shows
// (JSON-LD, web page, Bar Assistant JSON or zip, TheCocktailDB, IBA, CSV,
// .zdr), maps it onto drinks and writes them in every export format; what
// this program wrote must read back without a damage error.
size_t RunRecipeFile(const uint8_t* data, size_t size);

}  // namespace zestoria::fuzz
