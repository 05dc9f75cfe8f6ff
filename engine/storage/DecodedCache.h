// What table storage has already decoded: record images, small field values
// and blob values, each kept beside the stored bytes it came from. A value
// is served only while the image still holds exactly those stored bytes at
// the same place, so a write by anyone (this table storage, another cursor,
// another database object on the same image, another process on the same
// file) is never answered with a stale value.
//
// Two ways tell that the stored bytes are still those: a memory image
// tracks its changes (TMemoryStream's change stamps), so an entry noted
// with the stamp of the moment it was kept is served without reading
// anything while none of its bytes changed since (the Find...Unchanged
// calls); a changed page only sends its entries back to the comparison.
// A disk image, which another process may change unseen, is always read
// and its stored bytes compared with the kept ones.
//
// Memory is bounded: when an entry would take the cache over its budget,
// everything is dropped and filling starts again.
//
// Not thread-safe; a table storage object and its cursors are used from
// one thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <unordered_map>
#include <vector>

#include "platform/Streams.h"

namespace tinydb {

// The change stamp of |image| now, 0 without one (an entry stamped 0 is
// never taken as unchanged).
inline uint64_t StampOf(const TMemoryStream* image) {
  return image != nullptr ? image->ChangeStamp() : 0;
}

// True when |image| shows that none of |size| bytes at |pos| changed since
// |*stamp|; then |*stamp| becomes the image's stamp of now (nothing changed
// in between), so while the image does not change at all the next check
// reads no page stamps.
inline bool UnchangedAndRestamp(const TMemoryStream* image, int64_t pos, int64_t size,
                                uint64_t* stamp) {
  if (image == nullptr || *stamp == 0 || !image->TracksChanges()) return false;
  const uint64_t now = image->ChangeStamp();
  if (*stamp == now) return true;
  if (!image->UnchangedSince(pos, size, *stamp)) return false;
  *stamp = now;
  return true;
}

class TDecodedCache {
 public:
  // Budget in bytes of cached data (stored and decoded bytes together,
  // plus a fixed charge per entry).
  static constexpr size_t kDefaultBudget = size_t{128} << 20;

  explicit TDecodedCache(size_t budget = kDefaultBudget) : budget_(budget) {}

  // ---- Record images ----
  // Kept in a flat table by record number (a walk over the records finds
  // each without a hash lookup); each entry also notes the image position
  // |data_pos| it was kept for, and a lookup for another position misses.

  // The decoded image of record |record_no| at |data_pos| when the cached
  // stored image equals |stored| (|size| bytes); null otherwise. A match
  // notes |image|'s stamp on the entry.
  const uint8_t* FindRecord(int32_t record_no, int64_t data_pos, const uint8_t* stored, int size,
                            const TMemoryStream* image = nullptr);
  // The decoded image of record |record_no| at |data_pos| (|size| bytes)
  // when |image| (may be null) shows that none of its stored bytes changed
  // since it was kept; null otherwise. A hit notes |image|'s stamp now, so
  // the next one needs no look at the image's pages while nothing changed.
  const uint8_t* FindRecordUnchanged(int32_t record_no, int64_t data_pos, int size,
                                     const TMemoryStream* image);
  // The decoded bytes of the field at |offset| (|width| bytes) of the cached
  // record |record_no| at |data_pos|, when its stored bytes equal |stored|;
  // null otherwise.
  const uint8_t* FindRecordField(int32_t record_no, int64_t data_pos, int offset,
                                 const uint8_t* stored, int width) const;
  // Keeps |decoded| as the decoding of the image |stored| of record
  // |record_no| at |data_pos| (both |size| bytes), which |image| (may be
  // null) holds now. The pointers handed out for a record stay valid until
  // that record is kept again or the cache is cleared.
  void StoreRecord(int32_t record_no, int64_t data_pos, const uint8_t* stored,
                   const uint8_t* decoded, int size, const TMemoryStream* image = nullptr);

  // ---- Single fixed-width values (key comparisons) ----

  // Values up to this width are kept one by one.
  static constexpr int kMaxFieldWidth = 32;
  // The decoded bytes of the |width|-byte value stored at |pos| when its
  // cached stored bytes equal |stored|; null otherwise.
  const uint8_t* FindField(int64_t pos, const uint8_t* stored, int width) const;
  // Keeps a value of at most kMaxFieldWidth bytes; wider ones are ignored.
  void StoreField(int64_t pos, const uint8_t* stored, const uint8_t* decoded, int width);

  // ---- Key values by record number ----

