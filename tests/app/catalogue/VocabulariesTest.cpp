// The category vocabularies: codes to names and back, the choosers' orders,
// and the lenient temperature rule.
#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <string>
#include <vector>

#include "catalogue/Vocabularies.h"

namespace zestoria {
namespace {

struct TVocabulary {
  const char* label;
  int count;
  std::function<std::string(int32_t)> name_of;
  std::function<int32_t(const std::string&)> code_of;
  const std::vector<std::string>& chooser;
};

std::vector<TVocabulary> AllVocabularies() {
  return {{"type", kTypeCount, typeName, typeCode, TypeChooserItems()},
          {"glass", kGlassCount, glassName, glassCode, GlassChooserItems()},
          {"season", kSeasonCount, seasonName, seasonCode, SeasonChooserItems()},
          {"temp", kTempCount, tempName, tempCode, TempChooserItems()}};
}

TEST(VocabulariesTest, EveryCodeRoundTripsAndCodesOutsideTheRangeHaveNoName) {
  for (const TVocabulary& v : AllVocabularies()) {
    SCOPED_TRACE(v.label);
    for (int32_t code = 0; code < v.count; ++code) {
      ASSERT_FALSE(v.name_of(code).empty()) << code;
      EXPECT_EQ(v.code_of(v.name_of(code)), code);
    }
    EXPECT_EQ(v.name_of(-1), "");
    EXPECT_EQ(v.name_of(v.count), "");
    EXPECT_EQ(v.name_of(INT32_MIN), "");
    // Each chooser lists every name exactly once.
    EXPECT_EQ(v.chooser.size(), static_cast<size_t>(v.count));
    std::set<int32_t> codes;
    for (const std::string& item : v.chooser) codes.insert(v.code_of(item));
    EXPECT_EQ(codes.size(), static_cast<size_t>(v.count));
    EXPECT_EQ(codes.count(-1), 0u);
  }
}

TEST(VocabulariesTest, NamesAreTheDocumentedOnes) {
  EXPECT_EQ(typeName(0), "Beer");
  EXPECT_EQ(typeName(13), "Non-Alcoholic");
  EXPECT_EQ(typeName(23), "Sour");
  EXPECT_EQ(typeName(26), "Other");
  EXPECT_EQ(glassName(8), "Old Fashioned");
  EXPECT_EQ(glassName(14), "Other");
  EXPECT_EQ(seasonName(0), "All");
  EXPECT_EQ(seasonName(5), "Holiday");
  EXPECT_EQ(tempName(2), "Hot");
}

TEST(VocabulariesTest, TypeChooserOrderDiffersFromTheCodes) {
  // "Frozen" has code 1 but stands 12th (index 11) in the chooser.
  EXPECT_EQ(typeCode("Frozen"), 1);
  EXPECT_EQ(typeName(1), "Frozen");
  EXPECT_EQ(TypeChooserItems()[11], "Frozen");
  EXPECT_EQ(TypeChooserItems()[1], "Cobbler");
  EXPECT_EQ(typeCode(TypeChooserItems()[1]), 2);
  // The glass chooser follows its codes: position = picture number.
  for (int32_t code = 0; code < kGlassCount; ++code)
    EXPECT_EQ(glassCode(GlassChooserItems()[static_cast<size_t>(code)]), code);
}

TEST(VocabulariesTest, UnknownNames) {
  struct TCase {
    const char* text;
    int32_t type, glass, season, temp;
  };
  const TCase cases[] = {
      {"", -1, -1, -1, 0},
      {"cold", -1, -1, -1, 0},       // unknown temperatures are served cold
      {"Cocktail", 3, 3, -1, 0},
      {"cocktail", -1, -1, -1, 0},   // case counts
      {"Sour ", -1, -1, -1, 0},      // so do blanks
      {"Sour", 23, 12, -1, 0},
      {"Room", -1, -1, -1, 1},
      {"Hot", -1, -1, -1, 2},
      {"Summer", -1, -1, 2, 0},
      {"Other", 26, 14, -1, 0},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(std::string("\"") + c.text + "\"");
    EXPECT_EQ(typeCode(c.text), c.type);
    EXPECT_EQ(glassCode(c.text), c.glass);
    EXPECT_EQ(seasonCode(c.text), c.season);
    EXPECT_EQ(tempCode(c.text), c.temp);
  }
}

}  // namespace
}  // namespace zestoria
