// The tdb tool's commands and the pieces they share.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

namespace tdb {

// A mistake in how the tool was called: the usage text follows, exit 2.
class EUsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// tdb create DB --schema SCHEMA.json [options]: writes a new empty
// database. Throws EUsageError or the engine's errors; returns the exit code.
int RunCreate(const std::vector<std::string>& args);

// tdb info DB [--password P]: prints what the engine reads from DB as one
// JSON object. Throws EUsageError or the engine's errors.
int RunInfo(const std::vector<std::string>& args);

// |utf8| in Windows-1252; throws tinydb::EDatabaseError naming |what| when
// a character has no Windows-1252 form.
std::string ToCp1252(const std::string& utf8, const std::string& what);

}  // namespace tdb
