// The catalogue's work at scale, each measured beside SQLite doing the same
// work on the same generated drinks in the same run:
//   like       walk the drinks whose ingredients hold "gin" (ignoring case)
//              in id order, reading id, name and marked of each;
//   insert     insert every drink (the import path: TDrinkCatalogue's
//              InsertDrinks without saving) against SQLite inserting them in
//              one transaction with a prepared statement; then the codec
//              alone (every value of the same drinks compressed and
//              encrypted through the engine's processing managers, on one
//              thread, no table storage) and what the insert costs beyond
//              it:
//                codec n=N ms=X
//                insert_overhead n=N ratio=R   R = (ours - codec) / SQLite
//              Our insert runs on two threads (the memos of the drinks to
//              come are encoded on the second): its time is the CPU time
//              of the busier thread, the time it takes with a core for
//              each; every thread's share, their sum and the elapsed time
//              are printed beside it:
//                insert_threads n=N insert_ms=X encoder_ms=Y cpu_ms=X+Y wall_ms=W
//              and the overhead counted with both threads' CPU time, the
//              work the insert does beyond the codec's:
//                insert_overhead_cpu n=N ratio=(cpu_ms - codec) / SQLite
//   findbykey  find every drink by id in random order and read its name
//              against SQLite's primary-key lookups;
//   marks      (ours only) Mark List over every listed drink, then Unmark
//              All, through the engine calls the main window makes.
// Our side is the catalogue database as the program holds it: the shipped
// table definition and settings (compressed, Blowfish-encrypted) in a
// memory image. SQLite's side is an in-memory database with a table of the
// same columns, id its primary key (SQLite's own index on id) and an index
// on type.
//
//   compare_bench [--sizes N,N,...] [like|insert|findbykey|marks ...]
// Default: every measurement at 1000, 10000 and 100000 drinks, each timed
// after a warm-up as the median of 5 runs (3 at 100000 or more; 1 when the
// warm-up took over 5 s of CPU time). Each prints
//   NAME n=N ours_ms=X sqlite_ms=Y ratio=R      (ratio = ours / SQLite)
//   marks n=N ms=X
// and, with marks at 10000 and 100000, the growth between them.
#include <sqlite3.h>

#include <algorithm>
#include <ctime>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <cstdlib>
#include <map>
#include <memory>
#include <numeric>
#include <random>
#include <set>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "DrinkGenerator.h"
#include "catalogue/DrinkCatalogue.h"
#include "processing/DataProcess.h"
#include "storage/DatabaseWriter.h"
#include "storage/Format.h"
#include "tables/TinyDB.h"

namespace {

using zestoria::TDrink;
using zestoria::TDrinkCatalogue;
using zestoria::TListedDrink;
namespace fields = zestoria::drink_fields;

constexpr char kGinFilter[] = "ingred LIKE '%gin%'";
// Never written: the benchmarks only change the memory image.
constexpr char kUnsavedFile[] = "/nonexistent/compare_bench.tdb";

// Times are the CPU time of this thread: both sides run on it alone, and
// other work on the machine then does not stretch them.
struct Clock {
  using time_point = double;
  static double now() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) * 1e3 + static_cast<double>(ts.tv_nsec) / 1e6;
  }
};

double MsSince(double start_ms) { return Clock::now() - start_ms; }

// Work whose warm-up takes longer than this is timed once after it.
constexpr double kLongWorkMs = 5000;

// One untimed warm-up call of |work|, then the median of |runs| timed ones
// (one when the warm-up was long).
template <class Work>
double MedianMs(int runs, Work work) {
  const auto warm_up = Clock::now();
  work();
  if (MsSince(warm_up) > kLongWorkMs) runs = 1;
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) {
    const auto start = Clock::now();
    work();
    times.push_back(MsSince(start));
  }
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

// ---- Our side ----

std::unique_ptr<TDrinkCatalogue> EmptyCatalogue() {
  auto catalogue = std::make_unique<TDrinkCatalogue>();
  catalogue->OpenImage(tinydb::BuildDatabaseImage(zestoria::CatalogueSettings(),
                                                  {zestoria::DrinksTableDefinition()}),
                       kUnsavedFile);
  catalogue->SetNextDrinkId(1);
  return catalogue;
}

void InsertAll(TDrinkCatalogue& catalogue, const std::vector<TDrink>& drinks) {
  catalogue.InsertDrinks(drinks);
}

double CpuMs(clockid_t clock) {
  timespec ts{};
  clock_gettime(clock, &ts);
  return static_cast<double>(ts.tv_sec) * 1e3 + static_cast<double>(ts.tv_nsec) / 1e6;
}

