// File access: the one object through which an open database reaches the
// bytes of its image, on disk or in a memory stream. It checks the file
// signature, loads the settings block and the table directory, sets up the
// compression and encryption managers, verifies the password, reads and
// writes the fixed structures and passes every stored value through the
// encode and decode steps.
//
// Every position and count taken from the image is checked before use; a
// damaged image is refused with EDatabaseError
// "Database '<name>' is damaged: <what>" and never crashes, hangs or makes
// the engine allocate more than the image could hold.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "platform/JournaledFile.h"
#include "platform/Streams.h"
#include "processing/DataProcess.h"
#include "storage/Format.h"

namespace tinydb {

// Where a database image lives.
enum TTinyDBMediumType { mtDisk = 0, mtMemory = 1 };

// Dynamic arrays shared by file access and table storage.
using TIntegerAry = std::vector<int32_t>;
using TRecordTabItems = std::vector<TRecordTabItem>;
using TIndexTabItems = std::vector<TIndexTabItem>;

// What file access needs from the database object that owns it. Every
// member has a default, so a test (or a null link) gets: disk medium,
// shared opening, 20 lock attempts 100 ms apart, no progress events.
class TFileIODatabaseLink {
 public:
  virtual ~TFileIODatabaseLink() = default;
  virtual TTinyDBMediumType MediumType() const { return mtDisk; }
  virtual bool Exclusive() const { return false; }
  // File-lock attempts before giving up; 0 retries without end.
  virtual int LockRetryCount() const { return 20; }
  // Milliseconds between file-lock attempts.
  virtual int LockWaitTime() const { return 100; }
  // The database's progress events (compress, uncompress, encrypt,
  // decrypt), or null. Read once, when the file access object is built;
  // the events must outlive it.
  virtual const TProcessProgressEvents* ProgressEvents() const { return nullptr; }
  // Called after changes of a disk image were rolled back (the bytes are
  // as they were when the scope began): whatever was read from the image
  // since must be read again.
  virtual void ImageRolledBack() {}
};

// Value to stored bytes, the steps of TTinyDBFileIO::EncodeStream through
// the given managers: compress, then encrypt. |work| carries the
// compressed value on its way to encryption; |source| may be |dest|.
void EncodeValue(TCompressMgr& compress_mgr, TEncryptMgr& encrypt_mgr, TMemoryStream& work,
                 TStream* source, TStream* dest, bool compressed, bool encrypted);

class TTinyDBFileIO {
 public:
  // Takes MediumType and Exclusive from |database| when given (it may be
  // null); |database| must outlive this object.
  explicit TTinyDBFileIO(TFileIODatabaseLink* database = nullptr);
  // Closes the image.
  ~TTinyDBFileIO();
  TTinyDBFileIO(const TTinyDBFileIO&) = delete;
  TTinyDBFileIO& operator=(const TTinyDBFileIO&) = delete;

  // ---- Opening and closing ----

  bool IsOpen() const { return stream_ != nullptr; }

  // Opens the image |name|: a file path for mtDisk, a memory-medium name
  // (":" + 8 hex digits) for mtMemory. Checks the signature and version,
  // then reads the settings (selecting the modules) and the directory. Does
  // nothing when already open. Failures of the name, signature, version or
  // size leave the object closed; a failure while reading the settings or
  // directory leaves it open, and the caller closes it.
  void Open(const std::string& name, TTinyDBMediumType medium_type, bool exclusive);

  // Releases the image: a disk file is closed, a memory stream is left
  // intact with its owner. The managers keep their modules and keys.
  void Close();

  const std::string& FileName() const { return file_name_; }
  TTinyDBMediumType MediumType() const { return medium_type_; }
  bool Exclusive() const { return exclusive_; }
  // True when the disk file carries the read-only attribute (then it is
  // opened for reading only and writes fail).
  bool ReadOnly() const { return read_only_; }
  // The open image, or null.
  TStream* Stream() const { return stream_; }
  // Current length of the open image in bytes; 0 when closed.
  int64_t ImageSize() const;
  // The open memory image, which tracks its changes (every write to it, by
  // any database object, moves its change stamps); null for a disk image,
  // which another process may change unseen, and when closed.
  const TMemoryStream* TrackedImage() const { return memory_image_; }

