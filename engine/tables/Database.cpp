#include "tables/Database.h"

#include <atomic>

#include "platform/Errors.h"
#include "tables/DBDataSet.h"
#include "tables/Session.h"

namespace tinydb {

namespace {

const char kDatabaseOpen[] = "Cannot perform this operation on an open database";

std::atomic<TLoginPrompt*> g_login_prompt{nullptr};

// Clears a flag when the scope ends, however it ends.
class TFlagScope {
 public:
  explicit TFlagScope(bool& flag) : flag_(flag) { flag_ = true; }
  ~TFlagScope() { flag_ = false; }

 private:
  bool& flag_;
};

}  // namespace

void SetLoginPrompt(TLoginPrompt* prompt) { g_login_prompt.store(prompt); }

TLoginPrompt* LoginPrompt() { return g_login_prompt.load(); }

// ---- Life cycle ----

TTinyDatabase::TTinyDatabase(TComponent* owner) : TComponent(owner) {
  progress_events_.Sender = this;
  progress_events_.OnCompressProgress = [this](void* sender, int percent) {
    if (OnCompressProgress) OnCompressProgress(sender, percent);
  };
  progress_events_.OnUncompressProgress = [this](void* sender, int percent) {
    if (OnUncompressProgress) OnUncompressProgress(sender, percent);
  };
  progress_events_.OnEncryptProgress = [this](void* sender, int percent) {
    if (OnEncryptProgress) OnEncryptProgress(sender, percent);
  };
  progress_events_.OnDecryptProgress = [this](void* sender, int percent) {
    if (OnDecryptProgress) OnDecryptProgress(sender, percent);
  };

  TTinySession* session = dynamic_cast<TTinySession*>(owner);
  if (session == nullptr && owner != nullptr)
    session = TTinySession::AutoNamingSessionOf(owner, nullptr);
  if (session == nullptr) session = &DefaultSession();
  MoveToSession(session);
  session_name_ = session->SessionName();
}

TTinyDatabase::~TTinyDatabase() {
  BeginDestroy();
  try {
    Disconnect();
  } catch (...) {
    // A destructor cannot report; the connection is dropped below anyway.
  }
  try {
    CloseDataSets();
  } catch (...) {
  }
  ClearTables();
  file_io_.reset();
  DestroyComponents();
  if (session_ != nullptr) session_->RemoveDatabase(this);
}

// ---- Properties ----

void TTinyDatabase::CheckInactive() const {
  if (Connected()) throw EDatabaseError(kDatabaseOpen);
}

void TTinyDatabase::SetFileName(const std::string& name) {
  if (name == file_name_) return;
  CheckInactive();
  file_name_ = name;
}

void TTinyDatabase::SetDatabaseName(const std::string& name) {
  if (name == database_name_) return;
  CheckInactive();
  if (session_ != nullptr) session_->CheckNewDatabaseName(this, name);
  database_name_ = name;
}

void TTinyDatabase::SetMediumType(TTinyDBMediumType medium_type) {
  if (medium_type == medium_type_) return;
  CheckInactive();
  medium_type_ = medium_type;
}

void TTinyDatabase::SetExclusive(bool exclusive) {
  CheckInactive();
  exclusive_ = exclusive;
}

void TTinyDatabase::SetKeepConnection(bool keep) {
  const bool was_kept = keep_connection_;
  keep_connection_ = keep;
  if (was_kept && !keep && use_count_ == 0) Disconnect();
}

void TTinyDatabase::SetSessionName(const std::string& name) {
  CheckInactive();
  session_name_ = name;
}

// ---- Connecting ----

bool TTinyDatabase::Connected() const { return file_io_ != nullptr && file_io_->IsOpen(); }

void TTinyDatabase::SetConnected(bool connected) {
  if (connected)
    Connect();
  else
    Disconnect();
}

void TTinyDatabase::Connect() {
  if (Connected()) return;
  if (BeforeConnect) BeforeConnect(this);
  DoConnect();
  if (AfterConnect) AfterConnect(this);
}

void TTinyDatabase::Disconnect() {
  if (!Connected()) return;
  if (BeforeDisconnect) BeforeDisconnect(this);
  DoDisconnect();
  if (AfterDisconnect) AfterDisconnect(this);
}

void TTinyDatabase::DoConnect() {
  if (database_name_.empty() && !temporary_) throw EDatabaseError("Database name missing");

  TTinySession& session = Sessions().SessionByName(session_name_);
  if (&session != session_) BindToSession(&session);
  if (!session.Active()) session.SetActive(true);

  if (file_io_ == nullptr) file_io_ = std::make_unique<TTinyDBFileIO>(this);
  try {
    file_io_->Open(StorageName(), medium_type_, exclusive_);
    access_granted_ = !Encrypted();
    std::vector<std::string> names;
    file_io_->GetTableNames(names);
    ClearTables();
    for (const std::string& name : names)
      table_ios_.push_back(std::make_unique<TTinyTableIO>(this, name));
    table_names_ = std::move(names);
  } catch (...) {
    ClearTables();
    access_granted_ = false;
    file_io_->Close();
    file_io_.reset();
    throw;
  }
}

void TTinyDatabase::DoDisconnect() {
  if (file_io_ == nullptr) return;
  {
    // Cursors closing here release this database; that must not free or
    // disconnect it a second time.
    TFlagScope disconnecting(disconnecting_);
    CloseDataSets();
  }
  file_io_->Close();
  file_io_.reset();
  use_count_ = 0;
  access_granted_ = false;
  password_.clear();
  password_given_ = false;
  ClearTables();
}

void TTinyDatabase::ClearTables() {
  table_ios_.clear();
  table_names_.clear();
}

void TTinyDatabase::MoveToSession(TTinySession* session) {
  if (session == session_) return;
  if (session_ != nullptr) session_->RemoveDatabase(this);
  session_ = nullptr;
  if (session != nullptr) {
    session->AddDatabase(this);
    session_ = session;
  }
}

void TTinyDatabase::BindToSession(TTinySession* session) {
  MoveToSession(session);
  try {
    session_->CheckNewDatabaseName(this, database_name_);
  } catch (...) {
    database_name_.clear();
    throw;
  }
}

// ---- Password and access ----

void TTinyDatabase::SetPassword(const std::string& password) {
  password_ = password;
  password_given_ = true;
  if (Connected()) access_granted_ = file_io_->VerifyPassword(password_);
}

void TTinyDatabase::CheckAccess() {
  if (access_granted_) return;
  if (password_given_) {
    access_granted_ = Connected() && file_io_->VerifyPassword(password_);
  } else if (TLoginPrompt* prompt = LoginPrompt()) {
    std::string password;
    if (!prompt->AskPassword(StorageName(), &password)) throw EAbort();
    SetPassword(password);
  }
  if (!access_granted_) throw EDatabaseError("Access denied");
}

// ---- Cursors ----

void TTinyDatabase::RegisterDataSet(TTDBDataSet* cursor) {
  if (cursor == nullptr) return;
  for (TTDBDataSet* registered : data_sets_)
    if (registered == cursor) return;
  data_sets_.push_back(cursor);
}

void TTinyDatabase::UnregisterDataSet(TTDBDataSet* cursor) {
  for (auto it = data_sets_.begin(); it != data_sets_.end(); ++it) {
    if (*it == cursor) {
      data_sets_.erase(it);
      return;
    }
  }
}

void TTinyDatabase::CloseDataSets() {
  while (!data_sets_.empty()) {
    TTDBDataSet* cursor = data_sets_.back();
    try {
      cursor->Close();
    } catch (...) {
      ForgetDataSet(cursor);
      throw;
    }
    // A cursor whose close did not unbind it would otherwise be met again.
    ForgetDataSet(cursor);
  }
}

void TTinyDatabase::ForgetDataSet(TTDBDataSet* cursor) {
  if (!data_sets_.empty() && data_sets_.back() == cursor) {
    data_sets_.pop_back();
    if (cursor->database_ == this) cursor->database_ = nullptr;
  }
}

// ---- Queries ----

void TTinyDatabase::GetTableNames(std::vector<std::string>& list) {
  if (Connected()) file_io_->GetTableNames(list);
}

void TTinyDatabase::CreateTable(const TTableDefinition& table) {
  RequireConnected();
  CheckAccess();
  CheckTableDefinition(table);
  const TTableHeader header = BuildTableHeader(table);

  TTinyDBFileIO& io = *file_io_;
  std::vector<std::string> names;
  io.Lock();
  try {
    // Another program may have added a table since this one connected.
    io.ReadTableDirectory();
    io.GetTableNames(names);
    for (const std::string& name : names)
      if (SameText(name, table.Name))
        throw EDatabaseError("Duplicate table name '" + table.Name + "'");
    TTinyDBFileIO::TWriteScope scope(io);
    io.AppendTableHeader(header);
    io.Flush();
    scope.Commit();
  } catch (...) {
    io.Unlock();
    throw;
  }
  io.Unlock();

  names.push_back(table.Name);
  for (const std::string& name : names)
    if (TableIOByName(name) == nullptr)
      table_ios_.push_back(std::make_unique<TTinyTableIO>(this, name));
  table_names_ = std::move(names);
}

void TTinyDatabase::StartTransaction() {
  RequireConnected();
  file_io_->StartTransaction();
}

void TTinyDatabase::Commit() {
  RequireConnected();
  file_io_->Commit();
}

void TTinyDatabase::Rollback() {
  RequireConnected();
  file_io_->Rollback();
}

bool TTinyDatabase::InTransaction() const { return Connected() && file_io_->InTransaction(); }

void TTinyDatabase::ImageRolledBack() {
  std::vector<std::string> names;
  try {
    file_io_->GetTableNames(names);
  } catch (...) {
    names = table_names_;
  }
  for (auto it = table_ios_.begin(); it != table_ios_.end();) {
    TTinyTableIO& table_io = **it;
    bool present = false;
    for (const std::string& name : names) present = present || SameText(name, table_io.TableName());
    if (!present && table_io.OpenCount() == 0) {
      it = table_ios_.erase(it);
      continue;
    }
    if (table_io.Loaded()) {
      try {
        table_io.Load();
      } catch (...) {
        // Left unloaded: its next use reports why.
      }
    }
    ++it;
  }
  table_names_ = std::move(names);
  for (TTDBDataSet* cursor : data_sets_) cursor->StorageReloaded();
}

std::string TTinyDatabase::StorageName() const {
  return file_name_.empty() ? database_name_ : file_name_;
}

TTinyTableIO* TTinyDatabase::TableIOByName(const std::string& name) const {
  for (const auto& table_io : table_ios_)
    if (SameText(table_io->TableName(), name)) return table_io.get();
  return nullptr;
}

bool TTinyDatabase::ReadOnlyFile() const { return Connected() && file_io_->ReadOnly(); }

void TTinyDatabase::RequireConnected() const {
  if (!Connected()) throw EDatabaseError(kClosedDatabase);
}

TTinyDBFileIO& TTinyDatabase::FileIO() {
  RequireConnected();
  return *file_io_;
}

bool TTinyDatabase::Compressed() {
  RequireConnected();
  return file_io_->Settings().Compressed != 0;
}

bool TTinyDatabase::Encrypted() {
  RequireConnected();
  return file_io_->Settings().Encrypted != 0;
}

bool TTinyDatabase::VerifyWrites() {
  RequireConnected();
  return file_io_->Settings().VerifyWrites != 0;
}

int TTinyDatabase::LockRetryCount() const {
  return session_ != nullptr ? session_->LockRetryCount() : TFileIODatabaseLink::LockRetryCount();
}

int TTinyDatabase::LockWaitTime() const {
  return session_ != nullptr ? session_->LockWaitTime() : TFileIODatabaseLink::LockWaitTime();
}

}  // namespace tinydb
