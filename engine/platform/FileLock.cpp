#include "platform/FileLock.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <thread>

namespace tinydb {

namespace {

bool SetLock(int fd, short type, int64_t offset, int64_t length) {
  struct flock lock {};
  lock.l_type = type;
  lock.l_whence = SEEK_SET;
  lock.l_start = static_cast<off_t>(offset);
  lock.l_len = static_cast<off_t>(length);
  lock.l_pid = 0;  // required for open-file-description locks
  int rc;
  do {
    rc = ::fcntl(fd, F_OFD_SETLK, &lock);
  } while (rc != 0 && errno == EINTR);
  return rc == 0;
}

}  // namespace

bool TryLockFileRange(int fd, int64_t offset, int64_t length) {
  // A write lock needs a descriptor open for writing; a read-only opener
  // takes a read lock, which still keeps every writer out.
  int flags = ::fcntl(fd, F_GETFL);
  short type = (flags >= 0 && (flags & O_ACCMODE) == O_RDONLY) ? F_RDLCK : F_WRLCK;
  return SetLock(fd, type, offset, length);
}

void UnlockFileRange(int fd, int64_t offset, int64_t length) {
  SetLock(fd, F_UNLCK, offset, length);
}

void SleepMilliseconds(int milliseconds) {
  if (milliseconds > 0) std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

}  // namespace tinydb
