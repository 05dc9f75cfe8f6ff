#include "storage/RecordList.h"

#include <algorithm>
#include <utility>

namespace tinydb {

void TRecordList::MakeRoomForOne() {
  if (size_ < (Blocks() << kBlockShift)) return;
  slots_.resize(slots_.size() + kBlockSize);
  heads_.push_back(0);
}

void TRecordList::NotePlace(const TRecordListEntry& entry) {
  if (!places_known_) return;
  const int32_t r = entry.RecordNo;
  if (r < 0 || static_cast<size_t>(r) >= places_.size()) {
    // Grows the map for a new record number; far-off numbers drop it.
    if (r < 0 || static_cast<size_t>(r) > 2 * places_.size() + 65536) {
      places_known_ = false;
      return;
    }
    places_.resize(static_cast<size_t>(r) + 1, -1);
  }
  if (places_[static_cast<size_t>(r)] >= 0) {
    // The record is listed already: a second entry for it.
    places_known_ = false;
  }
}

void TRecordList::Put(size_t slot, const TRecordListEntry& entry) {
  slots_[slot] = entry;
  if (places_known_) places_[static_cast<size_t>(entry.RecordNo)] = static_cast<int32_t>(slot);
}

void TRecordList::push_back(const TRecordListEntry& entry) {
  MakeRoomForOne();
  places_refused_ = false;
  NotePlace(entry);
  Put(SlotOf(size_), entry);
  ++size_;
}

TRecordList::iterator TRecordList::insert(const_iterator pos, const TRecordListEntry& entry) {
  const size_t p = pos.Position();
  const size_t n = size_;
  if (p >= n) {
    push_back(entry);
    return iterator(this, n);
  }
  NotePlace(entry);
  places_refused_ = false;
  MakeRoomForOne();
  const size_t first_block = p >> kBlockShift;
  // Every later block hands its predecessor's last entry to its own front;
  // the block that gets the new slot n is the last one touched.
  for (size_t b = n >> kBlockShift; b > first_block; --b) {
    const size_t from = ((b - 1) << kBlockShift) | ((heads_[b - 1] + kBlockMask) & kBlockMask);
    heads_[b] = (heads_[b] - 1) & kBlockMask;
    Put((b << kBlockShift) | heads_[b], slots_[from]);
  }
  // Block first_block now has a free slot at offset |free| (its last
  // entry moved on, or it was the partly filled last block).
  const size_t base = first_block << kBlockShift;
  const size_t offset = p & kBlockMask;
  const size_t free = std::min(n, base + kBlockSize - 1) - base;
  uint32_t& head = heads_[first_block];
  auto slot = [&](size_t k) { return base | ((head + k) & kBlockMask); };
  if (offset < free - offset) {
    // Move the entries in front one slot towards the block's start.
    head = (head - 1) & kBlockMask;
    for (size_t k = 0; k < offset; ++k) Put(slot(k), slots_[slot(k + 1)]);
  } else {
    for (size_t k = free; k > offset; --k) Put(slot(k), slots_[slot(k - 1)]);
  }
  Put(slot(offset), entry);
  ++size_;
  return iterator(this, p);
}

TRecordList::iterator TRecordList::erase(const_iterator pos) {
  const size_t p = pos.Position();
  const size_t n = size_;
  if (p >= n) return end();
  places_refused_ = false;
  if (places_known_) places_[static_cast<size_t>(slots_[SlotOf(p)].RecordNo)] = -1;
  const size_t first_block = p >> kBlockShift;
  const size_t last_block = (n - 1) >> kBlockShift;
  const size_t base = first_block << kBlockShift;
  const size_t offset = p & kBlockMask;
  const size_t count = std::min(n, base + kBlockSize) - base;  // entries in the block
  {
    uint32_t& head = heads_[first_block];
    auto slot = [&](size_t k) { return base | ((head + k) & kBlockMask); };
    if (offset < count - 1 - offset) {
      for (size_t k = offset; k > 0; --k) Put(slot(k), slots_[slot(k - 1)]);
      head = (head + 1) & kBlockMask;
    } else {
      for (size_t k = offset; k + 1 < count; ++k) Put(slot(k), slots_[slot(k + 1)]);
    }
  }
  // Every later block hands its first entry to its predecessor's end.
  for (size_t b = first_block + 1; b <= last_block; ++b) {
    const size_t to = ((b - 1) << kBlockShift) | ((heads_[b - 1] + kBlockMask) & kBlockMask);
    Put(to, slots_[(b << kBlockShift) | heads_[b]]);
    heads_[b] = (heads_[b] + 1) & kBlockMask;
  }
  --size_;
  return iterator(this, p);
}

void TRecordList::Move(size_t from, size_t to) {
  if (from >= size_ || to >= size_ || from == to) return;
  const TRecordListEntry moved = slots_[SlotOf(from)];
  erase(begin() + static_cast<difference_type>(from));
  insert(begin() + static_cast<difference_type>(to), moved);
}

void TRecordList::clear() {
  slots_.clear();
  heads_.clear();
  size_ = 0;
  places_.clear();
  places_known_ = false;
  places_refused_ = false;
}

void TRecordList::reserve(size_t count) {
  const size_t blocks = (count + kBlockMask) >> kBlockShift;
  slots_.reserve(blocks << kBlockShift);
  heads_.reserve(blocks);
}

void TRecordList::shrink_to_fit() {
  const size_t blocks = (size_ + kBlockMask) >> kBlockShift;
  slots_.resize(blocks << kBlockShift);
  heads_.resize(blocks);
  slots_.shrink_to_fit();
  heads_.shrink_to_fit();
}

void TRecordList::swap(TRecordList& other) noexcept {
  slots_.swap(other.slots_);
  heads_.swap(other.heads_);
  std::swap(size_, other.size_);
  places_.swap(other.places_);
  std::swap(places_known_, other.places_known_);
  std::swap(places_refused_, other.places_refused_);
}

bool TRecordList::BuildPlaces() const {
  if (places_refused_) return false;
  places_known_ = false;
  places_refused_ = true;  // until the pass below completes
  int32_t top = -1;
  for (size_t i = 0; i < size_; ++i) {
    const int32_t r = slots_[SlotOf(i)].RecordNo;
    if (r < 0) return false;
    top = std::max(top, r);
  }
  if (static_cast<size_t>(top) + 1 > 4 * size_ + 65536) return false;
  places_.assign(static_cast<size_t>(top) + 1, -1);
  for (size_t i = 0; i < size_; ++i) {
    const size_t slot = SlotOf(i);
    int32_t& place = places_[static_cast<size_t>(slots_[slot].RecordNo)];
    if (place >= 0) return false;  // listed twice: only a scan finds the first
    place = static_cast<int32_t>(slot);
  }
  places_known_ = true;
  places_refused_ = false;
  return true;
}

int TRecordList::IndexOfRecord(int32_t record_no) const {
  if (places_known_ || BuildPlaces()) {
    if (record_no < 0 || static_cast<size_t>(record_no) >= places_.size()) return -1;
    const int32_t slot = places_[static_cast<size_t>(record_no)];
    if (slot < 0) return -1;
    const size_t block = static_cast<size_t>(slot) >> kBlockShift;
    const size_t pos = (block << kBlockShift) | ((static_cast<size_t>(slot) - heads_[block]) & kBlockMask);
    if (pos < size_ && slots_[static_cast<size_t>(slot)].RecordNo == record_no)
      return static_cast<int>(pos);
    places_known_ = false;  // not reached while the map is kept exact
  }
  return ScanForRecord(record_no);
}

int TRecordList::ScanForRecord(int32_t record_no) const {
  for (size_t b = 0; (b << kBlockShift) < size_; ++b) {
    const size_t base = b << kBlockShift;
    const size_t count = std::min(size_ - base, kBlockSize);
    const uint32_t head = heads_[b];
    for (size_t k = 0; k < count; ++k)
      if (slots_[base | ((head + k) & kBlockMask)].RecordNo == record_no)
        return static_cast<int>(base + k);
  }
  return -1;
}

bool operator==(const TRecordList& a, const TRecordList& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (!(a[i] == b[i])) return false;
  return true;
}

}  // namespace tinydb
