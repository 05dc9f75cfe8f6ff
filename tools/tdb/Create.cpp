// tdb create: a new, empty database file from a JSON schema.
#include <cctype>
#include <climits>
#include <cstdint>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "Commands.h"
#include "platform/Errors.h"
#include "storage/DatabaseWriter.h"
#include "storage/Format.h"
#include "tables/TinyDB.h"

namespace tdb {

namespace {

using nlohmann::json;
using tinydb::EDatabaseError;

// Raised for anything wrong in the schema file; the message names the file
// and the place.
[[noreturn]] void BadSchema(const std::string& message) { throw EDatabaseError(message); }

class TSchemaReader {
 public:
  explicit TSchemaReader(std::string path) : path_(std::move(path)) {}

  std::vector<tinydb::TTableDefinition> Read() {
    std::ifstream in(path_, std::ios::binary);
    if (!in) BadSchema("Cannot read the schema file '" + path_ + "'");
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    json root;
    try {
      root = json::parse(text);
    } catch (const json::exception& e) {
      BadSchema("Schema '" + path_ + "' is not valid JSON: " + e.what());
    }
    Expect(root.is_object(), "top level", "must be a JSON object");
    CheckKeys(root, "top level", {"tables"});
    const json& tables = Member(root, "tables", "top level");
    Expect(tables.is_array(), "top level", "\"tables\" must be an array");

    std::vector<tinydb::TTableDefinition> result;
    for (size_t t = 0; t < tables.size(); ++t) result.push_back(ReadTable(tables[t], t + 1));
    return result;
  }

 private:
  tinydb::TTableDefinition ReadTable(const json& node, size_t number) {
    std::string where = "table " + std::to_string(number);
    Expect(node.is_object(), where, "must be a JSON object");
    CheckKeys(node, where, {"name", "fields", "indexes"});
    tinydb::TTableDefinition table;
    table.Name = Name(node, where, "table name");
    where = "table \"" + Member(node, "name", where).get<std::string>() + "\"";

    const json& fields = Member(node, "fields", where);
    Expect(fields.is_array(), where, "\"fields\" must be an array");
    for (size_t f = 0; f < fields.size(); ++f)
      table.Fields.push_back(ReadField(fields[f], where + ", field " + std::to_string(f + 1)));

    if (node.contains("indexes")) {
      const json& indexes = node["indexes"];
      Expect(indexes.is_array(), where, "\"indexes\" must be an array");
      for (size_t i = 0; i < indexes.size(); ++i)
        table.Indexes.push_back(ReadIndex(indexes[i], where + ", index " + std::to_string(i + 1)));
    }
    return table;
  }

  tinydb::TFieldDefinition ReadField(const json& node, const std::string& where) {
    Expect(node.is_object(), where, "must be a JSON object");
    CheckKeys(node, where, {"name", "type", "size", "raw"});
    tinydb::TFieldDefinition field;
    field.Name = Name(node, where, "field name");

    const json& type = Member(node, "type", where);
    Expect(type.is_string(), where, "\"type\" must be a type name such as \"ftString\"");
    field.Type = tinydb::FieldTypeFromName(type.get<std::string>());
    if (field.Type < 0)
      BadSchema("Schema '" + path_ + "', " + where + ": unknown field type \"" +
                type.get<std::string>() + "\"");

    if (node.contains("size")) {
      const json& size = node["size"];
      Expect(size.is_number_integer() && size.get<int64_t>() >= INT32_MIN &&
                 size.get<int64_t>() <= INT32_MAX,
             where, "\"size\" must be a whole number");
      field.Size = static_cast<int>(size.get<int64_t>());
    }
    if (node.contains("raw")) {
      Expect(node["raw"].is_boolean(), where, "\"raw\" must be true or false");
      field.Raw = node["raw"].get<bool>();
    }
    return field;
  }

  tinydb::TIndexDefinition ReadIndex(const json& node, const std::string& where) {
    Expect(node.is_object(), where, "must be a JSON object");
    CheckKeys(node, where, {"name", "fields", "options"});
    tinydb::TIndexDefinition index;
    index.Name = Name(node, where, "index name");

    const json& fields = Member(node, "fields", where);
    Expect(fields.is_array(), where, "\"fields\" must be an array of field names");
    for (const json& field : fields) {
      Expect(field.is_string(), where, "\"fields\" must be an array of field names");
      index.FieldNames.push_back(ToCp1252(field.get<std::string>(), "Field name"));
    }
    if (node.contains("options")) {
      const json& options = node["options"];
      Expect(options.is_array(), where, "\"options\" must be an array of option names");
      for (const json& option : options) {
        Expect(option.is_string(), where, "\"options\" must be an array of option names");
        uint8_t bit = tinydb::IndexOptionFromName(option.get<std::string>());
        if (bit == 0)
          BadSchema("Schema '" + path_ + "', " + where + ": unknown index option \"" +
                    option.get<std::string>() + "\"");
        index.Options |= bit;
      }
    }
    return index;
  }

