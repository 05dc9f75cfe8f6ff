// The tdb tool's commands and the pieces they share.
#pragma once

#include <initializer_list>
#include <map>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "storage/DatabaseWriter.h"

namespace tdb {

// A mistake in how the tool was called: the usage text follows, exit 2.
class EUsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// tdb create DB --schema SCHEMA.json [options]: writes a new empty
// database. Throws EUsageError or the engine's errors; returns the exit code.
int RunCreate(const std::vector<std::string>& args);

// tdb add-table DB --schema SCHEMA.json [--password P]: adds every table of
// the schema (the format create reads) to the existing database DB, in
// schema order, each empty. The schema is checked whole first; a table
// the file refuses (a name it has, the 256th table) stops there, keeping
// the tables added before it.
int RunAddTable(const std::vector<std::string>& args);

// The tables of the JSON schema file |path|; throws tinydb::EDatabaseError
// naming the file and the place of the first mistake.
std::vector<tinydb::TTableDefinition> ReadSchema(const std::string& path);

// tdb info DB [--password P]: prints what the engine reads from DB as one
// JSON object. Throws EUsageError or the engine's errors.
int RunInfo(const std::vector<std::string>& args);

// tdb check DB [--password P]: walks every table and index of DB, prints
// each problem found (or "ok") and returns 1 when there is any.
int RunCheck(const std::vector<std::string>& args);

// tdb dump DB TABLE [--password P] [--index NAME] [--filter TEXT
// [--filtered] [--ci] [--no-partial]]: prints every record in the cursor's
// order, one JSON object per line; with --filter only the records that
// pass the filter text, sought one by one (or, with --filtered, the cursor
// narrowed to them), comparing texts ignoring case (--ci) and without the
// partial comparison of "abc*" constants (--no-partial). A filter that
// does not compile throws its error.
int RunDump(const std::vector<std::string>& args);

// tdb insert DB TABLE [--password P]: appends one record per line of
// standard input (JSON objects); stops at the first line that fails,
// keeping the records before it.
int RunInsert(const std::vector<std::string>& args);

// tdb delete DB TABLE (--key FIELD=VALUE | --all) [--password P]: deletes
// the matching (or all) records and prints how many.
int RunDelete(const std::vector<std::string>& args);

// A verb's arguments: positional ones in order, options with a value,
// flags.
struct TCommandLine {
  std::vector<std::string> Positional;
  std::map<std::string, std::string> Values;
  std::set<std::string> Flags;

  // The value given for |option|, if it was given.
  std::optional<std::string> Value(const std::string& option) const;
  bool Has(const std::string& flag) const;
};

// Splits |args|; throws EUsageError for an unknown option, an option
// without its value, or a value option given twice.
TCommandLine ParseCommandLine(const std::vector<std::string>& args,
                              std::initializer_list<std::string> value_options,
                              std::initializer_list<std::string> flag_options);

// |utf8| in Windows-1252; throws tinydb::EDatabaseError naming |what| when
// a character has no Windows-1252 form.
std::string ToCp1252(const std::string& utf8, const std::string& what);

}  // namespace tdb
