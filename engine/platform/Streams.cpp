#include "platform/Streams.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iterator>

#include "platform/Errors.h"

namespace tinydb {

namespace {

// The write fault of SetFileWriteFault: the errno to fail with (0: none)
// and the bytes that may still be written before failing.
std::atomic<int> write_fault{0};
std::atomic<int64_t> write_allowance{0};

// One write(2) to |fd|, cut short or failed as the write fault says.
ssize_t WriteSome(int fd, const uint8_t* data, size_t count) {
  const int fault = write_fault.load();
  if (fault == 0) return ::write(fd, data, count);
  const int64_t allowed = write_allowance.load();
  if (allowed <= 0) {
    errno = fault;
    return -1;
  }
  ssize_t n = ::write(fd, data, std::min<size_t>(count, static_cast<size_t>(allowed)));
  if (n > 0) write_allowance.fetch_sub(n);
  return n;
}

TFileIdentity IdentityOf(const struct stat& st) {
  TFileIdentity identity;
  identity.device = static_cast<uint64_t>(st.st_dev);
  identity.inode = static_cast<uint64_t>(st.st_ino);
  identity.size = static_cast<int64_t>(st.st_size);
  identity.modified_ns = static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
  return identity;
}

}  // namespace

bool ReadFileIdentity(const std::string& file_name, TFileIdentity* identity) {
  struct stat st {};
  if (::stat(file_name.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  *identity = IdentityOf(st);
  return true;
}

void SetFileWriteFault(int error_number, int64_t bytes_allowed) {
  write_allowance.store(bytes_allowed);
  write_fault.store(error_number);
}

void TStream::ReadBuffer(void* buffer, int64_t count) {
  if (count < 0 || Read(buffer, count) != count) throw EReadError();
}

void TStream::WriteBuffer(const void* buffer, int64_t count) {
  if (count < 0 || Write(buffer, count) != count) throw EWriteError();
}

int64_t TStream::CopyFrom(TStream& source, int64_t count) {
  if (count == 0) {
    source.SetPosition(0);
    count = source.Size();
  }
  const int64_t total = count;
  std::vector<uint8_t> chunk(static_cast<size_t>(std::min<int64_t>(count, 64 * 1024)));
  while (count > 0) {
    int64_t n = std::min<int64_t>(count, static_cast<int64_t>(chunk.size()));
    source.ReadBuffer(chunk.data(), n);
    WriteBuffer(chunk.data(), n);
    count -= n;
  }
  return total;
}

// ---- TMemoryStream ----

int64_t TMemoryStream::Read(void* buffer, int64_t count) {
  int64_t size = Size();
  if (count <= 0 || position_ >= size) return 0;
  int64_t n = std::min(count, size - position_);
  std::memcpy(buffer, data_.data() + position_, static_cast<size_t>(n));
  position_ += n;
  return n;
}

int64_t TMemoryStream::Write(const void* buffer, int64_t count) {
  if (count <= 0 || position_ < 0) return 0;
  int64_t end = position_ + count;
  if (tracking_) NoteChange(position_, count);
  if (base_valid_ && position_ < saved_length_) NoteUnsaved(position_, count);
  if (end > Size()) data_.resize(static_cast<size_t>(end));
  std::memcpy(data_.data() + position_, buffer, static_cast<size_t>(count));
  position_ = end;
  return count;
}

int64_t TMemoryStream::Seek(int64_t offset, TSeekOrigin origin) {
  position_ = SeekPosition(position_, offset, origin, [this] { return Size(); });
  return position_;
}

void TMemoryStream::SetSize(int64_t size) {
  if (size < 0) size = 0;
  if (base_valid_ && size < saved_length_) ForgetSavedBase();
  if (tracking_) {
    if (size < Size()) NoteWholeChange();  // bytes cut off may come back as zeros
    else if (size > Size()) NoteChange(Size(), size - Size());
  }
  data_.resize(static_cast<size_t>(size));
  if (position_ > size) position_ = size;
}

void TMemoryStream::Clear() {
  if (tracking_) NoteWholeChange();
  ForgetSavedBase();
  data_.clear();
  position_ = 0;
}

void TMemoryStream::LoadFromFile(const std::string& file_name) {
  TFileStream file(file_name, TFileAccess::faRead);
  struct stat st {};
  const bool known = ::fstat(file.Handle(), &st) == 0;
  std::vector<uint8_t> bytes(static_cast<size_t>(file.Size()));
  file.ReadBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
  if (tracking_) NoteWholeChange();
  data_ = std::move(bytes);
  position_ = 0;
  ForgetSavedBase();
  if (known) MarkSaved(IdentityOf(st));
}

void TMemoryStream::MarkSaved(const TFileIdentity& identity) {
  base_valid_ = true;
  saved_length_ = Size();
  saved_file_ = identity;
  changed_.clear();
}

void TMemoryStream::ForgetSavedBase() {
  base_valid_ = false;
  saved_length_ = 0;
  saved_file_ = {};
  changed_.clear();
}

void TMemoryStream::NoteUnsaved(int64_t pos, int64_t size) {
  // Ranges closer than this are joined: rewriting a few unchanged bytes
  // costs less than another range in the journal and another write.
  constexpr int64_t kJoinGap = 64;
  int64_t start = pos;
  int64_t end = std::min(pos + size, saved_length_);
  if (end <= start) return;
  auto it = changed_.upper_bound(start);
  if (it != changed_.begin()) {
    auto before = std::prev(it);
    if (before->second + kJoinGap >= start) {
      start = before->first;
      end = std::max(end, before->second);
      it = changed_.erase(before);
    }
  }
  while (it != changed_.end() && it->first <= end + kJoinGap) {
    end = std::max(end, it->second);
    it = changed_.erase(it);
  }
  changed_.emplace_hint(it, start, end);
}

namespace {

// Stamps are unique in the process, so a stamp noted on one stream is never
// taken for a later one of another stream at the same address.
std::atomic<uint64_t> last_change_stamp{0};

uint64_t NextChangeStamp() { return last_change_stamp.fetch_add(1, std::memory_order_relaxed) + 1; }

}  // namespace

void TMemoryStream::EnableChangeTracking() {
  if (tracking_) return;
  tracking_ = true;
  NoteWholeChange();
}

void TMemoryStream::NoteChange(int64_t pos, int64_t size) {
  stamp_ = NextChangeStamp();
  const size_t first = static_cast<size_t>(pos >> kChangePageShift);
  const size_t last = static_cast<size_t>((pos + size - 1) >> kChangePageShift);
  if (last >= page_stamps_.size()) page_stamps_.resize(last + 1, 0);
  for (size_t page = first; page <= last; ++page) page_stamps_[page] = stamp_;
}

void TMemoryStream::NoteWholeChange() {
  stamp_ = NextChangeStamp();
  whole_stamp_ = stamp_;
  page_stamps_.clear();
}

void FlushFolderOf(const std::string& file_name) {
  const size_t slash = file_name.find_last_of('/');
  const std::string folder = slash == std::string::npos ? "."
                             : slash == 0                ? "/"
                                                         : file_name.substr(0, slash);
  int folder_fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folder_fd >= 0) {
    (void)::fsync(folder_fd);
    ::close(folder_fd);
  }
}

void TMemoryStream::SaveToFile(const std::string& file_name) {
  auto failure = [&file_name](int error_number) {
    return "Cannot create file \"" + file_name + "\". " + std::strerror(error_number);
  };
  struct stat target {};
  const bool exists = ::stat(file_name.c_str(), &target) == 0;
  if (exists && FileIsReadOnly(file_name))
    throw EFOpenError("Cannot create file \"" + file_name + "\". The file is read-only");

  // A temporary left by an interrupted save is dropped, not written
  // through: it may be read-only or a link by now.
  const std::string temp_name = file_name + ".tmp";
  ::unlink(temp_name.c_str());
  int fd = ::open(temp_name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (fd < 0) throw EFOpenError(failure(errno));
  if (exists) {
    // Best effort: the new file looks like the one it replaces.
    (void)::fchown(fd, target.st_uid, target.st_gid);
    (void)::fchmod(fd, target.st_mode & 07777);
  }

  int error_number = 0;
  const uint8_t* next = data_.data();
  size_t left = data_.size();
  while (left > 0) {
    ssize_t n = WriteSome(fd, next, left);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      error_number = n < 0 ? errno : EIO;
      break;
    }
    next += n;
    left -= static_cast<size_t>(n);
  }
  if (error_number == 0 && ::fsync(fd) != 0) error_number = errno;
  if (::close(fd) != 0 && error_number == 0) error_number = errno;
  if (error_number != 0) {
    ::unlink(temp_name.c_str());
    throw EWriteError(failure(error_number));
  }

  if (::rename(temp_name.c_str(), file_name.c_str()) != 0) {
    error_number = errno;
    ::unlink(temp_name.c_str());
    throw EFOpenError(failure(error_number));
  }
  // The rename itself reaches the device with the folder's entry.
  FlushFolderOf(file_name);
  TFileIdentity identity;
  if (ReadFileIdentity(file_name, &identity)) MarkSaved(identity);
  else ForgetSavedBase();
}

// ---- TFileStream ----

TFileStream::TFileStream(const std::string& file_name, TFileAccess access,
                         TFileShare share)
    : file_name_(file_name) {
  int flags = O_CLOEXEC;
  switch (access) {
    case TFileAccess::faRead: flags |= O_RDONLY; break;
    case TFileAccess::faReadWrite: flags |= O_RDWR; break;
    case TFileAccess::faCreate: flags |= O_RDWR | O_CREAT | O_TRUNC; break;
  }
  fd_ = ::open(file_name.c_str(), flags, 0644);
  if (fd_ < 0) {
    int err = errno;
    const char* verb = access == TFileAccess::faCreate ? "create" : "open";
    throw EFOpenError(std::string("Cannot ") + verb + " file \"" + file_name + "\". " +
                      std::strerror(err));
  }
  // Share modes: every opener holds a whole-file advisory lock, shared or
  // exclusive, so an exclusive opener and any other opener exclude each other.
  int how = (share == TFileShare::fsExclusive ? LOCK_EX : LOCK_SH) | LOCK_NB;
  if (::flock(fd_, how) != 0) {
    ::close(fd_);
    fd_ = -1;
    throw EFOpenError("Cannot open file \"" + file_name +
                      "\". The file is in use by another process");
  }
}

TFileStream::~TFileStream() {
  if (fd_ >= 0) ::close(fd_);
}

int64_t TFileStream::Read(void* buffer, int64_t count) {
  int64_t done = 0;
  auto* out = static_cast<uint8_t*>(buffer);
  while (done < count) {
    ssize_t n = ::read(fd_, out + done, static_cast<size_t>(count - done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += n;
  }
  return done;
}

int64_t TFileStream::Write(const void* buffer, int64_t count) {
  int64_t done = 0;
  const auto* in = static_cast<const uint8_t*>(buffer);
  while (done < count) {
    ssize_t n = WriteSome(fd_, in + done, static_cast<size_t>(count - done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += n;
  }
  return done;
}

int64_t TFileStream::Seek(int64_t offset, TSeekOrigin origin) {
  int whence = origin == TSeekOrigin::soBeginning ? SEEK_SET
               : origin == TSeekOrigin::soCurrent ? SEEK_CUR
                                                  : SEEK_END;
  off_t at = ::lseek(fd_, static_cast<off_t>(offset), whence);
  if (at < 0) throw EStreamError("Stream seek error on \"" + file_name_ + "\"");
  return at;
}

int64_t TFileStream::Size() {
  struct stat st {};
  if (::fstat(fd_, &st) != 0) throw EStreamError("Cannot read the size of \"" + file_name_ + "\"");
  return st.st_size;
}

void TFileStream::SetSize(int64_t size) {
  if (::ftruncate(fd_, static_cast<off_t>(size)) != 0)
    throw EWriteError("Cannot change the size of \"" + file_name_ + "\"");
}

void TFileStream::Flush() {
  if (::fsync(fd_) != 0) throw EWriteError("Cannot flush \"" + file_name_ + "\" to the device");
}

bool FileExists(const std::string& file_name) {
  struct stat st {};
  return ::stat(file_name.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool FileIsReadOnly(const std::string& file_name) {
  // The read-only attribute: no write permission bit is set (this holds even
  // for root, who could write anyway), or this process may not write.
  struct stat st {};
  if (::stat(file_name.c_str(), &st) != 0) return true;
  if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) return true;
  return ::access(file_name.c_str(), W_OK) != 0;
}

}  // namespace tinydb
