// The drink list's slowest query, against SQLite: walk every drink whose
// ingredients hold "gin" (ingred LIKE '%gin%', ignoring case) in id order
// and read its id, name and mark.
//
// Our side is a drinks table in a compressed, Blowfish-encrypted
// memory-medium database, walked with SeekFirstMatch / SeekNextMatch while
// Filtered is off, as the drink list is filled. SQLite's side is an
// in-memory database holding the same rows in a table with the same
// columns, an index on id and one on type, queried with LIKE and ORDER BY
// id. Both walks must give the same drinks.
//
//   like_bench [RECORDS...]     (default: 10000 100000)
#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "BenchDatabase.h"
#include "processing/DataProcess.h"
#include "storage/DatabaseWriter.h"
#include "tables/TinyDB.h"

namespace {

using namespace tinydb;
using Clock = std::chrono::steady_clock;

constexpr char kQuery[] = "ingred LIKE '%gin%'";

// ---- The drinks ----

struct TBenchDrink {
  int32_t Id;
  std::string Name;
  std::string Ingred;
  std::string Directions;
  int32_t Type, Season, Glass, Temp, Marked;
  std::string Comment;
  std::string Status;
  bool ReadOnly;
};

const char* const kNameFirst[] = {"Pink",   "Dry",    "Royal",  "Blue",    "Smoky",  "Golden",
                                  "Frozen", "Hot",    "Spiced", "Velvet",  "Wild",   "Midnight",
                                  "Bitter", "Silver", "Jungle", "Island",  "Brandy", "Rum",
                                  "Gin",    "Whisky", "Tequila", "Vodka",  "Apple",  "Cherry"};
const char* const kNameSecond[] = {"Fizz",  "Sour",   "Sling",   "Punch",  "Smash",  "Julep",
                                   "Flip",  "Cooler", "Mule",    "Collins", "Rickey", "Daisy",
                                   "Toddy", "Nog",    "Highball", "Martini", "Spritz", "Cobbler"};
const char* const kMeasures[] = {"1 oz",   "1 1/2 oz", "2 oz",  "1/2 oz", "3/4 oz", "2 dashes",
                                 "1 tsp",  "4 oz",     "1 splash", "3 oz", "1 bar spoon", "2 tsp"};
const char* const kIngredients[] = {
    "Gin",           "Dry Gin",        "Sloe Gin",       "Vodka",          "Light Rum",
    "Dark Rum",      "Tequila",        "Bourbon",        "Rye Whiskey",    "Scotch",
    "Brandy",        "Cognac",         "Triple Sec",     "Dry Vermouth",   "Sweet Vermouth",
    "Campari",       "Amaretto",       "Kahlua",         "Creme de Cacao", "Creme de Menthe",
    "Lime Juice",    "Lemon Juice",    "Orange Juice",   "Pineapple Juice", "Cranberry Juice",
    "Grenadine",     "Simple Syrup",   "Sugar",          "Angostura Bitters", "Orange Bitters",
    "Club Soda",     "Tonic Water",    "Ginger Ale",     "Ginger Beer",    "Cola",
    "Cream",         "Milk",           "Egg White",      "Mint Leaves",    "Coffee",
    "Champagne",     "Red Wine",       "Beer",           "Peach Schnapps", "Galliano",
    "Benedictine",   "Chartreuse",     "Maraschino",     "Apricot Brandy", "Blue Curacao",
    "Cherry Brandy", "Coconut Cream",  "Honey",          "Nutmeg",         "Olive"};
const char* const kSentences[] = {
    "Shake all ingredients with ice and strain into a chilled glass.",
    "Stir gently with ice in a mixing glass for thirty seconds.",
    "Build over ice in the glass and top up with soda.",
    "Garnish with a twist of lemon peel.",
    "Rub the rim of the glass with lime and dip it in salt.",
    "Muddle the mint with the sugar before adding the spirits.",
    "Float the cream on top with the back of a spoon.",
    "Serve at once with a straw.",
    "Blend with a cup of crushed ice until smooth.",
    "Warm the glass with hot water before pouring.",
    "Add a cherry and an orange slice.",
    "Fill the glass with cracked ice and stir until frosted."};

template <size_t N>
const char* Pick(const char* const (&words)[N], std::mt19937& random) {
  return words[std::uniform_int_distribution<size_t>(0, N - 1)(random)];
}

int Between(int low, int high, std::mt19937& random) {
  return std::uniform_int_distribution<int>(low, high)(random);
}

std::vector<TBenchDrink> MakeDrinks(int count) {
  std::mt19937 random(20030101);
  std::vector<TBenchDrink> drinks;
  drinks.reserve(static_cast<size_t>(count));
  for (int id = 1; id <= count; ++id) {
    TBenchDrink d;
    d.Id = id;
    d.Name = std::string(Pick(kNameFirst, random)) + " " + Pick(kNameSecond, random);
    if (Between(0, 2, random) == 0) d.Name += " " + std::to_string(Between(2, 99, random));
    d.Name.resize(std::min<size_t>(d.Name.size(), 25));
    const int lines = Between(3, 8, random);
    for (int i = 0; i < lines; ++i) {
      if (i > 0) d.Ingred += "\r\n";
      d.Ingred += std::string(Pick(kMeasures, random)) + " " + Pick(kIngredients, random);
    }
    const int sentences = Between(2, 5, random);
    for (int i = 0; i < sentences; ++i) {
      if (i > 0) d.Directions += " ";
      d.Directions += Pick(kSentences, random);
    }
    d.Type = Between(0, 26, random);
    d.Season = Between(0, 5, random);
    d.Glass = Between(0, 14, random);
    d.Temp = Between(0, 2, random);
    d.Marked = Between(0, 9, random) == 0 ? 1 : 0;
    d.Comment = Between(0, 3, random) == 0 ? "A house favourite since " +
                                                 std::to_string(Between(1950, 2003, random)) + "."
                                           : "";
    d.Status = "";
    d.ReadOnly = true;
    drinks.push_back(std::move(d));
  }
  return drinks;
}

// ---- Our engine ----

TTableDefinition DrinksTable() {
  return TTableDefinition{"drinks",
                          {{"id", ftInteger},
                           {"name", ftString, 25},
                           {"ingred", ftMemo},
                           {"directions", ftMemo},
                           {"type", ftInteger},
                           {"season", ftInteger},
                           {"glass", ftInteger},
                           {"temp", ftInteger},
                           {"marked", ftInteger},
                           {"comment", ftString, 255},
                           {"status", ftString, 4},
                           {"read_only", ftBoolean}},
                          {{"id", {"id"}, tiPrimary}, {"type", {"type"}, 0}}};
}

// The bench database holding |drinks|.
class TOurDatabase : public bench::TBenchDatabase {
 public:
  explicit TOurDatabase(const std::vector<TBenchDrink>& drinks) : TBenchDatabase(DrinksTable()) {
    TTinyTable table;
    Open(table);
    TField& id = *table.FieldNamed("id");
    TField& name = *table.FieldNamed("name");
    TField& ingred = *table.FieldNamed("ingred");
    TField& directions = *table.FieldNamed("directions");
    TField& type = *table.FieldNamed("type");
    TField& season = *table.FieldNamed("season");
    TField& glass = *table.FieldNamed("glass");
    TField& temp = *table.FieldNamed("temp");
    TField& marked = *table.FieldNamed("marked");
    TField& comment = *table.FieldNamed("comment");
    TField& status = *table.FieldNamed("status");
    TField& read_only = *table.FieldNamed("read_only");
    for (const TBenchDrink& d : drinks) {
      table.BeginAppend();
      id.WriteInteger(d.Id);
      name.WriteText(d.Name);
      ingred.WriteText(d.Ingred);
      directions.WriteText(d.Directions);
      type.WriteInteger(d.Type);
      season.WriteInteger(d.Season);
      glass.WriteInteger(d.Glass);
      temp.WriteInteger(d.Temp);
      marked.WriteInteger(d.Marked);
      comment.WriteText(d.Comment);
      status.WriteText(d.Status);
      read_only.WriteBoolean(d.ReadOnly);
      table.PostRecord();
    }
  }
};

// What one walk saw: the matches, and a sum over their values so that
// neither side can skip reading them.
struct TWalk {
  int Matches = 0;
  int64_t Check = 0;
  bool operator==(const TWalk& other) const {
    return Matches == other.Matches && Check == other.Check;
  }
};

void Note(TWalk& walk, int32_t id, const std::string& name, int32_t marked) {
  ++walk.Matches;
  walk.Check += id * 31 + static_cast<int64_t>(name.size()) * 7 + marked;
}

TWalk WalkOurs(TTinyTable& table) {
  TField& id = *table.FieldNamed("id");
  TField& name = *table.FieldNamed("name");
  TField& marked = *table.FieldNamed("marked");
  TWalk walk;
  table.SetFilterOptions(foCaseInsensitive | foNoPartialCompare);
  table.SetFilter(kQuery);
  for (bool found = table.SeekFirstMatch(); found; found = table.SeekNextMatch())
    Note(walk, id.ReadInteger(), name.ReadText(), marked.ReadInteger());
  return walk;
}

// ---- SQLite ----

void Check(int rc, sqlite3* db, const char* what) {
  if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW)
    throw std::runtime_error(std::string(what) + ": " + sqlite3_errmsg(db));
}

