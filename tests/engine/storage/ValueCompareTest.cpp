// One comparison of typed values serves the filter language and key order.
#include "storage/ValueCompare.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "platform/Collation.h"
#include "storage/Format.h"

namespace tinydb {
namespace {

using O = TCompareOutcome;

class ValueCompareTest : public ::testing::Test {
 protected:
  void SetUp() override { SetCollationLocale("en_US"); }
  void TearDown() override { SetCollationLocale(""); }
};

const char* Name(O o) {
  switch (o) {
    case O::Less: return "Less";
    case O::Equal: return "Equal";
    case O::Greater: return "Greater";
    default: return "Unordered";
  }
}

// Native values as a record buffer holds them.
const int16_t kSmallMinusOne = -1;
const uint16_t kWordMax = 65535;
const int32_t kInt7 = 7, kInt3 = 3, kInt1 = 1, kInt2 = 2;
const int64_t kLarge7 = 7;
const int64_t kTwoTo53 = int64_t{1} << 53;
const int64_t kTwoTo53Plus1 = kTwoTo53 + 1;
const double kFloatTwoTo53 = 9007199254740992.0;
const double kFloat2_5 = 2.5, kCurrency1_5 = 1.5;
const double kNaN = std::numeric_limits<double>::quiet_NaN();
const int32_t kDay = 731209;  // 2003-12-25
const int32_t kDayAfter = kDay + 1;
const double kMidnight = kDay * 86400000.0;
const double kMidnightPlus1 = kMidnight + 1;
const int32_t kNoon = 12 * 3600000;
const int32_t kOneMs = 1;
const int16_t kStoredTrue = 2, kStoredFalse = 0;
const uint8_t kComputedTrue = 1, kComputedFalse = 0;

TValueRef V(int type, const void* data, int partial = -1) { return {type, data, partial}; }

TEST_F(ValueCompareTest, ComparesEachPairingByItsRule) {
  struct Case {
    const char* what;
    TValueRef left, right;
    bool ci, no_partial;
    O expected;
  };
  const Case cases[] = {
      // Integer kinds compare exactly; a float on either side makes it floating point.
      {"int = largeint", V(ftInteger, &kInt7), V(ftLargeint, &kLarge7), false, true, O::Equal},
      {"largeint exact at 2^53+1", V(ftLargeint, &kTwoTo53Plus1), V(ftLargeint, &kTwoTo53),
       false, true, O::Greater},
      {"largeint vs float rounds", V(ftLargeint, &kTwoTo53Plus1), V(ftFloat, &kFloatTwoTo53),
       false, true, O::Equal},
      {"smallint -1 < word 65535", V(ftSmallint, &kSmallMinusOne), V(ftWord, &kWordMax), false,
       true, O::Less},
      {"int 3 > float 2.5", V(ftInteger, &kInt3), V(ftFloat, &kFloat2_5), false, true,
       O::Greater},
      {"currency 1.5 < autoinc 2", V(ftCurrency, &kCurrency1_5), V(ftAutoInc, &kInt2), false,
       true, O::Less},
      {"NaN = NaN", V(ftFloat, &kNaN), V(ftFloat, &kNaN), false, true, O::Unordered},
      {"int vs NaN", V(ftInteger, &kInt1), V(ftFloat, &kNaN), false, true, O::Unordered},
      // Dates, times and date-times.
      {"date < date", V(ftDate, &kDay), V(ftDate, &kDayAfter), false, true, O::Less},
      {"time > time", V(ftTime, &kNoon), V(ftTime, &kOneMs), false, true, O::Greater},
      {"date = its midnight", V(ftDate, &kDay), V(ftDateTime, &kMidnight), false, true,
       O::Equal},
      {"date < a ms later", V(ftDate, &kDay), V(ftDateTime, &kMidnightPlus1), false, true,
       O::Less},
      {"datetime > date", V(ftDateTime, &kMidnightPlus1), V(ftDate, &kDay), false, true,
       O::Greater},
      {"datetime vs datetime", V(ftDateTime, &kMidnight), V(ftDateTime, &kMidnightPlus1),
       false, true, O::Less},
      {"time vs date", V(ftTime, &kNoon), V(ftDate, &kDay), false, true, O::Unordered},
      {"datetime vs time", V(ftDateTime, &kMidnight), V(ftTime, &kNoon), false, true,
       O::Unordered},
      // Booleans: stored int16 fields against computed one-byte values.
      {"true = true", V(ftBoolean, &kStoredTrue), V(ftBoolean, &kComputedTrue), false, true,
       O::Equal},
      {"false = false", V(ftBoolean, &kStoredFalse), V(ftBoolean, &kComputedFalse), false,
       true, O::Equal},
      {"false < true", V(ftBoolean, &kComputedFalse), V(ftBoolean, &kStoredTrue), false, true,
       O::Less},
      // Texts, in locale order.
      {"apple < Banana", V(ftString, "apple"), V(ftString, "Banana"), false, true, O::Less},
      {"GIN vs gin", V(ftString, "GIN"), V(ftString, "gin"), false, true, O::Greater},
      {"GIN = gin ignoring case", V(ftString, "GIN"), V(ftFixedChar, "gin"), true, true,
       O::Equal},
      {"memo vs string", V(ftMemo, "Shake well"), V(ftString, "Shake well"), false, true,
       O::Equal},
      // Partial comparison: only the right operand's length counts.
      {"Margarita = 'Mar*'", V(ftString, "Margarita"), V(ftString, "Mar*", 3), false, false,
       O::Equal},
      {"margarita = 'MAR*' ignoring case", V(ftString, "margarita"), V(ftString, "MAR*", 3),
       true, false, O::Equal},
      {"'Mar*' literal when partial is off", V(ftString, "Margarita"), V(ftString, "Mar*", 3),
       false, true, O::Greater},
      {"'Mar*' on the left", V(ftString, "Mar*", 3), V(ftString, "Margarita"), false, false,
       O::Less},
      {"shorter than the partial length", V(ftString, "Ma"), V(ftString, "Mar*", 3), false,
       false, O::Less},
      {"'*' matches anything", V(ftString, "Zombie"), V(ftString, "*", 0), false, false,
       O::Equal},
      // Pairings without an order.
      {"text vs number", V(ftString, "7"), V(ftInteger, &kInt7), false, true, O::Unordered},
      {"wide strings", V(ftWideString, "a"), V(ftWideString, "a"), false, true, O::Unordered},
      {"GUIDs", V(ftGuid, "a"), V(ftGuid, "a"), false, true, O::Unordered},
      {"Oracle clobs", V(ftOraClob, "a"), V(ftOraClob, "a"), false, true, O::Unordered},
      {"boolean vs number", V(ftBoolean, &kComputedTrue), V(ftInteger, &kInt1), false, true,
       O::Unordered},
  };
  for (const Case& c : cases) {
    O got = CompareValues(c.left, c.right, c.ci, c.no_partial);
    EXPECT_EQ(Name(c.expected), std::string(Name(got))) << c.what;
    EXPECT_EQ(c.expected == O::Equal, ValuesEqual(c.left, c.right, c.ci, c.no_partial))
        << c.what;
    EXPECT_EQ(c.expected == O::Less, ValueLess(c.left, c.right, c.ci, c.no_partial)) << c.what;
    EXPECT_EQ(c.expected == O::Greater, ValueGreater(c.left, c.right, c.ci, c.no_partial))
        << c.what;
  }
}

TEST_F(ValueCompareTest, CompareKeyGivesTheIndexOrder) {
  EXPECT_EQ(-1, CompareKey(&kInt1, &kInt2, ftInteger, false, false));
  EXPECT_EQ(0, CompareKey(&kInt2, &kInt2, ftInteger, false, false));
  EXPECT_EQ(1, CompareKey(&kInt3, &kInt2, ftInteger, false, false));
  EXPECT_EQ(1, CompareKey(&kNaN, &kFloat2_5, ftFloat, false, false));  // neither = nor <
  EXPECT_EQ(-1, CompareKey("apple", "Banana", ftString, false, false));
  EXPECT_EQ(0, CompareKey("MARTINI", "Martini", ftString, true, false));
  EXPECT_NE(0, CompareKey("MARTINI", "Martini", ftString, false, false));
}

TEST_F(ValueCompareTest, PartialKeysMatchByTheirPrefix) {
  struct Case {
    const char* key;
    const char* stored;
    int expected;
  };
  const Case cases[] = {
      {"Mar*", "Margarita", 0},  {"Mar*", "Mango", 1},   {"Mar*", "Mas", -1},
      {"mar*", "Margarita", 0},  // letter case ignored
      {"*", "Zombie", 0},        {"Gin", "Gin", 0},      {"Gin", "Ginger", -1},
      {"Margarita", "Mar*", 1},  // a '*' in a stored value is an ordinary character
  };
  for (const Case& c : cases) {  // ignoring case
    EXPECT_EQ(c.expected, CompareKey(c.key, c.stored, ftString, true, true))
        << c.key << " / " << c.stored;
  }
  EXPECT_NE(0, CompareKey("Mar*", "Margarita", ftString, false, false));  // partial off
  EXPECT_EQ(0, CompareKey(&kInt7, &kInt7, ftInteger, false, true));
}

TEST(PartialLengthTest, IsThePositionOfTheFirstStar) {
  EXPECT_EQ(4, PartialLengthOf("Mar*"));
  EXPECT_EQ(1, PartialLengthOf("*"));
  EXPECT_EQ(2, PartialLengthOf("a*b*"));
  EXPECT_EQ(0, PartialLengthOf("Margarita"));
  EXPECT_EQ(0, PartialLengthOf(""));
}

}  // namespace
}  // namespace tinydb
