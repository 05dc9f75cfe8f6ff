#include "tables/Session.h"

#include <cstdio>

#include "processing/DataProcess.h"
#include "tables/DBDataSet.h"

namespace tinydb {

namespace {

// The list while it exists. Set before the list builds its default
// session, so that session can join a list still under construction.
TTinySessionList* g_session_list = nullptr;

TTinySessionList& SessionList() { return g_session_list != nullptr ? *g_session_list : Sessions(); }

const char kSessionActive[] = "Cannot perform this operation on an active session";

}  // namespace

// Holds the session lock for a scope and keeps the session's nesting count;
// starts the session when it is not active.
class TSessionLockGuard {
 public:
  explicit TSessionLockGuard(TTinySession& session) : session_(session) {
    session_.LockSession();
  }
  ~TSessionLockGuard() { session_.UnlockSession(); }
  TSessionLockGuard(const TSessionLockGuard&) = delete;
  TSessionLockGuard& operator=(const TSessionLockGuard&) = delete;

 private:
  TTinySession& session_;
};

// ---- Session list ----

TTinySessionList& Sessions() {
  static TTinySessionList list;
  return list;
}

TTinySession& DefaultSession() { return SessionList().DefaultSession(); }

std::recursive_mutex& SessionLock() {
  static std::recursive_mutex lock;
  return lock;
}

TTinySessionList::TTinySessionList() {
  // The engine starts here: the value modules first, then the default
  // session.
  RegisterStandardModules();
  g_session_list = this;
  SessionLock();  // created with the list, so it outlives every session
  default_session_ = new TTinySession(nullptr);
  default_session_->SetSessionName("Default");
}

TTinySessionList::~TTinySessionList() {
  for (;;) {
    TTinySession* last = nullptr;
    {
      std::lock_guard<std::mutex> hold(list_guard_);
      if (sessions_.empty()) break;
      last = sessions_.back();
    }
    delete last;  // leaves the list itself
    std::lock_guard<std::mutex> hold(list_guard_);
    if (!sessions_.empty() && sessions_.back() == last) sessions_.pop_back();
  }
  default_session_ = nullptr;
  g_session_list = nullptr;
}

void TTinySessionList::Add(TTinySession* session) {
  std::lock_guard<std::mutex> hold(list_guard_);
  sessions_.push_back(session);
}

void TTinySessionList::Remove(TTinySession* session) {
  std::lock_guard<std::mutex> hold(list_guard_);
  for (auto it = sessions_.begin(); it != sessions_.end(); ++it) {
    if (*it == session) {
      sessions_.erase(it);
      break;
    }
  }
  if (session == default_session_) default_session_ = nullptr;
}

TTinySession* TTinySessionList::FindSession(const std::string& name) {
  if (name.empty()) return default_session_;
  std::lock_guard<std::mutex> hold(list_guard_);
  for (TTinySession* session : sessions_)
    if (SameText(session->SessionName(), name)) return session;
  return nullptr;
}

TTinySession& TTinySessionList::SessionByName(const std::string& name) {
  TTinySession* session = FindSession(name);
  if (session == nullptr) throw EDatabaseError(FormatMessage("Invalid session name %s", name));
  return *session;
}

int TTinySessionList::Count() {
  std::lock_guard<std::mutex> hold(list_guard_);
  return static_cast<int>(sessions_.size());
}

std::vector<TTinySession*> TTinySessionList::List() {
  std::lock_guard<std::mutex> hold(list_guard_);
  return sessions_;
}

TTinySession& TTinySessionList::DefaultSession() {
  if (default_session_ == nullptr) throw EDatabaseError(FormatMessage("Invalid session name %s", "Default"));
  return *default_session_;
}

int TTinySessionList::ReserveAutoNumber() {
  for (size_t i = 0; i < auto_numbers_.size(); ++i) {
    if (!auto_numbers_[i]) {
      auto_numbers_[i] = true;
      return static_cast<int>(i);
    }
  }
  auto_numbers_.push_back(true);
  return static_cast<int>(auto_numbers_.size() - 1);
}

void TTinySessionList::ReleaseAutoNumber(int number) {
  if (number >= 0 && number < static_cast<int>(auto_numbers_.size())) auto_numbers_[number] = false;
}

// ---- Session life cycle ----

TTinySession::TTinySession(TComponent* owner) : TComponent(owner) {
  if (TTinySession* auto_named = AutoNamingSessionOf(owner, this)) {
    throw EDatabaseError(FormatMessage(
        "Cannot add a session to the form or data-module while session '%s' has "
        "AutoSessionName enabled",
        auto_named->Name()));
  }
  SessionList().Add(this);
}

TTinySession::~TTinySession() {
  BeginDestroy();
  try {
    SetActive(false);
  } catch (...) {
    // A destructor cannot report; what is left is handed on below.
  }
  DestroyComponents();
  const bool is_default = g_session_list != nullptr && this == g_session_list->default_session_;
  TTinySession* heir = is_default || g_session_list == nullptr ? nullptr : g_session_list->default_session_;
  while (!databases_.empty()) {
    TTinyDatabase* database = databases_.back();
    if (!is_default) {
      try {
        database->Disconnect();
      } catch (...) {
      }
    }
    database->session_name_.clear();
    database->MoveToSession(heir);
    if (!databases_.empty() && databases_.back() == database) databases_.pop_back();
  }
  if (auto_number_ >= 0 && g_session_list != nullptr) {
    std::lock_guard<std::recursive_mutex> hold(SessionLock());
    g_session_list->ReleaseAutoNumber(auto_number_);
  }
  if (g_session_list != nullptr) g_session_list->Remove(this);
}

void TTinySession::LockSession() {
  SessionLock().lock();
  ++lock_count_;
  if (!active_) {
    try {
      StartSession();
    } catch (...) {
      --lock_count_;
      SessionLock().unlock();
      throw;
    }
  }
}

void TTinySession::UnlockSession() {
  --lock_count_;
  SessionLock().unlock();
}

void TTinySession::SetActive(bool active) {
  if (active == active_) return;
  std::lock_guard<std::recursive_mutex> hold(SessionLock());
  if (active)
    StartSession();
  else
    StopSession();
}

void TTinySession::StartSession() {
  if (OnStartup) OnStartup(this);
  if (session_name_.empty()) throw EDatabaseError("Session name missing");
  if (g_session_list != nullptr && this != g_session_list->default_session_)
    DefaultSession().SetActive(true);
  active_ = true;
}

void TTinySession::StopSession() {
  const std::vector<TTinyDatabase*> databases = databases_;
  for (auto it = databases.rbegin(); it != databases.rend(); ++it) {
    TTinyDatabase* database = *it;
    // An earlier step may have freed it (a temporary one freed with its
    // cursors).
    bool still_here = false;
    for (TTinyDatabase* present : databases_) still_here = still_here || present == database;
    if (!still_here) continue;
    if (database->Temporary())
      delete database;
    else
      database->Disconnect();
  }
  active_ = false;
}

// ---- Names ----

void TTinySession::SetSessionName(const std::string& name) {
  if (auto_session_name_ && !setting_auto_name_)
    throw EDatabaseError("Cannot modify SessionName while AutoSessionName is enabled");
  if (active_) throw EDatabaseError(kSessionActive);
  if (!name.empty()) {
    TTinySession* holder = SessionList().FindSession(name);
    if (holder != nullptr && holder != this)
      throw EDatabaseError(FormatMessage("Duplicate session name '%s'", name));
  }
  session_name_ = name;
}

void TTinySession::SetAutoSessionName(bool on) {
  if (on == auto_session_name_) return;
  if (on) {
    if (active_) throw EDatabaseError(kSessionActive);
    if (Owner() != nullptr) {
      for (TComponent* sibling : Owner()->Components()) {
        if (sibling != this && dynamic_cast<TTinySession*>(sibling) != nullptr)
          throw EDatabaseError(
              "Cannot enable AutoSessionName property with more than one session on a form "
              "or data-module");
      }
    }
    std::lock_guard<std::recursive_mutex> hold(SessionLock());
    const std::string old_name = session_name_;
    auto_number_ = SessionList().ReserveAutoNumber();
    auto_session_name_ = true;
    try {
      UpdateAutoSessionName();
    } catch (...) {
      SessionList().ReleaseAutoNumber(auto_number_);
      auto_number_ = -1;
      auto_session_name_ = false;
      session_name_ = old_name;
      throw;
    }
  } else {
    std::lock_guard<std::recursive_mutex> hold(SessionLock());
    SessionList().ReleaseAutoNumber(auto_number_);
    auto_number_ = -1;
    auto_session_name_ = false;
  }
}

void TTinySession::SetName(const std::string& name) {
  if (!auto_session_name_) {
    TComponent::SetName(name);
    return;
  }
  if (active_) throw EDatabaseError(kSessionActive);
  const std::string old_name = Name();
  TComponent::SetName(name);
  try {
    UpdateAutoSessionName();
  } catch (...) {
    TComponent::SetName(old_name);
    throw;
  }
}

void TTinySession::UpdateAutoSessionName() {
  char number[16];
  std::snprintf(number, sizeof number, "_%d", auto_number_ + 1);
  {
    struct Reset {
      bool& flag;
      ~Reset() { flag = false; }
    } reset{setting_auto_name_};
    setting_auto_name_ = true;
    SetSessionName(Name() + number);
  }
  if (Owner() == nullptr) return;
  for (TComponent* sibling : Owner()->Components()) {
    if (auto* cursor = dynamic_cast<TTDBDataSet*>(sibling)) {
      if (!SameText(cursor->SessionName(), session_name_)) cursor->SetSessionName(session_name_);
    } else if (auto* database = dynamic_cast<TTinyDatabase*>(sibling)) {
      if (!SameText(database->SessionName(), session_name_)) database->SetSessionName(session_name_);
    }
  }
}

TTinySession* TTinySession::AutoNamingSessionOf(const TComponent* owner, const TTinySession* except) {
  if (owner == nullptr) return nullptr;
  for (TComponent* sibling : owner->Components()) {
    auto* session = dynamic_cast<TTinySession*>(sibling);
    if (session != nullptr && session != except && session->AutoSessionName()) return session;
  }
  return nullptr;
}

// ---- Databases ----

void TTinySession::AddDatabase(TTinyDatabase* database) { databases_.push_back(database); }

void TTinySession::RemoveDatabase(TTinyDatabase* database) {
  for (auto it = databases_.begin(); it != databases_.end(); ++it) {
    if (*it == database) {
      databases_.erase(it);
      return;
    }
  }
}

TTinyDatabase* TTinySession::FindDatabase(const std::string& name) const {
  for (TTinyDatabase* database : databases_) {
    if (database->DatabaseName().empty()) {
      if (name.empty() && database->Temporary()) return database;
    } else if (SameText(database->DatabaseName(), name)) {
      return database;
    }
  }
  return nullptr;
}

void TTinySession::CheckNewDatabaseName(TTinyDatabase* database, const std::string& name) {
  if (name.empty()) return;
  for (TTinyDatabase* other : databases_) {
    if (other == database || !SameText(other->DatabaseName(), name)) continue;
    if (other->Temporary() && other->UseCount() == 0) {
      delete other;
      return;
    }
    throw EDatabaseError(FormatMessage("Duplicate database name '%s'", name));
  }
}

TTinyDatabase* TTinySession::OpenDatabase(const std::string& name, bool count_use,
                                          TTDBDataSet* cursor) {
  TSessionLockGuard hold(*this);
  TTinyDatabase* database = FindDatabase(name);
  bool created = false;
  if (database == nullptr) {
    database = new TTinyDatabase(this);
    created = true;
    database->medium_type_ = cursor != nullptr ? cursor->MediumType() : mtDisk;
    database->database_name_ = name;
    database->keep_connection_ = keep_connections_;
    database->temporary_ = true;
  }
  try {
    database->Connect();
  } catch (...) {
    if (created) delete database;
    throw;
  }
  if (count_use) ++database->use_count_;
  return database;
}

void TTinySession::ReleaseDatabase(TTinyDatabase* database) {
  if (database == nullptr) return;
  if (database->use_count_ > 0) --database->use_count_;
  if (database->use_count_ != 0 || database->keep_connection_) return;
  if (database->Destroying() || database->disconnecting_) return;
  if (database->Temporary())
    delete database;
  else
    database->Disconnect();
}

}  // namespace tinydb
