// The tdb record verbs as a user runs them: insert records from JSON
// lines, dump them back, delete some, and check the file's structure.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdint>
#include <functional>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "platform/Calendar.h"
#include "processing/DataProcess.h"
#include "storage/DatabaseWriter.h"
#include "storage/Format.h"
#include "support/DatabaseSettings.h"
#include "support/ToolRun.h"
#include "tables/TinyDB.h"
#include "tools/ToolSchemas.h"

namespace {

using nlohmann::json;
using tinydb::test::AllTypesSchema;
using tinydb::test::Field;
using tinydb::test::ReadFile;
using tinydb::test::TRun;
using tinydb::test::TToolTest;
using tinydb::test::WriteFile;

std::string JsonLines(const std::vector<json>& records) {
  std::string text;
  for (const json& record : records) text += record.dump() + "\n";
  return text;
}

class TdbDataTest : public TToolTest {
 protected:
  TdbDataTest() : TToolTest("tdbdata-") {}

  void Create(const std::string& db, const json& schema, std::vector<std::string> options = {}) {
    WriteFile(Path("schema.json"), schema.dump());
    std::vector<std::string> args = {"create", Path(db), "--schema", Path("schema.json")};
    args.insert(args.end(), options.begin(), options.end());
    TRun run = Tdb(args);
    ASSERT_EQ(0, run.exit_code) << run.err;
  }

  TRun Insert(const std::string& db, const std::string& table, const std::vector<json>& records,
              std::vector<std::string> options = {}) {
    std::vector<std::string> args = {"insert", Path(db), table};
    args.insert(args.end(), options.begin(), options.end());
    return Tdb(args, JsonLines(records));
  }

