// Settings of new databases for tests.
#pragma once

#include <string>

#include "storage/DatabaseWriter.h"

namespace tinydb::test {

// A database whose values are compressed, then encrypted with |cipher| in
// cipher mode |mode| under |password|.
inline TDatabaseSettings CompressedEncrypted(const std::string& cipher, int mode,
                                             const std::string& password) {
  TDatabaseSettings settings;
  settings.Compressed = true;
  settings.Encrypted = true;
  settings.EncryptAlgo = cipher;
  settings.EncryptMode = mode;
  settings.Password = password;
  return settings;
}

}  // namespace tinydb::test
