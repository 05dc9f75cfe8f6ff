// Reading exchange files: the stored-one-higher texts, the version check,
// damaged files refused whole, unusable text positions read as empty texts,
// and incomplete files.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "exchange/ExchangeFormat.h"
#include "exchange/ExchangeReader.h"
#include "exchange/ExchangeWriter.h"

namespace zestoria {
namespace {

using TBytes = std::vector<uint8_t>;

uint8_t* Record(TBytes& bytes, size_t index) {
  return bytes.data() + kExchangeHeaderSize + kExchangeRecordSize * index;
}

// A header stating |count| records, and |records| records of zeros with an
// empty name (stored one higher: ones).
TBytes RawFile(int32_t count, size_t records) {
  TBytes bytes(kExchangeHeaderSize + kExchangeRecordSize * records, 0);
  bytes[0] = '1';
  StoreInt32(bytes.data() + kExchangeRecordCountOffset, count);
  for (size_t i = 0; i < records; ++i) encodeField(Record(bytes, i) + kRecNameOffset, kRecNameEncodedCount);
  return bytes;
}

// Appends a text block of |length| stated bytes holding |text| (stored one
// higher) and returns its position.
int32_t AppendBlock(TBytes& bytes, uint16_t length, const std::string& text) {
  const int32_t position = static_cast<int32_t>(bytes.size());
  bytes.push_back(static_cast<uint8_t>(length));
  bytes.push_back(static_cast<uint8_t>(length >> 8));
  for (char c : text) bytes.push_back(static_cast<uint8_t>(c + 1));
  return position;
}

std::vector<TDrink> ThreeDrinks() {
  std::vector<TDrink> drinks(3);
  drinks[0].name = "Kir";
  drinks[1].name = "Rob Roy";
  drinks[2].name = "Zombie";
  for (TDrink& drink : drinks) drink.ingred = drink.name + " base";
  return drinks;
}

TEST(ExchangeReaderTest, DecodeFieldTakesOneFromEachByteModulo256) {
  uint8_t bytes[] = {0, 1, 76, 255};
  decodeField(bytes, 3);
  EXPECT_EQ(TBytes(bytes, bytes + 4), (TBytes{255, 0, 75, 255}));
  encodeField(bytes, 3);
  EXPECT_EQ(TBytes(bytes, bytes + 4), (TBytes{0, 1, 76, 255}));
}

TEST(ExchangeReaderTest, NameStoredAs4_76_106_115IsKir) {
  TBytes bytes = RawFile(1, 1);
  uint8_t* record = Record(bytes, 0);
  const uint8_t name[] = {4, 76, 106, 115};
  std::copy(name, name + 4, record + kRecNameOffset);
  StoreInt32(record + kRecTypeOffset, 25);
  StoreInt32(record + kRecMarkedOffset, 1);
  StoreInt32(record + kRecReadOnlyOffset, 7);
  const uint8_t status[] = {1, 'X'};
  std::copy(status, status + 2, record + kRecStatusOffset);

  const TExchangeFile file = ParseExchangeFile(bytes);
  ASSERT_EQ(file.drinks.size(), 1u);
  const TDrink& kir = file.drinks[0];
  EXPECT_EQ(kir.name, "Kir");
  EXPECT_EQ(kir.type, 25);
  EXPECT_EQ(kir.marked, 1);
  EXPECT_EQ(kir.read_only, 7);
  EXPECT_EQ(kir.status, "X");  // taken over as stored
  EXPECT_EQ(kir.ingred, "");
  EXPECT_EQ(kir.directions, "");
}

TEST(ExchangeReaderTest, NamesTwentyFifthCharacterIsStoredAsIs) {
  TBytes bytes = RawFile(1, 1);
  uint8_t* record = Record(bytes, 0);
  record[kRecNameOffset] = 25 + 1;
  for (size_t i = 1; i < 25; ++i) record[kRecNameOffset + i] = 'a' + 1;
  record[kRecNameLastCharOffset] = 'Z';
  EXPECT_EQ(ParseExchangeFile(bytes).drinks.at(0).name, std::string(24, 'a') + "Z");
}

TEST(ExchangeReaderTest, OtherVersionsAreRefusedWithTheirByte) {
  for (char version : {'2', '0', 'Z'}) {
    TBytes bytes = RawFile(0, 0);
    bytes[0] = static_cast<uint8_t>(version);
    try {
      ParseExchangeFile(bytes);
      ADD_FAILURE() << "accepted version " << version;
    } catch (const EExchangeVersionError& e) {
      EXPECT_EQ(e.what(), std::string("Error(") + version +
                              "): Can not import drinks.\n\rThis ZDR file is not compatable with "
                              "this version of Zestoria");
      EXPECT_EQ(e.Version(), version);
    }
  }
  // A single byte is enough to tell the version.
  EXPECT_THROW(ParseExchangeFile(TBytes{'2'}), EExchangeVersionError);
}

TEST(ExchangeReaderTest, DamagedFilesAreRefusedWholeNamingThePlace) {
  const TBytes good = BuildExchangeFile("Party", ThreeDrinks());
  struct TCase {
    const char* what;
    std::function<void(TBytes&)> damage;
    const char* expected;
  };
  const TCase cases[] = {
      {"empty file", [](TBytes& b) { b.clear(); }, "the header is 0 bytes long"},
      {"short header", [](TBytes& b) { b.resize(39); }, "the header is 39 bytes long"},
      {"negative count", [](TBytes& b) { StoreInt32(b.data() + kExchangeRecordCountOffset, -1); },
       "the record count -1 is negative"},
      {"long collection name", [](TBytes& b) { b[kExchangeCollectionOffset] = 28; },
       "the collection name is 28 characters long"},
      {"long name", [](TBytes& b) { Record(b, 1)[kRecNameOffset] = 26 + 1; },
       "record 2 has a name of 26 characters"},
      {"name length 255", [](TBytes& b) { Record(b, 0)[kRecNameOffset] = 0; },
       "record 1 has a name of 255 characters"},
      {"long status", [](TBytes& b) { Record(b, 2)[kRecStatusOffset] = 5; },
       "record 3 has a status of 5 characters"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.what);
    TBytes bytes = good;
    c.damage(bytes);
    try {
      ParseExchangeFile(bytes);
      ADD_FAILURE() << "accepted";
    } catch (const EExchangeDamagedError& e) {
      const std::string message = e.what();
      EXPECT_EQ(message.rfind("Error: Can not import drinks.\n\rThis ZDR file is damaged: ", 0), 0u)
          << message;
      EXPECT_NE(message.find(c.expected), std::string::npos) << message;
    }
  }
}

TEST(ExchangeReaderTest, UnusableTextPositionsGiveEmptyTexts) {
  // One record; the ingredients position is the case, the directions
  // always point at a good block so the record itself stays sound.
  struct TCase {
    const char* what;
    std::function<int32_t(TBytes&)> place;  // appends what it needs, returns the position
    std::string expected;
  };
  const std::string five_hundred(500, 'x');
  const TCase cases[] = {
      {"zero", [](TBytes&) { return 0; }, ""},
      {"negative", [](TBytes&) { return -44; }, ""},
      {"in the header", [](TBytes&) { return 8; }, ""},
      {"inside the records",
       [](TBytes& b) {
         StoreUint16(Record(b, 0) + 100, 3);  // looks like a block, but is record bytes
         return static_cast<int32_t>(kExchangeHeaderSize + 100);
       },
       ""},
      {"longer than 500",
       [](TBytes& b) { return AppendBlock(b, 501, std::string(501, 'x')); }, ""},
      {"exactly 500", [&](TBytes& b) { return AppendBlock(b, 500, five_hundred); }, five_hundred},
      {"empty block", [](TBytes& b) { return AppendBlock(b, 0, ""); }, ""},
      {"right after the records", [](TBytes& b) { return AppendBlock(b, 3, "Gin"); }, "Gin"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.what);
    TBytes bytes = RawFile(1, 1);
    const int32_t directions = AppendBlock(bytes, 4, "Stir");
    const int32_t ingred = c.place(bytes);
    StoreInt32(Record(bytes, 0) + kRecIngredOffset, ingred);
    StoreInt32(Record(bytes, 0) + kRecDirectionsOffset, directions);
    const TExchangeFile file = ParseExchangeFile(bytes);
    ASSERT_EQ(file.drinks.size(), 1u);
    EXPECT_EQ(file.drinks[0].ingred, c.expected);
    EXPECT_EQ(file.drinks[0].directions, "Stir");
  }
}

TEST(ExchangeReaderTest, OnlyCompleteRecordsUpToTheStatedCountAreRead) {
  const TBytes three = BuildExchangeFile("Party", ThreeDrinks());
  const size_t records_end = kExchangeHeaderSize + 3 * kExchangeRecordSize;

  // A final record cut short is not read; the two whole records before it
  // have their texts after the records, beyond the new end: left out too.
  TBytes cut(three.begin(), three.begin() + records_end - 1);
  EXPECT_EQ(ParseExchangeFile(cut).drinks.size(), 0u);
  EXPECT_EQ(ParseExchangeFile(cut).incomplete, 2u);
  EXPECT_EQ(ParseExchangeFile(cut).recordCount, 3);

  // A count larger than the file holds gives the complete records present;
  // their texts would lie beyond the stated records and read empty.
  TBytes more = three;
  StoreInt32(more.data() + kExchangeRecordCountOffset, 1000000);
  const TExchangeFile file = ParseExchangeFile(more);
  ASSERT_EQ(file.drinks.size(), 3u);
  EXPECT_EQ(file.drinks[2].name, "Zombie");
  EXPECT_EQ(file.drinks[2].ingred, "");

  // A smaller count reads only that many records.
  TBytes fewer = three;
  StoreInt32(fewer.data() + kExchangeRecordCountOffset, 2);
  EXPECT_EQ(ParseExchangeFile(fewer).drinks.size(), 2u);

  TBytes none = three;
  StoreInt32(none.data() + kExchangeRecordCountOffset, 0);
  EXPECT_TRUE(ParseExchangeFile(none).drinks.empty());
  EXPECT_EQ(ParseExchangeFile(none).collectionName, "Party");
}

// A file cut short: a drink whose ingredients or directions lie wholly or
// partly beyond the new end is never read with empty texts in their place;
// it is left out and counted. The whole drinks before it are read.
TEST(ExchangeReaderTest, DrinksWithTextsBeyondTheEndAreLeftOutAndCounted) {
  struct TCase {
    const char* what;
    std::function<int32_t(TBytes&)> place;
  };
  const TCase cases[] = {
      {"past the end", [](TBytes& b) { return static_cast<int32_t>(b.size() + 10); }},
      {"at the end", [](TBytes& b) { return static_cast<int32_t>(b.size()); }},
      {"length past the end", [](TBytes& b) { return AppendBlock(b, 10, "short"); }},
      {"only a length byte",
       [](TBytes& b) {
         b.push_back(3);
         return static_cast<int32_t>(b.size() - 1);
       }},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.what);
    for (const bool directions_cut : {false, true}) {
      TBytes bytes = RawFile(2, 2);
      StoreInt32(Record(bytes, 0) + kRecIngredOffset, AppendBlock(bytes, 3, "Gin"));
      StoreInt32(Record(bytes, 0) + kRecDirectionsOffset, AppendBlock(bytes, 4, "Stir"));
      const int32_t good = AppendBlock(bytes, 4, "Rum!");
      const int32_t cut = c.place(bytes);
      StoreInt32(Record(bytes, 1) + kRecIngredOffset, directions_cut ? good : cut);
      StoreInt32(Record(bytes, 1) + kRecDirectionsOffset, directions_cut ? cut : good);
      const TExchangeFile file = ParseExchangeFile(bytes);
      ASSERT_EQ(file.drinks.size(), 1u);
      EXPECT_EQ(file.drinks[0].ingred, "Gin");
      EXPECT_EQ(file.drinks[0].directions, "Stir");
      EXPECT_EQ(file.incomplete, 1u);
    }
  }

  // A real file cut as a user finds it: 19 drinks, cut well into the texts.
  std::vector<TDrink> drinks;
  for (int i = 0; i < 19; ++i) {
    TDrink drink;
    drink.name = "Drink " + std::to_string(i);
    drink.ingred = std::string(60 + i, 'i');
    drink.directions = std::string(140 + i, 'd');
    drinks.push_back(drink);
  }
  const TBytes whole = BuildExchangeFile("Party", drinks);
  const TBytes cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(whole.size() * 87 / 100));
  const TExchangeFile file = ParseExchangeFile(cut);
  EXPECT_GT(file.incomplete, 0u);
  EXPECT_EQ(file.drinks.size() + file.incomplete, 19u);
  for (size_t i = 0; i < file.drinks.size(); ++i) {
    EXPECT_EQ(file.drinks[i].ingred, drinks[i].ingred);
    EXPECT_EQ(file.drinks[i].directions, drinks[i].directions);
  }
}

}  // namespace
}  // namespace zestoria
