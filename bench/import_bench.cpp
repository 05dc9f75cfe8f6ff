// Importing recipe files at scale: generated drinks written as a foreign
// schema.org JSON-LD file and a foreign (measurement-N/ingredient-N) CSV,
// then read, mapped and inserted into an empty catalogue, beside the plain
// inserts of the same drinks. Lines:
//   insert n=N ms=X
//   import_jsonld n=N ms=X read_map_ms=Y ratio=R     (ratio = import / insert)
//   import_csv n=N ms=X read_map_ms=Y ratio=R
// Times are thread CPU times, the median of five runs after a warm-up.
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include "DrinkGenerator.h"
#include "catalogue/DrinkCatalogue.h"
#include "catalogue/Vocabularies.h"
#include "exchange/CsvTable.h"
#include "exchange/JsonLdRecipes.h"
#include "exchange/RecipeImport.h"
#include "exchange/RecipeText.h"
#include "storage/DatabaseWriter.h"

namespace {

using zestoria::TDrink;
using zestoria::TDrinkCatalogue;

double NowMs() {
  timespec ts{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return static_cast<double>(ts.tv_sec) * 1e3 + static_cast<double>(ts.tv_nsec) / 1e6;
}

std::unique_ptr<TDrinkCatalogue> EmptyCatalogue() {
  auto catalogue = std::make_unique<TDrinkCatalogue>();
  catalogue->OpenImage(tinydb::BuildDatabaseImage(zestoria::CatalogueSettings(),
                                                  {zestoria::DrinksTableDefinition()}),
                       "/nonexistent/import_bench.tdb");
  catalogue->SetNextDrinkId(1);
  return catalogue;
}

template <class Work>
double Median(Work work) {
  work();
  std::vector<double> times;
  for (int i = 0; i < 5; ++i) times.push_back(work());
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

// JSON-LD as a web site writes it: no publisher of ours, so the whole
// mapping runs.
std::vector<uint8_t> ForeignJsonLd(const std::vector<TDrink>& drinks) {
  nlohmann::json document = nlohmann::json::parse(zestoria::BuildJsonLd(drinks));
  for (nlohmann::json& recipe : document) recipe.erase("publisher");
  const std::string text = document.dump();
  return std::vector<uint8_t>(text.begin(), text.end());
}

std::vector<uint8_t> ForeignCsv(const std::vector<TDrink>& drinks) {
  std::vector<std::string> header = {"name", "category"};
  for (int i = 1; i <= 8; ++i) {
    header.push_back("measurement-" + std::to_string(i));
    header.push_back("ingredient-" + std::to_string(i));
  }
  header.insert(header.end(), {"instructions", "glass", "glass-size"});
  std::string text = zestoria::CsvRow(header);
  for (const TDrink& drink : drinks) {
    std::vector<std::string> row = {zestoria::FromCatalogueText(drink.name), "Cocktail Classics"};
    const std::vector<std::string> lines = zestoria::SplitLines(zestoria::FromCatalogueText(drink.ingred));
    for (size_t i = 0; i < 8; ++i) {
      const std::string line = i < lines.size() ? lines[i] : "";
      const size_t space = line.find(' ', line.find(' ') + 1);
      row.push_back(space == std::string::npos ? "" : line.substr(0, space));
      row.push_back(space == std::string::npos ? line
                                               : std::string(" ").append(line, space + 1));
    }
    row.insert(row.end(), {zestoria::FromCatalogueText(drink.directions),
                           zestoria::glassName(drink.glass) + " Glass", "6 to 8 ounces"});
    text += zestoria::CsvRow(row);
  }
  return std::vector<uint8_t>(text.begin(), text.end());
}

void Import(const char* name, const std::vector<uint8_t>& bytes, const char* file_name, int n,
            double insert_ms) {
  double read_ms = 0;
  const double ms = Median([&] {
    auto catalogue = EmptyCatalogue();
    const double start = NowMs();
    const zestoria::TRecipeFile file = zestoria::ReadRecipeBytes(bytes, file_name);
    read_ms = NowMs() - start;
    for (const TDrink& drink : file.drinks) catalogue->InsertDrink(drink, false);
    if (static_cast<int>(file.drinks.size()) != n) std::fprintf(stderr, "%s: %zu drinks\n", name, file.drinks.size());
    return NowMs() - start;
  });
  std::printf("%s n=%d ms=%.2f read_map_ms=%.2f ratio=%.2f\n", name, n, ms, read_ms, ms / insert_ms);
}

}  // namespace

int main(int argc, char** argv) {
  const int n = argc > 1 ? std::atoi(argv[1]) : 10000;
  const std::vector<TDrink> drinks = zestoria::bench::GenerateDrinks(n);
  const double insert_ms = Median([&] {
    auto catalogue = EmptyCatalogue();
    const double start = NowMs();
    for (const TDrink& drink : drinks) catalogue->InsertDrink(drink, false);
    return NowMs() - start;
  });
  std::printf("insert n=%d ms=%.2f\n", n, insert_ms);
  Import("import_jsonld", ForeignJsonLd(drinks), "drinks.jsonld", n, insert_ms);
  Import("import_csv", ForeignCsv(drinks), "drinks.csv", n, insert_ms);
  return 0;
}
