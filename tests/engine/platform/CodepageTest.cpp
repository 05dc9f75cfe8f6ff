// Windows-1252 texts travel to UTF-8 and back without loss.
#include "platform/Codepage.h"

#include <gtest/gtest.h>

#include <string>

namespace tinydb {
namespace {

TEST(CodepageTest, ConvertsTheCharactersThatDifferFromLatin1) {
  struct Case {
    std::string cp1252;
    std::string utf8;
  };
  const Case cases[] = {
      {"Gin & Tonic", "Gin & Tonic"},
      {"\x80", "\xE2\x82\xAC"},                 // euro sign
      {"\x8A\x9F", "\xC5\xA0\xC5\xB8"},         // S caron, Y diaeresis
      {"\x93hi\x94", "\xE2\x80\x9Chi\xE2\x80\x9D"},  // curly quotes
      {"Cura\xE7\x61o", "Cura\xC3\xA7\x61o"},  // c cedilla
      {"\xFF", "\xC3\xBF"},
      {std::string("a\0b", 3), std::string("a\0b", 3)},
      {"", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.utf8, Cp1252ToUtf8(c.cp1252));
    std::string back;
    ASSERT_TRUE(Utf8ToCp1252(c.utf8, &back)) << c.utf8;
    EXPECT_EQ(c.cp1252, back);
  }
}

TEST(CodepageTest, EveryByteRoundTripsIncludingTheUnassignedOnes) {
  std::string all;
  for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
  std::string back;
  ASSERT_TRUE(Utf8ToCp1252(Cp1252ToUtf8(all), &back));
  EXPECT_EQ(all, back);
  EXPECT_EQ("\xC2\x81\xC2\x8D\xC2\x8F\xC2\x90\xC2\x9D", Cp1252ToUtf8("\x81\x8D\x8F\x90\x9D"));
}

TEST(CodepageTest, RefusesCharactersOutsideTheCodePageAndMalformedUtf8) {
  const char* refused[] = {
      "\xE2\x82\xAC\xE4\xB8\xAD",  // a CJK character after a euro sign
      "\xF0\x9F\x8D\xB8",          // cocktail glass emoji
      "\xC2\x80",                  // U+0080 is not where 1252 keeps the euro
      "abc\xC3",                   // truncated sequence
      "\xC0\xAF",                  // overlong encoding
      "\xED\xA0\x80",              // encoded surrogate
      "\xFF",                      // never valid in UTF-8
  };
  for (const char* text : refused) {
    std::string out;
    EXPECT_FALSE(Utf8ToCp1252(text, &out)) << text;
  }
}

}  // namespace
}  // namespace tinydb
