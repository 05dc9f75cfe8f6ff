// Field values as they travel between a cursor and table storage: one
// item per table field, in field-number order, each the value in its native
// form (a blob field's in its blob stream), and their texts for messages.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "storage/BlobStream.h"

namespace tinydb {

// One field's value in a TFieldBuffers. For a blob type Buffer is the
// value's TOptimBlobStream; otherwise it is Size bytes of the value in its
// native form.
class TFieldBufferItem {
 public:
  TFieldBufferItem(void* buffer, int field_type, int size);
  // With OwnsBuffer: deletes the blob stream, or the memory (allocated with
  // new uint8_t[]) for other types.
  ~TFieldBufferItem();
  TFieldBufferItem(const TFieldBufferItem&) = delete;
  TFieldBufferItem& operator=(const TFieldBufferItem&) = delete;

  void* Buffer;
  uint8_t FieldType;
  int32_t Size;
  bool OwnsBuffer = false;
  // Only active items are read by ReadRecord and written by UpdateRecord.
  bool Active = true;

  bool IsBlob() const;
  // The blob stream of a blob type; null for other types.
  TOptimBlobStream* BlobStream() const;
  // The value's bytes: the (loaded) stream's memory for blob types, else
  // Buffer. May be null for an empty blob.
  const uint8_t* DataPointer() const;
  // The value as text for messages: strings as they are, integer kinds in
  // decimal, booleans "True"/"False", floats in their shortest exact form,
  // dates "YYYY-MM-DD", times "HH:MM:SS", date-times both joined by a
  // blank, blobs as their bytes; anything else (or a value that does not
  // convert) "".
  std::string AsText() const;
};

// The buffers of one record operation, one item per field in field order.
class TFieldBuffers {
 public:
  // Adds an item; for a blob type |buffer| is the field's TOptimBlobStream*.
  void Add(void* buffer, int field_type, int size);
  int Count() const { return static_cast<int>(items_.size()); }
  // Item |i| (0 <= i < Count()); references stay valid until Clear.
  TFieldBufferItem& Items(int i) { return *items_[static_cast<size_t>(i)]; }
  const TFieldBufferItem& Items(int i) const { return *items_[static_cast<size_t>(i)]; }
  // Destroys all items.
  void Clear() { items_.clear(); }

 private:
  std::vector<std::unique_ptr<TFieldBufferItem>> items_;
};

}  // namespace tinydb
