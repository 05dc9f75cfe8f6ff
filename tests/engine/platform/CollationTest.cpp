// Texts sort the way the user's locale sorts them, not by character codes.
#include "platform/Collation.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

namespace tinydb {
namespace {

class CollationTest : public ::testing::Test {
 protected:
  void SetUp() override { SetCollationLocale("en_US"); }
  void TearDown() override { SetCollationLocale(""); }
};

TEST_F(CollationTest, OrdersWordsAlphabeticallyNotByCharacterCode) {
  // Byte order would put every capital before every small letter.
  EXPECT_EQ(-1, CollateTexts("apple", "Banana", false));
  EXPECT_EQ(-1, CollateTexts("Banana", "cherry", false));
  EXPECT_EQ(1, CollateTexts("cherry", "apple", false));
  EXPECT_EQ(0, CollateTexts("Gin", "Gin", false));
  EXPECT_EQ(-1, CollateTexts("", "a", false));
}

TEST_F(CollationTest, IgnoringCaseKeepsAccentsApart) {
  EXPECT_NE(0, CollateTexts("GIN", "gin", false));
  EXPECT_EQ(0, CollateTexts("GIN", "gin", true));
  EXPECT_EQ(0, CollateTexts("Cr\xC8me", "cr\xE8me", true));  // Crème / crème
  EXPECT_NE(0, CollateTexts("creme", "cr\xE8me", true));
}

TEST_F(CollationTest, AccentedWindows1252LettersSortBesideTheirBaseLetter) {
  // 0xE9 is e acute, 0x8A S caron, 0x9F Y diaeresis: above 'z' as bytes.
  const std::vector<std::string> ordered = {
      "eclair", "\xE9" "clair", "fig", "Sa", "\x8A" "a", "Sb", "Ya", "\x9F" "b", "zebra"};
  for (size_t i = 0; i + 1 < ordered.size(); ++i) {
    EXPECT_EQ(-1, CollateTexts(ordered[i], ordered[i + 1], false))
        << ordered[i] << " / " << ordered[i + 1];
  }
}

TEST_F(CollationTest, LongTextsOutsideAsciiCompareToTheLastCharacter) {
  std::string a(700, '\xE9');
  std::string b = a;
  a += "a";
  b += "b";
  EXPECT_EQ(-1, CollateTexts(a, b, false));
  EXPECT_EQ(0, CollateTexts(a, a, true));
}

TEST_F(CollationTest, TheLocaleDecidesTheOrder) {
  // Swedish sorts o diaeresis after z; English beside o.
  EXPECT_EQ(-1, CollateTexts("\xF6l", "zebra", false));
  SetCollationLocale("sv_SE");
  EXPECT_EQ(1, CollateTexts("\xF6l", "zebra", false));
}

TEST_F(CollationTest, CAndUnknownLocalesFallBackToTheRootOrder) {
  // ICU's POSIX order would sort by character code (Banana before apple).
  for (const char* id : {"C", "POSIX", "C.UTF-8", "xx_YY"}) {
    SetCollationLocale(id);
    EXPECT_EQ(-1, CollateTexts("apple", "Banana", false)) << id;
    EXPECT_EQ(-1, CollateTexts("\xE9" "clair", "fig", false)) << id;
  }
  const char* saved = std::getenv("LC_ALL");
  std::string saved_value = saved ? saved : "";
  setenv("LC_ALL", "C", 1);
  SetCollationLocale("");
  EXPECT_EQ(-1, CollateTexts("apple", "Banana", false));
  if (saved) {
    setenv("LC_ALL", saved_value.c_str(), 1);
  } else {
    unsetenv("LC_ALL");
  }
}

TEST_F(CollationTest, ThreadsCompareAtTheSameTime) {
  std::vector<std::thread> threads;
  std::vector<int> failures(4, 0);
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&failures, t] {
      for (int i = 0; i < 500; ++i) {
        if (CollateTexts("apple", "Banana", false) != -1) ++failures[t];
        if (CollateTexts("GIN", "gin", true) != 0) ++failures[t];
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(std::vector<int>(4, 0), failures);
}

}  // namespace
}  // namespace tinydb