  // The records dump prints, parsed.
  std::vector<json> Dump(const std::string& db, const std::string& table,
                         std::vector<std::string> options = {}) {
    std::vector<std::string> args = {"dump", Path(db), table};
    args.insert(args.end(), options.begin(), options.end());
    TRun run = Tdb(args);
    EXPECT_EQ(0, run.exit_code) << run.err;
    std::vector<json> records;
    for (const std::string& line : run.Lines()) records.push_back(json::parse(line));
    return records;
  }
};

// A small drinks table: id (primary), name (unique, case-insensitive),
// rating (descending), a memo.
json DrinksSchema() {
  return {{"tables",
           {{{"name", "drinks"},
             {"fields",
              {Field("id", "ftInteger"), Field("name", "ftString", 25),
               Field("rating", "ftSmallint"), Field("ingred", "ftMemo")}},
             {"indexes",
              {{{"name", "id"}, {"fields", {"id"}}, {"options", {"tiPrimary"}}},
               {{"name", "by name"},
                {"fields", {"name"}},
                {"options", {"tiUnique", "tiCaseInsensitive"}}},
               {{"name", "by rating"},
                {"fields", {"rating", "id"}},
                {"options", {"tiDescending"}}}}}}}}};
}

json Drink(int id, const std::string& name, int rating) {
  return {{"id", id}, {"name", name}, {"rating", rating}, {"ingred", name + " with ice"}};
}

// ---- insert and dump ----

TEST_F(TdbDataTest, InsertThenDumpRoundTripsEveryFieldType) {
  const std::vector<json> records = {
      {{"key", 1}, {"text", "Caf\u00e9 \u20ac \u00fc"}, {"code", "AB"}, {"small", -32768},
       {"int", 2147483647}, {"word", 65535}, {"flag", true}, {"real", 0.1},
       {"money", -12345.67}, {"day", "2003-02-28"}, {"clock", "23:59:59.999"},
       {"moment", "1899-12-30T00:00:00.000"}, {"big", -9223372036854775807LL - 1},
       {"memo", "two\nlines \u2013 \u00bd oz"}, {"fmt", "{\\rtf1 x}"}, {"clob", ""},
       {"blob", "AAH/gA=="}, {"picture", ""}, {"ole", "TWFu"}, {"typed", "TWE="}},
      {{"key", 7}, {"text", "twelve chars"}, {"code", ""}, {"small", 32767}, {"int", -1},
       {"word", 0}, {"flag", false}, {"real", -1.5e300}, {"money", 0.0},
       {"day", "0001-01-01"}, {"clock", "00:00:00.000"}, {"moment", "9999-12-31T23:59:59.999"},
       {"big", 9223372036854775807LL}, {"memo", std::string(3000, 'm')}, {"fmt", "f"},
       {"clob", "\u00e9"}, {"blob", std::string(400, 'A')}, {"picture", "/w=="}, {"ole", ""},
       {"typed", "AA=="}},
  };
  const std::vector<std::vector<std::string>> settings = {
      {}, {"--compress", "--encrypt", "Twofish", "--mode", "2", "--password", "p\u00e4ss"}};
  for (size_t s = 0; s < settings.size(); ++s) {
    const std::string db = "all" + std::to_string(s) + ".tdb";
    Create(db, AllTypesSchema(), settings[s]);
    std::vector<std::string> password;
    if (s == 1) password = {"--password", "p\u00e4ss"};

    TRun run = Insert(db, "everything", records, password);
    ASSERT_EQ(0, run.exit_code) << run.err;
    EXPECT_EQ("2 records inserted\n", run.out);
    const std::vector<json> dumped = Dump(db, "EVERYTHING", password);
    ASSERT_EQ(records.size(), dumped.size());
    for (size_t r = 0; r < records.size(); ++r)
      EXPECT_EQ(records[r], dumped[r]) << db << " record " << r;
    // Fields come out in schema order, as a program lists them.
    std::vector<std::string> args = {"dump", Path(db), "everything"};
    args.insert(args.end(), password.begin(), password.end());
    EXPECT_EQ(0u, Tdb(args).out.find("{\"key\":1,\"text\":\"Caf\u00e9 \u20ac \u00fc\",\"code\":"));
    EXPECT_EQ("ok\n", Tdb({"check", Path(db), "--password", "p\u00e4ss"}).out) << db;
  }
}

TEST_F(TdbDataTest, MissingFieldsGetTheInitialValuesOfANewRecord) {
  Create("db.tdb", AllTypesSchema());
  ASSERT_EQ(0, Insert("db.tdb", "everything", {{{"int", 5}}, {{"key", 40}}, json::object()}).exit_code);
  const std::vector<json> dumped = Dump("db.tdb", "everything");
  ASSERT_EQ(3u, dumped.size());
  const json& first = dumped[0];
  EXPECT_EQ(1, first["key"]);  // auto-increment numbers are handed out
  EXPECT_EQ(41, dumped[2]["key"]);
  EXPECT_EQ(5, first["int"]);
  EXPECT_EQ("", first["text"]);
  EXPECT_EQ(false, first["flag"]);
  EXPECT_EQ(0.0, first["real"]);
  EXPECT_EQ(tinydb::DayNumberToText(tinydb::TodayDayNumber()), first["day"]);
  EXPECT_EQ("1899-12-30T00:00:00.000", first["moment"]);
  EXPECT_EQ("", first["memo"]);
  EXPECT_EQ("", first["blob"]);
}

TEST_F(TdbDataTest, DumpFollowsTheChosenIndex) {
  Create("db.tdb", DrinksSchema());
  ASSERT_EQ(0, Insert("db.tdb", "drinks",
                      {Drink(3, "negroni", 4), Drink(1, "martini", 5), Drink(2, "gimlet", 4),
                       Drink(4, "sazerac", 2)})
                   .exit_code);
  auto ids = [&](std::vector<std::string> options) {
    std::vector<int> out;
    for (const json& record : Dump("db.tdb", "drinks", options)) out.push_back(record["id"]);
    return out;
  };
  EXPECT_EQ((std::vector<int>{1, 2, 3, 4}), ids({}));
  EXPECT_EQ((std::vector<int>{2, 1, 3, 4}), ids({"--index", "BY NAME"}));
  EXPECT_EQ((std::vector<int>{1, 3, 2, 4}), ids({"--index", "by rating"}));

  TRun unknown = Tdb({"dump", Path("db.tdb"), "drinks", "--index", "by colour"});
  EXPECT_EQ(1, unknown.exit_code);
  EXPECT_EQ("Index 'by colour' not found\n", unknown.err);
  TRun no_table = Tdb({"dump", Path("db.tdb"), "cocktails"});
  EXPECT_EQ(1, no_table.exit_code);
  EXPECT_EQ("Table 'cocktails' not found\n", no_table.err);
}

TEST_F(TdbDataTest, AFailingLineStopsWithItsNumberAndKeepsTheRecordsBeforeIt) {
  struct Case {
    std::string bad_line;
    std::string message;
  };
  const Case cases[] = {
      {"{\"id\": 9, ", "line 4: not valid JSON"},
      {"[9]", "line 4: not a JSON object"},
      {R"({"id": 9, "colour": "red"})", "line 4: Field 'colour' not found"},
      {R"({"id": "nine"})", "line 4: field 'id' takes a whole number"},
      {R"({"id": 9, "rating": 40000})", "line 4: field 'rating' takes a whole number from -32768 to 32767"},
      {R"({"id": 9, "name": "a name far longer than twenty-five"})", "at most 25 characters"},
      {R"({"id": 9, "name": "\ud83c\udf78"})", "line 4: field 'name' takes a text in the characters of Windows-1252"},
      {R"({"id": 2, "name": "other"})", "line 4: Invalid unique field value '2'"},
      {R"({"id": 9, "name": "MARTINI"})", "line 4: Invalid unique field value 'MARTINI'"},
  };
  int n = 0;
  for (const Case& c : cases) {
    const std::string db = "db" + std::to_string(n++) + ".tdb";
    Create(db, DrinksSchema());
    const std::string input = JsonLines({Drink(1, "martini", 5), Drink(2, "gimlet", 4)}) + "\n" +
                              c.bad_line + "\n" + JsonLines({Drink(5, "sazerac", 2)});
    TRun run = Tdb({"insert", Path(db), "drinks"}, input);
    EXPECT_EQ(1, run.exit_code) << c.bad_line;
    EXPECT_NE(std::string::npos, run.err.find(c.message)) << c.bad_line << "\n" << run.err;
    EXPECT_NE(std::string::npos, run.err.find("2 records inserted before it")) << run.err;
    const std::vector<json> kept = Dump(db, "drinks");
    ASSERT_EQ(2u, kept.size()) << c.bad_line;
    EXPECT_EQ(Drink(1, "martini", 5), kept[0]);
    EXPECT_EQ(Drink(2, "gimlet", 4), kept[1]);
    EXPECT_EQ("ok\n", Tdb({"check", Path(db)}).out) << c.bad_line;
  }
}

// ---- delete ----

TEST_F(TdbDataTest, DeleteByKeyOrAllPrintsHowManyWentAway) {
  Create("db.tdb", DrinksSchema());
  ASSERT_EQ(0, Insert("db.tdb", "drinks",
                      {Drink(1, "martini", 5), Drink(2, "gimlet", 4), Drink(3, "negroni", 4),
                       Drink(4, "sazerac", 2), Drink(5, "caf\u00e9 royal", 4)})
                   .exit_code);
  struct Step {
    std::vector<std::string> options;
    std::string out;
    std::vector<int> left;
  };
  const Step steps[] = {
      {{"--key", "rating=4"}, "3 records deleted\n", {1, 4}},
      {{"--key", "id=7"}, "0 records deleted\n", {1, 4}},
      {{"--key", "name=Martini"}, "0 records deleted\n", {1, 4}},  // texts match exactly
      {{"--key", "name=sazerac"}, "1 record deleted\n", {1}},
      {{"--all"}, "1 record deleted\n", {}},
      {{"--all"}, "0 records deleted\n", {}},
  };
  for (const Step& step : steps) {
    std::vector<std::string> args = {"delete", Path("db.tdb"), "drinks"};
    args.insert(args.end(), step.options.begin(), step.options.end());
    TRun run = Tdb(args);
    EXPECT_EQ(0, run.exit_code) << run.err;
    EXPECT_EQ(step.out, run.out) << step.options[0];
    std::vector<int> left;
    for (const json& record : Dump("db.tdb", "drinks")) left.push_back(record["id"]);
    EXPECT_EQ(step.left, left);
    EXPECT_EQ("ok\n", Tdb({"check", Path("db.tdb")}).out);
  }

  TRun bad_value = Tdb({"delete", Path("db.tdb"), "drinks", "--key", "id=one"});
  EXPECT_EQ(1, bad_value.exit_code);
  EXPECT_NE(std::string::npos, bad_value.err.find("field 'id' takes a whole number")) << bad_value.err;
  for (const auto& call : std::vector<std::vector<std::string>>{
           {"delete", Path("db.tdb"), "drinks"},
           {"delete", Path("db.tdb"), "drinks", "--all", "--key", "id=1"},
           {"delete", Path("db.tdb"), "drinks", "--key", "id"},
           {"dump", Path("db.tdb")},
           {"insert", Path("db.tdb"), "drinks", "extra"}}) {
    TRun run = Tdb(call);
    EXPECT_EQ(2, run.exit_code) << ::testing::PrintToString(call);
    EXPECT_NE(std::string::npos, run.err.find("usage:")) << run.err;
  }
}

TEST_F(TdbDataTest, AnEncryptedDatabaseNeedsItsPassword) {
  Create("db.tdb", DrinksSchema(), {"--encrypt", "Blowfish", "--password", "fizzo"});
  ASSERT_EQ(0, Insert("db.tdb", "drinks", {Drink(1, "martini", 5)}, {"--password", "fizzo"}).exit_code);
  for (const std::vector<std::string>& password :
       std::vector<std::vector<std::string>>{{}, {"--password", "fizz"}}) {
    std::vector<std::string> args = {"dump", Path("db.tdb"), "drinks"};
    args.insert(args.end(), password.begin(), password.end());
    TRun run = Tdb(args);
    EXPECT_EQ(1, run.exit_code);
    EXPECT_EQ("Access denied\n", run.err);
  }
  TRun unchecked = Tdb({"check", Path("db.tdb")});
  EXPECT_EQ(0, unchecked.exit_code);
  EXPECT_EQ(
      "key order and encrypted values not checked: the database is encrypted and no password "
      "was given\nok\n",
      unchecked.out);
  EXPECT_EQ(std::vector<std::string>{"ok"}, Tdb({"check", Path("db.tdb"), "--password", "fizzo"}).Lines());
}

// ---- check ----

// Positions inside a database file, read with the on-disk structures.
class TImageView {
 public:
  explicit TImageView(std::string bytes) : bytes_(std::move(bytes)) {}

