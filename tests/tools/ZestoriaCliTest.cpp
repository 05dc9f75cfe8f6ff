// mkcatalogue and zestoria-cli as a user runs them: build a catalogue from a
// drinks source, list, show, export and import drinks.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/Journal.h"
#include "support/ToolRun.h"

namespace {

namespace fs = std::filesystem;
using nlohmann::json;
using tinydb::test::ReadFile;
using tinydb::test::TRun;
using tinydb::test::TToolTest;
using tinydb::test::WriteFile;

json Drink(const std::string& name, std::vector<std::string> ingredients, const std::string& type,
           const std::string& glass) {
  return {{"name", name},
          {"comment", "About " + name},
          {"ingredients", ingredients},
          {"directions", "Make " + name + "."},
          {"type", type},
          {"glass", glass},
          {"season", "All"},
          {"temp", "Cold"},
          {"read_only", false}};
}

class ZestoriaCliTest : public TToolTest {
 protected:
  ZestoriaCliTest() : TToolTest("zestoria-cli-") {}

  void SetUp() override {
    drinks_ = json::array({Drink("martini", {"2 oz Gin", "1/2 oz Dry Vermouth"}, "Martini", "Cocktail"),
                           Drink("Screwdriver", {"1 1/2 oz Vodka", "Orange Juice"}, "Highball", "Highball"),
                           Drink("Gimlet", {"2 oz GIN", "1/2 oz Lime Juice"}, "Cocktail", "Cocktail"),
                           Drink("Moscow Mule", {"Vodka", "Ginger Beer"}, "Highball", "Collins"),
                           Drink("Café Royal", {"Coffee", "Cognac"}, "Coffee", "Coffee Cup")});
    drinks_[4]["read_only"] = true;
    drinks_[4]["status"] = "X";
    drinks_[4]["temp"] = "Hot";
  }
  TRun Cli(std::vector<std::string> args) const { return Run(ZESTORIA_CLI, args); }

  // Builds |db| from |drinks| as the build does.
  TRun Build(const json& drinks, const std::string& db) {
    WriteFile(Path("drinks.json"), json{{"drinks", drinks}}.dump());
    return Run(ZESTORIA_MKCATALOGUE, {Path("drinks.json"), Path(db)});
  }

