// The one import pipeline: every format through one call, a report, the
// duplicate question asked once, all or nothing, damaged files refused
// whole with the place named; and the round trips of every export format
// over the whole shipped catalogue.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/catalogue/CatalogueTestKit.h"
#include "catalogue/DrinkCatalogue.h"
#include "exchange/BarAssistantRecipes.h"
#include "exchange/ExchangeWriter.h"
#include "exchange/RecipeExport.h"
#include "exchange/RecipeImport.h"
#include "exchange/RecipeText.h"

#ifndef ZESTORIA_CATALOGUE_DB
#error "ZESTORIA_CATALOGUE_DB must name the built zestoria.tdb"
#endif

namespace zestoria {
namespace {

using test::SampleDrink;

std::string Fixture(const std::string& name) {
  return std::string(ZESTORIA_TEST_FIXTURES) + "/recipes/" + name;
}

std::vector<uint8_t> Bytes(const std::string& text) { return std::vector<uint8_t>(text.begin(), text.end()); }

class RecipeImportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    db_ = folder_.Path("zestoria.tdb");
    test::CreateCatalogueFile(db_);
    catalogue_.Open(db_);
    catalogue_.SetNextDrinkId(1);
    for (const char* name : {"Margarita", "Kir"}) catalogue_.InsertDrink(SampleDrink(name), false);
    catalogue_.SaveDatabase();
  }

  size_t Count() { return catalogue_.ListDrinks("").size(); }

  tinydb::test::TTempDir folder_;
  std::string db_;
  TDrinkCatalogue catalogue_;
};

TEST_F(RecipeImportTest, DuplicatesAreAskedOnceThenAddedOrSkipped) {
  // cocktaildb-search.json holds Margarita (in the catalogue) and Irish Coffee.
  int asked = 0;
  std::vector<std::string> names;
  TImportOptions options;
  options.duplicates = TDuplicates::dAsk;
  options.askDuplicates = [&](const std::vector<std::string>& n) {
    ++asked;
    names = n;
    return false;  // skip them
  };
  size_t progress_calls = 0;
  options.progress = [&](size_t done, size_t total) {
    ++progress_calls;
    EXPECT_LE(done, total);
  };
  TImportReport report = ImportRecipeFile(catalogue_, Fixture("cocktaildb-search.json"), options);
  EXPECT_EQ(asked, 1);
  EXPECT_EQ(names, std::vector<std::string>{"Margarita"});
  EXPECT_EQ(report.ids, std::vector<int32_t>{3});
  EXPECT_EQ(report.skipped, 1u);
  EXPECT_EQ(progress_calls, 1u);
  EXPECT_EQ(report.Lines(), (std::vector<std::string>{
                                "Added 1 drinks", "Skipped 1 drink whose name the catalogue already has"}));

  // Answering "add", and the command line's default: both added.
  options.askDuplicates = [](const std::vector<std::string>&) { return true; };
  EXPECT_EQ(ImportRecipeFile(catalogue_, Fixture("cocktaildb-search.json"), options).ids.size(), 2u);
  EXPECT_EQ(ImportRecipeFile(catalogue_, Fixture("cocktaildb-search.json")).ids.size(), 2u);
  // Skipping also leaves out a name twice in the same file.
  options.duplicates = TDuplicates::dSkip;
  EXPECT_EQ(ImportRecipeFile(catalogue_, Fixture("cocktaildb-lines.jsonl"), options).ids.size(), 1u);
  EXPECT_EQ(Count(), 8u);

  // The report of a file with shortened names and replaced characters.
  report = ImportRecipeFile(catalogue_, Fixture("jsonld-graph.json"));
  EXPECT_EQ(report.Lines(), (std::vector<std::string>{
                                "Added 1 drinks",
                                "Shortened 1 name to 25 characters (the full name begins the comment)",
                                "Replaced 1 character that Windows-1252 cannot hold"}));
  EXPECT_EQ(ImportReportQuestion(report),
            "Added 1 drinks to the database.\n\rShortened 1 name to 25 characters (the full name "
            "begins the comment).\n\rReplaced 1 character that Windows-1252 cannot hold.\n\r"
            "Display newly add drinks?");
}

