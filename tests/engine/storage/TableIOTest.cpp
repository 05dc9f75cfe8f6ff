// Table storage: loading, open counting, the record image layout of appends
// (tab chunks, strings, auto-increment, blobs), updates, deletes, reading
// records and blobs, verified blob writes and value texts.
#include "storage/TableIO.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "engine/storage/TableFixture.h"
#include "engine/storage/TestImage.h"
#include "platform/Errors.h"
#include "storage/DatabaseWriter.h"
#include "support/DatabaseSettings.h"
#include "support/TempDir.h"

namespace tinydb {
namespace {

using test::HeaderInImage;
using test::Int32At;
using test::RecordNumbers;
using test::TFakeHost;
using test::Throws;
using test::TRecordValues;

// items: id (primary), name (10 characters), body (blob); counters: an
// auto-increment number and a label.
constexpr int kId = 0, kName = 1, kBody = 2;
constexpr int kNameOffset = 4, kBodyOffset = 15, kItemSize = 35;

std::vector<TTableDefinition> Tables() {
  return {
      {"items",
       {{"id", ftInteger}, {"name", ftString, 10}, {"body", ftBlob}},
       {{"byId", {"id"}, tiPrimary}}},
      {"counters", {{"n", ftAutoInc}, {"label", ftString, 8}}, {}},
  };
}

TDatabaseSettings Plain() { return TDatabaseSettings{}; }

TDatabaseSettings Protected(const std::string& cipher, int mode) {
  return test::CompressedEncrypted(cipher, mode, "fizzo");
}

TBlobDescriptor BlobAt(const std::vector<uint8_t>& image, int64_t pos) {
  TBlobDescriptor blob;
  blob.DecodeFrom(&image[static_cast<size_t>(pos)]);
  return blob;
}

struct ItemsTable : ::testing::Test {
  TFakeHost host{Plain(), Tables()};
  TTinyTableIO items{&host, "items"};

  void SetUp() override { items.Open(); }

