// The single-instance guard: only one copy of the program runs per user. The
// running copy holds a lock file in the user's private runtime folder and
// listens on a local socket of its own; a copy started while it runs hands
// over its arguments on that socket, waits for the answer and ends.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>

class QLocalServer;
class QLocalSocket;

// What the running copy does with a second copy's arguments (element 0 the
// program, element 1 the file to import, made absolute). The second copy
// gets its answer only after this returns.
using TInstanceCallback = std::function<void(const QStringList& arguments)>;

// Registers the routine every guard of this process calls on a second
// copy's message; it is called only while |owner| lives. Null clears it.
void SetInstanceCallback(QObject* owner, TInstanceCallback callback);

class TInstanceGuard : public QObject {
  Q_OBJECT

 public:
  // The value a second copy sends before its arguments.
  static constexpr quint32 kMessageData = 2112;
  // The answer of the running copy.
  static constexpr qint32 kAnswer = 1;

  // A guard for |instance_name| and the current user; its lock and socket
  // live in |runtime_dir| ("" = $XDG_RUNTIME_DIR, else a 0700 folder under
  // /tmp named for the uid).
  explicit TInstanceGuard(const QString& instance_name = QStringLiteral("Zestoria2003_main"),
                          const QString& runtime_dir = QString(), QObject* parent = nullptr);
  // Guard end: stops listening, removes the socket and lets the lock go.
  ~TInstanceGuard() override;

  // Guard start. True when this copy runs on: it is the first copy (it now
  // holds the lock and listens), or the running copy did not answer. False
  // when the running copy took |arguments| (or did not take the connection
  // within 5 seconds): this copy ends without a window.
  bool Start(const QStringList& arguments);

  // Whether this copy holds the lock and listens.
  bool IsRunningCopy() const { return server_ != nullptr; }
  // The socket's full path.
  QString ServerName() const { return serverName_; }
  // The last arguments a second copy handed over, and its message value.
  const QStringList& ForwardedArguments() const { return forwarded_; }
  quint32 ForwardedData() const { return forwardedData_; }
  // A problem met by Start (no private folder, no lock); empty otherwise.
  const QString& Problem() const { return problem_; }

 private:
  bool TakeLock();
  bool Listen();
  // Second copy: sends |arguments|; true when the answer was positive or
  // no connection could be made in time.
  bool Forward(const QStringList& arguments);
  void Accept();
  void Receive(QLocalSocket* socket);

  QString instanceName_;
  QString runtimeDir_;
  QString serverName_;
  QString lockPath_;
  int lockFd_ = -1;
  QLocalServer* server_ = nullptr;
  QStringList forwarded_;
  quint32 forwardedData_ = 0;
  QString problem_;
};
