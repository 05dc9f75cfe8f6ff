// The drink record: one recipe as the program holds it in memory, and its
// reading from and writing to a record of the table "drinks". Every text is
// Windows-1252, the character set the database stores.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace tinydb {
class TTDEDataSet;
}

namespace zestoria {

// Longest texts a drink holds (characters; one byte each in Windows-1252).
constexpr size_t kDrinkNameLength = 25;
constexpr size_t kDrinkStatusLength = 4;
constexpr size_t kDrinkCommentLength = 255;

// Field names of the table "drinks".
namespace drink_fields {
constexpr const char* kId = "id";
constexpr const char* kName = "name";
constexpr const char* kIngred = "ingred";
constexpr const char* kDirections = "directions";
constexpr const char* kType = "type";
constexpr const char* kSeason = "season";
constexpr const char* kGlass = "glass";
constexpr const char* kTemp = "temp";
constexpr const char* kMarked = "marked";
constexpr const char* kComment = "comment";
constexpr const char* kStatus = "status";
constexpr const char* kReadOnly = "read_only";
}  // namespace drink_fields

// One recipe. Copied by value, texts included.
struct TDrink {
  int32_t id = 0;          // key in the table; -1 marks a filled drink clipboard
  std::string name;        // at most kDrinkNameLength characters
  std::string ingred;      // ingredients, lines separated by "\r\n"
  std::string directions;
  int32_t type = 0;        // codes of the vocabularies (Vocabularies.h)
  int32_t season = 0;
  int32_t glass = 0;
  int32_t temp = 0;
  int32_t marked = 0;      // 1 marked, 0 not
  std::string status;      // "N" added, "M" modified, else as supplied; at most 4
  int32_t read_only = 0;   // 0 false, any other value true
  std::string comment;     // at most kDrinkCommentLength characters

  bool operator==(const TDrink&) const = default;
};

// The current record of |table| (open on "drinks") as a drink: name cut to
// 25 characters, status to 4, comment to 255, read_only -1 for true and 0
// for false. Throws the engine's error when a field is missing.
TDrink ReadDrink(tinydb::TTDEDataSet& table);

// Writes every field of |drink| but id into the record |table| is editing
// or inserting; read_only becomes true when the drink's value is not 0.
// Texts longer than their string fields are cut by the fields.
void WriteDrink(tinydb::TTDEDataSet& table, const TDrink& drink);

}  // namespace zestoria