// The times of one insert on our side: this thread's CPU time, the other
// threads' (the process's less this one's: the benchmark has no threads of
// its own besides), and the elapsed time.
struct TInsertTimes {
  double InsertMs = 0;
  double EncoderMs = 0;
  double WallMs = 0;
  double BusiestMs() const { return std::max(InsertMs, EncoderMs); }
};

template <class Work>
TInsertTimes TimeInsert(Work work) {
  const double thread0 = CpuMs(CLOCK_THREAD_CPUTIME_ID);
  const double process0 = CpuMs(CLOCK_PROCESS_CPUTIME_ID);
  const double wall0 = CpuMs(CLOCK_MONOTONIC);
  work();
  TInsertTimes times;
  times.InsertMs = CpuMs(CLOCK_THREAD_CPUTIME_ID) - thread0;
  times.EncoderMs = std::max(0.0, CpuMs(CLOCK_PROCESS_CPUTIME_ID) - process0 - times.InsertMs);
  times.WallMs = CpuMs(CLOCK_MONOTONIC) - wall0;
  return times;
}

// The marked field of drinkTable's current record becomes |value|, as the
// main window writes a mark.
void WriteCurrentMark(tinydb::TTinyTable& table, int value) {
  table.BeginEdit();
  table.FieldNamed(fields::kMarked)->WriteInteger(value);
  table.PostRecord();
}

// Mark List over |listed| (every drink not yet marked is found by id and
// marked), then Unmark All (every marked drink of the table, walked in id
// order, gets 0). Returns the drinks marked.
int MarkListThenUnmarkAll(TDrinkCatalogue& catalogue, const std::vector<TListedDrink>& listed) {
  tinydb::TTinyTable& table = catalogue.DrinkTable();
  int marked = 0;
  for (const TListedDrink& drink : listed) {
    if (drink.marked == 1) continue;
    if (!catalogue.FindDrink(drink.id)) throw std::runtime_error("a listed drink is gone");
    WriteCurrentMark(table, 1);
    ++marked;
  }
  for (table.GoFirst(); !table.AtEnd(); table.GoNext())
    if (table.FieldNamed(fields::kMarked)->ReadInteger() == 1) WriteCurrentMark(table, 0);
  return marked;
}

// ---- The codec alone ----

// The work of our format no storage can avoid: every value of every drink
// encoded as the catalogue stores it (each memo compressed, then
// encrypted; each fixed-width field encrypted at its stored width),
// through the engine's processing managers set up as the catalogue's
// settings say, without any table storage.
class TCodec {
 public:
  TCodec() : compress_(nullptr, nullptr), encrypt_(nullptr, nullptr) {
    const tinydb::TDatabaseSettings settings = zestoria::CatalogueSettings();
    compress_.SelectAlgorithm(settings.CompressAlgo);
    encrypt_.SelectAlgorithm(settings.EncryptAlgo);
    encrypt_.SetMode(settings.EncryptMode);
    encrypt_.InitKey(settings.Password.value_or(""));
  }

  // Encodes every drink; returns the stored bytes made (so nothing is
  // optimised away).
  int64_t EncodeAll(const std::vector<TDrink>& drinks) {
    int64_t bytes = 0;
    for (const TDrink& d : drinks) {
      bytes += Memo(d.ingred) + Memo(d.directions);
      bytes += Text(d.name, zestoria::kDrinkNameLength) +
               Text(d.comment, zestoria::kDrinkCommentLength) +
               Text(d.status, zestoria::kDrinkStatusLength);
      for (int32_t v : {d.id, d.type, d.season, d.glass, d.temp, d.marked}) bytes += Integer(v);
      const uint8_t flag[8] = {static_cast<uint8_t>(d.read_only != 0 ? 1 : 0)};
      bytes += Fixed(flag, static_cast<size_t>(tinydb::StoredFieldWidth(tinydb::ftBoolean, 0)));
    }
    return bytes;
  }

