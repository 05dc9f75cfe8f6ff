// Importing exchange files into the catalogue: new ids after the highest,
// one save, nothing at all from a damaged file, and the import's texts.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/catalogue/CatalogueTestKit.h"
#include "catalogue/DrinkCatalogue.h"
#include "exchange/DrinkImport.h"
#include "exchange/ExchangeFormat.h"
#include "exchange/ExchangeReader.h"
#include "exchange/ExchangeWriter.h"
#include "platform/Errors.h"
#include "platform/Streams.h"

namespace zestoria {
namespace {

using test::SampleDrink;

class DrinkImportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    db_ = folder_.Path("zestoria.tdb");
    test::CreateCatalogueFile(db_);
    TDrinkCatalogue catalogue;
    catalogue.Open(db_);
    catalogue.SetNextDrinkId(1);
    for (const char* name : {"Apple", "Bellini", "Kir", "Zombie"})
      catalogue.InsertDrink(SampleDrink(name), false);
    catalogue.SaveDatabase();
  }

  // Opens the catalogue as the program starts.
  void Start(TDrinkCatalogue& catalogue, const std::string& db) {
    catalogue.Open(db);
    catalogue.ListDrinks("", true);
  }

  std::string WriteFile(const std::string& name, const std::vector<uint8_t>& bytes) {
    const std::string path = folder_.Path(name);
    tinydb::TMemoryStream(bytes).SaveToFile(path);
    return path;
  }

  tinydb::test::TTempDir folder_;
  std::string db_;
};

TEST_F(DrinkImportTest, ThreeDrinksGetTheNextThreeIdsAndAreSaved) {
  TDrink marked = SampleDrink("Mojito", 15, "x");
  marked.marked = 1;
  const std::string zdr = WriteFile(
      "party.zdr", BuildExchangeFile("Summer Party", {SampleDrink("Mojito"), marked, SampleDrink("Daiquiri")}));
  TDrinkCatalogue catalogue;
  Start(catalogue, db_);
  const TImportResult result = ImportDrinkFile(catalogue, zdr);
  EXPECT_EQ(result.collectionName, "Summer Party");
  EXPECT_EQ(result.ids, (std::vector<int32_t>{5, 6, 7}));
  EXPECT_EQ(catalogue.NextDrinkId(), 8);

  const std::string filter = ImportedDrinksFilter(result.ids);
  EXPECT_EQ(filter, "id=5 or id=6 or id=7");
  std::vector<int32_t> listed;
  for (const TListedDrink& drink : catalogue.ListDrinks(filter)) listed.push_back(drink.id);
  EXPECT_EQ(listed, result.ids);

  // On disk already, marks as stored in the file.
  TDrinkCatalogue reopened;
  reopened.Open(db_);
  EXPECT_EQ(reopened.LoadDrink(6).marked, 1);
  EXPECT_EQ(reopened.LoadDrink(6).type, 15);
  EXPECT_EQ(reopened.LoadDrink(7).name, "Daiquiri");
}

TEST_F(DrinkImportTest, DamagedFileImportsNothingAndLeavesTheDatabaseFile) {
  std::vector<uint8_t> bytes =
      BuildExchangeFile("Bad", {SampleDrink("Fine"), SampleDrink("Fine too"), SampleDrink("Broken")});
  bytes[kExchangeHeaderSize + 2 * kExchangeRecordSize + kRecNameOffset] = 40 + 1;
  const std::string zdr = WriteFile("bad.zdr", bytes);
  const std::vector<uint8_t> before = test::FileBytes(db_);

  TDrinkCatalogue catalogue;
  Start(catalogue, db_);
  try {
    ImportDrinkFile(catalogue, zdr);
    ADD_FAILURE() << "imported a damaged file";
  } catch (const EExchangeDamagedError& e) {
    EXPECT_NE(std::string(e.what()).find("record 3"), std::string::npos) << e.what();
  }
  EXPECT_EQ(catalogue.ListDrinks("").size(), 4u);
  EXPECT_EQ(catalogue.NextDrinkId(), 5);
  EXPECT_EQ(test::FileBytes(db_), before);

  // Neither a foreign version nor a missing file adds anything.
  bytes[0] = '2';
  EXPECT_THROW(ImportDrinkFile(catalogue, WriteFile("v2.zdr", bytes)), EExchangeVersionError);
  EXPECT_THROW(ImportDrinkFile(catalogue, folder_.Path("missing.zdr")), tinydb::EFOpenError);
  EXPECT_EQ(catalogue.ListDrinks("").size(), 4u);
}

