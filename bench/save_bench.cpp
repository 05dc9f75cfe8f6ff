// What a lasting change costs: one modified drink committed and saved into
// a catalogue of N generated drinks, by the journaled in-place save (the
// journal, its flushes, the in-place write and its flush included) and by
// the whole-image atomic save beside it. Lines:
//   save n=N ms=X
//   save_whole n=N ms=X
// Times are wall-clock times (the flushes are most of them), the median of
// seven saves after a warm-up, in a temporary folder.
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "DrinkGenerator.h"
#include "catalogue/DrinkCatalogue.h"

namespace {

using zestoria::TDrink;
using zestoria::TDrinkCatalogue;

double NowMs() {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

template <class Work>
double Median(Work work) {
  work(0);
  std::vector<double> times;
  for (int i = 1; i <= 7; ++i) times.push_back(work(i));
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

void Measure(int count, const std::string& folder) {
  const std::string file = folder + "/zestoria.tdb";
  zestoria::bench::WriteDrinkCatalogue(zestoria::bench::GenerateDrinks(count), file);
  TDrinkCatalogue catalogue;
  catalogue.Open(file);
  catalogue.ListDrinks("", true);

  // A different drink each time, spread over the catalogue.
  auto modify = [&catalogue, count](int round, const char* how) {
    TDrink drink = catalogue.LoadDrink(1 + (round * 7919) % count);
    drink.comment = std::string(how) + " " + std::to_string(round);
    return drink;
  };
  const double in_place = Median([&](int round) {
    const TDrink drink = modify(round, "in place");
    const double start = NowMs();
    catalogue.UpdateDrink(drink, true);
    return NowMs() - start;
  });
  const double whole = Median([&](int round) {
    const TDrink drink = modify(round, "whole");
    const double start = NowMs();
    catalogue.UpdateDrink(drink, false);
    catalogue.Image().SaveToFile(file);
    return NowMs() - start;
  });
  std::printf("save n=%d ms=%.2f\n", count, in_place);
  std::printf("save_whole n=%d ms=%.2f\n", count, whole);
  std::fflush(stdout);
  std::filesystem::remove(file);
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<int> sizes = {1000, 10000, 100000};
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "--sizes" && i + 1 < argc) arg = std::string("--sizes=") + argv[++i];
    if (arg.rfind("--sizes=", 0) == 0) {
      sizes.clear();
      std::string list = arg.substr(8);
      for (size_t at = 0; at <= list.size();) {
        const size_t comma = std::min(list.find(',', at), list.size());
        sizes.push_back(std::atoi(list.substr(at, comma - at).c_str()));
        at = comma + 1;
      }
    } else {
      std::fprintf(stderr, "usage: save_bench [--sizes N,...]\n");
      return 2;
    }
  }
  std::string folder = (std::filesystem::temp_directory_path() / "zestoria-save-XXXXXX").string();
  if (::mkdtemp(folder.data()) == nullptr) {
    std::perror("save_bench: mkdtemp");
    return 1;
  }
  try {
    for (int count : sizes)
      if (count > 0) Measure(count, folder);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "save_bench: %s\n", error.what());
    std::filesystem::remove_all(folder);
    return 1;
  }
  std::filesystem::remove_all(folder);
  return 0;
}
