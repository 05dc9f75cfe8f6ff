// tdb dump, insert and delete: records read and written through a table
// cursor on the database file, exactly as a program would.
#include <cstdio>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "Commands.h"
#include "FieldJson.h"
#include "platform/Codepage.h"
#include "platform/Errors.h"
#include "tables/TinyDB.h"

namespace tdb {

namespace {

using nlohmann::json;
using nlohmann::ordered_json;

// Opens table |table_name| of the database file |path| on |table|: the
// cursor names the file as its database, on disk.
void OpenTable(tinydb::TTinyTable& table, const std::string& path, const std::string& table_name,
               const std::optional<std::string>& password) {
  table.SetMediumType(tinydb::mtDisk);
  table.SetDatabaseName(path);
  if (password) table.SetPassword(ToCp1252(*password, "The password"));
  table.SetTableName(ToCp1252(table_name, "The table name"));
  table.Open();
}

// DB and TABLE, the two positional arguments every record verb takes.
void RequireDatabaseAndTable(const TCommandLine& line, const std::string& verb) {
  if (line.Positional.size() != 2) throw EUsageError(verb + " needs a database file and a table name");
}

std::string RecordCount(int n, const char* done) {
  return std::to_string(n) + (n == 1 ? " record " : " records ") + done;
}

// The cursor's current record as one JSON object, fields in schema order.
ordered_json RecordJson(tinydb::TTinyTable& table) {
  ordered_json record = ordered_json::object();
  for (int f = 0; f < table.FieldCount(); ++f) {
    tinydb::TField& field = *table.Fields(f);
    record[tinydb::Cp1252ToUtf8(field.Name())] = ReadFieldJson(field);
  }
  return record;
}

// Appends the record |line| describes; throws on anything it cannot store.
void InsertRecord(tinydb::TTinyTable& table, const std::string& line) {
  const json record = json::parse(line, nullptr, false);
  if (record.is_discarded()) throw tinydb::EDatabaseError("not valid JSON");
  if (!record.is_object()) throw tinydb::EDatabaseError("not a JSON object");
  table.BeginAppend();
  try {
    for (const auto& item : record.items())
      WriteFieldJson(*table.FieldNamed(ToCp1252(item.key(), "The field name")), item.value());
    table.PostRecord();
  } catch (...) {
    table.CancelRecord();
    throw;
  }
}

// The changes of one verb as one transaction of the cursor's database,
// rolled back when the verb ends without Commit.
class TBatch {
 public:
  explicit TBatch(tinydb::TTinyTable& table) : database_(*table.Database()) {
    database_.StartTransaction();
  }
  ~TBatch() {
    if (!database_.InTransaction()) return;
    try {
      database_.Rollback();
    } catch (...) {
      // Ending with an error already: the changes are dropped either way.
    }
  }
  void Commit() {
    if (database_.InTransaction()) database_.Commit();
  }
  TBatch(const TBatch&) = delete;
  TBatch& operator=(const TBatch&) = delete;