  // Appends {id, name, body}; returns the new record's DataPos.
  int32_t Append(int32_t id, const std::string& name = "", const std::string& body = "") {
    TRecordValues values(items, &host);
    values.SetInt(kId, id).SetText(kName, name).SetBlob(kBody, body);
    items.AppendRecord(values.Buffers(), false, nullptr);
    return items.GetRecordList(0).back().DataPos;
  }
  void UpdateBody(int pos, const std::string& body) {
    TRecordValues values(items, &host);
    items.ReadRecord(values.Buffers(), items.GetRecordList(0), pos);
    values.SetBlob(kBody, body);
    items.UpdateRecord(values.Buffers(), pos, false, nullptr);
  }
  TRecordValues Read(int pos) {
    TRecordValues values(items, &host);
    items.ReadRecord(values.Buffers(), items.GetRecordList(0), pos);
    return values;
  }
};

TEST_F(ItemsTable, LoadsDefinitionsAndCountsOpens) {
  EXPECT_EQ(items.TableNo(), 0);
  ASSERT_EQ(items.FieldDefs().size(), 3u);
  EXPECT_EQ(items.FieldDefs()[kName].Name, "name");
  EXPECT_EQ(items.FieldDefs()[kName].FieldSize, 10);
  EXPECT_EQ(items.RecordSize(), kItemSize);
  EXPECT_EQ(items.FieldOffsets(), (TIntegerAry{0, kNameOffset, kBodyOffset}));
  EXPECT_EQ(items.AutoIncField(), -1);
  EXPECT_EQ(IndexOfName(items.IndexDefs(), "BYID"), 0);
  EXPECT_EQ(IndexOfName(items.FieldDefs(), "Body"), kBody);
  EXPECT_EQ(IndexOfName(items.FieldDefs(), "nobody"), -1);
  EXPECT_EQ(items.PrimaryIndexNo(), 0);
  // A table that never held a record: nothing to list, no tabs.
  EXPECT_EQ(items.Header().RecordTabPos, 0);
  EXPECT_TRUE(items.GetRecordList(0).empty());
  EXPECT_TRUE(items.GetRecordList(1).empty());

  items.Open();
  items.Close();
  EXPECT_EQ(items.OpenCount(), 1);
  EXPECT_TRUE(items.Loaded());
  items.Close();
  items.Close();  // one too many: stays at 0
  EXPECT_EQ(items.OpenCount(), 0);
  EXPECT_FALSE(items.Loaded());
  EXPECT_TRUE(items.FieldDefs().empty());
}

TEST(TableIOTest, NameIsLookedUpIgnoringCase) {
  TFakeHost host(Plain(), Tables());
  TTinyTableIO counters(&host, "COUNTERS");
  counters.Close();  // without Open: nothing happens
  EXPECT_EQ(counters.OpenCount(), 0);
  counters.Open();
  EXPECT_EQ(counters.TableNo(), 1);
  EXPECT_EQ(counters.AutoIncField(), 0);
}

TEST(TableIOTest, LoadRefusals) {
  TFakeHost host(Plain(), Tables());
  TTinyTableIO missing(&host, "drinks");
  EXPECT_EQ(Throws([&] { missing.Open(); }), "Table 'drinks' not found");
  EXPECT_EQ(missing.OpenCount(), 0);
  EXPECT_FALSE(missing.Loaded());

  host.Disconnect();
  TTinyTableIO items(&host, "items");
  EXPECT_EQ(Throws([&] { items.Open(); }), "Cannot perform this operation on a closed database");

  // A field type without a stored width makes the table unusable.
  std::vector<uint8_t> bytes = test::BuildImage(
      test::PlainSettings(), {test::MakeTableHeader("odd", {{"a", ftInteger}, {"b", ftBCD}})});
  TFakeHost odd_host(std::make_unique<TMemoryStream>(bytes));
  TTinyTableIO odd(&odd_host, "odd");
  EXPECT_EQ(Throws([&] { odd.Open(); }), "General error");
  EXPECT_FALSE(odd.Loaded());
}

TEST_F(ItemsTable, FirstRecordFollowsItsNewRecordTabChunk) {
  const int64_t end = host.Image().Size();
  const int32_t data_pos = Append(7, "abc", "");
  const auto& image = host.Bytes();

  EXPECT_EQ(items.Header().RecordTabPos, end);
  EXPECT_EQ(data_pos, end + kRecordTabChunkSize);
  const TTableHeader header = HeaderInImage(image, 0);
  EXPECT_EQ(header.RecordTabPos, end);
  EXPECT_EQ(header.RecordCount, 1);
  EXPECT_EQ(Int32At(image, end), 0);           // no next chunk
  EXPECT_EQ(Int32At(image, end + kTabChunkItemsOffset), data_pos);  // item 0
  EXPECT_EQ(image[end + kTabChunkItemsOffset + kRecordTabItemDeletedOffset], 0);  // live
  EXPECT_EQ(items.GetRecordList(0).size(), 1u);
  EXPECT_EQ(items.GetRecordList(0)[0].DataPos, data_pos);

  // "abc" in a 10-character field: 3 characters and 8 NULs.
  const std::string name(reinterpret_cast<const char*>(&image[data_pos + kNameOffset]), 11);
  EXPECT_EQ(name, std::string("abc\0\0\0\0\0\0\0\0", 11));
  // The empty blob: size 0, capacity 64, 64 zero bytes right after the image.
  const TBlobDescriptor blob = BlobAt(image, data_pos + kBodyOffset);
  EXPECT_EQ(blob.BlobPos, data_pos + kItemSize);
  EXPECT_EQ(blob.BlobSize, 0);
  EXPECT_EQ(blob.BlobCapacity, 64);
  for (int b = 0; b < 64; ++b) EXPECT_EQ(image[blob.BlobPos + b], 0);
}

TEST_F(ItemsTable, StringsAreTruncatedToTheirFieldSize) {
  TRecordValues values(items, &host);
  values.SetInt(kId, 1).SetText(kName, "abcdefghijkl");  // fills all 11 bytes, no NUL
  items.AppendRecord(values.Buffers(), false, nullptr);
  const int32_t data_pos = items.GetRecordList(0)[0].DataPos;
  const std::string stored(reinterpret_cast<const char*>(&host.Bytes()[data_pos + kNameOffset]), 11);
  EXPECT_EQ(stored, std::string("abcdefghij\0", 11));
  EXPECT_EQ(Read(0).Text(kName), "abcdefghij");
}

TEST_F(ItemsTable, Record1024StartsASecondChunk) {
  for (int k = 0; k < 1024; ++k) Append(k);
  ASSERT_EQ(items.RecordTabChunks().size(), 1u);
  const int32_t first_chunk = items.RecordTabChunks()[0];

  const int64_t end = host.Image().Size();
  const int32_t pos_1024 = Append(1024);
  ASSERT_EQ(items.RecordTabChunks().size(), 2u);
  EXPECT_EQ(items.RecordTabChunks()[1], end);
  EXPECT_EQ(Int32At(host.Bytes(), first_chunk), end);  // linked from the first
  EXPECT_EQ(pos_1024, end + kRecordTabChunkSize);

  const int64_t end_1025 = host.Image().Size();
  EXPECT_EQ(Append(1025), end_1025);  // no new chunk
  EXPECT_EQ(items.RecordTabChunks().size(), 2u);
  EXPECT_EQ(Int32At(host.Bytes(), end + 4 + kRecordTabItemSize), end_1025);

  // The image stays readable from scratch: same lists after reopening.
  const TRecordList physical = items.GetRecordList(0);
  const TRecordList by_id = items.GetRecordList(1);
  host.Disconnect();
  host.Connect();
  TTinyTableIO again(&host, "items");
  again.Open();
  EXPECT_EQ(RecordNumbers(again.GetRecordList(0)), RecordNumbers(physical));
  EXPECT_EQ(RecordNumbers(again.GetRecordList(1)), RecordNumbers(by_id));
  EXPECT_EQ(again.GetRecordList(0)[1025].DataPos, end_1025);
}

TEST(TableIOTest, AutoIncrementNumbers) {
  TFakeHost host(Plain(), Tables());
  TTinyTableIO counters(&host, "counters");
  counters.Open();
  const int64_t header_pos = Int32At(host.Bytes(), kTableDirectoryPos + 8 + 4);

  struct Case {
    int32_t given, stored, auto_inc_after;
  };
  const Case cases[] = {{0, 1, 1}, {10, 10, 10}, {50, 50, 50}, {0, 51, 51}, {20, 20, 51}};
  for (const Case& c : cases) {
    TRecordValues values(counters, &host);
    values.SetInt(0, c.given).SetText(1, "x");
    counters.AppendRecord(values.Buffers(), false, nullptr);
    EXPECT_EQ(values.Int(0), c.stored) << "given " << c.given;
    EXPECT_EQ(counters.Header().AutoIncValue, c.auto_inc_after);
    EXPECT_EQ(Int32At(host.Bytes(), header_pos + kTableHeaderAutoIncOffset), c.auto_inc_after);
  }

  // An update with 0 keeps the stored number; a higher one raises the counter.
  auto update = [&](int pos, int32_t n) {
    TRecordValues values(counters, &host);
    counters.ReadRecord(values.Buffers(), counters.GetRecordList(0), pos);
    values.SetInt(0, n);
    counters.UpdateRecord(values.Buffers(), pos, false, nullptr);
    TRecordValues back(counters, &host);
    counters.ReadRecord(back.Buffers(), counters.GetRecordList(0), pos);
    return back.Int(0);
  };
  EXPECT_EQ(update(2, 0), 50);
  EXPECT_EQ(update(2, 70), 70);
  EXPECT_EQ(Int32At(host.Bytes(), header_pos + kTableHeaderAutoIncOffset), 70);
  EXPECT_EQ(update(0, 5), 5);
  EXPECT_EQ(counters.Header().AutoIncValue, 70);
}

TEST_F(ItemsTable, BlobsGrowByTheirCapacity) {
  const int32_t first = Append(1, "a", std::string(100, 'x'));
  Append(2, "b", std::string(64, 'y'));
  auto blob = [&] { return BlobAt(host.Bytes(), first + kBodyOffset); };
  const TBlobDescriptor original = blob();
  EXPECT_EQ(original.BlobCapacity, 128);
  EXPECT_EQ(BlobAt(host.Bytes(), items.GetRecordList(0)[1].DataPos + kBodyOffset).BlobCapacity, 128);

  UpdateBody(0, std::string(120, 'p'));  // fits: same block
  EXPECT_EQ(blob().BlobPos, original.BlobPos);
  EXPECT_EQ(blob().BlobSize, 120);
  EXPECT_EQ(blob().BlobCapacity, 128);

  const int64_t end = host.Image().Size();
  UpdateBody(0, std::string(128, 'q'));  // outgrows it, not last: moves to the end
  EXPECT_EQ(blob().BlobPos, end);
  EXPECT_EQ(blob().BlobCapacity, 192);
  EXPECT_EQ(host.Image().Size(), end + 192);

  UpdateBody(0, std::string(200, 'r'));  // now last: grows where it is
  EXPECT_EQ(blob().BlobPos, end);
  EXPECT_EQ(blob().BlobCapacity, 256);
  EXPECT_EQ(host.Image().Size(), end + 256);

  UpdateBody(0, "");  // shrinking keeps the block
  EXPECT_EQ(blob().BlobPos, end);
  EXPECT_EQ(blob().BlobSize, 0);
  EXPECT_EQ(blob().BlobCapacity, 256);

  EXPECT_EQ(Read(0).BlobText(kBody), "");
  EXPECT_EQ(Read(1).BlobText(kBody), std::string(64, 'y'));
  EXPECT_EQ(Read(0).Text(kName), "a");  // updates leave other fields alone
}

TEST_F(ItemsTable, DeleteOnlyFlagsTheRecord) {
  for (int k = 0; k < 3; ++k) Append(k, "n", "body");
  const std::vector<uint8_t> before = host.Bytes();
  const int32_t data_pos = items.GetRecordList(0)[1].DataPos;

  items.DeleteRecord(1, false);
  EXPECT_EQ(RecordNumbers(items.GetRecordList(0)), (std::vector<int32_t>{0, 2}));
  EXPECT_EQ(RecordNumbers(items.GetRecordList(1)), (std::vector<int32_t>{0, 2}));
  EXPECT_EQ(items.Header().RecordCount, 3);

  // Only the Deleted byte of record 1's tab item changed.
  const std::vector<uint8_t>& after = host.Bytes();
  ASSERT_EQ(after.size(), before.size());
  const int64_t flag = items.RecordTabChunks()[0] + 4 + 1 * kRecordTabItemSize + 4;
  for (size_t b = 0; b < after.size(); ++b)
    if (static_cast<int64_t>(b) != flag) {
      ASSERT_EQ(after[b], before[b]) << "byte " << b;
    }
  EXPECT_EQ(after[flag], 1);
  EXPECT_EQ(Int32At(after, items.RecordTabChunks()[0] + 4 + kRecordTabItemSize), data_pos);

  items.Close();
  items.Open();
  EXPECT_EQ(RecordNumbers(items.GetRecordList(0)), (std::vector<int32_t>{0, 2}));
  EXPECT_EQ(RecordNumbers(items.GetRecordList(1)), (std::vector<int32_t>{0, 2}));
  EXPECT_EQ(HeaderInImage(host.Bytes(), 0).RecordCount, 3);
}

TEST_F(ItemsTable, ReadRecordFillsActiveItemsAndLoadsBlobsOnFirstUse) {
  Append(4, "four", "hello");
  TRecordValues values(items, &host);
  values.SetText(kName, "untouched");
  values.Item(kName).Active = false;
  items.ReadRecord(values.Buffers(), items.GetRecordList(0), 0);
  EXPECT_EQ(values.Int(kId), 4);
  EXPECT_EQ(values.Text(kName), "untouched");
  EXPECT_FALSE(values.Blob(kBody).Loaded());
  EXPECT_EQ(values.BlobText(kBody), "hello");
  EXPECT_TRUE(values.Blob(kBody).Loaded());

  // A value written before the first read is never replaced by the load.
  TRecordValues written(items, &host);
  items.ReadRecord(written.Buffers(), items.GetRecordList(0), 0);
  written.Blob(kBody).Write("new", 3);
  EXPECT_EQ(written.BlobText(kBody), "new");

  // The field alone, decoded.
  TMemoryStream value;
  items.ReadFieldValue(&value, 0, kName);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(value.Memory())), "four");
  items.ReadFieldValue(&value, 0, kBody);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(value.Memory()), 5), "hello");

  EXPECT_EQ(Throws([&] { items.ReadRecord(values.Buffers(), items.GetRecordList(0), 1); }),
            "Record position 1 is out of range");
}

