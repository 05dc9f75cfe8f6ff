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
  size_t (*run)(const uint8_t*, size_t);
};

const TTarget kTargets[] = {
    {"image", RunDatabaseImage},
    {"exchange", RunExchangeFile},
    {"filter", RunFilterText},
    {"recipe", RunRecipeFile},
};

std::vector<uint8_t> ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

// Runs every file under |corpus|/<target>/; for each target, the number
// of files and the values read over all of them.
struct TCorpusRun {
  int files = 0;
  size_t values = 0;
};

std::vector<TCorpusRun> RunCorpus(const std::string& corpus) {
  std::vector<TCorpusRun> runs;
  for (const TTarget& target : kTargets) {
    TCorpusRun& run = runs.emplace_back();
    const fs::path dir = fs::path(ZESTORIA_FUZZ_DIR) / corpus / target.name;
    if (!fs::is_directory(dir)) continue;
    for (const fs::directory_entry& entry : fs::directory_iterator(dir)) {
      if (!entry.is_regular_file()) continue;
      SCOPED_TRACE(entry.path().string());
      const std::vector<uint8_t> bytes = ReadAll(entry.path());
      EXPECT_NO_THROW(run.values += target.run(bytes.data(), bytes.size()));
      ++run.files;
    }
  }
  return runs;
}

TEST(FuzzRegressionTest, InputsThatFoundFaultsAreHandled) { RunCorpus("regressions"); }

// The seeds are real files and texts: each target works through them, not
// only refuses them.
TEST(FuzzRegressionTest, SeedsAreReadThrough) {
  const std::vector<TCorpusRun> runs = RunCorpus("seeds");
  for (size_t t = 0; t < runs.size(); ++t) {
    SCOPED_TRACE(kTargets[t].name);
    EXPECT_GT(runs[t].files, 0);
    EXPECT_GT(runs[t].values, 0u);
  }
}

}  // namespace
}  // namespace zestoria::fuzz
