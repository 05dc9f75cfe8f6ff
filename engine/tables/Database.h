// The database object: names one database image (a disk file or a memory
// stream), connects file access to it, checks its password and owns one
// table storage object per table while connected. Every database belongs
// to exactly one session (Session.h), which finds it by DatabaseName.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/Errors.h"
#include "processing/DataProcess.h"
#include "storage/DatabaseWriter.h"
#include "storage/TableIO.h"
#include "storage/TinyDBFileIO.h"
#include "tables/Component.h"

namespace tinydb {

class TTinySession;
class TTDBDataSet;

// A plain notification: the component that raises it.
using TNotifyEvent = std::function<void(TComponent* sender)>;

// Asks the user for the password of a database (the login dialog).
class TLoginPrompt {
 public:
  virtual ~TLoginPrompt() = default;
  // Shows |storage_name|; returns false when the user cancels, else true
  // with the entered text in |password|.
  virtual bool AskPassword(const std::string& storage_name, std::string* password) = 0;
};

// Installs the process-wide login prompt; null (the default) means no
// dialog, so a database without a given password stays locked.
void SetLoginPrompt(TLoginPrompt* prompt);
// The installed login prompt, or null.
TLoginPrompt* LoginPrompt();

// A silent stop: the user cancelled the login. Callers that started the
// operation swallow it and leave things as they were.
class EAbort : public EEngineError {
 public:
  EAbort() : EEngineError("Operation aborted") {}
};

class TTinyDatabase : public TComponent, public TFileIODatabaseLink, public TTableStorageHost {
 public:
  // Joins |owner| when it is a session, else the session with
  // AutoSessionName on among |owner|'s components, else the default
  // session; takes that session's SessionName.
  explicit TTinyDatabase(TComponent* owner = nullptr);
  // Leaves its session, disconnects (closing its cursors) and frees its
  // owned components.
  ~TTinyDatabase() override;

  // ---- Properties ----
  // Setters of FileName, DatabaseName, MediumType, Exclusive and
  // SessionName throw "Cannot perform this operation on an open database"
  // while connected (FileName, DatabaseName, MediumType: only when the
  // value changes).

  // What is opened when not empty: a file path or a memory-medium name.
  const std::string& FileName() const { return file_name_; }
  void SetFileName(const std::string& name);
  // The name under which the session finds this database. Assigning
  // checks for duplicates in the session ("Duplicate database name '%s'"),
  // freeing an unused temporary namesake instead.
  const std::string& DatabaseName() const { return database_name_; }
  void SetDatabaseName(const std::string& name);
  TTinyDBMediumType MediumType() const override { return medium_type_; }
  void SetMediumType(TTinyDBMediumType medium_type);
  bool Exclusive() const override { return exclusive_; }
  void SetExclusive(bool exclusive);
  // Stay connected when the last cursor closes. Switching it off while no
  // cursor uses the database disconnects it.
  bool KeepConnection() const { return keep_connection_; }
  void SetKeepConnection(bool keep);
  // The session this database belongs to, by name; assigning re-binds the
  // database to the session of that name when it next connects ("" = the
  // default session).
  const std::string& SessionName() const { return session_name_; }
  void SetSessionName(const std::string& name);

  // True while file access exists and is open.
  bool Connected() const;
  void SetConnected(bool connected);
  // Binds to the named session (starting it), opens StorageName() and
  // loads the table list; does nothing when connected. On failure the
  // database is left disconnected and the error propagates.
  void Connect();
  // Closes its cursors and file access, forgets the password and the
  // tables; does nothing when not connected.
  void Disconnect();

  TNotifyEvent BeforeConnect;
  TNotifyEvent AfterConnect;
  TNotifyEvent BeforeDisconnect;
  TNotifyEvent AfterDisconnect;
  // Progress of the value pipeline, with this database as sender. Read
  // when connecting.
  TOnProgressEvent OnCompressProgress;
  TOnProgressEvent OnUncompressProgress;
  TOnProgressEvent OnEncryptProgress;
  TOnProgressEvent OnDecryptProgress;

  // ---- Operations ----