TEST_F(ItemsTable, PadStringBuffersClearsEverythingAfterTheText) {
  TRecordValues values(items, &host);
  std::vector<uint8_t>& raw = values.Raw(kName);
  const char dirty[] = "ab\0zzzzzzzz";
  std::memcpy(raw.data(), dirty, 11);
  items.PadStringBuffers(values.Buffers());
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(raw.data()), 11), std::string("ab", 2) + std::string(9, '\0'));
  std::memset(raw.data(), 'k', 11);  // no NUL at all: the last byte becomes one
  items.PadStringBuffers(values.Buffers());
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(raw.data()), 11), std::string(10, 'k') + '\0');
}

class ProtectedValues : public ::testing::TestWithParam<TDatabaseSettings> {};

TEST_P(ProtectedValues, RoundTripThroughTheTransforms) {
  TFakeHost host(GetParam(), Tables());
  TTinyTableIO items(&host, "items");
  items.Open();
  const std::string body(3000, 'z');
  for (int k = 0; k < 3; ++k) {
    TRecordValues values(items, &host);
    values.SetInt(kId, 10 - k).SetText(kName, "name" + std::to_string(k)).SetBlob(kBody, body + char('0' + k));
    items.AppendRecord(values.Buffers(), false, nullptr);
  }
  EXPECT_EQ(RecordNumbers(items.GetRecordList(1)), (std::vector<int32_t>{2, 1, 0}));

  const int32_t data_pos = items.GetRecordList(0)[0].DataPos;
  const TBlobDescriptor blob = BlobAt(host.Bytes(), data_pos + kBodyOffset);
  if (GetParam().Encrypted) {
    EXPECT_NE(std::memcmp(&host.Bytes()[data_pos + kNameOffset], "name0", 5), 0);
    EXPECT_LT(blob.BlobSize, 3001);  // compressed
  } else {
    EXPECT_EQ(blob.BlobSize, 3001);
  }

  host.Disconnect();
  host.Connect();
  TTinyTableIO again(&host, "items");
  again.Open();
  for (int k = 0; k < 3; ++k) {
    TRecordValues values(again, &host);
    again.ReadRecord(values.Buffers(), again.GetRecordList(0), k);
    EXPECT_EQ(values.Int(kId), 10 - k);
    EXPECT_EQ(values.Text(kName), "name" + std::to_string(k));
    EXPECT_EQ(values.BlobText(kBody), body + char('0' + k));
  }
}