 private:
  int64_t Memo(const std::string& text) {
    plain_.SetSize(0);
    plain_.SetPosition(0);
    plain_.WriteBuffer(text.data(), static_cast<int64_t>(text.size()));
    plain_.SetPosition(0);
    packed_.SetSize(0);
    packed_.SetPosition(0);
    compress_.Encode(&plain_, &packed_, plain_.Size());
    packed_.SetPosition(0);
    stored_.SetSize(0);
    stored_.SetPosition(0);
    encrypt_.Encode(&packed_, &stored_, packed_.Size());
    return stored_.Size();
  }
  int64_t Text(const std::string& text, size_t length) {
    field_.assign(static_cast<size_t>(
                      tinydb::StoredFieldWidth(tinydb::ftString, static_cast<int>(length))),
                  0);
    length = std::min(length, field_.size() - 1);
    std::memcpy(field_.data(), text.data(), std::min(text.size(), length));
    return Fixed(field_.data(), field_.size());
  }
  int64_t Integer(int32_t v) {
    return Fixed(&v, static_cast<size_t>(tinydb::StoredFieldWidth(tinydb::ftInteger, 0)));
  }
  int64_t Fixed(const void* plain, size_t n) {
    out_.resize(n);
    encrypt_.EncryptBuffer(plain, out_.data(), static_cast<int64_t>(n));
    return static_cast<int64_t>(n);
  }

  tinydb::TCompressMgr compress_;
  tinydb::TEncryptMgr encrypt_;
  tinydb::TMemoryStream plain_, packed_, stored_;
  std::vector<uint8_t> field_, out_;
};

// ---- SQLite ----

void Check(int rc, sqlite3* db, const char* what) {
  if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW)
    throw std::runtime_error(std::string(what) + ": " + sqlite3_errmsg(db));
}

class TStatement {
 public:
  TStatement(sqlite3* db, const char* sql) : db_(db) {
    Check(sqlite3_prepare_v2(db, sql, -1, &statement_, nullptr), db, sql);
  }
  ~TStatement() { sqlite3_finalize(statement_); }
  TStatement(const TStatement&) = delete;
  TStatement& operator=(const TStatement&) = delete;
  sqlite3_stmt* get() const { return statement_; }
  // Steps once; true for a row.
  bool Step() {
    const int rc = sqlite3_step(statement_);
    Check(rc, db_, "step");
    return rc == SQLITE_ROW;
  }
  std::string Text(int column) const {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement_, column));
    return text != nullptr ? text : "";
  }

 private:
  sqlite3* db_;
  sqlite3_stmt* statement_ = nullptr;
};

class TSqliteDatabase {
 public:
  TSqliteDatabase() {
    Check(sqlite3_open(":memory:", &db_), db_, "open");
    Exec(
        "CREATE TABLE drinks (id INTEGER PRIMARY KEY, name TEXT, ingred TEXT, directions TEXT, "
        "type INTEGER, season INTEGER, glass INTEGER, temp INTEGER, marked INTEGER, "
        "comment TEXT, status TEXT, read_only INTEGER);"
        "CREATE INDEX drinks_type ON drinks (type);");
  }
  ~TSqliteDatabase() { sqlite3_close(db_); }
  TSqliteDatabase(const TSqliteDatabase&) = delete;
  TSqliteDatabase& operator=(const TSqliteDatabase&) = delete;

  void InsertAll(const std::vector<TDrink>& drinks) {
    Exec("BEGIN");
    TStatement insert(db_, "INSERT INTO drinks VALUES (?,?,?,?,?,?,?,?,?,?,?,?)");
    sqlite3_stmt* s = insert.get();
    for (const TDrink& d : drinks) {
      sqlite3_bind_int(s, 1, d.id);
      sqlite3_bind_text(s, 2, d.name.c_str(), -1, SQLITE_STATIC);
      sqlite3_bind_text(s, 3, d.ingred.c_str(), -1, SQLITE_STATIC);
      sqlite3_bind_text(s, 4, d.directions.c_str(), -1, SQLITE_STATIC);
      sqlite3_bind_int(s, 5, d.type);
      sqlite3_bind_int(s, 6, d.season);
      sqlite3_bind_int(s, 7, d.glass);
      sqlite3_bind_int(s, 8, d.temp);
      sqlite3_bind_int(s, 9, d.marked);
      sqlite3_bind_text(s, 10, d.comment.c_str(), -1, SQLITE_STATIC);
      sqlite3_bind_text(s, 11, d.status.c_str(), -1, SQLITE_STATIC);
      sqlite3_bind_int(s, 12, d.read_only != 0 ? 1 : 0);
      insert.Step();
      sqlite3_reset(s);
    }
    Exec("COMMIT");
  }

  // SQLite's LIKE ignores the case of ASCII letters, as foCaseInsensitive.
  std::vector<TListedDrink> WalkGin() {
    TStatement query(db_, "SELECT id, name, marked FROM drinks WHERE ingred LIKE '%gin%' "
                          "ORDER BY id");
    std::vector<TListedDrink> listed;
    while (query.Step())
      listed.push_back({sqlite3_column_int(query.get(), 0), query.Text(1),
                        sqlite3_column_int(query.get(), 2)});
    return listed;
  }

