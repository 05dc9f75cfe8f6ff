// The tdb tool as a user runs it: create a database from a schema, then
// read it back with info through the engine.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <iterator>
#include <string>
#include <vector>

#include "support/ToolRun.h"

namespace {

namespace fs = std::filesystem;
using nlohmann::json;
using tinydb::test::ReadFile;
using tinydb::test::TRun;
using tinydb::test::TToolTest;
using tinydb::test::WriteFile;

class TdbToolTest : public TToolTest {
 protected:
  TdbToolTest() : TToolTest("tdbtool-") {}

  // Writes |schema| and creates |db| from it with |options|.
  TRun Create(const std::string& db, const json& schema, std::vector<std::string> options = {}) {
    WriteFile(Path("schema.json"), schema.dump());
    std::vector<std::string> args = {"create", Path(db), "--schema", Path("schema.json")};
    args.insert(args.end(), options.begin(), options.end());
    return Tdb(args);
  }

  json Info(const std::string& db, std::vector<std::string> options = {}) {
    std::vector<std::string> args = {"info", Path(db)};
    args.insert(args.end(), options.begin(), options.end());
    TRun run = Tdb(args);
    EXPECT_EQ(0, run.exit_code) << run.err;
    return json::parse(run.out);
  }
};

// Every field type with a stored width, every index option, non-ASCII
// names, and a second table.
json FullSchema() {
  const char* types[] = {"ftSmallint", "ftInteger", "ftWord", "ftBoolean", "ftFloat",
                         "ftCurrency", "ftDate", "ftTime", "ftDateTime", "ftAutoInc",
                         "ftBlob", "ftMemo", "ftGraphic", "ftFmtMemo", "ftParadoxOle",
                         "ftDBaseOle", "ftTypedBinary", "ftLargeint", "ftOraBlob", "ftOraClob"};
  json fields = json::array();
  fields.push_back({{"name", "Caf\u00e9 \u20ac"}, {"type", "ftString"}, {"size", 25}, {"raw", false}});
  fields.push_back({{"name", "code"}, {"type", "ftFixedChar"}, {"size", 3}, {"raw", true}});
  for (size_t i = 0; i < std::size(types); ++i)
    fields.push_back({{"name", std::string("f_") + types[i]}, {"type", types[i]}, {"size", 0},
                      {"raw", i % 3 == 0}});
  json indexes = json::array({
      {{"name", "pk"}, {"fields", {"f_ftAutoInc"}}, {"options", {"tiPrimary"}}},
      {{"name", "by name"},
       {"fields", {"Caf\u00e9 \u20ac", "code"}},
       {"options", {"tiUnique", "tiDescending", "tiCaseInsensitive"}}},
      {{"name", "plain"}, {"fields", {"f_ftDate"}}, {"options", json::array()}},
  });
  json other = {{"name", "notes"},
                {"fields", {{{"name", "text"}, {"type", "ftMemo"}, {"size", 0}, {"raw", false}}}},
                {"indexes", json::array()}};
  return {{"tables", {{{"name", "drinks"}, {"fields", fields}, {"indexes", indexes}}, other}}};
}

TEST_F(TdbToolTest, InfoShowsEverythingCreateWasGiven) {
  struct Case {
    std::vector<std::string> options;
    json settings;  // what info reports, password_ok included
  };
  const Case cases[] = {
      {{},
       {{"compressed", false}, {"compress_algo", nullptr}, {"encrypted", false},
        {"encrypt_algo", nullptr}, {"encrypt_mode", nullptr}, {"verify_writes", false}}},
      {{"--compress", "--verify-writes"},
       {{"compressed", true}, {"compress_algo", "ZLIB"}, {"encrypted", false},
        {"encrypt_algo", nullptr}, {"encrypt_mode", nullptr}, {"verify_writes", true}}},
      {{"--compress", "--encrypt", "blowfish", "--mode", "1", "--password", "fizzo"},
       {{"compressed", true}, {"compress_algo", "ZLIB"}, {"encrypted", true},
        {"encrypt_algo", "Blowfish"}, {"encrypt_mode", 1}, {"verify_writes", false}}},
      {{"--encrypt", "Twofish", "--mode", "4", "--password", "s\u00fc\u00df", "--verify-writes"},
       {{"compressed", false}, {"compress_algo", nullptr}, {"encrypted", true},
        {"encrypt_algo", "Twofish"}, {"encrypt_mode", 4}, {"verify_writes", true}}},
      {{"--encrypt", "Gost", "--password", ""},
       {{"compressed", false}, {"compress_algo", nullptr}, {"encrypted", true},
        {"encrypt_algo", "Gost"}, {"encrypt_mode", 0}, {"verify_writes", false}}},
  };
  const json schema = FullSchema();
  int n = 0;
  for (const Case& c : cases) {
    const std::string db = "db" + std::to_string(n++) + ".tdb";
    TRun created = Create(db, schema, c.options);
    ASSERT_EQ(0, created.exit_code) << created.err;
    EXPECT_EQ("", created.out + created.err);

    std::string password;
    for (size_t i = 0; i + 1 < c.options.size(); ++i)
      if (c.options[i] == "--password") password = c.options[i + 1];
    const bool encrypted = c.settings["encrypted"];

    json info = Info(db, {"--password", password});
    EXPECT_EQ("2.0", info["version"]);
    for (const auto& item : c.settings.items())
      EXPECT_EQ(item.value(), info[item.key()]) << db << " " << item.key();
    EXPECT_EQ(true, info["password_ok"]) << db;
    ASSERT_EQ(2u, info["tables"].size());
    for (size_t t = 0; t < 2; ++t) {
      const json& want = schema["tables"][t];
      const json& got = info["tables"][t];
      EXPECT_EQ(want["name"], got["name"]);
      EXPECT_EQ(0, got["record_count"]);
      EXPECT_EQ(0, got["autoinc_value"]);
      EXPECT_EQ(want["fields"], got["fields"]) << db;
      EXPECT_EQ(want["indexes"], got["indexes"]) << db;
    }

    EXPECT_EQ(nullptr, Info(db)["password_ok"]) << db;
    EXPECT_EQ(!encrypted, Info(db, {"--password", password + "x"})["password_ok"]) << db;
  }
}

TEST_F(TdbToolTest, CreateNeverOverwritesAFile) {
  WriteFile(Path("keep.tdb"), "precious");
  TRun run = Create("keep.tdb", FullSchema());
  EXPECT_EQ(1, run.exit_code);
  EXPECT_EQ("File '" + Path("keep.tdb") + "' already exists\n", run.err);
  EXPECT_EQ("precious", ReadFile(Path("keep.tdb")));
}

TEST_F(TdbToolTest, BadSchemaIsRefusedWithAClearMessage) {
  struct Case {
    std::string schema;
    std::string message_part;
  };
  const Case cases[] = {
      {"{\"tables\": [", "is not valid JSON"},
      {"[]", "top level: must be a JSON object"},
      {R"({"tables": [{"name": "t", "fields": [{"name": "a", "type": "ftText"}]}]})",
       "table \"t\", field 1: unknown field type \"ftText\""},
      {R"({"tables": [{"name": "t", "fields": [{"type": "ftInteger"}]}]})",
       "table \"t\", field 1: \"name\" is missing"},
      {R"({"tables": [{"name": "t", "feilds": []}]})", "table 1: unknown key \"feilds\""},
      {R"({"tables": [{"name": "t", "fields": [{"name": "a", "type": "ftString", "size": "9"}]}]})",
       "\"size\" must be a whole number"},
      {R"({"tables": [{"name": "t", "fields": [{"name": "a", "type": "ftInteger"}],
           "indexes": [{"name": "x", "fields": ["a"], "options": ["tiClustered"]}]}]})",
       "unknown index option \"tiClustered\""},
      {R"({"tables": [{"name": "t", "fields": [{"name": "a", "type": "ftInteger"}],
           "indexes": [{"name": "x", "fields": ["b"]}]}]})",
       "Index 'x' of table 't' names the unknown field 'b'"},
      {R"({"tables": [{"name": "t", "fields": [{"name": "a", "type": "ftWideString"}]}]})",
       "Field 'a' of table 't' has the type ftWideString, which a table cannot store"},
      {"{\"tables\": [{\"name\": \"\xF0\x9F\x8D\xB8\", \"fields\": []}]}",
       "Windows-1252 cannot hold"},
  };
  for (const Case& c : cases) {
    WriteFile(Path("schema.json"), c.schema);
    TRun run = Tdb({"create", Path("new.tdb"), "--schema", Path("schema.json")});
    EXPECT_EQ(1, run.exit_code) << c.schema;
    EXPECT_NE(std::string::npos, run.err.find(c.message_part)) << c.schema << "\n" << run.err;
    EXPECT_FALSE(fs::exists(Path("new.tdb"))) << c.schema;
  }
  TRun missing = Tdb({"create", Path("new.tdb"), "--schema", Path("absent.json")});
  EXPECT_EQ(1, missing.exit_code);
  EXPECT_NE(std::string::npos, missing.err.find("absent.json")) << missing.err;
}