INSTANTIATE_TEST_SUITE_P(Settings, ProtectedValues,
                         ::testing::Values(Plain(), Protected("Blowfish", 0), Protected("Twofish", 2),
                                           Protected("Gost", 4)));

// An image whose blob writes of one length come out damaged a number of
// times.
class TFlakyImage : public TMemoryStream {
 public:
  int64_t Write(const void* buffer, int64_t count) override {
    if (count != damaged_length) return TMemoryStream::Write(buffer, count);
    ++writes;
    std::vector<uint8_t> bytes(static_cast<const uint8_t*>(buffer),
                               static_cast<const uint8_t*>(buffer) + count);
    if (failures_left > 0) {
      --failures_left;
      bytes[0] ^= 0x5A;
    }
    return TMemoryStream::Write(bytes.data(), count);
  }
  int64_t damaged_length = -1;
  int failures_left = 0;
  int writes = 0;
};

TEST(TableIOTest, VerifiedBlobWritesRetryABoundedNumberOfTimes) {
  TDatabaseSettings settings;
  settings.VerifyWrites = true;
  auto image = std::make_unique<TFlakyImage>();
  TFlakyImage* flaky = image.get();
  CreateDatabase(*image, settings, Tables());
  TFakeHost host(std::move(image));
  TTinyTableIO items(&host, "items");
  items.Open();
  const std::string body(777, 'v');
  flaky->damaged_length = 777;

  flaky->failures_left = 2;  // two bad writes, then a good one
  TRecordValues values(items, &host);
  values.SetInt(kId, 1).SetBlob(kBody, body);
  items.AppendRecord(values.Buffers(), false, nullptr);
  EXPECT_EQ(flaky->writes, 3);
  TRecordValues back(items, &host);
  items.ReadRecord(back.Buffers(), items.GetRecordList(0), 0);
  EXPECT_EQ(back.BlobText(kBody), body);

  flaky->writes = 0;
  flaky->failures_left = 1000;  // never right
  TRecordValues doomed(items, &host);
  doomed.SetInt(kId, 2).SetBlob(kBody, body);
  try {
    items.AppendRecord(doomed.Buffers(), false, nullptr);
    FAIL() << "no error";
  } catch (const EWriteError& e) {
    EXPECT_STREQ(e.what(), "Blob write of field 'body' could not be verified");
  }
  EXPECT_EQ(flaky->writes, 5);
}

