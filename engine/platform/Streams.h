// Byte streams: the engine reads and writes database images through these,
// whether the image is a file on disk or a block of memory.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace tinydb {

enum class TSeekOrigin { soBeginning, soCurrent, soEnd };

// Which file a name stands for and how it looked: a file written by
// another program since has another size or modification time, and a file
// put in its place another device or inode.
struct TFileIdentity {
  uint64_t device = 0;
  uint64_t inode = 0;
  int64_t size = 0;
  int64_t modified_ns = 0;
  bool operator==(const TFileIdentity&) const = default;
};

// The identity of the file |file_name| names (a link is followed); false
// when it cannot be read.
bool ReadFileIdentity(const std::string& file_name, TFileIdentity* identity);

// A positioned sequence of bytes. Reads and writes start at Position() and
// advance it. Sizes and positions are 64-bit; database images stay below
// 2 GiB because their stored positions are int32.
class TStream {
 public:
  virtual ~TStream() = default;

  // Reads up to |count| bytes; returns how many were read (0 at the end).
  virtual int64_t Read(void* buffer, int64_t count) = 0;
  // Writes |count| bytes; returns how many were written.
  virtual int64_t Write(const void* buffer, int64_t count) = 0;
  // Moves the position; returns the new position.
  virtual int64_t Seek(int64_t offset, TSeekOrigin origin) = 0;
  virtual int64_t Size() = 0;
  // Grows (zero-filled) or truncates the stream.
  virtual void SetSize(int64_t size) = 0;

  int64_t Position() { return Seek(0, TSeekOrigin::soCurrent); }
  void SetPosition(int64_t position) { Seek(position, TSeekOrigin::soBeginning); }

  // Reads exactly |count| bytes or throws EReadError.
  void ReadBuffer(void* buffer, int64_t count);
  // Writes exactly |count| bytes or throws EWriteError.
  void WriteBuffer(const void* buffer, int64_t count);
  // Copies |count| bytes from |source|'s position; with count 0 the whole
  // of |source| is copied from its start. Throws EReadError when |source|
  // runs out. Returns the number of bytes copied.
  int64_t CopyFrom(TStream& source, int64_t count);
};

// The position a seek by |offset| from |origin| gives in a stream now at
// |position|, never before the start; |size_of()| (asked only for a seek
// from the end) gives the stream's size.
template <class SizeOf>
int64_t SeekPosition(int64_t position, int64_t offset, TSeekOrigin origin, SizeOf size_of) {
  switch (origin) {
    case TSeekOrigin::soBeginning: position = offset; break;
    case TSeekOrigin::soCurrent: position += offset; break;
    case TSeekOrigin::soEnd: position = size_of() + offset; break;
  }
  return position < 0 ? 0 : position;
}

// A growable stream in memory. The bytes are contiguous and reachable
// through Memory().
class TMemoryStream : public TStream {
 public:
  TMemoryStream() = default;
  explicit TMemoryStream(std::vector<uint8_t> bytes) : data_(std::move(bytes)) {}

  int64_t Read(void* buffer, int64_t count) override;
  int64_t Write(const void* buffer, int64_t count) override;
  int64_t Seek(int64_t offset, TSeekOrigin origin) override;
  int64_t Size() override { return static_cast<int64_t>(data_.size()); }
  void SetSize(int64_t size) override;

  // Empties the stream and sets the position to 0.
  void Clear();
  // The bytes, for writing through: with change tracking on, taking them
  // counts as a change of every byte. Readers use Bytes().
  uint8_t* Memory() {
    if (tracking_) NoteWholeChange();
    ForgetSavedBase();
    return data_.data();
  }
  const std::vector<uint8_t>& Bytes() const { return data_; }

  // ---- Change tracking (off until enabled) ----
  // Once enabled, every change of the bytes (a write, a resize, a load,
  // handing out Memory()) takes the next change stamp from one counter of
  // the process, and each page of kChangePageSize bytes keeps the stamp of
  // its last change. A reader that notes ChangeStamp() beside what it read
  // can later tell without reading whether those bytes may have changed.
  static constexpr int kChangePageShift = 8;
  static constexpr int64_t kChangePageSize = int64_t{1} << kChangePageShift;
  void EnableChangeTracking();
  bool TracksChanges() const { return tracking_; }
  // The stamp of the latest change (a stamp taken now is never older than
  // any change already made).
  uint64_t ChangeStamp() const { return stamp_; }
  // True when changes are tracked and no byte of |size| bytes at |pos| has
  // changed after |stamp|.
  bool UnchangedSince(int64_t pos, int64_t size, uint64_t stamp) const {
    if (!tracking_ || stamp < whole_stamp_ || pos < 0 || size < 0) return false;
    if (size == 0) return true;
    const size_t first = static_cast<size_t>(pos >> kChangePageShift);
    const size_t last = static_cast<size_t>((pos + size - 1) >> kChangePageShift);
    const size_t known = page_stamps_.size();
    for (size_t page = first; page <= last && page < known; ++page)
      if (page_stamps_[page] > stamp) return false;
    return true;
  }

