// tdb check: walks every structure of a database image (table headers,
// record and index tabs, sort chains, record images, blob blocks) and
// reports everything that breaks the layout and growth rules the engine
// relies on.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "Commands.h"
#include "platform/Codepage.h"
#include "platform/Errors.h"
#include "platform/Streams.h"
#include "storage/Format.h"
#include "storage/TinyDBFileIO.h"
#include "storage/ValueCompare.h"

namespace tdb {

namespace {

using tinydb::TTinyDBFileIO;

// Problems of one kind shown before the rest are only counted.
constexpr int kShownPerKind = 10;

std::string Num(int64_t v) { return std::to_string(v); }

// A name from the image, quoted for the terminal.
std::string Quoted(const std::string& cp1252) {
  std::string quoted = "'";
  quoted += tinydb::Cp1252ToUtf8(cp1252);
  quoted += '\'';
  return quoted;
}

// The names met so far, compared as the engine compares names.
class TNameSet {
 public:
  // Adds |name|; false when an equal name ignoring case is already there.
  bool Insert(const std::string& name) {
    for (const std::string& known : names_)
      if (tinydb::SameText(known, name)) return false;
    names_.push_back(name);
    return true;
  }
  void Clear() { names_.clear(); }

 private:
  std::vector<std::string> names_;
};

// The problems found, in the order found. A kind groups problems that
// repeat per record, so a badly damaged image does not bury the rest.
class TProblemList {
 public:
  void Add(const std::string& kind, const std::string& text) {
    int& count = counts_[kind];
    if (++count <= kShownPerKind) lines_.push_back(text);
  }
  bool Empty() const { return counts_.empty(); }
  void Print() const {
    for (const std::string& line : lines_) std::printf("%s\n", line.c_str());
    for (const auto& [kind, count] : counts_)
      if (count > kShownPerKind)
        std::printf("%s: %d more like this\n", kind.c_str(), count - kShownPerKind);
  }

 private:
  std::vector<std::string> lines_;
  std::map<std::string, int> counts_;
};

// A byte range of the image that exactly one structure may use.
struct TExtent {
  int64_t Pos;
  int64_t Size;
  std::string What;
};

// Checks one table: its definitions, record tab, record images, blob
// blocks, index tabs and sort chains, and (when values can be decoded)
// the stored values and the key order of every index.
class TTableChecker {
 public:
  TTableChecker(TTinyDBFileIO& file, const tinydb::TTableHeader& header, bool values_readable,
                TProblemList& problems, std::vector<TExtent>& extents)
      : file_(file),
        header_(header),
        values_readable_(values_readable),
        problems_(problems),
        extents_(extents),
        image_size_(file.ImageSize()),
        table_("table " + Quoted(tinydb::FixedTextToString(header.TableName))) {}

  void Run() {
    if (!CheckDefinitions()) return;
    if (!CheckCounters()) return;
    if (header_.RecordCount == 0) return;
    if (!ReadRecordTab()) return;
    CheckRecords();
    for (int i = 0; i < header_.IndexCount; ++i) CheckIndex(i);
  }

 private:
  void Problem(const std::string& kind, const std::string& text) {
    problems_.Add(table_ + ": " + kind, table_ + ": " + text);
  }

  std::string FieldName(int f) const {
    return "field " + Quoted(tinydb::FixedTextToString(header_.FieldDefs[f].FieldName));
  }
  std::string IndexName(int i) const {
    return "index " + Quoted(tinydb::FixedTextToString(header_.IndexDefs[i].IndexName));
  }
  static std::string Record(int32_t k) { return "record " + Num(k); }

  bool InsideImage(int64_t pos, int64_t size) const {
    return pos >= tinydb::kFixedPartSize && size >= 0 && pos <= image_size_ - size;
  }

  // ---- Definitions and counters ----