  json drinks_;
};

TEST_F(ZestoriaCliTest, ListsTheGinDrinksByNameIgnoringCase) {
  ASSERT_EQ(Build(drinks_, "z.tdb").exit_code, 0);
  TRun run = Cli({"list", "--db", Path("z.tdb"), "--filter", "ingred LIKE '%Gin%'"});
  EXPECT_EQ(run.exit_code, 0) << run.err;
  EXPECT_EQ(run.out, "3\tGimlet\n1\tmartini\n4\tMoscow Mule\n");

  run = Cli({"list", "--db", Path("z.tdb")});
  EXPECT_EQ(run.out, "5\tCafé Royal\n3\tGimlet\n1\tmartini\n4\tMoscow Mule\n2\tScrewdriver\n");

  run = Cli({"list", "--db", Path("z.tdb"), "--filter", "ingred LIKE '%Rum%'"});
  EXPECT_EQ(run.exit_code, 0);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(Cli({"list", "--db", Path("z.tdb"), "--filter", "ingred LIKE"}).exit_code, 1);
}

TEST_F(ZestoriaCliTest, ShowsADrinkWithCategoryNames) {
  ASSERT_EQ(Build(drinks_, "z.tdb").exit_code, 0);
  const TRun run = Cli({"show", "5", "--db", Path("z.tdb")});
  ASSERT_EQ(run.exit_code, 0) << run.err;
  json expected = drinks_[4];
  expected["id"] = 5;
  expected["marked"] = 0;
  EXPECT_EQ(json::parse(run.out), expected);

  const TRun missing = Cli({"show", "99", "--db", Path("z.tdb")});
  EXPECT_EQ(missing.exit_code, 1);
  EXPECT_NE(missing.err.find("Drink 99 not found"), std::string::npos) << missing.err;
}

TEST_F(ZestoriaCliTest, ExportThenImportAddsTheDrinksUnderNewIds) {
  ASSERT_EQ(Build(drinks_, "z.tdb").exit_code, 0);
  TRun run = Cli({"export", Path("gin.zdr"), "--db", Path("z.tdb"), "--filter", "ingred LIKE '%gin%'",
                  "--name", "Gin drinks"});
  ASSERT_EQ(run.exit_code, 0) << run.err;
  EXPECT_EQ(run.out, "Exported 3 drinks\n");

  run = Cli({"import", Path("gin.zdr"), "--db", Path("z.tdb")});
  ASSERT_EQ(run.exit_code, 0) << run.err;
  EXPECT_EQ(run.out, "Added 3 drinks\n6 7 8\n");
  for (auto [original, copy] : {std::pair{"1", "6"}, {"3", "7"}, {"4", "8"}}) {
    json a = json::parse(Cli({"show", original, "--db", Path("z.tdb")}).out);
    json b = json::parse(Cli({"show", copy, "--db", Path("z.tdb")}).out);
    a.erase("id");
    b.erase("id");
    EXPECT_EQ(a, b) << original << " / " << copy;
  }
}

TEST_F(ZestoriaCliTest, DamagedExchangeFileChangesNothing) {
  ASSERT_EQ(Build(drinks_, "z.tdb").exit_code, 0);
  ASSERT_EQ(Cli({"export", Path("all.zdr"), "--db", Path("z.tdb")}).exit_code, 0);
  std::string bytes = ReadFile(Path("all.zdr"));
  bytes[40 + 328 * 4 + 60] = 9;  // record 5: a status of 9 characters
  WriteFile(Path("all.zdr"), bytes);
  const std::string before = ReadFile(Path("z.tdb"));

  const TRun run = Cli({"import", Path("all.zdr"), "--db", Path("z.tdb")});
  EXPECT_EQ(run.exit_code, 1);
  EXPECT_NE(run.err.find("record 5"), std::string::npos) << run.err;
  EXPECT_EQ(ReadFile(Path("z.tdb")), before);
}

TEST_F(ZestoriaCliTest, MkcatalogueRefusesWhatTheCatalogueCannotHold) {
  struct TCase {
    const char* what;
    const char* key;
    json value;
    const char* expected;
  };
  const TCase cases[] = {
      {"not Windows-1252", "directions", "Stir \xCE\xA9 times",
       "drink 2 \"Screwdriver\" has U+03A9 in its directions that Windows-1252 cannot hold"},
      {"unknown type", "type", "Sours", "drink 2 \"Screwdriver\" has the unknown type \"Sours\""},
      {"lower-case glass", "glass", "highball", "unknown glass \"highball\""},
      {"long name", "name", std::string(26, 'n'), "has a name of 26 characters, at most 25"},
      {"long status", "status", "ABCDE", "has a status of 5 characters, at most 4"},
      {"unknown key", "glas", "Highball", "has an unknown key \"glas\""},
      {"not a flag", "read_only", "yes", "\"read_only\" that is not true or false"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.what);
    json drinks = drinks_;
    drinks[1][c.key] = c.value;
    const TRun run = Build(drinks, "bad.tdb");
    EXPECT_EQ(run.exit_code, 1);
    EXPECT_NE(run.err.find(c.expected), std::string::npos) << run.err;
    EXPECT_FALSE(fs::exists(Path("bad.tdb")));
  }
  json drinks = drinks_;
  drinks[1].erase("season");
  EXPECT_NE(Build(drinks, "bad.tdb").err.find("has no \"season\""), std::string::npos);
}

TEST_F(ZestoriaCliTest, DatabaseBesideTheToolIsTheDefaultAndWrongUseIsUsageError) {
  const TRun run = Cli({"list"});
  EXPECT_EQ(run.exit_code, 0) << run.err;
  EXPECT_FALSE(run.out.empty());
  EXPECT_EQ(Cli({}).exit_code, 2);
  EXPECT_EQ(Cli({"list", "--bogus", "x"}).exit_code, 2);
  EXPECT_EQ(Cli({"show", "seven"}).exit_code, 2);
  EXPECT_EQ(Cli({"import"}).exit_code, 2);
}

// Every export format, and import from each with the report; the format
// recognised from the content, chosen by option, or refused.
TEST_F(ZestoriaCliTest, ExportsAndImportsEveryFormatWithItsReport) {
  ASSERT_EQ(Build(drinks_, "z.tdb").exit_code, 0);
  struct TCase {
    const char* file;
    std::vector<std::string> format;  // the --format option, if any
  };
  const TCase cases[] = {
      {"gin.jsonld", {}},
      {"gin.json", {}},  // Bar Assistant by its extension
      {"gin.csv", {}},
      {"gin.txt", {"--format", "csv"}},
      {"gin.out", {"--format", "bar-assistant"}},
  };
  int next_id = 6;
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.file);
    std::vector<std::string> args = {"export", Path(c.file), "--db", Path("z.tdb"), "--filter",
                                     "id=1 or id=3 or id=4"};
    args.insert(args.end(), c.format.begin(), c.format.end());
    TRun run = Cli(args);
    ASSERT_EQ(run.exit_code, 0) << run.err;
    EXPECT_EQ(run.out, "Exported 3 drinks\n");
    run = Cli({"import", Path(c.file), "--db", Path("z.tdb")});
    ASSERT_EQ(run.exit_code, 0) << run.err;
    EXPECT_EQ(run.out, "Added 3 drinks\n" + std::to_string(next_id) + " " + std::to_string(next_id + 1) +
                           " " + std::to_string(next_id + 2) + "\n");
    json copy = json::parse(Cli({"show", std::to_string(next_id), "--db", Path("z.tdb")}).out);
    json original = json::parse(Cli({"show", "1", "--db", Path("z.tdb")}).out);
    for (const char* key : {"name", "comment", "ingredients", "directions", "type", "glass", "season", "temp"})
      EXPECT_EQ(copy[key], original[key]) << key;
    next_id += 3;
  }

  // Duplicates skipped on request, reported after the ids.
  TRun run = Cli({"import", Path("gin.csv"), "--db", Path("z.tdb"), "--duplicates", "skip"});
  ASSERT_EQ(run.exit_code, 0) << run.err;
  EXPECT_EQ(run.out, "Added 0 drinks\nSkipped 3 drinks whose name the catalogue already has\n");

  // A foreign file by content, whatever its name; a file with no recipe says so.
  WriteFile(Path("drinks.txt"),
            R"({"drinks":[{"idDrink":"1","strDrink":"Gin Sling","strInstructions":"Stir.",)"
            R"("strIngredient1":"Gin","strMeasure1":"2 oz ","strCategory":"Ordinary Drink","strGlass":"Highball glass"}]})");
  run = Cli({"import", Path("drinks.txt"), "--db", Path("z.tdb")});
  ASSERT_EQ(run.exit_code, 0) << run.err;
  EXPECT_EQ(run.Lines()[0], "Added 1 drinks");
  json sling = json::parse(Cli({"show", run.Lines()[1], "--db", Path("z.tdb")}).out);
  EXPECT_EQ(sling["type"], "Sling");
  EXPECT_EQ(sling["ingredients"], json::array({"2 oz Gin"}));
  WriteFile(Path("none.json"), R"({"drinks": null})");
  run = Cli({"import", Path("none.json"), "--db", Path("z.tdb")});
  EXPECT_EQ(run.exit_code, 1);
  EXPECT_NE(run.err.find("none.json holds no recipe"), std::string::npos) << run.err;

  EXPECT_EQ(Cli({"import", Path("gin.csv"), "--db", Path("z.tdb"), "--format", "yaml"}).exit_code, 2);
  EXPECT_EQ(Cli({"import", Path("gin.csv"), "--db", Path("z.tdb"), "--duplicates", "ask"}).exit_code, 2);
  EXPECT_EQ(Cli({"export", Path("x.json"), "--db", Path("z.tdb"), "--format", "cocktaildb"}).exit_code, 2);
}

}  // namespace

