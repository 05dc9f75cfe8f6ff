// The catalogue database: opening the file as the program starts, the
// listing walk, adding, changing and deleting drinks, and saving.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CatalogueTestKit.h"
#include "catalogue/DrinkCatalogue.h"
#include "platform/Errors.h"
#include "tables/TinyDB.h"

namespace zestoria {
namespace {

using test::SampleDrink;

class DrinkCatalogueTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = folder_.Path("zestoria.tdb");
    test::CreateCatalogueFile(path_);
  }

  // Opens the file as the program starts and returns the start-up listing.
  std::vector<TListedDrink> Start(TDrinkCatalogue& catalogue) {
    catalogue.Open(path_);
    return catalogue.ListDrinks("", true);
  }

  // Stores |drinks| under the given ids, marks and all, and saves.
  void Store(const std::vector<std::pair<int32_t, TDrink>>& drinks) {
    TDrinkCatalogue catalogue;
    catalogue.Open(path_);
    for (const auto& [id, drink] : drinks) {
      catalogue.SetNextDrinkId(id);
      catalogue.InsertDrink(drink, false);
    }
    catalogue.SaveDatabase();
  }

  static std::vector<int32_t> Ids(const std::vector<TListedDrink>& listed) {
    std::vector<int32_t> ids;
    for (const TListedDrink& drink : listed) ids.push_back(drink.id);
    return ids;
  }

  tinydb::test::TTempDir folder_;
  std::string path_;
};

TEST_F(DrinkCatalogueTest, EmptyTableStartsWithNextIdZero) {
  TDrinkCatalogue catalogue;
  EXPECT_TRUE(Start(catalogue).empty());
  EXPECT_EQ(catalogue.NextDrinkId(), 0);
  EXPECT_EQ(catalogue.InsertDrink(SampleDrink("Kir"), true), 0);
}

TEST_F(DrinkCatalogueTest, OnlyNegativeIdsLeaveNextIdZero) {
  Store({{-5, SampleDrink("Kir")}, {-2, SampleDrink("Rob Roy")}});
  TDrinkCatalogue catalogue;
  EXPECT_EQ(Ids(Start(catalogue)), (std::vector<int32_t>{-5, -2}));
  EXPECT_EQ(catalogue.NextDrinkId(), 0);
}

TEST_F(DrinkCatalogueTest, StartupListsInIdOrderRaisesNextIdAndClearsMarksInTheFile) {
  TDrink marked = SampleDrink("Bellini");
  marked.marked = 1;
  Store({{7, marked}, {3, SampleDrink("Zombie")}, {12, marked}});
  {
    TDrinkCatalogue catalogue;
    const std::vector<TListedDrink> listed = Start(catalogue);
    EXPECT_EQ(Ids(listed), (std::vector<int32_t>{3, 7, 12}));
    for (const TListedDrink& drink : listed) EXPECT_EQ(drink.marked, 0) << drink.id;
    EXPECT_EQ(catalogue.NextDrinkId(), 13);
    EXPECT_EQ(catalogue.LoadDrink(7).marked, 0);
    catalogue.SaveDatabase();
  }
  // Marks last one run: the saved file holds none.
  TDrinkCatalogue reopened;
  reopened.Open(path_);
  for (const TListedDrink& drink : reopened.ListDrinks("")) EXPECT_EQ(drink.marked, 0) << drink.id;
  EXPECT_EQ(reopened.NextDrinkId(), 0);  // a listing that is not the start-up one
}

TEST_F(DrinkCatalogueTest, MarksSurviveListingsOtherThanTheStartupOne) {
  TDrink marked = SampleDrink("Bellini");
  marked.marked = 1;
  Store({{1, marked}});
  TDrinkCatalogue catalogue;
  catalogue.Open(path_);
  ASSERT_EQ(catalogue.ListDrinks("marked = 1").size(), 1u);
  EXPECT_EQ(catalogue.ListDrinks("marked = 1")[0].marked, 1);
}

