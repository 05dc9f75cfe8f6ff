// A non-blocking exclusive lock on one byte of an open file, the way
// writers of one database file keep out of each other's way.
#pragma once

#include <cstdint>

namespace tinydb {

// Tries to take an exclusive lock on |length| bytes at |offset| of the open
// file |fd|, without waiting. The lock belongs to the open file description,
// so two opens of one file in the same process exclude each other too.
// Returns false when another holder has it.
bool TryLockFileRange(int fd, int64_t offset, int64_t length);

// Releases a lock taken by TryLockFileRange on the same range.
void UnlockFileRange(int fd, int64_t offset, int64_t length);

// Sleeps for |milliseconds|.
void SleepMilliseconds(int milliseconds);

}  // namespace tinydb