// Lock settings that give up at once.
struct TImpatient : TFileIODatabaseLink {
  int LockRetryCount() const override { return 1; }
  int LockWaitTime() const override { return 1; }
};

TEST(TableIOTest, FileLockIsHeldForEachOperationAndReleasedAfterIt) {
  const test::TTempDir dir("tableio-lock-");
  const std::string path = dir.Path("lock.tdb");
  TImpatient impatient;
  {
    TFakeHost host(path, Plain(), Tables(), &impatient);
    TTinyDBFileIO other(&impatient);
    other.Open(path, mtDisk, false);
    auto lock_is_free = [&] {
      try {
        other.Lock();
      } catch (const EDatabaseError&) {
        return false;
      }
      other.Unlock();
      return true;
    };

    TTinyTableIO items(&host, "items");
    items.Open();
    EXPECT_TRUE(lock_is_free());
    bool free_inside = true;
    const TOnAdjust probe = [&](int, int, int, const TRecordListEntry*) { free_inside &= lock_is_free(); };
    TRecordValues values(items, &host);
    values.SetInt(kId, 1).SetText(kName, "one");
    items.AppendRecord(values.Buffers(), true, probe);
    EXPECT_FALSE(free_inside);  // held while the record was linked
    EXPECT_TRUE(lock_is_free());

    EXPECT_THROW(items.AppendRecord(values.Buffers(), false, nullptr), EDatabaseError);  // taken key
    EXPECT_TRUE(lock_is_free());
    values.SetInt(kId, 2);
    items.UpdateRecord(values.Buffers(), 0, true, nullptr);
    items.DeleteRecord(0, true);
    EXPECT_TRUE(lock_is_free());

    TTinyTableIO missing(&host, "nothing");
    EXPECT_THROW(missing.Open(), EDatabaseError);
    EXPECT_TRUE(lock_is_free());

    // Another writer holding the lock stops an operation with the time-out.
    other.Lock();
    EXPECT_EQ(Throws([&] { items.DeleteRecord(0, false); }), "Record position 0 is out of range");
    values.SetInt(kId, 3);
    EXPECT_EQ(Throws([&] { items.AppendRecord(values.Buffers(), false, nullptr); }),
              "Wait for unlock time out");
    other.Unlock();
    EXPECT_TRUE(items.GetRecordList(0).empty());
  }
}

