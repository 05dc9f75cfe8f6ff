#include "DrinkSource.h"

#include <cstdio>
#include <fstream>
#include <functional>
#include <iterator>

#include <nlohmann/json.hpp>

#include "catalogue/Vocabularies.h"
#include "platform/Codepage.h"

namespace mkcatalogue {

namespace {

using nlohmann::json;
using zestoria::TDrink;

// Bytes of the UTF-8 sequence that starts with |lead|; 0 for a byte that
// cannot start one.
size_t SequenceLength(unsigned char lead) {
  if (lead < 0x80) return 1;
  if ((lead >> 5) == 0x6) return 2;
  if ((lead >> 4) == 0xE) return 3;
  if ((lead >> 3) == 0x1E) return 4;
  return 0;
}

// The first character of UTF-8 |text| that Windows-1252 cannot hold, as
// "U+XXXX", or "a byte that is not UTF-8".
std::string FirstUnmappable(const std::string& text) {
  std::string ignored;
  for (size_t i = 0; i < text.size();) {
    const unsigned char lead = static_cast<unsigned char>(text[i]);
    const size_t length = SequenceLength(lead);
    if (length == 0 || i + length > text.size()) break;
    if (!tinydb::Utf8ToCp1252(std::string_view(text).substr(i, length), &ignored)) {
      uint32_t code = length == 1 ? lead : lead & (0x7F >> length);
      for (size_t k = 1; k < length; ++k)
        code = code << 6 | (static_cast<unsigned char>(text[i + k]) & 0x3F);
      char buffer[16];
      std::snprintf(buffer, sizeof buffer, "U+%04X", static_cast<unsigned>(code));
      return buffer;
    }
    i += length;
  }
  return "a byte that is not UTF-8";
}

class TDrinkReader {
 public:
  TDrinkReader(const json& node, size_t number) : node_(node), number_(number) {}

  TDrink Read() {
    if (!node_.is_object()) Fail("is not a JSON object");
    if (node_.contains("name") && node_["name"].is_string()) label_ = node_["name"].get<std::string>();
    for (const auto& item : node_.items()) {
      static const char* const kKnown[] = {"name", "comment", "ingredients", "directions", "type",
                                           "glass", "season", "temp", "read_only", "status"};
      bool known = false;
      for (const char* key : kKnown) known = known || item.key() == key;
      if (!known) Fail("has an unknown key \"" + item.key() + "\"");
    }

    TDrink drink;
    drink.name = Text("name", true, zestoria::kDrinkNameLength);
    if (drink.name.empty()) Fail("has an empty name");
    drink.comment = Text("comment", false, zestoria::kDrinkCommentLength);
    drink.ingred = Ingredients();
    drink.directions = Text("directions", false, 0);
    drink.type = Category("type", zestoria::typeCode);
    drink.glass = Category("glass", zestoria::glassCode);
    drink.season = Category("season", zestoria::seasonCode);
    drink.temp = Category("temp", [](const std::string& name) {
      // tempCode serves every unknown text cold; the source must say so.
      for (int32_t code = 0; code < zestoria::kTempCount; ++code)
        if (zestoria::tempName(code) == name) return code;
      return -1;
    });
    drink.status = Text("status", false, zestoria::kDrinkStatusLength);
    if (node_.contains("read_only")) {
      if (!node_["read_only"].is_boolean()) Fail("has a \"read_only\" that is not true or false");
      drink.read_only = node_["read_only"].get<bool>() ? -1 : 0;
    }
    return drink;
  }

 private:
  [[noreturn]] void Fail(const std::string& what) const {
    std::string where = "drink " + std::to_string(number_);
    if (!label_.empty()) where += " \"" + label_ + "\"";
    throw ESourceError(where + " " + what);
  }

  // The Windows-1252 form of |utf8|, the value of |key|.
  std::string ToCp1252(const std::string& utf8, const std::string& key) const {
    std::string text;
    if (!tinydb::Utf8ToCp1252(utf8, &text))
      Fail("has " + FirstUnmappable(utf8) + " in its " + key +
           " that Windows-1252 cannot hold");
    return text;
  }

  // The text under |key| ("" when absent and not |required|), at most
  // |limit| characters (0: no limit).
  std::string Text(const char* key, bool required, size_t limit) const {
    if (!node_.contains(key)) {
      if (required) Fail(std::string("has no \"") + key + "\"");
      return std::string();
    }
    if (!node_[key].is_string()) Fail(std::string("has a \"") + key + "\" that is not a text");
    const std::string text = ToCp1252(node_[key].get<std::string>(), key);
    if (limit != 0 && text.size() > limit)
      Fail("has a " + std::string(key) + " of " + std::to_string(text.size()) +
           " characters, at most " + std::to_string(limit));
    return text;
  }

  std::string Ingredients() const {
    if (!node_.contains("ingredients")) return std::string();
    const json& lines = node_["ingredients"];
    if (!lines.is_array()) Fail("has \"ingredients\" that are not a list of lines");
    std::string joined;
    for (size_t i = 0; i < lines.size(); ++i) {
      if (!lines[i].is_string()) Fail("has an ingredient line that is not a text");
      if (i > 0) joined += "\r\n";
      joined += ToCp1252(lines[i].get<std::string>(), "ingredients");
    }
    return joined;
  }

  int32_t Category(const char* key, const std::function<int32_t(const std::string&)>& code_of) const {
    const std::string name = Text(key, true, 0);
    const int32_t code = code_of(name);
    if (code < 0) Fail("has the unknown " + std::string(key) + " \"" + name + "\"");
    return code;
  }

  const json& node_;
  size_t number_;
  std::string label_;
};

}  // namespace

std::vector<TDrink> ParseDrinkSource(const std::string& json_text) {
  const json root = json::parse(json_text, nullptr, false);
  if (root.is_discarded()) throw ESourceError("the source is not valid JSON");
  if (!root.is_object() || !root.contains("drinks") || !root["drinks"].is_array())
    throw ESourceError("the source must be an object with a list \"drinks\"");
  std::vector<TDrink> drinks;
  const json& list = root["drinks"];
  for (size_t i = 0; i < list.size(); ++i) drinks.push_back(TDrinkReader(list[i], i + 1).Read());
  return drinks;
}

std::vector<TDrink> ReadDrinkSource(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw ESourceError("cannot read the source file");
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  return ParseDrinkSource(text);
}

}  // namespace mkcatalogue