  TCompressMgr& CompressMgr() { return *compress_mgr_; }
  TEncryptMgr& EncryptMgr() { return *encrypt_mgr_; }
  // Copies of the settings block and the table directory read by Open.
  const TDataProcessSettings& Settings() const { return settings_; }
  const TTableDirectory& Directory() const { return directory_; }

  // ---- Fixed structures ----

  // Reads the settings block into Settings() and selects the modules it
  // names (and the cipher mode). Throws the managers' errors for unknown
  // module names.
  void ReadSettings();
  // Reads the table directory into Directory(); refuses a table count
  // outside 0..256.
  void ReadTableDirectory();
  // Reads the header of table |table_no| (0 .. TableCount - 1) and checks
  // its counts, positions and field sizes against the image.
  void ReadTableHeader(int table_no, TTableHeader& header);
  // Writes |header| over table |table_no|'s header in place.
  void WriteTableHeader(int table_no, const TTableHeader& header);
  // Adds a table: writes |header| at the end of the image (which only
  // grows), then the directory with the table counted and its header's
  // position, and returns the new table's number. The header goes first,
  // so an interrupted append leaves the directory as it was. Refuses a
  // full directory; the caller holds the file lock and has checked the
  // header.
  int AppendTableHeader(const TTableHeader& header);
  // Replaces |list| with the names of all tables in directory order; on
  // failure |list| is unchanged.
  void GetTableNames(std::vector<std::string>& list);

  // Reads exactly |size| bytes at |pos|; refuses a range outside the image.
  void ReadBuffer(int64_t pos, void* buffer, int64_t size);
  // Writes |size| bytes at |pos|, which lies after the fixed part and at
  // most at the end of the image (writing there grows it).
  void WriteBuffer(int64_t pos, const void* buffer, int64_t size);

  // Loads the record tab of the table |header| describes: RecordCount
  // items and the positions of the chunks that hold them, in chain order.
  // Refuses chains that leave the image, end early or revisit a chunk.
  void ReadRecordTab(const TTableHeader& header, TRecordTabItems& items,
                     TIntegerAry& chunk_positions);
  // The same for the index tab of index |index_no|; also refuses items
  // whose Next names no record.
  void ReadIndexTab(const TTableHeader& header, int index_no, TIntegerAry& chunk_positions,
                    TIndexTabItems& items);
  // Sets the Deleted byte of the record tab item at |item_pos|.
  void MarkDeleted(int64_t item_pos);

  // ---- Values ----
  // The four transforms hold the guard for their whole run, so values
  // never interleave inside the one cipher. |dest| is left at position 0.

  // Stored bytes to value: decrypt, then decompress. |source| may be
  // |dest|.
  void DecodeStream(TStream* source, TStream* dest, bool compressed, bool encrypted);
  // Value to stored bytes: compress, then encrypt. |source| may be |dest|.
  void EncodeStream(TStream* source, TStream* dest, bool compressed, bool encrypted);
  // |size| bytes from |source| to |dest| (which may be the same memory),
  // decrypted or encrypted when |encrypted|, else copied.
  void DecodeBuffer(const void* source, void* dest, bool encrypted, int64_t size);
  void EncodeBuffer(const void* source, void* dest, bool encrypted, int64_t size);

  // Reads the stored value at |pos| (|width| bytes, or for a blob the
  // 20-byte descriptor there and the block it points to) and decodes it
  // into |dest|.
  void ReadFieldValueAt(TStream* dest, int64_t pos, bool compressed, bool encrypted,
                        bool is_blob, int width);
  // Reads the record tab item at |item_pos|, then the value at its
  // DataPos + |field_offset| as ReadFieldValueAt.
  void ReadFieldValue(TStream* dest, int64_t item_pos, bool compressed, bool encrypted,
                      bool is_blob, int width, int field_offset);

  // ---- Locking and durability ----

  // Disk images only: takes the one-byte write lock, retrying as the
  // database's lock settings say; throws "Wait for unlock time out".
  // Counted, so a write scope holds the lock across the operations in it.
  void Lock();
  // Disk images only: releases the lock when the last Lock is matched.
  void Unlock();
  // Disk images only: asks the system to write its buffers to the device
  // (nothing while a write scope holds them back; its commit flushes).
  void Flush();

