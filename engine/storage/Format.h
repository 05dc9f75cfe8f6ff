// The on-disk structures of a database image. Every integer is
// little-endian; every structure is encoded and decoded one field at a time,
// never through the compiler's struct layout. Text fields are fixed arrays
// of single-byte characters ending at their first NUL (or at the array's
// end when it holds none).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "processing/ByteOrder.h"

namespace tinydb {

// ---- Sizes and fixed positions ----

constexpr int kNameSize = 33;  // 32 characters + NUL
constexpr int kMaxNameLength = kNameSize - 1;
constexpr int kMaxTableCount = 256;
constexpr int kMaxFieldCount = 96;
constexpr int kMaxIndexCount = 8;
constexpr int kMaxIndexFieldCount = 8;

// Offsets named k<Structure><Member>Offset count from the start of their
// structure.

constexpr int kFileSignatureSize = 12;     // char[7] magic + char[5] version
constexpr int kFileSignaturePos = 0;
constexpr int kSignatureVersionOffset = 7;  // after char[7] magic
constexpr int kReservedAreaSize = 2305;    // offsets 12..2316, not read
constexpr int kSettingsPos = 2317;
constexpr int kSettingsSize = 472;
constexpr int kTableDirectoryPos = 2789;
constexpr int kTableDirectorySize = 1032;  // int32 count + int32 unused + int32[256]
constexpr int kFixedPartSize = kTableDirectoryPos + kTableDirectorySize;  // 3821

// The settings block: 1-byte compressed + 1 unused + name[33] compression
// + 1-byte encrypted + 1-byte mode + name[33] cipher + 1-byte verify
// writes + 256 unused + char[129] password check + 16 unused.
constexpr int kSettingsCompressedOffset = 0;
constexpr int kSettingsUnused1Offset = 1;
constexpr int kSettingsCompressAlgoOffset = 2;
constexpr int kSettingsEncryptedOffset = kSettingsCompressAlgoOffset + kNameSize;  // 35
constexpr int kSettingsEncryptModeOffset = kSettingsEncryptedOffset + 1;          // 36
constexpr int kSettingsEncryptAlgoOffset = kSettingsEncryptModeOffset + 1;        // 37
constexpr int kSettingsVerifyWritesOffset = kSettingsEncryptAlgoOffset + kNameSize;  // 70
constexpr int kSettingsUnused2Offset = kSettingsVerifyWritesOffset + 1;           // 71
constexpr int kSettingsPasswordCheckOffset = kSettingsUnused2Offset + 256;        // 327
constexpr int kPasswordCheckSize = 129;
constexpr int kSettingsUnused3Offset = kSettingsPasswordCheckOffset + kPasswordCheckSize;  // 456

// The table directory: int32 table count + int32 unused + int32[256]
// header positions.
constexpr int kTableDirectoryUnusedOffset = 4;
constexpr int kTableDirectoryHeaderPosOffset = 8;

// A field definition: name[33] + 1-byte type + int32 size + 1-byte raw
// storage + 4 unused.
constexpr int kFieldDefSize = 43;
constexpr int kFieldDefTypeOffset = kNameSize;                // 33
constexpr int kFieldDefSizeOffset = kFieldDefTypeOffset + 1;  // 34
constexpr int kFieldDefRawOffset = kFieldDefSizeOffset + 4;   // 38
constexpr int kFieldDefUnusedOffset = kFieldDefRawOffset + 1;  // 39

// An index definition: name[33] + 1-byte options + int32[8] key field
// numbers + int32 index tab position + int32 chain head + 4 unused.
constexpr int kIndexDefSize = 78;
constexpr int kIndexDefOptionsOffset = kNameSize;                              // 33
constexpr int kIndexDefFieldsOffset = kIndexDefOptionsOffset + 1;              // 34
constexpr int kIndexDefTabPosOffset = kIndexDefFieldsOffset + 4 * kMaxIndexFieldCount;  // 66
constexpr int kIndexDefChainHeadOffset = kIndexDefTabPosOffset + 4;            // 70
constexpr int kIndexDefUnusedOffset = kIndexDefChainHeadOffset + 4;            // 74

constexpr int kTableHeaderSize = 4821;
constexpr int kTableHeaderRecordTabPosOffset = 33;
constexpr int kTableHeaderRecordCountOffset = 37;
constexpr int kTableHeaderAutoIncOffset = 41;
constexpr int kTableHeaderFieldCountOffset = 45;
constexpr int kTableHeaderFieldDefsOffset = 49;
constexpr int kTableHeaderIndexCountOffset = 4177;
constexpr int kTableHeaderIndexDefsOffset = 4181;
constexpr int kTableHeaderUnusedOffset = 4805;  // 16 bytes, not read
// The header's counters, written together as records are appended: int32
// record tab position + int32 record count + int32 auto-increment value.
constexpr int kTableHeaderCountersSize = kTableHeaderFieldCountOffset - kTableHeaderRecordTabPosOffset;  // 12
constexpr int kTableHeaderCountersWithoutAutoIncSize = kTableHeaderAutoIncOffset - kTableHeaderRecordTabPosOffset;  // 8

// A tab chunk: int32 position of the next chunk (the link) + 1024 items.
constexpr int kTabChunkItems = 1024;
constexpr int kTabChunkLinkSize = 4;
constexpr int kTabChunkItemsOffset = kTabChunkLinkSize;
constexpr int kRecordTabItemSize = 5;  // int32 DataPos + uint8 Deleted
constexpr int kRecordTabItemDeletedOffset = 4;
constexpr int kRecordTabChunkSize = kTabChunkItemsOffset + kTabChunkItems * kRecordTabItemSize;  // 5124
constexpr int kIndexTabItemSize = 8;   // int32 RecordNo + int32 Next
constexpr int kIndexTabItemNextOffset = 4;
constexpr int kIndexTabChunkSize = kTabChunkItemsOffset + kTabChunkItems * kIndexTabItemSize;    // 8196

// A blob descriptor: int32 pos + int32 size + int32 capacity + 8 reserved.
constexpr int kBlobDescriptorSize = 20;
constexpr int kBlobDescriptorSizeOffset = 4;
constexpr int kBlobDescriptorCapacityOffset = 8;
constexpr int kBlobDescriptorReservedOffset = 12;
constexpr int kBlobBlockGranule = 64;

constexpr char kMagic[] = "TinyDB";
constexpr char kCurrentVersion[] = "2.0";

static_assert(kSettingsPos == kFileSignatureSize + kReservedAreaSize);
static_assert(kSettingsUnused3Offset + 16 == kSettingsSize);
static_assert(kFieldDefUnusedOffset + 4 == kFieldDefSize);
static_assert(kIndexDefUnusedOffset + 4 == kIndexDefSize);
static_assert(kBlobDescriptorReservedOffset + 8 == kBlobDescriptorSize);
static_assert(kTableHeaderCountersSize == 12 && kTableHeaderCountersWithoutAutoIncSize == 8);
static_assert(kTableDirectorySize == 4 + 4 + 4 * kMaxTableCount);
static_assert(kTableHeaderFieldDefsOffset + kMaxFieldCount * kFieldDefSize ==
              kTableHeaderIndexCountOffset);
static_assert(kTableHeaderIndexDefsOffset + kMaxIndexCount * kIndexDefSize ==
              kTableHeaderUnusedOffset);
static_assert(kTableHeaderUnusedOffset + 16 == kTableHeaderSize);
static_assert(kRecordTabChunkSize == 5124 && kIndexTabChunkSize == 8196);

// ---- Field types (the stored codes are the enumeration's ordinals) ----

enum TFieldType : uint8_t {
  ftUnknown = 0, ftString, ftSmallint, ftInteger, ftWord, ftBoolean, ftFloat,
  ftCurrency, ftBCD, ftDate, ftTime, ftDateTime, ftBytes, ftVarBytes, ftAutoInc,
  ftBlob, ftMemo, ftGraphic, ftFmtMemo, ftParadoxOle, ftDBaseOle, ftTypedBinary,
  ftCursor, ftFixedChar, ftWideString, ftLargeint, ftADT, ftArray, ftReference,
  ftDataSet, ftOraBlob, ftOraClob, ftVariant, ftInterface, ftIDispatch, ftGuid,
  ftTimeStamp, ftFMTBcd,
};
constexpr int kFieldTypeCount = ftFMTBcd + 1;

// The enumeration member's name ("ftString"); "" for a code out of range.
const char* FieldTypeName(int code);
// The code of a member name (compared ignoring case); -1 when unknown.
int FieldTypeFromName(const std::string& name);
// True for the blob kinds ftBlob..ftTypedBinary, ftOraBlob, ftOraClob.
bool IsBlobFieldType(int code);
// Bytes a value of this type takes in a record image; 0 when the type has
// no stored width (such a table is unusable).
int StoredFieldWidth(int code, int field_size);

// ---- Index options ----

enum TTDIndexOption : uint8_t {
  tiPrimary = 1, tiUnique = 2, tiDescending = 4, tiCaseInsensitive = 8,
};
using TTDIndexOptions = uint8_t;
const char* IndexOptionName(TTDIndexOption option);
// The option bit of a name ("tiPrimary", ignoring case); 0 when unknown.
uint8_t IndexOptionFromName(const std::string& name);

// ---- Structures ----

// A fixed text array as stored: exactly N bytes.
template <size_t N>
using TFixedText = std::array<char, N>;

// The characters before the first NUL (or all N).
template <size_t N>
std::string FixedTextToString(const TFixedText<N>& text) {
  size_t n = 0;
  while (n < N && text[n] != '\0') ++n;
  return std::string(text.data(), n);
}
// Stores |s| NUL-padded; at most N - 1 characters are kept so a NUL follows.
template <size_t N>
void StringToFixedText(const std::string& s, TFixedText<N>& text) {
  text.fill('\0');
  size_t n = s.size() < N - 1 ? s.size() : N - 1;
  for (size_t i = 0; i < n; ++i) text[i] = s[i];
}

struct TFileSignature {
  TFixedText<7> Magic{};
  TFixedText<5> FormatVersion{};