  // False when the record layout cannot be worked out.
  bool CheckDefinitions() {
    bool usable = true;
    if (header_.FieldCount < 0 || header_.FieldCount > tinydb::kMaxFieldCount) {
      Problem("definitions", "field count " + Num(header_.FieldCount) + " is out of range");
      return false;
    }
    if (header_.IndexCount < 0 || header_.IndexCount > tinydb::kMaxIndexCount) {
      Problem("definitions", "index count " + Num(header_.IndexCount) + " is out of range");
      return false;
    }
    TNameSet names;
    int64_t offset = 0;
    for (int f = 0; f < header_.FieldCount; ++f) {
      const tinydb::TFieldDefEntry& field = header_.FieldDefs[f];
      if (!names.Insert(tinydb::FixedTextToString(field.FieldName)))
        Problem("definitions", FieldName(f) + " is defined twice");
      const bool text = field.FieldType == tinydb::ftString || field.FieldType == tinydb::ftFixedChar;
      const int width = tinydb::StoredFieldWidth(field.FieldType, text ? field.FieldSize : 0);
      if (text && field.FieldSize < 0) {
        Problem("definitions", FieldName(f) + " has the size " + Num(field.FieldSize));
        usable = false;
      } else if (width <= 0) {
        Problem("definitions", FieldName(f) + " has the type code " + Num(field.FieldType) +
                                   ", which a table cannot store");
        usable = false;
      }
      offsets_.push_back(offset);
      widths_.push_back(width);
      if (field.FieldType == tinydb::ftAutoInc && autoinc_field_ < 0) autoinc_field_ = f;
      offset += std::max(width, 0);
    }
    record_size_ = offset;

    names.Clear();
    for (int i = 0; i < header_.IndexCount; ++i) {
      const tinydb::TIndexDefEntry& index = header_.IndexDefs[i];
      if (!names.Insert(tinydb::FixedTextToString(index.IndexName)))
        Problem("definitions", IndexName(i) + " is defined twice");
      if (index.KeyFieldCount() == 0) Problem("definitions", IndexName(i) + " has no key field");
      for (int k = 0; k < index.KeyFieldCount(); ++k) {
        const int32_t f = index.FieldIndexes[k];
        if (f < 0 || f >= header_.FieldCount) {
          Problem("definitions", IndexName(i) + " names field number " + Num(f) +
                                     ", which does not exist");
          usable = false;
        }
      }
    }
    return usable;
  }

  // False when the record tab cannot be located.
  bool CheckCounters() {
    const int32_t n = header_.RecordCount;
    if (n < 0) {
      Problem("counters", "record count " + Num(n) + " is negative");
      return false;
    }
    if (header_.AutoIncValue < 0)
      Problem("counters", "auto-increment value " + Num(header_.AutoIncValue) + " is negative");
    if (n == 0) {
      // A table that never held a record has no tabs at all.
      if (header_.RecordTabPos != 0)
        Problem("counters", "has no records but its record tab starts at " +
                                Num(header_.RecordTabPos));
      for (int i = 0; i < header_.IndexCount; ++i) {
        const tinydb::TIndexDefEntry& index = header_.IndexDefs[i];
        if (index.IndexTabPos != 0 || index.ChainHead != 0)
          Problem("counters", IndexName(i) + " has an index tab (at " + Num(index.IndexTabPos) +
                                  ", chain head " + Num(index.ChainHead) +
                                  ") but the table has no records");
      }
      return true;
    }
    if (header_.RecordTabPos == 0) {
      Problem("counters", "has " + Num(n) + " records but no record tab");
      return false;
    }
    return true;
  }

  // ---- Tabs ----

