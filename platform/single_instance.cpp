#include "platform/single_instance.h"

#include "platform/runtime_folder.h"

#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QtEndian>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

constexpr qint64 kMessageSize = sizeof(quint32);

} // namespace

CSingleInstance::CSingleInstance(QString lockName, QString serverName, QObject* parent)
    : QObject(parent)
    , m_lockName(std::move(lockName))
    , m_serverName(std::move(serverName))
{
}

CSingleInstance::~CSingleInstance()
{
    if (m_server)
        m_server->close();
    ReleaseLock();
}

QString CSingleInstance::LockFilePath(const QString& lockName)
{
    return QStringLiteral("/tmp/") + lockName + QStringLiteral(".lock");
}

std::optional<QString> CSingleInstance::ServerPath(const QString& serverName, QString* error)
{
    const std::optional<QString> folder = UserRuntimeFolder(error);
    if (!folder)
        return std::nullopt;
    return *folder + QLatin1Char('/') + serverName;
}

CSingleInstance::LockResult CSingleInstance::TryLock()
{
    if (m_lockFd >= 0)
        return LockResult::Acquired;
    const QByteArray path = QFile::encodeName(LockFilePath(m_lockName));
    // Every user must be able to open the file to take part in the lock; a file another user
    // created can only be opened for reading, which is enough for flock().
    // O_NONBLOCK: a FIFO planted under the name must not block the start.
    constexpr int kFlags = O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK;
    int fd = ::open(path.constData(), O_RDWR | O_CREAT | kFlags, 0644);
    if (fd < 0 && errno == EACCES)
        fd = ::open(path.constData(), O_RDONLY | kFlags);
    if (fd < 0)
        return LockResult::Failed;
    struct stat info { };
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return LockResult::Failed;
    }
    if (info.st_uid == ::getuid())
        ::fchmod(fd, 0644);
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        ::close(fd);
        return error == EWOULDBLOCK ? LockResult::AlreadyHeld : LockResult::Failed;
    }
    // The file is never removed: removing it would let a later start lock a new file while
    // this process still holds the old one.
    m_lockFd = fd;
    return LockResult::Acquired;
}

void CSingleInstance::ReleaseLock()
{
    if (m_lockFd >= 0) {
        ::close(m_lockFd);
        m_lockFd = -1;
    }
}

bool CSingleInstance::Listen()
{
    if (m_server && m_server->isListening())
        return true;
    m_listenError.clear();
    const std::optional<QString> path = ServerPath(m_serverName, &m_listenError);
    if (!path)
        return false;
    if (!m_server) {
        m_server = new QLocalServer(this);
        m_server->setSocketOptions(QLocalServer::UserAccessOption);
        connect(m_server, &QLocalServer::newConnection, this, &CSingleInstance::OnNewConnection);
    }
    // Without the lock a socket that is there may belong to a live instance, which keeps it (Qt
    // would move a new socket over it). With the lock held, such a socket was left by a crash.
    if (!HoldsLock() && QFileInfo::exists(*path)) {
        m_listenError = QStringLiteral("%1 is in use by another instance").arg(*path);
        return false;
    }
    if (m_server->listen(*path))
        return true;
    if (HoldsLock()) {
        QLocalServer::removeServer(*path);
        if (m_server->listen(*path))
            return true;
    }
    m_listenError = QStringLiteral("cannot listen on %1: %2").arg(*path, m_server->errorString());
    return false;
}

bool CSingleInstance::IsListening() const
{
    return m_server && m_server->isListening();
}

void CSingleInstance::OnNewConnection()
{
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            while (socket->bytesAvailable() >= kMessageSize) {
                quint32 raw = 0;
                socket->read(reinterpret_cast<char*>(&raw), kMessageSize);
                emit MessageReceived(qFromLittleEndian(raw));
            }
        });
    }
}

CRunningInstance::CRunningInstance() = default;

CRunningInstance::~CRunningInstance()
{
    if (m_socket && m_socket->state() == QLocalSocket::ConnectedState) {
        m_socket->flush();
        m_socket->disconnectFromServer();
        if (m_socket->state() != QLocalSocket::UnconnectedState)
            m_socket->waitForDisconnected(1000);
    }
}

bool CRunningInstance::Connect(const QString& serverName, int timeoutMs)
{
    const std::optional<QString> path = CSingleInstance::ServerPath(serverName);
    if (!path)
        return false;
    m_socket = std::make_unique<QLocalSocket>();
    m_socket->connectToServer(*path);
    if (m_socket->waitForConnected(timeoutMs))
        return true;
    m_socket.reset();
    return false;
}

bool CRunningInstance::Post(uint32_t message, int timeoutMs)
{
    if (!m_socket)
        return false;
    const quint32 raw = qToLittleEndian(quint32(message));
    if (m_socket->write(reinterpret_cast<const char*>(&raw), kMessageSize) != kMessageSize)
        return false;
    while (m_socket->bytesToWrite() > 0) {
        if (!m_socket->waitForBytesWritten(timeoutMs))
            return false;
    }
    return true;
}

} // namespace platform
