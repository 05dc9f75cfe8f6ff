// Table storage: the storage side of one table of an open database. It
// loads the table's definitions and record tab, keeps the live records in
// memory as record lists (positions only; values stay in the image), reads
// whole records or single values through the decode steps of file access,
// and appends, updates and deletes records in the image, keeping every
// index's sort chain and record list in key order.
//
// Field values travel between a cursor and table storage in TFieldBuffers
// (storage/FieldBuffers.h).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/Streams.h"
#include "storage/BlobPrecoder.h"
#include "storage/BlobStream.h"
#include "storage/DecodedCache.h"
#include "storage/FieldBuffers.h"
#include "storage/Format.h"
#include "storage/RecordList.h"
#include "storage/TableStorageHost.h"
#include "storage/TinyDBFileIO.h"

namespace tinydb {

// Record lists (storage/RecordList.h): list 0 holds the live records in
// record-number order; list i + 1 holds them in the key order of index i.

// A field definition of a loaded table.
struct TTinyFieldDef {
  std::string Name;
  uint8_t FieldType = ftUnknown;
  int32_t FieldSize = 0;
  bool RawStorage = false;
};

// An index definition of a loaded table: its key fields by number, most
// significant first.
struct TTinyIndexDef {
  std::string Name;
  uint8_t Options = 0;  // TTDIndexOptions
  std::vector<int> FieldNumbers;
};

// Position of the first definition named |name| (ignoring case), or -1.
int IndexOfName(const std::vector<TTinyFieldDef>& defs, const std::string& name);
int IndexOfName(const std::vector<TTinyIndexDef>& defs, const std::string& name);

// The cursor's notification that a record list changes:
//   (-1, -1, -1, &entry)          once before a new record is linked;
//   (i, insert_pos, -1, &entry)   before it is inserted into index i's list;
//   (i, old_pos, new_pos, null)   when an update moves it within index i;
//                                 new_pos counts in the list before the
//                                 move (the record goes in front of the
//                                 entry now at new_pos), so afterwards it
//                                 stands at new_pos - 1 when new_pos >
//                                 old_pos, else at new_pos.
using TOnAdjust = std::function<void(int index_no, int a, int b, const TRecordListEntry* entry)>;

enum class TSearchOutcome { Equal, KeyBefore, KeyAfter, EmptyList };
// The last position a search examined (-1 for an empty list) and how the
// key compared with the entry there.
struct TSearchResult {
  int Position;
  TSearchOutcome Outcome;
};

// Where a new key goes, from a halving search's result over the same list:
// after the entry it met when equal or after, before it when before, 0 in an
// empty list.
int InsertionPositionFrom(const TSearchResult& found);

class TTinyTableIO {
 public:
  // |database| must outlive this object. Nothing is read until Load.
  TTinyTableIO(TTableStorageHost* database, const std::string& table_name);
  // Unloads.
  ~TTinyTableIO();
  TTinyTableIO(const TTinyTableIO&) = delete;
  TTinyTableIO& operator=(const TTinyTableIO&) = delete;

  // ---- Life cycle ----

  // Loads on the first call; counts calls.
  void Open();
  // Uncounts a call; unloads when the count reaches 0. Never below 0.
  void Close();
  // Reads the definitions, the record tab and every record list. Throws
  // "Table '%s' not found", "General error" for a field type without a
  // stored width, and the file access errors; on error nothing is loaded.
  void Load();
  // Forgets the definitions and the record lists.
  void Unload();
  int OpenCount() const { return open_count_; }
  bool Loaded() const { return loaded_; }

  const std::string& TableName() const { return table_name_; }
  // Number in the directory; -1 until loaded.
  int TableNo() const { return table_no_; }
  const std::vector<TTinyFieldDef>& FieldDefs() const { return field_defs_; }
  const std::vector<TTinyIndexDef>& IndexDefs() const { return index_defs_; }
  int RecordSize() const { return record_size_; }
  const TIntegerAry& FieldOffsets() const { return field_offsets_; }
  // Number of the first ftAutoInc field, or -1.
  int AutoIncField() const { return auto_inc_field_; }
  // The table header, kept in step with the image.
  const TTableHeader& Header() const { return *header_; }
  // Positions of the record tab chunks, and of index |index_no|'s tab
  // chunks, in chain order.
  const TIntegerAry& RecordTabChunks() const { return record_tab_chunks_; }
  const TIntegerAry& IndexTabChunks(int index_no) const;

