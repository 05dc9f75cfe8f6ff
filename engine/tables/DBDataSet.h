// The base of every cursor: which database, in which session, a cursor
// works on, and the binding steps its open and close run.
#pragma once

#include <string>

#include "storage/TinyDBFileIO.h"
#include "tables/Component.h"
#include "tables/Database.h"
#include "tables/Session.h"

namespace tinydb {

class TTDBDataSet : public TComponent {
 public:
  // Takes the SessionName of a session with AutoSessionName on among
  // |owner|'s components.
  explicit TTDBDataSet(TComponent* owner = nullptr);
  // Unregisters from a database it is still bound to. Subclasses close
  // themselves in their own destructors.
  ~TTDBDataSet() override;

  // The database's name in the session. Changeable only while closed
  // ("Cannot perform this operation on an open dataset").
  const std::string& DatabaseName() const { return database_name_; }
  virtual void SetDatabaseName(const std::string& name);
  // The session's name ("" = the default session). Changeable only while
  // closed.
  const std::string& SessionName() const { return session_name_; }
  void SetSessionName(const std::string& name);
  // Given to a temporary database the session creates for this cursor;
  // also set on the session's database of DatabaseName. Changeable only
  // while closed.
  TTinyDBMediumType MediumType() const { return medium_type_; }
  void SetMediumType(TTinyDBMediumType medium_type);

  // Opens (creating if needed) and connects the named database without
  // counting a use, then hands it |password|. Errors of the session or of
  // connecting propagate; a wrong password does not fail here.
  void SetPassword(const std::string& password);

  // The bound database, or null while closed.
  TTinyDatabase* Database() const { return database_; }
  // The bound database's session; else the session named SessionName;
  // else the default session.
  TTinySession& Session() const;

  // Closes the cursor when open: its own closing, then UnbindDatabase.
  // The database calls it to close its cursors.
  virtual void Close() = 0;
  // The database read its tables again after dropping changes: a cursor
  // takes its record list anew. Never throws.
  virtual void StorageReloaded() {}

 protected:
  // The first step of opening: binds to the database (creating and
  // connecting it as needed, counting a use), registers, then checks
  // access. On failure the cursor is unbound again and the error
  // propagates (EAbort when the login was cancelled).
  void BindDatabase();
  // The last step of closing: unregisters, releases the database and
  // unbinds. Does nothing when not bound.
  void UnbindDatabase();
  // True while the cursor is open.
  virtual bool IsOpen() const = 0;
  // Throws "Cannot perform this operation on an open dataset" when open.
  void CheckInactive() const;
  // Throws EDatabaseError |message|, prefixed with "<Name>: " when the
  // cursor has a name.
  [[noreturn]] void DataSetError(const std::string& message) const;

 private:
  friend class TTinySession;
  friend class TTinyDatabase;

  std::string database_name_;
  std::string session_name_;
  TTinyDBMediumType medium_type_ = mtDisk;
  TTinyDatabase* database_ = nullptr;
};

}  // namespace tinydb
