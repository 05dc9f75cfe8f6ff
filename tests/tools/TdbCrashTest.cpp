// tdb insert and tdb delete killed at random moments: each batch is one
// journaled change, so after every kill tdb check passes and the table
// holds the records of before the batch or of after it. A journal a crash
// left is rolled back by tdb, and a damaged one is refused.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <nlohmann/json.hpp>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "platform/Journal.h"
#include "support/ToolRun.h"
#include "tools/ToolSchemas.h"

namespace {

using nlohmann::json;
using tinydb::test::Field;
using tinydb::test::ReadFile;
using tinydb::test::TRun;
using tinydb::test::TToolTest;
using tinydb::test::WriteFile;

json Schema() {
  return {{"tables",
           {{{"name", "drinks"},
             {"fields",
              {Field("id", "ftInteger"), Field("name", "ftString", 25),
               Field("rating", "ftSmallint"), Field("ingred", "ftMemo")}},
             {"indexes",
              {{{"name", "id"}, {"fields", {"id"}}, {"options", {"tiPrimary"}}},
               {{"name", "by name"}, {"fields", {"name"}}, {"options", {"tiUnique"}}},
               {{"name", "by rating"}, {"fields", {"rating", "id"}}, {"options", json::array()}}}}}}}};
}

std::string Records(int first, int last, int rating) {
  std::string lines;
  for (int id = first; id <= last; ++id)
    lines += json{{"id", id},
                  {"name", "Drink " + std::to_string(id)},
                  {"rating", rating},
                  {"ingred", std::string(static_cast<size_t>(20 + id % 300), 'i')}}
                 .dump() +
             "\n";
  return lines;
}

class TdbCrashTest : public TToolTest {
 protected:
  TdbCrashTest() : TToolTest("tdbcrash-") {}

  void SetUp() override {
    WriteFile(Path("schema.json"), Schema().dump());
    TRun run = Tdb({"create", db_, "--schema", Path("schema.json")});
    ASSERT_EQ(0, run.exit_code) << run.err;
    run = Tdb({"insert", db_, "drinks"}, Records(1, 40, 1));
    ASSERT_EQ(0, run.exit_code) << run.err;
  }

  // The ids the table holds, by tdb dump (which fails the test when it fails).
  std::set<int> Ids() {
    TRun run = Tdb({"dump", db_, "drinks"});
    EXPECT_EQ(0, run.exit_code) << run.err;
    std::set<int> ids;
    for (const std::string& line : run.Lines()) ids.insert(json::parse(line)["id"].get<int>());
    return ids;
  }

  // Starts tdb with |args| reading |input_file|; returns its process id.
  pid_t Start(const std::vector<std::string>& args, const std::string& input_file) {
    std::vector<std::string> argv = {ZESTORIA_TDB};
    argv.insert(argv.end(), args.begin(), args.end());
    const pid_t child = ::fork();
    if (child == 0) {
      const int in = ::open(input_file.c_str(), O_RDONLY);
      const int out = ::open("/dev/null", O_WRONLY);
      ::dup2(in, 0);
      ::dup2(out, 1);
      ::dup2(out, 2);
      std::vector<char*> raw;
      for (std::string& arg : argv) raw.push_back(arg.data());
      raw.push_back(nullptr);
      ::execv(raw[0], raw.data());
      ::_exit(127);
    }
    return child;
  }

