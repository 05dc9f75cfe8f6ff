#include "storage/DecodedCache.h"

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
  bytes_ = 0;
}

// ---- Record images ----

const uint8_t* TDecodedCache::FindRecord(int64_t data_pos, const uint8_t* stored,
                                         int size) const {
  const auto it = records_.find(data_pos);
  if (it == records_.end() || it->second.Size != size) return nullptr;
  const uint8_t* bytes = it->second.Bytes.data();
  if (std::memcmp(bytes, stored, static_cast<size_t>(size)) != 0) return nullptr;
  return bytes + size;
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
                                int size) {
  if (size <= 0) return;
  const auto old = records_.find(data_pos);
  if (old != records_.end()) {
    bytes_ -= RecordCharge(old->second.Size) + kEntryCharge;
    records_.erase(old);
  }
  if (!Reserve(RecordCharge(size) + kEntryCharge)) return;
  TRecord& record = records_[data_pos];
  record.Size = size;
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

// ---- Blobs ----

const TDecodedCache::TBlob* TDecodedCache::FindBlob(int64_t descriptor_pos) const {
  const auto it = blobs_.find(descriptor_pos);
  return it == blobs_.end() ? nullptr : &it->second;
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