  // ---- Write scopes ----
  // Every operation that writes runs in a write scope. On a disk image the
  // scope holds the file lock, its writes are held back (reads see them),
  // and the outermost scope's commit stores them all at once through the
  // rollback journal, so a crash leaves the file as before the scope or
  // after it. A failed commit leaves the file as before. An inner scope is
  // a save point: rolling it back restores what it found. A memory image
  // is written through at once and never journals; rolling a scope of it
  // back leaves what was written.
  void BeginWriteScope();
  // Ends the innermost scope keeping its writes (the outermost stores
  // them; on failure the writes are dropped as by a rollback and the error
  // propagates).
  void CommitWriteScope();
  // Ends the innermost scope dropping its writes; the directory is read
  // again and the database told (ImageRolledBack). Never throws.
  void RollbackWriteScope();
  int WriteScopeDepth() const { return scope_depth_; }
  // Changed bytes an open disk scope holds back (0 for a memory image).
  int64_t PendingBytes() const { return disk_stream_ ? disk_stream_->PendingBytes() : 0; }

  // One scope for the operations of one caller: an outer write scope
  // opened and ended on request. Throws "A transaction is already open on
  // database '%s'" for a second start, "No transaction is open on database
  // '%s'" for a commit or rollback without one. Rolling back the changes
  // of a memory image is impossible (they are in the image already): that
  // Rollback ends the transaction and throws "The changes to memory
  // database '%s' cannot be rolled back".
  void StartTransaction();
  void Commit();
  void Rollback();
  bool InTransaction() const { return in_transaction_; }

  // A write scope for the life of a block: committed by Commit, rolled
  // back when the block ends without it.
  class TWriteScope {
   public:
    explicit TWriteScope(TTinyDBFileIO& io) : io_(io) { io_.BeginWriteScope(); }
    ~TWriteScope() {
      if (!ended_) io_.RollbackWriteScope();
    }
    void Commit() {
      ended_ = true;
      io_.CommitWriteScope();
    }
    TWriteScope(const TWriteScope&) = delete;
    TWriteScope& operator=(const TWriteScope&) = delete;

   private:
    TTinyDBFileIO& io_;
    bool ended_ = false;
  };

  // ---- Password ----

  // False when closed; true without any check when values are not
  // encrypted; otherwise true exactly when |password|'s check text matches
  // the stored one, and then the cipher key is set from it.
  bool VerifyPassword(std::string_view password);

 private:
  [[noreturn]] void Damaged(const std::string& what) const;
  void RequireOpen() const;
  void CheckImageRange(int64_t pos, int64_t size, const char* what) const;
  void CheckTableHeader(const TTableHeader& header) const;
  int64_t TableHeaderPos(int table_no) const;
  // Follows a tab chain from |first| and hands each needed chunk's items to
  // |read_chunk|(chunk position, first item, item count).
  template <class ReadChunk>
  void WalkTabChain(int32_t first, int32_t record_count, int item_size, const char* tab,
                    TIntegerAry& chunk_positions, ReadChunk read_chunk);
  void OpenDiskImage(const std::string& name);
  void OpenMemoryImage(const std::string& name);
  void CheckSignature(TStream& image, const std::string& name) const;
  // Takes the write lock on |fd| with the database's retries.
  void LockHandle(int fd);
  // Rolls back the journal a crash left beside the disk file |name|, under
  // the write lock, so a commit still running elsewhere is never undone.
  void RecoverDiskImage(const std::string& name);
  // After writes were dropped: the directory and the database's state are
  // read again.
  void AfterRollback();

  TFileIODatabaseLink* database_;
  std::string file_name_;
  TTinyDBMediumType medium_type_ = mtDisk;
  bool exclusive_ = false;
  TStream* stream_ = nullptr;                 // the open image
  TMemoryStream* memory_image_ = nullptr;     // the same when it is in memory
  std::unique_ptr<TJournaledFile> disk_stream_;  // owned when the image is on disk
  bool read_only_ = false;
  int lock_depth_ = 0;
  int scope_depth_ = 0;
  bool in_transaction_ = false;
  std::unique_ptr<TCompressMgr> compress_mgr_;
  std::unique_ptr<TEncryptMgr> encrypt_mgr_;
  TDataProcessSettings settings_;
  TTableDirectory directory_;
  // Serialises the value transforms, and the positioned reads and writes
  // (seek + read is one step on a shared stream).
  mutable std::recursive_mutex guard_;
  // EncodeStream's compressed value on its way to encryption.
  TMemoryStream encode_work_;
};

}  // namespace tinydb