  void EncodeTo(uint8_t* dst) const;  // kFileSignatureSize bytes
  void DecodeFrom(const uint8_t* src);
};

struct TDataProcessSettings {
  uint8_t Compressed = 0;
  uint8_t Unused1 = 0;
  TFixedText<kNameSize> CompressAlgoName{};
  uint8_t Encrypted = 0;
  uint8_t EncryptMode = 0;
  TFixedText<kNameSize> EncryptAlgoName{};
  uint8_t VerifyWrites = 0;
  std::array<uint8_t, 256> Unused2{};
  TFixedText<kPasswordCheckSize> PasswordCheck{};
  std::array<uint8_t, 16> Unused3{};

  void EncodeTo(uint8_t* dst) const;  // kSettingsSize bytes
  void DecodeFrom(const uint8_t* src);
};

struct TTableDirectory {
  int32_t TableCount = 0;
  int32_t Unused = 0;
  std::array<int32_t, kMaxTableCount> TableHeaderPos{};

  void EncodeTo(uint8_t* dst) const;  // kTableDirectorySize bytes
  void DecodeFrom(const uint8_t* src);
};

struct TFieldDefEntry {
  TFixedText<kNameSize> FieldName{};
  uint8_t FieldType = 0;
  int32_t FieldSize = 0;
  uint8_t RawStorage = 0;
  std::array<uint8_t, 4> Unused{};

