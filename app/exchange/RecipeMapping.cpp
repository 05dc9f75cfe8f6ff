#include "exchange/RecipeMapping.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "catalogue/Vocabularies.h"
#include "exchange/RecipeText.h"

namespace zestoria {

namespace {

// Glass spellings, compared after GlassKey. Whole names first, then the
// words a longer name or a text holds; the first match wins, so the more
// particular words stand before the general ones.
struct TGlassWord {
  const char* words;
  const char* glass;
  bool inText;  // also found inside directions ("... into a highball glass")
};

const TGlassWord kGlassWords[] = {
    // Names that would otherwise meet a more general word.
    {"whiskey sour glass", "Sour", true},
    {"whiskey sour", "Sour", false},
    {"sour glass", "Sour", true},
    {"irish coffee cup", "Coffee Cup", true},
    {"irish coffee glass", "Coffee Cup", true},
    {"irish coffee mug", "Coffee Cup", true},
    {"coffee mug", "Coffee Cup", true},
    {"coffee cup", "Coffee Cup", true},
    {"copper mug", "Other", true},
    {"beer mug", "Beer Mug", true},
    {"beer glass", "Beer Mug", true},
    {"beer pilsner", "Beer Mug", true},
    {"pilsner", "Beer Mug", true},
    {"pint glass", "Beer Mug", true},
    {"stein", "Beer Mug", false},
    {"punch bowl", "Punch Bowl", true},
    {"punch cup", "Punch Bowl", true},
    {"pousse cafe", "Pousse Cafe", true},
    {"brandy snifter", "Brandy Snifter", true},
    {"snifter", "Brandy Snifter", true},
    {"balloon glass", "Wine", true},
    {"cordial", "Cordial", true},
    {"pony glass", "Cordial", true},
    {"sherry glass", "Cordial", true},
    {"silver cup or highball", "Highball", false},
    {"highball", "Highball", true},
    {"collins", "Collins", true},
    {"fizzio", "Collins", true},
    {"zombie glass", "Collins", true},
    {"old fashioned", "Old Fashioned", true},
    {"oldfashioned", "Old Fashioned", true},
    {"lowball", "Old Fashioned", true},
    {"rocks glass", "Old Fashioned", true},
    {"whiskey glass", "Old Fashioned", true},
    {"whisky glass", "Old Fashioned", true},
    {"tumbler", "Old Fashioned", true},
    {"champagne", "Champagne", true},
    {"flute", "Champagne", true},
    {"champagne tulip", "Champagne", true},
    {"wine", "Wine", true},
    {"shot glass", "Shot", true},
    {"shot", "Shot", false},
    {"shooter glass", "Shot", true},
    {"nick and nora", "Cocktail", true},
    {"nick & nora", "Cocktail", true},
    {"martini glass", "Cocktail", true},
    {"martini", "Cocktail", false},
    {"coupe", "Cocktail", true},
    {"coupette", "Cocktail", true},
    {"margarita glass", "Cocktail", true},
    {"margarita", "Cocktail", false},
    {"cocktail glass", "Cocktail", true},
    {"cocktail", "Cocktail", false},
    {"stem glass", "Cocktail", true},
    {"hurricane", "Other", true},
    {"poco grande", "Other", true},
    {"tiki", "Other", true},
    {"julep", "Other", false},
    {"julep cup", "Other", true},
    {"absinthe glass", "Other", true},
    {"pitcher", "Other", false},
    {"mason jar", "Other", true},
    {"jar", "Other", false},
    {"parfait glass", "Other", true},
    {"beverage glass", "Other", false},
    {"mug", "Coffee Cup", true},
    {"hot drink", "Coffee Cup", false},
    {"sour", "Sour", false},
    {"punch", "Punch Bowl", false},
};

// Lower case, '-' and '_' as blanks, blanks collapsed and trimmed.
std::string GlassKey(std::string_view name) {
  std::string key;
  for (char c : AsciiLower(name)) {
    if (c == '-' || c == '_' || c == '\t' || c == '\n' || c == '\r') c = ' ';
    if (c == ' ' && (key.empty() || key.back() == ' ')) continue;
    key += c;
  }
  if (!key.empty() && key.back() == ' ') key.pop_back();
  return key;
}

std::optional<int32_t> GlassFromWords(const std::string& key, bool in_text) {
  for (const TGlassWord& word : kGlassWords) {
    if (in_text && !word.inText) continue;
    if (HasLowerWord(key, word.words)) return glassCode(word.glass);
  }
  return std::nullopt;
}

const char* const kFamilyTypes[] = {"Pousse Cafe", "Collins", "Fizz",     "Sour",   "Sling",
                                     "Cobbler",     "Cooler",  "Toddy",    "Punch",  "Martini",
                                     "Frozen",      "Highball", "Daisy",   "Rickey", "Smash",
                                     "Flip",        "Crusta",  "Sangaree"};

// Cuts |text| (Windows-1252) to at most |limit| characters at a word
// boundary; blanks and dangling punctuation before the cut go too.
std::string CutAtWord(const std::string& text, size_t limit) {
  if (text.size() <= limit) return text;
  size_t cut = limit;
  if (text[limit] != ' ') {
    // A word boundary not too far back; else the cut goes through the word.
    const size_t space = text.rfind(' ', limit);
    if (space != std::string::npos && space > 0 && space + 40 >= limit) cut = space;
  }
  std::string out = text.substr(0, cut);
  while (!out.empty() && (out.back() == ' ' || out.back() == '-' || out.back() == ',' ||
                          out.back() == '(' || out.back() == ':' || out.back() == ';' ||
                          out.back() == '/' || out.back() == '&'))
    out.pop_back();
  return out.empty() ? text.substr(0, limit) : out;
}

// |part| ending in a full stop (or its own punctuation).
std::string AsSentence(std::string part) {
  if (part.empty()) return part;
  const char last = part.back();
  if (last != '.' && last != '!' && last != '?' && last != ':' && last != ';') part += '.';
  return part;
}

bool IsPlaceholder(const std::string& text) {
  const std::string lower = AsciiLower(Trim(text));
  return lower.empty() || lower == "n/a" || lower == "n/a." || lower == "na" ||
         lower == "none" || lower == "null" || lower == "-";
}

std::string JoinLines(const std::vector<std::string>& lines, const char* separator) {
  std::string out;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (i) out += separator;
    out += lines[i];
  }
  return out;
}

// Texts with "\n" lines as the catalogue keeps them ("\r\n").
std::string CatalogueLines(const std::string& text) { return JoinedLines(text, "\r\n"); }

}  // namespace