  tinydb::TTableHeader Header(int table) const {
    tinydb::TTableHeader header;
    header.DecodeFrom(At(HeaderPos(table)));
    return header;
  }
  int32_t HeaderPos(int table) const {
    return Int32(tinydb::kTableDirectoryPos + 8 + 4 * table);
  }
  // Position of index |index|'s tab item for record |k| (first chunk only).
  int32_t IndexItemPos(int table, int index, int32_t k) const {
    return Header(table).IndexDefs[index].IndexTabPos + 4 + k * tinydb::kIndexTabItemSize;
  }
  int32_t RecordDataPos(int table, int32_t k) const {
    return Int32(Header(table).RecordTabPos + 4 + k * tinydb::kRecordTabItemSize);
  }
  int32_t Int32(int64_t pos) const { return tinydb::DecodeInt32(At(pos)); }
  void SetInt32(int64_t pos, int32_t v) {
    tinydb::EncodeInt32(reinterpret_cast<uint8_t*>(&bytes_[static_cast<size_t>(pos)]), v);
  }
  // Overwrites the bytes at |pos| with |bytes|.
  void SetBytes(int64_t pos, const std::string& bytes) {
    bytes_.replace(static_cast<size_t>(pos), bytes.size(), bytes);
  }
  const std::string& Bytes() const { return bytes_; }

