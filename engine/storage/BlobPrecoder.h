// Blob values encoded ahead of a bulk insert: while table storage links one
// new record into its indexes and writes it, a second thread compresses and
// encrypts the blob values of the records to come, through its own
// managers set up exactly as the database's (same modules, level, mode and
// key). Encoding is a pure function of the value and those settings, so
// the bytes stored are the ones the insert would have made itself.
//
// Table storage takes one queued record per appended record, in order, and
// uses a queued encoding only when its value is byte for byte the value it
// is about to store, with the same steps; anything else it encodes itself.
// A wrong guess therefore costs time, never bytes. Values encoded ahead
// raise none of the database's compress or encrypt progress events.
//
// The insert never waits for a record the second thread has not begun: it
// encodes that one itself, and the second thread moves on past it. So the
// two threads share the work as their speeds allow, and an insert whose
// second thread gets no processor runs as fast as a plain one.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string_view>
#include <thread>
#include <vector>

#include "platform/Streams.h"

namespace tinydb {

class TCompressMgr;
class TEncryptMgr;
class TTinyDBFileIO;

class TBlobPrecoder {
 public:
  // One blob value of a queued record.
  struct TValue {
    int FieldNo = -1;
    bool Compressed = false;
    bool Encrypted = false;
    std::string_view Plain;         // the caller's bytes (see Submit)
    std::vector<uint8_t> Stored;    // filled by the encoding thread
  };
  struct TRecord {
    std::vector<TValue> Values;
  };

  // How a table field is stored.
  struct TFieldCoding {
    bool Blob = false;
    bool Compressed = false;
    bool Encrypted = false;
  };

  // Set up as |io| encodes values, for a table whose fields are stored as
  // |fields| say (TTinyTableIO::NewBlobPrecoder builds one), in a database
  // opened with |password|. Usable() is false (and nothing is encoded
  // ahead) when no blob field is compressed or encrypted, or when the
  // database is encrypted and |password| is not its password.
  TBlobPrecoder(TTinyDBFileIO& io, std::vector<TFieldCoding> fields, std::string_view password);
  // Stops the encoding thread.
  ~TBlobPrecoder();
  TBlobPrecoder(const TBlobPrecoder&) = delete;
  TBlobPrecoder& operator=(const TBlobPrecoder&) = delete;

  bool Usable() const { return usable_; }

  // Queues the blob values of the next record to be appended: pairs of
  // field number and value bytes. The bytes are not copied; they must stay
  // unchanged until this object is destroyed. Fields that are not blobs
  // of the table are ignored. Call Start once every record is queued.
  void Submit(const std::vector<std::pair<int, std::string_view>>& values);
  // Starts encoding on the second thread.
  void Start();

  // The next queued record, encoded, or null when none is left or the
  // encoding thread has not begun it (then it never will). Waits only for
  // a record the encoding thread is working on.
  const TRecord* Next();

 private:
  void Run();

  static constexpr size_t kLookahead = 1024;  // records encoded ahead at most

  bool usable_ = false;
  std::vector<TFieldCoding> fields_;
  std::unique_ptr<TCompressMgr> compress_mgr_;
  std::unique_ptr<TEncryptMgr> encrypt_mgr_;
  TMemoryStream plain_, work_, stored_;  // the encoding thread's scratch

  enum TState : uint8_t { kQueued, kEncoding, kEncoded, kLeft };

  std::vector<TRecord> records_;
  std::mutex mutex_;
  std::condition_variable encoder_wake_, insert_wake_;
  // Guarded by mutex_: each record's state (kLeft: taken by Next without
  // its encodings), the records Next has taken, the stop request, and who
  // waits (the encoding thread until Next has taken resume_at_ records).
  std::vector<TState> states_;
  size_t taken_ = 0;
  bool stopping_ = false;
  bool encoder_waiting_ = false;
  bool insert_waiting_ = false;
  size_t resume_at_ = 0;
  const TRecord* handed_out_ = nullptr;  // the last encoded record Next gave
  size_t released_ = 0;  // the encoding thread's: records whose encodings it freed
  std::thread thread_;
};

}  // namespace tinydb
