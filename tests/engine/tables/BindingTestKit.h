// Pieces shared by the database and session tests: a stand-in cursor that
// only binds and unbinds, a scripted login prompt, small database images in
// memory streams, and the message of a refusal.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/Errors.h"
#include "processing/DataProcess.h"
#include "storage/DatabaseWriter.h"
#include "storage/MemoryMedium.h"
#include "tables/DBDataSet.h"
#include "tables/Database.h"
#include "tables/Session.h"

namespace tinydb::test {

// Plays a cursor: opening binds the database, closing unbinds it.
class TBindingCursor : public TTDBDataSet {
 public:
  using TTDBDataSet::TTDBDataSet;
  ~TBindingCursor() override { Close(); }

  // Opens; a cancelled login leaves the cursor closed without an error.
  void Open() {
    try {
      OpenOrThrow();
    } catch (const EAbort&) {
    }
  }
  // Opens, letting EAbort through.
  void OpenOrThrow() {
    if (open_) return;
    BindDatabase();
    open_ = true;
  }
  void Close() override {
    if (!open_) return;
    open_ = false;
    UnbindDatabase();
  }
  bool Active() const { return open_; }

 protected:
  bool IsOpen() const override { return open_; }

 private:
  bool open_ = false;
};

// Answers the login dialog from a script: no answer means Cancel.
class TScriptedLogin : public TLoginPrompt {
 public:
  bool AskPassword(const std::string& storage_name, std::string* password) override {
    asked.push_back(storage_name);
    if (!answer) return false;
    *password = *answer;
    return true;
  }
  std::optional<std::string> answer;
  std::vector<std::string> asked;  // the storage names shown, in order
};

// A database image with one table "drinks" in a memory stream, registered
// under its memory-medium name for as long as it lives.
class TMemoryImage {
 public:
  explicit TMemoryImage(std::optional<std::string> password = std::nullopt) {
    TDatabaseSettings settings;
    if (password) {
      settings.Encrypted = true;
      settings.EncryptAlgo = "Blowfish";
      settings.Password = *password;
    }
    TTableDefinition drinks{"drinks", {{"id", ftInteger, 0, false}, {"name", ftString, 25, false}}, {}};
    TTableDefinition glasses{"glasses", {{"code", ftSmallint, 0, false}}, {}};
    CreateDatabase(stream_, settings, {drinks, glasses});
    name_ = MemoryStreamToDatabaseName(&stream_);
  }
  ~TMemoryImage() { UnregisterMemoryStream(&stream_); }

  const std::string& Name() const { return name_; }
  TMemoryStream& Stream() { return stream_; }

 private:
  TMemoryStream stream_;
  std::string name_;
};

// The message of the EDatabaseError |action| throws, or "(no error)".
inline std::string ErrorOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const EDatabaseError& e) {
    return e.what();
  }
  return "(no error)";
}

}  // namespace tinydb::test
