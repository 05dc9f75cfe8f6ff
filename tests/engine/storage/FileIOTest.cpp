// File access: opening images on disk and in memory, memory-medium names,
// passwords, the value transforms, the file lock and the tab readers.
#include "storage/TinyDBFileIO.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <atomic>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "platform/Errors.h"
#include "platform/FileLock.h"
#include "processing/DataProcess.h"
#include "processing/EncryptBase.h"
#include "storage/DatabaseWriter.h"
#include "storage/MemoryMedium.h"
#include "engine/storage/TestImage.h"
#include "support/DatabaseSettings.h"
#include "support/TempDir.h"

namespace tinydb {
namespace {

using test::TBytes;

// Check text of the password "fizzo".
constexpr char kFizzoCheck[] = "pwzD0WZmDw/zEIRtHoGViSDyFcI=";

TBytes FromHex(const std::string& hex) {
  TBytes bytes;
  for (size_t i = 0; i + 1 < hex.size(); i += 2)
    bytes.push_back(static_cast<uint8_t>(std::stoi(hex.substr(i, 2), nullptr, 16)));
  return bytes;
}

TBytes StreamBytes(TStream& stream) {
  TBytes bytes(static_cast<size_t>(stream.Size()));
  stream.SetPosition(0);
  stream.ReadBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
  return bytes;
}

TTableHeader DrinksHeader() {
  return test::MakeTableHeader(
      "drinks", {{"id", ftInteger}, {"name", ftString, 10}, {"notes", ftMemo}},
      {{"id", {0}, tiPrimary | tiUnique}});
}

// Lock settings of a test database.
class TTestLink : public TFileIODatabaseLink {
 public:
  TTestLink(int retry_count, int wait_time) : retry_count_(retry_count), wait_time_(wait_time) {}
  int LockRetryCount() const override { return retry_count_; }
  int LockWaitTime() const override { return wait_time_; }

 private:
  int retry_count_;
  int wait_time_;
};

// A memory image registered under its name for the life of the object.
struct TMemoryImage {
  explicit TMemoryImage(TBytes bytes) : stream(std::move(bytes)) {
    name = MemoryStreamToDatabaseName(&stream);
  }
  ~TMemoryImage() { UnregisterMemoryStream(&stream); }
  TMemoryStream stream;
  std::string name;
};

class FileIOTest : public ::testing::Test {
 protected:
  void SetUp() override { RegisterStandardModules(); }

  // A new file in the test's folder holding |bytes|.
  std::string WriteFile(const TBytes& bytes) {
    std::string path = dir_.Path("fileio_" + std::to_string(file_count_++) + ".tdb");
    std::FILE* f = std::fopen(path.c_str(), "wb");
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
    return path;
  }

