#include "storage/BlobStream.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "storage/Format.h"
#include "storage/TinyDBFileIO.h"

namespace tinydb {

namespace {

// Decodes the blob whose descriptor lies at |pos| into |dest|, as
// ReadFieldValueAt does. With a cache, a value decoded before is copied
// from it when the descriptor and the stored bytes in the image are still
// exactly those it was decoded from (a tracked image tells so without
// reading them); otherwise the value is decoded and kept.
void ReadBlobValue(TTinyDBFileIO& io, TDecodedCache* cache, TMemoryStream* dest, int64_t pos,
                   bool compressed, bool encrypted) {
  if (cache == nullptr || (!compressed && !encrypted)) {
    io.ReadFieldValueAt(dest, pos, compressed, encrypted, true, kBlobDescriptorSize);
    return;
  }
  auto serve = [dest](const TDecodedCache::TBlob& cached) {
    const std::vector<uint8_t>& value = cached.Decoded;
    dest->SetSize(static_cast<int64_t>(value.size()));
    if (!value.empty()) std::memcpy(dest->Memory(), value.data(), value.size());
    dest->SetPosition(0);
  };
  const TMemoryStream* tracked = io.TrackedImage();
  TDecodedCache::TBlob* cached = cache->FindBlob(pos);
  if (cached != nullptr && cached->Compressed == compressed && cached->Encrypted == encrypted &&
      TDecodedCache::BlobUnchanged(*cached, pos, tracked)) {
    serve(*cached);
    return;
  }
  thread_local std::vector<uint8_t> stored;
  uint8_t descriptor_bytes[kBlobDescriptorSize];
  io.ReadBuffer(pos, descriptor_bytes, kBlobDescriptorSize);
  TBlobDescriptor blob;
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
      serve(*cached);
      return;
    }
  }
  io.ReadFieldValueAt(dest, pos, compressed, encrypted, true, kBlobDescriptorSize);
  // Decoded without error, so the stored range lies in the image.
  TDecodedCache::TBlob entry;
  entry.BlobPos = blob.BlobPos;
  entry.Compressed = compressed;
  entry.Encrypted = encrypted;
  entry.Stamp = StampOf(tracked);
  entry.Stored.resize(static_cast<size_t>(blob.BlobSize));
  io.ReadBuffer(blob.BlobPos, entry.Stored.data(), blob.BlobSize);
  const int64_t size = dest->Size();
  entry.Decoded.assign(dest->Memory(), dest->Memory() + size);
  cache->StoreBlob(pos, std::move(entry));
}

}  // namespace

TOptimBlobStream::TOptimBlobStream(TTableStorageHost* host) : host_(host) {}

void TOptimBlobStream::SetLoadInfo(int64_t pos, bool encrypted, bool compressed) {
  pos_ = pos;
  encrypted_ = encrypted;
  compressed_ = compressed;
  loaded_ = false;
}

void TOptimBlobStream::SetCache(std::shared_ptr<TDecodedCache> cache) {
  if (cache_ != cache) cache_ = std::move(cache);
}

void TOptimBlobStream::EnsureLoaded() {
  if (loaded_ || pos_ == 0 || host_ == nullptr) return;
  // Marked first: the decode below writes into this stream.
  loaded_ = true;
  try {
    ReadBlobValue(host_->FileIO(), cache_.get(), this, pos_, compressed_, encrypted_);
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
