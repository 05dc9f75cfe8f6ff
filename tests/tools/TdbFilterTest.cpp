// tdb dump --filter as a user runs it: the records that pass a filter
// expression on every kind of field, sought one by one or with the
// cursor's filter switched on, and the errors of texts that do not work.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <string>
#include <vector>

#include "support/ToolRun.h"
#include "tools/ToolSchemas.h"

namespace {

using nlohmann::json;
using tinydb::test::TRun;
using tinydb::test::TToolTest;
using tinydb::test::WriteFile;

// The table of every field type with a second index, on "text".
json SchemaWithTextIndex() {
  json schema = tinydb::test::AllTypesSchema();
  schema["tables"][0]["indexes"].push_back(
      {{"name", "by text"}, {"fields", {"text"}}, {"options", json::array()}});
  return schema;
}

// Blobs other than memos are given in base64: "eHl6" is "xyz", "cG5n"
// "png", "TWFu" "Man", "YWJj" "abc", "enp6" "zzz".
std::vector<json> Records() {
  return {
      {{"key", 1}, {"text", "Gin Fizz"}, {"code", "AB"}, {"small", -5}, {"int", 5},
       {"word", 100}, {"flag", true}, {"real", 0.75}, {"money", 9.5}, {"day", "2003-02-28"},
       {"clock", "23:10:00.000"}, {"moment", "2004-05-06T07:08:09.000"},
       {"big", 6000000000LL}, {"memo", "2 oz gin\n1 oz lime"}, {"fmt", "{\\rtf1 gin}"},
       {"clob", "clear"}, {"blob", "eHl6"}, {"picture", "cG5n"}, {"ole", "TWFu"},
       {"typed", "YWJj"}},
      {{"key", 2}, {"text", "Gimlet"}, {"code", "CD"}, {"small", 7}, {"int", 6}, {"word", 50},
       {"flag", false}, {"real", 0.25}, {"money", 12.0}, {"day", "1999-12-31"},
       {"clock", "08:00:00.000"}, {"moment", "1998-01-01T00:00:00.000"}, {"big", 7},
       {"memo", "2 oz Gin\n1 oz lime cordial"}, {"fmt", "plain"}, {"clob", ""}, {"blob", ""},
       {"picture", ""}, {"ole", ""}, {"typed", ""}},
      {{"key", 3}, {"text", "Bramble"}, {"code", "AB"}, {"small", 0}, {"int", 5},
       {"word", 65535}, {"flag", true}, {"real", 1.5}, {"money", 0.0}, {"day", "2003-03-01"},
       {"clock", "23:59:59.000"}, {"moment", "2010-01-01T12:00:00.000"}, {"big", -1},
       {"memo", "gin and blackberry"}, {"fmt", "x"}, {"clob", "cloudy"}, {"blob", "enp6"},
       {"picture", ""}, {"ole", ""}, {"typed", ""}},
  };
}

class TdbFilterTest : public TToolTest {
 protected:
  TdbFilterTest() : TToolTest("tdbfilter-") {}

  // A database holding Records(), made with |options| of tdb create.
  void MakeDatabase(const std::string& db, const std::vector<std::string>& options,
                    const std::vector<std::string>& password) {
    WriteFile(Path("schema.json"), SchemaWithTextIndex().dump());
    std::vector<std::string> create = {"create", Path(db), "--schema", Path("schema.json")};
    create.insert(create.end(), options.begin(), options.end());
    TRun created = Tdb(create);
    ASSERT_EQ(0, created.exit_code) << created.err;
    std::string lines;
    for (const json& record : Records()) lines += record.dump() + "\n";
    std::vector<std::string> insert = {"insert", Path(db), "everything"};
    insert.insert(insert.end(), password.begin(), password.end());
    TRun inserted = Tdb(insert, lines);
    ASSERT_EQ(0, inserted.exit_code) << inserted.err;
  }

  TRun Dump(const std::string& db, const std::vector<std::string>& options) const {
    std::vector<std::string> args = {"dump", Path(db), "everything"};
    args.insert(args.end(), options.begin(), options.end());
    return Tdb(args);
  }