  // Follows a tab chain from |first| and returns the bytes of the chunks
  // the record count needs, in chain order. Reports and returns false
  // when the chain leaves the image, loops or ends too early.
  bool ReadTabChain(const std::string& tab, int32_t first, int chunk_size, int item_size,
                    std::vector<std::vector<uint8_t>>& chunks, std::vector<int32_t>& positions) {
    const int32_t n = header_.RecordCount;
    const int64_t needed = (int64_t{n} + tinydb::kTabChunkItems - 1) / tinydb::kTabChunkItems;
    std::set<int32_t> visited;
    int32_t pos = first;
    for (int64_t c = 0; c < needed; ++c) {
      const std::string chunk = tab + " chunk " + Num(c) + " at " + Num(pos);
      if (!InsideImage(pos, chunk_size)) {
        Problem(tab, chunk + " lies outside the image");
        return false;
      }
      if (!visited.insert(pos).second) {
        Problem(tab, tab + " chain returns to the chunk at " + Num(pos));
        return false;
      }
      // Chunks are appended as records arrive, so the chain only moves on.
      if (!positions.empty() && pos < positions.back())
        Problem(tab, chunk + " lies before the chunk it follows");
      std::vector<uint8_t> bytes(static_cast<size_t>(chunk_size));
      file_.ReadBuffer(pos, bytes.data(), chunk_size);
      const int32_t next = tinydb::DecodeInt32(bytes.data());
      const int32_t items = static_cast<int32_t>(
          std::min<int64_t>(tinydb::kTabChunkItems, n - c * tinydb::kTabChunkItems));
      // The items after the last record of the last chunk are never written.
      for (int32_t j = items; j < tinydb::kTabChunkItems; ++j) {
        const uint8_t* item = bytes.data() + tinydb::kTabChunkItemsOffset + j * item_size;
        if (std::any_of(item, item + item_size, [](uint8_t b) { return b != 0; })) {
          Problem(tab, tab + " item " + Num(c * tinydb::kTabChunkItems + j) +
                           " lies beyond the record count but is not zero");
          break;
        }
      }
      extents_.push_back({pos, chunk_size, table_ + " " + tab + " chunk " + Num(c)});
      positions.push_back(pos);
      chunks.push_back(std::move(bytes));
      if (c + 1 == needed && next != 0)
        Problem(tab, "the last " + tab + " chunk links on to " + Num(next));
      if (c + 1 < needed && next == 0) {
        Problem(tab, tab + " chain ends after " + Num(c + 1) + " chunks; " + Num(n) +
                         " records need " + Num(needed));
        return false;
      }
      pos = next;
    }
    return true;
  }

  bool ReadRecordTab() {
    std::vector<std::vector<uint8_t>> chunks;
    if (!ReadTabChain("record tab", header_.RecordTabPos, tinydb::kRecordTabChunkSize,
                      tinydb::kRecordTabItemSize, chunks, record_chunks_))
      return false;
    items_.resize(static_cast<size_t>(header_.RecordCount));
    for (int32_t k = 0; k < header_.RecordCount; ++k) {
      const auto& chunk = chunks[k / tinydb::kTabChunkItems];
      items_[k].DecodeFrom(chunk.data() + tinydb::kTabChunkItemsOffset +
                           (k % tinydb::kTabChunkItems) * tinydb::kRecordTabItemSize);
    }
    return true;
  }

  // ---- Records and blobs ----

  bool Live(int32_t k) const { return items_[k].Deleted == 0; }

  bool FieldEncrypted(int f) const {
    return file_.Settings().Encrypted != 0 && header_.FieldDefs[f].RawStorage == 0;
  }
  bool FieldCompressed(int f) const {
    return file_.Settings().Compressed != 0 && header_.FieldDefs[f].RawStorage == 0 &&
           tinydb::IsBlobFieldType(header_.FieldDefs[f].FieldType);
  }
  bool FieldReadable(int f) const { return values_readable_ || !FieldEncrypted(f); }

  // The decoded value of field |f| of record |k| in its native form; texts
  // (strings and blobs) end with a NUL. Throws the engine's errors.
  std::vector<uint8_t> ReadValue(int32_t k, int f) {
    tinydb::TMemoryStream value;
    const int type = header_.FieldDefs[f].FieldType;
    const bool blob = tinydb::IsBlobFieldType(type);
    file_.ReadFieldValueAt(&value, int64_t{items_[k].DataPos} + offsets_[f], FieldCompressed(f),
                           FieldEncrypted(f), blob, widths_[f]);
    std::vector<uint8_t> bytes = value.Bytes();
    if (blob || type == tinydb::ftString || type == tinydb::ftFixedChar) bytes.push_back(0);
    return bytes;
  }

