// Sessions group databases by name, create a temporary database when a
// cursor names one that does not exist yet, and carry the file-lock retry
// settings. The process-wide session list holds every session; the first
// one, "Default", is created on first use and serves every cursor and
// database that names no session.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "tables/Component.h"
#include "tables/Database.h"

namespace tinydb {

class TTDBDataSet;

class TTinySession : public TComponent {
 public:
  // Joins the session list, inactive. Throws "Cannot add a session to the
  // form or data-module while session '%s' has AutoSessionName enabled"
  // when |owner| already holds such a session.
  explicit TTinySession(TComponent* owner = nullptr);
  // Stops the session, frees its owned components, hands its other
  // databases to the default session and leaves the session list.
  ~TTinySession() override;

  // ---- Properties ----

  // Starting raises OnStartup and needs a SessionName ("Session name
  // missing"); it also starts the default session. Stopping frees the
  // temporary databases and disconnects the others, the last joined
  // first. Assigning the current value does nothing.
  bool Active() const { return active_; }
  void SetActive(bool active);
  // Derive SessionName from the component name ("%s_%d" with the lowest
  // free number plus one) and hand it to the owner's cursors and
  // databases. Switching on needs the session inactive and alone on its
  // owner.
  bool AutoSessionName() const { return auto_session_name_; }
  void SetAutoSessionName(bool on);
  // KeepConnection of the temporary databases this session creates.
  bool KeepConnections() const { return keep_connections_; }
  void SetKeepConnections(bool keep) { keep_connections_ = keep; }
  // Needs the session inactive, AutoSessionName off and the name unused
  // by another session (an empty name is always accepted).
  const std::string& SessionName() const { return session_name_; }
  void SetSessionName(const std::string& name);
  // Show the wait cursor while a cursor filters its records.
  bool SQLHourGlass() const { return sql_hour_glass_; }
  void SetSQLHourGlass(bool on) { sql_hour_glass_ = on; }
  // File-lock attempts (0 = without end) and the milliseconds between
  // them; negative values are stored as 0.
  int32_t LockRetryCount() const { return lock_retry_count_; }
  void SetLockRetryCount(int32_t count) { lock_retry_count_ = count < 0 ? 0 : count; }
  int32_t LockWaitTime() const { return lock_wait_time_; }
  void SetLockWaitTime(int32_t ms) { lock_wait_time_ = ms < 0 ? 0 : ms; }
  // Raised each time the session starts.
  TNotifyEvent OnStartup;

  // Renames the component; with AutoSessionName on the session renames
  // itself the same way.
  void SetName(const std::string& name) override;

  // ---- Databases ----

  // The first database of the session named |name| ignoring case; a
  // database with an empty name is found (by "") only when temporary.
  TTinyDatabase* FindDatabase(const std::string& name) const;
  // Under the session lock: finds |name| or creates a temporary database
  // for it (with |cursor|'s MediumType), connects it and counts a use when
  // |count_use|. A database created here is freed when a step fails.
  TTinyDatabase* OpenDatabase(const std::string& name, bool count_use, TTDBDataSet* cursor);
  // Drops one use of |database|; at 0 uses without KeepConnection a
  // temporary database is freed and any other disconnects.
  void ReleaseDatabase(TTinyDatabase* database);
  // The session's databases in the order they joined.
  int DatabaseCount() const { return static_cast<int>(databases_.size()); }
  TTinyDatabase* Databases(int index) const { return databases_[index]; }

  // The reserved auto-name number, or -1.
  int AutoSessionNumber() const { return auto_number_; }

 private:
  friend class TTinyDatabase;
  friend class TTinySessionList;
  friend class TTDBDataSet;
  friend class TSessionLockGuard;

  void StartSession();
  void StopSession();
  void LockSession();
  void UnlockSession();
  void AddDatabase(TTinyDatabase* database);
  void RemoveDatabase(TTinyDatabase* database);
  // Name check for |database| taking |name| in this session: an unused
  // temporary namesake is freed, any other throws "Duplicate database
  // name '%s'". Empty names are not checked.
  void CheckNewDatabaseName(TTinyDatabase* database, const std::string& name);
  void UpdateAutoSessionName();
  // The session with AutoSessionName on among |owner|'s components (other
  // than |except|), or null.
  static TTinySession* AutoNamingSessionOf(const TComponent* owner, const TTinySession* except);

  bool active_ = false;
  bool auto_session_name_ = false;
  bool keep_connections_ = false;
  std::string session_name_;
  bool sql_hour_glass_ = true;
  int32_t lock_retry_count_ = 20;
  int32_t lock_wait_time_ = 100;
  std::vector<TTinyDatabase*> databases_;
  int auto_number_ = -1;
  int lock_count_ = 0;
  bool setting_auto_name_ = false;
};

// Every session of the process. Adding, removing and finding sessions is
// safe from several threads.
class TTinySessionList {
 public:
  TTinySessionList();
  // Frees every session, the last created first.
  ~TTinySessionList();
  TTinySessionList(const TTinySessionList&) = delete;
  TTinySessionList& operator=(const TTinySessionList&) = delete;

  // The session named |name| ignoring case ("" = the default session), or
  // null.
  TTinySession* FindSession(const std::string& name);
  // As FindSession, but throws "Invalid session name %s" when none.
  TTinySession& SessionByName(const std::string& name);
  int Count();
  // A copy of the list, in creation order.
  std::vector<TTinySession*> List();
  // The first session created ("Default").
  TTinySession& DefaultSession();

 private:
  friend class TTinySession;

  void Add(TTinySession* session);
  void Remove(TTinySession* session);
  // Reserves / releases the lowest free auto-name number (session lock
  // held by the caller).
  int ReserveAutoNumber();
  void ReleaseAutoNumber(int number);

  std::mutex list_guard_;
  std::vector<TTinySession*> sessions_;
  std::vector<bool> auto_numbers_;
  TTinySession* default_session_ = nullptr;
};

// The process-wide session list; on first use registers the standard
// value modules and creates the list with the default session.
TTinySessionList& Sessions();
// The session named "Default".
TTinySession& DefaultSession();
// The process-wide re-entrant session lock.
std::recursive_mutex& SessionLock();

}  // namespace tinydb