TEST_F(RecipeImportTest, ZdrKeepsItsOwnQuestionAndCountsIncompleteDrinks) {
  std::vector<TDrink> drinks;
  for (const char* name : {"Margarita", "Bellini", "Zombie"}) drinks.push_back(SampleDrink(name));
  const std::vector<uint8_t> whole = BuildExchangeFile("Party", drinks);
  std::string question;
  TImportOptions options;
  options.duplicates = TDuplicates::dSkip;  // a .zdr file adds its duplicates all the same
  options.askDuplicates = [](const std::vector<std::string>&) -> bool { throw std::logic_error("asked"); };
  options.confirmZdr = [&](const std::string& q) {
    question = q;
    return false;
  };
  TImportReport report = ImportRecipeBytes(catalogue_, whole, "party.zdr", options);
  EXPECT_TRUE(report.cancelled);
  EXPECT_EQ(question, "Import Party?");
  EXPECT_EQ(Count(), 2u);

  options.confirmZdr = [](const std::string&) { return true; };
  // Cut inside the last drink's directions: two whole drinks come in.
  const std::vector<uint8_t> cut(whole.begin(), whole.end() - 3);
  report = ImportRecipeBytes(catalogue_, cut, "party.zdr", options);
  EXPECT_EQ(report.ids.size(), 2u);
  EXPECT_EQ(report.incomplete, 1u);
  EXPECT_EQ(report.Lines().back(),
            "1 of the file's drinks was incomplete (cut off by the end of the file) and not imported");
  EXPECT_EQ(ImportReportQuestion(report),
            "Added 2 drinks to the database.\n\r1 of the file's drinks was incomplete (cut off by the "
            "end of the file) and not imported.\n\rDisplay newly add drinks?");
  EXPECT_EQ(catalogue_.LoadDrink(report.ids[1]).directions, drinks[1].directions);
  // Whole: the question after importing is the one it always was.
  report = ImportRecipeBytes(catalogue_, whole, "party.zdr", options);
  EXPECT_EQ(ImportReportQuestion(report), "Added 3 drinks to the database.\n\rDisplay newly add drinks?");
}

TEST_F(RecipeImportTest, DamagedFilesAndFilesWithoutRecipesAddNothing) {
  const std::vector<uint8_t> before = test::FileBytes(db_);
  struct TCase {
    const char* file;
    std::string bytes;
    const char* says;  // besides the file name
  } cases[] = {
      {"cut.json", "{\"drinks\": [{\"strDrink\": \"Margarita\", \"strIngre", "line 1, column"},
      {"types.json", "{\"drinks\": [{\"strDrink\": \"A\", \"strInstructions\": \"x\"}, {\"strDrink\": [1]}]}",
       "record 2: the key \"strDrink\" holds array"},
      {"huge.json", "[ [444444444444e4444] ]", "is damaged: number overflow"},
      {"ba.json", "{\"name\": \"X\", \"instructions\": \"y\", \"ingredients\": {\"a\": 1}}",
       "the key \"ingredients\" holds object"},
      {"open.csv", "name,type,ingredients,directions\nA,Sour,\"1 oz gin\nB,Sour,x,y\n", "line 2: a quoted cell is not closed"},
      {"cells.csv", "name,type,ingredients,directions\nA,Sour,x,y,extra\nB,Sour,x,y\n", "line 2: 5 cells"},
      {"header.csv", "colour,size\nred,big\n", "line 1: the header names no recipe columns"},
      {"page.html", "<html><body><p>No recipe here</p></body></html>", "holds no recipe"},
      {"graph.json", "{\"@context\": \"https://schema.org\", \"@graph\": [{\"@type\": \"WebPage\"}]}", "no schema.org Recipe"},
      {"empty.csv", "", "holds no recipe"},
      {"broken.zip", std::string("PK\x03\x04garbage", 11), "damaged zip archive"},
      {"blocks.html",
       "<html><script type=\"application/ld+json\">{\"@type\": \"Recipe\", </script></html>", "JSON-LD block 1"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.file);
    try {
      ImportRecipeBytes(catalogue_, Bytes(c.bytes), c.file);
      ADD_FAILURE() << "imported";
    } catch (const ERecipeFileError& error) {
      const std::string message = error.what();
      EXPECT_NE(message.find(c.file), std::string::npos) << message;
      EXPECT_NE(message.find(c.says), std::string::npos) << message;
    }
  }
  // The last row cut short is an incomplete drink, left out; the others come in.
  const TImportReport report = ImportRecipeBytes(
      catalogue_, Bytes("name,type,ingredients,directions\nA,Sour,x,y\nB,Sour"), "cut.csv");
  EXPECT_EQ(report.ids.size(), 1u);
  EXPECT_EQ(report.incomplete, 1u);
  EXPECT_EQ(Count(), 3u);
  (void)before;
}

