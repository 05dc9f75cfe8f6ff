#include "shell/InstanceGuard.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QThread>
#include <QtEndian>

#include <cerrno>
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// How long a second copy tries to reach the running copy.
constexpr int kConnectMilliseconds = 5000;
// A message longer than this is not one of ours.
constexpr quint32 kMaxMessage = 1u << 20;

QPointer<QObject> g_callbackOwner;
TInstanceCallback g_callback;

QString UserName() {
  if (const passwd* pw = getpwuid(getuid())) return QString::fromLocal8Bit(pw->pw_name);
  return QString::number(getuid());
}

// A folder only this user can reach: it must be ours and closed to others.
bool PrivateFolder(const QString& path) {
  struct stat st {};
  if (lstat(QFile::encodeName(path).constData(), &st) != 0) return false;
  return S_ISDIR(st.st_mode) && st.st_uid == getuid() && (st.st_mode & 077) == 0;
}

QString DefaultRuntimeDir() {
  const QString xdg = qEnvironmentVariable("XDG_RUNTIME_DIR");
  if (!xdg.isEmpty() && PrivateFolder(xdg)) return xdg;
  const QString dir = QStringLiteral("/tmp/zestoria-%1").arg(getuid());
  mkdir(QFile::encodeName(dir).constData(), 0700);
  return dir;
}

// Whether the peer of |socket| runs as this user.
bool PeerIsThisUser(const QLocalSocket* socket) {
  ucred cred{};
  socklen_t size = sizeof cred;
  const int fd = static_cast<int>(socket->socketDescriptor());
  if (fd < 0 || getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &cred, &size) != 0) return false;
  return cred.uid == getuid();
}

QByteArray Frame(const QByteArray& payload) {
  QByteArray frame(4, '\0');
  qToLittleEndian<quint32>(static_cast<quint32>(payload.size()), frame.data());
  return frame + payload;
}

}  // namespace

void SetInstanceCallback(QObject* owner, TInstanceCallback callback) {
  g_callbackOwner = owner;
  g_callback = owner ? std::move(callback) : TInstanceCallback();
}

TInstanceGuard::TInstanceGuard(const QString& instance_name, const QString& runtime_dir, QObject* parent)
    : QObject(parent), instanceName_(instance_name), runtimeDir_(runtime_dir) {}

TInstanceGuard::~TInstanceGuard() {
  if (server_) {
    server_->close();
    delete server_;
    server_ = nullptr;
  }
  forwarded_.clear();
  if (lockFd_ >= 0) {
    ::close(lockFd_);  // lets the lock go
    lockFd_ = -1;
  }
}

bool TInstanceGuard::Start(const QStringList& arguments) {
  if (runtimeDir_.isEmpty()) runtimeDir_ = DefaultRuntimeDir();
  if (!PrivateFolder(runtimeDir_)) {
    problem_ = QStringLiteral("%1 is not a private folder of this user").arg(runtimeDir_);
    return true;
  }
  const QString base = QDir(runtimeDir_).filePath(instanceName_ + QLatin1Char('-') + UserName());
  serverName_ = base + QStringLiteral(".socket");
  lockPath_ = base + QStringLiteral(".lock");

  if (TakeLock()) {
    if (!Listen()) problem_ = QStringLiteral("cannot listen on %1").arg(serverName_);
    return true;
  }
  if (lockFd_ < 0 && !problem_.isEmpty()) return true;  // no lock file at all: run unguarded
  return !Forward(arguments);
}