  // Looks up every id of |ids| and sums the lengths of their names.
  int64_t FindAll(const std::vector<int32_t>& ids) {
    TStatement find(db_, "SELECT name FROM drinks WHERE id = ?");
    int64_t sum = 0;
    for (int32_t id : ids) {
      sqlite3_bind_int(find.get(), 1, id);
      if (!find.Step()) throw std::runtime_error("SQLite lost a drink");
      sum += sqlite3_column_bytes(find.get(), 0);
      sqlite3_reset(find.get());
    }
    return sum;
  }

 private:
  void Exec(const char* sql) { Check(sqlite3_exec(db_, sql, nullptr, nullptr, nullptr), db_, sql); }

  sqlite3* db_ = nullptr;
};

// ---- The measurements ----

void PrintComparison(const char* name, int count, double ours_ms, double sqlite_ms) {
  std::printf("%s n=%d ours_ms=%.2f sqlite_ms=%.2f ratio=%.2f\n", name, count, ours_ms,
              sqlite_ms, ours_ms / sqlite_ms);
  std::fflush(stdout);
}

bool SameListing(const std::vector<TListedDrink>& a, const std::vector<TListedDrink>& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (a[i].id != b[i].id || a[i].name != b[i].name || a[i].marked != b[i].marked) return false;
  return true;
}

class TSizeRun {
 public:
  TSizeRun(int count, const std::set<std::string>& wanted)
      : count_(count), wanted_(wanted), drinks_(zestoria::bench::GenerateDrinks(count)),
        runs_(count >= 100000 ? 3 : 5) {}

  // Runs the wanted measurements; the marks time (or -1) is returned.
  double Run() {
    if (wanted_.count("insert")) Insert();
    if (wanted_.count("like")) Like();
    if (wanted_.count("findbykey")) FindByKey();
    return wanted_.count("marks") ? Marks() : -1;
  }

 private:
  TDrinkCatalogue& Ours() {
    if (!ours_) {
      ours_ = EmptyCatalogue();
      InsertAll(*ours_, drinks_);
    }
    return *ours_;
  }
  TSqliteDatabase& Sqlite() {
    if (!sqlite_) {
      sqlite_ = std::make_unique<TSqliteDatabase>();
      sqlite_->InsertAll(drinks_);
    }
    return *sqlite_;
  }

  void Insert() {
    // Each run starts from an empty database made beforehand and untimed.
    std::vector<TInsertTimes> our_runs;
    auto time_ours = [&] {
      auto catalogue = EmptyCatalogue();
      const TInsertTimes times = TimeInsert([&] { InsertAll(*catalogue, drinks_); });
      ours_ = std::move(catalogue);
      our_runs.push_back(times);
      return times.BusiestMs();
    };
    auto time_sqlite = [&] {
      auto db = std::make_unique<TSqliteDatabase>();
      const auto start = Clock::now();
      db->InsertAll(drinks_);
      const double ms = MsSince(start);
      sqlite_ = std::move(db);
      return ms;
    };
    const double ours_ms = MedianOf(time_ours);
    const double sqlite_ms = MedianOf(time_sqlite);
    PrintComparison("insert", count_, ours_ms, sqlite_ms);
    // The run whose time was the median (the warm-up is the first).
    TInsertTimes median = our_runs.back();
    for (size_t i = 1; i < our_runs.size(); ++i)
      if (our_runs[i].BusiestMs() == ours_ms) median = our_runs[i];
    std::printf("insert_threads n=%d insert_ms=%.2f encoder_ms=%.2f cpu_ms=%.2f wall_ms=%.2f\n",
                count_, median.InsertMs, median.EncoderMs, median.InsertMs + median.EncoderMs,
                median.WallMs);
    TCodec codec;
    int64_t stored_bytes = 0;
    const double codec_ms = MedianMs(runs_, [&] { stored_bytes = codec.EncodeAll(drinks_); });
    if (stored_bytes <= 0) throw std::runtime_error("the codec stored nothing");
    std::printf("codec n=%d ms=%.2f\n", count_, codec_ms);
    std::printf("insert_overhead n=%d ratio=%.2f\n", count_, (ours_ms - codec_ms) / sqlite_ms);
    // The same with the CPU time of both threads: the work beyond the codec.
    std::printf("insert_overhead_cpu n=%d ratio=%.2f\n", count_,
                (median.InsertMs + median.EncoderMs - codec_ms) / sqlite_ms);
    std::fflush(stdout);
  }