TEST_F(DrinkCatalogueTest, FilterWalkIgnoresCaseAndFindsTheWordAnywhere) {
  TDrink gin = SampleDrink("Martini"), caps = SampleDrink("Gibson"), ginger = SampleDrink("Mule"),
         sloe = SampleDrink("Sloe Fizz"), none = SampleDrink("Screwdriver");
  gin.ingred = "2 oz Gin";
  caps.ingred = "2 OZ GIN";
  ginger.ingred = "Vodka\r\nGinger Ale";
  sloe.ingred = "Sloe gin";
  none.ingred = "Vodka\r\nOrange Juice";
  Store({{1, gin}, {2, none}, {3, caps}, {4, ginger}, {5, sloe}});
  TDrinkCatalogue catalogue;
  Start(catalogue);
  EXPECT_EQ(Ids(catalogue.ListDrinks("ingred LIKE '%Gin%'")), (std::vector<int32_t>{1, 3, 4, 5}));
  EXPECT_EQ(Ids(catalogue.ListDrinks("TYPE = 3")), (std::vector<int32_t>{1, 2, 3, 4, 5}));
  EXPECT_TRUE(catalogue.ListDrinks("GLASS = 1").empty());
  EXPECT_THROW(catalogue.ListDrinks("ingred LIKE '%Gin"), tinydb::EEngineError);
}

TEST_F(DrinkCatalogueTest, MarksWriteOnlyTheMarkNeverSaveAndEveryListingSeesThem) {
  Store({{1, SampleDrink("Kir")}, {2, SampleDrink("Negroni")}, {3, SampleDrink("Bellini")}});
  TDrinkCatalogue catalogue;
  Start(catalogue);
  catalogue.SaveDatabase();
  const std::vector<uint8_t> saved = test::FileBytes(path_);
  auto marked = [&catalogue](const std::string& filter) {
    std::vector<int32_t> ids;
    for (const TListedDrink& drink : catalogue.ListDrinks(filter))
      if (drink.marked == 1) ids.push_back(drink.id);
    return ids;
  };

  catalogue.MarkDrinks({3, 1}, 1);
  EXPECT_EQ(marked(""), (std::vector<int32_t>{1, 3}));
  EXPECT_EQ(Ids(catalogue.ListDrinks("marked = 1")), (std::vector<int32_t>{1, 3}));
  const TDrink bellini = catalogue.LoadDrink(3);
  EXPECT_EQ(bellini.comment, SampleDrink("Bellini").comment);
  EXPECT_EQ(bellini.ingred, SampleDrink("Bellini").ingred);

  // The walk over every drink follows inserts and deletions made since.
  catalogue.SetNextDrinkId(9);
  catalogue.InsertDrink(SampleDrink("Zombie"), false);
  catalogue.DeleteDrink(2, false);
  EXPECT_EQ(Ids(catalogue.ListDrinks("")), (std::vector<int32_t>{1, 3, 9}));

  catalogue.UnmarkAll();
  EXPECT_TRUE(marked("").empty());
  // Drinks before a missing id keep their new mark.
  try {
    catalogue.MarkDrinks({9, 2}, 1);
    ADD_FAILURE() << "no error for a missing drink";
  } catch (const tinydb::EDatabaseError& error) {
    EXPECT_STREQ(error.what(), "Drink 2 not found");
  }
  EXPECT_EQ(marked(""), (std::vector<int32_t>{9}));
  EXPECT_EQ(test::FileBytes(path_), saved);
}

TEST_F(DrinkCatalogueTest, InsertGivesConsecutiveIdsNeverReusedWithinARun) {
  Store({{4, SampleDrink("Kir")}});
  TDrinkCatalogue catalogue;
  Start(catalogue);
  EXPECT_EQ(catalogue.InsertDrink(SampleDrink("A"), true), 5);
  EXPECT_EQ(catalogue.InsertDrink(SampleDrink("B"), true), 6);
  catalogue.DeleteDrink(6);
  EXPECT_EQ(catalogue.InsertDrink(SampleDrink("C"), true), 7);
  EXPECT_FALSE(catalogue.FindDrink(6));

  // After a restart the highest id decides again.
  catalogue.DeleteDrink(7);
  TDrinkCatalogue restarted;
  Start(restarted);
  EXPECT_EQ(restarted.NextDrinkId(), 6);
}