  // Remembers |password|; when connected, grants access exactly when file
  // access accepts it. A wrong password is no error here.
  void SetPassword(const std::string& password);
  // Run by every cursor that opens: asks the login prompt when no password
  // was given. Throws EAbort when the prompt is cancelled and
  // EDatabaseError "Access denied" when access is still not granted.
  virtual void CheckAccess();
  // Closes the registered cursors, the last registered first.
  void CloseDataSets();
  // When connected, replaces |list| with the file's table names in
  // directory order; otherwise leaves it unchanged.
  void GetTableNames(std::vector<std::string>& list);
  // Adds the empty table |table| to the connected database: its header is
  // laid out as a new database's would be, placed after the existing data
  // (the image only grows), and the directory counts it; then the table
  // has its storage object and appears in TableDefs and GetTableNames.
  // Every open cursor and table storage object stays valid. Works on disk
  // and memory media, under the file lock. Throws "Cannot perform this
  // operation on a closed database" when not connected, "Access denied"
  // (after CheckAccess) without access, the definition's error for a
  // table the header cannot hold, "Duplicate table name '%s'" for a name
  // the file already has (ignoring case), and a refusal naming the limit
  // when the file has 256 tables; nothing is written then.
  void CreateTable(const TTableDefinition& table);
  // One journal scope for many changes: between StartTransaction and
  // Commit every change to a disk database is held back (reads see it)
  // and Commit stores them all at once through the rollback journal, so a
  // crash leaves the file as before StartTransaction or after Commit.
  // Rollback drops them, and the tables and cursors read the file again.
  // A failed Commit leaves the file as before and the changes dropped.
  // Each change outside a transaction is such a scope of its own. A
  // memory-medium database never journals: its changes are in the image at
  // once, and its Rollback ends the transaction with an error saying so.
  // Throw "Cannot perform this operation on a closed database" when not
  // connected, "A transaction is already open on database '%s'" for a
  // second StartTransaction and "No transaction is open on database '%s'"
  // for Commit or Rollback without one. Disconnecting drops an open
  // transaction's changes.
  void StartTransaction();
  void Commit();
  void Rollback();
  bool InTransaction() const;
  // FileName when not empty, else DatabaseName.
  std::string StorageName() const;
  // The table storage object of table |name| (ignoring case), or null
  // (also when not connected).
  TTinyTableIO* TableIOByName(const std::string& name) const;
  // The table names, in directory order, while connected.
  const std::vector<std::string>& TableDefs() const { return table_names_; }
  // True when the open disk file is read-only; false when not connected.
  bool ReadOnlyFile() const;
  bool AccessGranted() const { return access_granted_; }

  // ---- Table storage host ----
  // Each throws "Cannot perform this operation on a closed database" when
  // not connected.
  TTinyDBFileIO& FileIO() override;
  bool Compressed() override;
  bool Encrypted() override;
  bool VerifyWrites() override;

  // ---- File access link ----
  // The session's lock settings, read each time the file lock is taken.
  int LockRetryCount() const override;
  int LockWaitTime() const override;
  const TProcessProgressEvents* ProgressEvents() const override { return &progress_events_; }
  // Loaded tables read their state again and cursors take their lists
  // anew; tables the file no longer has lose their storage objects unless
  // a cursor has them open.
  void ImageRolledBack() override;

  // ---- Session and cursors ----

  // The session this database belongs to (never null while it lives).
  TTinySession* Session() const { return session_; }
  // Set for a database a session created on demand.
  bool Temporary() const { return temporary_; }
  // Open cursors counted by OpenDatabase / ReleaseDatabase.
  int UseCount() const { return use_count_; }
  int DataSetCount() const { return static_cast<int>(data_sets_.size()); }
  // Adds |cursor| to the registered cursors (once); null is ignored.
  virtual void RegisterDataSet(TTDBDataSet* cursor);
  // Removes |cursor|; unknown cursors are ignored.
  virtual void UnregisterDataSet(TTDBDataSet* cursor);

 private:
  friend class TTinySession;
  friend class TTDBDataSet;

  void DoConnect();
  void DoDisconnect();
  void CheckInactive() const;
  // Moves this database into |session|'s list (re-binding), checking the
  // name there; on a duplicate the name is emptied and the error thrown.
  void BindToSession(TTinySession* session);
  // Moves the database into |session|'s list without checks.
  void MoveToSession(TTinySession* session);
  // Drops |cursor| when it is still the last registered one, unbinding it.
  void ForgetDataSet(TTDBDataSet* cursor);
  void ClearTables();
  void RequireConnected() const;

  std::string file_name_;
  std::string database_name_;
  TTinyDBMediumType medium_type_ = mtDisk;
  bool exclusive_ = false;
  bool keep_connection_ = false;
  std::string session_name_;

  TTinySession* session_ = nullptr;
  std::vector<TTDBDataSet*> data_sets_;
  std::unique_ptr<TTinyDBFileIO> file_io_;
  int use_count_ = 0;
  bool temporary_ = false;
  bool access_granted_ = false;
  std::string password_;
  bool password_given_ = false;
  bool disconnecting_ = false;
  std::vector<std::string> table_names_;
  std::vector<std::unique_ptr<TTinyTableIO>> table_ios_;
  TProcessProgressEvents progress_events_;
};

}  // namespace tinydb