std::optional<int32_t> GlassFromName(std::string_view name) {
  const std::string trimmed = Trim(name);
  if (trimmed.empty()) return glassCode("Other");
  const int32_t exact = glassCode(trimmed);
  if (exact >= 0) return exact;
  return GlassFromWords(GlassKey(trimmed), false);
}

std::optional<int32_t> GlassFromText(std::string_view text) {
  return GlassFromWords(GlassKey(text), true);
}

std::optional<int32_t> TypeFromName(std::string_view name) {
  for (const char* type : kFamilyTypes)
    if (HasWord(name, type)) return typeCode(type);
  if (HasWord(name, "Sangria")) return typeCode("Punch");
  return std::nullopt;
}

std::optional<int32_t> SeasonFromWords(const std::vector<std::string>& keywords,
                                       std::string_view text) {
  struct TWord {
    const char* word;
    const char* season;
  };
  static const TWord kWords[] = {
      {"christmas", "Holiday"}, {"holiday", "Holiday"}, {"holidays", "Holiday"},
      {"xmas", "Holiday"},      {"thanksgiving", "Holiday"}, {"new year", "Holiday"},
      {"summer", "Summer"},     {"winter", "Winter"},   {"fall", "Fall"},
      {"autumn", "Fall"},       {"spring", "Spring"},
  };
  for (const TWord& w : kWords) {
    for (const std::string& keyword : keywords)
      if (HasWord(keyword, w.word)) return seasonCode(w.season);
  }
  for (const TWord& w : kWords)
    if (HasWord(text, w.word) && std::string(w.season) == "Holiday") return seasonCode(w.season);
  return std::nullopt;
}

