#include "storage/TinyDBFileIO.h"

#include <algorithm>
#include <cstring>
#include <set>

#include "platform/Errors.h"
#include "platform/FileLock.h"
#include "platform/Journal.h"
#include "processing/HashBase.h"
#include "processing/Hash_SHA.h"
#include "storage/DatabaseWriter.h"
#include "storage/MemoryMedium.h"

namespace tinydb {

namespace {

constexpr char kCannotOpenFile[] = "Cannot open file %s";
constexpr char kInvalidTinyDB[] = "Database file '%s' is a invalid TinyDB";
constexpr char kInvalidDatabaseName[] = "Invalid database name '%s'";
constexpr char kVersion100[] = "Version 1.00 is not compatible";
constexpr char kVersionTooHigh[] = "Version of database file is too High";
constexpr char kLockTimeOut[] = "Wait for unlock time out";
constexpr char kDamaged[] = "Database '%s' is damaged: ";
constexpr char kTransactionOpen[] = "A transaction is already open on database '%s'";
constexpr char kNoTransaction[] = "No transaction is open on database '%s'";
constexpr char kMemoryRollback[] = "The changes to memory database '%s' cannot be rolled back";

// The version no longer readable, and the highest one understood.
constexpr char kIncompatibleVersion[] = "1.00";

// The byte writers lock to keep out of each other's way.
constexpr int64_t kLockOffset = 1;
constexpr int64_t kLockLength = 1;

constexpr int kHighestCipherMode = 4;

[[noreturn]] void ThrowDamaged(const std::string& name, const std::string& what) {
  throw EDatabaseError(FormatMessage(kDamaged, name) + what);
}

std::string Num(int64_t v) { return std::to_string(v); }

// Chunks needed for |record_count| tab items.
int64_t TabChunkCount(int64_t record_count) {
  return (record_count + kTabChunkItems - 1) / kTabChunkItems;
}

// Structures located through stored positions (table headers, tab chunks,
// record images) never lie inside the fixed part.
bool InsideFixedPart(int64_t pos) { return pos < kFixedPartSize; }

void ResetStream(TStream* stream) {
  stream->SetSize(0);
  stream->SetPosition(0);
}

}  // namespace

TTinyDBFileIO::TTinyDBFileIO(TFileIODatabaseLink* database) : database_(database) {
  const TProcessProgressEvents* events = nullptr;
  if (database_ != nullptr) {
    medium_type_ = database_->MediumType();
    exclusive_ = database_->Exclusive();
    events = database_->ProgressEvents();
  }
  compress_mgr_ = std::make_unique<TCompressMgr>(this, events);
  encrypt_mgr_ = std::make_unique<TEncryptMgr>(this, events);
}

TTinyDBFileIO::~TTinyDBFileIO() { Close(); }

// ---- Opening and closing ----

void TTinyDBFileIO::Open(const std::string& name, TTinyDBMediumType medium_type,
                         bool exclusive) {
  if (IsOpen()) return;
  medium_type_ = medium_type;
  exclusive_ = exclusive;
  if (medium_type == mtMemory)
    OpenMemoryImage(name);
  else
    OpenDiskImage(name);
  file_name_ = name;
  ReadSettings();
  ReadTableDirectory();
}

void TTinyDBFileIO::OpenDiskImage(const std::string& name) {
  if (!FileExists(name)) throw EDatabaseError(FormatMessage(kCannotOpenFile, name));
  RecoverDiskImage(name);
  {
    // Checked through a separate reader so nothing is held when it fails.
    TFileStream probe(name, TFileAccess::faRead, TFileShare::fsShareAll);
    CheckSignature(probe, name);
  }
  bool read_only = FileIsReadOnly(name);
  disk_stream_ = std::make_unique<TJournaledFile>(
      name, read_only ? TFileAccess::faRead : TFileAccess::faReadWrite,
      exclusive_ ? TFileShare::fsExclusive : TFileShare::fsShareAll);
  read_only_ = read_only;
  stream_ = disk_stream_.get();
}

void TTinyDBFileIO::OpenMemoryImage(const std::string& name) {
  TMemoryStream* image = IsMemoryDatabaseName(name) ? DatabaseNameToMemoryStream(name) : nullptr;
  if (image == nullptr) throw EDatabaseError(FormatMessage(kInvalidDatabaseName, name));
  CheckSignature(*image, name);
  read_only_ = false;
  image->EnableChangeTracking();
  stream_ = image;
  memory_image_ = image;
}

void TTinyDBFileIO::CheckSignature(TStream& image, const std::string& name) const {
  uint8_t bytes[kFileSignatureSize] = {};
  image.SetPosition(kFileSignaturePos);
  if (image.Read(bytes, kFileSignatureSize) != kFileSignatureSize)
    throw EDatabaseError(FormatMessage(kInvalidTinyDB, name));
  TFileSignature signature;
  signature.DecodeFrom(bytes);
  if (FixedTextToString(signature.Magic) != kMagic)
    throw EDatabaseError(FormatMessage(kInvalidTinyDB, name));
  const std::string version = FixedTextToString(signature.FormatVersion);
  if (version == kIncompatibleVersion) throw EDatabaseError(kVersion100);
  // Plain byte-wise order: "2.00" and "2.1" sort above "2.0", "1.5" below.
  if (version > kCurrentVersion) throw EDatabaseError(kVersionTooHigh);
  if (image.Size() < kFixedPartSize) ThrowDamaged(name, "the image is shorter than its fixed part");
}

void TTinyDBFileIO::RecoverDiskImage(const std::string& name) {
  if (!JournalExists(name)) return;
  // A reader's lock still keeps every writer out.
  TFileStream file(name, FileIsReadOnly(name) ? TFileAccess::faRead : TFileAccess::faReadWrite);
  LockHandle(file.Handle());
  try {
    RecoverFromJournal(name);  // nothing to do when the writer finished meanwhile
  } catch (...) {
    UnlockFileRange(file.Handle(), kLockOffset, kLockLength);
    throw;
  }
  UnlockFileRange(file.Handle(), kLockOffset, kLockLength);
}

void TTinyDBFileIO::Close() {
  std::lock_guard<std::recursive_mutex> hold(guard_);
  // Writes a scope still holds back never reach the file.
  if (disk_stream_) disk_stream_->RollbackAll();
  scope_depth_ = 0;
  in_transaction_ = false;
  lock_depth_ = 0;  // the lock goes with the file
  stream_ = nullptr;
  memory_image_ = nullptr;
  disk_stream_.reset();  // a memory stream stays with its owner
}

int64_t TTinyDBFileIO::ImageSize() const { return stream_ != nullptr ? stream_->Size() : 0; }

// ---- Checks ----

void TTinyDBFileIO::Damaged(const std::string& what) const { ThrowDamaged(file_name_, what); }

void TTinyDBFileIO::RequireOpen() const {
  if (!IsOpen()) throw EDatabaseError(kClosedDatabase);
}

void TTinyDBFileIO::CheckImageRange(int64_t pos, int64_t size, const char* what) const {
  if (pos < 0 || size < 0 || size > ImageSize() - pos)
    Damaged(std::string(what) + " of " + Num(size) + " bytes at " + Num(pos) +
            " lies outside the image");
}

void TTinyDBFileIO::CheckTableHeader(const TTableHeader& header) const {
  const std::string table = "table '" + FixedTextToString(header.TableName) + "': ";
  if (header.FieldCount < 0 || header.FieldCount > kMaxFieldCount)
    Damaged(table + "field count " + Num(header.FieldCount) + " is out of range");
  if (header.IndexCount < 0 || header.IndexCount > kMaxIndexCount)
    Damaged(table + "index count " + Num(header.IndexCount) + " is out of range");
  const int64_t image_size = ImageSize();
  if (header.RecordCount < 0 ||
      TabChunkCount(header.RecordCount) * kRecordTabChunkSize > image_size)
    Damaged(table + "record count " + Num(header.RecordCount) + " is out of range");

  int64_t record_size = 0;
  for (int f = 0; f < header.FieldCount; ++f) {
    const TFieldDefEntry& field = header.FieldDefs[f];
    int64_t width;
    if (field.FieldType == ftString || field.FieldType == ftFixedChar) {
      if (field.FieldSize < 0)
        Damaged(table + "field " + Num(f) + " has size " + Num(field.FieldSize));
      width = int64_t{field.FieldSize} + 1;
    } else {
      width = StoredFieldWidth(field.FieldType, 0);
    }
    record_size += width;
  }
  // Records that exist lie inside the image, so their size must fit in it;
  // an empty table's record can be no larger than any table is made with.
  // Every cursor buffer on the table is this wide.
  constexpr int64_t kLargestRecordSize = int64_t{kMaxFieldCount} * (kMaxStringFieldSize + 1);
  const int64_t largest = header.RecordCount > 0 ? image_size : kLargestRecordSize;
  if (record_size > INT32_MAX || record_size > largest)
    Damaged(table + "record size " + Num(record_size) + " is out of range");

  for (int i = 0; i < header.IndexCount; ++i) {
    const TIndexDefEntry& index = header.IndexDefs[i];
    for (int k = 0; k < index.KeyFieldCount(); ++k) {
      int32_t f = index.FieldIndexes[k];
      if (f < 0 || f >= header.FieldCount)
        Damaged(table + "index " + Num(i) + " names field " + Num(f) + ", which does not exist");
    }
    int32_t last_record = std::max(header.RecordCount - 1, 0);
    if (index.ChainHead < -1 || index.ChainHead > last_record)
      Damaged(table + "index " + Num(i) + " starts at record " + Num(index.ChainHead) +
              ", which does not exist");
  }
}

// ---- Fixed structures ----

void TTinyDBFileIO::ReadSettings() {
  uint8_t bytes[kSettingsSize];
  ReadBuffer(kSettingsPos, bytes, kSettingsSize);
  settings_.DecodeFrom(bytes);
  if (settings_.Compressed != 0)
    compress_mgr_->SelectAlgorithm(FixedTextToString(settings_.CompressAlgoName));
  if (settings_.Encrypted != 0) {
    if (settings_.EncryptMode > kHighestCipherMode)
      Damaged("cipher mode " + Num(settings_.EncryptMode) + " is unknown");
    encrypt_mgr_->SelectAlgorithm(FixedTextToString(settings_.EncryptAlgoName));
    encrypt_mgr_->SetMode(settings_.EncryptMode);
  }
}

void TTinyDBFileIO::ReadTableDirectory() {
  uint8_t bytes[kTableDirectorySize];
  ReadBuffer(kTableDirectoryPos, bytes, kTableDirectorySize);
  TTableDirectory directory;
  directory.DecodeFrom(bytes);
  if (directory.TableCount < 0 || directory.TableCount > kMaxTableCount)
    Damaged("table count " + Num(directory.TableCount) + " is out of range");
  directory_ = directory;
}

int64_t TTinyDBFileIO::TableHeaderPos(int table_no) const {
  RequireOpen();
  if (table_no < 0 || table_no >= directory_.TableCount)
    throw EDatabaseError(FormatMessage("Table number %s is out of range", Num(table_no)));
  int64_t pos = directory_.TableHeaderPos[table_no];
  if (InsideFixedPart(pos)) Damaged("table header " + Num(table_no) + " lies inside the fixed part");
  CheckImageRange(pos, kTableHeaderSize, "table header");
  return pos;
}

void TTinyDBFileIO::ReadTableHeader(int table_no, TTableHeader& header) {
  std::vector<uint8_t> bytes(kTableHeaderSize);
  ReadBuffer(TableHeaderPos(table_no), bytes.data(), kTableHeaderSize);
  auto read = std::make_unique<TTableHeader>();
  read->DecodeFrom(bytes.data());
  CheckTableHeader(*read);
  header = *read;
}

void TTinyDBFileIO::WriteTableHeader(int table_no, const TTableHeader& header) {
  std::vector<uint8_t> bytes(kTableHeaderSize);
  header.EncodeTo(bytes.data());
  WriteBuffer(TableHeaderPos(table_no), bytes.data(), kTableHeaderSize);
}

int TTinyDBFileIO::AppendTableHeader(const TTableHeader& header) {
  RequireOpen();
  if (directory_.TableCount < 0 || directory_.TableCount >= kMaxTableCount)
    throw EDatabaseError("Database '" + file_name_ + "' already has " +
                         Num(directory_.TableCount) + " tables, the most it can hold");
  const int64_t pos = ImageSize();
  if (pos > INT32_MAX - kTableHeaderSize)
    throw EDatabaseError("Database '" + file_name_ + "' is too large for another table");
  std::vector<uint8_t> bytes(kTableHeaderSize);
  header.EncodeTo(bytes.data());
  WriteBuffer(pos, bytes.data(), kTableHeaderSize);

  TTableDirectory directory = directory_;
  const int table_no = directory.TableCount;
  directory.TableHeaderPos[static_cast<size_t>(table_no)] = static_cast<int32_t>(pos);
  directory.TableCount = table_no + 1;
  uint8_t directory_bytes[kTableDirectorySize];
  directory.EncodeTo(directory_bytes);
  {
    // The directory is the one structure of the fixed part that changes
    // after creation, so it is written here and not through WriteBuffer.
    std::lock_guard<std::recursive_mutex> hold(guard_);
    stream_->SetPosition(kTableDirectoryPos);
    stream_->WriteBuffer(directory_bytes, kTableDirectorySize);
  }
  directory_ = directory;
  return table_no;
}

void TTinyDBFileIO::GetTableNames(std::vector<std::string>& list) {
  RequireOpen();
  std::vector<std::string> names;
  names.reserve(static_cast<size_t>(directory_.TableCount));
  auto header = std::make_unique<TTableHeader>();
  for (int t = 0; t < directory_.TableCount; ++t) {
    ReadTableHeader(t, *header);
    names.push_back(FixedTextToString(header->TableName));
  }
  list = std::move(names);
}

void TTinyDBFileIO::ReadBuffer(int64_t pos, void* buffer, int64_t size) {
  RequireOpen();
  CheckImageRange(pos, size, "read");
  std::lock_guard<std::recursive_mutex> hold(guard_);
  stream_->SetPosition(pos);
  stream_->ReadBuffer(buffer, size);
}

void TTinyDBFileIO::WriteBuffer(int64_t pos, const void* buffer, int64_t size) {
  RequireOpen();
  // Writes never touch the fixed part, and never leave a gap after the end.
  if (InsideFixedPart(pos) || pos > ImageSize() || size < 0 || size > INT32_MAX - pos)
    Damaged("write of " + Num(size) + " bytes at " + Num(pos) + " lies outside the image");
  std::lock_guard<std::recursive_mutex> hold(guard_);
  stream_->SetPosition(pos);
  stream_->WriteBuffer(buffer, size);
}

template <class ReadChunk>
void TTinyDBFileIO::WalkTabChain(int32_t first, int32_t record_count, int item_size,
                                 const char* tab, TIntegerAry& chunk_positions,
                                 ReadChunk read_chunk) {
  // At most one visit per needed chunk: a loop is found, never followed.
  std::set<int64_t> visited;
  int64_t pos = first;
  int32_t done = 0;
  while (done < record_count) {
    int32_t count = std::min(kTabChunkItems, record_count - done);
    if (InsideFixedPart(pos))
      Damaged(std::string(tab) + " chunk " + Num(done / kTabChunkItems) + " at " + Num(pos) +
              " lies inside the fixed part");
    CheckImageRange(pos, kTabChunkItemsOffset + int64_t{count} * item_size,
                    (std::string(tab) + " chunk").c_str());
    if (!visited.insert(pos).second)
      Damaged(std::string(tab) + " chain returns to the chunk at " + Num(pos));
    chunk_positions.push_back(static_cast<int32_t>(pos));
    std::vector<uint8_t> bytes(kTabChunkItemsOffset + static_cast<size_t>(count) * item_size);
    ReadBuffer(pos, bytes.data(), static_cast<int64_t>(bytes.size()));
    read_chunk(bytes.data() + kTabChunkItemsOffset, done, count);
    done += count;
    pos = DecodeInt32(bytes.data());
  }
}

void TTinyDBFileIO::ReadRecordTab(const TTableHeader& header, TRecordTabItems& items,
                                  TIntegerAry& chunk_positions) {
  RequireOpen();
  const int32_t n = header.RecordCount;
  if (n < 0 || TabChunkCount(n) * kRecordTabChunkSize > ImageSize())
    Damaged("record count " + Num(n) + " is out of range");
  TRecordTabItems read(static_cast<size_t>(n));
  TIntegerAry positions;
  positions.reserve(static_cast<size_t>(TabChunkCount(n)));
  WalkTabChain(header.RecordTabPos, n, kRecordTabItemSize, "record tab", positions,
               [&](const uint8_t* src, int32_t first, int32_t count) {
                 for (int32_t j = 0; j < count; ++j)
                   read[first + j].DecodeFrom(src + j * kRecordTabItemSize);
               });
  items = std::move(read);
  chunk_positions = std::move(positions);
}

void TTinyDBFileIO::ReadIndexTab(const TTableHeader& header, int index_no,
                                 TIntegerAry& chunk_positions, TIndexTabItems& items) {
  RequireOpen();
  if (index_no < 0 || index_no >= std::min(header.IndexCount, kMaxIndexCount))
    throw EDatabaseError(FormatMessage("Index number %s is out of range", Num(index_no)));
  const int32_t n = header.RecordCount;
  if (n < 0 || TabChunkCount(n) * kIndexTabChunkSize > ImageSize())
    Damaged("record count " + Num(n) + " is out of range");
  TIndexTabItems read(static_cast<size_t>(n));
  TIntegerAry positions;
  positions.reserve(static_cast<size_t>(TabChunkCount(n)));
  WalkTabChain(header.IndexDefs[index_no].IndexTabPos, n, kIndexTabItemSize, "index tab",
               positions, [&](const uint8_t* src, int32_t first, int32_t count) {
                 for (int32_t j = 0; j < count; ++j)
                   read[first + j].DecodeFrom(src + j * kIndexTabItemSize);
               });
  for (int32_t k = 0; k < n; ++k)
    if (read[k].Next < -1 || read[k].Next >= n)
      Damaged("index " + Num(index_no) + " links record " + Num(k) + " to record " +
              Num(read[k].Next) + ", which does not exist");
  items = std::move(read);
  chunk_positions = std::move(positions);
}

void TTinyDBFileIO::MarkDeleted(int64_t item_pos) {
  RequireOpen();
  if (InsideFixedPart(item_pos))
    Damaged("record tab item at " + Num(item_pos) + " lies inside the fixed part");
  std::lock_guard<std::recursive_mutex> hold(guard_);
  uint8_t bytes[kRecordTabItemSize];
  ReadBuffer(item_pos, bytes, kRecordTabItemSize);
  TRecordTabItem item;
  item.DecodeFrom(bytes);
  item.Deleted = 1;
  item.EncodeTo(bytes);
  WriteBuffer(item_pos, bytes, kRecordTabItemSize);
}

// ---- Values ----

void TTinyDBFileIO::DecodeStream(TStream* source, TStream* dest, bool compressed,
                                 bool encrypted) {
  std::lock_guard<std::recursive_mutex> hold(guard_);
  source->SetPosition(0);
  TMemoryStream work;
  TStream* stored = source;  // the bytes still to be undone
  if (encrypted) {
    // Decrypted straight into |dest| unless a decompression follows.
    TStream* out = compressed ? &work : dest;
    if (out != source) ResetStream(out);
    encrypt_mgr_->Decode(source, out, source->Size());
    stored = out;
  }
  if (compressed) {
    if (stored == dest) {  // unencrypted and in place: inflate from a copy
      work.CopyFrom(*dest, 0);
      stored = &work;
    }
    ResetStream(dest);
    stored->SetPosition(0);
    compress_mgr_->Decode(stored, dest, stored->Size());
  } else if (!encrypted && source != dest) {
    ResetStream(dest);
    dest->CopyFrom(*source, 0);
  }
  dest->SetPosition(0);
}

void EncodeValue(TCompressMgr& compress_mgr, TEncryptMgr& encrypt_mgr, TMemoryStream& work,
                 TStream* source, TStream* dest, bool compressed, bool encrypted) {
  source->SetPosition(0);
  TStream* plain = source;  // the bytes still to be transformed
  if (compressed) {
    // Compressed straight into |dest| unless an encryption follows or the
    // value is encoded in place.
    TStream* out = (!encrypted && source != dest) ? dest : &work;
    ResetStream(out);
    compress_mgr.Encode(source, out, source->Size());
    plain = out;
  }
  if (encrypted) {
    if (plain != dest) ResetStream(dest);
    plain->SetPosition(0);
    encrypt_mgr.Encode(plain, dest, plain->Size());
  } else if (plain != dest) {
    ResetStream(dest);
    dest->CopyFrom(*plain, 0);
  }
  dest->SetPosition(0);
}

void TTinyDBFileIO::EncodeStream(TStream* source, TStream* dest, bool compressed,
                                 bool encrypted) {
  std::lock_guard<std::recursive_mutex> hold(guard_);
  // encode_work_ is reused: one allocation, not one per value.
  EncodeValue(*compress_mgr_, *encrypt_mgr_, encode_work_, source, dest, compressed, encrypted);
}

void TTinyDBFileIO::DecodeBuffer(const void* source, void* dest, bool encrypted, int64_t size) {
  if (size <= 0) return;
  std::lock_guard<std::recursive_mutex> hold(guard_);
  if (encrypted)
    encrypt_mgr_->DecryptBuffer(source, dest, size);
  else if (source != dest)
    std::memmove(dest, source, static_cast<size_t>(size));
}

void TTinyDBFileIO::EncodeBuffer(const void* source, void* dest, bool encrypted, int64_t size) {
  if (size <= 0) return;
  std::lock_guard<std::recursive_mutex> hold(guard_);
  if (encrypted)
    encrypt_mgr_->EncryptBuffer(source, dest, size);
  else if (source != dest)
    std::memmove(dest, source, static_cast<size_t>(size));
}

void TTinyDBFileIO::ReadFieldValueAt(TStream* dest, int64_t pos, bool compressed,
                                     bool encrypted, bool is_blob, int width) {
  RequireOpen();
  if (width < 0 || (is_blob && width < kBlobDescriptorSize)) throw EDatabaseError(kGeneralError);
  TMemoryStream stored;
  int64_t stored_pos = pos;
  int64_t stored_size = width;
  if (is_blob) {
    std::vector<uint8_t> bytes(static_cast<size_t>(width));
    ReadBuffer(pos, bytes.data(), width);
    TBlobDescriptor blob;
    blob.DecodeFrom(bytes.data());
    stored_pos = blob.BlobPos;
    stored_size = blob.BlobSize;
    CheckImageRange(stored_pos, stored_size, "blob");
  } else {
    CheckImageRange(stored_pos, stored_size, "value");
  }
  stored.SetSize(stored_size);
  ReadBuffer(stored_pos, stored.Memory(), stored_size);
  DecodeStream(&stored, dest, compressed, encrypted);
}

void TTinyDBFileIO::ReadFieldValue(TStream* dest, int64_t item_pos, bool compressed,
                                   bool encrypted, bool is_blob, int width, int field_offset) {
  uint8_t bytes[kRecordTabItemSize];
  ReadBuffer(item_pos, bytes, kRecordTabItemSize);
  TRecordTabItem item;
  item.DecodeFrom(bytes);
  ReadFieldValueAt(dest, int64_t{item.DataPos} + field_offset, compressed, encrypted, is_blob,
                   width);
}

// ---- Locking and durability ----

void TTinyDBFileIO::LockHandle(int fd) {
  const int retry_count = database_ != nullptr ? database_->LockRetryCount() : 20;
  const int wait_time = database_ != nullptr ? database_->LockWaitTime() : 100;
  int attempts = 0;
  while (!TryLockFileRange(fd, kLockOffset, kLockLength)) {
    ++attempts;
    if (retry_count > 0 && attempts > retry_count) throw EDatabaseError(kLockTimeOut);
    SleepMilliseconds(std::max(wait_time, 0));
  }
}

void TTinyDBFileIO::Lock() {
  if (!disk_stream_) return;
  if (lock_depth_ == 0) LockHandle(disk_stream_->Handle());
  ++lock_depth_;
}

void TTinyDBFileIO::Unlock() {
  if (!disk_stream_ || lock_depth_ == 0) return;
  if (--lock_depth_ == 0) UnlockFileRange(disk_stream_->Handle(), kLockOffset, kLockLength);
}

void TTinyDBFileIO::Flush() {
  if (disk_stream_) disk_stream_->Flush();
}

// ---- Write scopes ----

void TTinyDBFileIO::BeginWriteScope() {
  RequireOpen();
  if (disk_stream_) {
    Lock();
    try {
      std::lock_guard<std::recursive_mutex> hold(guard_);
      disk_stream_->BeginScope();
    } catch (...) {
      Unlock();
      throw;
    }
  }
  ++scope_depth_;
}

void TTinyDBFileIO::CommitWriteScope() {
  if (scope_depth_ == 0) return;
  --scope_depth_;
  if (!disk_stream_) return;
  const bool outermost = disk_stream_->ScopeDepth() == 1;
  try {
    std::lock_guard<std::recursive_mutex> hold(guard_);
    disk_stream_->CommitScope();
  } catch (...) {
    if (outermost) AfterRollback();
    Unlock();
    throw;
  }
  Unlock();
}

void TTinyDBFileIO::RollbackWriteScope() {
  if (scope_depth_ == 0) return;
  --scope_depth_;
  if (!disk_stream_) return;
  bool changed;
  {
    std::lock_guard<std::recursive_mutex> hold(guard_);
    changed = disk_stream_->RollbackScope();
  }
  if (changed) AfterRollback();
  Unlock();
}

void TTinyDBFileIO::AfterRollback() {
  try {
    ReadTableDirectory();
    if (database_ != nullptr) database_->ImageRolledBack();
  } catch (...) {
    // What cannot be read again fails with its own error when next used.
  }
}

void TTinyDBFileIO::StartTransaction() {
  RequireOpen();
  if (in_transaction_) throw EDatabaseError(FormatMessage(kTransactionOpen, file_name_));
  BeginWriteScope();
  in_transaction_ = true;
}

void TTinyDBFileIO::Commit() {
  if (!in_transaction_) throw EDatabaseError(FormatMessage(kNoTransaction, file_name_));
  in_transaction_ = false;
  CommitWriteScope();
}

void TTinyDBFileIO::Rollback() {
  if (!in_transaction_) throw EDatabaseError(FormatMessage(kNoTransaction, file_name_));
  in_transaction_ = false;
  RollbackWriteScope();
  if (!disk_stream_) throw EDatabaseError(FormatMessage(kMemoryRollback, file_name_));
}

// ---- Password ----

bool TTinyDBFileIO::VerifyPassword(std::string_view password) {
  if (!IsOpen()) return false;
  if (settings_.Encrypted == 0) return true;
  if (HashText<THash_SHA>(password) != FixedTextToString(settings_.PasswordCheck)) return false;
  std::lock_guard<std::recursive_mutex> hold(guard_);
  encrypt_mgr_->InitKey(password);
  return true;
}

}  // namespace tinydb
