#include "storage/BlobStream.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "storage/Format.h"
#include "storage/TinyDBFileIO.h"

namespace tinydb {

namespace {

// Where a stream's value is kept in a cache of decoded values.
struct TCacheSlot {
  TDecodedCache* Cache;
  int FieldNo;
  int32_t RecordNo;
};

// The value the cache keeps for the blob whose descriptor lies at |pos|,
// when the descriptor and the stored bytes in the image are still exactly
// those it was decoded from (a tracked image tells so without reading
// them); null otherwise.
const TDecodedCache::TBlob* ValidCachedBlob(TTinyDBFileIO& io, const TCacheSlot& slot,
                                            int64_t pos, bool compressed, bool encrypted,
                                            TBlobDescriptor* descriptor) {
  const TMemoryStream* tracked = io.TrackedImage();
  TDecodedCache::TBlob* cached = slot.Cache->FindBlob(slot.FieldNo, slot.RecordNo, pos);
  if (cached != nullptr && cached->Compressed == compressed && cached->Encrypted == encrypted &&
      TDecodedCache::BlobUnchanged(*cached, pos, tracked))
    return cached;
  thread_local std::vector<uint8_t> stored;
  uint8_t descriptor_bytes[kBlobDescriptorSize];
  io.ReadBuffer(pos, descriptor_bytes, kBlobDescriptorSize);
  TBlobDescriptor& blob = *descriptor;
  blob.DecodeFrom(descriptor_bytes);
  const bool in_image = blob.BlobPos >= 0 && blob.BlobSize >= 0 &&
                        blob.BlobSize <= io.ImageSize() - blob.BlobPos;
  if (in_image && cached != nullptr && cached->BlobPos == blob.BlobPos &&
      cached->Stored.size() == static_cast<size_t>(blob.BlobSize) &&
      cached->Compressed == compressed && cached->Encrypted == encrypted) {
    // An encoded blob is compared with its padding, which an update that
    // keeps the block relies on.
    const bool whole_block = cached->Encoded && cached->Written >= blob.BlobSize &&
                             cached->Written <= io.ImageSize() - blob.BlobPos;
    const int64_t n = whole_block ? cached->Written : blob.BlobSize;
    stored.resize(static_cast<size_t>(n));
    io.ReadBuffer(blob.BlobPos, stored.data(), n);
    if (blob.BlobSize == 0 ||
        std::memcmp(stored.data(), cached->Stored.data(), cached->Stored.size()) == 0) {
      cached->Encoded =
          whole_block && std::all_of(stored.begin() + blob.BlobSize, stored.end(),
                                     [](uint8_t byte) { return byte == 0; });
      cached->Stamp = StampOf(tracked);
      return cached;
    }
  }
  return nullptr;
}

// Decodes the blob whose descriptor lies at |pos| into |dest|, as
// ReadFieldValueAt does. With a cache, a value decoded before is copied
// from it while it still holds (ValidCachedBlob); otherwise the value is
// decoded and kept.
void ReadBlobValue(TTinyDBFileIO& io, const TCacheSlot& slot, TMemoryStream* dest, int64_t pos,
                   bool compressed, bool encrypted) {
  if (slot.Cache == nullptr || (!compressed && !encrypted)) {
    io.ReadFieldValueAt(dest, pos, compressed, encrypted, true, kBlobDescriptorSize);
    return;
  }
  TBlobDescriptor blob;
  if (const TDecodedCache::TBlob* cached =
          ValidCachedBlob(io, slot, pos, compressed, encrypted, &blob)) {
    const std::vector<uint8_t>& value = cached->Decoded;
    dest->SetSize(static_cast<int64_t>(value.size()));
    if (!value.empty()) std::memcpy(dest->Memory(), value.data(), value.size());
    dest->SetPosition(0);
    return;
  }
  io.ReadFieldValueAt(dest, pos, compressed, encrypted, true, kBlobDescriptorSize);
  // Decoded without error, so the stored range lies in the image (the
  // descriptor was read by ValidCachedBlob unless the cached entry was
  // unchanged, and then it was served).
  const TMemoryStream* tracked = io.TrackedImage();
  TDecodedCache::TBlob entry;
  entry.BlobPos = blob.BlobPos;
  entry.Compressed = compressed;
  entry.Encrypted = encrypted;
  entry.Stamp = StampOf(tracked);
  entry.Stored.resize(static_cast<size_t>(blob.BlobSize));
  io.ReadBuffer(blob.BlobPos, entry.Stored.data(), blob.BlobSize);
  const int64_t size = dest->Size();
  entry.Decoded.assign(dest->Memory(), dest->Memory() + size);
  slot.Cache->StoreBlob(slot.FieldNo, slot.RecordNo, pos, std::move(entry));
}

}  // namespace

TOptimBlobStream::TOptimBlobStream(TTableStorageHost* host) : host_(host) {}

void TOptimBlobStream::SetLoadInfo(int64_t pos, bool encrypted, bool compressed) {
  pos_ = pos;
  encrypted_ = encrypted;
  compressed_ = compressed;
  loaded_ = false;
}

void TOptimBlobStream::SetCache(const std::shared_ptr<TDecodedCache>& cache, int field_no,
                                int32_t record_no) {
  if (cache_ != cache) cache_ = cache;
  cache_field_no_ = field_no;
  cache_record_no_ = record_no;
}

std::string_view TOptimBlobStream::View() {
  if (!loaded_ && pos_ != 0 && host_ != nullptr && cache_ && (encrypted_ || compressed_)) {
    // Served from the cache without copying it into the stream.
    TBlobDescriptor unused;
    if (const TDecodedCache::TBlob* cached =
            ValidCachedBlob(host_->FileIO(), {cache_.get(), cache_field_no_, cache_record_no_},
                            pos_, compressed_, encrypted_, &unused))
      return {reinterpret_cast<const char*>(cached->Decoded.data()), cached->Decoded.size()};
  }
  EnsureLoaded();
  const std::vector<uint8_t>& bytes = Bytes();
  return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

void TOptimBlobStream::EnsureLoaded() {
  if (loaded_ || pos_ == 0 || host_ == nullptr) return;
  // Marked first: the decode below writes into this stream.
  loaded_ = true;
  try {
    ReadBlobValue(host_->FileIO(), {cache_.get(), cache_field_no_, cache_record_no_}, this, pos_,
                  compressed_, encrypted_);
  } catch (...) {
    // Nothing half-read stays behind; the next use tries again.
    TMemoryStream::SetSize(0);
    loaded_ = false;
    throw;
  }
}

void TOptimBlobStream::Clear() {
  loaded_ = true;
  TMemoryStream::Clear();
}

int64_t TOptimBlobStream::Read(void* buffer, int64_t count) {
  EnsureLoaded();
  return TMemoryStream::Read(buffer, count);
}

int64_t TOptimBlobStream::Write(const void* buffer, int64_t count) {
  loaded_ = true;
  return TMemoryStream::Write(buffer, count);
}

int64_t TOptimBlobStream::Seek(int64_t offset, TSeekOrigin origin) {
  EnsureLoaded();
  return TMemoryStream::Seek(offset, origin);
}

int64_t TOptimBlobStream::Size() {
  EnsureLoaded();
  return TMemoryStream::Size();
}

void TOptimBlobStream::SetSize(int64_t size) {
  loaded_ = true;
  TMemoryStream::SetSize(size);
}

}  // namespace tinydb