std::optional<int32_t> HotFromWords(const std::vector<std::string>& keywords,
                                    std::string_view text) {
  for (const std::string& keyword : keywords) {
    const std::string k = AsciiLower(Trim(keyword));
    if (k == "hot" || k == "hot drink" || k == "warm" || k == "toddy" || k == "mulled")
      return tempCode("Hot");
  }
  for (const char* word : {"hot", "warm", "warmed", "heat", "heated", "simmer", "mulled",
                           "boiling", "steaming"})
    if (HasWord(text, word)) return tempCode("Hot");
  return std::nullopt;
}

std::string StripTitleBoilerplate(std::string_view name) {
  std::string text = Trim(name);
  for (const char* prefix : {"how to make an ", "how to make a ", "how to make ", "homemade "}) {
    if (AsciiLower(text).rfind(prefix, 0) == 0) {
      text = Trim(text.substr(std::string(prefix).size()));
      break;
    }
  }
  // A trailing " - ..." part and parenthesised tails.
  const size_t dash = text.find(" - ");
  if (dash != std::string::npos && dash > 0) text = Trim(text.substr(0, dash));
  while (!text.empty() && text.back() == ')') {
    const size_t open = text.rfind('(');
    if (open == std::string::npos || open == 0) break;
    text = Trim(text.substr(0, open));
  }
  for (const char* suffix : {" cocktail recipe", " drink recipe", " recipe"}) {
    const std::string l = AsciiLower(text);
    const std::string s = suffix;
    if (l.size() > s.size() && l.compare(l.size() - s.size(), s.size(), s) == 0) {
      text = Trim(text.substr(0, text.size() - s.size()));
      break;
    }
  }
  return text.empty() ? Trim(name) : text;
}

std::string FormatAmount(double amount) {
  if (!std::isfinite(amount)) return "0";
  if (amount == std::floor(amount) && std::fabs(amount) < 1e15) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.0f", amount);
    return buffer;
  }
  for (int digits = 1; digits <= 17; ++digits) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*f", digits, amount);
    if (std::strtod(buffer, nullptr) == amount) return buffer;
  }
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.17g", amount);
  return buffer;
}

std::vector<std::string> SplitCommaList(std::string_view list) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (size_t i = 0; i <= list.size(); ++i) {
    if (i == list.size() || list[i] == ',') {
      std::string part = Trim(list.substr(start, i - start));
      if (!part.empty()) parts.push_back(part);
      start = i + 1;
    }
  }
  return parts;
}

bool HoldsRecipe(const TRecipe& recipe) {
  if (Trim(recipe.name).empty()) return false;
  if (!Trim(recipe.directions).empty()) return true;
  for (const std::string& line : recipe.ingredients)
    if (!Trim(line).empty()) return true;
  return false;
}

