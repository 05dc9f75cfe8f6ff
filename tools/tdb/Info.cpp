// tdb info: what the engine reads from a database file, as one JSON object.
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "Commands.h"
#include "platform/Codepage.h"
#include "storage/Format.h"
#include "storage/TinyDBFileIO.h"

namespace tdb {

namespace {

using Json = nlohmann::ordered_json;

template <size_t N>
std::string Utf8(const tinydb::TFixedText<N>& text) {
  return tinydb::Cp1252ToUtf8(tinydb::FixedTextToString(text));
}

std::string FieldTypeText(int code) {
  const char* name = tinydb::FieldTypeName(code);
  return *name ? name : std::to_string(code);
}

Json FieldJson(const tinydb::TFieldDefEntry& field) {
  Json out;
  out["name"] = Utf8(field.FieldName);
  out["type"] = FieldTypeText(field.FieldType);
  out["size"] = field.FieldSize;
  out["raw"] = field.RawStorage != 0;
  return out;
}

Json IndexJson(const tinydb::TIndexDefEntry& index, const tinydb::TTableHeader& header) {
  Json fields = Json::array();
  for (int k = 0; k < index.KeyFieldCount(); ++k) {
    const int number = index.FieldIndexes[k];
    fields.push_back(number >= 0 && number < header.FieldCount
                         ? Utf8(header.FieldDefs[number].FieldName)
                         : std::string("#").append(std::to_string(number)));
  }
  Json options = Json::array();
  for (tinydb::TTDIndexOption option :
       {tinydb::tiPrimary, tinydb::tiUnique, tinydb::tiDescending, tinydb::tiCaseInsensitive})
    if (index.Options & option) options.push_back(tinydb::IndexOptionName(option));

  Json out;
  out["name"] = Utf8(index.IndexName);
  out["fields"] = fields;
  out["options"] = options;
  return out;
}

Json TableJson(const tinydb::TTableHeader& header) {
  Json fields = Json::array();
  for (int f = 0; f < header.FieldCount; ++f) fields.push_back(FieldJson(header.FieldDefs[f]));
  Json indexes = Json::array();
  for (int i = 0; i < header.IndexCount; ++i)
    indexes.push_back(IndexJson(header.IndexDefs[i], header));

  Json out;
  out["name"] = Utf8(header.TableName);
  out["record_count"] = header.RecordCount;
  out["autoinc_value"] = header.AutoIncValue;
  out["fields"] = fields;
  out["indexes"] = indexes;
  return out;
}

}  // namespace

int RunInfo(const std::vector<std::string>& args) {
  std::optional<std::string> path, password;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--password") {
      if (i + 1 >= args.size()) throw EUsageError("--password needs a value");
      password = args[++i];
    } else if (arg.size() > 1 && arg[0] == '-') {
      throw EUsageError("unknown option " + arg);
    } else if (path) {
      throw EUsageError("more than one database file given");
    } else {
      path = arg;
    }
  }
  if (!path) throw EUsageError("info needs a database file");
  std::optional<std::string> cp1252_password;
  if (password) cp1252_password = ToCp1252(*password, "The password");

  tinydb::TTinyDBFileIO file;
  file.Open(*path, tinydb::mtDisk, false);

  tinydb::TFileSignature signature;
  uint8_t signature_bytes[tinydb::kFileSignatureSize];
  file.ReadBuffer(tinydb::kFileSignaturePos, signature_bytes, sizeof signature_bytes);
  signature.DecodeFrom(signature_bytes);

  const tinydb::TDataProcessSettings& settings = file.Settings();
  Json out;
  out["version"] = Utf8(signature.FormatVersion);
  out["compressed"] = settings.Compressed != 0;
  out["compress_algo"] = settings.Compressed ? Json(Utf8(settings.CompressAlgoName)) : Json();
  out["encrypted"] = settings.Encrypted != 0;
  out["encrypt_algo"] = settings.Encrypted ? Json(Utf8(settings.EncryptAlgoName)) : Json();
  out["encrypt_mode"] = settings.Encrypted ? Json(settings.EncryptMode) : Json();
  out["verify_writes"] = settings.VerifyWrites != 0;
  out["password_ok"] = cp1252_password ? Json(file.VerifyPassword(*cp1252_password)) : Json();

  Json tables = Json::array();
  for (int t = 0; t < file.Directory().TableCount; ++t) {
    tinydb::TTableHeader header;
    file.ReadTableHeader(t, header);
    tables.push_back(TableJson(header));
  }
  out["tables"] = tables;
  std::printf("%s\n", out.dump(2).c_str());
  return 0;
}

}  // namespace tdb