TEST(TableIOTest, AsTextOfEachKind) {
  struct Case {
    int type;
    std::vector<uint8_t> bytes;
    std::string text;
  };
  auto le = [](int64_t v, int n) {
    std::vector<uint8_t> b(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) b[static_cast<size_t>(i)] = static_cast<uint8_t>(v >> (8 * i));
    return b;
  };
  auto dbl = [](double v) {
    std::vector<uint8_t> b(8);
    std::memcpy(b.data(), &v, 8);
    return b;
  };
  const Case cases[] = {
      {ftString, {'g', 'i', 'n', 0, 'x'}, "gin"},
      {ftFixedChar, {'r', 'u', 'm'}, "rum"},
      {ftSmallint, le(-12, 2), "-12"},
      {ftWord, le(65535, 2), "65535"},
      {ftInteger, le(-2000000000, 4), "-2000000000"},
      {ftAutoInc, le(42, 4), "42"},
      {ftLargeint, le(9000000000LL, 8), "9000000000"},
      {ftBoolean, le(1, 2), "True"},
      {ftBoolean, le(256, 2), "True"},
      {ftBoolean, le(0, 2), "False"},
      {ftFloat, dbl(0.1), "0.1"},
      {ftCurrency, dbl(-2.5), "-2.5"},
      {ftDate, le(1, 4), "0001-01-01"},
      {ftDate, le(730120, 4), "2000-01-01"},
      {ftDate, le(0, 4), ""},
      {ftTime, le(13 * 3600000 + 5 * 60000 + 7000, 4), "13:05:07"},
      {ftTime, le(1500, 4), "00:00:01.500"},
      {ftDateTime, dbl(730120.0 * 86400000 + 3600000), "2000-01-01 01:00:00"},
      {ftBCD, le(1, 4), ""},
  };
  for (const Case& c : cases) {
    std::vector<uint8_t> bytes = c.bytes;
    TFieldBufferItem item(bytes.data(), c.type, static_cast<int>(bytes.size()));
    EXPECT_EQ(item.AsText(), c.text) << FieldTypeName(c.type);
  }
  TOptimBlobStream blob(nullptr);
  blob.Write("memo text", 9);
  TFieldBufferItem memo(&blob, ftMemo, 0);
  EXPECT_EQ(memo.AsText(), "memo text");
  EXPECT_EQ(memo.BlobStream(), &blob);
}

}  // namespace
}  // namespace tinydb
