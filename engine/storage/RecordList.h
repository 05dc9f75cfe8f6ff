// Record lists: the ordered lists of {image position, record number} that
// table storage and cursors keep for every order of a table.
//
// A list is a tiered vector: entries live in blocks of kBlockSize slots,
// each block a ring with its own head. Reading entry i is two shifts and a
// mask; inserting or erasing in the middle moves at most one block's
// entries plus one entry per later block, so keeping a list of n records in
// key order costs O(sqrt n) per change instead of O(n).
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <iterator>
#include <type_traits>
#include <vector>

namespace tinydb {

// One entry of a record list: where the record image lies, and the record's
// number in its table.
struct TRecordListEntry {
  int32_t DataPos;
  int32_t RecordNo;
};

inline bool operator==(const TRecordListEntry& a, const TRecordListEntry& b) {
  return a.DataPos == b.DataPos && a.RecordNo == b.RecordNo;
}

// An ordered list of record list entries with cheap positional insert and
// erase. Positions are 0 .. size() - 1, as in a vector.
class TRecordList {
 public:
  using value_type = TRecordListEntry;
  using size_type = size_t;
  using difference_type = std::ptrdiff_t;
  using reference = TRecordListEntry&;
  using const_reference = const TRecordListEntry&;

  // Random-access position in a list; stays meaningful as a position (not
  // as an element) across inserts and erases.
  template <bool Const>
  class Iterator {
   public:
    using iterator_category = std::random_access_iterator_tag;
    using value_type = TRecordListEntry;
    using difference_type = std::ptrdiff_t;
    using List = std::conditional_t<Const, const TRecordList, TRecordList>;
    using reference = std::conditional_t<Const, const TRecordListEntry&, TRecordListEntry&>;
    using pointer = std::conditional_t<Const, const TRecordListEntry*, TRecordListEntry*>;

    Iterator() = default;
    Iterator(List* list, size_t pos) : list_(list), pos_(pos) {}
    // A mutable position converts to a read-only one.
    operator Iterator<true>() const { return Iterator<true>(list_, pos_); }

    reference operator*() const { return (*list_)[pos_]; }
    pointer operator->() const { return &(*list_)[pos_]; }
    reference operator[](difference_type n) const { return (*list_)[pos_ + n]; }
    Iterator& operator++() { ++pos_; return *this; }
    Iterator operator++(int) { Iterator old = *this; ++pos_; return old; }
    Iterator& operator--() { --pos_; return *this; }
    Iterator operator--(int) { Iterator old = *this; --pos_; return old; }
    Iterator& operator+=(difference_type n) { pos_ += n; return *this; }
    Iterator& operator-=(difference_type n) { pos_ -= n; return *this; }
    friend Iterator operator+(Iterator it, difference_type n) { return it += n; }
    friend Iterator operator+(difference_type n, Iterator it) { return it += n; }
    friend Iterator operator-(Iterator it, difference_type n) { return it -= n; }
    friend difference_type operator-(const Iterator& a, const Iterator& b) {
      return static_cast<difference_type>(a.pos_) - static_cast<difference_type>(b.pos_);
    }
    friend bool operator==(const Iterator& a, const Iterator& b) { return a.pos_ == b.pos_; }
    friend bool operator!=(const Iterator& a, const Iterator& b) { return a.pos_ != b.pos_; }
    friend bool operator<(const Iterator& a, const Iterator& b) { return a.pos_ < b.pos_; }
    friend bool operator>(const Iterator& a, const Iterator& b) { return a.pos_ > b.pos_; }
    friend bool operator<=(const Iterator& a, const Iterator& b) { return a.pos_ <= b.pos_; }
    friend bool operator>=(const Iterator& a, const Iterator& b) { return a.pos_ >= b.pos_; }

    size_t Position() const { return pos_; }

   private:
    List* list_ = nullptr;
    size_t pos_ = 0;
  };
  using iterator = Iterator<false>;
  using const_iterator = Iterator<true>;

  TRecordList() = default;
  template <typename InputIt>
  TRecordList(InputIt first, InputIt last) {
    assign(first, last);
  }
  TRecordList(std::initializer_list<TRecordListEntry> entries) {
    assign(entries.begin(), entries.end());
  }