class TSqliteDatabase {
 public:
  explicit TSqliteDatabase(const std::vector<TBenchDrink>& drinks) {
    Check(sqlite3_open(":memory:", &db_), db_, "open");
    Exec(
        "CREATE TABLE drinks (id INTEGER, name TEXT, ingred TEXT, directions TEXT, "
        "type INTEGER, season INTEGER, glass INTEGER, temp INTEGER, marked INTEGER, "
        "comment TEXT, status TEXT, read_only INTEGER);"
        "CREATE UNIQUE INDEX drinks_id ON drinks (id);"
        "CREATE INDEX drinks_type ON drinks (type);");
    Exec("BEGIN");
    sqlite3_stmt* insert = nullptr;
    Check(sqlite3_prepare_v2(db_, "INSERT INTO drinks VALUES (?,?,?,?,?,?,?,?,?,?,?,?)", -1,
                             &insert, nullptr),
          db_, "prepare insert");
    for (const TBenchDrink& d : drinks) {
      sqlite3_bind_int(insert, 1, d.Id);
      sqlite3_bind_text(insert, 2, d.Name.c_str(), -1, SQLITE_STATIC);
      sqlite3_bind_text(insert, 3, d.Ingred.c_str(), -1, SQLITE_STATIC);
      sqlite3_bind_text(insert, 4, d.Directions.c_str(), -1, SQLITE_STATIC);
      sqlite3_bind_int(insert, 5, d.Type);
      sqlite3_bind_int(insert, 6, d.Season);
      sqlite3_bind_int(insert, 7, d.Glass);
      sqlite3_bind_int(insert, 8, d.Temp);
      sqlite3_bind_int(insert, 9, d.Marked);
      sqlite3_bind_text(insert, 10, d.Comment.c_str(), -1, SQLITE_STATIC);
      sqlite3_bind_text(insert, 11, d.Status.c_str(), -1, SQLITE_STATIC);
      sqlite3_bind_int(insert, 12, d.ReadOnly ? 1 : 0);
      Check(sqlite3_step(insert), db_, "insert");
      sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    Exec("COMMIT");
  }
  ~TSqliteDatabase() { sqlite3_close(db_); }
  TSqliteDatabase(const TSqliteDatabase&) = delete;
  TSqliteDatabase& operator=(const TSqliteDatabase&) = delete;

  // SQLite's LIKE ignores the case of ASCII letters, as foCaseInsensitive.
  TWalk Walk() {
    sqlite3_stmt* query = nullptr;
    Check(sqlite3_prepare_v2(db_,
                             "SELECT id, name, marked FROM drinks WHERE ingred LIKE '%gin%' "
                             "ORDER BY id",
                             -1, &query, nullptr),
          db_, "prepare query");
    TWalk walk;
    int rc;
    while ((rc = sqlite3_step(query)) == SQLITE_ROW) {
      const auto* name = reinterpret_cast<const char*>(sqlite3_column_text(query, 1));
      Note(walk, sqlite3_column_int(query, 0), name != nullptr ? name : "",
           sqlite3_column_int(query, 2));
    }
    Check(rc, db_, "query");
    sqlite3_finalize(query);
    return walk;
  }

 private:
  void Exec(const char* sql) { Check(sqlite3_exec(db_, sql, nullptr, nullptr, nullptr), db_, sql); }

  sqlite3* db_ = nullptr;
};

// ---- Timing ----

// The median of |runs| timed calls of |walk|, in milliseconds; |result|
// gets what the last call saw.
template <class Walk>
double MedianMs(int runs, Walk walk, TWalk* result) {
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) {
    const auto start = Clock::now();
    *result = walk();
    times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
  }
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

int Run(int count) {
  const std::vector<TBenchDrink> drinks = MakeDrinks(count);
  const auto build_start = Clock::now();
  TOurDatabase ours(drinks);
  const double build_ms =
      std::chrono::duration<double, std::milli>(Clock::now() - build_start).count();
  TSqliteDatabase sqlite(drinks);

  TTinyTable table;
  ours.Open(table);
  const int runs = count <= 20000 ? 7 : 3;
  TWalk our_walk, sqlite_walk;
  WalkOurs(table);  // warm-up: the collator, the cipher key, the caches
  sqlite.Walk();
  const double our_ms = MedianMs(runs, [&] { return WalkOurs(table); }, &our_walk);
  const double sqlite_ms = MedianMs(runs, [&] { return sqlite.Walk(); }, &sqlite_walk);
  if (!(our_walk == sqlite_walk)) {
    std::fprintf(stderr, "the two walks differ: %d matches against %d\n", our_walk.Matches,
                 sqlite_walk.Matches);
    return 1;
  }
  std::printf("%8d records  %6d matches  ours %9.2f ms  SQLite %8.2f ms  ratio %6.2f"
              "   (image %.1f MB, built in %.0f ms)\n",
              count, our_walk.Matches, our_ms, sqlite_ms, our_ms / sqlite_ms,
              static_cast<double>(ours.Size()) / 1e6, build_ms);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<int> counts;
  for (int i = 1; i < argc; ++i) counts.push_back(std::atoi(argv[i]));
  if (counts.empty()) counts = {10000, 100000};
  try {
    RegisterStandardModules();
    std::printf("walk of %s (ignoring case) in id order, reading id, name and marked\n", kQuery);
    for (int count : counts) {
      if (count <= 0) throw std::runtime_error("the record counts must be positive");
      if (int rc = Run(count)) return rc;
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "like_bench: %s\n", e.what());
    return 1;
  }
  return 0;
}