  void CheckRecords() {
    for (int32_t k = 0; k < header_.RecordCount; ++k) {
      const tinydb::TRecordTabItem& item = items_[k];
      if (item.Deleted > 1)
        Problem("record tab", Record(k) + " has the deleted flag " + Num(item.Deleted));
      if (!InsideImage(item.DataPos, record_size_)) {
        Problem("record images", Record(k) + "'s image at " + Num(item.DataPos) +
                                     " lies outside the image");
        continue;
      }
      // Images are appended in record-number order; the first record of a
      // chunk follows that chunk directly.
      if (k % tinydb::kTabChunkItems == 0) {
        const int64_t chunk = record_chunks_[k / tinydb::kTabChunkItems];
        if (item.DataPos != chunk + tinydb::kRecordTabChunkSize)
          Problem("record images", Record(k) + "'s image at " + Num(item.DataPos) +
                                       " does not follow its record tab chunk at " + Num(chunk));
      }
      if (k > 0 && InsideImage(items_[k - 1].DataPos, record_size_) &&
          item.DataPos < int64_t{items_[k - 1].DataPos} + record_size_)
        Problem("record images", Record(k) + "'s image at " + Num(item.DataPos) +
                                     " does not come after record " + Num(k - 1) + "'s");
      extents_.push_back({item.DataPos, record_size_, table_ + " " + Record(k) + "'s image"});

      std::vector<uint8_t> image(static_cast<size_t>(record_size_));
      if (record_size_ > 0) file_.ReadBuffer(item.DataPos, image.data(), record_size_);
      for (int f = 0; f < header_.FieldCount; ++f)
        if (tinydb::IsBlobFieldType(header_.FieldDefs[f].FieldType))
          CheckBlob(k, f, image.data() + offsets_[f]);
      CheckValues(k);
    }
  }

  void CheckBlob(int32_t k, int f, const uint8_t* descriptor_bytes) {
    tinydb::TBlobDescriptor blob;
    blob.DecodeFrom(descriptor_bytes);
    const std::string what = Record(k) + ", " + FieldName(f) + ": blob";
    if (blob.BlobSize < 0 || blob.BlobCapacity % tinydb::kBlobBlockGranule != 0 ||
        blob.BlobCapacity <= blob.BlobSize) {
      Problem("blobs", what + " of " + Num(blob.BlobSize) + " bytes has the capacity " +
                           Num(blob.BlobCapacity));
      return;
    }
    if (!InsideImage(blob.BlobPos, blob.BlobCapacity)) {
      Problem("blobs", what + " block of " + Num(blob.BlobCapacity) + " bytes at " +
                           Num(blob.BlobPos) + " lies outside the image");
      return;
    }
    // Blob blocks are appended after their record image, also when they move.
    if (blob.BlobPos < int64_t{items_[k].DataPos} + record_size_)
      Problem("blobs", what + " block at " + Num(blob.BlobPos) + " lies before its record");
    extents_.push_back({blob.BlobPos, blob.BlobCapacity, table_ + " " + what + " block"});

    // The stored bytes are followed by zeros up to the next multiple of 64.
    const int32_t padding = tinydb::BlobCapacityFor(blob.BlobSize) - blob.BlobSize;
    std::vector<uint8_t> tail(static_cast<size_t>(padding));
    file_.ReadBuffer(int64_t{blob.BlobPos} + blob.BlobSize, tail.data(), padding);
    if (std::any_of(tail.begin(), tail.end(), [](uint8_t b) { return b != 0; }))
      Problem("blobs", what + " block at " + Num(blob.BlobPos) +
                           " is not zero after its stored bytes");
  }

  // Live records' blobs must decode; no stored auto-increment value may
  // exceed the one the header hands out from.
  void CheckValues(int32_t k) {
    if (autoinc_field_ >= 0 && FieldReadable(autoinc_field_)) {
      const std::vector<uint8_t> value = ReadValue(k, autoinc_field_);
      const int32_t v = tinydb::DecodeInt32(value.data());
      if (v > header_.AutoIncValue)
        Problem("values", Record(k) + " holds the auto-increment value " + Num(v) +
                              ", above the table's " + Num(header_.AutoIncValue));
    }
    if (!Live(k)) return;
    for (int f = 0; f < header_.FieldCount; ++f) {
      if (!tinydb::IsBlobFieldType(header_.FieldDefs[f].FieldType) || !FieldReadable(f)) continue;
      try {
        ReadValue(k, f);
      } catch (const tinydb::EEngineError& e) {
        Problem("values", Record(k) + ", " + FieldName(f) + ": the value cannot be read: " +
                              e.what());
      }
    }
  }

  // ---- Indexes ----