TEST_F(DrinkCatalogueTest, DrinkRoundTripsThroughTheTableWithItsLimits) {
  TDrink drink = SampleDrink("Kir Royale");
  drink.ingred = std::string(1000, 'i') + "\r\n\xE9";  // Windows-1252 e acute
  drink.directions = "";
  drink.type = -1;
  drink.season = -1;
  drink.glass = -1;
  drink.temp = 0;
  drink.marked = 1;
  drink.read_only = 0;
  drink.comment = std::string(255, 'c');
  TDrinkCatalogue catalogue;
  Start(catalogue);
  const int32_t id = catalogue.InsertDrink(drink, true);
  drink.id = id;
  EXPECT_EQ(catalogue.LoadDrink(id), drink);

  // Too long texts are cut by their fields; any true read_only reads as -1.
  TDrink oversized = drink;
  oversized.name = std::string(30, 'n');
  oversized.status = "ABCDEF";
  oversized.comment = std::string(300, 'c');
  oversized.read_only = 5;
  catalogue.UpdateDrink(oversized, true);
  const TDrink loaded = catalogue.LoadDrink(id);
  EXPECT_EQ(loaded.name, std::string(25, 'n'));
  EXPECT_EQ(loaded.status, "ABCD");
  EXPECT_EQ(loaded.comment, std::string(255, 'c'));
  EXPECT_EQ(loaded.read_only, -1);

  // Saved: a restart reads the same drink.
  TDrinkCatalogue restarted;
  restarted.Open(path_);
  EXPECT_EQ(restarted.LoadDrink(id), loaded);
}

TEST_F(DrinkCatalogueTest, UpdateChangesEveryFieldButTheId) {
  Store({{1, SampleDrink("Apple")}, {2, SampleDrink("Kir")}});
  TDrinkCatalogue catalogue;
  Start(catalogue);
  TDrink changed = SampleDrink("Zinfandel Punch", 17, "changed");
  changed.id = 1;
  changed.status = "M";
  changed.read_only = -1;
  catalogue.UpdateDrink(changed, false);
  EXPECT_EQ(catalogue.LoadDrink(1), changed);
  EXPECT_EQ(catalogue.LoadDrink(2).name, "Kir");
  EXPECT_EQ(Ids(catalogue.ListDrinks("")), (std::vector<int32_t>{1, 2}));
}

TEST_F(DrinkCatalogueTest, MissingDrinksAreReportedByTheirId) {
  TDrinkCatalogue catalogue;
  Start(catalogue);
  TDrink ghost = SampleDrink("Ghost");
  ghost.id = 99;
  for (auto step : std::vector<std::function<void()>>{
           [&] { catalogue.LoadDrink(99); }, [&] { catalogue.UpdateDrink(ghost, true); },
           [&] { catalogue.DeleteDrink(99); }}) {
    try {
      step();
      ADD_FAILURE() << "no error";
    } catch (const tinydb::EDatabaseError& e) {
      EXPECT_STREQ(e.what(), "Drink 99 not found");
    }
  }
}

TEST_F(DrinkCatalogueTest, FailedSaveKeepsTheChangeAndTheNextIdMovesOn) {
  TDrinkCatalogue catalogue;
  catalogue.OpenImage(test::FileBytes(path_), folder_.Path("no-such-folder/zestoria.tdb"));
  catalogue.ListDrinks("", true);
  EXPECT_THROW(catalogue.InsertDrink(SampleDrink("Kir"), true), tinydb::EStreamError);
  EXPECT_TRUE(catalogue.FindDrink(0));  // the record stays in the image
  // The next drink gets the next id instead of colliding with it.
  EXPECT_THROW(catalogue.InsertDrink(SampleDrink("Rob Roy"), true), tinydb::EStreamError);
  EXPECT_EQ(catalogue.LoadDrink(1).name, "Rob Roy");
}

