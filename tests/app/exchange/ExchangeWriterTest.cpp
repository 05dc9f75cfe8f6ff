// Writing exchange files: the byte layout the reader expects, the limits,
// and a round trip of every field.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "exchange/ExchangeFormat.h"
#include "exchange/ExchangeReader.h"
#include "exchange/ExchangeWriter.h"

namespace zestoria {
namespace {

using TBytes = std::vector<uint8_t>;

// Every byte value, cycled to |length| bytes.
std::string AllBytes(size_t length, int start = 0) {
  std::string text;
  for (size_t i = 0; i < length; ++i) text += static_cast<char>((start + i) % 256);
  return text;
}

TEST(ExchangeWriterTest, LayoutOfHeaderRecordAndTextBlocks) {
  TDrink kir;
  kir.id = 77;
  kir.name = "Kir";
  kir.ingred = "Wine";
  kir.type = 25;
  kir.season = 1;
  kir.glass = 13;
  kir.temp = 0;
  kir.marked = 1;
  kir.status = "N";
  kir.read_only = -1;
  kir.comment = "French";
  const TBytes bytes = BuildExchangeFile("Apéritifs", {kir});

  ASSERT_GE(bytes.size(), kExchangeHeaderSize + kExchangeRecordSize);
  EXPECT_EQ(bytes[0], '1');
  EXPECT_EQ(bytes[kExchangeCollectionOffset], 10);  // UTF-8 here; written byte for byte
  EXPECT_EQ(LoadInt32(bytes.data() + kExchangeRecordCountOffset), 1);

  const uint8_t* record = bytes.data() + kExchangeHeaderSize;
  EXPECT_EQ(LoadInt32(record + kRecIdOffset), 77);
  EXPECT_EQ(TBytes(record + 4, record + 8), (TBytes{4, 76, 106, 115}));  // "Kir", one higher
  EXPECT_EQ(LoadInt32(record + kRecDirectionsOffset), 0);  // empty text: no block
  EXPECT_EQ(LoadInt32(record + kRecTypeOffset), 25);
  EXPECT_EQ(LoadInt32(record + kRecSeasonOffset), 1);
  EXPECT_EQ(LoadInt32(record + kRecGlassOffset), 13);
  EXPECT_EQ(LoadInt32(record + kRecTempOffset), 0);
  EXPECT_EQ(LoadInt32(record + kRecMarkedOffset), 1);
  EXPECT_EQ(TBytes(record + 60, record + 62), (TBytes{1, 'N'}));
  EXPECT_EQ(LoadInt32(record + kRecReadOnlyOffset), -1);
  EXPECT_EQ(record[kRecCommentOffset], 6);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(record) + 73, 6), "French");

  const int32_t ingred = LoadInt32(record + kRecIngredOffset);
  EXPECT_EQ(ingred, static_cast<int32_t>(kExchangeHeaderSize + kExchangeRecordSize));
  EXPECT_EQ(LoadUint16(bytes.data() + ingred), 4);
  EXPECT_EQ(TBytes(bytes.begin() + ingred + 2, bytes.end()), (TBytes{'W' + 1, 'i' + 1, 'n' + 1, 'e' + 1}));
}

TEST(ExchangeWriterTest, EveryFieldRoundTripsWithinItsLimits) {
  std::vector<TDrink> drinks(3);
  drinks[0].name = AllBytes(25, 240);  // wraps through 255 and 0
  drinks[0].ingred = AllBytes(500);
  drinks[0].directions = AllBytes(500, 128);
  drinks[0].type = -1;
  drinks[0].season = 5;
  drinks[0].glass = 14;
  drinks[0].temp = 2;
  drinks[0].marked = 1;
  drinks[0].status = "ABCD";
  drinks[0].read_only = -1;
  drinks[0].comment = AllBytes(255, 1);
  drinks[1].name = "Kir";  // every other field empty or zero
  drinks[2].name = "Rob Roy";
  drinks[2].ingred = "2 oz Scotch\r\n1 oz Sweet Vermouth";
  drinks[2].directions = "Stir.";
  drinks[2].type = 3;
  for (size_t i = 0; i < drinks.size(); ++i) drinks[i].id = static_cast<int32_t>(100 + i);

  const TExchangeFile file = ParseExchangeFile(BuildExchangeFile("Collection", drinks));
  EXPECT_EQ(file.collectionName, "Collection");
  EXPECT_EQ(file.recordCount, 3);
  EXPECT_EQ(file.drinks, drinks);
}

TEST(ExchangeWriterTest, TextsBeyondTheirLimitsAreCut) {
  TDrink drink;
  drink.name = std::string(30, 'n');
  drink.ingred = std::string(700, 'i');
  drink.directions = std::string(501, 'd');
  drink.status = "ABCDEF";
  drink.comment = std::string(400, 'c');
  const TExchangeFile file = ParseExchangeFile(BuildExchangeFile(std::string(40, 'C'), {drink}));
  EXPECT_EQ(file.collectionName, std::string(27, 'C'));
  ASSERT_EQ(file.drinks.size(), 1u);
  EXPECT_EQ(file.drinks[0].name, std::string(25, 'n'));
  EXPECT_EQ(file.drinks[0].ingred, std::string(500, 'i'));
  EXPECT_EQ(file.drinks[0].directions, std::string(500, 'd'));
  EXPECT_EQ(file.drinks[0].status, "ABCD");
  EXPECT_EQ(file.drinks[0].comment, std::string(255, 'c'));
}

TEST(ExchangeWriterTest, AnEmptyCollectionIsAHeaderOnly) {
  const TBytes bytes = BuildExchangeFile("", {});
  EXPECT_EQ(bytes.size(), kExchangeHeaderSize);
  EXPECT_TRUE(ParseExchangeFile(bytes).drinks.empty());
}

}  // namespace
}  // namespace zestoria
