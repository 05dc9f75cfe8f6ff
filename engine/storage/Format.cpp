#include "storage/Format.h"

#include <strings.h>

#include <cstring>

namespace tinydb {

namespace {

const char* const kFieldTypeNames[kFieldTypeCount] = {
    "ftUnknown", "ftString", "ftSmallint", "ftInteger", "ftWord", "ftBoolean",
    "ftFloat", "ftCurrency", "ftBCD", "ftDate", "ftTime", "ftDateTime",
    "ftBytes", "ftVarBytes", "ftAutoInc", "ftBlob", "ftMemo", "ftGraphic",
    "ftFmtMemo", "ftParadoxOle", "ftDBaseOle", "ftTypedBinary", "ftCursor",
    "ftFixedChar", "ftWideString", "ftLargeint", "ftADT", "ftArray",
    "ftReference", "ftDataSet", "ftOraBlob", "ftOraClob", "ftVariant",
    "ftInterface", "ftIDispatch", "ftGuid", "ftTimeStamp", "ftFMTBcd",
};

template <size_t N>
void PutText(uint8_t* dst, const TFixedText<N>& text) {
  std::memcpy(dst, text.data(), N);
}
template <size_t N>
void GetText(const uint8_t* src, TFixedText<N>& text) {
  std::memcpy(text.data(), src, N);
}
template <size_t N>
void PutBytes(uint8_t* dst, const std::array<uint8_t, N>& bytes) {
  std::memcpy(dst, bytes.data(), N);
}
template <size_t N>
void GetBytes(const uint8_t* src, std::array<uint8_t, N>& bytes) {
  std::memcpy(bytes.data(), src, N);
}

}  // namespace

const char* FieldTypeName(int code) {
  return code >= 0 && code < kFieldTypeCount ? kFieldTypeNames[code] : "";
}

int FieldTypeFromName(const std::string& name) {
  for (int i = 0; i < kFieldTypeCount; ++i)
    if (strcasecmp(name.c_str(), kFieldTypeNames[i]) == 0) return i;
  return -1;
}

bool IsBlobFieldType(int code) {
  return (code >= ftBlob && code <= ftTypedBinary) || code == ftOraBlob || code == ftOraClob;
}

int StoredFieldWidth(int code, int field_size) {
  switch (code) {
    case ftString:
    case ftFixedChar: return field_size + 1;
    case ftSmallint:
    case ftWord:
    case ftBoolean: return 2;
    case ftInteger:
    case ftDate:
    case ftTime:
    case ftAutoInc: return 4;
    case ftFloat:
    case ftCurrency:
    case ftDateTime:
    case ftLargeint: return 8;
    default: return IsBlobFieldType(code) ? kBlobDescriptorSize : 0;
  }
}

const char* IndexOptionName(TTDIndexOption option) {
  switch (option) {
    case tiPrimary: return "tiPrimary";
    case tiUnique: return "tiUnique";
    case tiDescending: return "tiDescending";
    case tiCaseInsensitive: return "tiCaseInsensitive";
  }
  return "";
}

uint8_t IndexOptionFromName(const std::string& name) {
  for (TTDIndexOption option : {tiPrimary, tiUnique, tiDescending, tiCaseInsensitive})
    if (strcasecmp(name.c_str(), IndexOptionName(option)) == 0) return option;
  return 0;
}

void TFileSignature::EncodeTo(uint8_t* dst) const {
  PutText(dst, Magic);
  PutText(dst + kSignatureVersionOffset, FormatVersion);
}

void TFileSignature::DecodeFrom(const uint8_t* src) {
  GetText(src, Magic);
  GetText(src + kSignatureVersionOffset, FormatVersion);
}

void TDataProcessSettings::EncodeTo(uint8_t* dst) const {
  dst[kSettingsCompressedOffset] = Compressed;
  dst[kSettingsUnused1Offset] = Unused1;
  PutText(dst + kSettingsCompressAlgoOffset, CompressAlgoName);
  dst[kSettingsEncryptedOffset] = Encrypted;
  dst[kSettingsEncryptModeOffset] = EncryptMode;
  PutText(dst + kSettingsEncryptAlgoOffset, EncryptAlgoName);
  dst[kSettingsVerifyWritesOffset] = VerifyWrites;
  PutBytes(dst + kSettingsUnused2Offset, Unused2);
  PutText(dst + kSettingsPasswordCheckOffset, PasswordCheck);
  PutBytes(dst + kSettingsUnused3Offset, Unused3);
}

void TDataProcessSettings::DecodeFrom(const uint8_t* src) {
  Compressed = src[kSettingsCompressedOffset];
  Unused1 = src[kSettingsUnused1Offset];
  GetText(src + kSettingsCompressAlgoOffset, CompressAlgoName);
  Encrypted = src[kSettingsEncryptedOffset];
  EncryptMode = src[kSettingsEncryptModeOffset];
  GetText(src + kSettingsEncryptAlgoOffset, EncryptAlgoName);
  VerifyWrites = src[kSettingsVerifyWritesOffset];
  GetBytes(src + kSettingsUnused2Offset, Unused2);
  GetText(src + kSettingsPasswordCheckOffset, PasswordCheck);
  GetBytes(src + kSettingsUnused3Offset, Unused3);
}

void TTableDirectory::EncodeTo(uint8_t* dst) const {
  EncodeInt32(dst, TableCount);
  EncodeInt32(dst + kTableDirectoryUnusedOffset, Unused);
  for (int i = 0; i < kMaxTableCount; ++i)
    EncodeInt32(dst + kTableDirectoryHeaderPosOffset + 4 * i, TableHeaderPos[i]);
}

void TTableDirectory::DecodeFrom(const uint8_t* src) {
  TableCount = DecodeInt32(src);
  Unused = DecodeInt32(src + kTableDirectoryUnusedOffset);
  for (int i = 0; i < kMaxTableCount; ++i)
    TableHeaderPos[i] = DecodeInt32(src + kTableDirectoryHeaderPosOffset + 4 * i);
}

void TFieldDefEntry::EncodeTo(uint8_t* dst) const {
  PutText(dst, FieldName);
  dst[kFieldDefTypeOffset] = FieldType;
  EncodeInt32(dst + kFieldDefSizeOffset, FieldSize);
  dst[kFieldDefRawOffset] = RawStorage;
  PutBytes(dst + kFieldDefUnusedOffset, Unused);
}

void TFieldDefEntry::DecodeFrom(const uint8_t* src) {
  GetText(src, FieldName);
  FieldType = src[kFieldDefTypeOffset];
  FieldSize = DecodeInt32(src + kFieldDefSizeOffset);
  RawStorage = src[kFieldDefRawOffset];
  GetBytes(src + kFieldDefUnusedOffset, Unused);
}

int TIndexDefEntry::KeyFieldCount() const {
  int n = 0;
  while (n < kMaxIndexFieldCount && FieldIndexes[n] != -1) ++n;
  return n;
}

void TIndexDefEntry::EncodeTo(uint8_t* dst) const {
  PutText(dst, IndexName);
  dst[kIndexDefOptionsOffset] = Options;
  for (int i = 0; i < kMaxIndexFieldCount; ++i)
    EncodeInt32(dst + kIndexDefFieldsOffset + 4 * i, FieldIndexes[i]);
  EncodeInt32(dst + kIndexDefTabPosOffset, IndexTabPos);
  EncodeInt32(dst + kIndexDefChainHeadOffset, ChainHead);
  PutBytes(dst + kIndexDefUnusedOffset, Unused);
}

void TIndexDefEntry::DecodeFrom(const uint8_t* src) {
  GetText(src, IndexName);
  Options = src[kIndexDefOptionsOffset];
  for (int i = 0; i < kMaxIndexFieldCount; ++i)
    FieldIndexes[i] = DecodeInt32(src + kIndexDefFieldsOffset + 4 * i);
  IndexTabPos = DecodeInt32(src + kIndexDefTabPosOffset);
  ChainHead = DecodeInt32(src + kIndexDefChainHeadOffset);
  GetBytes(src + kIndexDefUnusedOffset, Unused);
}

void TTableHeader::EncodeTo(uint8_t* dst) const {
  PutText(dst, TableName);
  EncodeInt32(dst + kTableHeaderRecordTabPosOffset, RecordTabPos);
  EncodeInt32(dst + kTableHeaderRecordCountOffset, RecordCount);
  EncodeInt32(dst + kTableHeaderAutoIncOffset, AutoIncValue);
  EncodeInt32(dst + kTableHeaderFieldCountOffset, FieldCount);
  for (int i = 0; i < kMaxFieldCount; ++i)
    FieldDefs[i].EncodeTo(dst + kTableHeaderFieldDefsOffset + i * kFieldDefSize);
  EncodeInt32(dst + kTableHeaderIndexCountOffset, IndexCount);
  for (int i = 0; i < kMaxIndexCount; ++i)
    IndexDefs[i].EncodeTo(dst + kTableHeaderIndexDefsOffset + i * kIndexDefSize);
  PutBytes(dst + kTableHeaderUnusedOffset, Unused);
}

void TTableHeader::DecodeFrom(const uint8_t* src) {
  GetText(src, TableName);
  RecordTabPos = DecodeInt32(src + kTableHeaderRecordTabPosOffset);
  RecordCount = DecodeInt32(src + kTableHeaderRecordCountOffset);
  AutoIncValue = DecodeInt32(src + kTableHeaderAutoIncOffset);
  FieldCount = DecodeInt32(src + kTableHeaderFieldCountOffset);
  for (int i = 0; i < kMaxFieldCount; ++i)
    FieldDefs[i].DecodeFrom(src + kTableHeaderFieldDefsOffset + i * kFieldDefSize);
  IndexCount = DecodeInt32(src + kTableHeaderIndexCountOffset);
  for (int i = 0; i < kMaxIndexCount; ++i)
    IndexDefs[i].DecodeFrom(src + kTableHeaderIndexDefsOffset + i * kIndexDefSize);
  GetBytes(src + kTableHeaderUnusedOffset, Unused);
}

void TRecordTabItem::EncodeTo(uint8_t* dst) const {
  EncodeInt32(dst, DataPos);
  dst[kRecordTabItemDeletedOffset] = Deleted;
}

void TRecordTabItem::DecodeFrom(const uint8_t* src) {
  DataPos = DecodeInt32(src);
  Deleted = src[kRecordTabItemDeletedOffset];
}

void TIndexTabItem::EncodeTo(uint8_t* dst) const {
  EncodeInt32(dst, RecordNo);
  EncodeInt32(dst + kIndexTabItemNextOffset, Next);
}

void TIndexTabItem::DecodeFrom(const uint8_t* src) {
  RecordNo = DecodeInt32(src);
  Next = DecodeInt32(src + kIndexTabItemNextOffset);
}

void TBlobDescriptor::EncodeTo(uint8_t* dst) const {
  EncodeInt32(dst, BlobPos);
  EncodeInt32(dst + kBlobDescriptorSizeOffset, BlobSize);
  EncodeInt32(dst + kBlobDescriptorCapacityOffset, BlobCapacity);
  PutBytes(dst + kBlobDescriptorReservedOffset, Reserved);
}

void TBlobDescriptor::DecodeFrom(const uint8_t* src) {
  BlobPos = DecodeInt32(src);
  BlobSize = DecodeInt32(src + kBlobDescriptorSizeOffset);
  BlobCapacity = DecodeInt32(src + kBlobDescriptorCapacityOffset);
  GetBytes(src + kBlobDescriptorReservedOffset, Reserved);
}

}  // namespace tinydb
