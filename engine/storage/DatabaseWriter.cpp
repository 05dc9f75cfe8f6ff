#include "storage/DatabaseWriter.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string_view>

#include "platform/Codepage.h"
#include "platform/Errors.h"
#include "processing/HashBase.h"
#include "processing/Hash_SHA.h"

namespace tinydb {

namespace {

const char* const kCompressionModules[] = {"ZLIB"};
const char* const kEncryptionModules[] = {"Blowfish", "Twofish", "Gost"};
constexpr int kMaxEncryptMode = 4;

[[noreturn]] void Refuse(const std::string& message) { throw EDatabaseError(message); }

std::string Quoted(const std::string& name) { return "'" + name + "'"; }

// |kind| is "Table", "Field" or "Index"; |number| counts from 1; |where|
// is "" or " in table '...'".
void CheckName(const std::string& name, const std::string& kind, size_t number,
               const std::string& where) {
  if (name.empty())
    Refuse(kind + " " + std::to_string(number) + where + " has an empty name");
  if (name.find('\0') != std::string::npos)
    Refuse(kind + " name " + Quoted(name.c_str()) + where + " holds a NUL character");
  if (static_cast<int>(name.size()) > kMaxNameLength)
    Refuse(kind + " name " + Quoted(name) + where + " is longer than " +
           std::to_string(kMaxNameLength) + " characters");
}

// The registered spelling of |name| among |known|, or null.
template <size_t N>
const char* FindModule(const char* const (&known)[N], const std::string& name) {
  for (const char* module : known)
    if (SameText(module, name)) return module;
  return nullptr;
}

void CheckSettings(const TDatabaseSettings& settings) {
  if (settings.Compressed && !FindModule(kCompressionModules, settings.CompressAlgo))
    Refuse("Unknown compression algorithm " + Quoted(settings.CompressAlgo) +
           " (the only one is ZLIB)");
  if (!settings.Encrypted) return;
  if (!FindModule(kEncryptionModules, settings.EncryptAlgo))
    Refuse("Unknown encryption algorithm " + Quoted(settings.EncryptAlgo) +
           " (choose Blowfish, Twofish or Gost)");
  if (settings.EncryptMode < 0 || settings.EncryptMode > kMaxEncryptMode)
    Refuse("Encryption mode " + std::to_string(settings.EncryptMode) +
           " is out of range 0..4");
  if (!settings.Password) Refuse("An encrypted database needs a password");
}

void CheckField(const TFieldDefinition& field, const std::string& where) {
  const std::string what = "Field " + Quoted(field.Name) + " of " + where;
  if (field.Type <= ftUnknown || field.Type >= kFieldTypeCount)
    Refuse(what + " has the unknown type code " + std::to_string(field.Type));
  if (StoredFieldWidth(field.Type, 1) == 0)
    Refuse(what + " has the type " + FieldTypeName(field.Type) +
           ", which a table cannot store");
  const bool sized = field.Type == ftString || field.Type == ftFixedChar;
  if (sized && (field.Size < 1 || field.Size > kMaxStringFieldSize))
    Refuse(what + " needs a size from 1 to " + std::to_string(kMaxStringFieldSize) +
           ", not " + std::to_string(field.Size));
  if (!sized && field.Size != 0)
    Refuse(what + " has a size, which only ftString and ftFixedChar take");
}

void CheckIndex(const TIndexDefinition& index, const TTableDefinition& table,
                const std::string& where) {
  const std::string what = "Index " + Quoted(index.Name) + " of " + where;
  if (index.FieldNames.empty()) Refuse(what + " has no key fields");
  if (static_cast<int>(index.FieldNames.size()) > kMaxIndexFieldCount)
    Refuse(what + " has " + std::to_string(index.FieldNames.size()) +
           " key fields (at most " + std::to_string(kMaxIndexFieldCount) + ")");
  for (size_t k = 0; k < index.FieldNames.size(); ++k) {
    const std::string& name = index.FieldNames[k];
    bool known = false;
    for (const TFieldDefinition& field : table.Fields) known = known || SameText(field.Name, name);
    if (!known) Refuse(what + " names the unknown field " + Quoted(name));
    for (size_t j = 0; j < k; ++j)
      if (SameText(index.FieldNames[j], name))
        Refuse(what + " names the field " + Quoted(name) + " twice");
  }
  const int all_options = tiPrimary | tiUnique | tiDescending | tiCaseInsensitive;
  if (index.Options & ~all_options)
    Refuse(what + " has unknown option bits " + std::to_string(index.Options & ~all_options));
}

void CheckTable(const TTableDefinition& table, size_t number) {
  CheckName(table.Name, "Table", number, "");
  const std::string where = "table " + Quoted(table.Name);

  if (static_cast<int>(table.Fields.size()) > kMaxFieldCount)
    Refuse("Table " + Quoted(table.Name) + " has " + std::to_string(table.Fields.size()) +
           " fields (at most " + std::to_string(kMaxFieldCount) + ")");
  const TFieldDefinition* auto_inc = nullptr;
  for (size_t f = 0; f < table.Fields.size(); ++f) {
    const TFieldDefinition& field = table.Fields[f];
    CheckName(field.Name, "Field", f + 1, " in " + where);
    if (field.Name.find(';') != std::string::npos)
      Refuse("Field name " + Quoted(field.Name) + " of " + where +
             " has a ';', which separates field names in lists");
    for (size_t g = 0; g < f; ++g)
      if (SameText(table.Fields[g].Name, field.Name))
        Refuse("Duplicate field name " + Quoted(field.Name) + " in " + where);
    CheckField(field, where);
    if (field.Type == ftAutoInc) {
      if (auto_inc)
        Refuse("Table " + Quoted(table.Name) + " has two ftAutoInc fields, " +
               Quoted(auto_inc->Name) + " and " + Quoted(field.Name));
      auto_inc = &field;
    }
  }

  if (static_cast<int>(table.Indexes.size()) > kMaxIndexCount)
    Refuse("Table " + Quoted(table.Name) + " has " + std::to_string(table.Indexes.size()) +
           " indexes (at most " + std::to_string(kMaxIndexCount) + ")");
  const TIndexDefinition* primary = nullptr;
  for (size_t i = 0; i < table.Indexes.size(); ++i) {
    const TIndexDefinition& index = table.Indexes[i];
    CheckName(index.Name, "Index", i + 1, " in " + where);
    for (size_t j = 0; j < i; ++j)
      if (SameText(table.Indexes[j].Name, index.Name))
        Refuse("Duplicate index name " + Quoted(index.Name) + " in " + where);
    CheckIndex(index, table, where);
    if (index.Options & tiPrimary) {
      if (primary)
        Refuse("Table " + Quoted(table.Name) + " has two primary indexes, " +
               Quoted(primary->Name) + " and " + Quoted(index.Name));
      primary = &index;
    }
  }
}

int FieldNumber(const TTableDefinition& table, const std::string& name) {
  for (size_t f = 0; f < table.Fields.size(); ++f)
    if (SameText(table.Fields[f].Name, name)) return static_cast<int>(f);
  return -1;  // not reached: the definition was checked
}

TDataProcessSettings EncodeSettings(const TDatabaseSettings& settings) {
  TDataProcessSettings block;
  if (settings.Compressed) {
    block.Compressed = 1;
    StringToFixedText(FindModule(kCompressionModules, settings.CompressAlgo),
                      block.CompressAlgoName);
  }
  if (settings.Encrypted) {
    block.Encrypted = 1;
    block.EncryptMode = static_cast<uint8_t>(settings.EncryptMode);
    StringToFixedText(FindModule(kEncryptionModules, settings.EncryptAlgo),
                      block.EncryptAlgoName);
    StringToFixedText(HashText<THash_SHA>(*settings.Password), block.PasswordCheck);
  }
  block.VerifyWrites = settings.VerifyWrites ? 1 : 0;
  return block;
}

// A header for a table that has never held a record: every count and
// position 0. Unused field entries are all zero; unused index entries are
// zero but for their key field list, which is empty (all -1).
TTableHeader EncodeTableHeader(const TTableDefinition& table) {
  TTableHeader header;
  StringToFixedText(table.Name, header.TableName);
  header.FieldCount = static_cast<int32_t>(table.Fields.size());
  for (size_t f = 0; f < table.Fields.size(); ++f) {
    const TFieldDefinition& field = table.Fields[f];
    TFieldDefEntry& entry = header.FieldDefs[f];
    StringToFixedText(field.Name, entry.FieldName);
    entry.FieldType = static_cast<uint8_t>(field.Type);
    entry.FieldSize = field.Size;
    entry.RawStorage = field.Raw ? 1 : 0;
  }
  header.IndexCount = static_cast<int32_t>(table.Indexes.size());
  for (size_t i = 0; i < table.Indexes.size(); ++i) {
    const TIndexDefinition& index = table.Indexes[i];
    TIndexDefEntry& entry = header.IndexDefs[i];
    StringToFixedText(index.Name, entry.IndexName);
    entry.Options = index.Options;
    for (size_t k = 0; k < index.FieldNames.size(); ++k)
      entry.FieldIndexes[k] = FieldNumber(table, index.FieldNames[k]);
  }
  return header;
}

}  // namespace

void CheckTableDefinition(const TTableDefinition& table) { CheckTable(table, 1); }

TTableHeader BuildTableHeader(const TTableDefinition& table) { return EncodeTableHeader(table); }

void CheckDatabaseDefinition(const TDatabaseSettings& settings,
                             const std::vector<TTableDefinition>& tables) {
  CheckSettings(settings);
  if (static_cast<int>(tables.size()) > kMaxTableCount)
    Refuse("Too many tables: " + std::to_string(tables.size()) + " (at most " +
           std::to_string(kMaxTableCount) + ")");
  for (size_t t = 0; t < tables.size(); ++t) {
    CheckTable(tables[t], t + 1);
    for (size_t u = 0; u < t; ++u)
      if (SameText(tables[u].Name, tables[t].Name))
        Refuse("Duplicate table name " + Quoted(tables[t].Name));
  }
}

std::vector<uint8_t> BuildDatabaseImage(const TDatabaseSettings& settings,
                                        const std::vector<TTableDefinition>& tables) {
  CheckDatabaseDefinition(settings, tables);

  const size_t size = kFixedPartSize + tables.size() * kTableHeaderSize;
  std::vector<uint8_t> image(size, 0);  // the area 12..2316 stays zero

  TFileSignature signature;
  StringToFixedText(kMagic, signature.Magic);
  StringToFixedText(kCurrentVersion, signature.FormatVersion);
  signature.EncodeTo(&image[kFileSignaturePos]);

  EncodeSettings(settings).EncodeTo(&image[kSettingsPos]);

  TTableDirectory directory;
  directory.TableCount = static_cast<int32_t>(tables.size());
  for (size_t t = 0; t < tables.size(); ++t) {
    const size_t header_pos = kFixedPartSize + t * kTableHeaderSize;
    directory.TableHeaderPos[t] = static_cast<int32_t>(header_pos);
    EncodeTableHeader(tables[t]).EncodeTo(&image[header_pos]);
  }
  directory.EncodeTo(&image[kTableDirectoryPos]);
  return image;
}

void CreateDatabase(TStream& dest, const TDatabaseSettings& settings,
                    const std::vector<TTableDefinition>& tables) {
  const std::vector<uint8_t> image = BuildDatabaseImage(settings, tables);
  dest.SetSize(0);
  dest.SetPosition(0);
  dest.WriteBuffer(image.data(), static_cast<int64_t>(image.size()));
}

void CreateDatabaseFile(const std::string& path, const TDatabaseSettings& settings,
                        const std::vector<TTableDefinition>& tables) {
  const std::string exists = FormatMessage("File '%s' already exists", path);
  if (FileExists(path)) throw EDatabaseError(exists);
  const std::vector<uint8_t> image = BuildDatabaseImage(settings, tables);

  // Claim the name atomically so a file that appears meanwhile is never
  // overwritten.
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) {
    if (errno == EEXIST) throw EDatabaseError(exists);
    throw EFOpenError("Cannot create file \"" + path + "\". " + std::strerror(errno));
  }
  ::close(fd);
  try {
    TFileStream file(path, TFileAccess::faReadWrite, TFileShare::fsExclusive);
    file.WriteBuffer(image.data(), static_cast<int64_t>(image.size()));
    file.Flush();
  } catch (...) {
    ::unlink(path.c_str());
    throw;
  }
}

}  // namespace tinydb
