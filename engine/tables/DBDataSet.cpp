#include "tables/DBDataSet.h"

namespace tinydb {

TTDBDataSet::TTDBDataSet(TComponent* owner) : TComponent(owner) {
  if (TTinySession* session = TTinySession::AutoNamingSessionOf(owner, nullptr))
    session_name_ = session->SessionName();
}

TTDBDataSet::~TTDBDataSet() {
  BeginDestroy();
  try {
    UnbindDatabase();
  } catch (...) {
    // A destructor cannot report; the binding is gone either way.
  }
  database_ = nullptr;
}

void TTDBDataSet::CheckInactive() const {
  if (IsOpen()) DataSetError("Cannot perform this operation on an open dataset");
}

void TTDBDataSet::DataSetError(const std::string& message) const {
  if (Name().empty()) throw EDatabaseError(message);
  throw EDatabaseError(Name() + ": " + message);
}

void TTDBDataSet::SetDatabaseName(const std::string& name) {
  CheckInactive();
  database_name_ = name;
}

void TTDBDataSet::SetSessionName(const std::string& name) {
  CheckInactive();
  session_name_ = name;
}

void TTDBDataSet::SetMediumType(TTinyDBMediumType medium_type) {
  CheckInactive();
  if (TTinyDatabase* database = Session().FindDatabase(database_name_))
    database->SetMediumType(medium_type);
  medium_type_ = medium_type;
}

TTinySession& TTDBDataSet::Session() const {
  if (database_ != nullptr && database_->Session() != nullptr) return *database_->Session();
  if (TTinySession* session = Sessions().FindSession(session_name_)) return *session;
  return DefaultSession();
}

void TTDBDataSet::SetPassword(const std::string& password) {
  TTinySession& session = Sessions().SessionByName(session_name_);
  TTinyDatabase* database = session.OpenDatabase(database_name_, false, this);
  database->SetPassword(password);
}

void TTDBDataSet::BindDatabase() {
  if (database_ != nullptr) return;

  // A database component that names this cursor's session but joined the
  // default session (its session did not exist yet) moves over now.
  if (!session_name_.empty() && !database_name_.empty()) {
    TTinySession* named = Sessions().FindSession(session_name_);
    if (named != nullptr && named->FindDatabase(database_name_) == nullptr) {
      if (TTinyDatabase* stray = DefaultSession().FindDatabase(database_name_)) {
        TTinySession& target = Sessions().SessionByName(stray->SessionName());
        if (&target != stray->Session()) stray->BindToSession(&target);
        target.SetActive(true);
      }
    }
  }

  TTinySession& session = Sessions().SessionByName(session_name_);
  TTinyDatabase* database = session.OpenDatabase(database_name_, true, this);
  database_ = database;
  database->RegisterDataSet(this);
  try {
    database->CheckAccess();
  } catch (...) {
    UnbindDatabase();
    throw;
  }
}

void TTDBDataSet::UnbindDatabase() {
  TTinyDatabase* database = database_;
  if (database == nullptr) return;
  database->UnregisterDataSet(this);
  database_ = nullptr;
  if (TTinySession* session = database->Session()) {
    session->ReleaseDatabase(database);
  } else if (database->use_count_ > 0) {
    --database->use_count_;
  }
}

}  // namespace tinydb
