// Pieces shared by the cursor tests: database images in memory streams,
// cursors opened on them, and short ways to fill and read records.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "storage/DatabaseWriter.h"
#include "storage/MemoryMedium.h"
#include "tables/TinyDB.h"

namespace tinydb::cursor_test {

// A database image in a memory stream, registered under its memory-medium
// name while it lives.
class TCursorImage {
 public:
  explicit TCursorImage(const std::vector<TTableDefinition>& tables,
                        const TDatabaseSettings& settings = TDatabaseSettings{}) {
    CreateDatabase(stream_, settings, tables);
    name_ = MemoryStreamToDatabaseName(&stream_);
  }
  ~TCursorImage() { UnregisterMemoryStream(&stream_); }
  TCursorImage(const TCursorImage&) = delete;
  TCursorImage& operator=(const TCursorImage&) = delete;

  const std::string& Name() const { return name_; }

 private:
  TMemoryStream stream_;
  std::string name_;
};

// The drinks shape: "id" integer (primary index "id"), "name" string(25)
// (index "name"), "marked" boolean.
inline TTableDefinition DrinksTable() {
  return TTableDefinition{"drinks",
                          {{"id", ftInteger, 0, false},
                           {"name", ftString, 25, false},
                           {"marked", ftBoolean, 0, false}},
                          {{"id", {"id"}, tiPrimary}, {"name", {"name"}, 0}}};
}

// Points |table| at |table_name| of |image| (closed) without opening it.
inline void Aim(TTinyTable& table, const TCursorImage& image, const std::string& table_name,
                const std::string& index_name = "") {
  table.SetDatabaseName(image.Name());
  table.SetMediumType(mtMemory);
  table.SetTableName(table_name);
  table.SetIndexName(index_name);
}

// A cursor open on |table_name| of |image|.
inline std::unique_ptr<TTinyTable> OpenTable(const TCursorImage& image,
                                             const std::string& table_name,
                                             const std::string& index_name = "") {
  auto table = std::make_unique<TTinyTable>();
  Aim(*table, image, table_name, index_name);
  table->Open();
  return table;
}

// Appends one drink through the cursor.
inline void AddDrink(TTinyTable& table, int id, const std::string& name, bool marked = false) {
  table.BeginAppend();
  table.FieldNamed("id")->WriteInteger(id);
  table.FieldNamed("name")->WriteText(name);
  table.FieldNamed("marked")->WriteBoolean(marked);
  table.PostRecord();
}

// The values of |field| from the first record to the last, in cursor order
// (leaves the cursor at the end).
inline std::vector<std::string> Column(TTinyTable& table, const std::string& field) {
  std::vector<std::string> values;
  for (table.GoFirst(); !table.AtEnd(); table.GoNext())
    values.push_back(table.FieldNamed(field)->ReadText());
  return values;
}

inline std::vector<int> Ids(TTinyTable& table) {
  std::vector<int> ids;
  for (table.GoFirst(); !table.AtEnd(); table.GoNext())
    ids.push_back(table.FieldNamed("id")->ReadInteger());
  return ids;
}

inline int CurrentId(TTinyTable& table) { return table.FieldNamed("id")->ReadInteger(); }

// Runs |action| and returns the message of the EEngineError it throws
// ("" when it throws none).
inline std::string ErrorOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const EEngineError& error) {
    return error.what();
  }
  return "";
}

}  // namespace tinydb::cursor_test
