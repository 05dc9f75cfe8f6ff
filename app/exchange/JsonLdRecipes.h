// schema.org Recipe JSON-LD: a .json or .jsonld file, or a whole web page
// whose <script type="application/ld+json"> blocks hold it. The Recipe is
// found wherever it sits (the top, an @graph, an array, a later block,
// "@type" as a list); recipeInstructions may be a text, a list of texts, of
// HowToStep, of HowToSection, or a mix. Writing gives an array of Recipe
// objects keeping type, glass, season and temperature in recipeCategory
// and keywords, so that this program reads them back.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json_fwd.hpp>

#include "catalogue/Drink.h"
#include "exchange/RecipeFiles.h"

namespace zestoria {

TRecipeBatch ReadJsonLd(const nlohmann::json& document, const std::string& file_name);

// The Recipes of a web page, parsed with libxml2's HTML parser. A damaged
// ld+json block throws ERecipeFileError naming the block when no other
// block holds a Recipe.
TRecipeBatch ReadJsonLdPage(std::string_view html, const std::string& file_name);

// |drinks| (Windows-1252) as a JSON-LD array of Recipe objects (UTF-8).
std::string BuildJsonLd(const std::vector<TDrink>& drinks);

}  // namespace zestoria
