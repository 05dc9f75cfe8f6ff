// Pieces shared by the database and session tests: a stand-in cursor that
// only binds and unbinds, a scripted login prompt, small database images in
// memory streams, and the message of a refusal.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/tables/CursorTestKit.h"
#include "platform/Errors.h"
#include "processing/DataProcess.h"
#include "storage/DatabaseWriter.h"
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

// A database image with the tables "drinks" and "glasses" in a memory
// stream, registered under its memory-medium name for as long as it lives;
// Blowfish-encrypted under |password| when one is given.
class TMemoryImage : public cursor_test::TCursorImage {
 public:
  explicit TMemoryImage(std::optional<std::string> password = std::nullopt)
      : TCursorImage(Tables(), Settings(password)) {}

 private:
  static std::vector<TTableDefinition> Tables() {
    return {TTableDefinition{"drinks",
                             {{"id", ftInteger, 0, false}, {"name", ftString, 25, false}},
                             {}},
            TTableDefinition{"glasses", {{"code", ftSmallint, 0, false}}, {}}};
  }
  static TDatabaseSettings Settings(const std::optional<std::string>& password) {
    TDatabaseSettings settings;
    if (password) {
      settings.Encrypted = true;
      settings.EncryptAlgo = "Blowfish";
      settings.Password = *password;
    }
    return settings;
  }
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
