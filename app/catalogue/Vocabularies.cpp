#include "catalogue/Vocabularies.h"

#include <array>

namespace zestoria {

namespace {

const std::array<const char*, kTypeCount> kTypeNames = {
    "Beer",     "Frozen",      "Cobbler", "Cocktail",      "Coffee",  "Collins", "Cooler",
    "Crusta",   "Daisy",       "Fix",     "Flip",          "Fizz",    "Highball",
    "Non-Alcoholic", "Martini", "Mixed",  "Pousse Cafe",   "Punch",   "Rickey",  "Sangaree",
    "Shooter",  "Sling",       "Smash",   "Sour",          "Toddy",   "Wine",    "Other"};

const std::array<const char*, kGlassCount> kGlassNames = {
    "Beer Mug", "Brandy Snifter", "Champagne",   "Cocktail",   "Coffee Cup",
    "Collins",  "Cordial",        "Highball",    "Old Fashioned", "Pousse Cafe",
    "Punch Bowl", "Shot",         "Sour",        "Wine",       "Other"};

const std::array<const char*, kSeasonCount> kSeasonNames = {"All",  "Spring", "Summer",
                                                            "Fall", "Winter", "Holiday"};

const std::array<const char*, kTempCount> kTempNames = {"Cold", "Room", "Hot"};

template <size_t N>
std::string NameOf(const std::array<const char*, N>& names, int32_t code) {
  if (code < 0 || static_cast<size_t>(code) >= N) return std::string();
  return names[static_cast<size_t>(code)];
}

// The first code whose name equals |name|, or -1.
template <size_t N>
int32_t CodeOf(const std::array<const char*, N>& names, const std::string& name) {
  for (size_t code = 0; code < N; ++code)
    if (name == names[code]) return static_cast<int32_t>(code);
  return -1;
}

template <size_t N>
std::vector<std::string> InCodeOrder(const std::array<const char*, N>& names) {
  return std::vector<std::string>(names.begin(), names.end());
}

}  // namespace

std::string typeName(int32_t code) { return NameOf(kTypeNames, code); }
int32_t typeCode(const std::string& name) { return CodeOf(kTypeNames, name); }

std::string glassName(int32_t code) { return NameOf(kGlassNames, code); }
int32_t glassCode(const std::string& name) { return CodeOf(kGlassNames, name); }

std::string seasonName(int32_t code) { return NameOf(kSeasonNames, code); }
int32_t seasonCode(const std::string& name) { return CodeOf(kSeasonNames, name); }

std::string tempName(int32_t code) { return NameOf(kTempNames, code); }
int32_t tempCode(const std::string& name) {
  const int32_t code = CodeOf(kTempNames, name);
  return code < 0 ? 0 : code;  // anything unknown is served cold
}

const std::vector<std::string>& TypeChooserItems() {
  static const std::vector<std::string> items = {
      "Beer",   "Cobbler",       "Cocktail", "Coffee", "Collins",     "Cooler", "Crusta",
      "Daisy",  "Fix",           "Flip",     "Fizz",   "Frozen",      "Highball",
      "Non-Alcoholic", "Martini", "Mixed",   "Pousse Cafe", "Punch",  "Rickey", "Sangaree",
      "Shooter", "Sling",        "Smash",    "Sour",   "Toddy",       "Wine",   "Other"};
  return items;
}

const std::vector<std::string>& GlassChooserItems() {
  static const std::vector<std::string> items = InCodeOrder(kGlassNames);
  return items;
}

const std::vector<std::string>& SeasonChooserItems() {
  static const std::vector<std::string> items = InCodeOrder(kSeasonNames);
  return items;
}

const std::vector<std::string>& TempChooserItems() {
  static const std::vector<std::string> items = InCodeOrder(kTempNames);
  return items;
}

}  // namespace zestoria