  // Whether field |field_no|'s stored bytes are encrypted / compressed.
  // Throw the host's error when the database is not connected.
  bool FieldEncrypted(int field_no);
  bool FieldCompressed(int field_no);

  // ---- Records ----

  // Record list |list_no| (0 = physical order, i + 1 = index i); empty when
  // it was never built.
  TRecordList& GetRecordList(int list_no);
  // Fills list |list_no| unless it already exists; with |reread_record_tab|
  // the record tab is first read again from the image.
  void BuildRecordList(int list_no, bool reread_record_tab);
  // Reads the record at |pos| of |list| into the active items of |buffers|
  // (blob items get their load info; values load on first use).
  void ReadRecord(TFieldBuffers& buffers, const TRecordList& list, int pos);
  // Decodes field |field_no| of record |record_no| into |dest| (blobs whole).
  void ReadFieldValue(TMemoryStream* dest, int record_no, int field_no);
  // Stores |buffers| (every field) as a new record and links it into every
  // index. Throws "Invalid unique field value '%s'" before writing
  // anything when a primary or unique key is taken. Cuts texts first (as
  // PadStringBuffers), so the key checked is the key stored, and writes the
  // assigned auto-increment value into its buffer.
  void AppendRecord(TFieldBuffers& buffers, bool flush, const TOnAdjust& on_adjust);
  // Stores the active items of |buffers| into the record at |pos| of list 0
  // and moves it within every index whose order changes. Cuts texts and
  // checks unique keys first, as AppendRecord does.
  void UpdateRecord(TFieldBuffers& buffers, int pos, bool flush, const TOnAdjust& on_adjust);
  // A precoder for bulk inserts into this table (see storage/BlobPrecoder.h),
  // in a database opened with |password|.
  std::unique_ptr<TBlobPrecoder> NewBlobPrecoder(std::string_view password);
  // While set (not null), each AppendRecord takes the precoder's next
  // record and stores the encodings it holds for exactly the values
  // appended. |precoder| must outlive its use; set null when done.
  void SetBlobPrecoder(TBlobPrecoder* precoder) { precoder_ = precoder; }
  // Marks the record at |pos| of list 0 deleted and takes it out of every
  // record list; image, blobs and sort chains stay.
  void DeleteRecord(int pos, bool flush);
  // Cuts every text buffer to the text its field stores (one byte short of
  // the field's width, so a text filling its buffer loses its last byte)
  // and zeroes the rest of the buffer.
  void PadStringBuffers(TFieldBuffers& buffers);

  // ---- Index upkeep ----

  // Position in list |to| of the record at |pos| of list |from| (-1 = list
  // 0, else an index number); -1 when out of range or absent.
  int TranslatePosition(int from, int pos, int to);
  // Position in list 0 of the record at |pos| of |list|, or -1.
  int PhysicalPosition(const TRecordList& list, int pos);
  // Position in |target| of the record at |pos| of index |index_no|'s list,
  // or -1; |pos| itself when |target| is that list.
  int PositionInList(int index_no, int pos, const TRecordList& target);
  // The first index with tiPrimary, or -1.
  int PrimaryIndexNo() const;

  // ---- Key order and searches ----
  // A key record is a TFieldBuffers with one item per table field; only the
  // key fields of the index are read.

  // Compares |key| with the listed record |entry| over index |index_no|'s
  // key fields (the first |field_count| when > 0): -1, 0 or 1 in the
  // index's order.
  int CompareKeyRecord(TFieldBuffers& key, const TRecordListEntry& entry, int index_no,
                       int field_count, bool partial);
  // Halving search; with duplicates, the first equal entry it meets.
  TSearchResult FindAnyMatch(const TRecordList& list, TFieldBuffers& key, int index_no,
                             int field_count, bool partial);
  // Halving search for the first (or last) equal entry.
  TSearchResult FindBoundary(const TRecordList& list, TFieldBuffers& key, int index_no,
                             int field_count, bool partial, bool first);
  // Where a record with |key| goes in |list|: after the equal entry the
  // halving meets first, else in key order.
  int InsertionPosition(const TRecordList& list, TFieldBuffers& key, int index_no);