bool TInstanceGuard::TakeLock() {
  lockFd_ = ::open(QFile::encodeName(lockPath_).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (lockFd_ < 0) {
    problem_ = QStringLiteral("cannot open %1").arg(lockPath_);
    return false;
  }
  if (flock(lockFd_, LOCK_EX | LOCK_NB) == 0) return true;
  ::close(lockFd_);
  lockFd_ = -1;
  return false;
}

bool TInstanceGuard::Listen() {
  // The lock is ours, so a socket left behind belongs to a copy that ended
  // without cleaning up.
  QLocalServer::removeServer(serverName_);
  auto* server = new QLocalServer(this);
  server->setSocketOptions(QLocalServer::UserAccessOption);
  if (!server->listen(serverName_)) {
    delete server;
    return false;
  }
  server_ = server;
  connect(server_, &QLocalServer::newConnection, this, &TInstanceGuard::Accept);
  return true;
}

bool TInstanceGuard::Forward(const QStringList& arguments) {
  QJsonObject message;
  message.insert(QStringLiteral("data"), static_cast<qint64>(kMessageData));
  message.insert(QStringLiteral("directory"), QDir::currentPath());
  message.insert(QStringLiteral("arguments"), QJsonArray::fromStringList(arguments));
  const QByteArray frame = Frame(QJsonDocument(message).toJson(QJsonDocument::Compact));

  QLocalSocket socket;
  QElapsedTimer clock;
  clock.start();
  // The running copy may hold the lock a moment before it listens.
  for (;;) {
    socket.connectToServer(serverName_);
    if (socket.waitForConnected(500)) break;
    if (clock.elapsed() >= kConnectMilliseconds) return true;  // ends silently
    socket.abort();
    QThread::msleep(100);
  }
  socket.write(frame);
  socket.flush();
  // The answer comes once the running copy has dealt with the message,
  // dialogs included. Events keep flowing so a guard of this same process
  // can answer too.
  QByteArray answer;
  while (answer.size() < 4) {
    if (socket.bytesAvailable() > 0) {
      answer += socket.read(4 - answer.size());
      continue;
    }
    if (socket.state() != QLocalSocket::ConnectedState) break;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    socket.waitForReadyRead(20);
  }
  if (answer.size() < 4) return false;
  return qFromLittleEndian<qint32>(answer.constData()) > 0;
}

void TInstanceGuard::Accept() {
  while (QLocalSocket* socket = server_->nextPendingConnection()) {
    if (!PeerIsThisUser(socket)) {
      socket->abort();
      socket->deleteLater();
      continue;
    }
    connect(socket, &QLocalSocket::readyRead, this, [this, socket] { Receive(socket); });
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    if (socket->bytesAvailable() > 0) Receive(socket);
  }
}

void TInstanceGuard::Receive(QLocalSocket* socket) {
  if (socket->property("answered").toBool()) return;
  if (socket->bytesAvailable() < 4) return;
  char head[4];
  socket->peek(head, 4);
  const quint32 length = qFromLittleEndian<quint32>(head);
  if (length > kMaxMessage) {
    socket->abort();
    return;
  }
  if (socket->bytesAvailable() < 4 + static_cast<qint64>(length)) return;
  socket->read(4);
  const QJsonDocument document = QJsonDocument::fromJson(socket->read(length));
  if (!document.isObject()) {
    socket->abort();
    return;
  }
  socket->setProperty("answered", true);
  const QJsonObject message = document.object();
  forwardedData_ = static_cast<quint32>(message.value(QStringLiteral("data")).toInteger());
  const QDir directory(message.value(QStringLiteral("directory")).toString());
  forwarded_.clear();
  const QJsonArray arguments = message.value(QStringLiteral("arguments")).toArray();
  for (qsizetype i = 0; i < arguments.size(); ++i) {
    QString argument = arguments.at(i).toString();
    // A file named relative to the second copy's folder.
    if (i > 0 && !argument.isEmpty() && QFileInfo(argument).isRelative()) {
      argument = directory.absoluteFilePath(argument);
    }
    forwarded_ << argument;
  }

  // The second copy waits until this has returned.
  const QPointer<QLocalSocket> alive(socket);
  if (g_callbackOwner && g_callback) {
    const TInstanceCallback callback = g_callback;
    callback(forwarded_);
  }
  if (!alive) return;
  QByteArray answer(4, '\0');
  qToLittleEndian<qint32>(kAnswer, answer.data());
  socket->write(answer);
  socket->flush();
  socket->disconnectFromServer();
}
