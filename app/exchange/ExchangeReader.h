// Reading drink exchange files. The whole file is read and checked before
// anything is handed on, so a damaged file is refused as a whole.
#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "catalogue/Drink.h"

namespace zestoria {

// Base of the errors that refuse an exchange file.
class EExchangeError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The file is not of a version this program reads. The message is the one
// the user sees: "Error(<byte 0>): Can not import drinks." "\n\r" "This ZDR
// file is not compatable with this version of Zestoria".
class EExchangeVersionError : public EExchangeError {
 public:
  explicit EExchangeVersionError(char version);
  char Version() const { return version_; }

 private:
  char version_;
};

// The file is damaged; the message names the header or the record (counted
// from 1) and what is wrong with it.
class EExchangeDamagedError : public EExchangeError {
 public:
  using EExchangeError::EExchangeError;
};

// What an exchange file holds.
struct TExchangeFile {
  std::string collectionName;  // Windows-1252, at most 27 characters
  int32_t recordCount = 0;     // as the header states it
  // The complete records present, in file order: at most recordCount of
  // them. Ids are as stored; the importer gives new ones.
  std::vector<TDrink> drinks;
  // Records present whose texts lie wholly or partly beyond the end of the
  // file (it was cut short): they are not among |drinks|.
  size_t incomplete = 0;
};

// Reads exchange file bytes. Version first (EExchangeVersionError), then
// the header (a file shorter than 40 bytes, a negative record count or a
// collection name longer than 27 characters: EExchangeDamagedError), then
// records 0 to recordCount - 1 as far as complete 328-byte records are
// present. A record whose name is longer than 25 characters or whose
// status is longer than 4 makes the file damaged. A text whose position is
// 0, lies before the end of the records, or whose length is above 500,
// reads as the empty text. A record with a text whose block (length and
// bytes) reaches beyond the end of the file is left out and counted in
// |incomplete|: a drink never arrives without texts it had.
TExchangeFile ParseExchangeFile(const std::vector<uint8_t>& bytes);

// Reads the file |file_name| as ParseExchangeFile does; a file that cannot
// be opened throws tinydb::EFOpenError.
TExchangeFile ReadExchangeFile(const std::string& file_name);

}  // namespace zestoria