  void CheckIndex(int i) {
    const tinydb::TIndexDefEntry& index = header_.IndexDefs[i];
    const std::string tab = IndexName(i) + "'s index tab";
    std::vector<std::vector<uint8_t>> chunks;
    std::vector<int32_t> positions;
    if (!ReadTabChain(tab, index.IndexTabPos, tinydb::kIndexTabChunkSize,
                      tinydb::kIndexTabItemSize, chunks, positions))
      return;
    const int32_t n = header_.RecordCount;
    std::vector<tinydb::TIndexTabItem> links(static_cast<size_t>(n));
    bool links_usable = true;
    for (int32_t k = 0; k < n; ++k) {
      links[k].DecodeFrom(chunks[k / tinydb::kTabChunkItems].data() + tinydb::kTabChunkItemsOffset +
                          (k % tinydb::kTabChunkItems) * tinydb::kIndexTabItemSize);
      if (links[k].RecordNo != k)
        Problem(tab, tab + " item " + Num(k) + " names record " + Num(links[k].RecordNo));
      if (links[k].Next < -1 || links[k].Next >= n) {
        Problem(tab, tab + " links " + Record(k) + " to record " + Num(links[k].Next) +
                         ", which does not exist");
        links_usable = false;
      }
    }
    if (index.ChainHead < 0 || index.ChainHead >= n) {
      Problem(tab, IndexName(i) + "'s chain starts at record " + Num(index.ChainHead) +
                       ", which does not exist");
      links_usable = false;
    }
    if (!links_usable) return;

    // Walk the sort chain. Deleted records may be missing from it: an
    // update relinks a record through its live neighbours, which leaves a
    // deleted record between them behind. Every live record must be there.
    std::vector<uint8_t> seen(static_cast<size_t>(n), 0);
    std::vector<int32_t> live_order;
    for (int32_t k = index.ChainHead; k != -1; k = links[k].Next) {
      if (seen[k]) {
        Problem(IndexName(i) + " chain", IndexName(i) + "'s chain returns to " + Record(k));
        break;
      }
      seen[k] = 1;
      if (Live(k)) live_order.push_back(k);
    }
    for (int32_t k = 0; k < n; ++k)
      if (Live(k) && !seen[k])
        Problem(IndexName(i) + " chain", Record(k) + " is missing from " + IndexName(i) + "'s chain");
    CheckKeyOrder(i, live_order);
  }

  // Consecutive live records of the chain must not run against the index's
  // order, and a primary or unique index holds no equal keys. Values with
  // no order between them (no comparison gives less, equal or greater)
  // are taken as they stand.
  void CheckKeyOrder(int i, const std::vector<int32_t>& chain) {
    const tinydb::TIndexDefEntry& index = header_.IndexDefs[i];
    const int key_count = index.KeyFieldCount();
    for (int key = 0; key < key_count; ++key)
      if (!FieldReadable(index.FieldIndexes[key])) return;
    const bool descending = (index.Options & tinydb::tiDescending) != 0;
    const bool ignore_case = (index.Options & tinydb::tiCaseInsensitive) != 0;
    const bool unique = (index.Options & (tinydb::tiPrimary | tinydb::tiUnique)) != 0;
    const std::string kind = IndexName(i) + " key order";

    std::vector<std::vector<uint8_t>> previous, current;
    for (size_t position = 0; position < chain.size(); ++position) {
      const int32_t k = chain[position];
      current.clear();
      try {
        for (int key = 0; key < key_count; ++key) current.push_back(ReadValue(k, index.FieldIndexes[key]));
      } catch (const tinydb::EEngineError& e) {
        Problem(kind, IndexName(i) + ": the key of " + Record(k) + " cannot be read: " + e.what());
        return;
      }
      if (position > 0) {
        tinydb::TCompareOutcome outcome = tinydb::TCompareOutcome::Equal;
        for (int key = 0; key < key_count && outcome == tinydb::TCompareOutcome::Equal; ++key) {
          const int type = header_.FieldDefs[index.FieldIndexes[key]].FieldType;
          outcome = tinydb::CompareValues({type, current[key].data()}, {type, previous[key].data()},
                                          ignore_case, true);
        }
        const int32_t before = chain[position - 1];
        const tinydb::TCompareOutcome wrong =
            descending ? tinydb::TCompareOutcome::Greater : tinydb::TCompareOutcome::Less;
        if (outcome == wrong)
          Problem(kind, IndexName(i) + ": " + Record(k) + " follows " + Record(before) +
                            " in the chain but its key sorts before it");
        else if (outcome == tinydb::TCompareOutcome::Equal && unique)
          Problem(kind, IndexName(i) + ": " + Record(before) + " and " + Record(k) +
                            " have the same key in a unique index");
      }
      std::swap(previous, current);
    }
  }