 private:
  const uint8_t* At(int64_t pos) const {
    return reinterpret_cast<const uint8_t*>(bytes_.data()) + pos;
  }
  std::string bytes_;
};

TEST_F(TdbDataTest, CheckReportsHandMadeDamageAndExitsWithOne) {
  Create("good.tdb", DrinksSchema());
  std::vector<json> drinks;
  for (int id = 1; id <= 8; ++id) drinks.push_back(Drink(id, "drink " + std::to_string(id), id % 3));
  ASSERT_EQ(0, Insert("good.tdb", "drinks", drinks).exit_code);
  ASSERT_EQ(0, Tdb({"delete", Path("good.tdb"), "drinks", "--key", "id=6"}).exit_code);
  TRun good = Tdb({"check", Path("good.tdb")});
  ASSERT_EQ(0, good.exit_code) << good.out;
  ASSERT_EQ("ok\n", good.out);

  // Records 0..7 hold ids 1..8; index 0 ("id") chains them 0 -> 1 -> ... -> 7.
  const TImageView image(ReadFile(Path("good.tdb")));
  struct Damage {
    const char* what;
    std::function<void(TImageView&)> apply;
    std::vector<std::string> problems;  // parts of the lines check prints
  };
  const Damage damages[] = {
      {"two records swapped in the chain",
       [](TImageView& v) {
         v.SetInt32(v.IndexItemPos(0, 0, 1) + 4, 3);  // 1 -> 3 -> 2 -> 4
         v.SetInt32(v.IndexItemPos(0, 0, 3) + 4, 2);
         v.SetInt32(v.IndexItemPos(0, 0, 2) + 4, 4);
       },
       {"table 'drinks': index 'id': record 2 follows record 3 in the chain but its key sorts "
        "before it"}},
      {"a chain that loops",
       [](TImageView& v) { v.SetInt32(v.IndexItemPos(0, 0, 4) + 4, 2); },
       {"table 'drinks': index 'id''s chain returns to record 2",
        "table 'drinks': record 6 is missing from index 'id''s chain"}},
      {"a link to a record that does not exist",
       [](TImageView& v) { v.SetInt32(v.IndexItemPos(0, 1, 0) + 4, 8); },
       {"index 'by name''s index tab links record 0 to record 8, which does not exist"}},
      {"equal keys in the primary index",
       [](TImageView& v) {
         // Record 1's id (the first field, stored as is) becomes record 0's.
         v.SetInt32(v.RecordDataPos(0, 1), 1);
       },
       {"index 'id': record 0 and record 1 have the same key in a unique index"}},
      {"a blob block inside the record tab",
       [](TImageView& v) {
         const int32_t memo = v.RecordDataPos(0, 2) + 4 + 26 + 2;
         v.SetInt32(memo, v.Header(0).RecordTabPos + 64);
       },
       {"record 2, field 'ingred': blob block at", "lies before its record",
        "overlaps table 'drinks' record tab chunk 0"}},
      {"two field names equal but for the case of an accented letter",
       [](TImageView& v) {
         const int64_t defs = v.HeaderPos(0) + tinydb::kTableHeaderFieldDefsOffset;
         v.SetBytes(defs + 1 * tinydb::kFieldDefSize, std::string("caf\xE9\0", 5));
         v.SetBytes(defs + 2 * tinydb::kFieldDefSize, std::string("CAF\xC9\0", 5));
       },
       {"table 'drinks': field 'CAF\u00c9' is defined twice"}},
      {"a record count beyond the record tab",
       [](TImageView& v) {
         v.SetInt32(v.HeaderPos(0) + tinydb::kTableHeaderRecordCountOffset, 1025);
       },
       {"record tab chain ends after 1 chunks; 1025 records need 2"}},
  };
  for (const Damage& damage : damages) {
    TImageView damaged = image;
    damage.apply(damaged);
    WriteFile(Path("damaged.tdb"), damaged.Bytes());
    TRun run = Tdb({"check", Path("damaged.tdb")});
    EXPECT_EQ(1, run.exit_code) << damage.what << "\n" << run.out << run.err;
    EXPECT_EQ(std::string::npos, run.out.find("ok\n")) << damage.what;
    for (const std::string& problem : damage.problems)
      EXPECT_NE(std::string::npos, run.out.find(problem)) << damage.what << "\n" << run.out;
  }
}

// ---- a long mixed history ----

// 2 000 appends, updates and deletes through the cursor on a disk file,
// kept alongside in a plain map; the file must pass check and dump back
// exactly the map.
TEST_F(TdbDataTest, AFileAfterTwoThousandChangesPassesCheckAndReadsBackExactly) {
  tinydb::RegisterStandardModules();
  const tinydb::TDatabaseSettings settings =
      tinydb::test::CompressedEncrypted("Blowfish", 1, "fizzo");
  tinydb::TTableDefinition table_def;
  table_def.Name = "drinks";
  table_def.Fields = {{"id", tinydb::ftInteger},
                      {"name", tinydb::ftString, 25},
                      {"rating", tinydb::ftSmallint},
                      {"ingred", tinydb::ftMemo}};
  table_def.Indexes = {{"id", {"id"}, tinydb::tiPrimary},
                       {"by rating", {"rating"}, tinydb::tiDescending},
                       {"by name", {"name"}, 0}};
  tinydb::CreateDatabaseFile(Path("history.tdb"), settings, {table_def});

  struct TDrinkRow {
    std::string name;
    int rating;
    std::string ingred;
  };
  std::map<int, TDrinkRow> model;
  std::mt19937 random(2003);
  auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
  auto some_ingred = [&](int id) {
    // Lengths around the 64-byte block size, so blobs grow, shrink and move.
    return std::string(static_cast<size_t>(pick(200)), static_cast<char>('a' + id % 26));
  };
  {
    tinydb::TTinyTable table;
    table.SetMediumType(tinydb::mtDisk);
    table.SetDatabaseName(Path("history.tdb"));
    table.SetPassword("fizzo");
    table.SetTableName("drinks");
    table.Open();
    auto write = [&](int id, const TDrinkRow& row) {
      table.FieldNamed("id")->WriteInteger(id);
      table.FieldNamed("name")->WriteText(row.name);
      table.FieldNamed("rating")->WriteInteger(row.rating);
      table.FieldNamed("ingred")->WriteBytes(row.ingred);
      table.PostRecord();
    };
    int next_id = 1;
    for (int step = 0; step < 2000; ++step) {
      const int action = model.size() < 20 ? 0 : pick(3);
      if (action == 0) {
        const int id = next_id++;
        const TDrinkRow row{"drink " + std::to_string(pick(1000)), pick(10), some_ingred(id)};
        table.BeginAppend();
        write(id, row);
        model[id] = row;
        continue;
      }
      auto victim = model.begin();
      std::advance(victim, pick(static_cast<int>(model.size())));
      ASSERT_TRUE(table.FindByKey("id", tinydb::TFieldValue(int64_t{victim->first})));
      if (action == 1) {
        TDrinkRow row = victim->second;
        row.rating = pick(10);
        if (pick(2) == 0) row.name = "renamed " + std::to_string(pick(1000));
        row.ingred = some_ingred(victim->first);
        table.BeginEdit();
        write(victim->first, row);
        victim->second = row;
      } else {
        table.DeleteCurrent();
        model.erase(victim);
      }
    }
  }

  TRun check = Tdb({"check", Path("history.tdb"), "--password", "fizzo"});
  EXPECT_EQ(0, check.exit_code) << check.out << check.err;
  EXPECT_EQ("ok\n", check.out);

  const std::vector<json> dumped = Dump("history.tdb", "drinks", {"--password", "fizzo"});
  ASSERT_EQ(model.size(), dumped.size());
  auto row = model.begin();
  for (const json& record : dumped) {
    const json expected = {{"id", row->first},
                           {"name", row->second.name},
                           {"rating", row->second.rating},
                           {"ingred", row->second.ingred}};
    EXPECT_EQ(expected, record);
    ++row;
  }
}

}  // namespace
