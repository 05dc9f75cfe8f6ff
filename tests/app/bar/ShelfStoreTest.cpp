// The shelf kept as the table "shelf" of the catalogue file: added the
// first time a shelf is stored, read back after the file is opened again,
// and an older file without it left exactly as it was.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/catalogue/CatalogueTestKit.h"
#include "bar/ShelfStore.h"
#include "catalogue/DrinkCatalogue.h"
#include "processing/DataProcess.h"
#include "support/ToolRun.h"
#include "tables/TinyDB.h"

namespace zestoria::bar {
namespace {

using Names = std::vector<std::string>;

class ShelfStoreTest : public tinydb::test::TToolTest {
 protected:
  ShelfStoreTest() : TToolTest("shelfstore-") {}

  void SetUp() override {
    tinydb::RegisterStandardModules();
    test::CreateCatalogueFile(path_);
    TDrinkCatalogue catalogue;
    catalogue.Open(path_);
    catalogue.InsertDrink(test::SampleDrink("Negroni"), false);
    catalogue.InsertDrink(test::SampleDrink("Americano"), true);
  }

  // The names a fresh open of the file finds, and its drinks still there.
  Names Reopened() {
    TDrinkCatalogue catalogue;
    catalogue.Open(path_);
    EXPECT_EQ(catalogue.ListDrinks("", true).size(), 2u);
    return LoadShelfNames(catalogue);
  }

  const std::string path_ = Path("zestoria.tdb");
};

TEST_F(ShelfStoreTest, FileWithoutTheTableOpensAsBeforeWithAnEmptyShelf) {
  const std::vector<uint8_t> before = test::FileBytes(path_);
  {
    TDrinkCatalogue catalogue;
    catalogue.Open(path_);
    catalogue.ListDrinks("", true);
    EXPECT_FALSE(HasShelfTable(catalogue));
    EXPECT_EQ(LoadShelfNames(catalogue), Names{});
  }
  EXPECT_EQ(test::FileBytes(path_), before);

  // A shelf emptied by the user is stored all the same, so that it is told
  // apart from one never chosen.
  {
    TDrinkCatalogue catalogue;
    catalogue.Open(path_);
    SaveShelfNames(catalogue, {});
    EXPECT_TRUE(HasShelfTable(catalogue));
  }
  TDrinkCatalogue reopened;
  reopened.Open(path_);
  EXPECT_TRUE(HasShelfTable(reopened));
  EXPECT_EQ(LoadShelfNames(reopened), Names{});
}

TEST_F(ShelfStoreTest, ShelfSurvivesAReopenAndEveryChangeIsSaved) {
  {
    TDrinkCatalogue catalogue;
    catalogue.Open(path_);
    SaveShelfNames(catalogue, {"Sweet vermouth", "Gin", "Campari", "Gin"});
    EXPECT_TRUE(HasShelfTable(catalogue));
    EXPECT_EQ(LoadShelfNames(catalogue), (Names{"Campari", "Gin", "Sweet vermouth"}));
    // The drink cursor open while the table was added reads on.
    EXPECT_EQ(catalogue.LoadDrink(1).name, "Americano");
  }
  EXPECT_EQ(Reopened(), (Names{"Campari", "Gin", "Sweet vermouth"}));

  {
    TDrinkCatalogue catalogue;
    catalogue.Open(path_);
    SaveShelfNames(catalogue, {"Lemon", "Gin"});
  }
  EXPECT_EQ(Reopened(), (Names{"Gin", "Lemon"}));

  // The same shelf again writes nothing.
  const std::vector<uint8_t> saved = test::FileBytes(path_);
  {
    TDrinkCatalogue catalogue;
    catalogue.Open(path_);
    SaveShelfNames(catalogue, {"Gin", "Lemon", "Gin"});
  }
  EXPECT_EQ(test::FileBytes(path_), saved);

  {
    TDrinkCatalogue catalogue;
    catalogue.Open(path_);
    SaveShelfNames(catalogue, {});
    EXPECT_TRUE(HasShelfTable(catalogue));
    // The drink cursor writes on after the shelf was emptied.
    catalogue.ListDrinks("", true);
    catalogue.InsertDrink(test::SampleDrink("Boulevardier"), true);
    EXPECT_EQ(catalogue.ListDrinks("").size(), 3u);
  }
  TDrinkCatalogue catalogue;
  catalogue.Open(path_);
  EXPECT_EQ(LoadShelfNames(catalogue), Names{});
}

TEST_F(ShelfStoreTest, NamesTheFieldCannotHoldAreRefusedBeforeAnythingChanges) {
  const std::vector<uint8_t> before = test::FileBytes(path_);
  TDrinkCatalogue catalogue;
  catalogue.Open(path_);
  for (const Names& names : {Names{"Gin", std::string(64, 'x')}, Names{"Gin", ""}}) {
    EXPECT_THROW(SaveShelfNames(catalogue, names), tinydb::EDatabaseError);
    EXPECT_FALSE(HasShelfTable(catalogue));
  }
  EXPECT_EQ(test::FileBytes(path_), before);
  SaveShelfNames(catalogue, {std::string(63, 'x')});
  EXPECT_EQ(LoadShelfNames(catalogue), Names{std::string(63, 'x')});
}

TEST_F(ShelfStoreTest, TheSavedFilePassesTheEnginesStructureCheck) {
  {
    TDrinkCatalogue catalogue;
    catalogue.Open(path_);
    SaveShelfNames(catalogue, {"Gin", "Campari", "Sweet vermouth", "Lemon"});
    SaveShelfNames(catalogue, {"Gin", "Campari", "Sweet vermouth", "Club soda"});
  }
  const tinydb::test::TRun check =
      Run(ZESTORIA_TDB, {"check", path_, "--password", kCataloguePassword});
  EXPECT_EQ(check.exit_code, 0) << check.out << check.err;
  EXPECT_NE(check.out.find("ok"), std::string::npos) << check.out;
  const tinydb::test::TRun dump = Run(
      ZESTORIA_TDB, {"dump", path_, "shelf", "--password", kCataloguePassword, "--index", "name"});
  EXPECT_EQ(dump.out,
            "{\"name\":\"Campari\"}\n{\"name\":\"Club soda\"}\n{\"name\":\"Gin\"}\n"
            "{\"name\":\"Sweet vermouth\"}\n");
}

}  // namespace
}  // namespace zestoria::bar