  // One untimed warm-up, then the median of the times |timed| reports (one
  // when the warm-up was long).
  template <class Timed>
  double MedianOf(Timed timed) {
    const int runs = timed() > kLongWorkMs ? 1 : runs_;
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) times.push_back(timed());
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
  }

  void Like() {
    TDrinkCatalogue& ours = Ours();
    TSqliteDatabase& sqlite = Sqlite();
    std::vector<TListedDrink> our_list, sqlite_list;
    const double ours_ms = MedianMs(runs_, [&] { our_list = ours.ListDrinks(kGinFilter); });
    const double sqlite_ms = MedianMs(runs_, [&] { sqlite_list = sqlite.WalkGin(); });
    if (!SameListing(our_list, sqlite_list))
      throw std::runtime_error("the LIKE walks differ: " + std::to_string(our_list.size()) +
                               " drinks against " + std::to_string(sqlite_list.size()));
    ours.ListDrinks("");
    PrintComparison("like", count_, ours_ms, sqlite_ms);
  }

  void FindByKey() {
    TDrinkCatalogue& ours = Ours();
    TSqliteDatabase& sqlite = Sqlite();
    std::vector<int32_t> ids(drinks_.size());
    std::iota(ids.begin(), ids.end(), 1);
    std::shuffle(ids.begin(), ids.end(), std::mt19937(7));
    tinydb::TTinyTable& table = ours.DrinkTable();
    int64_t our_sum = 0, sqlite_sum = 0;
    const double ours_ms = MedianMs(runs_, [&] {
      our_sum = 0;
      tinydb::TField& name = *table.FieldNamed(fields::kName);
      for (int32_t id : ids) {
        if (!ours.FindDrink(id)) throw std::runtime_error("FindByKey lost a drink");
        our_sum += static_cast<int64_t>(name.ReadText().size());
      }
    });
    const double sqlite_ms = MedianMs(runs_, [&] { sqlite_sum = sqlite.FindAll(ids); });
    if (our_sum != sqlite_sum) throw std::runtime_error("the key lookups read different names");
    PrintComparison("findbykey", count_, ours_ms, sqlite_ms);
  }

  double Marks() {
    TDrinkCatalogue& ours = Ours();
    const std::vector<TListedDrink> listed = ours.ListDrinks("");
    int marked = 0;
    const double ms = MedianMs(runs_, [&] { marked = MarkListThenUnmarkAll(ours, listed); });
    if (marked != count_) throw std::runtime_error("Mark List missed drinks");
    std::printf("marks n=%d ms=%.2f\n", count_, ms);
    std::fflush(stdout);
    return ms;
  }

  int count_;
  const std::set<std::string>& wanted_;
  std::vector<TDrink> drinks_;
  int runs_;
  std::unique_ptr<TDrinkCatalogue> ours_;
  std::unique_ptr<TSqliteDatabase> sqlite_;
};

std::vector<int> ParseSizes(const std::string& list) {
  std::vector<int> sizes;
  std::stringstream stream(list);
  for (std::string item; std::getline(stream, item, ',');) {
    const int size = std::atoi(item.c_str());
    if (size <= 0) throw std::runtime_error("the sizes must be positive numbers: " + list);
    sizes.push_back(size);
  }
  return sizes;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    std::vector<int> sizes = {1000, 10000, 100000};
    std::set<std::string> wanted;
    for (int i = 1; i < argc; ++i) {
      const std::string arg = argv[i];
      if (arg == "--sizes" && i + 1 < argc) sizes = ParseSizes(argv[++i]);
      else if (arg.rfind("--sizes=", 0) == 0) sizes = ParseSizes(arg.substr(8));
      else if (arg == "like" || arg == "insert" || arg == "findbykey" || arg == "marks")
        wanted.insert(arg);
      else throw std::runtime_error("usage: compare_bench [--sizes N,N,...] "
                                    "[like|insert|findbykey|marks ...]");
    }
    if (wanted.empty()) wanted = {"like", "insert", "findbykey", "marks"};
    tinydb::RegisterStandardModules();
    std::map<int, double> marks_ms;
    for (int size : sizes) marks_ms[size] = TSizeRun(size, wanted).Run();
    if (marks_ms.count(10000) && marks_ms.count(100000) && marks_ms[10000] > 0)
      std::printf("marks_growth n=100000/10000 ratio=%.2f\n", marks_ms[100000] / marks_ms[10000]);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "compare_bench: %s\n", e.what());
    return 1;
  }
  return 0;
}