 private:
  class FileLockHold;

  TTinyDBFileIO& FileIO() { return database_->FileIO(); }
  void RequireLoaded() const;
  void RequireBuffers(const TFieldBuffers& buffers) const;
  TRecordList& ListOf(int index_no);  // -1 = list 0
  int64_t HeaderPos();
  int64_t RecordItemPos(int32_t record_no) const;
  int64_t IndexItemPos(int index_no, int32_t record_no) const;
  TIndexTabItem ReadIndexItem(int index_no, int32_t record_no);
  // Decodes fixed-width field |field_no| of the record image at |data_pos|
  // into |dest|; |record_no| (when >= 0) is the record's number, under
  // which small decoded values are kept for key searches.
  void ReadFixedValue(TMemoryStream* dest, int32_t data_pos, int field_no,
                      int32_t record_no = -1);
  void WriteIndexItem(int index_no, const TIndexTabItem& item);
  // Writes the whole table header from Header().
  void WriteHeader();
  // Appends a zero-filled tab chunk of |size| bytes at the end of the image
  // and links it after |chunks| (chain order); returns its position.
  int32_t AppendTabChunk(TIntegerAry& chunks, int size, const TRecordTabItem* first_item);
  // Encodes blob item |item|'s value (the empty value when it has no
  // stream) into |stored| as field |field_no| is stored.
  void EncodeBlob(TFieldBufferItem& item, int field_no, TMemoryStream& stored);
  // The encoding |precoded| holds for blob item |item| of field |field_no|,
  // when it encoded exactly that value with the field's steps; else null.
  const std::vector<uint8_t>* PrecodedBlob(const TBlobPrecoder::TRecord* precoded,
                                           TFieldBufferItem& item, int field_no);
  // Writes field |field_no|'s blob, already encoded in |stored|, followed
  // by its zero padding at |pos| (verified when asked).
  void WriteBlob(TFieldBufferItem& item, int field_no, int64_t pos, TMemoryStream& stored);
  // The plain bytes of a fixed-width field, |width| of them, from |item|.
  void PlainFixedField(const TFieldBufferItem& item, int field_no, uint8_t* dest);
  // The same, encoded as the field is stored.
  void EncodeFixedField(const TFieldBufferItem& item, int field_no, uint8_t* dest);
  // True when blob item |item| of field |field_no| of record |record_no|,
  // whose descriptor |blob| lies at |descriptor_pos|, would store exactly the bytes its block
  // already holds: the tracked image still holds this engine's encoding of
  // the cached value, and the value to store is that value.
  bool BlobKeepsItsBytes(TFieldBufferItem& item, int field_no, int32_t record_no,
                         int64_t descriptor_pos, const TBlobDescriptor& blob,
                         const TMemoryStream* tracked);
  // True when the block of |blob| (descriptor at |descriptor_pos|) still
  // holds the bytes this table storage wrote there as a value's encoding.
  bool BlockHoldsItsEncoding(int64_t descriptor_pos, const TBlobDescriptor& blob,
                             const TMemoryStream* tracked);
  // Notes that the block of |blob| now holds |stored|, the encoding just
  // written there, and its padding.
  void NoteEncodedBlock(int64_t descriptor_pos, const TBlobDescriptor& blob,
                        const TMemoryStream& stored, const TMemoryStream* tracked);
  // Notes the blob just written (|stored| being its encoding) for the cache,
  // once the record image is written.
  void KeepEncodedBlob(TFieldBufferItem& item, int field_no, int64_t descriptor_pos,
                       const TBlobDescriptor& blob, const TMemoryStream& stored);
  // Throws "Invalid unique field value '%s'" when a primary or unique
  // index already holds |buffers|' key in another record than the one at
  // |own_pos| of list 0 (-1: any record).
  // |searches|, when given, gets each index's search result (Position
  // kNotSearched for an index that is not unique).
  // |kept_keys|, when given, marks (by index) the keys an update leaves as
  // they are stored: the record itself holds such a key, so it is not
  // looked for.
  void CheckUnique(TFieldBuffers& buffers, int own_pos,
                   std::vector<TSearchResult>* searches = nullptr,
                   const std::vector<char>* kept_keys = nullptr);
  // Marks in |kept| (by index) the keys whose every field is fixed-width and
  // has in |buffers| the plain bytes of |old_plain|, the decoded image of
  // the record being updated.
  void FindKeptKeys(TFieldBuffers& buffers, const uint8_t* old_plain, std::vector<char>& kept);
  static constexpr int kNotSearched = -2;
  std::string KeyText(TFieldBuffers& buffers, int index_no) const;