namespace {

// My Bar from the command line: a shelf stored in the file, what it makes,
// what one more bottle would make, and the lines nothing names.
TEST_F(ZestoriaCliTest, ShelfMakesTheNegroniAndLeavesTheAmericanoOneAway) {
  const json drinks = json::array(
      {Drink("Negroni", {"1 oz Gin", "1 oz Campari", "1 oz Sweet Vermouth", "Orange peel"},
             "Cocktail", "Old Fashioned"),
       Drink("Americano", {"1 1/2 oz Campari", "1 1/2 oz Sweet vermouth", "Club soda", "Lemon twist"},
             "Highball", "Highball"),
       Drink("Martini", {"2 1/2 oz London dry gin", "1/2 oz Dry vermouth", "Olive"}, "Martini",
             "Cocktail"),
       Drink("Mojito", {"2 oz White rum", "1 oz Lime juice", "Mint leaves", "Club soda"}, "Highball",
             "Collins"),
       Drink("Mystery", {"1 oz Gin", "1 dash Zzyzx tincture"}, "Cocktail", "Cocktail")});
  ASSERT_EQ(Build(drinks, "bar.tdb").exit_code, 0);
  const std::string db = Path("bar.tdb");
  const auto size = fs::file_size(db);

  // A file that never stored a shelf is read without a write.
  TRun run = Cli({"makeable", "--db", db});
  EXPECT_EQ(run.exit_code, 0) << run.err;
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(fs::file_size(db), size);

  // A name nothing names is refused, naming it, and changes nothing.
  run = Cli({"shelf", "add", "gin", "unobtainium", "--db", db});
  EXPECT_EQ(run.exit_code, 2);
  EXPECT_NE(run.err.find("\"unobtainium\""), std::string::npos) << run.err;
  EXPECT_EQ(fs::file_size(db), size);

  run = Cli({"shelf", "add", "gin", "campari", "sweet vermouth", "lemons", "--db", db});
  ASSERT_EQ(run.exit_code, 0) << run.err;
  for (const char* name : {"Gin", "Campari", "Sweet vermouth", "Lemon"}) {
    EXPECT_NE(run.out.find(std::string(name) + "\n"), std::string::npos) << name << "\n" << run.out;
  }

  // A second run finds the shelf in the file.
  run = Cli({"makeable", "--db", db});
  EXPECT_EQ(run.out, "5\tMystery\n1\tNegroni\n");
  // The Martini asks for London dry gin, which Gin on the shelf does not
  // stand in for: it is two away.
  run = Cli({"makeable", "--missing", "1", "--db", db});
  EXPECT_EQ(run.out, "2\tAmericano\n");
  run = Cli({"shelf", "--db", db});
  EXPECT_NE(run.out.find("Sweet vermouth\n"), std::string::npos) << run.out;

  run = Cli({"shelf", "remove", "Campari", "--db", db});
  ASSERT_EQ(run.exit_code, 0) << run.err;
  EXPECT_EQ(run.out.find("Campari"), std::string::npos) << run.out;
  EXPECT_EQ(Cli({"makeable", "--db", db}).out, "5\tMystery\n");
  EXPECT_EQ(Cli({"makeable", "--missing", "1", "--db", db}).out, "1\tNegroni\n");

  run = Cli({"ingredients", "--unrecognised", "--db", db});
  EXPECT_EQ(run.out, "5\t1 dash Zzyzx tincture\n");
  EXPECT_EQ(Cli({"ingredients", "--unrecognised", "--filter", "tincture", "--db", db}).out,
            "5\t1 dash Zzyzx tincture\n");
  EXPECT_EQ(Cli({"ingredients", "--unrecognised", "--filter", "bitters", "--db", db}).out, "");
  run = Cli({"ingredients", "--filter", "sweet verm", "--db", db});
  EXPECT_NE(run.out.find("Sweet vermouth\t"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("on shelf"), std::string::npos) << run.out;

  run = Run(ZESTORIA_TDB, {"check", db, "--password", "fizzo"});
  EXPECT_EQ(run.exit_code, 0) << run.out << run.err;
}

TEST_F(ZestoriaCliTest, ShelfCommandsMisusedOrWithoutAVocabularyFail) {
  ASSERT_EQ(Build(drinks_, "z.tdb").exit_code, 0);
  const std::string db = Path("z.tdb");
  for (const std::vector<std::string>& call :
       {std::vector<std::string>{"shelf", "gin"}, {"shelf", "add"}, {"makeable", "--missing", "2"},
        {"makeable", "gin"}, {"ingredients", "--unrecognised", "--unrecognised"}}) {
    std::vector<std::string> args = call;
    args.insert(args.end(), {"--db", db});
    const TRun run = Cli(args);
    EXPECT_EQ(run.exit_code, 2) << ::testing::PrintToString(call);
    EXPECT_NE(run.err.find("usage:"), std::string::npos) << run.err;
  }
  const TRun run = Cli({"shelf", "--db", db, "--vocabulary", Path("none.json")});
  EXPECT_EQ(run.exit_code, 1);
  EXPECT_NE(run.err.find("none.json"), std::string::npos) << run.err;
}

// A crash in the middle of a save leaves the old bytes of what it overwrote
// in the journal and a file with some new bytes and a tail.
void CrashMidSave(const std::string& db) {
  const std::string original = ReadFile(db);
  const auto size = static_cast<int64_t>(original.size());
  std::vector<tinydb::TJournalRange> ranges;
  for (int64_t at : {int64_t{0}, size / 3, size - 40}) {
    const std::string old = original.substr(static_cast<size_t>(at), 40);
    ranges.push_back({at, std::vector<uint8_t>(old.begin(), old.end())});
  }
  tinydb::WriteJournal(db, size, ranges);
  std::string torn = original;
  for (const tinydb::TJournalRange& range : ranges)
    torn.replace(static_cast<size_t>(range.position), 40, 40, '\x5a');
  WriteFile(db, torn + std::string(5000, '\x77'));
}

TEST_F(ZestoriaCliTest, EveryToolRollsBackAJournalLeftByACrashAndRefusesADamagedOne) {
  ASSERT_EQ(Build(drinks_, "z.tdb").exit_code, 0);
  const std::string db = Path("z.tdb");
  const std::string original = ReadFile(db);
  const std::vector<std::vector<std::string>> openers = {
      {ZESTORIA_TDB, "check", db, "--password", "fizzo"},
      {ZESTORIA_TDB, "dump", db, "drinks", "--password", "fizzo"},
      {ZESTORIA_CLI, "list", "--db", db},
      {ZESTORIA_CLI, "show", "3", "--db", db}};
  for (const std::vector<std::string>& opener : openers) {
    SCOPED_TRACE(opener[1]);
    CrashMidSave(db);
    const std::vector<std::string> args(opener.begin() + 1, opener.end());
    TRun run = Run(opener[0], args);
    EXPECT_EQ(run.exit_code, 0) << run.err;
    EXPECT_EQ(ReadFile(db), original);
    EXPECT_FALSE(fs::exists(tinydb::JournalFileName(db)));

    // A damaged journal is never applied: the tool says what is wrong and
    // leaves both files as they are.
    CrashMidSave(db);
    std::string journal = ReadFile(tinydb::JournalFileName(db));
    journal[60] ^= 0x10;
    WriteFile(tinydb::JournalFileName(db), journal);
    const std::string torn = ReadFile(db);
    run = Run(opener[0], args);
    EXPECT_EQ(run.exit_code, 1);
    EXPECT_NE(run.err.find("The journal \"" + tinydb::JournalFileName(db) +
                           "\" is not applied: its checksum fails"),
              std::string::npos)
        << run.err;
    EXPECT_EQ(ReadFile(db), torn);
    EXPECT_EQ(ReadFile(tinydb::JournalFileName(db)), journal);
    fs::remove(tinydb::JournalFileName(db));
    WriteFile(db, original);
  }
}

}  // namespace
