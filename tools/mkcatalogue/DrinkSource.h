// The drinks source of the shipped catalogue: a UTF-8 JSON file
//   {"drinks": [{"name": ..., "comment": ..., "ingredients": [lines],
//                "directions": ..., "type": ..., "glass": ..., "season": ...,
//                "temp": ..., "read_only": true|false, "status": ...}]}
// read into drink records ready for the database.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

#include "catalogue/Drink.h"

namespace mkcatalogue {

// Anything in the source the catalogue cannot hold; the message names the
// drink (its number from 1 and its name) and what is wrong.
class ESourceError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The drinks of the JSON text |json_text|, in order. Texts become
// Windows-1252; ingredient lines are joined with "\r\n". The categories must
// be names of their vocabularies, exactly; name, status and comment must
// fit 25, 4 and 255 characters; unknown keys are refused. Ids are left 0.
std::vector<zestoria::TDrink> ParseDrinkSource(const std::string& json_text);

// Reads the file |path| and parses it; a file that cannot be read throws
// ESourceError.
std::vector<zestoria::TDrink> ReadDrinkSource(const std::string& path);

}  // namespace mkcatalogue