TEST_F(TdbToolTest, MisuseShowsTheUsageAndExitsWithTwo) {
  const std::vector<std::vector<std::string>> calls = {
      {},
      {"drop", "x.tdb"},
      {"create", Path("x.tdb")},
      {"create", "--schema", Path("s.json")},
      {"create", Path("x.tdb"), "--schema", Path("s.json"), "--password", "p"},
      {"create", Path("x.tdb"), "--schema", Path("s.json"), "--encrypt", "Gost", "--mode", "one"},
      {"create", Path("x.tdb"), "--schema"},
      {"info", Path("x.tdb"), "--verbose"},
      {"info"},
  };
  for (const auto& call : calls) {
    TRun run = Tdb(call);
    EXPECT_EQ(2, run.exit_code) << ::testing::PrintToString(call);
    EXPECT_NE(std::string::npos, run.err.find("usage:")) << run.err;
  }
}

TEST_F(TdbToolTest, InfoReportsTheEnginesMessageForADamagedFile) {
  ASSERT_EQ(0, Create("good.tdb", FullSchema()).exit_code);
  const std::string good = ReadFile(Path("good.tdb"));
  struct Case {
    std::string bytes;
    std::string message;  // empty: any message naming the file
  };
  std::string bad_magic = good, too_new = good, old = good;
  bad_magic[6] = 'X';
  too_new.replace(7, 5, std::string("2.1\0\0", 5));
  old.replace(7, 5, std::string("1.00\0", 5));
  const Case cases[] = {
      {bad_magic, "Database file '" + Path("damaged.tdb") + "' is a invalid TinyDB\n"},
      {too_new, "Version of database file is too High\n"},
      {old, "Version 1.00 is not compatible\n"},
      {good.substr(0, 3000), ""},
      {good.substr(0, good.size() - 100), ""},
  };
  for (const Case& c : cases) {
    WriteFile(Path("damaged.tdb"), c.bytes);
    TRun run = Tdb({"info", Path("damaged.tdb")});
    EXPECT_EQ(1, run.exit_code) << run.out;
    EXPECT_EQ("", run.out);
    if (c.message.empty())
      EXPECT_FALSE(run.err.empty());
    else
      EXPECT_EQ(c.message, run.err);
  }
  TRun absent = Tdb({"info", Path("absent.tdb")});
  EXPECT_EQ(1, absent.exit_code);
  EXPECT_EQ("Cannot open file " + Path("absent.tdb") + "\n", absent.err);
}

}  // namespace