  // ---- The saved base ----
  // After LoadFromFile or SaveToFile the stream knows the file that holds
  // it (its identity then) and its length then, and from then on the exact
  // byte ranges written below that length, coalesced; what lies past it is
  // the appended tail. Shrinking the stream, Clear() and handing out
  // Memory() forget the base (the next save must write everything).
  bool HasSavedBase() const { return base_valid_; }
  int64_t SavedLength() const { return saved_length_; }
  const TFileIdentity& SavedFile() const { return saved_file_; }
  // The ranges changed below SavedLength() since the base: start -> end,
  // in order, disjoint and apart.
  const std::map<int64_t, int64_t>& ChangedRanges() const { return changed_; }
  // True unless the file of the saved base holds exactly these bytes.
  bool HasUnsavedChanges() const {
    return !base_valid_ || !changed_.empty() || static_cast<int64_t>(data_.size()) != saved_length_;
  }
  // Takes the stream as now held by the file with |identity|: the saved
  // length becomes Size() and no range is changed.
  void MarkSaved(const TFileIdentity& identity);
  void ForgetSavedBase();

  // Replaces the contents with the whole file; throws EFOpenError.
  void LoadFromFile(const std::string& file_name);
  // Writes the contents over the file atomically: a temporary file beside
  // it (|file_name| + ".tmp", replacing any left by an interrupted save),
  // flushed to the device, renamed over the file; the file keeps its
  // permission bits. A file with the read-only attribute is refused. On any
  // failure throws EFOpenError or EWriteError with the message
  // Cannot create file "<file_name>". <reason>, removes the temporary and
  // leaves the old file whole.
  void SaveToFile(const std::string& file_name);

 private:
  void NoteChange(int64_t pos, int64_t size);
  void NoteWholeChange();
  // Adds [pos, pos + size) to the changed ranges below the saved length.
  void NoteUnsaved(int64_t pos, int64_t size);

  std::vector<uint8_t> data_;
  int64_t position_ = 0;
  bool tracking_ = false;
  uint64_t stamp_ = 0;
  uint64_t whole_stamp_ = 0;           // the last change of every byte
  std::vector<uint64_t> page_stamps_;  // by page; pages past the end unchanged
  bool base_valid_ = false;
  int64_t saved_length_ = 0;
  TFileIdentity saved_file_;
  std::map<int64_t, int64_t> changed_;  // start -> end, below saved_length_
};

// Flushes the folder holding |file_name| to the device, so that a created,
// renamed or removed entry lasts (best effort).
void FlushFolderOf(const std::string& file_name);

// How a file stream is opened.
enum class TFileAccess { faRead, faReadWrite, faCreate };
// Whether other openers are allowed while this stream is open.
enum class TFileShare { fsShareAll, fsExclusive };

// A stream on an operating-system file.
class TFileStream : public TStream {
 public:
  // Opens (or with faCreate creates, truncating) the file. With fsExclusive
  // no other stream may have the file open at the same time, and opening
  // fails while one does. Throws EFOpenError with the reason.
  TFileStream(const std::string& file_name, TFileAccess access,
              TFileShare share = TFileShare::fsShareAll);
  ~TFileStream() override;
  TFileStream(const TFileStream&) = delete;
  TFileStream& operator=(const TFileStream&) = delete;

  int64_t Read(void* buffer, int64_t count) override;
  int64_t Write(const void* buffer, int64_t count) override;
  int64_t Seek(int64_t offset, TSeekOrigin origin) override;
  int64_t Size() override;
  void SetSize(int64_t size) override;

  // Asks the operating system to write its buffers to the device.
  void Flush();
  int Handle() const { return fd_; }
  const std::string& FileName() const { return file_name_; }

 private:
  std::string file_name_;
  int fd_ = -1;
};

// Fault injection for tests: while |error_number| is not 0, file writes
// through TFileStream succeed for |bytes_allowed| more bytes in all (counted
// across the process) and then fail with that errno, as a full disk does
// with ENOSPC. SetFileWriteFault(0) turns it off; it is off at start.
void SetFileWriteFault(int error_number, int64_t bytes_allowed = 0);

bool FileExists(const std::string& file_name);
// True when the file cannot be written by this process (or its
// attributes cannot be read).
bool FileIsReadOnly(const std::string& file_name);

}  // namespace tinydb
