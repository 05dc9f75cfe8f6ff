#include "storage/DecodedCache.h"

#include <algorithm>
#include <cstdint>

#include "storage/Format.h"

namespace tinydb {

namespace {

size_t RecordCharge(int size) { return 2 * static_cast<size_t>(size); }

}  // namespace

bool TDecodedCache::Reserve(size_t bytes) {
  if (bytes > budget_) return false;
  if (bytes_ + bytes > budget_) Clear();
  bytes_ += bytes;
  return true;
}

void TDecodedCache::Clear() {
  // The tables by field keep their places (a caller may hold one of them
  // while growing it); their contents go.
  std::vector<TRecord>().swap(records_);
  arena_.clear();
  arena_left_ = 0;
  fields_.clear();
  for (std::vector<TBlobSlot>& column : blobs_) std::vector<TBlobSlot>().swap(column);
  for (std::vector<TKey>& column : keys_) std::vector<TKey>().swap(column);
  bytes_ = 0;
}

template <class Slot>
Slot* TDecodedCache::SlotFor(std::vector<Slot>& table, int32_t record_no) {
  if (record_no < 0) return nullptr;
  const size_t index = static_cast<size_t>(record_no);
  if (index >= table.size()) {
    // Grown by half again each time, so a walk over the records grows it
    // a few dozen times, not once per record.
    const size_t old_size = table.size();
    const size_t wanted = std::max(index + 1, old_size * 3 / 2);
    if (!Reserve((wanted - old_size) * sizeof(Slot))) return nullptr;
    if (table.size() != old_size) {
      // Reserve dropped everything, this table among it: it grows from 0,
      // and is left out when it would not fit on its own.
      bytes_ -= (wanted - old_size) * sizeof(Slot);
      if (!Reserve(wanted * sizeof(Slot))) return nullptr;
    }
    table.resize(wanted);
  }
  return &table[index];
}

uint8_t* TDecodedCache::ArenaBytes(size_t n) {
  if (n > arena_left_) {
    const size_t block = std::max(n, kArenaBlock);
    arena_.push_back(std::make_unique_for_overwrite<uint8_t[]>(block));
    arena_next_ = arena_.back().get();
    arena_left_ = block;
  }
  uint8_t* bytes = arena_next_;
  arena_next_ += n;
  arena_left_ -= n;
  return bytes;
}

// ---- Record images ----

const uint8_t* TDecodedCache::FindRecord(int32_t record_no, int64_t data_pos,
                                         const uint8_t* stored, int size,
                                         const TMemoryStream* image) {
  if (record_no < 0 || static_cast<size_t>(record_no) >= records_.size()) return nullptr;
  TRecord& record = records_[static_cast<size_t>(record_no)];
  if (record.Size != size || size <= 0 || record.DataPos != data_pos) return nullptr;
  if (std::memcmp(record.Bytes, stored, static_cast<size_t>(size)) != 0) return nullptr;
  record.Stamp = StampOf(image);
  return record.Bytes + size;
}

const uint8_t* TDecodedCache::FindRecordUnchanged(int32_t record_no, int64_t data_pos, int size,
                                                  const TMemoryStream* image) {
  if (image == nullptr || record_no < 0 || static_cast<size_t>(record_no) >= records_.size())
    return nullptr;
  TRecord& record = records_[static_cast<size_t>(record_no)];
  if (record.Size != size || size <= 0 || record.DataPos != data_pos ||
      !UnchangedAndRestamp(image, data_pos, size, &record.Stamp))
    return nullptr;
  return record.Bytes + size;
}

const uint8_t* TDecodedCache::FindRecordField(int32_t record_no, int64_t data_pos, int offset,
                                              const uint8_t* stored, int width) const {
  if (record_no < 0 || static_cast<size_t>(record_no) >= records_.size()) return nullptr;
  const TRecord& record = records_[static_cast<size_t>(record_no)];
  if (record.Size <= 0 || record.DataPos != data_pos || offset < 0 || width < 0 ||
      offset > record.Size - width)
    return nullptr;
  if (std::memcmp(record.Bytes + offset, stored, static_cast<size_t>(width)) != 0) return nullptr;
  return record.Bytes + record.Size + offset;
}

void TDecodedCache::StoreRecord(int32_t record_no, int64_t data_pos, const uint8_t* stored,
                                const uint8_t* decoded, int size, const TMemoryStream* image) {
  if (size <= 0 || record_no < 0 || data_pos < 0 || data_pos > INT32_MAX) return;
  TRecord* record = SlotFor(records_, record_no);
  if (record == nullptr) return;
  if (record->Size != size) {
    // A new place in the arena (an image of another size never reuses the
    // old one, which stays charged until the cache is cleared).
    record->Size = 0;
    if (!Reserve(RecordCharge(size))) return;
    // Reserve may have dropped the table.
    record = SlotFor(records_, record_no);
    if (record == nullptr) return;
    record->Bytes = ArenaBytes(RecordCharge(size));
  }
  record->Size = size;
  record->DataPos = static_cast<int32_t>(data_pos);
  record->Stamp = StampOf(image);
  std::memcpy(record->Bytes, stored, static_cast<size_t>(size));
  std::memcpy(record->Bytes + size, decoded, static_cast<size_t>(size));
}

// ---- Single values ----

const uint8_t* TDecodedCache::FindField(int64_t pos, const uint8_t* stored, int width) const {
  const auto it = fields_.find(pos);
  if (it == fields_.end() || it->second.Width != width) return nullptr;
  if (std::memcmp(it->second.Stored, stored, static_cast<size_t>(width)) != 0) return nullptr;
  return it->second.Decoded;
}

void TDecodedCache::StoreField(int64_t pos, const uint8_t* stored, const uint8_t* decoded,
                               int width) {
  if (width <= 0 || width > kMaxFieldWidth) return;
  auto it = fields_.find(pos);
  if (it == fields_.end()) {
    if (!Reserve(sizeof(TField) + kEntryCharge)) return;
    it = fields_.emplace(pos, TField{}).first;
  }
  TField& field = it->second;
  field.Width = static_cast<uint8_t>(width);
  std::memcpy(field.Stored, stored, static_cast<size_t>(width));
  std::memcpy(field.Decoded, decoded, static_cast<size_t>(width));
}

// ---- Key values ----

const uint8_t* TDecodedCache::FindKey(int field_no, int32_t record_no, const uint8_t* stored,
                                      int width, const TMemoryStream* image) {
  if (field_no < 0 || record_no < 0 || static_cast<size_t>(field_no) >= keys_.size()) return nullptr;
  std::vector<TKey>& column = keys_[static_cast<size_t>(field_no)];
  if (static_cast<size_t>(record_no) >= column.size()) return nullptr;
  TKey& key = column[static_cast<size_t>(record_no)];
  if (key.Width != width || std::memcmp(key.Stored, stored, static_cast<size_t>(width)) != 0)
    return nullptr;
  key.Stamp = StampOf(image);
  return key.Decoded;
}

const uint8_t* TDecodedCache::FindKeyUnchanged(int field_no, int32_t record_no, int64_t pos,
                                               int width, const TMemoryStream* image) {
  if (image == nullptr || field_no < 0 || record_no < 0 ||
      static_cast<size_t>(field_no) >= keys_.size())
    return nullptr;
  std::vector<TKey>& column = keys_[static_cast<size_t>(field_no)];
  if (static_cast<size_t>(record_no) >= column.size()) return nullptr;
  TKey& key = column[static_cast<size_t>(record_no)];
  if (key.Width != width || key.Pos != pos || !UnchangedAndRestamp(image, pos, width, &key.Stamp))
    return nullptr;
  return key.Decoded;
}

void TDecodedCache::StoreKey(int field_no, int32_t record_no, int64_t pos, const uint8_t* stored,
                             const uint8_t* decoded, int width, const TMemoryStream* image) {
  if (width <= 0 || width > kMaxKeyWidth || field_no < 0 || record_no < 0 || pos < 0 ||
      pos > INT32_MAX)
    return;
  if (static_cast<size_t>(field_no) >= keys_.size()) keys_.resize(static_cast<size_t>(field_no) + 1);
  TKey* key = SlotFor(keys_[static_cast<size_t>(field_no)], record_no);
  if (key == nullptr) return;
  key->Width = static_cast<uint8_t>(width);
  key->Pos = static_cast<int32_t>(pos);
  key->Stamp = StampOf(image);
  std::memcpy(key->Stored, stored, static_cast<size_t>(width));
  std::memcpy(key->Decoded, decoded, static_cast<size_t>(width));
}

// ---- Blobs ----

TDecodedCache::TBlob* TDecodedCache::FindBlob(int field_no, int32_t record_no,
                                              int64_t descriptor_pos) {
  if (field_no < 0 || record_no < 0 || static_cast<size_t>(field_no) >= blobs_.size())
    return nullptr;
  std::vector<TBlobSlot>& column = blobs_[static_cast<size_t>(field_no)];
  if (static_cast<size_t>(record_no) >= column.size()) return nullptr;
  TBlobSlot& slot = column[static_cast<size_t>(record_no)];
  if (slot.DescriptorPos == 0 || slot.DescriptorPos != descriptor_pos) return nullptr;
  return &slot.Blob;
}

bool TDecodedCache::BlobUnchanged(TBlob& blob, int64_t descriptor_pos,
                                  const TMemoryStream* image) {
  if (image == nullptr || blob.Stamp == 0 || !image->TracksChanges()) return false;
  const uint64_t now = image->ChangeStamp();
  if (blob.Stamp == now) return true;
  const int64_t stored = blob.Encoded ? blob.Written : static_cast<int64_t>(blob.Stored.size());
  if (!image->UnchangedSince(descriptor_pos, kBlobDescriptorSize, blob.Stamp) ||
      !image->UnchangedSince(blob.BlobPos, stored, blob.Stamp))
    return false;
  blob.Stamp = now;
  return true;
}

void TDecodedCache::StoreBlob(int field_no, int32_t record_no, int64_t descriptor_pos,
                              TBlob blob) {
  if (field_no < 0 || record_no < 0 || descriptor_pos <= 0) return;
  if (static_cast<size_t>(field_no) >= blobs_.size()) blobs_.resize(static_cast<size_t>(field_no) + 1);
  std::vector<TBlobSlot>& column = blobs_[static_cast<size_t>(field_no)];
  TBlobSlot* slot = SlotFor(column, record_no);
  if (slot == nullptr) return;
  if (slot->DescriptorPos != 0) {
    bytes_ -= slot->Blob.Stored.size() + slot->Blob.Decoded.size() + kEntryCharge;
    slot->DescriptorPos = 0;
    slot->Blob = TBlob();
  }
  if (!Reserve(blob.Stored.size() + blob.Decoded.size() + kEntryCharge)) return;
  // Reserve may have dropped the column.
  slot = SlotFor(column, record_no);
  if (slot == nullptr) return;
  slot->DescriptorPos = descriptor_pos;
  slot->Blob = std::move(blob);
}

}  // namespace tinydb