namespace {

json ShelfSchema() {
  return {{"tables",
           {{{"name", "shelf"},
             {"fields", {{{"name", "name"}, {"type", "ftString"}, {"size", 64}}}},
             {"indexes", {{{"name", "name"}, {"fields", {"name"}}, {"options", {"tiUnique"}}}}}}}}};
}

TEST_F(TdbToolTest, AddTableGrowsAFileWithDataAndCheckPassesOnIt) {
  const std::vector<std::string> password = {"--password", "p w"};
  ASSERT_EQ(0, Create("bar.tdb", FullSchema(), {"--compress", "--encrypt", "Twofish", "--mode", "2",
                                                "--password", "p w"})
                   .exit_code);
  const std::string db = Path("bar.tdb");
  ASSERT_EQ(0, Run(ZESTORIA_TDB, {"insert", db, "notes", "--password", "p w"},
                   "{\"text\":\"first note\"}\n{\"text\":\"second note\"}\n")
                   .exit_code);
  const auto size = fs::file_size(db);
  WriteFile(Path("shelf.json"), ShelfSchema().dump());
  const std::vector<std::string> add = {"add-table", db, "--schema", Path("shelf.json")};

  // Without the password nothing is written.
  TRun denied = Tdb(add);
  EXPECT_EQ(1, denied.exit_code);
  EXPECT_NE(std::string::npos, denied.err.find("Access denied")) << denied.err;
  EXPECT_EQ(fs::file_size(db), size);

  std::vector<std::string> add_with_password = add;
  add_with_password.insert(add_with_password.end(), password.begin(), password.end());
  TRun added = Tdb(add_with_password);
  ASSERT_EQ(0, added.exit_code) << added.err;
  EXPECT_GT(fs::file_size(db), size);

  TRun again = Tdb(add_with_password);
  EXPECT_EQ(1, again.exit_code);
  EXPECT_NE(std::string::npos, again.err.find("Duplicate table name 'shelf'")) << again.err;

  ASSERT_EQ(0, Run(ZESTORIA_TDB, {"insert", db, "shelf", "--password", "p w"},
                   "{\"name\":\"Gin\"}\n{\"name\":\"Campari\"}\n")
                   .exit_code);
  TRun check = Tdb({"check", db, "--password", "p w"});
  EXPECT_EQ(0, check.exit_code) << check.out << check.err;
  TRun shelf = Tdb({"dump", db, "shelf", "--password", "p w", "--index", "name"});
  EXPECT_EQ(shelf.out, "{\"name\":\"Campari\"}\n{\"name\":\"Gin\"}\n");
  TRun notes = Tdb({"dump", db, "notes", "--password", "p w"});
  EXPECT_EQ(notes.out, "{\"text\":\"first note\"}\n{\"text\":\"second note\"}\n");

  TRun misuse = Tdb({"add-table", db});
  EXPECT_EQ(2, misuse.exit_code);
  EXPECT_NE(std::string::npos, misuse.err.find("usage:")) << misuse.err;
}

}  // namespace