  // Values up to this width are also kept in a flat table per field,
  // indexed by record number: a key search then finds the decoded value
  // of a record without a hash lookup.
  static constexpr int kMaxKeyWidth = 8;
  // The decoded bytes of field |field_no| (|width| bytes) of record
  // |record_no| when its cached stored bytes equal |stored|; null otherwise.
  // A match notes |image|'s stamp on the entry.
  const uint8_t* FindKey(int field_no, int32_t record_no, const uint8_t* stored, int width,
                         const TMemoryStream* image = nullptr);
  // The same value, kept for stored bytes at |pos|, when |image| shows they
  // did not change since; null otherwise.
  // A hit notes |image|'s stamp now.
  const uint8_t* FindKeyUnchanged(int field_no, int32_t record_no, int64_t pos, int width,
                                  const TMemoryStream* image);
  // Keeps a value of at most kMaxKeyWidth bytes, stored at |pos|; wider
  // ones are ignored.
  void StoreKey(int field_no, int32_t record_no, int64_t pos, const uint8_t* stored,
                const uint8_t* decoded, int width, const TMemoryStream* image);
  // The same, untracked (compared on every use).
  void StoreKey(int field_no, int32_t record_no, const uint8_t* stored, const uint8_t* decoded,
                int width) {
    StoreKey(field_no, record_no, 0, stored, decoded, width, nullptr);
  }

  // ---- Blob values ----

  // A cached blob: the descriptor it was found through says the stored
  // bytes lie at BlobPos, BlobSize of them.
  struct TBlob {
    int64_t BlobPos = 0;
    bool Compressed = false;
    bool Encrypted = false;
    // Written by this engine from Decoded: the stored bytes are Decoded's
    // encoding, followed by the block's zero padding, Written bytes in all.
    bool Encoded = false;
    int64_t Written = 0;
    uint64_t Stamp = 0;  // the image's change stamp when last known equal
    std::vector<uint8_t> Stored;
    std::vector<uint8_t> Decoded;
  };
  // Blobs are kept in a flat table by field and record number, each entry
  // noting the position |descriptor_pos| of the descriptor it was found
  // through.
  // The cached blob of field |field_no| of record |record_no| whose
  // descriptor lies at |descriptor_pos|, or null. The caller checks it
  // against the image before using Decoded (and restamps it after a
  // successful comparison).
  TBlob* FindBlob(int field_no, int32_t record_no, int64_t descriptor_pos);
  // True when |image| shows that neither the descriptor at
  // |descriptor_pos| nor the stored bytes of |blob| (Written of them for
  // an encoded blob) changed since it was stamped; then |blob| takes the
  // image's stamp of now.
  static bool BlobUnchanged(TBlob& blob, int64_t descriptor_pos, const TMemoryStream* image);
  // Keeps |blob| for field |field_no| of record |record_no|. Decoded of an
  // entry keeps its address until the entry is replaced or the cache is
  // cleared.
  void StoreBlob(int field_no, int32_t record_no, int64_t descriptor_pos, TBlob blob);

  // Forgets everything.
  void Clear();
  // Bytes currently charged against the budget.
  size_t Bytes() const { return bytes_; }
  size_t Budget() const { return budget_; }

 private:
  struct TRecord {
    int32_t Size = 0;  // 0 = empty
    int32_t DataPos = 0;  // image positions are 32-bit
    uint64_t Stamp = 0;
    uint8_t* Bytes = nullptr;  // in arena_: stored image, then decoded image
  };
  struct TField {
    uint8_t Width = 0;
    uint8_t Stored[kMaxFieldWidth];
    uint8_t Decoded[kMaxFieldWidth];
  };
  struct TBlobSlot {
    int64_t DescriptorPos = 0;  // 0 = empty
    TBlob Blob;
  };
  struct TKey {
    uint8_t Width = 0;  // 0 = empty
    uint8_t Stored[kMaxKeyWidth];
    uint8_t Decoded[kMaxKeyWidth];
    int32_t Pos = 0;  // of the stored bytes (image positions are 32-bit)
    uint64_t Stamp = 0;
  };
  static constexpr size_t kEntryCharge = 64;  // map node and bookkeeping
  // Makes room for |bytes| more; drops everything when they do not fit.
  bool Reserve(size_t bytes);
  // The slot of |record_no| in |table| (grown by half again when short,
  // charged against the budget), or null when it does not fit. Growing may
  // clear the cache, |table| among it.
  template <class Slot>
  Slot* SlotFor(std::vector<Slot>& table, int32_t record_no);
  // |n| bytes of the record arena, or null when they do not fit.
  uint8_t* ArenaBytes(size_t n);
  static constexpr size_t kArenaBlock = size_t{1} << 20;

  size_t budget_;
  size_t bytes_ = 0;
  std::vector<TRecord> records_;  // by record number
  // Record images live in blocks of kArenaBlock bytes (larger images in
  // one of their own), filled in the order they are kept.
  std::vector<std::unique_ptr<uint8_t[]>> arena_;
  uint8_t* arena_next_ = nullptr;
  size_t arena_left_ = 0;
  std::unordered_map<int64_t, TField> fields_;
  std::vector<std::vector<TBlobSlot>> blobs_;  // by field number, then record number
  std::vector<std::vector<TKey>> keys_;  // by field number, then record number
};

}  // namespace tinydb
