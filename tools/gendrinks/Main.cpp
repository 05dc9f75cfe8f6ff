// gendrinks N OUTPUT.tdb [SEED]: writes a catalogue database of N generated
// drinks (ids 1..N) that the program opens like the shipped one, for
// measuring it at scale. The same seed always gives the same drinks.
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>

#include "DrinkGenerator.h"

namespace {

// |text| as a number in [low, high]; false when it is not one.
bool ParseNumber(const char* text, long long low, long long high, long long* value) {
  char* end = nullptr;
  const long long number = std::strtoll(text, &end, 10);
  if (end == text || *end != '\0' || number < low || number > high) return false;
  *value = number;
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  long long count = 0;
  long long seed = zestoria::bench::kDefaultDrinkSeed;
  if (argc < 3 || argc > 4 || !ParseNumber(argv[1], 0, 10000000, &count) ||
      (argc == 4 && !ParseNumber(argv[3], 0, 0xFFFFFFFFLL, &seed))) {
    std::fprintf(stderr, "usage: gendrinks N OUTPUT.tdb [SEED]\n");
    return 2;
  }
  try {
    zestoria::bench::WriteDrinkCatalogue(
        zestoria::bench::GenerateDrinks(static_cast<int>(count), static_cast<uint32_t>(seed)),
        argv[2]);
    std::printf("%s: %lld drinks\n", argv[2], count);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "gendrinks: %s\n", e.what());
    return 1;
  }
  return 0;
}
