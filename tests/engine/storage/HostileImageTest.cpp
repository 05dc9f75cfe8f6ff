// Damaged images: every count and position taken from an image is checked
// before it is used, and the damage is reported by name instead of
// crashing, hanging or allocating without bound.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/Errors.h"
#include "processing/DataProcess.h"
#include "storage/MemoryMedium.h"
#include "storage/TinyDBFileIO.h"
#include "engine/storage/TestImage.h"

namespace tinydb {
namespace {

using test::TBytes;

// Table "t": id (int32), name (ftString 10), notes (blob); index "id".
// 1025 records, so the record and index tabs have two chunks each; record
// 0 carries a 5-byte blob.
const TBytes& GoodImage() {
  static const TBytes image = [] {
    TBytes bytes = test::BuildImage(
        test::PlainSettings(),
        {test::MakeTableHeader("t", {{"id", ftInteger}, {"name", ftString, 10}, {"notes", ftMemo}},
                               {{"id", {0}, tiPrimary}})});
    TBytes record(4 + 11 + 20, 0);
    for (int k = 0; k < 1025; ++k) {
      EncodeInt32(record.data(), k);
      if (k == 0)
        test::AppendRecord(bytes, 0, record, {{15, TBytes{'h', 'e', 'l', 'l', 'o'}}});
      else
        test::AppendRecord(bytes, 0, record);
    }
    return bytes;
  }();
  return image;
}

enum class Step { kOpen, kTableNames, kRecordTab, kIndexTab, kBlobValue, kFixedValue };

// Runs |step| (and everything before it) on the memory image |name|.
void RunUpTo(const std::string& name, Step step) {
  TTinyDBFileIO io;
  io.Open(name, mtMemory, false);
  if (step == Step::kOpen) return;
  std::vector<std::string> tables;
  io.GetTableNames(tables);
  if (step == Step::kTableNames) return;
  TTableHeader header;
  io.ReadTableHeader(0, header);
  TRecordTabItems items;
  TIntegerAry chunks;
  TIndexTabItems links;
  TMemoryStream value;
  const int64_t item0 = test::RecordItemPos(GoodImage(), 0, 0);
  switch (step) {
    case Step::kRecordTab: io.ReadRecordTab(header, items, chunks); break;
    case Step::kIndexTab: io.ReadIndexTab(header, 0, chunks, links); break;
    case Step::kBlobValue: io.ReadFieldValue(&value, item0, false, false, true, 20, 15); break;
    case Step::kFixedValue: io.ReadFieldValue(&value, item0, false, false, false, 11, 4); break;
    default: break;
  }
}

TEST(HostileImageTest, DamageIsReportedNotFollowed) {
  const TBytes& good = GoodImage();
  const int32_t header = test::HeaderPos(good, 0);
  const int32_t record_tab = test::ReadHeader(good, 0).RecordTabPos;
  const int32_t index_tab = test::ReadHeader(good, 0).IndexDefs[0].IndexTabPos;
  const int32_t item0 = test::RecordItemPos(good, 0, 0);
  const int32_t data0 = test::ReadInt32At(good, item0);
  const int32_t end = static_cast<int32_t>(good.size());
  const int32_t blob0 = data0 + 15;  // after id and name[11]
  const int table_pos0 = kTableDirectoryPos + kTableDirectoryHeaderPosOffset;
  const int index0 = header + kTableHeaderIndexDefsOffset;
  const int field1 = header + kTableHeaderFieldDefsOffset + kFieldDefSize;

  auto set32 = [](int64_t pos, int32_t v) {
    return [=](TBytes& image) { test::WriteInt32At(image, pos, v); };
  };
  struct Case {
    const char* what;
    std::function<void(TBytes&)> damage;
    Step step;
    std::string expect;  // the text after "Database '<name>' is damaged: "
  };
  const std::vector<Case> cases = {
      {"intact", [](TBytes&) {}, Step::kFixedValue, ""},
      {"intact blob", [](TBytes&) {}, Step::kBlobValue, ""},
      {"cut in the fixed part", [](TBytes& i) { i.resize(3000); }, Step::kOpen,
       "the image is shorter than its fixed part"},
      {"table count too high", set32(kTableDirectoryPos, 257), Step::kOpen,
       "table count 257 is out of range"},
      {"table count negative", set32(kTableDirectoryPos, -1), Step::kOpen,
       "table count -1 is out of range"},
      {"header past the end", set32(table_pos0, end - 100), Step::kTableNames,
       "table header of 4821 bytes at " + std::to_string(end - 100) + " lies outside the image"},
      {"header in the fixed part", set32(table_pos0, 100), Step::kTableNames,
       "table header 0 lies inside the fixed part"},
      {"field count too high", set32(header + kTableHeaderFieldCountOffset, 97),
       Step::kTableNames, "table 't': field count 97 is out of range"},
      {"field count negative", set32(header + kTableHeaderFieldCountOffset, -1),
       Step::kTableNames, "table 't': field count -1 is out of range"},
      {"index count too high", set32(header + kTableHeaderIndexCountOffset, 9),
       Step::kTableNames, "table 't': index count 9 is out of range"},
      {"record count negative", set32(header + kTableHeaderRecordCountOffset, -1),
       Step::kTableNames, "table 't': record count -1 is out of range"},
      {"record count beyond the image", set32(header + kTableHeaderRecordCountOffset, INT32_MAX),
       Step::kTableNames, "table 't': record count 2147483647 is out of range"},
      {"string size negative", set32(field1 + kFieldDefSizeOffset, -5),
       Step::kTableNames, "table 't': field 1 has size -5"},
      {"record larger than the image",
       set32(field1 + kFieldDefSizeOffset, INT32_MAX - 1), Step::kTableNames,
       "table 't': record size 2147483671 is out of range"},
      {"index on a missing field", set32(index0 + kIndexDefFieldsOffset, 3), Step::kTableNames,
       "table 't': index 0 names field 3, which does not exist"},
      {"sort chain head missing", set32(index0 + kIndexDefChainHeadOffset, 1025), Step::kTableNames,
       "table 't': index 0 starts at record 1025, which does not exist"},
      {"record tab past the end", set32(header + kTableHeaderRecordTabPosOffset, end - 8),
       Step::kRecordTab,
       "record tab chunk of 5124 bytes at " + std::to_string(end - 8) + " lies outside the image"},
      {"record tab chain loops", set32(record_tab, record_tab), Step::kRecordTab,
       "record tab chain returns to the chunk at " + std::to_string(record_tab)},
      {"record tab chain ends early", set32(header + kTableHeaderRecordCountOffset, 2049),
       Step::kRecordTab, "record tab chunk 2 at 0 lies inside the fixed part"},
      {"record tab chain runs off the end", set32(record_tab, end - 4), Step::kRecordTab,
       "record tab chunk of 9 bytes at " + std::to_string(end - 4) + " lies outside the image"},
      {"index tab before the start", set32(index0 + kIndexDefTabPosOffset, -8), Step::kIndexTab,
       "index tab chunk 0 at -8 lies inside the fixed part"},
      {"index tab chain loops", set32(index_tab, index_tab), Step::kIndexTab,
       "index tab chain returns to the chunk at " + std::to_string(index_tab)},
      {"index link to a missing record", set32(index_tab + kTabChunkItemsOffset + 3 * kIndexTabItemSize + kIndexTabItemNextOffset, 5000), Step::kIndexTab,
       "index 0 links record 3 to record 5000, which does not exist"},
      {"record image past the end", set32(item0, end - 5), Step::kFixedValue,
       "value of 11 bytes at " + std::to_string(end - 1) + " lies outside the image"},
      {"record image before the start", set32(item0, -100), Step::kFixedValue,
       "value of 11 bytes at -96 lies outside the image"},
      {"blob size beyond the image", set32(blob0 + kBlobDescriptorSizeOffset, INT32_MAX), Step::kBlobValue,
       "blob of 2147483647 bytes at " + std::to_string(blob0 + kBlobDescriptorSize) + " lies outside the image"},
      {"blob size negative", set32(blob0 + kBlobDescriptorSizeOffset, -1), Step::kBlobValue,
       "blob of -1 bytes at " + std::to_string(blob0 + kBlobDescriptorSize) + " lies outside the image"},
      {"blob before the start", set32(blob0, -100), Step::kBlobValue,
       "blob of 5 bytes at -100 lies outside the image"},
      {"descriptor past the end", set32(item0, end - 30), Step::kBlobValue,
       "read of 20 bytes at " + std::to_string(end - 15) + " lies outside the image"},
      {"unknown cipher mode",
       [](TBytes& i) {
         i[kSettingsPos + kSettingsEncryptedOffset] = 1;
         i[kSettingsPos + kSettingsEncryptModeOffset] = 9;
       },
       Step::kOpen, "cipher mode 9 is unknown"},
  };

  RegisterStandardModules();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TBytes image = good;
    c.damage(image);
    TMemoryStream stream(image);
    const std::string name = MemoryStreamToDatabaseName(&stream);
    try {
      RunUpTo(name, c.step);
      EXPECT_EQ("", c.expect) << "no error";
    } catch (const EDatabaseError& e) {
      EXPECT_EQ("Database '" + name + "' is damaged: " + c.expect, e.what());
    }
    UnregisterMemoryStream(&stream);
  }
}

TEST(HostileImageTest, ShortImagesAreNotDatabases) {
  for (size_t size : {0, 6, 11}) {
    TMemoryStream stream(TBytes(GoodImage().begin(), GoodImage().begin() + size));
    const std::string name = MemoryStreamToDatabaseName(&stream);
    TTinyDBFileIO io;
    try {
      io.Open(name, mtMemory, false);
      ADD_FAILURE() << size;
    } catch (const EDatabaseError& e) {
      EXPECT_EQ("Database file '" + name + "' is a invalid TinyDB", std::string(e.what()));
    }
    UnregisterMemoryStream(&stream);
  }
}

TEST(HostileImageTest, WritesStayOutOfTheFixedPartAndLeaveNoGaps) {
  TMemoryStream stream(GoodImage());
  const std::string name = MemoryStreamToDatabaseName(&stream);
  TTinyDBFileIO io;
  io.Open(name, mtMemory, false);
  const uint8_t bytes[5] = {1, 2, 3, 4, 5};
  const int64_t end = io.ImageSize();
  EXPECT_THROW(io.WriteBuffer(kSettingsPos, bytes, 5), EDatabaseError);
  EXPECT_THROW(io.WriteBuffer(end + 1, bytes, 5), EDatabaseError);
  EXPECT_THROW(io.WriteBuffer(end, bytes, -5), EDatabaseError);
  EXPECT_THROW(io.MarkDeleted(kTableDirectoryPos + kTableDirectoryHeaderPosOffset), EDatabaseError);
  EXPECT_THROW(io.MarkDeleted(end - 2), EDatabaseError);
  EXPECT_EQ(GoodImage(), stream.Bytes());

  io.WriteBuffer(end, bytes, 5);  // appending grows the image
  EXPECT_EQ(end + 5, io.ImageSize());
  UnregisterMemoryStream(&stream);
}

}  // namespace
}  // namespace tinydb
