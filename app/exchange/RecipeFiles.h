// The recipe file formats the program reads and writes, how a file's
// format is recognised from its content, the errors that refuse a file,
// and what every reader hands on.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json_fwd.hpp>

#include "exchange/ExchangeReader.h"
#include "exchange/RecipeMapping.h"

namespace zestoria {

enum class TRecipeFormat {
  rfZdr,           // the program's own exchange file
  rfJsonLd,        // schema.org Recipe JSON-LD, or an HTML page holding it
  rfBarAssistant,  // Bar Assistant cocktail JSON, or its zip export
  rfCocktailDb,    // TheCocktailDB JSON
  rfIba,           // the community IBA lists in JSON
  rfCsv,           // cocktail CSV with a header row
};

// The command-line names: "zdr", "jsonld", "bar-assistant", "cocktaildb",
// "iba", "csv".
std::string RecipeFormatName(TRecipeFormat format);
std::optional<TRecipeFormat> RecipeFormatNamed(std::string_view name);
// The names shown to the user ("schema.org JSON-LD", "Bar Assistant", ...).
std::string RecipeFormatTitle(TRecipeFormat format);
// The formats export writes: zdr, jsonld, bar-assistant, csv.
bool CanExport(TRecipeFormat format);
// The format an extension suggests (".zdr", ".jsonld", ".html", ".csv",
// ".zip"); nullopt for ".json" and the rest.
std::optional<TRecipeFormat> FormatFromExtension(const std::string& file_name);

// A recipe file that cannot be read: the message names the file and what
// is wrong and where (record, line or key). Nothing is imported.
class ERecipeFileError : public EExchangeError {
 public:
  using EExchangeError::EExchangeError;
};
// A file that holds no recipe (the message names the file and says what
// it holds instead).
class ENoRecipeError : public ERecipeFileError {
 public:
  using ERecipeFileError::ERecipeFileError;
};

// What a reader found in a file.
struct TRecipeBatch {
  std::vector<TRecipe> recipes;  // the records that hold a recipe, in file order
  size_t withoutRecipe = 0;      // records that held none (a name only, an empty object)
  size_t incomplete = 0;         // records cut short by the end of the file
  std::string collectionName;    // UTF-8, when the file names its collection
  // Why the file holds no recipe, when it holds none ("only names and ids").
  std::string emptyReason;
};

// Recognises the format of |bytes| from their content; |file_name|'s
// extension only decides between formats the content leaves open. Throws
// ERecipeFileError naming the file when the content fits no format.
// When |document| is given and the content had to be parsed as JSON to
// tell its format, the parsed document is left there (so it is parsed once).
TRecipeFormat RecogniseFormat(const std::vector<uint8_t>& bytes, const std::string& file_name,
                              nlohmann::json* document = nullptr);

// The JSON formats: which of them a parsed document is; nullopt when none.
std::optional<TRecipeFormat> RecogniseJson(const nlohmann::json& document);

// Parses |text| as JSON, or throws ERecipeFileError "<file>: ... at line L,
// column C". A byte-order mark at the start is skipped.
nlohmann::json ParseJsonText(std::string_view text, const std::string& file_name);

// The string value of |object|[key]: "" when missing or null; numbers are
// written as FormatAmount writes them; any other kind throws
// ERecipeFileError naming |place| and the key.
std::string StringAt(const nlohmann::json& object, const char* key, const std::string& place);
// The array at |object|[key]: empty when missing or null; any other kind
// but an array throws naming |place| and the key.
const nlohmann::json& ArrayAt(const nlohmann::json& object, const char* key,
                              const std::string& place);

// "record N" (counted from 1) in |file|.
std::string RecordPlace(const std::string& file, size_t index);

}  // namespace zestoria