 private:
  tinydb::TTinyDatabase& database_;
};

}  // namespace

int RunDump(const std::vector<std::string>& args) {
  const TCommandLine line = ParseCommandLine(args, {"--password", "--index", "--filter"},
                                             {"--filtered", "--ci", "--no-partial"});
  RequireDatabaseAndTable(line, "dump");
  const std::optional<std::string> filter = line.Value("--filter");
  if (!filter && (line.Has("--filtered") || line.Has("--ci") || line.Has("--no-partial")))
    throw EUsageError("--filtered, --ci and --no-partial go with --filter TEXT");
  tinydb::TTinyTable table;
  OpenTable(table, line.Positional[0], line.Positional[1], line.Value("--password"));
  if (const std::optional<std::string> index = line.Value("--index")) {
    // The cursor quietly falls back to the primary index; the tool does not.
    const std::string name = ToCp1252(*index, "The index name");
    bool known = false;
    for (const tinydb::TIndexDef& def : table.IndexDefs())
      known = known || tinydb::SameText(def.Name, name);
    if (!known) throw tinydb::EDatabaseError("Index '" + *index + "' not found");
    table.SetIndexName(name);
  }
  if (!filter) {
    for (table.GoFirst(); !table.AtEnd(); table.GoNext())
      std::printf("%s\n", RecordJson(table).dump().c_str());
    return 0;
  }
  tinydb::TFilterOptions options = 0;
  if (line.Has("--ci")) options |= tinydb::foCaseInsensitive;
  if (line.Has("--no-partial")) options |= tinydb::foNoPartialCompare;
  table.SetFilterOptions(options);
  table.SetFilter(ToCp1252(*filter, "The filter"));  // a text that does not compile stops here
  if (line.Has("--filtered")) {
    // The cursor list narrowed to the matches, as a report sees it.
    table.SetFiltered(true);
    for (table.GoFirst(); !table.AtEnd(); table.GoNext())
      std::printf("%s\n", RecordJson(table).dump().c_str());
  } else {
    // The matches sought one by one over the whole list, as the drink list is filled.
    for (bool found = table.SeekFirstMatch(); found; found = table.SeekNextMatch())
      std::printf("%s\n", RecordJson(table).dump().c_str());
  }
  return 0;
}

int RunInsert(const std::vector<std::string>& args) {
  const TCommandLine line = ParseCommandLine(args, {"--password"}, {});
  RequireDatabaseAndTable(line, "insert");
  tinydb::TTinyTable table;
  OpenTable(table, line.Positional[0], line.Positional[1], line.Value("--password"));
  int inserted = 0;
  int line_no = 0;
  // The whole batch is one change of the file: one journal, one pair of
  // flushes; a crash keeps the table as before it or after it.
  TBatch batch(table);
  for (std::string text; std::getline(std::cin, text);) {
    ++line_no;
    if (text.find_first_not_of(" \t\r") == std::string::npos) continue;
    try {
      InsertRecord(table, text);
    } catch (const tinydb::EEngineError& e) {
      // The records before the failing line are kept.
      batch.Commit();
      throw tinydb::EDatabaseError("line " + std::to_string(line_no) + ": " + e.what() + " (" +
                                   RecordCount(inserted, "inserted before it") + ")");
    }
    ++inserted;
  }
  batch.Commit();
  std::printf("%s\n", RecordCount(inserted, "inserted").c_str());
  return 0;
}

int RunDelete(const std::vector<std::string>& args) {
  const TCommandLine line = ParseCommandLine(args, {"--password", "--key"}, {"--all"});
  RequireDatabaseAndTable(line, "delete");
  const std::optional<std::string> key = line.Value("--key");
  if (key.has_value() == line.Has("--all")) throw EUsageError("delete needs either --key FIELD=VALUE or --all");
  const size_t equals = key ? key->find('=') : 0;
  if (key && equals == std::string::npos) throw EUsageError("--key needs FIELD=VALUE");

  tinydb::TTinyTable table;
  OpenTable(table, line.Positional[0], line.Positional[1], line.Value("--password"));
  int deleted = 0;
  TBatch batch(table);
  if (!key) {
    for (table.GoFirst(); table.VisibleCount() > 0; ++deleted) table.DeleteCurrent();
  } else {
    tinydb::TField& field = *table.FieldNamed(ToCp1252(key->substr(0, equals), "The field name"));
    const TFieldValueMatch match(field, FieldJsonFromText(field, key->substr(equals + 1)));
    table.GoFirst();
    while (table.VisibleCount() > 0) {
      if (match.Matches()) {
        const int32_t position = table.RecordNumber();
        table.DeleteCurrent();  // the following record becomes current
        ++deleted;
        if (position > table.VisibleCount()) break;  // that was the last one
        continue;
      }
      if (table.RecordNumber() == table.VisibleCount()) break;
      table.GoNext();
    }
  }
  batch.Commit();
  std::printf("%s\n", RecordCount(deleted, "deleted").c_str());
  return 0;
}

}  // namespace tdb
