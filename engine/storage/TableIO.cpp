#include "storage/TableIO.h"

#include <algorithm>
#include <cstring>

#include "platform/Codepage.h"
#include "platform/Errors.h"
#include "processing/Hash_CheckSum.h"

namespace tinydb {

namespace {

constexpr char kNotLoaded[] = "Table '%s' is not open";
constexpr char kBuffersMismatch[] = "Field buffers do not match table '%s'";
constexpr char kPositionOutOfRange[] = "Record position %s is out of range";
constexpr char kBlobNotVerified[] = "Blob write of field '%s' could not be verified";

// A verified blob write is tried this often before it is reported as failed.
constexpr int kVerifiedWriteAttempts = 5;

// The bytes a blob write of |n| encoded bytes puts into its block: the
// encoding and its zero padding up to the next granule.
int64_t WrittenSize(int64_t n) { return n + (kBlobBlockGranule - n % kBlobBlockGranule); }

// True when |image| still holds, at |pos|, the encoded bytes |stored| and
// their zero padding, |written| bytes in all, as written: unchanged since
// |stamp|, or found equal now (a write near the block changed its page),
// which renews |stamp|.
bool StillHoldsWritten(const TMemoryStream& image, int64_t pos, const std::vector<uint8_t>& stored,
                       int64_t written, uint64_t& stamp) {
  if (written > static_cast<int64_t>(image.Bytes().size()) - pos) return false;
  if (image.UnchangedSince(pos, written, stamp)) return true;
  const uint8_t* bytes = image.Bytes().data() + pos;
  const size_t n = stored.size();
  if ((n > 0 && std::memcmp(bytes, stored.data(), n) != 0) ||
      !std::all_of(bytes + n, bytes + written, [](uint8_t b) { return b == 0; }))
    return false;
  stamp = image.ChangeStamp();
  return true;
}

template <class Def>
int FirstNamed(const std::vector<Def>& defs, const std::string& name) {
  for (size_t i = 0; i < defs.size(); ++i)
    if (SameText(defs[i].Name, name)) return static_cast<int>(i);
  return -1;
}

// A 32-bit number in a field buffer (native form).
int32_t NativeInt32(const void* p) {
  int32_t v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

}  // namespace

int IndexOfName(const std::vector<TTinyFieldDef>& defs, const std::string& name) {
  return FirstNamed(defs, name);
}
int IndexOfName(const std::vector<TTinyIndexDef>& defs, const std::string& name) {
  return FirstNamed(defs, name);
}

// ---- TTinyTableIO: life cycle ----

// Holds the database's file lock for one operation; released on every exit.
class TTinyTableIO::FileLockHold {
 public:
  explicit FileLockHold(TTinyDBFileIO& io) : io_(io) { io_.Lock(); }
  ~FileLockHold() { io_.Unlock(); }
  FileLockHold(const FileLockHold&) = delete;
  FileLockHold& operator=(const FileLockHold&) = delete;

