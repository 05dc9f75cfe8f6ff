#include "exchange/RecipeImport.h"

#include <nlohmann/json.hpp>
#include <unordered_set>

#include "catalogue/DrinkCatalogue.h"
#include "exchange/BarAssistantRecipes.h"
#include "exchange/CocktailDbRecipes.h"
#include "exchange/CsvRecipes.h"
#include "exchange/DrinkImport.h"
#include "exchange/IbaRecipes.h"
#include "exchange/JsonLdRecipes.h"
#include "exchange/RecipeText.h"
#include "platform/Codepage.h"
#include "platform/Streams.h"

namespace zestoria {

namespace {

std::string Count(size_t n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

bool IsZip(const std::vector<uint8_t>& bytes) {
  return bytes.size() >= 4 && bytes[0] == 'P' && bytes[1] == 'K' &&
         ((bytes[2] == 3 && bytes[3] == 4) || (bytes[2] == 5 && bytes[3] == 6));
}

// The first character of |text| after a byte-order mark and blanks.
char FirstCharacter(std::string_view text) {
  if (text.size() >= 3 && text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  const size_t at = text.find_first_not_of(" \t\r\n");
  return at == std::string_view::npos ? '\0' : text[at];
}

TRecipeBatch ReadBatch(const std::vector<uint8_t>& bytes, const std::string& file_name,
                       TRecipeFormat format, nlohmann::json* parsed) {
  const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  if (format == TRecipeFormat::rfCsv) return ReadCsvRecipes(text, file_name);
  if (format == TRecipeFormat::rfBarAssistant && IsZip(bytes))
    return ReadBarAssistantZip(bytes, file_name);
  if (format == TRecipeFormat::rfJsonLd && FirstCharacter(text) == '<')
    return ReadJsonLdPage(text, file_name);
  const nlohmann::json document =
      parsed && !parsed->is_discarded() ? std::move(*parsed) : ParseJsonText(text, file_name);
  switch (format) {
    case TRecipeFormat::rfJsonLd:
      return ReadJsonLd(document, file_name);
    case TRecipeFormat::rfBarAssistant:
      return ReadBarAssistant(document, file_name);
    case TRecipeFormat::rfCocktailDb:
      return ReadCocktailDb(document, file_name);
    case TRecipeFormat::rfIba:
      return ReadIba(document, file_name);
    default:
      break;
  }
  return {};
}

std::string NameKey(const std::string& name) {
  // Windows-1252 letters compare ignoring case as the engine compares names.
  std::string key = Trim(name);
  for (char& c : key) {
    const unsigned char u = static_cast<unsigned char>(c);
    if (u >= 'A' && u <= 'Z') c = static_cast<char>(u + 32);
    else if (u >= 0xC0 && u <= 0xDE && u != 0xD7) c = static_cast<char>(u + 32);
    else if (u == 0x8A || u == 0x8C || u == 0x8E) c = static_cast<char>(u + 16);
    else if (u == 0x9F) c = static_cast<char>(0xFF);
  }
  return key;
}

}  // namespace

TRecipeFile ReadRecipeBytes(const std::vector<uint8_t>& bytes, const std::string& file_name,
                            std::optional<TRecipeFormat> format) {
  TRecipeFile file;
  nlohmann::json document(nlohmann::json::value_t::discarded);
  file.format = format ? *format : RecogniseFormat(bytes, file_name, &document);
  if (file.format == TRecipeFormat::rfZdr) {
    TExchangeFile zdr = ParseExchangeFile(bytes);
    file.collectionName = zdr.collectionName;
    file.recordCount = zdr.recordCount;
    file.drinks = std::move(zdr.drinks);
    file.incomplete = zdr.incomplete;
    return file;
  }

  TRecipeBatch batch = ReadBatch(bytes, file_name, file.format, &document);
  file.withoutRecipe = batch.withoutRecipe;
  file.incomplete = batch.incomplete;
  file.recordCount = static_cast<int32_t>(batch.recipes.size() + batch.withoutRecipe + batch.incomplete);
  if (batch.recipes.empty()) {
    std::string message = file_name + " holds no recipe";
    if (!batch.emptyReason.empty()) message += ": it holds " + batch.emptyReason;
    else if (batch.incomplete > 0) message += ": its only drink is cut off by the end of the file";
    else if (batch.withoutRecipe > 0)
      message += ": none of its " + Count(batch.withoutRecipe, "record", "records") +
                 " has a name with ingredients or directions";
    else message += " in the " + RecipeFormatTitle(file.format) + " format";
    throw ENoRecipeError(message);
  }
  TMappingCounts counts;
  file.drinks.reserve(batch.recipes.size());
  for (const TRecipe& recipe : batch.recipes) file.drinks.push_back(MapRecipe(recipe, &counts));
  file.namesShortened = counts.namesShortened;
  file.charactersReplaced = counts.charactersReplaced;
  file.collectionName = ToCatalogueText(CleanLine(batch.collectionName), nullptr);
  return file;
}

TRecipeFile ReadRecipeFile(const std::string& file_name, std::optional<TRecipeFormat> format) {
  tinydb::TMemoryStream stream;
  stream.LoadFromFile(file_name);
  return ReadRecipeBytes(stream.Bytes(), file_name, format);
}

std::vector<std::string> TImportReport::Lines() const {
  std::vector<std::string> lines;
  lines.push_back("Added " + std::to_string(ids.size()) + " drinks");
  if (skipped)
    lines.push_back("Skipped " + Count(skipped, "drink", "drinks") +
                    " whose name the catalogue already has");
  if (namesShortened)
    lines.push_back("Shortened " + Count(namesShortened, "name", "names") +
                    " to 25 characters (the full name begins the comment)");
  if (charactersReplaced)
    lines.push_back("Replaced " + Count(charactersReplaced, "character", "characters") +
                    " that Windows-1252 cannot hold");
  if (withoutRecipe)
    lines.push_back(Count(withoutRecipe, "record", "records") + (withoutRecipe == 1 ? " holds" : " hold") +
                    " no recipe");
  if (incomplete)
    lines.push_back(std::to_string(incomplete) + " of the file's drinks " +
                    (incomplete == 1 ? "was" : "were") +
                    " incomplete (cut off by the end of the file) and not imported");
  return lines;
}

std::string ImportReportQuestion(const TImportReport& report) {
  std::string question = "Added " + std::to_string(report.ids.size()) + " drinks to the database.\n\r";
  const std::vector<std::string> lines = report.Lines();
  for (size_t i = 1; i < lines.size(); ++i) {
    std::string line;
    (void)tinydb::Utf8ToCp1252(lines[i], &line);
    question += line + ".\n\r";
  }
  return question + "Display newly add drinks?";
}

TImportReport ImportRecipes(TDrinkCatalogue& catalogue, TRecipeFile file,
                            const std::string& file_name, const TImportOptions& options) {
  TImportReport report;
  report.fileName = file_name;
  report.format = file.format;
  report.collectionName = file.collectionName;
  report.recordCount = file.recordCount;
  report.namesShortened = file.namesShortened;
  report.charactersReplaced = file.charactersReplaced;
  report.withoutRecipe = file.withoutRecipe;
  report.incomplete = file.incomplete;

  if (file.format == TRecipeFormat::rfZdr) {
    if (options.confirmZdr && !options.confirmZdr(ImportQuestion(file.collectionName))) {
      report.cancelled = true;
      return report;
    }
  } else if (options.duplicates != TDuplicates::dAdd) {
    std::unordered_set<std::string> known;
    for (const TListedDrink& listed : catalogue.ListDrinks("")) known.insert(NameKey(listed.name));
    std::vector<bool> duplicate(file.drinks.size(), false);
    std::vector<std::string> names;
    for (size_t i = 0; i < file.drinks.size(); ++i) {
      const std::string key = NameKey(file.drinks[i].name);
      if (!known.insert(key).second) {
        duplicate[i] = true;
        names.push_back(file.drinks[i].name);
      }
    }
    bool skip = options.duplicates == TDuplicates::dSkip;
    if (!names.empty() && options.duplicates == TDuplicates::dAsk)
      skip = options.askDuplicates ? !options.askDuplicates(names) : false;
    if (skip && !names.empty()) {
      std::vector<TDrink> kept;
      kept.reserve(file.drinks.size() - names.size());
      for (size_t i = 0; i < file.drinks.size(); ++i)
        if (!duplicate[i]) kept.push_back(std::move(file.drinks[i]));
      report.skipped = names.size();
      file.drinks = std::move(kept);
    }
  }

  report.ids = options.save ? AddDrinks(catalogue, file.drinks, options.progress)
                            : InsertDrinks(catalogue, file.drinks, options.progress);
  report.names.reserve(file.drinks.size());
  for (const TDrink& drink : file.drinks) report.names.push_back(drink.name);
  return report;
}

TImportReport ImportRecipeBytes(TDrinkCatalogue& catalogue, const std::vector<uint8_t>& bytes,
                                const std::string& file_name, const TImportOptions& options) {
  return ImportRecipes(catalogue, ReadRecipeBytes(bytes, file_name, options.format), file_name,
                       options);
}

TImportReport ImportRecipeFile(TDrinkCatalogue& catalogue, const std::string& file_name,
                               const TImportOptions& options) {
  return ImportRecipes(catalogue, ReadRecipeFile(file_name, options.format), file_name, options);
}

}  // namespace zestoria