  std::string db_ = Path("db.tdb");
};

TEST_F(TdbCrashTest, AKilledInsertOrDeleteLeavesTheTableBeforeOrAfterItsBatch) {
  std::set<int> base;
  for (int id = 1; id <= 40; ++id) base.insert(id);
  std::set<int> with_batch = base;
  for (int id = 1001; id <= 1150; ++id) with_batch.insert(id);
  WriteFile(Path("batch.jsonl"), Records(1001, 1150, 7));
  WriteFile(Path("empty"), "");
  const std::vector<std::string> insert = {"insert", db_, "drinks"};
  const std::vector<std::string> remove = {"delete", db_, "drinks", "--key", "rating=7"};

  // How long a whole batch takes, unkilled: the kills fall within it.
  auto timed = [&](const std::vector<std::string>& args, const std::string& input) {
    const auto start = std::chrono::steady_clock::now();
    int status = 0;
    ::waitpid(Start(args, input), &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    return std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() -
                                                                 start)
        .count();
  };
  const int64_t insert_time = timed(insert, Path("batch.jsonl"));
  const int64_t span = std::max(insert_time, timed(remove, Path("empty")));
  ASSERT_EQ(base, Ids());

  std::mt19937 random(20261210);
  int before = 0;
  int after = 0;
  int journals = 0;  // kills inside a commit, which left its journal
  bool holds_batch = false;
  for (int round = 0; round < 30; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    const pid_t child = holds_batch ? Start(remove, Path("empty")) : Start(insert, Path("batch.jsonl"));
    ::usleep(static_cast<useconds_t>(std::uniform_int_distribution<int64_t>(0, span)(random)));
    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (tinydb::JournalExists(db_)) ++journals;

    TRun check = Tdb({"check", db_});
    ASSERT_EQ(0, check.exit_code) << check.out << check.err;
    const std::set<int> ids = Ids();
    const std::set<int>& old_state = holds_batch ? with_batch : base;
    const std::set<int>& new_state = holds_batch ? base : with_batch;
    if (ids == old_state) {
      ++before;
    } else {
      ASSERT_EQ(new_state, ids) << "neither the table before the batch nor the one after it";
      ++after;
      holds_batch = !holds_batch;
    }
    EXPECT_FALSE(tinydb::JournalExists(db_)) << "the opener rolls a journal back";
  }
  RecordProperty("kills_before_commit", before);
  RecordProperty("kills_after_commit", after);
  RecordProperty("journals_rolled_back", journals);
  std::printf("killed %d times: %d left the table as before the batch, %d as after it; "
              "%d left a journal\n",
              before + after, before, after, journals);
}

TEST_F(TdbCrashTest, TdbRollsBackAJournalACrashLeftAndRefusesOneThatIsNotOfTheFile) {
  const std::string good = ReadFile(db_);
  // A crash in the middle of an in-place write: the journal is whole, the
  // file half changed and longer.
  std::vector<tinydb::TJournalRange> ranges = {
      {2789, std::vector<uint8_t>(good.begin() + 2789, good.begin() + 2789 + 40)}};
  tinydb::WriteJournal(db_, static_cast<int64_t>(good.size()), ranges);
  std::string torn = good;
  for (int i = 0; i < 40; ++i) torn[2789 + i] = '\x7f';
  torn += std::string(5000, 'z');
  WriteFile(db_, torn);
  TRun check = Tdb({"check", db_});
  EXPECT_EQ(0, check.exit_code) << check.out << check.err;
  EXPECT_EQ(good, ReadFile(db_));
  EXPECT_FALSE(tinydb::JournalExists(db_));

  // A damaged journal (its checksum fails) is never applied.
  tinydb::WriteJournal(db_, static_cast<int64_t>(good.size()), ranges);
  std::string journal = ReadFile(tinydb::JournalFileName(db_));
  journal[40] = static_cast<char>(journal[40] ^ 0x01);
  WriteFile(tinydb::JournalFileName(db_), journal);
  for (const std::vector<std::string>& verb :
       {std::vector<std::string>{"check", db_}, std::vector<std::string>{"dump", db_, "drinks"},
        std::vector<std::string>{"insert", db_, "drinks"}}) {
    TRun run = Tdb(verb, Records(2000, 2000, 3));
    EXPECT_EQ(1, run.exit_code) << verb[0];
    EXPECT_NE(std::string::npos, run.err.find(tinydb::JournalFileName(db_))) << run.err;
    EXPECT_EQ(good, ReadFile(db_)) << verb[0];
  }
}

}  // namespace
