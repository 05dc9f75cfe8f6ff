// A new database image has the documented layout at every byte, and the
// writer refuses definitions the file cannot hold or the engine cannot use.
#include "storage/DatabaseWriter.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "platform/Errors.h"
#include "support/TempDir.h"

namespace tinydb {
namespace {

// |prefix| followed by |n| in decimal ("f7").
std::string Numbered(const char* prefix, size_t n) {
  std::string name = prefix;
  name += std::to_string(n);
  return name;
}

std::string Text(const std::vector<uint8_t>& image, size_t pos, size_t size) {
  return std::string(reinterpret_cast<const char*>(&image[pos]), size);
}

bool AllZero(const std::vector<uint8_t>& image, size_t pos, size_t size) {
  for (size_t i = pos; i < pos + size; ++i)
    if (image[i] != 0) return false;
  return true;
}

std::vector<TTableDefinition> TwoTables() {
  TTableDefinition drinks;
  drinks.Name = "drinks";
  drinks.Fields = {{"id", ftInteger, 0, false},
                   {"name", ftString, 25, false},
                   {"ingred", ftMemo, 0, true}};
  drinks.Indexes = {{"id", {"ID"}, tiPrimary},
                    {"byname", {"Name", "id"}, tiUnique | tiCaseInsensitive}};
  TTableDefinition notes;
  notes.Name = "notes";
  notes.Fields = {{"n", ftAutoInc, 0, false}};
  return {drinks, notes};
}

TEST(DatabaseWriterTest, PlainImageHasTheDocumentedLayout) {
  TMemoryStream stream;
  stream.WriteBuffer("old contents that must go", 25);
  CreateDatabase(stream, TDatabaseSettings{}, TwoTables());
  const std::vector<uint8_t>& image = stream.Bytes();

  ASSERT_EQ(static_cast<size_t>(kFixedPartSize + 2 * kTableHeaderSize), image.size());
  EXPECT_EQ(std::string("TinyDB\0" "2.0\0\0", 12), Text(image, kFileSignaturePos, kFileSignatureSize));
  EXPECT_TRUE(AllZero(image, kFileSignatureSize, kReservedAreaSize));
  EXPECT_TRUE(AllZero(image, kSettingsPos, kSettingsSize))
      << "no compression, encryption or verification";

  // Directory: count, an unused word, then header positions.
  const size_t d = kTableDirectoryPos;
  EXPECT_EQ(2, DecodeInt32(&image[d]));
  EXPECT_EQ(0, DecodeInt32(&image[d + kTableDirectoryUnusedOffset]));
  EXPECT_EQ(kFixedPartSize, DecodeInt32(&image[d + kTableDirectoryHeaderPosOffset]));
  EXPECT_EQ(kFixedPartSize + kTableHeaderSize,
            DecodeInt32(&image[d + kTableDirectoryHeaderPosOffset + 4]));
  EXPECT_TRUE(AllZero(image, d + kTableDirectoryHeaderPosOffset + 8,
                      kTableDirectorySize - kTableDirectoryHeaderPosOffset - 8));

  const size_t h = kFixedPartSize;
  EXPECT_EQ(std::string("drinks\0", 7), Text(image, h, 7));
  EXPECT_TRUE(AllZero(image, h + kTableHeaderRecordTabPosOffset, kTableHeaderCountersSize))
      << "RecordTabPos, RecordCount, AutoIncValue";
  EXPECT_EQ(3, DecodeInt32(&image[h + kTableHeaderFieldCountOffset]));
  // Field 1: "name", ftString of 25 characters; field 2 stored raw.
  const size_t f1 = h + kTableHeaderFieldDefsOffset + kFieldDefSize;
  const size_t f2 = f1 + kFieldDefSize;
  EXPECT_EQ(std::string("name\0", 5), Text(image, f1, 5));
  EXPECT_EQ(ftString, image[f1 + kFieldDefTypeOffset]);
  EXPECT_EQ(25, DecodeInt32(&image[f1 + kFieldDefSizeOffset]));
  EXPECT_EQ(0, image[f1 + kFieldDefRawOffset]);
  EXPECT_EQ(ftMemo, image[f2 + kFieldDefTypeOffset]);
  EXPECT_EQ(1, image[f2 + kFieldDefRawOffset]);
  EXPECT_TRUE(AllZero(image, f2 + kFieldDefSize, (kMaxFieldCount - 3) * kFieldDefSize))
      << "unused field entries";

  EXPECT_EQ(2, DecodeInt32(&image[h + kTableHeaderIndexCountOffset]));
  const size_t i0 = h + kTableHeaderIndexDefsOffset, i1 = i0 + kIndexDefSize;
  const size_t keys = kIndexDefFieldsOffset;
  EXPECT_EQ(std::string("id\0", 3), Text(image, i0, 3));
  EXPECT_EQ(tiPrimary, image[i0 + kIndexDefOptionsOffset]);
  EXPECT_EQ(0, DecodeInt32(&image[i0 + keys]));  // "ID" matches "id" ignoring case
  EXPECT_EQ(-1, DecodeInt32(&image[i0 + keys + 4]));
  EXPECT_EQ(tiUnique | tiCaseInsensitive, image[i1 + kIndexDefOptionsOffset]);
  EXPECT_EQ(1, DecodeInt32(&image[i1 + keys]));
  EXPECT_EQ(0, DecodeInt32(&image[i1 + keys + 4]));
  for (int k = 2; k < 8; ++k) EXPECT_EQ(-1, DecodeInt32(&image[i1 + keys + 4 * k]));
  EXPECT_TRUE(AllZero(image, i1 + kIndexDefTabPosOffset, kIndexDefSize - kIndexDefTabPosOffset))
      << "IndexTabPos, ChainHead, unused";
  // Unused index entries: zero, with an empty key list.
  const size_t i2 = i1 + kIndexDefSize;
  EXPECT_TRUE(AllZero(image, i2, keys));
  for (int k = 0; k < 8; ++k) EXPECT_EQ(-1, DecodeInt32(&image[i2 + keys + 4 * k]));
  EXPECT_TRUE(AllZero(image, i2 + kIndexDefTabPosOffset, kIndexDefSize - kIndexDefTabPosOffset));
  EXPECT_TRUE(AllZero(image, h + kTableHeaderUnusedOffset, kTableHeaderSize - kTableHeaderUnusedOffset));

  const size_t h2 = h + kTableHeaderSize;
  EXPECT_EQ(std::string("notes\0", 6), Text(image, h2, 6));
  EXPECT_EQ(ftAutoInc, image[h2 + kTableHeaderFieldDefsOffset + kFieldDefTypeOffset]);
  EXPECT_EQ(0, DecodeInt32(&image[h2 + kTableHeaderIndexCountOffset]));
}

TEST(DatabaseWriterTest, SettingsBlockCarriesEveryChoice) {
  TDatabaseSettings settings;
  settings.Compressed = true;
  settings.CompressAlgo = "zlib";
  settings.Encrypted = true;
  settings.EncryptAlgo = "twoFISH";
  settings.EncryptMode = 3;
  settings.Password = "fizzo";
  settings.VerifyWrites = true;
  const std::vector<uint8_t> image = BuildDatabaseImage(settings, {});

  const size_t s = kSettingsPos;
  EXPECT_EQ(1, image[s + kSettingsCompressedOffset]);
  EXPECT_EQ(0, image[s + kSettingsUnused1Offset]);
  EXPECT_EQ(std::string("ZLIB\0", 5), Text(image, s + kSettingsCompressAlgoOffset, 5));
  EXPECT_TRUE(AllZero(image, s + kSettingsCompressAlgoOffset + 5, kNameSize - 5));
  EXPECT_EQ(1, image[s + kSettingsEncryptedOffset]);
  EXPECT_EQ(3, image[s + kSettingsEncryptModeOffset]);
  EXPECT_EQ(std::string("Twofish\0", 8), Text(image, s + kSettingsEncryptAlgoOffset, 8))
      << "canonical spelling";
  EXPECT_EQ(1, image[s + kSettingsVerifyWritesOffset]);
  EXPECT_TRUE(AllZero(image, s + kSettingsUnused2Offset, 256));
  const size_t check = s + kSettingsPasswordCheckOffset;
  EXPECT_EQ(std::string("pwzD0WZmDw/zEIRtHoGViSDyFcI=\0", 29), Text(image, check, 29));
  EXPECT_TRUE(AllZero(image, check + 29, kSettingsSize - kSettingsPasswordCheckOffset - 29));
  EXPECT_EQ(0, DecodeInt32(&image[kTableDirectoryPos]));
  EXPECT_EQ(static_cast<size_t>(kFixedPartSize), image.size());
}

TEST(DatabaseWriterTest, PasswordCheckOnlyWhenEncrypted) {
  TDatabaseSettings settings;
  settings.Password = "fizzo";  // ignored without encryption
  const size_t check = kSettingsPos + kSettingsPasswordCheckOffset;
  EXPECT_TRUE(AllZero(BuildDatabaseImage(settings, {}), check, kPasswordCheckSize));

  settings.Encrypted = true;
  settings.EncryptAlgo = "Gost";
  settings.Password = "";  // an empty password is a password
  const std::vector<uint8_t> image = BuildDatabaseImage(settings, {});
  EXPECT_EQ(std::string("+WzqGYrR3VYXrAhKPZLGEHcIwO8=\0", 29), Text(image, check, 29));
  EXPECT_EQ(std::string("Gost\0", 5), Text(image, kSettingsPos + kSettingsEncryptAlgoOffset, 5));
  EXPECT_TRUE(AllZero(image, kSettingsPos + kSettingsCompressAlgoOffset, kNameSize))
      << "no compression name when not compressed";
}

TEST(DatabaseWriterTest, RefusesWhatTheFileOrTheEngineCannotHold) {
  using Mutate = std::function<void(TDatabaseSettings&, std::vector<TTableDefinition>&)>;
  struct Case {
    const char* what;
    Mutate mutate;
    const char* message_part;
  };
  auto drinks = [](std::vector<TTableDefinition>& t) -> TTableDefinition& { return t[0]; };
  const std::string long_name(33, 'x');
  const Case cases[] = {
      {"257 tables",
       [](auto&, auto& t) {
         t.resize(257);
         for (size_t i = 0; i < t.size(); ++i) t[i].Name = Numbered("t", i);
       },
       "Too many tables: 257"},
      {"97 fields",
       [&](auto&, auto& t) {
         auto& f = drinks(t).Fields;
         while (f.size() < 97) f.push_back({Numbered("f", f.size()), ftInteger, 0, false});
       },
       "97 fields"},
      {"9 indexes",
       [&](auto&, auto& t) {
         auto& x = drinks(t).Indexes;
         while (x.size() < 9) x.push_back({Numbered("x", x.size()), {"id"}, 0});
       },
       "9 indexes"},
      {"9 key fields",
       [&](auto&, auto& t) {
         for (int i = 0; i < 7; ++i) drinks(t).Fields.push_back({Numbered("k", i), ftInteger, 0, false});
         drinks(t).Indexes[1].FieldNames = {"id", "name", "ingred", "k0", "k1", "k2", "k3", "k4", "k5"};
       },
       "9 key fields"},
      {"no key fields", [&](auto&, auto& t) { drinks(t).Indexes[0].FieldNames.clear(); }, "no key fields"},
      {"empty table name", [&](auto&, auto& t) { t[1].Name = ""; }, "Table 2 has an empty name"},
      {"empty field name", [&](auto&, auto& t) { drinks(t).Fields[2].Name = ""; },
       "Field 3 in table 'drinks' has an empty name"},
      {"33-character index name", [&](auto&, auto& t) { drinks(t).Indexes[0].Name = long_name; },
       "longer than 32 characters"},
      {"NUL in a name", [&](auto&, auto& t) { t[1].Name = std::string("no\0tes", 6); }, "NUL"},
      {"';' in a field name", [&](auto&, auto& t) { drinks(t).Fields[2].Name = "a;b"; }, "'a;b'"},
      {"duplicate table", [&](auto&, auto& t) { t[1].Name = "DRINKS"; }, "Duplicate table name 'DRINKS'"},
      {"duplicate field, accented",
       [&](auto&, auto& t) {
         drinks(t).Fields[1].Name = "caf\xC9";
         drinks(t).Fields[2].Name = "caf\xE9";
         drinks(t).Indexes[1].FieldNames = {"id"};
       },
       "Duplicate field name"},
      {"duplicate index", [&](auto&, auto& t) { drinks(t).Indexes[1].Name = "Id"; }, "Duplicate index name 'Id'"},
      {"unknown type code", [&](auto&, auto& t) { drinks(t).Fields[0].Type = 99; }, "unknown type code 99"},
      {"type without stored width", [&](auto&, auto& t) { drinks(t).Fields[0].Type = ftWideString; },
       "ftWideString"},
      {"string size 0", [&](auto&, auto& t) { drinks(t).Fields[1].Size = 0; }, "'name' of table 'drinks' needs a size"},
      {"string size too big", [&](auto&, auto& t) { drinks(t).Fields[1].Size = kMaxStringFieldSize + 1; },
       "needs a size"},
      {"size on an integer", [&](auto&, auto& t) { drinks(t).Fields[0].Size = 4; }, "'id'"},
      {"two auto-increment fields", [&](auto&, auto& t) { t[1].Fields.push_back({"m", ftAutoInc, 0, false}); },
       "two ftAutoInc fields"},
      {"two primary indexes", [&](auto&, auto& t) { drinks(t).Indexes[1].Options = tiPrimary; },
       "two primary indexes"},
      {"unknown key field", [&](auto&, auto& t) { drinks(t).Indexes[1].FieldNames[1] = "idd"; },
       "Index 'byname' of table 'drinks' names the unknown field 'idd'"},
      {"key field twice", [&](auto&, auto& t) { drinks(t).Indexes[1].FieldNames[1] = "NAME"; }, "twice"},
      {"unknown option bit", [&](auto&, auto& t) { drinks(t).Indexes[0].Options = 16; }, "option"},
      {"unknown compression", [](auto& s, auto&) { s.Compressed = true; s.CompressAlgo = "LZW"; }, "'LZW'"},
      {"unknown cipher", [](auto& s, auto&) { s.Encrypted = true; s.EncryptAlgo = "DES"; s.Password = "p"; },
       "Unknown encryption algorithm 'DES'"},
      {"mode 5", [](auto& s, auto&) { s.Encrypted = true; s.EncryptAlgo = "Gost"; s.EncryptMode = 5; s.Password = "p"; },
       "mode 5"},
      {"mode -1", [](auto& s, auto&) { s.Encrypted = true; s.EncryptAlgo = "Gost"; s.EncryptMode = -1; s.Password = "p"; },
       "mode -1"},
      {"encryption without password", [](auto& s, auto&) { s.Encrypted = true; s.EncryptAlgo = "Blowfish"; },
       "needs a password"},
  };
  for (const Case& c : cases) {
    TDatabaseSettings settings;
    std::vector<TTableDefinition> tables = TwoTables();
    c.mutate(settings, tables);
    TMemoryStream stream;
    stream.WriteBuffer("keep", 4);
    try {
      CreateDatabase(stream, settings, tables);
      ADD_FAILURE() << c.what << ": accepted";
    } catch (const EDatabaseError& e) {
      EXPECT_NE(std::string::npos, std::string(e.what()).find(c.message_part))
          << c.what << ": " << e.what();
    }
    EXPECT_EQ(4, stream.Size()) << c.what << ": the stream was changed";
  }
}

TEST(DatabaseWriterTest, TheLimitsThemselvesAreAccepted) {
  std::vector<TTableDefinition> tables(256);
  for (size_t i = 0; i < tables.size(); ++i) tables[i].Name = Numbered("t", i);
  TTableDefinition& t = tables[0];
  t.Name = std::string(32, 'n');
  for (int f = 0; f < 96; ++f) t.Fields.push_back({Numbered("f", f), ftInteger, 0, false});
  t.Fields[0] = {"s", ftFixedChar, kMaxStringFieldSize, false};
  for (int i = 0; i < 8; ++i)
    t.Indexes.push_back({Numbered("x", i), {"f7", "f6", "f5", "f4", "f3", "f2", "f1", "s"}, 0});
  const std::vector<uint8_t> image = BuildDatabaseImage(TDatabaseSettings{}, tables);
  EXPECT_EQ(static_cast<size_t>(kFixedPartSize + kMaxTableCount * kTableHeaderSize), image.size());
  EXPECT_EQ(kFixedPartSize + 255 * kTableHeaderSize,
            DecodeInt32(&image[kTableDirectoryPos + kTableDirectoryHeaderPosOffset + 255 * 4]));
  const size_t last_index = kFixedPartSize + kTableHeaderIndexDefsOffset + 7 * kIndexDefSize;
  EXPECT_EQ(0, DecodeInt32(&image[last_index + kIndexDefFieldsOffset + 7 * 4]));  // "s" is field 0
}

TEST(DatabaseWriterTest, FileIsCreatedButNeverOverwritten) {
  const test::TTempDir dir("dbwriter-");
  const std::string path = dir.Path("new.tdb");

  CreateDatabaseFile(path, TDatabaseSettings{}, TwoTables());
  TMemoryStream loaded;
  loaded.LoadFromFile(path);
  EXPECT_EQ(BuildDatabaseImage(TDatabaseSettings{}, TwoTables()), loaded.Bytes());

  try {
    CreateDatabaseFile(path, TDatabaseSettings{}, {});
    ADD_FAILURE() << "overwrote an existing file";
  } catch (const EDatabaseError& e) {
    EXPECT_EQ("File '" + path + "' already exists", e.what());
  }
  EXPECT_EQ(static_cast<uintmax_t>(loaded.Size()), std::filesystem::file_size(path));

  // A refused definition creates nothing.
  const std::string other = dir.Path("other.tdb");
  std::vector<TTableDefinition> bad = TwoTables();
  bad[0].Fields[0].Type = 0;
  EXPECT_THROW(CreateDatabaseFile(other, TDatabaseSettings{}, bad), EDatabaseError);
  EXPECT_FALSE(std::filesystem::exists(other));
}

}  // namespace
}  // namespace tinydb
