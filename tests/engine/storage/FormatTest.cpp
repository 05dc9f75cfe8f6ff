// The on-disk structures keep their documented sizes and byte positions.
#include "storage/Format.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace tinydb {
namespace {

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
  EXPECT_EQ(0x04, bytes[33]);
  EXPECT_EQ(0x01, bytes[36]);
  EXPECT_EQ(7, DecodeInt32(&bytes[37]));
  EXPECT_EQ(9, DecodeInt32(&bytes[41]));
  EXPECT_EQ('i', bytes[49 + 43]);
  EXPECT_EQ(ftInteger, bytes[49 + 43 + 33]);
  EXPECT_EQ(1, DecodeInt32(&bytes[4177]));
  EXPECT_EQ(tiPrimary | tiUnique, bytes[4181 + 33]);
  EXPECT_EQ(1, DecodeInt32(&bytes[4181 + 34]));
  EXPECT_EQ(-1, DecodeInt32(&bytes[4181 + 38]));
  EXPECT_EQ(5, DecodeInt32(&bytes[4181 + 70]));

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
