#include "exchange/RecipeExport.h"

#include <filesystem>

#include "exchange/BarAssistantRecipes.h"
#include "exchange/CsvRecipes.h"
#include "exchange/ExchangeWriter.h"
#include "exchange/JsonLdRecipes.h"
#include "exchange/RecipeText.h"
#include "platform/Streams.h"

namespace zestoria {

TRecipeFormat ExportFormat(const std::string& file_name, std::optional<TRecipeFormat> format) {
  if (format) {
    if (!CanExport(*format))
      throw ERecipeFileError("Drinks cannot be written as " + RecipeFormatTitle(*format) +
                             ": export writes zdr, jsonld, bar-assistant or csv");
    return *format;
  }
  const std::string ext = AsciiLower(std::filesystem::path(file_name).extension().string());
  if (ext == ".jsonld") return TRecipeFormat::rfJsonLd;
  if (ext == ".json") return TRecipeFormat::rfBarAssistant;
  if (ext == ".csv") return TRecipeFormat::rfCsv;
  return TRecipeFormat::rfZdr;
}

std::vector<uint8_t> BuildRecipeFile(TRecipeFormat format, const std::vector<TDrink>& drinks,
                                     const std::string& collection_name) {
  std::string text;
  switch (format) {
    case TRecipeFormat::rfZdr:
      return BuildExchangeFile(collection_name, drinks);
    case TRecipeFormat::rfJsonLd:
      text = BuildJsonLd(drinks);
      break;
    case TRecipeFormat::rfBarAssistant:
      text = BuildBarAssistant(drinks);
      break;
    case TRecipeFormat::rfCsv:
      text = BuildCsv(drinks);
      break;
    default:
      throw ERecipeFileError("Drinks cannot be written as " + RecipeFormatTitle(format));
  }
  return std::vector<uint8_t>(text.begin(), text.end());
}

void WriteRecipeFile(const std::string& file_name, TRecipeFormat format,
                     const std::vector<TDrink>& drinks, const std::string& collection_name) {
  tinydb::TMemoryStream stream(BuildRecipeFile(format, drinks, collection_name));
  stream.SaveToFile(file_name);
}

}  // namespace zestoria
