#include "platform/JournaledFile.h"

#include <sys/file.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/Errors.h"
#include "platform/Journal.h"

namespace tinydb {

TJournaledFile::TJournaledFile(const std::string& file_name, TFileAccess access,
                               TFileShare share)
    : file_(file_name, access, share),
      writable_(access != TFileAccess::faRead),
      exclusive_(share == TFileShare::fsExclusive) {}

void TJournaledFile::RequireWritable() const {
  if (!writable_)
    throw EWriteError("Cannot write \"" + FileName() + "\". The file is open for reading only");
}

void TJournaledFile::WriteFailed(int error_number) const {
  throw EWriteError("Cannot write \"" + FileName() + "\". " +
                    std::strerror(error_number != 0 ? error_number : EIO));
}

void TJournaledFile::RecoverInPlace() {
  // The journal is applied through a second opener of the file, which an
  // exclusive opener (this one) would keep out: the share lock is eased
  // for as long as it takes.
  const bool eased = ::flock(file_.Handle(), LOCK_SH | LOCK_NB) == 0;
  try {
    RecoverFromJournal(FileName());
  } catch (...) {
    if (eased) (void)::flock(file_.Handle(), exclusive_ ? LOCK_EX | LOCK_NB : LOCK_SH | LOCK_NB);
    throw;
  }
  if (eased) (void)::flock(file_.Handle(), exclusive_ ? LOCK_EX | LOCK_NB : LOCK_SH | LOCK_NB);
}

void TJournaledFile::FinishRecovery() {
  if (!recovery_pending_) return;
  RecoverInPlace();
  recovery_pending_ = false;
  restore_.clear();
}

bool TJournaledFile::TryFinishRecovery() {
  try {
    FinishRecovery();
  } catch (const EEngineError&) {
    return false;
  }
  return true;
}

// ---- Stream ----

int64_t TJournaledFile::Seek(int64_t offset, TSeekOrigin origin) {
  position_ = SeekPosition(position_, offset, origin, [this] { return Size(); });
  return position_;
}

int64_t TJournaledFile::Size() {
  if (!levels_.empty()) return length_;
  if (!TryFinishRecovery()) return restore_length_;
  return file_.Size();
}

int64_t TJournaledFile::Read(void* buffer, int64_t count) {
  if (count <= 0) return 0;
  if (levels_.empty() && !TryFinishRecovery()) {
    // The file is torn and its journal could not be applied yet: what it
    // holds once the journal is applied is read.
    if (position_ >= restore_length_) return 0;
    const int64_t n = std::min(count, restore_length_ - position_);
    ReadOver(position_, static_cast<uint8_t*>(buffer), n,
             std::min(file_.Size(), restore_length_), restore_);
    position_ += n;
    return n;
  }
  if (levels_.empty()) {
    file_.SetPosition(position_);
    const int64_t n = file_.Read(buffer, count);
    position_ += n;
    return n;
  }
  if (position_ >= length_) return 0;
  const int64_t n = std::min(count, length_ - position_);
  ReadSeen(position_, static_cast<uint8_t*>(buffer), n);
  position_ += n;
  return n;
}

void TJournaledFile::ReadSeen(int64_t pos, uint8_t* out, int64_t count) {
  ReadOver(pos, out, count, low_length_, pending_);
}

void TJournaledFile::ReadOver(int64_t pos, uint8_t* out, int64_t count, int64_t file_part,
                              const std::map<int64_t, std::vector<uint8_t>>& over) {
  const int64_t end = pos + count;
  // The file's own bytes up to |file_part|; zeros after them.
  const int64_t from_file = std::clamp<int64_t>(file_part - pos, 0, count);
  if (from_file > 0) {
    file_.SetPosition(pos);
    file_.ReadBuffer(out, from_file);
  }
  if (from_file < count) std::memset(out + from_file, 0, static_cast<size_t>(count - from_file));
  // Then what the scopes wrote over them.
  auto it = over.upper_bound(pos);
  if (it != over.begin()) --it;
  for (; it != over.end() && it->first < end; ++it) {
    const int64_t start = it->first;
    const int64_t stop = start + static_cast<int64_t>(it->second.size());
    const int64_t a = std::max(start, pos);
    const int64_t b = std::min(stop, end);
    if (a < b)
      std::memcpy(out + (a - pos), it->second.data() + (a - start), static_cast<size_t>(b - a));
  }
}

int64_t TJournaledFile::Write(const void* buffer, int64_t count) {
  RequireWritable();
  FinishRecovery();
  if (count <= 0) return 0;
  if (levels_.empty()) {
    file_.SetPosition(position_);
    const int64_t n = file_.Write(buffer, count);
    position_ += n;
    return n;
  }
  NoteUndo(position_, count);
  PutPending(position_, static_cast<const uint8_t*>(buffer), count);
  position_ += count;
  length_ = std::max(length_, position_);
  return count;
}

void TJournaledFile::SetSize(int64_t size) {
  RequireWritable();
  FinishRecovery();
  if (size < 0) size = 0;
  if (levels_.empty()) {
    file_.SetSize(size);
    return;
  }
  if (size < length_) {
    NoteUndo(size, length_ - size);
    CutPending(size);
    low_length_ = std::min(low_length_, size);
  }
  length_ = size;
}

void TJournaledFile::Flush() {
  if (levels_.empty()) file_.Flush();
}

// ---- Pending bytes ----

void TJournaledFile::NoteUndo(int64_t pos, int64_t count) {
  if (levels_.size() < 2) return;  // the outermost scope simply drops everything
  const int64_t seen = std::clamp<int64_t>(length_ - pos, 0, count);
  if (seen == 0) return;  // beyond the length: restoring the length undoes it
  TUndo undo{pos, std::vector<uint8_t>(static_cast<size_t>(seen))};
  ReadSeen(pos, undo.bytes.data(), seen);
  levels_.back().undo.push_back(std::move(undo));
}

void TJournaledFile::PutPending(int64_t pos, const uint8_t* data, int64_t count) {
  const int64_t end = pos + count;
  // The first range that overlaps or touches [pos, end).
  auto first = pending_.upper_bound(pos);
  if (first != pending_.begin()) {
    auto before = std::prev(first);
    if (before->first + static_cast<int64_t>(before->second.size()) >= pos) first = before;
  }
  auto last = first;  // one past the last range that overlaps or touches
  while (last != pending_.end() && last->first <= end) ++last;

  if (first != pending_.end() && first != last && std::next(first) == last &&
      first->first <= pos) {
    // Within or at the end of one range: changed where it lies.
    std::vector<uint8_t>& bytes = first->second;
    const int64_t offset = pos - first->first;
    if (offset + count > static_cast<int64_t>(bytes.size()))
      bytes.resize(static_cast<size_t>(offset + count));
    std::memcpy(bytes.data() + offset, data, static_cast<size_t>(count));
    return;
  }
  int64_t start = pos;
  int64_t stop = end;
  for (auto it = first; it != last; ++it) {
    start = std::min(start, it->first);
    stop = std::max(stop, it->first + static_cast<int64_t>(it->second.size()));
  }
  std::vector<uint8_t> merged(static_cast<size_t>(stop - start));
  for (auto it = first; it != last; ++it)
    std::memcpy(merged.data() + (it->first - start), it->second.data(), it->second.size());
  std::memcpy(merged.data() + (pos - start), data, static_cast<size_t>(count));
  pending_.erase(first, last);
  pending_.emplace(start, std::move(merged));
}

void TJournaledFile::CutPending(int64_t length) {
  auto it = pending_.lower_bound(length);
  if (it != pending_.begin()) {
    auto before = std::prev(it);
    if (before->first + static_cast<int64_t>(before->second.size()) > length)
      before->second.resize(static_cast<size_t>(length - before->first));
  }
  pending_.erase(it, pending_.end());
}

void TJournaledFile::ClearPending() {
  pending_.clear();
  levels_.clear();
}

int64_t TJournaledFile::PendingBytes() const {
  int64_t total = 0;
  for (const auto& [start, bytes] : pending_) total += static_cast<int64_t>(bytes.size());
  return total;
}

// ---- Scopes ----

void TJournaledFile::BeginScope() {
  FinishRecovery();
  if (levels_.empty()) {
    base_length_ = file_.Size();
    length_ = base_length_;
    low_length_ = base_length_;
  }
  levels_.push_back({length_, low_length_, {}});
}

bool TJournaledFile::RollbackScope() {
  if (levels_.empty()) return false;
  if (levels_.size() == 1) {
    const bool changed = !pending_.empty() || length_ != base_length_ || low_length_ != base_length_;
    ClearPending();
    return changed;
  }
  TLevel level = std::move(levels_.back());
  levels_.pop_back();
  const bool changed =
      !level.undo.empty() || length_ != level.length || low_length_ != level.low_length;
  // The old bytes go back, newest change first, without being noted again
  // (the scope around this one sees them as they were before it began).
  for (auto undo = level.undo.rbegin(); undo != level.undo.rend(); ++undo)
    PutPending(undo->position, undo->bytes.data(), static_cast<int64_t>(undo->bytes.size()));
  length_ = level.length;
  low_length_ = level.low_length;
  CutPending(length_);
  return changed;
}

void TJournaledFile::RollbackAll() { ClearPending(); }

void TJournaledFile::CommitScope() {
  if (levels_.empty()) return;
  if (levels_.size() > 1) {
    // The scope around keeps the changes; it undoes them with its own.
    TLevel level = std::move(levels_.back());
    levels_.pop_back();
    std::vector<TUndo>& outer = levels_.back().undo;
    if (levels_.size() > 1)
      outer.insert(outer.end(), std::make_move_iterator(level.undo.begin()),
                   std::make_move_iterator(level.undo.end()));
    return;
  }
  try {
    StoreChanges();
  } catch (...) {
    ClearPending();
    throw;
  }
  ClearPending();
}

void TJournaledFile::StoreChanges() {
  if (pending_.empty() && length_ == base_length_ && low_length_ == base_length_) return;

  // What the journal must hold: the old bytes of every pending range
  // within the old length, and those a cut removes.
  std::vector<std::pair<int64_t, int64_t>> spans;  // [start, stop)
  for (const auto& [start, bytes] : pending_) {
    const int64_t stop = std::min(start + static_cast<int64_t>(bytes.size()), base_length_);
    if (start < stop) spans.push_back({start, stop});
  }
  if (low_length_ < base_length_) spans.push_back({low_length_, base_length_});
  std::sort(spans.begin(), spans.end());
  std::vector<TJournalRange> ranges;
  int64_t last_stop = -1;
  for (const auto& [start, stop] : spans) {
    if (!ranges.empty() && start <= last_stop) {
      if (stop > last_stop) {
        TJournalRange& range = ranges.back();
        range.bytes.resize(static_cast<size_t>(stop - range.position));
        last_stop = stop;
      }
      continue;
    }
    ranges.push_back({start, std::vector<uint8_t>(static_cast<size_t>(stop - start))});
    last_stop = stop;
  }
  for (TJournalRange& range : ranges) {
    file_.SetPosition(range.position);
    file_.ReadBuffer(range.bytes.data(), static_cast<int64_t>(range.bytes.size()));
  }

  WriteJournal(FileName(), base_length_, ranges);
  try {
    if (low_length_ < base_length_) file_.SetSize(low_length_);
    for (const auto& [start, bytes] : pending_) {
      file_.SetPosition(start);
      errno = 0;
      if (file_.Write(bytes.data(), static_cast<int64_t>(bytes.size())) !=
          static_cast<int64_t>(bytes.size()))
        WriteFailed(errno);
    }
    if (file_.Size() != length_) file_.SetSize(length_);
    file_.Flush();
    RemoveJournal(FileName());
  } catch (...) {
    // The journal is whole: it puts the old bytes back. When it cannot, it
    // stays for the next attempt (this object's, or the next opener's).
    try {
      RecoverInPlace();
    } catch (...) {
      recovery_pending_ = true;
      restore_length_ = base_length_;
      restore_.clear();
      for (TJournalRange& range : ranges) restore_.emplace(range.position, std::move(range.bytes));
    }
    throw;
  }
}

}  // namespace tinydb