  size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }

  // Entry |i| (0 <= i < size()). Writable access forgets where records
  // were seen (the entry may be given another record number).
  TRecordListEntry& operator[](size_t i) {
    places_known_ = false;
    return slots_[SlotOf(i)];
  }
  const TRecordListEntry& operator[](size_t i) const { return slots_[SlotOf(i)]; }
  TRecordListEntry& front() { return (*this)[0]; }
  const TRecordListEntry& front() const { return (*this)[0]; }
  TRecordListEntry& back() { return (*this)[size_ - 1]; }
  const TRecordListEntry& back() const { return (*this)[size_ - 1]; }

  iterator begin() { return iterator(this, 0); }
  iterator end() { return iterator(this, size_); }
  const_iterator begin() const { return const_iterator(this, 0); }
  const_iterator end() const { return const_iterator(this, size_); }
  const_iterator cbegin() const { return begin(); }
  const_iterator cend() const { return end(); }

  void push_back(const TRecordListEntry& entry);
  // Inserts |entry| in front of the entry at |pos| (at the end when |pos|
  // is end()); returns its position.
  iterator insert(const_iterator pos, const TRecordListEntry& entry);
  // Removes the entry at |pos|; returns the position that now follows it.
  iterator erase(const_iterator pos);
  // Takes the entry at |from| out and puts it back so that it ends at
  // |to| (both < size()); costs an erase and an insert, whatever the
  // distance.
  void Move(size_t from, size_t to);
  void clear();
  // Replaces the entries with those of [first, last).
  template <typename InputIt>
  void assign(InputIt first, InputIt last) {
    clear();
    for (; first != last; ++first) push_back(*first);
  }
  // Makes room for |count| entries without further allocation.
  void reserve(size_t count);
  // Gives back the room of blocks no entry uses.
  void shrink_to_fit();
  void swap(TRecordList& other) noexcept;

  // Position of the first entry with record number |record_no|, or -1.
  // Served in constant time from a map of record numbers to slots when the
  // list holds every record number once (built in one pass on first use,
  // then kept by every insert, erase and move); a scan otherwise.
  int IndexOfRecord(int32_t record_no) const;

  friend bool operator==(const TRecordList& a, const TRecordList& b);

 private:
  static constexpr size_t kBlockShift = 9;
  static constexpr size_t kBlockSize = size_t{1} << kBlockShift;  // 4 KiB of entries
  static constexpr size_t kBlockMask = kBlockSize - 1;

  size_t SlotOf(size_t i) const {
    const size_t block = i >> kBlockShift;
    return (block << kBlockShift) | ((heads_[block] + i) & kBlockMask);
  }
  size_t Blocks() const { return heads_.size(); }
  // Adds an empty block when every slot is taken.
  void MakeRoomForOne();
  // Makes room in the map of places for a new |entry|; drops the map when
  // the entry's record is listed already or its number is out of reach.
  void NotePlace(const TRecordListEntry& entry);
  // Writes |entry| to |slot| and notes the slot in the map of places.
  void Put(size_t slot, const TRecordListEntry& entry);
  // Rebuilds the map of places; false when it cannot serve lookups.
  bool BuildPlaces() const;
  int ScanForRecord(int32_t record_no) const;

  std::vector<TRecordListEntry> slots_;  // Blocks() * kBlockSize slots
  std::vector<uint32_t> heads_;          // slot of each block's first entry
  size_t size_ = 0;

  // Map of places: record number -> slot of its entry, -1 for a record not
  // listed. A slot stays put while other entries move, except for the few
  // entries an insert or erase shifts, and those are rewritten through
  // Put; a slot's position follows from its block's head. Valid while
  // |places_known_|: every record number is listed at most once and no
  // entry was rewritten through writable operator[].
  mutable std::vector<int32_t> places_;
  mutable bool places_known_ = false;
  // The last rebuild met a record number it cannot map (listed twice,
  // negative or far off); no rebuild until the entries change.
  mutable bool places_refused_ = false;
};

inline void swap(TRecordList& a, TRecordList& b) noexcept { a.swap(b); }

}  // namespace tinydb
