// The database every benchmark measures: one table in a compressed,
// Blowfish-encrypted memory-medium database, as the program keeps its
// drinks.
#pragma once

#include <cstdint>
#include <string>

#include "platform/Streams.h"
#include "processing/DataProcess.h"
#include "storage/DatabaseWriter.h"
#include "storage/MemoryMedium.h"
#include "tables/TinyDB.h"

namespace tinydb::bench {

constexpr char kBenchPassword[] = "bench-secret";

// A memory-medium database holding |table|, empty, compressed and
// Blowfish-encrypted under kBenchPassword. The stream must outlive every
// cursor on it.
class TBenchDatabase {
 public:
  explicit TBenchDatabase(const TTableDefinition& table) : table_name_(table.Name) {
    RegisterStandardModules();
    TDatabaseSettings settings;
    settings.Compressed = true;
    settings.Encrypted = true;
    settings.EncryptAlgo = "Blowfish";
    settings.EncryptMode = 1;
    settings.Password = kBenchPassword;
    CreateDatabase(stream_, settings, {table});
    name_ = MemoryStreamToDatabaseName(&stream_);
  }
  ~TBenchDatabase() { UnregisterMemoryStream(&stream_); }
  TBenchDatabase(const TBenchDatabase&) = delete;
  TBenchDatabase& operator=(const TBenchDatabase&) = delete;

  // Opens |table| (closed) on the table in "id" order, as the program's
  // drinkTable.
  void Open(TTinyTable& table) const {
    table.SetMediumType(mtMemory);
    table.SetDatabaseName(name_);
    table.SetPassword(kBenchPassword);
    table.SetTableName(table_name_);
    table.SetIndexName("id");
    table.Open();
  }

  // Bytes of the database image.
  int64_t Size() { return stream_.Size(); }

 private:
  TMemoryStream stream_;
  std::string name_;
  std::string table_name_;
};

}  // namespace tinydb::bench
