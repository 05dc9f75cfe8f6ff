// Schemas the tdb tests create databases from, as tdb create reads them.
#pragma once

#include <nlohmann/json.hpp>

#include <string>

namespace tinydb::test {

// One field of a schema; |size| counts for the string kinds only.
inline nlohmann::json Field(const std::string& name, const std::string& type, int size = 0) {
  return {{"name", name}, {"type", type}, {"size", size}};
}

// One table "everything" holding one field of every type a table can
// store, keyed by the auto-increment field "key" (primary index "key").
inline nlohmann::json AllTypesSchema() {
  return {{"tables",
           {{{"name", "everything"},
             {"fields",
              {Field("key", "ftAutoInc"), Field("text", "ftString", 12),
               Field("code", "ftFixedChar", 3), Field("small", "ftSmallint"),
               Field("int", "ftInteger"), Field("word", "ftWord"), Field("flag", "ftBoolean"),
               Field("real", "ftFloat"), Field("money", "ftCurrency"), Field("day", "ftDate"),
               Field("clock", "ftTime"), Field("moment", "ftDateTime"),
               Field("big", "ftLargeint"), Field("memo", "ftMemo"), Field("fmt", "ftFmtMemo"),
               Field("clob", "ftOraClob"), Field("blob", "ftBlob"), Field("picture", "ftGraphic"),
               Field("ole", "ftParadoxOle"), Field("typed", "ftTypedBinary")}},
             {"indexes", {{{"name", "key"}, {"fields", {"key"}}, {"options", {"tiPrimary"}}}}}}}}};
}

}  // namespace tinydb::test