  void EncodeTo(uint8_t* dst) const;  // kFieldDefSize bytes
  void DecodeFrom(const uint8_t* src);
};

struct TIndexDefEntry {
  TFixedText<kNameSize> IndexName{};
  uint8_t Options = 0;
  std::array<int32_t, kMaxIndexFieldCount> FieldIndexes{};
  int32_t IndexTabPos = 0;
  int32_t ChainHead = 0;
  std::array<uint8_t, 4> Unused{};

  TIndexDefEntry() { FieldIndexes.fill(-1); }
  // Field numbers up to the first -1 (at most 8).
  int KeyFieldCount() const;
  void EncodeTo(uint8_t* dst) const;  // kIndexDefSize bytes
  void DecodeFrom(const uint8_t* src);
};

struct TTableHeader {
  TFixedText<kNameSize> TableName{};
  int32_t RecordTabPos = 0;
  int32_t RecordCount = 0;
  int32_t AutoIncValue = 0;
  int32_t FieldCount = 0;
  std::array<TFieldDefEntry, kMaxFieldCount> FieldDefs{};
  int32_t IndexCount = 0;
  std::array<TIndexDefEntry, kMaxIndexCount> IndexDefs{};
  std::array<uint8_t, 16> Unused{};

  void EncodeTo(uint8_t* dst) const;  // kTableHeaderSize bytes
  void DecodeFrom(const uint8_t* src);
};

struct TRecordTabItem {
  int32_t DataPos = 0;
  uint8_t Deleted = 0;

  void EncodeTo(uint8_t* dst) const;  // kRecordTabItemSize bytes
  void DecodeFrom(const uint8_t* src);
};

struct TIndexTabItem {
  int32_t RecordNo = 0;
  int32_t Next = -1;

  void EncodeTo(uint8_t* dst) const;  // kIndexTabItemSize bytes
  void DecodeFrom(const uint8_t* src);
};

struct TBlobDescriptor {
  int32_t BlobPos = 0;
  int32_t BlobSize = 0;
  int32_t BlobCapacity = 0;
  std::array<uint8_t, 8> Reserved{};

  void EncodeTo(uint8_t* dst) const;  // kBlobDescriptorSize bytes
  void DecodeFrom(const uint8_t* src);
};

// Bytes reserved for a blob of |stored_size| bytes: rounded down to a
// multiple of 64, plus 64 (always more than |stored_size|).
inline int32_t BlobCapacityFor(int32_t stored_size) {
  return stored_size / kBlobBlockGranule * kBlobBlockGranule + kBlobBlockGranule;
}

// ---- Little-endian helpers ----

inline void EncodeFixed16(uint8_t* dst, uint16_t v) { StoreLittleEndian16(v, dst); }
inline void EncodeFixed32(uint8_t* dst, uint32_t v) { StoreLittleEndian32(v, dst); }
inline void EncodeFixed64(uint8_t* dst, uint64_t v) { StoreLittleEndian64(v, dst); }
inline uint16_t DecodeFixed16(const uint8_t* src) { return LoadLittleEndian16(src); }
inline uint32_t DecodeFixed32(const uint8_t* src) { return LoadLittleEndian32(src); }
inline uint64_t DecodeFixed64(const uint8_t* src) { return LoadLittleEndian64(src); }
inline void EncodeInt32(uint8_t* dst, int32_t v) { EncodeFixed32(dst, static_cast<uint32_t>(v)); }
inline int32_t DecodeInt32(const uint8_t* src) { return static_cast<int32_t>(DecodeFixed32(src)); }

}  // namespace tinydb
