// Every input that once found a fault (tests/fuzz/regressions/<target>/)
// and every seed (tests/fuzz/seeds/<target>/) runs through the fuzzers'
// entry points: each must come back normally.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "fuzz/FuzzTargets.h"

namespace zestoria::fuzz {
namespace {

namespace fs = std::filesystem;

struct TTarget {
  const char* name;
  void (*run)(const uint8_t*, size_t);
};

const TTarget kTargets[] = {
    {"image", RunDatabaseImage},
    {"exchange", RunExchangeFile},
    {"filter", RunFilterText},
};

std::vector<uint8_t> ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

// Runs every file under |corpus|/<target>/ and returns how many ran.
int RunCorpus(const std::string& corpus) {
  int ran = 0;
  for (const TTarget& target : kTargets) {
    const fs::path dir = fs::path(ZESTORIA_FUZZ_DIR) / corpus / target.name;
    if (!fs::is_directory(dir)) continue;
    for (const fs::directory_entry& entry : fs::directory_iterator(dir)) {
      if (!entry.is_regular_file()) continue;
      SCOPED_TRACE(entry.path().string());
      const std::vector<uint8_t> bytes = ReadAll(entry.path());
      EXPECT_NO_THROW(target.run(bytes.data(), bytes.size()));
      ++ran;
    }
  }
  return ran;
}

TEST(FuzzRegressionTest, InputsThatFoundFaultsAreHandled) { RunCorpus("regressions"); }

TEST(FuzzRegressionTest, SeedsAreHandled) { EXPECT_GT(RunCorpus("seeds"), 0); }

}  // namespace
}  // namespace zestoria::fuzz