TEST_F(DrinkImportTest, UnusableTextPositionsImportWithEmptyTexts) {
  std::vector<uint8_t> bytes = BuildExchangeFile("Odd", {SampleDrink("Kir")});
  uint8_t* record = bytes.data() + kExchangeHeaderSize;
  StoreInt32(record + kRecIngredOffset, 44);                                   // inside the record
  StoreInt32(record + kRecDirectionsOffset, 8);                                // in the header
  TDrinkCatalogue catalogue;
  Start(catalogue, db_);
  const TImportResult result = ImportDrinkFile(catalogue, WriteFile("odd.zdr", bytes));
  ASSERT_EQ(result.ids.size(), 1u);
  const TDrink kir = catalogue.LoadDrink(result.ids[0]);
  EXPECT_EQ(kir.name, "Kir");
  EXPECT_EQ(kir.ingred, "");
  EXPECT_EQ(kir.directions, "");
  EXPECT_EQ(kir.comment, "About Kir");
}

TEST_F(DrinkImportTest, ExportThenImportKeepsEveryFieldOfEveryDrink) {
  // Drinks with texts up to the exchange limit and unusual values.
  TDrink full = SampleDrink("Long Island Iced Tea", 15, std::string(300, 't'));
  full.ingred = std::string(500, 'i');
  full.directions = std::string(499, 'd') + "\xE9";
  full.comment = std::string(255, 'c');
  full.read_only = -1;
  full.status = "XYZW";
  TDrink bare;
  bare.name = "X";
  bare.type = bare.season = bare.glass = -1;
  {
    TDrinkCatalogue catalogue;
    Start(catalogue, db_);
    catalogue.InsertDrink(full, false);
    catalogue.InsertDrink(bare, true);
  }
  TDrinkCatalogue source;
  Start(source, db_);
  std::vector<TDrink> drinks;
  for (const TListedDrink& listed : source.ListDrinks("")) drinks.push_back(source.LoadDrink(listed.id));
  const std::string zdr = folder_.Path("all.zdr");
  WriteExchangeFile(zdr, "Everything", drinks);

  const std::string fresh = folder_.Path("fresh.tdb");
  test::CreateCatalogueFile(fresh);
  TDrinkCatalogue target;
  Start(target, fresh);
  const TImportResult result = ImportDrinkFile(target, zdr);
  ASSERT_EQ(result.ids.size(), drinks.size());
  for (size_t i = 0; i < drinks.size(); ++i) {
    TDrink expected = drinks[i];
    expected.id = result.ids[i];
    EXPECT_EQ(target.LoadDrink(result.ids[i]), expected) << drinks[i].name;
  }
}

TEST(DrinkImportTextsTest, Questions) {
  // "Import " and the name together stop at 32 characters.
  EXPECT_EQ(ImportQuestion("ABCDEFGHIJKLMNOPQRSTUVWXYZ!"), "Import ABCDEFGHIJKLMNOPQRSTUVWXY?");
  EXPECT_EQ(ImportQuestion("Party"), "Import Party?");
  EXPECT_EQ(ImportQuestion(""), "Import ?");
  EXPECT_EQ(ImportedQuestion(3), "Added 3 drinks to the database.\n\rDisplay newly add drinks?");
  EXPECT_EQ(ImportedDrinksFilter({}), "");
  EXPECT_EQ(ImportedDrinksFilter({812, 813}), "id=812 or id=813");
}

}  // namespace
}  // namespace zestoria
