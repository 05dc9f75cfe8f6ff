#include "platform/Journal.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <limits>
#include <map>
#include <memory>
#include <system_error>

#include "platform/Streams.h"

namespace tinydb {

namespace {

constexpr char kSignature[8] = {'T', 'D', 'B', 'J', 'R', 'N', 'L', '\x1a'};
constexpr uint32_t kVersion = 1;
constexpr int64_t kHeaderSize = 32;
constexpr int64_t kRangeHeaderSize = 16;
constexpr int64_t kTrailerSize = 4;
// Database files stay below 2 GiB (their stored positions are int32).
constexpr int64_t kMaxFileLength = std::numeric_limits<int32_t>::max();
// No journal of such a file holds more than its old bytes and one range
// header per old byte.
constexpr int64_t kMaxJournalSize = kHeaderSize + kMaxFileLength * (kRangeHeaderSize + 1) + kTrailerSize;

void PutU32(std::vector<uint8_t>& out, uint32_t value) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

void PutI64(std::vector<uint8_t>& out, int64_t value) {
  const auto bits = static_cast<uint64_t>(value);
  for (int i = 0; i < 8; ++i) out.push_back(static_cast<uint8_t>(bits >> (8 * i)));
}

uint32_t GetU32(const uint8_t* in) {
  uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = (value << 8) | in[i];
  return value;
}

int64_t GetI64(const uint8_t* in) {
  uint64_t value = 0;
  for (int i = 7; i >= 0; --i) value = (value << 8) | in[i];
  return static_cast<int64_t>(value);
}

uint32_t Crc32(const uint8_t* data, int64_t size) {
  uLong crc = ::crc32(0L, Z_NULL, 0);
  while (size > 0) {
    const auto chunk = static_cast<uInt>(std::min<int64_t>(size, 1 << 30));
    crc = ::crc32(crc, data, chunk);
    data += chunk;
    size -= chunk;
  }
  return static_cast<uint32_t>(crc);
}

std::string Quoted(const std::string& name) { return "\"" + name + "\""; }

// The refusal of the journal of |file_name| for |reason|.
EJournalError Refusal(const std::string& file_name, const std::string& reason) {
  return EJournalError("The journal " + Quoted(JournalFileName(file_name)) +
                       " is not applied: " + reason + ". The file " + Quoted(file_name) +
                       " is left as it is.");
}

// A range as read from a journal: where its old bytes lie in the journal.
struct TStoredRange {
  int64_t position;
  int64_t length;
  int64_t offset;  // of the old bytes in the journal
};

// Checks the journal |bytes| of |file_name|, now |file_size| bytes long,
// and returns its old length and ranges. Throws the refusal naming the
// first fault found; nothing read from the journal is used before it is
// checked.
int64_t CheckJournal(const std::string& file_name, const std::vector<uint8_t>& bytes,
                     int64_t file_size, std::vector<TStoredRange>& ranges) {
  const auto size = static_cast<int64_t>(bytes.size());
  if (size < kHeaderSize + kTrailerSize)
    throw Refusal(file_name, "it is torn: " + std::to_string(size) +
                                 " bytes, shorter than a journal's header and checksum");
  if (std::memcmp(bytes.data(), kSignature, sizeof kSignature) != 0)
    throw Refusal(file_name, "it does not start with a journal's signature");
  const uint32_t version = GetU32(bytes.data() + 8);
  if (version != kVersion)
    throw Refusal(file_name, "its version " + std::to_string(version) + " is not known");
  const uint32_t stored_crc = GetU32(bytes.data() + size - kTrailerSize);
  const uint32_t crc = Crc32(bytes.data(), size - kTrailerSize);
  if (stored_crc != crc)
    throw Refusal(file_name, "its checksum fails (the journal is torn or damaged)");

  const uint32_t count = GetU32(bytes.data() + 12);
  const int64_t old_length = GetI64(bytes.data() + 16);
  const int64_t old_bytes = GetI64(bytes.data() + 24);
  if (old_length < 0 || old_length > kMaxFileLength)
    throw Refusal(file_name, "its old length " + std::to_string(old_length) + " is out of range");
  if (old_bytes < 0 || old_bytes > old_length)
    throw Refusal(file_name, "its " + std::to_string(old_bytes) +
                                 " old bytes do not fit in its old length " +
                                 std::to_string(old_length));
  const int64_t body = size - kHeaderSize - kTrailerSize;
  if (static_cast<int64_t>(count) * kRangeHeaderSize + old_bytes != body)
    throw Refusal(file_name, "its " + std::to_string(count) + " ranges and " +
                                 std::to_string(old_bytes) + " old bytes do not add up to its " +
                                 std::to_string(body) + " bytes of ranges");

  ranges.clear();
  ranges.reserve(count);
  int64_t at = kHeaderSize;
  int64_t end_of_previous = 0;
  int64_t total = 0;
  for (uint32_t i = 0; i < count; ++i) {
    const std::string which = "range " + std::to_string(i + 1);
    if (size - kTrailerSize - at < kRangeHeaderSize)
      throw Refusal(file_name, which + " runs past the end of the journal");
    const int64_t position = GetI64(bytes.data() + at);
    const int64_t length = GetI64(bytes.data() + at + 8);
    at += kRangeHeaderSize;
    if (position < 0 || length <= 0 || position > old_length || length > old_length - position)
      throw Refusal(file_name, which + " (position " + std::to_string(position) + ", length " +
                                   std::to_string(length) +
                                   ") lies outside the file's old length " +
                                   std::to_string(old_length));
    if (position < end_of_previous)
      throw Refusal(file_name, which + " overlaps or precedes the range before it");
    if (length > size - kTrailerSize - at)
      throw Refusal(file_name, which + "'s old bytes run past the end of the journal");
    ranges.push_back({position, length, at});
    at += length;
    total += length;
    end_of_previous = position + length;
  }
  if (total != old_bytes || at != size - kTrailerSize)
    throw Refusal(file_name, "its ranges hold " + std::to_string(total) +
                                 " old bytes, not the " + std::to_string(old_bytes) +
                                 " it says");

  // Bytes of the old file past the file's length now must all be in the
  // journal, or putting the ranges back would leave a hole.
  if (file_size < old_length) {
    int64_t covered = file_size;
    for (const TStoredRange& range : ranges) {
      if (range.position + range.length <= covered) continue;
      if (range.position > covered) break;
      covered = range.position + range.length;
    }
    if (covered < old_length)
      throw Refusal(file_name, "the file is " + std::to_string(file_size) +
                                   " bytes, shorter than its old length " +
                                   std::to_string(old_length) +
                                   ", and the journal does not hold the bytes from " +
                                   std::to_string(covered));
  }
  return old_length;
}

std::string FailureReason(int error_number) { return std::strerror(error_number); }

}  // namespace

std::string JournalFileName(const std::string& file_name) { return file_name + "-journal"; }

bool JournalExists(const std::string& file_name) {
  struct stat st {};
  return ::lstat(JournalFileName(file_name).c_str(), &st) == 0;
}

void WriteJournal(const std::string& file_name, int64_t old_length,
                  const std::vector<TJournalRange>& ranges) {
  const std::string journal_name = JournalFileName(file_name);
  auto failure = [&journal_name](const std::string& reason) {
    return "Cannot create file " + Quoted(journal_name) + ". " + reason;
  };
  if (old_length < 0 || old_length > kMaxFileLength)
    throw EWriteError(failure("The old length " + std::to_string(old_length) + " is out of range"));
  if (ranges.size() > std::numeric_limits<uint32_t>::max())
    throw EWriteError(failure("Too many ranges"));

  int64_t old_bytes = 0;
  int64_t end_of_previous = 0;
  for (size_t i = 0; i < ranges.size(); ++i) {
    const TJournalRange& range = ranges[i];
    const auto length = static_cast<int64_t>(range.bytes.size());
    if (range.position < end_of_previous || length == 0 || range.position > old_length ||
        length > old_length - range.position)
      throw EWriteError(failure("Range " + std::to_string(i + 1) +
                                " is empty, out of order or outside the old length"));
    old_bytes += length;
    end_of_previous = range.position + length;
  }

  std::vector<uint8_t> out;
  out.reserve(static_cast<size_t>(kHeaderSize + kTrailerSize + old_bytes) +
              ranges.size() * kRangeHeaderSize);
  out.insert(out.end(), kSignature, kSignature + sizeof kSignature);
  PutU32(out, kVersion);
  PutU32(out, static_cast<uint32_t>(ranges.size()));
  PutI64(out, old_length);
  PutI64(out, old_bytes);
  for (const TJournalRange& range : ranges) {
    PutI64(out, range.position);
    PutI64(out, static_cast<int64_t>(range.bytes.size()));
    out.insert(out.end(), range.bytes.begin(), range.bytes.end());
  }
  PutU32(out, Crc32(out.data(), static_cast<int64_t>(out.size())));

  // Written whole under a temporary name, flushed, then renamed and the
  // folder flushed: a crash on the way leaves no journal at all.
  TMemoryStream(std::move(out)).SaveToFile(journal_name);
}

void RemoveJournal(const std::string& file_name) {
  const std::string journal_name = JournalFileName(file_name);
  if (::unlink(journal_name.c_str()) != 0 && errno != ENOENT)
    throw EWriteError("Cannot remove file " + Quoted(journal_name) + ". " + FailureReason(errno));
  FlushFolderOf(file_name);
}

TJournalRecovery RecoverFromJournal(const std::string& file_name) {
  TJournalRecovery recovery;
  const std::string journal_name = JournalFileName(file_name);
  // A temporary left by a crash while a journal was written was never a
  // journal: the file was not touched after it.
  ::unlink((journal_name + ".tmp").c_str());
  struct stat st {};
  if (::lstat(journal_name.c_str(), &st) != 0) {
    if (errno == ENOENT) return recovery;
    throw EFOpenError("Cannot open file " + Quoted(journal_name) + ". " + FailureReason(errno));
  }
  if (!S_ISREG(st.st_mode) && !S_ISLNK(st.st_mode))
    throw Refusal(file_name, "it is not a regular file");

  std::vector<uint8_t> bytes;
  {
    TFileStream journal(journal_name, TFileAccess::faRead);
    const int64_t size = journal.Size();
    if (size > kMaxJournalSize)
      throw Refusal(file_name, "it is " + std::to_string(size) +
                                   " bytes, larger than any journal of a database file");
    bytes.resize(static_cast<size_t>(size));
    if (journal.Read(bytes.data(), size) != size)
      throw EReadError("Cannot read file " + Quoted(journal_name) + ". " + FailureReason(EIO));
  }

  struct stat target {};
  if (::stat(file_name.c_str(), &target) != 0 || !S_ISREG(target.st_mode))
    throw Refusal(file_name, "the file it belongs to is missing");
  std::vector<TStoredRange> ranges;
  const int64_t old_length = CheckJournal(file_name, bytes, target.st_size, ranges);

  {
    TFileStream file(file_name, TFileAccess::faReadWrite);
    auto write_failure = [&file_name](const std::string& reason) {
      return EWriteError("Cannot roll back file " + Quoted(file_name) + " by its journal. " + reason);
    };
    for (const TStoredRange& range : ranges) {
      file.SetPosition(range.position);
      errno = 0;
      if (file.Write(bytes.data() + range.offset, range.length) != range.length)
        throw write_failure(FailureReason(errno != 0 ? errno : EIO));
      recovery.bytes += range.length;
    }
    if (file.Size() != old_length && ::ftruncate(file.Handle(), static_cast<off_t>(old_length)) != 0)
      throw write_failure(FailureReason(errno));
    if (::fsync(file.Handle()) != 0) throw write_failure(FailureReason(errno));
  }
  RemoveJournal(file_name);
  recovery.rolled_back = true;
  recovery.old_length = old_length;
  recovery.ranges = static_cast<int64_t>(ranges.size());
  return recovery;
}

namespace {

// The whole image saved atomically; a link is kept by replacing its target.
void SaveWholeImage(TMemoryStream& image, const std::string& file_name) {
  std::error_code error;
  if (std::filesystem::is_symlink(file_name, error)) {
    const std::filesystem::path target = std::filesystem::canonical(file_name, error);
    if (!error) {
      image.SaveToFile(target.string());
      return;
    }
  }
  image.SaveToFile(file_name);
}

}  // namespace

TImageSave SaveImageChanges(TMemoryStream& image, const std::string& file_name) {
  const bool rolled_back = RecoverFromJournal(file_name).rolled_back;
  TFileIdentity now;
  const bool same_file = !rolled_back && image.HasSavedBase() &&
                         ReadFileIdentity(file_name, &now) && now == image.SavedFile() &&
                         image.Size() >= image.SavedLength();
  if (!same_file) {
    SaveWholeImage(image, file_name);
    return TImageSave::isWhole;
  }
  if (FileIsReadOnly(file_name))
    throw EFOpenError("Cannot create file " + Quoted(file_name) + ". The file is read-only");
  // A temporary left by an interrupted whole-image save is of no use now.
  ::unlink((file_name + ".tmp").c_str());

  const int64_t old_length = image.SavedLength();
  const std::map<int64_t, int64_t>& changed = image.ChangedRanges();
  std::unique_ptr<TFileStream> file;
  try {
    file = std::make_unique<TFileStream>(file_name, TFileAccess::faReadWrite);
    std::vector<TJournalRange> ranges;
    ranges.reserve(changed.size());
    for (const auto& [start, end] : changed) {
      TJournalRange range{start, std::vector<uint8_t>(static_cast<size_t>(end - start))};
      file->SetPosition(start);
      file->ReadBuffer(range.bytes.data(), end - start);
      ranges.push_back(std::move(range));
    }
    WriteJournal(file_name, old_length, ranges);
  } catch (const EStreamError&) {
    // Without a journal nothing is written in place.
    file.reset();
    SaveWholeImage(image, file_name);
    return TImageSave::isWhole;
  }

  const uint8_t* bytes = image.Bytes().data();
  auto write = [&file, bytes](int64_t start, int64_t end) {
    file->SetPosition(start);
    errno = 0;
    if (file->Write(bytes + start, end - start) != end - start) return errno != 0 ? errno : EIO;
    return 0;
  };
  int error_number = 0;
  for (const auto& [start, end] : changed)
    if ((error_number = write(start, end)) != 0) break;
  if (error_number == 0) error_number = write(old_length, image.Size());
  if (error_number == 0 && ::fdatasync(file->Handle()) != 0) error_number = errno;
  file.reset();
  if (error_number != 0) {
    // Put the old bytes back now; when even that fails, the journal stays
    // and the next save or opener rolls back. Either way the file is no
    // longer the image's base, and every change is saved again.
    image.ForgetSavedBase();
    try {
      RecoverFromJournal(file_name);
    } catch (const EEngineError&) {
    }
    throw EWriteError("Cannot create file " + Quoted(file_name) + ". " + FailureReason(error_number));
  }
  try {
    RemoveJournal(file_name);
  } catch (...) {
    // The journal would roll this save back: the next one starts over.
    image.ForgetSavedBase();
    throw;
  }
  if (ReadFileIdentity(file_name, &now))
    image.MarkSaved(now);
  else
    image.ForgetSavedBase();
  return TImageSave::isJournaled;
}

}  // namespace tinydb