TEST_F(DrinkCatalogueTest, RefusedInsertChangesNothing) {
  Store({{1, SampleDrink("Kir")}});
  TDrinkCatalogue catalogue;
  catalogue.Open(path_);  // no start-up listing: the next id is 0, then 1 is taken
  catalogue.SetNextDrinkId(1);
  EXPECT_THROW(catalogue.InsertDrink(SampleDrink("Twin"), false), tinydb::EDatabaseError);
  EXPECT_EQ(catalogue.NextDrinkId(), 1);
  EXPECT_EQ(catalogue.DrinkTable().State(), tinydb::dsBrowse);
  EXPECT_EQ(catalogue.ListDrinks("").size(), 1u);
}

// Enough drinks for the memos to be encoded on the second thread.
std::vector<TDrink> ManyDrinks(int count) {
  std::vector<TDrink> drinks;
  for (int k = 0; k < count; ++k) {
    TDrink drink = SampleDrink("Drink " + std::to_string(k));
    drink.ingred = std::to_string(k % 4 + 1) + " oz Gin\r\n" + std::string(k % 50, 'x');
    drink.directions = k % 9 == 0 ? "" : "Stir " + std::to_string(k) + " times.";
    drinks.push_back(drink);
  }
  return drinks;
}

TEST_F(DrinkCatalogueTest, BulkInsertStoresTheBytesOfSingleInserts) {
  const std::vector<TDrink> drinks = ManyDrinks(300);
  std::vector<uint8_t> single, bulk;
  {
    TDrinkCatalogue catalogue;
    Start(catalogue);
    for (const TDrink& drink : drinks) catalogue.InsertDrink(drink, false);
    single = catalogue.Image().Bytes();
  }
  TDrinkCatalogue catalogue;
  Start(catalogue);
  std::vector<size_t> progress;
  const std::vector<int32_t> ids =
      catalogue.InsertDrinks(drinks, [&](size_t done, size_t all) {
        EXPECT_EQ(all, drinks.size());
        progress.push_back(done);
      });
  EXPECT_TRUE(catalogue.Image().Bytes() == single);
  ASSERT_EQ(ids.size(), drinks.size());
  EXPECT_EQ(ids.front(), 0);
  EXPECT_EQ(ids.back(), 299);
  EXPECT_EQ(progress.size(), drinks.size());
  EXPECT_EQ(catalogue.LoadDrink(123).directions, drinks[123].directions);
}

TEST_F(DrinkCatalogueTest, RefusedDrinkInABulkInsertTakesTheOthersOutAgain) {
  Store({{30, SampleDrink("Kir")}});
  TDrinkCatalogue catalogue;
  catalogue.Open(path_);
  catalogue.SetNextDrinkId(1);
  EXPECT_THROW(catalogue.InsertDrinks(ManyDrinks(60)), tinydb::EDatabaseError);
  const std::vector<TListedDrink> listed = catalogue.ListDrinks("");
  ASSERT_EQ(listed.size(), 1u);
  EXPECT_EQ(listed[0].id, 30);
  EXPECT_EQ(catalogue.DrinkTable().State(), tinydb::dsBrowse);
  // The cursor is free for single inserts again.
  catalogue.SetNextDrinkId(100);
  EXPECT_EQ(catalogue.InsertDrink(SampleDrink("After"), false), 100);
  EXPECT_EQ(catalogue.LoadDrink(100).name, "After");
}

TEST_F(DrinkCatalogueTest, OpeningFailuresLeaveTheCatalogueClosed) {
  TDrinkCatalogue catalogue;
  EXPECT_THROW(catalogue.Open(folder_.Path("missing.tdb")), tinydb::EFOpenError);
  EXPECT_FALSE(catalogue.IsOpen());

  tinydb::TDatabaseSettings other = CatalogueSettings();
  other.Password = "not fizzo";
  const std::string foreign = folder_.Path("foreign.tdb");
  tinydb::TMemoryStream(tinydb::BuildDatabaseImage(other, {DrinksTableDefinition()}))
      .SaveToFile(foreign);
  EXPECT_THROW(catalogue.Open(foreign), tinydb::EDatabaseError);
  EXPECT_FALSE(catalogue.IsOpen());

  catalogue.Open(path_);  // and it opens fine afterwards
  EXPECT_TRUE(catalogue.IsOpen());
}

}  // namespace
}  // namespace zestoria