 private:
  TTinyDBFileIO& io_;
};

TTinyTableIO::TTinyTableIO(TTableStorageHost* database, const std::string& table_name)
    : database_(database),
      table_name_(table_name),
      header_(std::make_unique<TTableHeader>()),
      decoded_cache_(std::make_shared<TDecodedCache>()) {}

TTinyTableIO::~TTinyTableIO() { Unload(); }

void TTinyTableIO::Open() {
  if (open_count_ == 0) Load();
  ++open_count_;
}

void TTinyTableIO::Close() {
  if (open_count_ == 0) return;
  --open_count_;
  if (open_count_ == 0) Unload();
}

void TTinyTableIO::Load() {
  TTinyDBFileIO& io = FileIO();
  FileLockHold hold(io);
  Unload();

  std::vector<std::string> names;
  io.GetTableNames(names);
  int table_no = -1;
  for (size_t t = 0; t < names.size(); ++t)
    if (SameText(names[t], table_name_)) {
      table_no = static_cast<int>(t);
      break;
    }
  if (table_no < 0) throw EDatabaseError(FormatMessage(kTableNotFound, table_name_));

  auto header = std::make_unique<TTableHeader>();
  io.ReadTableHeader(table_no, *header);

  std::vector<TTinyFieldDef> field_defs;
  TIntegerAry offsets, widths;
  int32_t record_size = 0;
  int auto_inc_field = -1;
  for (int f = 0; f < header->FieldCount; ++f) {
    const TFieldDefEntry& entry = header->FieldDefs[f];
    TTinyFieldDef def;
    def.Name = FixedTextToString(entry.FieldName);
    if (def.Name.empty()) def.Name = "TinyF" + std::to_string(f + 1);
    def.FieldType = entry.FieldType;
    def.FieldSize = entry.FieldSize;
    def.RawStorage = entry.RawStorage != 0;
    const int width = StoredFieldWidth(entry.FieldType, entry.FieldSize);
    if (width <= 0) throw EDatabaseError(kGeneralError);
    offsets.push_back(record_size);
    widths.push_back(width);
    record_size += width;
    if (auto_inc_field < 0 && entry.FieldType == ftAutoInc) auto_inc_field = f;
    field_defs.push_back(std::move(def));
  }

  std::vector<TTinyIndexDef> index_defs;
  for (int i = 0; i < header->IndexCount; ++i) {
    const TIndexDefEntry& entry = header->IndexDefs[i];
    TTinyIndexDef def;
    def.Name = FixedTextToString(entry.IndexName);
    if (def.Name.empty()) def.Name = "TinyI" + std::to_string(i + 1);
    def.Options = entry.Options;
    for (int k = 0; k < entry.KeyFieldCount(); ++k) def.FieldNumbers.push_back(entry.FieldIndexes[k]);
    index_defs.push_back(std::move(def));
  }

  TRecordTabItems record_tab;
  TIntegerAry record_tab_chunks;
  io.ReadRecordTab(*header, record_tab, record_tab_chunks);

  table_no_ = table_no;
  header_ = std::move(header);
  field_defs_ = std::move(field_defs);
  index_defs_ = std::move(index_defs);
  field_offsets_ = std::move(offsets);
  field_widths_ = std::move(widths);
  record_size_ = record_size;
  auto_inc_field_ = auto_inc_field;
  record_tab_ = std::move(record_tab);
  record_tab_chunks_ = std::move(record_tab_chunks);
  index_tab_chunks_.assign(index_defs_.size(), TIntegerAry());
  record_lists_.clear();
  record_lists_.resize(index_defs_.size() + 1);
  loaded_ = true;
  try {
    for (size_t list_no = 0; list_no < record_lists_.size(); ++list_no)
      BuildRecordList(static_cast<int>(list_no), false);
  } catch (...) {
    Unload();
    throw;
  }
}

void TTinyTableIO::Unload() {
  loaded_ = false;
  decoded_cache_->Clear();
  field_defs_.clear();
  index_defs_.clear();
  field_offsets_.clear();
  field_widths_.clear();
  record_size_ = 0;
  auto_inc_field_ = -1;
  record_tab_.clear();
  record_tab_chunks_.clear();
  index_tab_chunks_.clear();
  record_lists_.clear();
}

void TTinyTableIO::RequireLoaded() const {
  if (!loaded_) throw EDatabaseError(FormatMessage(kNotLoaded, table_name_));
}

void TTinyTableIO::RequireBuffers(const TFieldBuffers& buffers) const {
  RequireLoaded();
  if (buffers.Count() < static_cast<int>(field_defs_.size()))
    throw EDatabaseError(FormatMessage(kBuffersMismatch, table_name_));
}

const TIntegerAry& TTinyTableIO::IndexTabChunks(int index_no) const {
  RequireLoaded();
  return index_tab_chunks_.at(static_cast<size_t>(index_no));
}

bool TTinyTableIO::FieldEncrypted(int field_no) {
  return database_->Encrypted() && !field_defs_.at(static_cast<size_t>(field_no)).RawStorage;
}

bool TTinyTableIO::FieldCompressed(int field_no) {
  const TTinyFieldDef& def = field_defs_.at(static_cast<size_t>(field_no));
  return database_->Compressed() && IsBlobFieldType(def.FieldType) && !def.RawStorage;
}

// ---- Positions in the image ----

int64_t TTinyTableIO::HeaderPos() {
  return FileIO().Directory().TableHeaderPos[static_cast<size_t>(table_no_)];
}

int64_t TTinyTableIO::RecordItemPos(int32_t record_no) const {
  const size_t chunk = static_cast<size_t>(record_no / kTabChunkItems);
  if (record_no < 0 || chunk >= record_tab_chunks_.size())
    throw EDatabaseError(FormatMessage(kRecordDoesNotExist, std::to_string(record_no)));
  return int64_t{record_tab_chunks_[chunk]} + kTabChunkItemsOffset +
         int64_t{record_no % kTabChunkItems} * kRecordTabItemSize;
}

int64_t TTinyTableIO::IndexItemPos(int index_no, int32_t record_no) const {
  const TIntegerAry& chunks = index_tab_chunks_.at(static_cast<size_t>(index_no));
  const size_t chunk = static_cast<size_t>(record_no / kTabChunkItems);
  if (record_no < 0 || chunk >= chunks.size())
    throw EDatabaseError(FormatMessage(kRecordDoesNotExist, std::to_string(record_no)));
  return int64_t{chunks[chunk]} + kTabChunkItemsOffset +
         int64_t{record_no % kTabChunkItems} * kIndexTabItemSize;
}

TIndexTabItem TTinyTableIO::ReadIndexItem(int index_no, int32_t record_no) {
  uint8_t bytes[kIndexTabItemSize];
  FileIO().ReadBuffer(IndexItemPos(index_no, record_no), bytes, kIndexTabItemSize);
  TIndexTabItem item;
  item.DecodeFrom(bytes);
  return item;
}

void TTinyTableIO::WriteIndexItem(int index_no, const TIndexTabItem& item) {
  uint8_t bytes[kIndexTabItemSize];
  item.EncodeTo(bytes);
  FileIO().WriteBuffer(IndexItemPos(index_no, item.RecordNo), bytes, kIndexTabItemSize);
}

void TTinyTableIO::WriteHeader() { FileIO().WriteTableHeader(table_no_, *header_); }

int32_t TTinyTableIO::AppendTabChunk(TIntegerAry& chunks, int size,
                                     const TRecordTabItem* first_item) {
  TTinyDBFileIO& io = FileIO();
  const int32_t pos = static_cast<int32_t>(io.ImageSize());
  std::vector<uint8_t> chunk(static_cast<size_t>(size), 0);
  if (first_item != nullptr) first_item->EncodeTo(chunk.data() + kTabChunkItemsOffset);
  // The chunk exists before anything points at it.
  io.WriteBuffer(pos, chunk.data(), size);
  if (!chunks.empty()) {
    uint8_t link[kTabChunkLinkSize];
    EncodeInt32(link, pos);
    io.WriteBuffer(chunks.back(), link, kTabChunkLinkSize);
  }
  chunks.push_back(pos);
  return pos;
}

// ---- Record lists ----

TRecordList& TTinyTableIO::ListOf(int index_no) { return GetRecordList(index_no + 1); }

TRecordList& TTinyTableIO::GetRecordList(int list_no) {
  if (list_no < 0 || static_cast<size_t>(list_no) >= record_lists_.size() ||
      !record_lists_[static_cast<size_t>(list_no)]) {
    no_list_.clear();
    return no_list_;
  }
  return *record_lists_[static_cast<size_t>(list_no)];
}

void TTinyTableIO::BuildRecordList(int list_no, bool reread_record_tab) {
  RequireLoaded();
  if (list_no < 0 || static_cast<size_t>(list_no) >= record_lists_.size())
    throw EDatabaseError(FormatMessage("Record list %s does not exist", std::to_string(list_no)));
  std::unique_ptr<TRecordList>& slot = record_lists_[static_cast<size_t>(list_no)];
  if (slot) return;
  TTinyDBFileIO& io = FileIO();
  // Records appended since the tab was read are only in the lists; a list
  // built now must see them too.
  if (reread_record_tab || record_tab_.size() != static_cast<size_t>(header_->RecordCount))
    io.ReadRecordTab(*header_, record_tab_, record_tab_chunks_);

  auto list = std::make_unique<TRecordList>();
  if (list_no == 0) {
    list->reserve(record_tab_.size());
    for (size_t k = 0; k < record_tab_.size(); ++k)
      if (record_tab_[k].Deleted == 0)
        list->push_back({record_tab_[k].DataPos, static_cast<int32_t>(k)});
  } else {
    const int index_no = list_no - 1;
    const TIndexDefEntry& def = header_->IndexDefs[static_cast<size_t>(index_no)];
    if (def.IndexTabPos != 0) {
      TIndexTabItems items;
      io.ReadIndexTab(*header_, index_no, index_tab_chunks_[static_cast<size_t>(index_no)], items);
      list->reserve(record_tab_.size());
      int32_t k = def.ChainHead;
      // The step limit ends the walk even in a chain that loops.
      for (int32_t steps = 0; k >= 0 && steps < header_->RecordCount; ++steps) {
        const TRecordTabItem& record = record_tab_[static_cast<size_t>(k)];
        if (record.Deleted == 0) list->push_back({record.DataPos, k});
        k = items[static_cast<size_t>(k)].Next;
      }
    }
  }
  slot = std::move(list);
}

// ---- Reading ----

void TTinyTableIO::ReadRecord(TFieldBuffers& buffers, const TRecordList& list, int pos) {
  RequireBuffers(buffers);
  if (pos < 0 || static_cast<size_t>(pos) >= list.size())
    throw EDatabaseError(FormatMessage(kPositionOutOfRange, std::to_string(pos)));
  TTinyDBFileIO& io = FileIO();
  FileLockHold hold(io);
  const TRecordListEntry entry = list[static_cast<size_t>(pos)];
  // The decoded fields come from the cache while the stored image is the
  // one they were decoded from (a tracked image says so without reading
  // it); else they are decoded into decoded_image_, which is kept when it
  // holds every field.
  const TMemoryStream* tracked = io.TrackedImage();
  const uint8_t* decoded =
      decoded_cache_->FindRecordUnchanged(entry.RecordNo, entry.DataPos, record_size_, tracked);
  if (decoded == nullptr) {
    record_image_.resize(static_cast<size_t>(record_size_));
    io.ReadBuffer(entry.DataPos, record_image_.data(), record_size_);
    decoded = decoded_cache_->FindRecord(entry.RecordNo, entry.DataPos, record_image_.data(),
                                         record_size_, tracked);
  }
  bool whole = true;
  bool any_encrypted = false;
  if (decoded == nullptr) decoded_image_ = record_image_;
  for (int i = 0; i < static_cast<int>(field_defs_.size()); ++i) {
    TFieldBufferItem& item = buffers.Items(i);
    const int32_t offset = field_offsets_[static_cast<size_t>(i)];
    if (item.IsBlob()) {
      if (!item.Active) continue;
      if (TOptimBlobStream* stream = item.BlobStream()) {
        stream->SetLoadInfo(int64_t{entry.DataPos} + offset, FieldEncrypted(i), FieldCompressed(i));
        stream->SetCache(decoded_cache_, i, entry.RecordNo);
      }
      continue;
    }
    if (!item.Active || item.Buffer == nullptr) {
      whole = false;
      continue;
    }
    const int32_t width = field_widths_[static_cast<size_t>(i)];
    const size_t n = static_cast<size_t>(std::min(item.Size, width));
    if (decoded != nullptr) {
      if (n > 0) std::memcpy(item.Buffer, decoded + offset, n);
      continue;
    }
    const bool encrypted = FieldEncrypted(i);
    any_encrypted = any_encrypted || encrypted;
    uint8_t* plain = decoded_image_.data() + offset;
    io.DecodeBuffer(record_image_.data() + offset, plain, encrypted, width);
    if (n > 0) std::memcpy(item.Buffer, plain, n);
  }
  if (decoded == nullptr && whole && any_encrypted)
    decoded_cache_->StoreRecord(entry.RecordNo, entry.DataPos, record_image_.data(),
                                decoded_image_.data(), record_size_, tracked);
}

void TTinyTableIO::ReadFieldValue(TMemoryStream* dest, int record_no, int field_no) {
  RequireLoaded();
  if (field_no < 0 || static_cast<size_t>(field_no) >= field_defs_.size())
    throw EDatabaseError(FormatMessage(kFieldNumberOutOfRange, std::to_string(field_no)));
  TTinyDBFileIO& io = FileIO();
  const int64_t item_pos = RecordItemPos(record_no);
  const int32_t offset = field_offsets_[static_cast<size_t>(field_no)];
  const int32_t width = field_widths_[static_cast<size_t>(field_no)];
  const bool encrypted = FieldEncrypted(field_no);
  if (IsBlobFieldType(field_defs_[static_cast<size_t>(field_no)].FieldType)) {
    io.ReadFieldValue(dest, item_pos, FieldCompressed(field_no), encrypted, true, width, offset);
    return;
  }
  uint8_t bytes[kRecordTabItemSize];
  io.ReadBuffer(item_pos, bytes, kRecordTabItemSize);
  TRecordTabItem item;
  item.DecodeFrom(bytes);
  ReadFixedValue(dest, item.DataPos, field_no, record_no);
}

void TTinyTableIO::ReadFixedValue(TMemoryStream* dest, int32_t data_pos, int field_no,
                                  int32_t record_no) {
  // Decoded in place in |dest|: same bytes as the stream decode, without
  // its temporary streams (key searches do this a lot).
  TTinyDBFileIO& io = FileIO();
  const int32_t offset = field_offsets_[static_cast<size_t>(field_no)];
  const int32_t width = field_widths_[static_cast<size_t>(field_no)];
  const bool encrypted = FieldEncrypted(field_no);
  dest->SetSize(width);
  const int64_t value_pos = int64_t{data_pos} + offset;
  uint8_t* value = dest->Memory();
  TDecodedCache& cache = *decoded_cache_;
  const TMemoryStream* tracked = io.TrackedImage();
  const bool by_record = record_no >= 0 && width <= TDecodedCache::kMaxKeyWidth;
  if (encrypted && by_record) {
    // Kept for this record's stored bytes, and none of them changed since.
    const uint8_t* known = cache.FindKeyUnchanged(field_no, record_no, value_pos, width, tracked);
    if (known != nullptr) {
      std::memcpy(value, known, static_cast<size_t>(width));
      dest->SetPosition(0);
      return;
    }
  }
  io.ReadBuffer(value_pos, value, width);
  if (encrypted && width > 0) {
    // Decoded before from these very stored bytes: by a record read, or
    // by an earlier comparison.
    const uint8_t* known =
        by_record ? cache.FindKey(field_no, record_no, value, width, tracked) : nullptr;
    if (known != nullptr) {
      std::memcpy(value, known, static_cast<size_t>(width));
      dest->SetPosition(0);
      return;
    }
    known = cache.FindRecordField(record_no, data_pos, offset, value, width);
    if (known == nullptr) known = cache.FindField(value_pos, value, width);
    if (known != nullptr) {
      if (by_record) cache.StoreKey(field_no, record_no, value_pos, value, known, width, tracked);
      std::memcpy(value, known, static_cast<size_t>(width));
    } else if (width <= TDecodedCache::kMaxFieldWidth) {
      uint8_t stored[TDecodedCache::kMaxFieldWidth];
      std::memcpy(stored, value, static_cast<size_t>(width));
      io.DecodeBuffer(value, value, encrypted, width);
      if (by_record)
        cache.StoreKey(field_no, record_no, value_pos, stored, value, width, tracked);
      else
        cache.StoreField(value_pos, stored, value, width);
    } else {
      io.DecodeBuffer(value, value, encrypted, width);
    }
  } else {
    io.DecodeBuffer(value, value, encrypted, width);
  }
  dest->SetPosition(0);
}

// ---- Writing ----

void TTinyTableIO::PadStringBuffers(TFieldBuffers& buffers) {
  for (int i = 0; i < buffers.Count(); ++i) {
    TFieldBufferItem& item = buffers.Items(i);
    if ((item.FieldType != ftString && item.FieldType != ftFixedChar) || item.Buffer == nullptr ||
        item.Size <= 0)
      continue;
    // The text as EncodeFixedField stores it: at most the field's width
    // less its closing NUL.
    size_t size = static_cast<size_t>(item.Size);
    if (static_cast<size_t>(i) < field_widths_.size())
      size = std::min(size, static_cast<size_t>(field_widths_[static_cast<size_t>(i)]));
    if (size == 0) continue;
    char* text = static_cast<char*>(item.Buffer);
    const void* nul = std::memchr(text, 0, size - 1);
    const size_t length = nul != nullptr ? static_cast<size_t>(static_cast<const char*>(nul) - text)
                                         : size - 1;
    std::memset(text + length, 0, static_cast<size_t>(item.Size) - length);
  }
}

void TTinyTableIO::PlainFixedField(const TFieldBufferItem& item, int field_no, uint8_t* dest) {
  const int32_t width = field_widths_[static_cast<size_t>(field_no)];
  const uint8_t field_type = field_defs_[static_cast<size_t>(field_no)].FieldType;
  std::memset(dest, 0, static_cast<size_t>(width));
  if (item.Buffer != nullptr)
    std::memcpy(dest, item.Buffer, static_cast<size_t>(std::clamp(item.Size, 0, width)));
  // A stored text always ends inside its field.
  if (field_type == ftString || field_type == ftFixedChar) dest[width - 1] = 0;
}

void TTinyTableIO::EncodeFixedField(const TFieldBufferItem& item, int field_no, uint8_t* dest) {
  PlainFixedField(item, field_no, dest);
  FileIO().EncodeBuffer(dest, dest, FieldEncrypted(field_no), field_widths_[static_cast<size_t>(field_no)]);
}

void TTinyTableIO::EncodeBlob(TFieldBufferItem& item, int field_no, TMemoryStream& stored) {
  TMemoryStream empty;
  TStream* value = item.BlobStream() != nullptr ? static_cast<TStream*>(item.BlobStream()) : &empty;
  FileIO().EncodeStream(value, &stored, FieldCompressed(field_no), FieldEncrypted(field_no));
}

std::unique_ptr<TBlobPrecoder> TTinyTableIO::NewBlobPrecoder(std::string_view password) {
  RequireLoaded();
  std::vector<TBlobPrecoder::TFieldCoding> fields(field_defs_.size());
  for (size_t i = 0; i < fields.size(); ++i) {
    fields[i].Blob = IsBlobFieldType(field_defs_[i].FieldType);
    fields[i].Compressed = FieldCompressed(static_cast<int>(i));
    fields[i].Encrypted = FieldEncrypted(static_cast<int>(i));
  }
  return std::make_unique<TBlobPrecoder>(FileIO(), std::move(fields), password);
}

const std::vector<uint8_t>* TTinyTableIO::PrecodedBlob(const TBlobPrecoder::TRecord* precoded,
                                                       TFieldBufferItem& item, int field_no) {
  if (precoded == nullptr) return nullptr;
  for (const TBlobPrecoder::TValue& value : precoded->Values) {
    if (value.FieldNo != field_no) continue;
    if (value.Compressed != FieldCompressed(field_no) ||
        value.Encrypted != FieldEncrypted(field_no))
      return nullptr;
    TOptimBlobStream* stream = item.BlobStream();
    if (stream == nullptr) return value.Plain.empty() ? &value.Stored : nullptr;
    const int64_t size = stream->Size();  // loads a pending value first
    if (static_cast<size_t>(size) != value.Plain.size()) return nullptr;
    if (size > 0 && std::memcmp(stream->Memory(), value.Plain.data(), value.Plain.size()) != 0)
      return nullptr;
    return &value.Stored;
  }
  return nullptr;
}

void TTinyTableIO::WriteBlob(TFieldBufferItem& item, int field_no, int64_t pos,
                             TMemoryStream& stored) {
  TTinyDBFileIO& io = FileIO();
  const bool compressed = FieldCompressed(field_no);
  const bool encrypted = FieldEncrypted(field_no);
  const int64_t n = stored.Size();
  auto write_block = [&] {
    static constexpr uint8_t kPadding[kBlobBlockGranule] = {};
    io.WriteBuffer(pos, stored.Memory(), n);
    io.WriteBuffer(pos + n, kPadding, WrittenSize(n) - n);
  };
  if (!database_->VerifyWrites()) {
    write_block();
    return;
  }
  uint32_t expected = Crc32(nullptr, 0);
  if (TOptimBlobStream* value = item.BlobStream()) {
    const int64_t size = value->Size();  // loads a pending value first
    expected = Crc32(value->Memory(), static_cast<size_t>(size));
  }
  for (int attempt = 0; attempt < kVerifiedWriteAttempts; ++attempt) {
    if (attempt > 0) EncodeBlob(item, field_no, stored);
    write_block();
    TMemoryStream back;
    back.SetSize(n);
    io.ReadBuffer(pos, back.Memory(), n);
    TMemoryStream decoded;
    try {
      io.DecodeStream(&back, &decoded, compressed, encrypted);
    } catch (const std::exception&) {
      // A read-back that does not decode is simply a mismatch.
    }
    if (Crc32(decoded.Memory(), static_cast<size_t>(decoded.Size())) == expected) return;
  }
  throw EWriteError(FormatMessage(kBlobNotVerified, field_defs_[static_cast<size_t>(field_no)].Name));
}

void TTinyTableIO::AppendRecord(TFieldBuffers& buffers, bool flush, const TOnAdjust& on_adjust) {
  RequireBuffers(buffers);
  TTinyDBFileIO& io = FileIO();
  FileLockHold hold(io);
  // One precoded record per append, taken even when this one fails, so
  // the next append meets its own.
  const TBlobPrecoder::TRecord* precoded = precoder_ != nullptr ? precoder_->Next() : nullptr;
  // Texts are cut first, so the unique checks see the values stored.
  PadStringBuffers(buffers);
  // The unique checks' searches also give the new record's place in those
  // indexes, unless the key changes below.
  std::vector<TSearchResult>& searches = unique_searches_;
  CheckUnique(buffers, -1, &searches);
  // Every write of the record is one change of the image.
  TTinyDBFileIO::TWriteScope scope(io);

  bool auto_inc_assigned = false;
  if (auto_inc_field_ >= 0) {
    TFieldBufferItem& item = buffers.Items(auto_inc_field_);
    if (item.Buffer != nullptr && item.Size >= 4) {
      const int32_t v = NativeInt32(item.Buffer);
      if (v == 0) {
        ++header_->AutoIncValue;
        std::memcpy(item.Buffer, &header_->AutoIncValue, 4);
        auto_inc_assigned = true;
      } else if (v > header_->AutoIncValue) {
        header_->AutoIncValue = v;
      }
    }
  }
  // A number handed out now was not the key the searches looked for.
  if (auto_inc_assigned) {
    for (size_t i = 0; i < searches.size(); ++i) {
      for (int field_no : index_defs_[i].FieldNumbers)
        if (field_no == auto_inc_field_) searches[i].Position = kNotSearched;
    }
  }

  const int32_t k = header_->RecordCount;
  int32_t data_pos;
  TRecordTabItem tab_item;
  if (k % kTabChunkItems == 0) {
    const int32_t chunk_pos = static_cast<int32_t>(io.ImageSize());
    tab_item.DataPos = chunk_pos + kRecordTabChunkSize;
    AppendTabChunk(record_tab_chunks_, kRecordTabChunkSize, &tab_item);
    if (k == 0) header_->RecordTabPos = chunk_pos;
  } else {
    tab_item.DataPos = static_cast<int32_t>(io.ImageSize());
    uint8_t bytes[kRecordTabItemSize];
    tab_item.EncodeTo(bytes);
    io.WriteBuffer(RecordItemPos(k), bytes, kRecordTabItemSize);
  }
  data_pos = tab_item.DataPos;

  header_->RecordCount = k + 1;
  uint8_t counters[kTableHeaderCountersSize];
  constexpr int kAt = kTableHeaderRecordTabPosOffset;  // counters[0] in the header
  EncodeInt32(counters + (kTableHeaderRecordTabPosOffset - kAt), header_->RecordTabPos);
  EncodeInt32(counters + (kTableHeaderRecordCountOffset - kAt), header_->RecordCount);
  EncodeInt32(counters + (kTableHeaderAutoIncOffset - kAt), header_->AutoIncValue);
  io.WriteBuffer(HeaderPos() + kAt, counters,
                 auto_inc_field_ >= 0 ? kTableHeaderCountersSize
                                      : kTableHeaderCountersWithoutAutoIncSize);

  std::vector<uint8_t>& image = write_image_;
  image.assign(static_cast<size_t>(record_size_), 0);
  io.WriteBuffer(data_pos, image.data(), record_size_);  // reserves the image's place
  // The decoded image is known here: kept for the cache, the cursor's
  // read of the new record and later key searches decrypt nothing.
  std::vector<uint8_t>& plain_image = append_plain_;
  plain_image.assign(static_cast<size_t>(record_size_), 0);
  bool any_encrypted = false;

  TMemoryStream& stored = stored_value_;
  for (int i = 0; i < static_cast<int>(field_defs_.size()); ++i) {
    TFieldBufferItem& item = buffers.Items(i);
    const int32_t offset = field_offsets_[static_cast<size_t>(i)];
    uint8_t* field = image.data() + offset;
    if (!IsBlobFieldType(field_defs_[static_cast<size_t>(i)].FieldType)) {
      const int32_t width = field_widths_[static_cast<size_t>(i)];
      const bool encrypted = FieldEncrypted(i);
      any_encrypted = any_encrypted || encrypted;
      uint8_t* plain = plain_image.data() + offset;
      PlainFixedField(item, i, plain);
      io.EncodeBuffer(plain, field, encrypted, width);
      continue;
    }
    if (const std::vector<uint8_t>* ready = PrecodedBlob(precoded, item, i)) {
      stored.SetSize(static_cast<int64_t>(ready->size()));
      if (!ready->empty()) std::memcpy(stored.Memory(), ready->data(), ready->size());
      stored.SetPosition(0);
    } else {
      EncodeBlob(item, i, stored);
    }
    TBlobDescriptor blob;
    blob.BlobPos = static_cast<int32_t>(io.ImageSize());
    blob.BlobSize = static_cast<int32_t>(stored.Size());
    blob.BlobCapacity = BlobCapacityFor(blob.BlobSize);
    blob.EncodeTo(field);
    std::memcpy(plain_image.data() + offset, field,
                static_cast<size_t>(field_widths_[static_cast<size_t>(i)]));
    WriteBlob(item, i, blob.BlobPos, stored);
    if (FieldCompressed(i) || FieldEncrypted(i))
      NoteEncodedBlock(int64_t{data_pos} + field_offsets_[static_cast<size_t>(i)], blob, stored,
                       io.TrackedImage());
  }
  io.WriteBuffer(data_pos, image.data(), record_size_);
  if (any_encrypted)
    decoded_cache_->StoreRecord(k, data_pos, image.data(), plain_image.data(), record_size_,
                                io.TrackedImage());

  GetRecordList(0).push_back({data_pos, k});
  InsertIntoIndexes(buffers, data_pos, k, on_adjust, &searches);
  if (flush) io.Flush();
  scope.Commit();
}

bool TTinyTableIO::BlobKeepsItsBytes(TFieldBufferItem& item, int field_no, int32_t record_no,
                                     int64_t descriptor_pos, const TBlobDescriptor& blob,
                                     const TMemoryStream* tracked) {
  const bool compressed = FieldCompressed(field_no);
  const bool encrypted = FieldEncrypted(field_no);
  if (tracked == nullptr || (!compressed && !encrypted)) return false;
  // The block must be one an update writes in place: sound, and the same
  // encoding (of the same length) fits it.
  const bool in_place = blob.BlobPos >= kFixedPartSize && blob.BlobCapacity > 0 &&
                        blob.BlobCapacity % kBlobBlockGranule == 0 &&
                        int64_t{blob.BlobPos} + blob.BlobCapacity <=
                            static_cast<int64_t>(tracked->Bytes().size()) &&
                        blob.BlobSize >= 0 && blob.BlobSize < blob.BlobCapacity;
  if (!in_place) return false;
  TOptimBlobStream* value = item.BlobStream();
  const bool stored_value = value != nullptr && !value->Loaded() &&
                            value->Host() == database_ && value->LoadPos() == descriptor_pos &&
                            value->LoadEncrypted() == encrypted &&
                            value->LoadCompressed() == compressed;
  if (stored_value && BlockHoldsItsEncoding(descriptor_pos, blob, tracked)) return true;
  TDecodedCache::TBlob* cached = decoded_cache_->FindBlob(field_no, record_no, descriptor_pos);
  if (cached == nullptr || !cached->Encoded || cached->Compressed != compressed ||
      cached->Encrypted != encrypted || cached->BlobPos != blob.BlobPos ||
      cached->Stored.size() != static_cast<size_t>(blob.BlobSize) ||
      !StillHoldsWritten(*tracked, blob.BlobPos, cached->Stored, cached->Written, cached->Stamp))
    return false;
  // The block holds the encoding of Decoded and its padding; the value to
  // store must be Decoded.
  if (value == nullptr) return cached->Decoded.empty();
  if (!value->Loaded()) return stored_value;
  const int64_t size = value->Size();
  return static_cast<size_t>(size) == cached->Decoded.size() &&
         (size == 0 || std::memcmp(value->Memory(), cached->Decoded.data(),
                                   static_cast<size_t>(size)) == 0);
}

bool TTinyTableIO::BlockHoldsItsEncoding(int64_t descriptor_pos, const TBlobDescriptor& blob,
                                         const TMemoryStream* tracked) {
  const auto found = encoded_blocks_.find(descriptor_pos);
  if (found == encoded_blocks_.end()) return false;
  TEncodedBlock& block = found->second;
  return block.BlobPos == blob.BlobPos && block.Stored.size() == static_cast<size_t>(blob.BlobSize) &&
         StillHoldsWritten(*tracked, block.BlobPos, block.Stored, block.Written, block.Stamp);
}

void TTinyTableIO::NoteEncodedBlock(int64_t descriptor_pos, const TBlobDescriptor& blob,
                                    const TMemoryStream& stored, const TMemoryStream* tracked) {
  if (tracked == nullptr) return;
  const auto found = encoded_blocks_.find(descriptor_pos);
  if (found != encoded_blocks_.end()) {
    encoded_blocks_bytes_ -= found->second.Stored.size() + kEncodedBlockCharge;
    encoded_blocks_.erase(found);
  }
  const size_t n = static_cast<size_t>(blob.BlobSize);
  if (n + kEncodedBlockCharge > kEncodedBlocksBudget) return;
  if (encoded_blocks_bytes_ + n + kEncodedBlockCharge > kEncodedBlocksBudget) {
    encoded_blocks_.clear();
    encoded_blocks_bytes_ = 0;
  }
  TEncodedBlock& block = encoded_blocks_[descriptor_pos];
  block.BlobPos = blob.BlobPos;
  block.Written = static_cast<int32_t>(WrittenSize(blob.BlobSize));
  block.Stamp = StampOf(tracked);
  const uint8_t* bytes = stored.Bytes().data();
  block.Stored.assign(bytes, bytes + n);
  encoded_blocks_bytes_ += n + kEncodedBlockCharge;
}

void TTinyTableIO::KeepEncodedBlob(TFieldBufferItem& item, int field_no, int64_t descriptor_pos,
                                   const TBlobDescriptor& blob, const TMemoryStream& stored) {
  TDecodedCache::TBlob entry;
  entry.BlobPos = blob.BlobPos;
  entry.Compressed = FieldCompressed(field_no);
  entry.Encrypted = FieldEncrypted(field_no);
  if (!entry.Compressed && !entry.Encrypted) return;
  entry.Encoded = true;
  entry.Written = WrittenSize(blob.BlobSize);
  const uint8_t* bytes = static_cast<const TMemoryStream&>(stored).Bytes().data();
  entry.Stored.assign(bytes, bytes + blob.BlobSize);
  if (TOptimBlobStream* value = item.BlobStream()) {
    const int64_t size = value->Size();
    const uint8_t* plain = value->Bytes().data();
    entry.Decoded.assign(plain, plain + size);
  }
  kept_blobs_.push_back({field_no, descriptor_pos, std::move(entry)});
}

void TTinyTableIO::UpdateRecord(TFieldBuffers& buffers, int pos, bool flush,
                                const TOnAdjust& on_adjust) {
  RequireBuffers(buffers);
  TRecordList& physical = GetRecordList(0);
  if (pos < 0 || static_cast<size_t>(pos) >= physical.size())
    throw EDatabaseError(FormatMessage(kPositionOutOfRange, std::to_string(pos)));
  TTinyDBFileIO& io = FileIO();
  FileLockHold hold(io);
  PadStringBuffers(buffers);

  const TRecordListEntry entry = physical[static_cast<size_t>(pos)];
  std::vector<uint8_t>& image = write_image_;
  image.resize(static_cast<size_t>(record_size_));
  io.ReadBuffer(entry.DataPos, image.data(), record_size_);
  // With the decoded image of what is stored, a field whose value stays
  // keeps its stored bytes (encoding is deterministic: the same value
  // encodes to the same bytes), a key that stays needs no unique check,
  // and the new record image is kept decoded.
  const TMemoryStream* tracked = io.TrackedImage();
  std::vector<uint8_t>& plain_image = update_plain_;
  const uint8_t* old_plain =
      decoded_cache_->FindRecord(entry.RecordNo, entry.DataPos, image.data(), record_size_, tracked);
  bool plain_known = old_plain != nullptr;
  std::vector<char>* kept_keys = nullptr;
  if (plain_known) {
    plain_image.assign(old_plain, old_plain + record_size_);
    FindKeptKeys(buffers, plain_image.data(), kept_keys_);
    kept_keys = &kept_keys_;
  } else {
    plain_image = image;
  }
  CheckUnique(buffers, pos, nullptr, kept_keys);
  TTinyDBFileIO::TWriteScope scope(io);
  bool every_field = true;
  bool any_encrypted = false;
  kept_blobs_.clear();

  TMemoryStream& stored = stored_value_;
  std::vector<uint8_t>& plain = field_plain_;
  for (int i = 0; i < static_cast<int>(field_defs_.size()); ++i) {
    TFieldBufferItem& item = buffers.Items(i);
    const uint8_t field_type = field_defs_[static_cast<size_t>(i)].FieldType;
    const int32_t offset = field_offsets_[static_cast<size_t>(i)];
    const int32_t width = field_widths_[static_cast<size_t>(i)];
    uint8_t* field = image.data() + offset;
    if (!IsBlobFieldType(field_type)) any_encrypted = any_encrypted || FieldEncrypted(i);
    if (!item.Active) {
      if (!IsBlobFieldType(field_type)) every_field = false;
      continue;
    }
    if (IsBlobFieldType(field_type)) {
      const int64_t descriptor_pos = int64_t{entry.DataPos} + offset;
      TBlobDescriptor blob;
      blob.DecodeFrom(field);
      if (BlobKeepsItsBytes(item, i, entry.RecordNo, descriptor_pos, blob, tracked)) {
        // The same bytes would be written into the same block.
        blob.EncodeTo(field);
      } else {
        EncodeBlob(item, i, stored);
        const int32_t n = static_cast<int32_t>(stored.Size());
        const int64_t image_size = io.ImageSize();
        // Only a block that really lies in the image is reused.
        const bool block_sound = blob.BlobPos >= kFixedPartSize && blob.BlobCapacity > 0 &&
                                 blob.BlobCapacity % kBlobBlockGranule == 0 &&
                                 int64_t{blob.BlobPos} + blob.BlobCapacity <= image_size;
        if (!block_sound || n >= blob.BlobCapacity) {
          const bool last = block_sound && int64_t{blob.BlobPos} + blob.BlobCapacity == image_size;
          blob.BlobPos = last ? blob.BlobPos : static_cast<int32_t>(image_size);
          blob.BlobCapacity = BlobCapacityFor(n);
        }
        blob.BlobSize = n;
        WriteBlob(item, i, blob.BlobPos, stored);
        blob.EncodeTo(field);
        if (FieldCompressed(i) || FieldEncrypted(i))
          NoteEncodedBlock(descriptor_pos, blob, stored, tracked);
        KeepEncodedBlob(item, i, descriptor_pos, blob, stored);
      }
      std::memcpy(plain_image.data() + offset, field, kBlobDescriptorSize);
      continue;
    }
    if (field_type == ftAutoInc) {
      if (item.Buffer == nullptr || item.Size < 4) {
        every_field = false;
        continue;
      }
      const int32_t v = NativeInt32(item.Buffer);
      if (v == 0) {
        every_field = false;
        continue;
      }
      if (v > header_->AutoIncValue) {
        header_->AutoIncValue = v;
        uint8_t bytes[4];
        EncodeInt32(bytes, v);
        io.WriteBuffer(HeaderPos() + kTableHeaderAutoIncOffset, bytes, 4);
      }
    }
    if (item.Buffer == nullptr) every_field = false;
    plain.resize(static_cast<size_t>(width));
    PlainFixedField(item, i, plain.data());
    uint8_t* known = plain_image.data() + offset;
    if (plain_known && std::memcmp(known, plain.data(), static_cast<size_t>(width)) == 0)
      continue;  // the stored bytes decode to this value, so they are its encoding
    std::memcpy(known, plain.data(), static_cast<size_t>(width));
    io.EncodeBuffer(plain.data(), field, FieldEncrypted(i), width);
  }
  io.WriteBuffer(entry.DataPos, image.data(), record_size_);
  if (any_encrypted && (plain_known || every_field))
    decoded_cache_->StoreRecord(entry.RecordNo, entry.DataPos, image.data(), plain_image.data(),
                                record_size_, tracked);
  // Kept only when the record image written last did not land on them.
  for (auto& [field_no, descriptor_pos, blob] : kept_blobs_) {
    const bool overlaps = blob.BlobPos < int64_t{entry.DataPos} + record_size_ &&
                          int64_t{entry.DataPos} < blob.BlobPos + blob.Written;
    if (overlaps) continue;
    blob.Stamp = StampOf(tracked);
    decoded_cache_->StoreBlob(field_no, entry.RecordNo, descriptor_pos, std::move(blob));
  }
  kept_blobs_.clear();

  RepositionInIndexes(buffers, pos, on_adjust, kept_keys);
  if (flush) io.Flush();
  scope.Commit();
}

void TTinyTableIO::DeleteRecord(int pos, bool flush) {
  RequireLoaded();
  TRecordList& physical = GetRecordList(0);
  if (pos < 0 || static_cast<size_t>(pos) >= physical.size())
    throw EDatabaseError(FormatMessage(kPositionOutOfRange, std::to_string(pos)));
  TTinyDBFileIO& io = FileIO();
  FileLockHold hold(io);
  TTinyDBFileIO::TWriteScope scope(io);
  io.MarkDeleted(RecordItemPos(physical[static_cast<size_t>(pos)].RecordNo));
  RemoveFromIndexes(pos);
  physical.erase(physical.begin() + pos);
  if (flush) io.Flush();
  scope.Commit();
}

}  // namespace tinydb