TEST_F(RecipeImportTest, AFailingInsertTakesBackWhatWasAdded) {
  const std::vector<uint8_t> before = test::FileBytes(db_);
  TImportOptions options;
  options.progress = [](size_t done, size_t) {
    if (done == 2) throw std::runtime_error("disk gone");
  };
  EXPECT_THROW(ImportRecipeFile(catalogue_, Fixture("iba-teijo.json"), options), std::runtime_error);
  EXPECT_EQ(Count(), 2u);
  EXPECT_EQ(test::FileBytes(db_), before);
}

// Exports the whole shipped catalogue in |format|, imports the file into an
// empty catalogue and compares the drinks field by field.
void RoundTrip(TRecipeFormat format, bool every_field) {
  SCOPED_TRACE(RecipeFormatName(format));
  TDrinkCatalogue shipped;
  shipped.Open(ZESTORIA_CATALOGUE_DB);
  std::vector<TDrink> drinks;
  for (const TListedDrink& listed : shipped.ListDrinks("", true)) drinks.push_back(shipped.LoadDrink(listed.id));
  ASSERT_GT(drinks.size(), 0u);

  tinydb::test::TTempDir folder;
  const std::string file = folder.Path("all." + RecipeFormatName(format));
  WriteRecipeFile(file, format, drinks, "Shipped");
  const std::string db = folder.Path("empty.tdb");
  test::CreateCatalogueFile(db);
  TDrinkCatalogue empty;
  empty.Open(db);
  empty.ListDrinks("", true);
  const TImportReport report = ImportRecipeFile(empty, file);
  EXPECT_EQ(report.format, format);
  ASSERT_EQ(report.ids.size(), drinks.size());
  EXPECT_EQ(report.namesShortened + report.charactersReplaced + report.withoutRecipe + report.incomplete, 0u);
  for (size_t i = 0; i < drinks.size(); ++i) {
    TDrink back = empty.LoadDrink(report.ids[i]);
    TDrink want = drinks[i];
    SCOPED_TRACE(FromCatalogueText(want.name));
    want.id = back.id;
    if (!every_field) {
      back.marked = want.marked;
      back.status = want.status;
      back.read_only = want.read_only;
    }
    EXPECT_EQ(back.name, want.name);
    EXPECT_EQ(back.ingred, want.ingred);
    EXPECT_EQ(back.directions, want.directions);
    EXPECT_EQ(back.comment, want.comment);
    EXPECT_EQ(back, want);
  }
}

TEST(RecipeRoundTripTest, TheShippedCatalogueComesBackFromEveryExportFormat) {
  RoundTrip(TRecipeFormat::rfZdr, true);
  RoundTrip(TRecipeFormat::rfCsv, true);
  RoundTrip(TRecipeFormat::rfJsonLd, false);
  RoundTrip(TRecipeFormat::rfBarAssistant, false);
}

TEST(RecipeRoundTripTest, BarAssistantIngredientLinesSplitWhereTheyCan) {
  struct TCase {
    const char* line;
    double amount;
    const char* units;
    const char* name;
  } cases[] = {
      {"45 ml Gin", 45, "ml", "Gin"},
      {"22.5 ml Simple syrup", 22.5, "ml", "Simple syrup"},
      {"2 dashes Angostura bitters", 2, "dashes", "Angostura bitters"},
      {"Top up with soda water", 0, "topup", "soda water"},
      {"2 Limes", 2, "", "Limes"},
      {"1 1/2 oz Gin", 0, "", "1 1/2 oz Gin"},
      {"Juice of 1 lime", 0, "", "Juice of 1 lime"},
      {"45.0 ml Gin", 0, "", "45.0 ml Gin"},
  };
  for (const TCase& c : cases) {
    const TIngredientParts parts = SplitIngredientLine(c.line);
    EXPECT_EQ(parts.amount, c.amount) << c.line;
    EXPECT_EQ(parts.units, c.units) << c.line;
    EXPECT_EQ(parts.name, c.name) << c.line;
  }
}

}  // namespace
}  // namespace zestoria
