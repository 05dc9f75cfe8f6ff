// My Bar at scale: the shelf's questions over generated drinks.
//   makeable    What Can I Make after a change of the shelf (a bottle
//               added or removed): the drinks the shelf makes and the
//               listing's query, each drink's list item read by its id
//               from a catalogue database and sorted as the list shows
//               them (no widgets);
//   nextbottle  the ranking of the bottles not on the shelf by the drinks
//               each would open;
//   barindex    working out every drink's needs from its lines (once, at
//               load; edits then redo one drink);
//   barstart    the program's start-up: every drink's ingredients read
//               from the catalogue database and indexed.
//
//   bar_bench [--sizes N,N,...] [--vocabulary FILE]
// Default: 100000 drinks, the vocabulary beside the program. Each time is
// the CPU time of the measuring thread, the median of 9 runs after a
// warm-up (the index once); lines:
//   NAME n=N ms=X
#include <algorithm>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>

#include "DrinkGenerator.h"
#include "bar/BarIndex.h"
#include "bar/MyBar.h"
#include "catalogue/DrinkCatalogue.h"
#include "catalogue/ListItem.h"
#include "storage/DatabaseWriter.h"

namespace {

using namespace zestoria::bar;

// A home bar: a dozen bottles, a few mixers, the staples.
const char* const kShelf[] = {"gin",          "vodka",          "white rum",  "bourbon",
                              "tequila",      "triple sec",     "Campari",    "sweet vermouth",
                              "dry vermouth", "Angostura bitters", "lemons", "limes",
                              "club soda",    "tonic water",    "cola",       "simple syrup"};
// The bottles added and taken away between the questions.
const char* const kChanges[] = {"Kahlua", "cream", "grenadine", "orange juice", "brandy",
                                "ginger beer", "Galliano", "Amaretto", "Cognac"};
constexpr int kRuns = 9;

// The CPU time of this thread in milliseconds: other work on the shared
// machine does not stretch it.
double ThreadMilliseconds() {
  timespec ts{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return static_cast<double>(ts.tv_sec) * 1e3 + static_cast<double>(ts.tv_nsec) / 1e6;
}

double Median(std::vector<double> times) {
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

TIngredientId Named(const TIngredientRecogniser& recogniser, const char* name) {
  const auto id = recogniser.Name(name);
  if (!id) throw std::runtime_error(std::string("the vocabulary does not name ") + name);
  return *id;
}

// The listing's query: the drinks' list items read by id and sorted.
size_t ListDrinks(zestoria::TDrinkCatalogue& catalogue, const std::vector<int32_t>& ids) {
  const std::vector<zestoria::TListedDrink> drinks = catalogue.ListDrinksById(ids);
  std::vector<std::string> texts;
  texts.reserve(drinks.size());
  for (const zestoria::TListedDrink& drink : drinks) texts.push_back(zestoria::makeListItem(drink.name, drink.id));
  return zestoria::ListItemOrder(texts).size();
}

void Run(int size, const TIngredientRecogniser& recogniser) {
  const std::vector<zestoria::TDrink> drinks = zestoria::bench::GenerateDrinks(size);
  TBarIndex index(recogniser);
  double start = ThreadMilliseconds();
  for (const zestoria::TDrink& drink : drinks) index.PutDrink(drink);
  std::printf("barindex n=%d ms=%.1f\n", size, ThreadMilliseconds() - start);

  // The drinks in a catalogue database, as the program holds them.
  zestoria::TDrinkCatalogue catalogue;
  catalogue.OpenImage(tinydb::BuildDatabaseImage(zestoria::CatalogueSettings(), {zestoria::DrinksTableDefinition()}),
                      "/nonexistent/zestoria.tdb");
  for (const zestoria::TDrink& drink : drinks) catalogue.InsertDrink(drink, false);
  TMyBar bar(recogniser.Vocabulary());
  start = ThreadMilliseconds();
  bar.Follow(catalogue);
  std::printf("barstart n=%d ms=%.1f\n", size, ThreadMilliseconds() - start);
  TMyBar::Unfollow(catalogue);

  TShelf shelf = TShelf::WithStaples(recogniser.Vocabulary());
  for (const char* name : kShelf) shelf.Add(Named(recogniser, name));
  size_t listed = ListDrinks(catalogue, index.Makeable(shelf));  // warm-up

  std::vector<double> makeable, nextbottle;
  for (int run = 0; run < kRuns; ++run) {
    const TIngredientId change = Named(recogniser, kChanges[run % std::size(kChanges)]);
    if (shelf.Has(change)) shelf.Remove(change); else shelf.Add(change);
    start = ThreadMilliseconds();
    listed = ListDrinks(catalogue, index.Makeable(shelf));
    makeable.push_back(ThreadMilliseconds() - start);

    start = ThreadMilliseconds();
    const std::vector<TNextBottle> ranking = index.NextBottles(shelf);
    nextbottle.push_back(ThreadMilliseconds() - start);
    if (ranking.empty()) throw std::runtime_error("no bottle would open a drink");
  }
  if (listed == 0) throw std::runtime_error("the shelf makes no drink");
  std::printf("makeable n=%d ms=%.2f\n", size, Median(makeable));
  std::printf("nextbottle n=%d ms=%.2f\n", size, Median(nextbottle));
  std::fflush(stdout);
}

std::vector<int> ParseSizes(const std::string& list) {
  std::vector<int> sizes;
  size_t start = 0;
  while (start <= list.size()) {
    const size_t comma = std::min(list.find(',', start), list.size());
    const int size = std::atoi(list.substr(start, comma - start).c_str());
    if (size <= 0) throw std::runtime_error("the sizes must be positive numbers: " + list);
    sizes.push_back(size);
    start = comma + 1;
  }
  return sizes;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    std::vector<int> sizes = {100000};
    std::string vocabulary_file = ZESTORIA_INGREDIENTS;
    for (int i = 1; i < argc; ++i) {
      const std::string arg = argv[i];
      if (arg == "--sizes" && i + 1 < argc) sizes = ParseSizes(argv[++i]);
      else if (arg.rfind("--sizes=", 0) == 0) sizes = ParseSizes(arg.substr(8));
      else if (arg == "--vocabulary" && i + 1 < argc) vocabulary_file = argv[++i];
      else if (arg == "bar") continue;
      else throw std::runtime_error("usage: bar_bench [--sizes N,N,...] [--vocabulary FILE]");
    }
    const TIngredientVocabulary vocabulary = TIngredientVocabulary::LoadFile(vocabulary_file);
    const TIngredientRecogniser recogniser(vocabulary);
    for (int size : sizes) Run(size, recogniser);
    return 0;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "bar_bench: %s\n", e.what());
    return 1;
  }
}
