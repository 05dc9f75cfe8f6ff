// tdb: creates TinyDB database files, shows what the engine reads from
// them, checks their structure, and dumps, inserts and deletes records.
#include <unicode/utf8.h>

#include <cstdint>
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "Commands.h"
#include "platform/Codepage.h"
#include "platform/Errors.h"
#include "platform/Journal.h"
#include "processing/DataProcess.h"

namespace tdb {

std::string ToCp1252(const std::string& utf8, const std::string& what) {
  std::string out;
  if (!tinydb::Utf8ToCp1252(utf8, &out))
    throw tinydb::EDatabaseError(what + " \"" + utf8 +
                                 "\" has a character that Windows-1252 cannot hold");
  return out;
}

}  // namespace tdb

namespace {

const char kUsage[] =
    "usage:\n"
    "  tdb create DB --schema SCHEMA.json [--compress]\n"
    "             [--encrypt Blowfish|Twofish|Gost [--mode 0-4] --password P]\n"
    "             [--verify-writes]\n"
    "  tdb add-table DB --schema SCHEMA.json [--password P]\n"
    "  tdb info DB [--password P]\n"
    "  tdb check DB [--password P]\n"
    "  tdb dump DB TABLE [--password P] [--index NAME]\n"
    "           [--filter TEXT [--filtered] [--ci] [--no-partial]]\n"
    "  tdb insert DB TABLE [--password P] < RECORDS.jsonl\n"
    "  tdb delete DB TABLE (--key FIELD=VALUE | --all) [--password P]\n";

bool IsWellFormedUtf8(const std::string& text) {
  const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
  const int32_t length = static_cast<int32_t>(text.size());
  for (int32_t i = 0; i < length;) {
    UChar32 c;
    U8_NEXT(bytes, i, length, c);
    if (c < 0) return false;
  }
  return true;
}

// Engine messages hold Windows-1252 names but may also hold UTF-8 paths:
// text that already reads as UTF-8 is left alone.
std::string MessageForTerminal(const std::string& message) {
  return IsWellFormedUtf8(message) ? message : tinydb::Cp1252ToUtf8(message);
}

// Puts |path| back as it was before a change that a crash interrupted,
// and says so.
void RollBackInterruptedChange(const std::string& path) {
  const tinydb::TJournalRecovery recovery = tinydb::RecoverFromJournal(path);
  if (recovery.rolled_back)
    std::fprintf(stderr, "tdb: \"%s\" was rolled back by its journal to the %lld bytes it held "
                         "before an interrupted change\n",
                 MessageForTerminal(path).c_str(), static_cast<long long>(recovery.old_length));
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  try {
    tinydb::RegisterStandardModules();
    if (args.empty()) throw tdb::EUsageError("no command given");
    const std::string command = args.front();
    args.erase(args.begin());
    // Every command on an existing database first rolls back a change that
    // a crash interrupted; a journal that cannot be applied stops it.
    if (command != "create" && !args.empty() && !args.front().empty() && args.front()[0] != '-')
      RollBackInterruptedChange(args.front());
    if (command == "create") return tdb::RunCreate(args);
    if (command == "add-table") return tdb::RunAddTable(args);
    if (command == "info") return tdb::RunInfo(args);
    if (command == "check") return tdb::RunCheck(args);
    if (command == "dump") return tdb::RunDump(args);
    if (command == "insert") return tdb::RunInsert(args);
    if (command == "delete") return tdb::RunDelete(args);
    if (command == "--help" || command == "-h" || command == "help") {
      std::fputs(kUsage, stdout);
      return 0;
    }
    throw tdb::EUsageError("unknown command \"" + command + "\"");
  } catch (const tdb::EUsageError& e) {
    std::fprintf(stderr, "tdb: %s\n%s", e.what(), kUsage);
    return 2;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n", MessageForTerminal(e.what()).c_str());
    return 1;
  }
}
