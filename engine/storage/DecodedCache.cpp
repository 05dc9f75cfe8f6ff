#include "storage/DecodedCache.h"

#include <algorithm>

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
  records_.clear();
  fields_.clear();
  blobs_.clear();
  keys_.clear();
  bytes_ = 0;
}

// ---- Record images ----

const uint8_t* TDecodedCache::FindRecord(int64_t data_pos, const uint8_t* stored, int size,
                                         const TMemoryStream* image) {
  const auto it = records_.find(data_pos);
  if (it == records_.end() || it->second.Size != size) return nullptr;
  const uint8_t* bytes = it->second.Bytes.data();
  if (std::memcmp(bytes, stored, static_cast<size_t>(size)) != 0) return nullptr;
  it->second.Stamp = StampOf(image);
  return bytes + size;
}

const uint8_t* TDecodedCache::FindRecordUnchanged(int64_t data_pos, int size,
                                                  const TMemoryStream* image) const {
  if (image == nullptr) return nullptr;
  const auto it = records_.find(data_pos);
  if (it == records_.end() || it->second.Size != size ||
      !image->UnchangedSince(data_pos, size, it->second.Stamp))
    return nullptr;
  return it->second.Bytes.data() + size;
}

const uint8_t* TDecodedCache::FindRecordField(int64_t data_pos, int offset, const uint8_t* stored,
                                              int width) const {
  const auto it = records_.find(data_pos);
  if (it == records_.end() || offset < 0 || width < 0 || offset > it->second.Size - width)
    return nullptr;
  const uint8_t* bytes = it->second.Bytes.data();
  if (std::memcmp(bytes + offset, stored, static_cast<size_t>(width)) != 0) return nullptr;
  return bytes + it->second.Size + offset;
}

void TDecodedCache::StoreRecord(int64_t data_pos, const uint8_t* stored, const uint8_t* decoded,
                                int size, const TMemoryStream* image) {
  if (size <= 0) return;
  const auto old = records_.find(data_pos);
  if (old != records_.end()) {
    bytes_ -= RecordCharge(old->second.Size) + kEntryCharge;
    records_.erase(old);
  }
  if (!Reserve(RecordCharge(size) + kEntryCharge)) return;
  TRecord& record = records_[data_pos];
  record.Size = size;
  record.Stamp = StampOf(image);
  record.Bytes.resize(RecordCharge(size));
  std::memcpy(record.Bytes.data(), stored, static_cast<size_t>(size));
  std::memcpy(record.Bytes.data() + size, decoded, static_cast<size_t>(size));
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
                                               int width, const TMemoryStream* image) const {
  if (image == nullptr || field_no < 0 || record_no < 0 ||
      static_cast<size_t>(field_no) >= keys_.size())
    return nullptr;
  const std::vector<TKey>& column = keys_[static_cast<size_t>(field_no)];
  if (static_cast<size_t>(record_no) >= column.size()) return nullptr;
  const TKey& key = column[static_cast<size_t>(record_no)];
  if (key.Width != width || key.Pos != pos || !image->UnchangedSince(pos, width, key.Stamp))
    return nullptr;
  return key.Decoded;
}

void TDecodedCache::StoreKey(int field_no, int32_t record_no, int64_t pos, const uint8_t* stored,
                             const uint8_t* decoded, int width, const TMemoryStream* image) {
  if (width <= 0 || width > kMaxKeyWidth || field_no < 0 || record_no < 0) return;
  if (static_cast<size_t>(field_no) >= keys_.size()) keys_.resize(static_cast<size_t>(field_no) + 1);
  std::vector<TKey>* column = &keys_[static_cast<size_t>(field_no)];
  if (static_cast<size_t>(record_no) >= column->size()) {
    // Grown by half again each time, so a walk over the records grows it
    // a few dozen times, not once per record.
    const size_t old_size = column->size();
    const size_t wanted = std::max(static_cast<size_t>(record_no) + 1, old_size * 3 / 2);
    if (!Reserve((wanted - old_size) * sizeof(TKey))) return;
    if (static_cast<size_t>(field_no) >= keys_.size()) {
      // Reserve dropped everything, this column among it: it grows from 0,
      // and is left out when it would not fit on its own.
      bytes_ -= (wanted - old_size) * sizeof(TKey);
      if (!Reserve(wanted * sizeof(TKey))) return;
      keys_.resize(static_cast<size_t>(field_no) + 1);
    }
    column = &keys_[static_cast<size_t>(field_no)];
    column->resize(wanted);
  }
  TKey& key = (*column)[static_cast<size_t>(record_no)];
  key.Width = static_cast<uint8_t>(width);
  key.Pos = static_cast<int32_t>(pos);
  key.Stamp = StampOf(image);
  std::memcpy(key.Stored, stored, static_cast<size_t>(width));
  std::memcpy(key.Decoded, decoded, static_cast<size_t>(width));
}

// ---- Blobs ----

TDecodedCache::TBlob* TDecodedCache::FindBlob(int64_t descriptor_pos) {
  const auto it = blobs_.find(descriptor_pos);
  return it == blobs_.end() ? nullptr : &it->second;
}

bool TDecodedCache::BlobUnchanged(const TBlob& blob, int64_t descriptor_pos,
                                  const TMemoryStream* image) {
  if (image == nullptr) return false;
  const int64_t stored = blob.Encoded ? blob.Written : static_cast<int64_t>(blob.Stored.size());
  return image->UnchangedSince(descriptor_pos, kBlobDescriptorSize, blob.Stamp) &&
         image->UnchangedSince(blob.BlobPos, stored, blob.Stamp);
}

void TDecodedCache::StoreBlob(int64_t descriptor_pos, TBlob blob) {
  const auto old = blobs_.find(descriptor_pos);
  if (old != blobs_.end()) {
    bytes_ -= old->second.Stored.size() + old->second.Decoded.size() + kEntryCharge;
    blobs_.erase(old);
  }
  if (!Reserve(blob.Stored.size() + blob.Decoded.size() + kEntryCharge)) return;
  blobs_.emplace(descriptor_pos, std::move(blob));
}

}  // namespace tinydb
