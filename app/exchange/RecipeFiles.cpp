#include "exchange/RecipeFiles.h"

#include <filesystem>
#include <nlohmann/json.hpp>

#include "exchange/RecipeText.h"

namespace zestoria {

namespace {

using nlohmann::json;

struct TFormatNames {
  TRecipeFormat format;
  const char* name;
  const char* title;
};

const TFormatNames kFormats[] = {
    {TRecipeFormat::rfZdr, "zdr", "Zestoria drinks (.zdr)"},
    {TRecipeFormat::rfJsonLd, "jsonld", "schema.org Recipe JSON-LD"},
    {TRecipeFormat::rfBarAssistant, "bar-assistant", "Bar Assistant"},
    {TRecipeFormat::rfCocktailDb, "cocktaildb", "TheCocktailDB"},
    {TRecipeFormat::rfIba, "iba", "IBA cocktail list"},
    {TRecipeFormat::rfCsv, "csv", "CSV"},
};

bool Has(const json& object, const char* key) { return object.contains(key); }

// The first object of |value| (itself, or an array's first object).
const json* FirstObject(const json& value) {
  if (value.is_object()) return &value;
  if (value.is_array()) {
    for (const json& item : value)
      if (item.is_object()) return &item;
  }
  return nullptr;
}

// Line and column (from 1) of byte |offset| in |text|.
std::string LineAndColumn(std::string_view text, size_t offset) {
  size_t line = 1, column = 1;
  for (size_t i = 0; i < offset && i < text.size(); ++i) {
    if (text[i] == '\n') {
      ++line;
      column = 1;
    } else {
      ++column;
    }
  }
  return "line " + std::to_string(line) + ", column " + std::to_string(column);
}

std::string_view WithoutBom(std::string_view text) {
  if (text.size() >= 3 && text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  return text;
}

// Parses one JSON value at the start of |text| or throws naming |where|.
json ParseOne(std::string_view text, const std::string& where, size_t line_base) {
  try {
    return json::parse(text.begin(), text.end());
  } catch (const json::parse_error& error) {
    const size_t offset = error.byte > 0 ? error.byte - 1 : 0;
    std::string place = LineAndColumn(text, offset);
    if (line_base > 0) place = "line " + std::to_string(line_base);
    std::string what = error.what();
    const size_t colon = what.find(": ", what.find("parse error"));
    if (colon != std::string::npos) what = what.substr(colon + 2);
    throw ERecipeFileError(where + " is damaged: the JSON breaks off or is wrong at " + place +
                           " (" + what + ")");
  } catch (const json::exception& error) {
    // Well-formed but beyond what a value can hold (a number that overflows).
    std::string what = error.what();
    const size_t bracket = what.find("] ");
    if (bracket != std::string::npos) what = what.substr(bracket + 2);
    throw ERecipeFileError(where + " is damaged: " + what);
  }
}

}  // namespace

std::string RecipeFormatName(TRecipeFormat format) {
  for (const TFormatNames& f : kFormats)
    if (f.format == format) return f.name;
  return "";
}

std::optional<TRecipeFormat> RecipeFormatNamed(std::string_view name) {
  for (const TFormatNames& f : kFormats)
    if (name == f.name) return f.format;
  return std::nullopt;
}

std::string RecipeFormatTitle(TRecipeFormat format) {
  for (const TFormatNames& f : kFormats)
    if (f.format == format) return f.title;
  return "";
}

bool CanExport(TRecipeFormat format) {
  return format == TRecipeFormat::rfZdr || format == TRecipeFormat::rfJsonLd ||
         format == TRecipeFormat::rfBarAssistant || format == TRecipeFormat::rfCsv;
}

std::optional<TRecipeFormat> FormatFromExtension(const std::string& file_name) {
  const std::string ext = AsciiLower(std::filesystem::path(file_name).extension().string());
  if (ext == ".zdr") return TRecipeFormat::rfZdr;
  if (ext == ".jsonld" || ext == ".html" || ext == ".htm") return TRecipeFormat::rfJsonLd;
  if (ext == ".csv") return TRecipeFormat::rfCsv;
  if (ext == ".zip") return TRecipeFormat::rfBarAssistant;
  return std::nullopt;
}

std::string RecordPlace(const std::string& file, size_t index) {
  return file + ", record " + std::to_string(index + 1);
}

json ParseJsonText(std::string_view text, const std::string& file_name) {
  text = WithoutBom(text);
  try {
    return json::parse(text.begin(), text.end());
  } catch (const json::exception&) {
    // One object per line (JSON Lines)? Otherwise ParseOne names the fault.
  }
  size_t start = text.find_first_not_of(" \t\r\n");
  const bool lines = start != std::string_view::npos && text[start] == '{' &&
                     text.find('\n', start) != std::string_view::npos;
  if (!lines) return ParseOne(text, file_name, 0);
  // Only when the first line holds a whole object.
  const size_t first_end = text.find('\n', start);
  if (!json::accept(text.substr(start, first_end - start))) return ParseOne(text, file_name, 0);
  json items = json::array();
  size_t line_number = 1;
  for (size_t at = 0; at <= text.size(); ++line_number) {
    size_t end = text.find('\n', at);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view line = text.substr(at, end - at);
    if (line.find_first_not_of(" \t\r") != std::string_view::npos)
      items.push_back(ParseOne(line, file_name, line_number));
    at = end + 1;
  }
  return items;
}

std::optional<TRecipeFormat> RecogniseJson(const json& document) {
  const json* first = FirstObject(document);
  // Arrays of arrays: the first object inside.
  const json* inner = &document;
  for (int depth = 0; !first && depth < 8 && inner->is_array() && !inner->empty(); ++depth) {
    inner = &(*inner)[0];
    first = FirstObject(*inner);
  }
  if (!first) return std::nullopt;
  const json& o = *first;
  if (Has(o, "drinks") || Has(o, "strDrink") || Has(o, "idDrink") || Has(o, "idIngredient"))
    return TRecipeFormat::rfCocktailDb;
  if (Has(o, "ingredients") && o["ingredients"].is_array()) {
    const json* item = FirstObject(o["ingredients"]);
    if (item && Has(*item, "idIngredient")) return TRecipeFormat::rfCocktailDb;
  }
  if (Has(o, "@context") || Has(o, "@graph") || Has(o, "@type")) return TRecipeFormat::rfJsonLd;
  if (Has(o, "recipe") && Has(o, "ingredients")) return TRecipeFormat::rfBarAssistant;
  if (Has(o, "cocktails")) {
    const json* item = FirstObject(o["cocktails"]);
    if (Has(o, "metadata") || (item && Has(*item, "title"))) return TRecipeFormat::rfIba;
    return TRecipeFormat::rfBarAssistant;
  }
  if (Has(o, "instructions") || Has(o, "_id")) return TRecipeFormat::rfBarAssistant;
  if (Has(o, "preparation") || Has(o, "standard_drinkware") || Has(o, "served") ||
      Has(o, "method") || Has(o, "title"))
    return TRecipeFormat::rfIba;
  if (Has(o, "ingredients") && o["ingredients"].is_array()) {
    const json* item = FirstObject(o["ingredients"]);
    if (item && (Has(*item, "special") || Has(*item, "direction") || Has(*item, "label")))
      return TRecipeFormat::rfIba;
    if (item && (Has(*item, "units") || Has(*item, "_id"))) return TRecipeFormat::rfBarAssistant;
  }
  if (Has(o, "recipeIngredient") || Has(o, "recipeInstructions")) return TRecipeFormat::rfJsonLd;
  return std::nullopt;
}

TRecipeFormat RecogniseFormat(const std::vector<uint8_t>& bytes, const std::string& file_name,
                              json* document) {
  const std::string_view all(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  if (all.size() >= 4 && (all.substr(0, 4) == std::string_view("PK\x03\x04", 4) ||
                          all.substr(0, 4) == std::string_view("PK\x05\x06", 4)))
    return TRecipeFormat::rfBarAssistant;
  const std::optional<TRecipeFormat> hint = FormatFromExtension(file_name);
  // The exchange file is binary: its header's filler bytes are zero.
  const std::string_view head = all.substr(0, 40);
  if (!all.empty() && all[0] == '1' && head.find('\0') != std::string_view::npos)
    return TRecipeFormat::rfZdr;
  const std::string_view text = WithoutBom(all);
  const size_t start = text.find_first_not_of(" \t\r\n");
  if (start == std::string_view::npos) {
    if (hint) return *hint;
    throw ENoRecipeError(file_name + " is empty: it holds no recipe");
  }
  const char c = text[start];
  if (c == '<') return TRecipeFormat::rfJsonLd;
  if (c == '{' || c == '[') {
    if (hint == TRecipeFormat::rfJsonLd) return *hint;
    json parsed = ParseJsonText(text, file_name);
    const std::optional<TRecipeFormat> found = RecogniseJson(parsed);
    if (document) *document = std::move(parsed);
    if (found) return *found;
    throw ENoRecipeError(file_name + " holds JSON of no recipe format this program reads: no recipe");
  }
  if (hint == TRecipeFormat::rfZdr) return *hint;
  if (head.find('\0') != std::string_view::npos) {
    throw ERecipeFileError(file_name + " is not a recipe file this program reads");
  }
  const size_t line_end = text.find('\n', start);
  const std::string_view first_line = text.substr(start, line_end - start);
  if (first_line.find(',') != std::string_view::npos) return TRecipeFormat::rfCsv;
  if (hint) return *hint;
  throw ERecipeFileError(file_name + " is not a recipe file this program reads");
}

std::string StringAt(const json& object, const char* key, const std::string& place) {
  if (!object.is_object()) return "";
  const auto it = object.find(key);
  if (it == object.end() || it->is_null()) return "";
  if (it->is_string()) return it->get<std::string>();
  if (it->is_number()) return FormatAmount(it->get<double>());
  if (it->is_boolean()) return it->get<bool>() ? "true" : "false";
  throw ERecipeFileError(place + ": the key \"" + key + "\" holds " + it->type_name() +
                         ", not a text");
}

const json& ArrayAt(const json& object, const char* key, const std::string& place) {
  static const json empty = json::array();
  if (!object.is_object()) return empty;
  const auto it = object.find(key);
  if (it == object.end() || it->is_null()) return empty;
  if (!it->is_array())
    throw ERecipeFileError(place + ": the key \"" + key + "\" holds " + it->type_name() +
                           ", not a list");
  return *it;
}

}  // namespace zestoria