  // The keys of the records dump prints.
  static std::vector<int> Keys(const TRun& run) {
    std::vector<int> keys;
    for (const std::string& line : run.Lines()) keys.push_back(json::parse(line)["key"]);
    return keys;
  }
};

TEST_F(TdbFilterTest, FiltersOnEveryFieldTypeSeekOrNarrowTheSameRecords) {
  struct Case {
    std::string filter;
    std::vector<std::string> options;
    std::vector<int> keys;
  };
  const Case cases[] = {
      {"key > 1", {}, {2, 3}},
      {"text = 'Gi*'", {}, {1, 2}},  // a partial comparison of the leading characters
      {"text = 'Gi*'", {"--no-partial"}, {}},
      {"text = 'gimlet'", {}, {}},
      {"text = 'gimlet'", {"--ci"}, {2}},
      {"code = 'AB'", {}, {1, 3}},
      {"small < 0", {}, {1}},
      {"int = 5", {}, {1, 3}},
      {"word >= 100", {}, {1, 3}},
      {"flag = True", {}, {1, 3}},
      {"NOT flag", {}, {2}},
      {"real > 0.5", {}, {1, 3}},
      {"money < 10", {}, {1, 3}},
      {"YEAR(day) = 2003 AND MONTH(day) = 3", {}, {3}},
      {"HOUR(clock) = 23", {}, {1, 3}},
      {"YEAR(moment) > 2000", {}, {1, 3}},
      {"big > 5000000000", {}, {1}},
      {"memo LIKE '%Gin%'", {}, {2}},
      {"memo LIKE '%GIN%'", {"--ci", "--no-partial"}, {1, 2, 3}},
      {"fmt LIKE '%rtf%'", {}, {1}},
      // OLE, typed-binary and Oracle values have no order: LIKE reads them.
      {"clob LIKE ''", {}, {2}},
      {"blob = 'xyz'", {}, {1}},
      {"picture LIKE 'p%'", {}, {1}},
      {"ole LIKE 'Man'", {}, {1}},
      {"typed LIKE '_%'", {}, {1}},
      {"int = 5 AND small >= 0 OR key = 2", {}, {2, 3}},
      {"", {}, {1, 2, 3}},
  };
  const std::vector<std::vector<std::string>> settings = {
      {}, {"--compress", "--encrypt", "Blowfish", "--mode", "1", "--password", "fizzo"}};
  for (size_t s = 0; s < settings.size(); ++s) {
    const std::string db = "db" + std::to_string(s) + ".tdb";
    std::vector<std::string> password;
    if (s == 1) password = {"--password", "fizzo"};
    MakeDatabase(db, settings[s], password);
    for (const Case& c : cases) {
      for (bool filtered : {false, true}) {
        std::vector<std::string> options = password;
        options.insert(options.end(), {"--filter", c.filter});
        options.insert(options.end(), c.options.begin(), c.options.end());
        if (filtered) options.push_back("--filtered");
        const TRun run = Dump(db, options);
        EXPECT_EQ(0, run.exit_code) << c.filter << "\n" << run.err;
        EXPECT_EQ(c.keys, Keys(run)) << db << ": " << c.filter << (filtered ? " (filtered)" : "");
      }
    }
  }
}

TEST_F(TdbFilterTest, MatchesComeInTheOrderOfTheChosenIndex) {
  MakeDatabase("db.tdb", {}, {});
  EXPECT_EQ((std::vector<int>{3, 2, 1}),
            Keys(Dump("db.tdb", {"--index", "by text", "--filter", "memo LIKE '%gin%'", "--ci"})));
  const TRun whole = Dump("db.tdb", {"--filter", "key = 3"});
  ASSERT_EQ(0, whole.exit_code);
  EXPECT_EQ(Records()[2], json::parse(whole.out));  // every field of the match
}

TEST_F(TdbFilterTest, AFilterThatFailsPrintsItsMessageAndExitsWithOne) {
  MakeDatabase("db.tdb", {}, {});
  struct Case {
    std::vector<std::string> options;
    std::string message;
  };
  const Case cases[] = {
      {{"--filter", "int >"}, "Expression expected but nothing found\n"},
      {{"--filter", "colour = 1", "--filtered"}, "Field 'colour' not found\n"},
      {{"--filter", "text LIKE 5"}, "Type mismatch in expression\n"},
      {{"--filter", "100 / (int - 6) > 0"}, "Floating point division by zero\n"},
      {{"--filter", "100 / (int - 6) > 0", "--filtered"}, "Floating point division by zero\n"},
  };
  for (const Case& c : cases) {
    const TRun run = Dump("db.tdb", c.options);
    EXPECT_EQ(1, run.exit_code) << c.options[1];
    EXPECT_EQ(c.message, run.err) << c.options[1];
  }
  for (const char* flag : {"--filtered", "--ci", "--no-partial"}) {
    const TRun run = Dump("db.tdb", {flag});
    EXPECT_EQ(2, run.exit_code) << flag;
    EXPECT_NE(std::string::npos, run.err.find("usage:")) << run.err;
  }
}

}  // namespace
