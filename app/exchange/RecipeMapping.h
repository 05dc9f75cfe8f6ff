// The shared step of every recipe reader: a recipe as another program
// holds it (UTF-8 texts, hints for the categories) becomes a drink of the
// catalogue (Windows-1252, at most 25 characters of name and 255 of
// comment, codes of the four vocabularies).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/Drink.h"

namespace zestoria {

// One recipe as a reader found it. Texts are UTF-8 as in the file; the
// mapping cleans them (entities, tags, Markdown, Unicode).
struct TRecipe {
  std::string name;
  std::vector<std::string> ingredients;  // one line each, e.g. "45 ml Gin"
  std::string directions;                // lines separated by "\n"
  std::string garnish;                   // becomes "Garnish: ..." in the comment
  std::string description;
  std::vector<std::string> notes;        // further comment parts, in order
  // Tags, keywords and categories: season, temperature and type words
  // among them are used when no code is set.
  std::vector<std::string> keywords;
  // More text the temperature looks at (measures such as "4 cl hot").
  std::string temperatureText;

  // Codes the reader knows from the file; the mapping works out the rest.
  // |type| wins over everything; a name such as "Tom Collins" or "Whiskey
  // Sour" wins over |fallbackType|.
  std::optional<int32_t> type, glass, season, temp;
  int32_t fallbackType = 3;  // "Cocktail"

  // Strip page-title boilerplate from the name ("How to make a", "Recipe").
  bool titleName = false;
  // Markdown markers in the directions and description are removed.
  bool markdown = false;

  // A file this program wrote: texts and codes are taken as they are (the
  // comment is |description|, directions and ingredients keep their lines),
  // and marked, status and read_only too.
  bool verbatim = false;
  int32_t marked = 0;
  std::string status;
  int32_t read_only = 0;
};

// What the mapping changed over all recipes.
struct TMappingCounts {
  size_t namesShortened = 0;
  size_t charactersReplaced = 0;
};

// |recipe| as a catalogue drink (id 0). A name over 25 characters is cut
// at a word boundary and the full name starts the comment; the comment is
// built from the full name, "Garnish: ...", the description and the notes
// and cut to 255 characters with an ellipsis.
TDrink MapRecipe(const TRecipe& recipe, TMappingCounts* counts);

// True when |recipe| holds a recipe: a name and ingredients or directions.
bool HoldsRecipe(const TRecipe& recipe);

// The glass code of a glass name as other programs write it ("Highball
// glass", "old-fashioned", "Nick and Nora", "Coffee mug"); nullopt for a
// name not in the table (empty: "Other").
std::optional<int32_t> GlassFromName(std::string_view name);
// The glass a text of directions names ("Strain into a chilled cocktail
// glass"); nullopt when it names none.
std::optional<int32_t> GlassFromText(std::string_view text);

// The type a drink name suggests by its family word (Collins, Fizz, Sour,
// Sling, Cobbler, Cooler, Toddy, Punch, Martini, Frozen, Highball...).
std::optional<int32_t> TypeFromName(std::string_view name);

// The season and temperature words among |keywords| and in |text|.
std::optional<int32_t> SeasonFromWords(const std::vector<std::string>& keywords,
                                       std::string_view text);
std::optional<int32_t> HotFromWords(const std::vector<std::string>& keywords,
                                    std::string_view text);

// |name| without web-page boilerplate: "How to make (a|an) ", "Homemade ",
// " Recipe", " cocktail recipe", a trailing " - ..." or "(...)" part.
std::string StripTitleBoilerplate(std::string_view name);

// A number as an ingredient amount: an integer without ".0", else the
// shortest decimal (22.5, 0.75).
std::string FormatAmount(double amount);

// |list| split at commas, each part trimmed, empty parts dropped.
std::vector<std::string> SplitCommaList(std::string_view list);

}  // namespace zestoria