TDrink MapRecipe(const TRecipe& recipe, TMappingCounts* counts) {
  TMappingCounts local;
  TMappingCounts& c = counts ? *counts : local;
  TDrink drink;

  if (recipe.verbatim) {
    drink.name = ToCatalogueText(recipe.name, &c.charactersReplaced);
    drink.ingred = ToCatalogueText(JoinLines(recipe.ingredients, "\r\n"), &c.charactersReplaced);
    drink.directions = ToCatalogueText(CatalogueLines(recipe.directions), &c.charactersReplaced);
    drink.comment = ToCatalogueText(recipe.description, &c.charactersReplaced);
    drink.type = recipe.type.value_or(recipe.fallbackType);
    drink.glass = recipe.glass.value_or(glassCode("Other"));
    drink.season = recipe.season.value_or(0);
    drink.temp = recipe.temp.value_or(0);
    drink.marked = recipe.marked;
    drink.status = recipe.status;
    drink.read_only = recipe.read_only;
    if (drink.name.size() > kDrinkNameLength) {
      drink.name = CutAtWord(drink.name, kDrinkNameLength);
      ++c.namesShortened;
    }
    if (drink.comment.size() > kDrinkCommentLength) drink.comment.resize(kDrinkCommentLength);
    if (drink.status.size() > kDrinkStatusLength) drink.status.resize(kDrinkStatusLength);
    return drink;
  }

  // Name: cleaned, boilerplate gone, then at most 25 characters.
  const std::string full_name = CleanLine(recipe.name);
  std::string name = recipe.titleName ? StripTitleBoilerplate(full_name) : full_name;
  std::string name_1252 = ToCatalogueText(name, &c.charactersReplaced);
  const std::string full_1252 =
      name == full_name ? name_1252 : ToCatalogueText(full_name, nullptr);
  bool shortened = false;
  if (name_1252.size() > kDrinkNameLength) {
    name = StripTitleBoilerplate(name);
    name_1252 = ToCatalogueText(name, nullptr);
  }
  if (full_1252.size() > kDrinkNameLength) shortened = true;
  if (name_1252.size() > kDrinkNameLength) name_1252 = CutAtWord(name_1252, kDrinkNameLength);
  drink.name = name_1252;
  if (shortened) ++c.namesShortened;

  // Ingredients: one clean line each.
  std::vector<std::string> lines;
  for (const std::string& line : recipe.ingredients) {
    const std::string clean = CleanLine(line);
    if (!clean.empty()) lines.push_back(clean);
  }
  const std::string ingredients = JoinLines(lines, "\n");
  drink.ingred = ToCatalogueText(JoinLines(lines, "\r\n"), &c.charactersReplaced);

  const std::string directions = CleanText(recipe.directions, recipe.markdown);
  drink.directions = ToCatalogueText(CatalogueLines(directions), &c.charactersReplaced);

  // Comment: full name, garnish, description, notes; one line.
  std::vector<std::string> parts;
  if (shortened) parts.push_back(AsSentence(CleanLine(recipe.name)));
  if (!IsPlaceholder(recipe.garnish)) {
    std::string garnish = CleanLine(recipe.garnish);
    if (AsciiLower(garnish).rfind("garnish", 0) != 0) garnish = "Garnish: " + garnish;
    parts.push_back(AsSentence(garnish));
  }
  const std::string description = CleanLine(CleanText(recipe.description, recipe.markdown));
  if (!description.empty()) parts.push_back(AsSentence(description));
  for (const std::string& note : recipe.notes) {
    const std::string clean = CleanLine(note);
    if (!clean.empty()) parts.push_back(AsSentence(clean));
  }
  std::string comment = ToCatalogueText(JoinLines(parts, " "), &c.charactersReplaced);
  if (comment.size() > kDrinkCommentLength) {
    comment = CutAtWord(comment, kDrinkCommentLength - 1);
    comment += '\x85';  // the ellipsis of Windows-1252
  }
  drink.comment = comment;

  // Categories.
  const std::string words = full_name + "\n" + directions;
  if (recipe.type) {
    drink.type = *recipe.type;
  } else if (const auto family = TypeFromName(full_name)) {
    drink.type = *family;
  } else {
    drink.type = recipe.fallbackType;
    for (const std::string& keyword : recipe.keywords) {
      const int32_t code = typeCode(Trim(keyword));
      if (code >= 0) {
        drink.type = code;
        break;
      }
    }
  }
  if (recipe.glass) {
    drink.glass = *recipe.glass;
  } else {
    drink.glass = GlassFromText(directions).value_or(glassCode("Other"));
  }
  drink.season = recipe.season ? *recipe.season
                               : SeasonFromWords(recipe.keywords, full_name).value_or(0);
  if (recipe.temp) {
    drink.temp = *recipe.temp;
  } else {
    std::string hot_text = words + "\n" + recipe.temperatureText;
    for (const char* phrase : {"hot water", "hot coffee", "hot tea", "hot milk", "hot chocolate",
                               "boiling water", "hot cider", "mulled wine"})
      if (HasWord(ingredients, phrase)) hot_text += std::string("\n") + phrase;
    drink.temp = HotFromWords(recipe.keywords, hot_text).value_or(tempCode("Cold"));
  }
  drink.status = "";
  return drink;
}

}  // namespace zestoria
