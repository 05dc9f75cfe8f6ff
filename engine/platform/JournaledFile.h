// A disk file whose changes are held back and stored as one. While a change
// scope is open, writes do not reach the file: the changed bytes and the new
// length are kept beside it, and reads see them. Committing the outermost
// scope stores them by the rollback journal (Journal.h): the old bytes of
// every range about to be overwritten go into the journal, which is
// flushed; then the changes are written in place, the file is flushed and
// the journal removed. A crash at any moment therefore leaves the file as
// it was before the scope or as it is after it, once the next opener has
// run RecoverFromJournal.
//
// Scopes nest. An inner scope is a save point: rolling it back restores the
// bytes and the length it found, and keeps what the scopes around it wrote.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/Streams.h"

namespace tinydb {

class TJournaledFile : public TStream {
 public:
  // Opens |file_name| as TFileStream does (faRead or faReadWrite). A file
  // opened for reading refuses every write, in a scope or not.
  TJournaledFile(const std::string& file_name, TFileAccess access,
                 TFileShare share = TFileShare::fsShareAll);
  // Drops whatever a scope still holds; the file stays as it is.
  ~TJournaledFile() override = default;

  int64_t Read(void* buffer, int64_t count) override;
  int64_t Write(const void* buffer, int64_t count) override;
  int64_t Seek(int64_t offset, TSeekOrigin origin) override;
  int64_t Size() override;
  void SetSize(int64_t size) override;

  const std::string& FileName() const { return file_.FileName(); }
  int Handle() const { return file_.Handle(); }
  bool Writable() const { return writable_; }
  // Flushes the file to the device; inside a scope there is nothing to
  // flush yet (the commit flushes).
  void Flush();

  // ---- Change scopes ----

  // Open scopes; 0 when writes go straight to the file.
  int ScopeDepth() const { return static_cast<int>(levels_.size()); }
  void BeginScope();
  // Ends the innermost scope keeping its changes. Ending the outermost
  // stores every change as described above; a scope without changes
  // writes nothing (no journal, no flush). When storing fails, the file is
  // put back from the journal (when even that fails the journal stays,
  // every later use of this object tries again first, and reads meanwhile
  // see the bytes the journal puts back), the changes are
  // dropped, the scope ends and the error propagates.
  void CommitScope();
  // Ends the innermost scope, dropping its changes; true when it had any.
  bool RollbackScope();
  // Ends every scope, dropping every change.
  void RollbackAll();

  // What the open scopes hold: changed bytes and separate ranges.
  int64_t PendingBytes() const;
  int64_t PendingRanges() const { return static_cast<int64_t>(pending_.size()); }

 private:
  // Old bytes an inner scope needs to undo one change.
  struct TUndo {
    int64_t position;
    std::vector<uint8_t> bytes;
  };
  struct TLevel {
    int64_t length;      // length_ and low_length_ when the scope began
    int64_t low_length;
    std::vector<TUndo> undo;  // not kept for the outermost scope
  };

  // The bytes the scopes see at [pos, pos + count) (count within length_).
  void ReadSeen(int64_t pos, uint8_t* out, int64_t count);
  // Notes the bytes at [pos, pos + count) for the innermost save point.
  void NoteUndo(int64_t pos, int64_t count);
  void PutPending(int64_t pos, const uint8_t* data, int64_t count);
  void CutPending(int64_t length);
  void StoreChanges();
  void ClearPending();
  // Puts the file back by its journal.
  void RecoverInPlace();
  // Runs a recovery that a failed commit left to do; throws when it fails.
  void FinishRecovery();
  // The same; false when it failed (reads then see the bytes the journal
  // puts back).
  bool TryFinishRecovery();
  void ReadOver(int64_t pos, uint8_t* out, int64_t count, int64_t file_part,
                const std::map<int64_t, std::vector<uint8_t>>& over);
  void RequireWritable() const;
  [[noreturn]] void WriteFailed(int error_number) const;

  TFileStream file_;
  bool writable_;
  bool exclusive_;
  int64_t position_ = 0;
  // After a commit failed and its journal could not be applied: the old
  // length and old bytes, which reads see until the journal is applied.
  bool recovery_pending_ = false;
  int64_t restore_length_ = 0;
  std::map<int64_t, std::vector<uint8_t>> restore_;
  // While a scope is open: the file's length at the outermost begin, the
  // length the scopes see, and the lowest length they saw (bytes from there
  // on that are not pending read as zeros).
  int64_t base_length_ = 0;
  int64_t length_ = 0;
  int64_t low_length_ = 0;
  std::map<int64_t, std::vector<uint8_t>> pending_;  // disjoint, never touching
  std::vector<TLevel> levels_;
};

}  // namespace tinydb
