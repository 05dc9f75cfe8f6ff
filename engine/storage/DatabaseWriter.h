// Creating new, empty database images. The engine itself only reads the
// signature, settings block and directory; this writer lays out all three
// plus one table header per table, ready for the first record.
//
// Every text here (names, password) is in Windows-1252, the engine's
// character set.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/Streams.h"
#include "storage/Format.h"

namespace tinydb {

// One field of a new table.
struct TFieldDefinition {
  std::string Name;
  int Type = ftUnknown;  // a TFieldType code with a stored width
  int Size = 0;          // characters for ftString and ftFixedChar, else 0
  bool Raw = false;      // stored as is: never compressed or encrypted
};

// One index of a new table; its key fields are named, most significant first.
struct TIndexDefinition {
  std::string Name;
  std::vector<std::string> FieldNames;
  TTDIndexOptions Options = 0;  // tiPrimary | tiUnique | tiDescending | tiCaseInsensitive
};

struct TTableDefinition {
  std::string Name;
  std::vector<TFieldDefinition> Fields;
  std::vector<TIndexDefinition> Indexes;
};

// How the values of the new database are stored.
struct TDatabaseSettings {
  bool Compressed = false;
  std::string CompressAlgo = "ZLIB";  // the only compression module
  bool Encrypted = false;
  std::string EncryptAlgo;            // "Blowfish", "Twofish" or "Gost", any case
  int EncryptMode = 0;                // cipher mode 0..4
  // Required when Encrypted (an empty text is a valid password); ignored
  // otherwise.
  std::optional<std::string> Password;
  bool VerifyWrites = false;
};

// Longest ftString/ftFixedChar a new table may declare.
constexpr int kMaxStringFieldSize = 8192;

// Throws EDatabaseError naming the first thing in |settings| or |tables|
// the file's fixed arrays cannot hold or the engine cannot use.
void CheckDatabaseDefinition(const TDatabaseSettings& settings,
                             const std::vector<TTableDefinition>& tables);

// Throws EDatabaseError naming the first thing in |table| the table header
// cannot hold or the engine cannot use (as CheckDatabaseDefinition does
// for each table).
void CheckTableDefinition(const TTableDefinition& table);

// The header of a new, empty table: every count and position 0. |table|
// must have passed CheckTableDefinition.
TTableHeader BuildTableHeader(const TTableDefinition& table);

// The complete image of a new database: signature "TinyDB" version "2.0",
// settings block, directory, and the table headers right after the
// directory, every counter and position 0. Checks first (as
// CheckDatabaseDefinition).
std::vector<uint8_t> BuildDatabaseImage(const TDatabaseSettings& settings,
                                        const std::vector<TTableDefinition>& tables);

// Replaces the contents of |dest| with a new database image. Throws
// EDatabaseError, leaving |dest| untouched, when the definition is refused.
void CreateDatabase(TStream& dest, const TDatabaseSettings& settings,
                    const std::vector<TTableDefinition>& tables);

// Writes a new database file at |path|. Refuses with EDatabaseError
// "File '%s' already exists" when anything exists there, and with the
// definition's error before creating anything; a failed write removes the
// partial file and throws the stream's error.
void CreateDatabaseFile(const std::string& path, const TDatabaseSettings& settings,
                        const std::vector<TTableDefinition>& tables);

}  // namespace tinydb