  test::TTempDir dir_{"fileio-"};
  int file_count_ = 0;
};

TEST_F(FileIOTest, OpensTheSameImageOnDiskAndInMemory) {
  const TBytes bytes = test::BuildImage(test::PlainSettings(), {DrinksHeader()});
  const std::string path = WriteFile(bytes);
  TMemoryImage memory(bytes);

  for (auto [name, medium] : {std::pair{path, mtDisk}, std::pair{memory.name, mtMemory}}) {
    SCOPED_TRACE(name);
    TTinyDBFileIO io;
    io.Open(name, medium, false);
    ASSERT_TRUE(io.IsOpen());
    EXPECT_EQ(medium, io.MediumType());
    EXPECT_EQ(name, io.FileName());
    EXPECT_FALSE(io.ReadOnly());
    EXPECT_EQ(1, io.Directory().TableCount);
    EXPECT_EQ(static_cast<int64_t>(bytes.size()), io.ImageSize());
    std::vector<std::string> names{"stale"};
    io.GetTableNames(names);
    EXPECT_EQ(std::vector<std::string>{"drinks"}, names);
    TTableHeader header;
    io.ReadTableHeader(0, header);
    EXPECT_EQ(3, header.FieldCount);
    EXPECT_EQ(0, header.RecordCount);
    TRecordTabItems items;
    TIntegerAry chunks;
    io.ReadRecordTab(header, items, chunks);
    EXPECT_TRUE(items.empty());
    EXPECT_TRUE(chunks.empty());
    io.Close();
    EXPECT_FALSE(io.IsOpen());
  }
  // The memory stream stays with its owner, whole and usable.
  EXPECT_EQ(bytes, StreamBytes(memory.stream));
  TTinyDBFileIO again;
  again.Open(memory.name, mtMemory, false);
  EXPECT_TRUE(again.IsOpen());
}

TEST_F(FileIOTest, SignatureAndVersionAreCheckedOnDiskAndInMemory) {
  struct Case {
    const char* version;
    const char (&magic)[8];
    std::string error;  // "%s" stands for the database name; "" opens
  };
  const Case cases[] = {
      {"2.0", "TinyDB\0", ""},
      {"1.5", "TinyDB\0", ""},
      {"", "TinyDB\0", ""},
      {"1.00", "TinyDB\0", "Version 1.00 is not compatible"},
      {"2.00", "TinyDB\0", "Version of database file is too High"},
      {"2.1", "TinyDB\0", "Version of database file is too High"},
      {"2.0", "TinyDBX", "Database file '%s' is a invalid TinyDB"},
      {"2.0", "tinydb\0", "Database file '%s' is a invalid TinyDB"},
  };
  for (const Case& c : cases) {
    const TBytes bytes = test::BuildImage(test::PlainSettings(), {}, c.version, c.magic);
    const std::string path = WriteFile(bytes);
    TMemoryImage memory(bytes);
    for (auto [name, medium] : {std::pair{path, mtDisk}, std::pair{memory.name, mtMemory}}) {
      SCOPED_TRACE(std::string(c.magic, 7) + " " + c.version + " " + name);
      TTinyDBFileIO io;
      if (c.error.empty()) {
        io.Open(name, medium, false);
        EXPECT_TRUE(io.IsOpen());
        continue;
      }
      try {
        io.Open(name, medium, false);
        ADD_FAILURE() << "opened";
      } catch (const EDatabaseError& e) {
        EXPECT_EQ(FormatMessage(c.error, name), e.what());
      }
      EXPECT_FALSE(io.IsOpen());
    }
  }
}

TEST_F(FileIOTest, MissingFileAndBadMemoryNamesAreRefused) {
  const std::string missing = ::testing::TempDir() + "no_such_database.tdb";
  TTinyDBFileIO io;
  try {
    io.Open(missing, mtDisk, false);
    ADD_FAILURE();
  } catch (const EDatabaseError& e) {
    EXPECT_EQ("Cannot open file " + missing, e.what());
  }

  TMemoryImage memory(test::BuildImage(test::PlainSettings(), {}));
  std::string digits = memory.name.substr(1);
  for (const std::string& name :
       {std::string(""), digits, ":" + digits + "G", std::string(":"), std::string(":00000000"),
        std::string(":FFFFFFFF"), ":1" + digits, ":0x" + digits}) {
    SCOPED_TRACE(name);
    try {
      io.Open(name, mtMemory, false);
      ADD_FAILURE();
    } catch (const EDatabaseError& e) {
      EXPECT_EQ("Invalid database name '" + name + "'", e.what());
    }
    EXPECT_FALSE(io.IsOpen());
  }
}

TEST_F(FileIOTest, MemoryNamesAreStableAndIgnoreCase) {
  TMemoryStream a, b;
  const std::string name_a = MemoryStreamToDatabaseName(&a);
  const std::string name_b = MemoryStreamToDatabaseName(&b);
  ASSERT_EQ(9u, name_a.size());
  EXPECT_EQ(':', name_a[0]);
  EXPECT_EQ(std::string::npos, name_a.find_first_not_of("0123456789ABCDEF", 1));
  EXPECT_NE(name_a, name_b);
  EXPECT_EQ(name_a, MemoryStreamToDatabaseName(&a));

  std::string lower = name_a;
  for (char& ch : lower) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
  EXPECT_EQ(&a, DatabaseNameToMemoryStream(name_a));
  EXPECT_EQ(&a, DatabaseNameToMemoryStream(lower));
  EXPECT_EQ(&a, DatabaseNameToMemoryStream(":000" + name_a.substr(1)));  // leading zeros
  EXPECT_EQ(&b, DatabaseNameToMemoryStream(name_b));
  // Extra digits make a different, larger number; they never wrap around
  // onto a registered one.
  EXPECT_EQ(nullptr, DatabaseNameToMemoryStream(":100000000" + name_a.substr(1)));
  EXPECT_EQ(nullptr, DatabaseNameToMemoryStream(name_a.substr(1)));

  EXPECT_TRUE(IsMemoryDatabaseName(":"));
  EXPECT_TRUE(IsMemoryDatabaseName(":0aF9"));
  EXPECT_FALSE(IsMemoryDatabaseName("0aF9"));
  EXPECT_FALSE(IsMemoryDatabaseName(":0aG9"));
  EXPECT_FALSE(IsMemoryDatabaseName(": 1"));
  EXPECT_EQ(nullptr, DatabaseNameToMemoryStream(":"));

  UnregisterMemoryStream(&a);
  UnregisterMemoryStream(&b);
  EXPECT_EQ(nullptr, DatabaseNameToMemoryStream(name_a));
  EXPECT_EQ(nullptr, DatabaseNameToMemoryStream(name_b));
}

TEST_F(FileIOTest, OpeningAnOpenObjectChangesNothing) {
  TMemoryImage memory(test::BuildImage(test::PlainSettings(), {DrinksHeader()}));
  const std::string path = WriteFile(test::BuildImage(test::PlainSettings(), {}));
  TTinyDBFileIO io;
  io.Open(memory.name, mtMemory, false);
  io.Open(path, mtDisk, true);
  EXPECT_EQ(mtMemory, io.MediumType());
  EXPECT_FALSE(io.Exclusive());
  EXPECT_EQ(memory.name, io.FileName());
  EXPECT_EQ(&memory.stream, io.Stream());
  EXPECT_EQ(1, io.Directory().TableCount);
}

TEST_F(FileIOTest, ReadOnlyAndExclusiveFiles) {
  const std::string path = WriteFile(test::BuildImage(test::PlainSettings(), {DrinksHeader()}));
  {
    TTinyDBFileIO owner;
    owner.Open(path, mtDisk, true);
    TTinyDBFileIO other;
    EXPECT_THROW(other.Open(path, mtDisk, false), EFOpenError);
    EXPECT_FALSE(other.IsOpen());
  }
  ::chmod(path.c_str(), 0444);
  TTinyDBFileIO io;
  io.Open(path, mtDisk, false);
  EXPECT_TRUE(io.ReadOnly());
  TTableHeader header;
  io.ReadTableHeader(0, header);
  EXPECT_THROW(io.WriteTableHeader(0, header), EStreamError);
}

TEST_F(FileIOTest, PasswordOfAnUnencryptedImageIsNotChecked) {
  TMemoryImage memory(test::BuildImage(test::PlainSettings(), {}));
  TTinyDBFileIO io;
  EXPECT_FALSE(io.VerifyPassword("anything"));  // closed
  io.Open(memory.name, mtMemory, false);
  EXPECT_TRUE(io.VerifyPassword("anything"));
  EXPECT_TRUE(io.VerifyPassword(""));
  EXPECT_FALSE(io.EncryptMgr().HasAlgorithm());
  EXPECT_FALSE(io.CompressMgr().HasAlgorithm());
}

TEST_F(FileIOTest, WrongPasswordLeavesTheCipherWithoutKey) {
  TMemoryImage memory(
      test::BuildImage(test::ProtectedSettings("Blowfish", 0, kFizzoCheck, false), {}));
  const TBytes value = FromHex("0001020304050607");
  TBytes out(value.size());

  TTinyDBFileIO io;
  io.Open(memory.name, mtMemory, false);
  EXPECT_FALSE(io.VerifyPassword("Fizzo"));
  EXPECT_FALSE(io.VerifyPassword(""));
  try {
    io.DecodeBuffer(value.data(), out.data(), true, 8);
    ADD_FAILURE();
  } catch (const EEncryptException& e) {
    EXPECT_EQ(3, e.Code());
    EXPECT_EQ("TEnc_Blowfish is not initialized call Init() or InitKey() before.",
              std::string(e.what()));
  }
  EXPECT_TRUE(io.VerifyPassword("fizzo"));
  io.DecodeBuffer(value.data(), out.data(), true, 8);
}

TEST_F(FileIOTest, ValuesRoundTripThroughAnEncryptedCompressedImage) {
  // Blowfish in mode 1 keyed from "fizzo" gives known bytes for 0x00..0x24.
  const TBytes plain = FromHex(
      "000102030405060708090A0B0C0D0E0F101112131415161718191A1B1C1D1E1F2021222324");
  const TBytes cipher = FromHex(
      "B0E80732950F4EE12E891FB59265974CB0524E8D56BE8F081B42F5FD0C3B4B97DD308B13BE");
  TMemoryImage memory(test::BuildImage(test::ProtectedSettings("Blowfish", 1, kFizzoCheck, true),
                                       {DrinksHeader()}));
  TTinyDBFileIO io;
  io.Open(memory.name, mtMemory, false);
  ASSERT_TRUE(io.VerifyPassword("fizzo"));

  // Each value starts from the initial vector: the same input, the same bytes.
  for (int round = 0; round < 2; ++round) {
    TBytes out(plain.size());
    io.EncodeBuffer(plain.data(), out.data(), true, static_cast<int64_t>(plain.size()));
    EXPECT_EQ(cipher, out);
  }

  // One record: id (int32), name (ftString 10), notes (blob).
  const std::string notes_text(10000, 'x');
  TMemoryStream notes, stored;
  notes.WriteBuffer(notes_text.data(), static_cast<int64_t>(notes_text.size()));
  io.EncodeStream(&notes, &stored, true, true);
  EXPECT_LT(stored.Size(), 200);  // compressed before it was encrypted
  EXPECT_EQ(0, stored.Position());

  TBytes record(4 + 11 + 20, 0);
  uint8_t id[4];
  EncodeInt32(id, 4711);
  io.EncodeBuffer(id, &record[0], true, 4);
  const char name[11] = "Gin Fizz";
  io.EncodeBuffer(name, &record[4], true, 11);
  TBytes image = memory.stream.Bytes();
  test::AppendRecord(image, 0, record, {{15, StreamBytes(stored)}});
  memory.stream.SetSize(0);
  memory.stream.WriteBuffer(image.data(), static_cast<int64_t>(image.size()));

  TTableHeader header;
  io.ReadTableHeader(0, header);
  TRecordTabItems items;
  TIntegerAry chunks;
  io.ReadRecordTab(header, items, chunks);
  ASSERT_EQ(1u, items.size());
  const int64_t item_pos = chunks[0] + kTabChunkItemsOffset;

  TMemoryStream value;
  io.ReadFieldValue(&value, item_pos, true, true, true, 20, 15);
  EXPECT_EQ(TBytes(notes_text.begin(), notes_text.end()), StreamBytes(value));
  io.ReadFieldValue(&value, item_pos, false, true, false, 4, 0);
  EXPECT_EQ(4711, DecodeInt32(StreamBytes(value).data()));
  io.ReadFieldValueAt(&value, items[0].DataPos + 4, false, true, false, 11);
  EXPECT_STREQ("Gin Fizz", reinterpret_cast<const char*>(StreamBytes(value).data()));

  // In place, both ways.
  TMemoryStream same;
  same.WriteBuffer(notes_text.data(), 100);
  io.EncodeStream(&same, &same, true, true);
  io.DecodeStream(&same, &same, true, true);
  EXPECT_EQ(TBytes(notes_text.begin(), notes_text.begin() + 100), StreamBytes(same));

  // An empty blob is stored as nothing at all.
  TMemoryStream empty, empty_stored;
  io.EncodeStream(&empty, &empty_stored, true, true);
  EXPECT_EQ(0, empty_stored.Size());
}

TEST_F(FileIOTest, OpensImagesOfTheDatabaseWriter) {
  const TDatabaseSettings settings = test::CompressedEncrypted("twofish", 3, "fizzo");
  TTableDefinition drinks{"drinks", {{"id", ftAutoInc}, {"name", ftString, 25}}, {}};
  TTableDefinition glasses{"Glasses", {{"code", ftSmallint}}, {}};
  TMemoryImage memory(BuildDatabaseImage(settings, {drinks, glasses}));
  TTinyDBFileIO io;
  io.Open(memory.name, mtMemory, false);
  std::vector<std::string> names;
  io.GetTableNames(names);
  EXPECT_EQ((std::vector<std::string>{"drinks", "Glasses"}), names);
  EXPECT_TRUE(io.CompressMgr().HasAlgorithm());
  EXPECT_FALSE(io.VerifyPassword("fizz"));
  EXPECT_TRUE(io.VerifyPassword("fizzo"));
}

TEST_F(FileIOTest, PlainValuesAreCopied) {
  TMemoryImage memory(test::BuildImage(test::PlainSettings(), {}));
  TTinyDBFileIO io;
  io.Open(memory.name, mtMemory, false);
  TMemoryStream source, dest;
  source.WriteBuffer("abc", 3);
  dest.WriteBuffer("old contents", 12);
  io.EncodeStream(&source, &dest, false, false);
  EXPECT_EQ(TBytes({'a', 'b', 'c'}), StreamBytes(dest));
  io.DecodeStream(&dest, &source, false, false);
  EXPECT_EQ(TBytes({'a', 'b', 'c'}), StreamBytes(source));
  char out[4] = "xyz";
  io.DecodeBuffer("abc", out, false, 3);
  EXPECT_STREQ("abc", out);
}

TEST_F(FileIOTest, SecondWriterTimesOutUntilTheLockIsReleased) {
  const std::string path = WriteFile(test::BuildImage(test::PlainSettings(), {}));
  TTestLink once(1, 5);
  TTinyDBFileIO first(&once), second(&once);
  first.Open(path, mtDisk, false);
  second.Open(path, mtDisk, false);

  first.Lock();
  try {
    second.Lock();
    ADD_FAILURE();
  } catch (const EDatabaseError& e) {
    EXPECT_STREQ("Wait for unlock time out", e.what());
  }
  first.Unlock();
  second.Lock();
  second.Unlock();

  // A retry count of 0 waits as long as it takes.
  TTestLink forever(0, 1);
  TTinyDBFileIO patient(&forever);
  patient.Open(path, mtDisk, false);
  first.Lock();
  std::atomic<bool> released{false};
  std::thread holder([&] {
    SleepMilliseconds(30);
    released = true;
    first.Unlock();
  });
  patient.Lock();
  EXPECT_TRUE(released);
  patient.Unlock();
  holder.join();

  // Memory images are never locked.
  TMemoryImage memory(test::BuildImage(test::PlainSettings(), {}));
  TTinyDBFileIO a(&once), b(&once);
  a.Open(memory.name, mtMemory, false);
  b.Open(memory.name, mtMemory, false);
  a.Lock();
  b.Lock();
}

TEST_F(FileIOTest, TabsAreReadAcrossChunksAndRecordsMarkedDeleted) {
  TBytes image = test::BuildImage(
      test::PlainSettings(),
      {test::MakeTableHeader("t", {{"id", ftInteger}}, {{"a", {0}}, {"b", {0}, tiDescending}})});
  TBytes record(4);
  for (int k = 0; k < 1025; ++k) {
    EncodeInt32(record.data(), k);
    test::AppendRecord(image, 0, record);
  }
  TMemoryImage memory(image);
  TTinyDBFileIO io;
  io.Open(memory.name, mtMemory, false);
  TTableHeader header;
  io.ReadTableHeader(0, header);
  ASSERT_EQ(1025, header.RecordCount);

  TRecordTabItems items;
  TIntegerAry chunks;
  io.ReadRecordTab(header, items, chunks);
  ASSERT_EQ(1025u, items.size());
  ASSERT_EQ(2u, chunks.size());
  EXPECT_EQ(header.RecordTabPos, chunks[0]);
  EXPECT_EQ(test::ReadInt32At(image, chunks[0]), chunks[1]);
  EXPECT_EQ(chunks[1] + kRecordTabChunkSize, items[1024].DataPos);
  for (int k : {0, 1023, 1024}) {
    TMemoryStream value;
    io.ReadFieldValue(&value, test::RecordItemPos(image, 0, k), false, false, false, 4, 0);
    EXPECT_EQ(k, DecodeInt32(StreamBytes(value).data()));
  }

  TIndexTabItems links;
  TIntegerAry index_chunks;
  io.ReadIndexTab(header, 1, index_chunks, links);
  ASSERT_EQ(1025u, links.size());
  ASSERT_EQ(2u, index_chunks.size());
  EXPECT_EQ(header.IndexDefs[1].IndexTabPos, index_chunks[0]);
  EXPECT_EQ(1024, links[1023].Next);
  EXPECT_EQ(1024, links[1024].RecordNo);
  EXPECT_EQ(-1, links[1024].Next);

  io.MarkDeleted(chunks[1] + kTabChunkItemsOffset);
  io.MarkDeleted(chunks[0] + kTabChunkItemsOffset + 7 * kRecordTabItemSize);
  TRecordTabItems after;
  io.ReadRecordTab(header, after, chunks);
  for (int k = 0; k < 1025; ++k) {
    EXPECT_EQ(k == 7 || k == 1024 ? 1 : 0, after[k].Deleted) << k;
    EXPECT_EQ(items[k].DataPos, after[k].DataPos) << k;
  }
}

TEST_F(FileIOTest, TableHeadersAreWrittenInPlace) {
  TMemoryImage memory(test::BuildImage(test::PlainSettings(),
                                       {DrinksHeader(), test::MakeTableHeader("other", {})}));
  TTinyDBFileIO io;
  io.Open(memory.name, mtMemory, false);
  TTableHeader header;
  io.ReadTableHeader(1, header);
  header.AutoIncValue = 99;
  const int64_t size = io.ImageSize();
  io.WriteTableHeader(1, header);
  EXPECT_EQ(size, io.ImageSize());
  EXPECT_EQ(99, test::ReadHeader(memory.stream.Bytes(), 1).AutoIncValue);
  EXPECT_EQ(0, test::ReadHeader(memory.stream.Bytes(), 0).AutoIncValue);
  EXPECT_THROW(io.ReadTableHeader(2, header), EDatabaseError);
  EXPECT_THROW(io.ReadTableHeader(-1, header), EDatabaseError);
}

}  // namespace
}  // namespace tinydb
