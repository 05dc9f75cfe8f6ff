// The blob stream of table storage: one blob field's value in a record
// buffer, read from the image only when it is first used.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

#include "platform/Streams.h"
#include "storage/DecodedCache.h"
#include "storage/TableStorageHost.h"

namespace tinydb {

// The value of one blob field of a record buffer. After SetLoadInfo the
// value is read from the image (and decoded) on the first read, seek or
// size query; writing or resizing first makes the stream's own content
// the value, so a late load never overwrites it.
class TOptimBlobStream : public TMemoryStream {
 public:
  // |host| must outlive the stream (or SetLoadInfo must never name a blob).
  explicit TOptimBlobStream(TTableStorageHost* host);

  // Names the blob whose descriptor lies at |pos| in the image (0 = none)
  // and how its bytes are stored; the value is loaded on first use.
  void SetLoadInfo(int64_t pos, bool encrypted, bool compressed);
  // True once the content is the value (loaded, written or resized).
  bool Loaded() const { return loaded_; }
  // What SetLoadInfo named (the pending value while not Loaded()).
  int64_t LoadPos() const { return pos_; }
  bool LoadEncrypted() const { return encrypted_; }
  bool LoadCompressed() const { return compressed_; }
  const TTableStorageHost* Host() const { return host_; }
  // Loads the value now when a load is pending.
  void EnsureLoaded();
  // Lets loads reuse (and fill) a table storage's cache of decoded values,
  // where the value is kept as field |field_no| of record |record_no|; null
  // loads straight from the image.
  void SetCache(const std::shared_ptr<TDecodedCache>& cache, int field_no, int32_t record_no);
  // The value, without copying it into the stream while the cache holds it
  // (else it is loaded first). The view is valid until the next change of
  // this stream or of the cache (any read through the table storage).
  std::string_view View();
  // Empties the stream; the empty content is the value.
  void Clear();

  int64_t Read(void* buffer, int64_t count) override;
  int64_t Write(const void* buffer, int64_t count) override;
  int64_t Seek(int64_t offset, TSeekOrigin origin) override;
  int64_t Size() override;
  void SetSize(int64_t size) override;

 private:
  TTableStorageHost* host_;
  std::shared_ptr<TDecodedCache> cache_;
  int cache_field_no_ = -1;
  int32_t cache_record_no_ = -1;
  int64_t pos_ = 0;
  bool encrypted_ = false;
  bool compressed_ = false;
  bool loaded_ = false;
};

}  // namespace tinydb
