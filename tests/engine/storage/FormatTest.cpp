// The on-disk structures keep their documented sizes and byte positions.
#include "storage/Format.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace tinydb {
namespace {

// The one place the file format's byte positions are written out as
// numbers; every other test and the code use the names.
TEST(FormatTest, NamedOffsetsAreThoseOfTheFileFormat) {
  struct TCase {
    const char* Name;
    int Value, Expected;
  };
  const TCase cases[] = {
      {"kSignatureVersionOffset", kSignatureVersionOffset, 7},
      {"kSettingsPos", kSettingsPos, 2317},
      {"kSettingsEncryptedOffset", kSettingsEncryptedOffset, 35},
      {"kSettingsEncryptModeOffset", kSettingsEncryptModeOffset, 36},
      {"kSettingsEncryptAlgoOffset", kSettingsEncryptAlgoOffset, 37},
      {"kSettingsVerifyWritesOffset", kSettingsVerifyWritesOffset, 70},
      {"kSettingsUnused2Offset", kSettingsUnused2Offset, 71},
      {"kSettingsPasswordCheckOffset", kSettingsPasswordCheckOffset, 327},
      {"kSettingsUnused3Offset", kSettingsUnused3Offset, 456},
      {"kTableDirectoryPos", kTableDirectoryPos, 2789},
      {"kTableDirectoryHeaderPosOffset", kTableDirectoryHeaderPosOffset, 8},
      {"kFixedPartSize", kFixedPartSize, 3821},
      {"kFieldDefSizeOffset", kFieldDefSizeOffset, 34},
      {"kFieldDefRawOffset", kFieldDefRawOffset, 38},
      {"kIndexDefFieldsOffset", kIndexDefFieldsOffset, 34},
      {"kIndexDefTabPosOffset", kIndexDefTabPosOffset, 66},
      {"kIndexDefChainHeadOffset", kIndexDefChainHeadOffset, 70},
      {"kTableHeaderSize", kTableHeaderSize, 4821},
      {"kTableHeaderCountersSize", kTableHeaderCountersSize, 12},
      {"kTabChunkItemsOffset", kTabChunkItemsOffset, 4},
      {"kRecordTabItemDeletedOffset", kRecordTabItemDeletedOffset, 4},
      {"kIndexTabItemNextOffset", kIndexTabItemNextOffset, 4},
      {"kBlobDescriptorCapacityOffset", kBlobDescriptorCapacityOffset, 8},
  };
  for (const TCase& c : cases) EXPECT_EQ(c.Value, c.Expected) << c.Name;
}

TEST(FormatTest, TableHeaderFieldsLandAtTheirOffsets) {
  TTableHeader header;
  StringToFixedText("drinks", header.TableName);
  header.RecordTabPos = 0x01020304;
  header.RecordCount = 7;
  header.AutoIncValue = 9;
  header.FieldCount = 2;
  StringToFixedText("id", header.FieldDefs[1].FieldName);
  header.FieldDefs[1].FieldType = ftInteger;
  header.IndexCount = 1;
  header.IndexDefs[0].Options = tiPrimary | tiUnique;
  header.IndexDefs[0].FieldIndexes[0] = 1;
  header.IndexDefs[0].ChainHead = 5;

  std::vector<uint8_t> bytes(kTableHeaderSize, 0xAA);
  header.EncodeTo(bytes.data());
  EXPECT_EQ(0, std::memcmp(bytes.data(), "drinks\0", 7));
  const size_t field1 = kTableHeaderFieldDefsOffset + kFieldDefSize;
  const size_t index0 = kTableHeaderIndexDefsOffset;
  EXPECT_EQ(0x04, bytes[kTableHeaderRecordTabPosOffset]);
  EXPECT_EQ(0x01, bytes[kTableHeaderRecordTabPosOffset + 3]);
  EXPECT_EQ(7, DecodeInt32(&bytes[kTableHeaderRecordCountOffset]));
  EXPECT_EQ(9, DecodeInt32(&bytes[kTableHeaderAutoIncOffset]));
  EXPECT_EQ('i', bytes[field1]);
  EXPECT_EQ(ftInteger, bytes[field1 + kFieldDefTypeOffset]);
  EXPECT_EQ(1, DecodeInt32(&bytes[kTableHeaderIndexCountOffset]));
  EXPECT_EQ(tiPrimary | tiUnique, bytes[index0 + kIndexDefOptionsOffset]);
  EXPECT_EQ(1, DecodeInt32(&bytes[index0 + kIndexDefFieldsOffset]));
  EXPECT_EQ(-1, DecodeInt32(&bytes[index0 + kIndexDefFieldsOffset + 4]));
  EXPECT_EQ(5, DecodeInt32(&bytes[index0 + kIndexDefChainHeadOffset]));

  TTableHeader back;
  back.DecodeFrom(bytes.data());
  EXPECT_EQ("drinks", FixedTextToString(back.TableName));
  EXPECT_EQ(1, back.IndexDefs[0].KeyFieldCount());
  std::vector<uint8_t> again(kTableHeaderSize);
  back.EncodeTo(again.data());
  EXPECT_EQ(bytes, again);
}

TEST(FormatTest, StoredWidthsFollowTheFieldTypes) {
  EXPECT_EQ(11, StoredFieldWidth(ftString, 10));
  EXPECT_EQ(2, StoredFieldWidth(ftBoolean, 0));
  EXPECT_EQ(8, StoredFieldWidth(ftDateTime, 0));
  EXPECT_EQ(8, StoredFieldWidth(ftLargeint, 0));
  EXPECT_EQ(20, StoredFieldWidth(ftMemo, 0));
  EXPECT_EQ(20, StoredFieldWidth(ftOraClob, 0));
  for (int code : {0, 8, 12, 13, 22, 24, 26, 27, 28, 29, 32, 33, 34, 35, 36, 37})
    EXPECT_EQ(0, StoredFieldWidth(code, 10)) << code;
  EXPECT_EQ(ftMemo, FieldTypeFromName("FTMEMO"));
  EXPECT_EQ(-1, FieldTypeFromName("ftNothing"));
}

TEST(FormatTest, BlobCapacityRoundsDownAndAddsAGranule) {
  EXPECT_EQ(64, BlobCapacityFor(0));
  EXPECT_EQ(64, BlobCapacityFor(63));
  EXPECT_EQ(128, BlobCapacityFor(64));
}

}  // namespace
}  // namespace tinydb
