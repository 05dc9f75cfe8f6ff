// Small database images for storage tests, laid out byte by byte with the
// on-disk structures: the fixed part, table headers right after it, and
// records appended by the growth rules (record tab chunk, record image, blob
// blocks, then one index tab chunk per index whenever a chunk is due).
// Index sort chains follow append order.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "storage/Format.h"

namespace tinydb::test {

using TBytes = std::vector<uint8_t>;

struct TTestField {
  std::string Name;
  int Type = ftInteger;
  int Size = 0;
  bool Raw = false;
};

struct TTestIndex {
  std::string Name;
  std::vector<int> Fields;
  uint8_t Options = 0;
};

inline TTableHeader MakeTableHeader(const std::string& name, const std::vector<TTestField>& fields,
                                    const std::vector<TTestIndex>& indexes = {}) {
  TTableHeader header;
  StringToFixedText(name, header.TableName);
  header.FieldCount = static_cast<int32_t>(fields.size());
  for (size_t f = 0; f < fields.size(); ++f) {
    TFieldDefEntry& def = header.FieldDefs[f];
    StringToFixedText(fields[f].Name, def.FieldName);
    def.FieldType = static_cast<uint8_t>(fields[f].Type);
    def.FieldSize = fields[f].Size;
    def.RawStorage = fields[f].Raw ? 1 : 0;
  }
  header.IndexCount = static_cast<int32_t>(indexes.size());
  for (size_t i = 0; i < indexes.size(); ++i) {
    TIndexDefEntry& def = header.IndexDefs[i];
    StringToFixedText(indexes[i].Name, def.IndexName);
    def.Options = indexes[i].Options;
    for (size_t k = 0; k < indexes[i].Fields.size(); ++k) def.FieldIndexes[k] = indexes[i].Fields[k];
  }
  return header;
}

// Settings for values stored as they are.
inline TDataProcessSettings PlainSettings() { return TDataProcessSettings{}; }

// Settings for encrypted (and optionally compressed) values; |check_text|
// is the password's check text.
inline TDataProcessSettings ProtectedSettings(const std::string& cipher, int mode,
                                              const std::string& check_text, bool compressed) {
  TDataProcessSettings settings;
  settings.Compressed = compressed ? 1 : 0;
  StringToFixedText("ZLIB", settings.CompressAlgoName);
  settings.Encrypted = 1;
  settings.EncryptMode = static_cast<uint8_t>(mode);
  StringToFixedText(cipher, settings.EncryptAlgoName);
  StringToFixedText(check_text, settings.PasswordCheck);
  return settings;
}

// A whole image: signature (|magic| is copied as 7 raw bytes, |version|
// NUL-padded), settings, directory and the headers in table order.
inline TBytes BuildImage(const TDataProcessSettings& settings,
                         const std::vector<TTableHeader>& tables,
                         const std::string& version = "2.0",
                         const char (&magic)[8] = "TinyDB\0") {
  TBytes image(kFixedPartSize + tables.size() * kTableHeaderSize, 0);
  TFileSignature signature;
  std::memcpy(signature.Magic.data(), magic, 7);
  StringToFixedText(version, signature.FormatVersion);
  if (version.size() == 5) std::memcpy(signature.FormatVersion.data(), version.data(), 5);
  signature.EncodeTo(&image[kFileSignaturePos]);
  settings.EncodeTo(&image[kSettingsPos]);
  TTableDirectory directory;
  directory.TableCount = static_cast<int32_t>(tables.size());
  for (size_t t = 0; t < tables.size(); ++t) {
    directory.TableHeaderPos[t] = static_cast<int32_t>(kFixedPartSize + t * kTableHeaderSize);
    tables[t].EncodeTo(&image[directory.TableHeaderPos[t]]);
  }
  directory.EncodeTo(&image[kTableDirectoryPos]);
  return image;
}

inline int32_t ReadInt32At(const TBytes& image, int64_t pos) { return DecodeInt32(&image[pos]); }
inline void WriteInt32At(TBytes& image, int64_t pos, int32_t v) { EncodeInt32(&image[pos], v); }

inline int32_t HeaderPos(const TBytes& image, int table) {
  return ReadInt32At(image, kTableDirectoryPos + kTableDirectoryHeaderPosOffset + 4 * table);
}
inline TTableHeader ReadHeader(const TBytes& image, int table) {
  TTableHeader header;
  header.DecodeFrom(&image[HeaderPos(image, table)]);
  return header;
}
inline void WriteHeader(TBytes& image, int table, const TTableHeader& header) {
  header.EncodeTo(&image[HeaderPos(image, table)]);
}

// Position of chunk |chunk| of the chain that starts at |first|.
inline int32_t ChunkPos(const TBytes& image, int32_t first, int chunk) {
  int32_t pos = first;
  for (int c = 0; c < chunk; ++c) pos = ReadInt32At(image, pos);
  return pos;
}
inline int32_t RecordItemPos(const TBytes& image, int table, int32_t record_no) {
  TTableHeader header = ReadHeader(image, table);
  return ChunkPos(image, header.RecordTabPos, record_no / kTabChunkItems) + kTabChunkItemsOffset +
         (record_no % kTabChunkItems) * kRecordTabItemSize;
}
inline int32_t IndexItemPos(const TBytes& image, int table, int index, int32_t record_no) {
  TTableHeader header = ReadHeader(image, table);
  return ChunkPos(image, header.IndexDefs[index].IndexTabPos, record_no / kTabChunkItems) +
         kTabChunkItemsOffset +
         (record_no % kTabChunkItems) * kIndexTabItemSize;
}

// Appends a zero-filled chunk of |size| bytes, linked after the chain that
// starts at |first| (or becoming its start when |first| is 0, the case of
// chunk 0).
inline int32_t AppendChunk(TBytes& image, int32_t& first, int chunk_no, int size) {
  const int32_t pos = static_cast<int32_t>(image.size());
  image.resize(image.size() + size, 0);
  if (chunk_no == 0)
    first = pos;
  else
    WriteInt32At(image, ChunkPos(image, first, chunk_no - 1), pos);
  return pos;
}

// Appends one record to table |table|: |record| is its image as stored
// (fixed-width values already encoded); each blob is (offset of its
// descriptor in the record, stored bytes). Returns the record's DataPos.
inline int32_t AppendRecord(TBytes& image, int table, TBytes record,
                            const std::vector<std::pair<int, TBytes>>& blobs = {}) {
  TTableHeader header = ReadHeader(image, table);
  const int32_t k = header.RecordCount;
  const int chunk_no = k / kTabChunkItems;
  const bool new_chunk = k % kTabChunkItems == 0;
  if (new_chunk) AppendChunk(image, header.RecordTabPos, chunk_no, kRecordTabChunkSize);

  const int32_t data_pos = static_cast<int32_t>(image.size());
  image.resize(image.size() + record.size(), 0);
  for (const auto& [offset, stored] : blobs) {
    TBlobDescriptor blob;
    blob.BlobPos = static_cast<int32_t>(image.size());
    blob.BlobSize = static_cast<int32_t>(stored.size());
    blob.BlobCapacity = BlobCapacityFor(blob.BlobSize);
    image.insert(image.end(), stored.begin(), stored.end());
    image.resize(image.size() + (kBlobBlockGranule - stored.size() % kBlobBlockGranule), 0);
    blob.EncodeTo(&record[offset]);
  }
  std::memcpy(&image[data_pos], record.data(), record.size());

  TRecordTabItem item;
  item.DataPos = data_pos;
  item.EncodeTo(&image[ChunkPos(image, header.RecordTabPos, chunk_no) + kTabChunkItemsOffset +
                       (k % kTabChunkItems) * kRecordTabItemSize]);

  for (int i = 0; i < header.IndexCount; ++i) {
    TIndexDefEntry& index = header.IndexDefs[i];
    if (new_chunk) AppendChunk(image, index.IndexTabPos, chunk_no, kIndexTabChunkSize);
    auto item_pos = [&](int32_t n) {
      return ChunkPos(image, index.IndexTabPos, n / kTabChunkItems) + kTabChunkItemsOffset +
             (n % kTabChunkItems) * kIndexTabItemSize;
    };
    TIndexTabItem link{k, -1};
    link.EncodeTo(&image[item_pos(k)]);
    if (k > 0) WriteInt32At(image, item_pos(k - 1) + kIndexTabItemNextOffset, k);
  }
  header.RecordCount = k + 1;
  WriteHeader(image, table, header);
  return data_pos;
}

}  // namespace tinydb::test