  // |searches|: results of CheckUnique for the same key, reused as the
  // insertion place where an index was searched.
  void InsertIntoIndexes(TFieldBuffers& buffers, int32_t data_pos, int32_t record_no,
                         const TOnAdjust& on_adjust,
                         const std::vector<TSearchResult>* searches = nullptr);
  // An index of |kept_keys| (see CheckUnique) that is unique keeps the
  // record where it is: among keys that differ, its own key leads back to
  // its own place.
  void RepositionInIndexes(TFieldBuffers& buffers, int pos, const TOnAdjust& on_adjust,
                           const std::vector<char>* kept_keys = nullptr);
  void RemoveFromIndexes(int pos);
  // The position in every index list of the record at |pos| of list 0
  // (-1 where absent), all taken before any list changes.
  std::vector<int> PositionsInIndexes(int pos);

  TTableStorageHost* database_;
  int open_count_ = 0;
  std::string table_name_;
  int table_no_ = -1;
  bool loaded_ = false;
  std::vector<TTinyFieldDef> field_defs_;
  std::vector<TTinyIndexDef> index_defs_;
  int record_size_ = 0;
  TIntegerAry field_offsets_;
  TIntegerAry field_widths_;
  int auto_inc_field_ = -1;
  std::unique_ptr<TTableHeader> header_;
  TRecordTabItems record_tab_;
  TIntegerAry record_tab_chunks_;
  std::vector<TIntegerAry> index_tab_chunks_;
  std::vector<std::unique_ptr<TRecordList>> record_lists_;
  TRecordList no_list_;  // handed out for a list that was never built
  std::vector<uint8_t> record_image_;  // scratch for one record image
  std::vector<uint8_t> decoded_image_;  // scratch for its decoded fields
  std::shared_ptr<TDecodedCache> decoded_cache_;
  // Scratch for key comparisons, reused so a search allocates nothing.
  TMemoryStream stored_scratch_;
  TMemoryStream key_scratch_;
  // Scratch of AppendRecord: the record image, its decoded image, one
  // encoded blob, and the unique checks' searches.
  std::vector<uint8_t> write_image_;
  std::vector<uint8_t> append_plain_;
  TMemoryStream stored_value_;
  // Scratch of UpdateRecord: the decoded record image, one field's plain
  // bytes, and the blobs written, kept for the cache.
  std::vector<uint8_t> update_plain_;
  std::vector<uint8_t> field_plain_;
  struct TKeptBlob {
    int FieldNo;
    int64_t DescriptorPos;
    TDecodedCache::TBlob Blob;
  };
  std::vector<TKeptBlob> kept_blobs_;
  std::vector<TSearchResult> unique_searches_;
  std::vector<char> kept_keys_;
  TBlobPrecoder* precoder_ = nullptr;

  // Blocks of a tracked image this table storage wrote as the encoding of a
  // value, by the position of their descriptor: the stored bytes, the
  // padding written after them, and the image's change stamp when they were
  // last known to be there. While a block still holds them, an update that
  // stores the block's own value (one never loaded since the record was
  // read) keeps the block as it is: encoding that value again would give
  // the same bytes. Kept apart from the decoded cache, as they hold no
  // decoded value and make a mark cheap however large the table; bounded
  // the same way.
  struct TEncodedBlock {
    int32_t BlobPos = 0;
    int32_t Written = 0;
    uint64_t Stamp = 0;
    std::vector<uint8_t> Stored;
  };
  static constexpr size_t kEncodedBlocksBudget = size_t{64} << 20;
  static constexpr size_t kEncodedBlockCharge = 96;  // map node and bookkeeping
  std::unordered_map<int64_t, TEncodedBlock> encoded_blocks_;
  size_t encoded_blocks_bytes_ = 0;
};

}  // namespace tinydb
