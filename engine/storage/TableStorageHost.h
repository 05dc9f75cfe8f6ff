// The database as table storage and its blob streams see it.
#pragma once

namespace tinydb {

class TTinyDBFileIO;

// What table storage needs from its database (the database object
// implements it; tests may fake it).
class TTableStorageHost {
 public:
  virtual ~TTableStorageHost() = default;
  // The open file access object. Throws EDatabaseError "Cannot perform this
  // operation on a closed database" when the database is not connected.
  virtual TTinyDBFileIO& FileIO() = 0;
  // The settings flags of the connected database; the same error when not
  // connected.
  virtual bool Compressed() = 0;
  virtual bool Encrypted() = 0;
  virtual bool VerifyWrites() = 0;
};

}  // namespace tinydb