  std::string Name(const json& node, const std::string& where, const std::string& what) {
    const json& name = Member(node, "name", where);
    Expect(name.is_string(), where, "\"name\" must be a text");
    std::string upper = what;
    upper[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(upper[0])));
    return ToCp1252(name.get<std::string>(), upper);
  }

  const json& Member(const json& node, const char* key, const std::string& where) {
    if (!node.contains(key))
      BadSchema("Schema '" + path_ + "', " + where + ": \"" + key + "\" is missing");
    return node[key];
  }

  void CheckKeys(const json& node, const std::string& where,
                 std::initializer_list<const char*> known) {
    for (const auto& item : node.items()) {
      bool found = false;
      for (const char* key : known) found = found || item.key() == key;
      if (!found)
        BadSchema("Schema '" + path_ + "', " + where + ": unknown key \"" + item.key() + "\"");
    }
  }

  void Expect(bool ok, const std::string& where, const std::string& what) {
    if (!ok) BadSchema("Schema '" + path_ + "', " + where + ": " + what);
  }

  std::string path_;
};

// The value after option |args[i]|; advances |i|.
const std::string& OptionValue(const std::vector<std::string>& args, size_t& i) {
  if (i + 1 >= args.size()) throw EUsageError(args[i] + " needs a value");
  return args[++i];
}

int ParseMode(const std::string& text) {
  size_t used = 0;
  int mode = 0;
  try {
    mode = std::stoi(text, &used);
  } catch (const std::exception&) {
    used = 0;
  }
  if (used == 0 || used != text.size())
    throw EUsageError("--mode needs a number from 0 to 4, not \"" + text + "\"");
  return mode;
}

}  // namespace

std::vector<tinydb::TTableDefinition> ReadSchema(const std::string& path) {
  return TSchemaReader(path).Read();
}

int RunAddTable(const std::vector<std::string>& args) {
  const TCommandLine line = ParseCommandLine(args, {"--schema", "--password"}, {});
  if (line.Positional.size() != 1) throw EUsageError("add-table needs one database file");
  const std::optional<std::string> schema = line.Value("--schema");
  if (!schema) throw EUsageError("add-table needs --schema SCHEMA.json");
  // The whole schema is read and checked before the file is touched.
  const std::vector<tinydb::TTableDefinition> tables = ReadSchema(*schema);
  if (tables.empty()) throw EDatabaseError("Schema '" + *schema + "' names no table");
  for (const tinydb::TTableDefinition& table : tables) tinydb::CheckTableDefinition(table);

  tinydb::TTinyDatabase database;
  database.SetMediumType(tinydb::mtDisk);
  database.SetDatabaseName(line.Positional[0]);
  database.Connect();
  if (const std::optional<std::string> password = line.Value("--password"))
    database.SetPassword(ToCp1252(*password, "The password"));
  for (const tinydb::TTableDefinition& table : tables) database.CreateTable(table);
  return 0;
}

int RunCreate(const std::vector<std::string>& args) {
  std::optional<std::string> path, schema, algo, mode, password;
  tinydb::TDatabaseSettings settings;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--schema") schema = OptionValue(args, i);
    else if (arg == "--compress") settings.Compressed = true;
    else if (arg == "--encrypt") algo = OptionValue(args, i);
    else if (arg == "--mode") mode = OptionValue(args, i);
    else if (arg == "--password") password = OptionValue(args, i);
    else if (arg == "--verify-writes") settings.VerifyWrites = true;
    else if (arg.size() > 1 && arg[0] == '-') throw EUsageError("unknown option " + arg);
    else if (path) throw EUsageError("more than one database file given");
    else path = arg;
  }
  if (!path) throw EUsageError("create needs a database file");
  if (!schema) throw EUsageError("create needs --schema SCHEMA.json");
  if (!algo && (mode || password)) throw EUsageError("--mode and --password need --encrypt");

  if (algo) {
    settings.Encrypted = true;
    settings.EncryptAlgo = *algo;
    settings.EncryptMode = mode ? ParseMode(*mode) : 0;
    if (password) settings.Password = ToCp1252(*password, "The password");
  }
  const std::vector<tinydb::TTableDefinition> tables = ReadSchema(*schema);
  tinydb::CreateDatabaseFile(*path, settings, tables);
  return 0;
}

}  // namespace tdb