  TTinyDBFileIO& file_;
  const tinydb::TTableHeader& header_;
  const bool values_readable_;
  TProblemList& problems_;
  std::vector<TExtent>& extents_;
  const int64_t image_size_;
  const std::string table_;

  std::vector<int64_t> offsets_;
  std::vector<int> widths_;
  int64_t record_size_ = 0;
  int autoinc_field_ = -1;
  std::vector<int32_t> record_chunks_;
  tinydb::TRecordTabItems items_;
};

// Checks every table, then that no two structures share bytes.
class TImageChecker {
 public:
  TImageChecker(TTinyDBFileIO& file, bool values_readable, TProblemList& problems)
      : file_(file), values_readable_(values_readable), problems_(problems) {}

  void Run() {
    const tinydb::TTableDirectory& directory = file_.Directory();
    TNameSet names;
    for (int t = 0; t < directory.TableCount; ++t) {
      const int64_t pos = directory.TableHeaderPos[t];
      if (pos < tinydb::kFixedPartSize || pos > file_.ImageSize() - tinydb::kTableHeaderSize) {
        problems_.Add("directory", "table " + Num(t) + "'s header at " + Num(pos) +
                                       " lies outside the image");
        continue;
      }
      auto header = std::make_unique<tinydb::TTableHeader>();
      std::vector<uint8_t> bytes(tinydb::kTableHeaderSize);
      file_.ReadBuffer(pos, bytes.data(), tinydb::kTableHeaderSize);
      header->DecodeFrom(bytes.data());
      const std::string name = tinydb::FixedTextToString(header->TableName);
      extents_.push_back({pos, tinydb::kTableHeaderSize, "table " + Quoted(name) + "'s header"});
      if (!names.Insert(name))
        problems_.Add("directory", "table " + Quoted(name) + " is defined twice");
      TTableChecker(file_, *header, values_readable_, problems_, extents_).Run();
    }
    CheckOverlaps();
  }

 private:
  void CheckOverlaps() {
    std::vector<TExtent> extents;
    for (TExtent& extent : extents_)
      if (extent.Size > 0) extents.push_back(std::move(extent));
    std::sort(extents.begin(), extents.end(),
              [](const TExtent& a, const TExtent& b) { return a.Pos < b.Pos; });
    size_t reaching = 0;  // the extent seen so far that ends last
    for (size_t e = 1; e < extents.size(); ++e) {
      const TExtent& before = extents[reaching];
      if (extents[e].Pos < before.Pos + before.Size)
        problems_.Add("overlaps", extents[e].What + " at " + Num(extents[e].Pos) + " overlaps " +
                                      before.What + " at " + Num(before.Pos));
      if (extents[e].Pos + extents[e].Size > before.Pos + before.Size) reaching = e;
    }
  }

  TTinyDBFileIO& file_;
  const bool values_readable_;
  TProblemList& problems_;
  std::vector<TExtent> extents_;
};

// Holds the file's write lock, so no writer changes the image mid-walk.
class TFileLockHold {
 public:
  explicit TFileLockHold(TTinyDBFileIO& file) : file_(file) { file_.Lock(); }
  ~TFileLockHold() { file_.Unlock(); }
  TFileLockHold(const TFileLockHold&) = delete;
  TFileLockHold& operator=(const TFileLockHold&) = delete;

 private:
  TTinyDBFileIO& file_;
};

}  // namespace

int RunCheck(const std::vector<std::string>& args) {
  const TCommandLine line = ParseCommandLine(args, {"--password"}, {});
  if (line.Positional.size() != 1) throw EUsageError("check needs one database file");
  const std::optional<std::string> password = line.Value("--password");

  TTinyDBFileIO file;
  file.Open(line.Positional[0], tinydb::mtDisk, false);
  bool values_readable = true;
  if (file.Settings().Encrypted != 0) {
    values_readable = password && file.VerifyPassword(ToCp1252(*password, "The password"));
    if (!values_readable)
      std::printf("key order and encrypted values not checked: %s\n",
                  password ? "the password is wrong" : "the database is encrypted and no password was given");
  }

  TProblemList problems;
  {
    TFileLockHold hold(file);
    TImageChecker(file, values_readable, problems).Run();
  }
  if (problems.Empty()) {
    std::printf("ok\n");
    return 0;
  }
  problems.Print();
  return 1;
}

}  // namespace tdb
