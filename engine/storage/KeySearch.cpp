// Key order of table storage: comparing a key record with a listed record
// over an index, and the halving searches over a record list.
#include <cstring>

#include "platform/Errors.h"
#include "storage/TableIO.h"
#include "storage/ValueCompare.h"

namespace tinydb {

namespace {

bool IsTextType(int field_type) { return field_type == ftString || field_type == ftFixedChar; }

// Ends the value in |stream| with a NUL (texts are compared up to it); the
// stream keeps its capacity, so this allocates only when it grows.
const void* Terminated(TMemoryStream& stream) {
  const int64_t size = stream.Size();
  stream.SetSize(size + 1);
  stream.Memory()[size] = 0;
  return stream.Memory();
}

}  // namespace

int TTinyTableIO::CompareKeyRecord(TFieldBuffers& key, const TRecordListEntry& entry,
                                   int index_no, int field_count, bool partial) {
  RequireLoaded();
  const TTinyIndexDef& def = index_defs_.at(static_cast<size_t>(index_no));
  size_t fields = def.FieldNumbers.size();
  if (field_count > 0 && static_cast<size_t>(field_count) < fields)
    fields = static_cast<size_t>(field_count);
  const bool case_insensitive = (def.Options & tiCaseInsensitive) != 0;

  int result = 0;
  for (size_t k = 0; k < fields && result == 0; ++k) {
    const int field_no = def.FieldNumbers[k];
    if (field_no >= key.Count())
      throw EDatabaseError(FormatMessage(kFieldNumberOutOfRange, std::to_string(field_no)));
    const int field_type = field_defs_[static_cast<size_t>(field_no)].FieldType;
    // A record's image never moves, so the list entry's position is the
    // record tab's; blobs are read through their descriptor.
    if (IsBlobFieldType(field_type))
      ReadFieldValue(&stored_scratch_, entry.RecordNo, field_no);
    else
      ReadFixedValue(&stored_scratch_, entry.DataPos, field_no, entry.RecordNo);
    const void* stored = Terminated(stored_scratch_);

    const TFieldBufferItem& item = key.Items(field_no);
    const void* key_value = item.DataPointer();
    if (item.IsBlob() ||
        (IsTextType(field_type) &&
         (key_value == nullptr || item.Size <= 0 ||
          std::memchr(key_value, 0, static_cast<size_t>(item.Size)) == nullptr))) {
      // Blob values and texts filling their whole buffer get their NUL here.
      key_scratch_.SetSize(0);
      if (item.IsBlob()) {
        key_scratch_.SetSize(item.BlobStream() != nullptr ? item.BlobStream()->Size() : 0);
      } else {
        key_scratch_.SetSize(item.Size > 0 ? item.Size : 0);
      }
      if (key_scratch_.Size() > 0 && key_value != nullptr)
        std::memcpy(key_scratch_.Memory(), key_value, static_cast<size_t>(key_scratch_.Size()));
      key_value = Terminated(key_scratch_);
    }
    result = CompareKey(key_value, stored, field_type, case_insensitive, partial);
  }
  if ((def.Options & tiDescending) != 0) result = -result;
  return result;
}

TSearchResult TTinyTableIO::FindAnyMatch(const TRecordList& list, TFieldBuffers& key,
                                         int index_no, int field_count, bool partial) {
  TSearchResult result{-1, TSearchOutcome::EmptyList};
  int low = 0;
  int high = static_cast<int>(list.size()) - 1;
  while (low <= high) {
    result.Position = (low + high) / 2;
    const int c =
        CompareKeyRecord(key, list[static_cast<size_t>(result.Position)], index_no, field_count, partial);
    if (c == 0) {
      result.Outcome = TSearchOutcome::Equal;
      break;
    }
    if (c < 0) {
      result.Outcome = TSearchOutcome::KeyBefore;
      high = result.Position - 1;
    } else {
      result.Outcome = TSearchOutcome::KeyAfter;
      low = result.Position + 1;
    }
  }
  return result;
}

TSearchResult TTinyTableIO::FindBoundary(const TRecordList& list, TFieldBuffers& key,
                                         int index_no, int field_count, bool partial, bool first) {
  TSearchResult result{-1, TSearchOutcome::EmptyList};
  int low = 0;
  int high = static_cast<int>(list.size()) - 1;
  while (low <= high) {
    const int mid = (low + high) / 2;
    const int c = CompareKeyRecord(key, list[static_cast<size_t>(mid)], index_no, field_count, partial);
    if (c == 0) {
      result = {mid, TSearchOutcome::Equal};
      if (first)
        high = mid - 1;
      else
        low = mid + 1;
      continue;
    }
    // Once an equal entry is met, misses no longer move the result.
    if (result.Outcome != TSearchOutcome::Equal)
      result = {mid, c > 0 ? TSearchOutcome::KeyAfter : TSearchOutcome::KeyBefore};
    if (c > 0)
      low = mid + 1;
    else
      high = mid - 1;
  }
  return result;
}

int InsertionPositionFrom(const TSearchResult& found) {
  switch (found.Outcome) {
    case TSearchOutcome::Equal:
    case TSearchOutcome::KeyAfter: return found.Position + 1;
    case TSearchOutcome::KeyBefore: return found.Position;
    case TSearchOutcome::EmptyList: break;
  }
  return 0;
}

int TTinyTableIO::InsertionPosition(const TRecordList& list, TFieldBuffers& key, int index_no) {
  return InsertionPositionFrom(FindAnyMatch(list, key, index_no, 0, false));
}

}  // namespace tinydb
