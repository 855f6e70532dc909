#include "platform/single_instance.h"

#include "platform/runtime_folder.h"

#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QtEndian>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace platform {

namespace {

constexpr qint64 kMessageSize = sizeof(quint32);

struct LockAttempt {
    CSingleInstance::LockResult result = CSingleInstance::LockResult::Failed;
    int fd = -1;
    QString problem;
};

QString SystemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// What lies under a name that cannot serve as a lock file, as the error output names it.
QString DescribeObstacle(const QByteArray& path, int openError)
{
    struct stat info { };
    if (::lstat(path.constData(), &info) != 0)
        return SystemError(openError ? openError : errno);
    const char* kind = S_ISDIR(info.st_mode) ? "a folder"
        : S_ISFIFO(info.st_mode)             ? "a FIFO"
        : S_ISLNK(info.st_mode)              ? "a symbolic link"
        : S_ISSOCK(info.st_mode)             ? "a socket"
        : S_ISREG(info.st_mode)              ? "a file"
                                             : "a device";
    QString text = QStringLiteral("%1 of user %2").arg(QLatin1String(kind)).arg(info.st_uid);
    if (openError)
        text += QStringLiteral(" (%1)").arg(SystemError(openError));
    return text;
}

// Takes an exclusive lock on the file at the path, made when missing. A machine-wide file may
// belong to another user's editor, which made it readable for everyone; the user's own file
// must be the user's.
LockAttempt LockFileAt(const QString& path, bool machineWide)
{
    const QByteArray name = QFile::encodeName(path);
    // O_NONBLOCK: a FIFO planted under the name must not block the start.
    constexpr int kFlags = O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK;
    int fd = ::open(name.constData(), O_RDWR | O_CREAT | kFlags, machineWide ? 0644 : 0600);
    // A file another user created can only be opened for reading, which is enough for flock().
    if (fd < 0 && errno == EACCES && machineWide)
        fd = ::open(name.constData(), O_RDONLY | kFlags);
    if (fd < 0)
        return { CSingleInstance::LockResult::Failed, -1, DescribeObstacle(name, errno) };
    struct stat info { };
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || (!machineWide && info.st_uid != ::geteuid())) {
        ::close(fd);
        return { CSingleInstance::LockResult::Failed, -1, DescribeObstacle(name, 0) };
    }
    if (machineWide && info.st_uid == ::getuid())
        ::fchmod(fd, 0644);
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        ::close(fd);
        if (error == EWOULDBLOCK)
            return { CSingleInstance::LockResult::AlreadyHeld, -1, QString() };
        return { CSingleInstance::LockResult::Failed, -1, SystemError(error) };
    }
    return { CSingleInstance::LockResult::Acquired, fd, QString() };
}

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

std::optional<QString> CSingleInstance::PrivateLockFilePath(const QString& lockName, QString* error)
{
    const std::optional<QString> folder = UserRuntimeFolder(error);
    if (!folder)
        return std::nullopt;
    return *folder + QLatin1Char('/') + lockName + QStringLiteral(".lock");
}

CSingleInstance::LockResult CSingleInstance::TryLock()
{
    if (HoldsLock())
        return LockResult::Acquired;
    m_lockProblem.clear();
    // The user's own lock first: it holds whatever lies at the machine-wide name.
    QString runtimeError;
    LockAttempt own;
    if (const std::optional<QString> path = PrivateLockFilePath(m_lockName, &runtimeError))
        own = LockFileAt(*path, false);
    else
        own.problem = runtimeError;
    if (own.result == LockResult::AlreadyHeld)
        return LockResult::AlreadyHeld;
    const QString machinePath = LockFilePath(m_lockName);
    const LockAttempt machine = LockFileAt(machinePath, true);
    if (machine.result == LockResult::AlreadyHeld) {
        if (own.fd >= 0)
            ::close(own.fd);
        return LockResult::AlreadyHeld;
    }
    // The files are never removed: removing one would let a later start lock a new file while
    // this process still holds the old one.
    m_privateLockFd = own.fd;
    m_lockFd = machine.fd;
    if (machine.result == LockResult::Failed) {
        m_lockProblem = QStringLiteral("the machine-wide lock %1 cannot be taken: %2")
                            .arg(machinePath, machine.problem);
        if (own.result == LockResult::Failed)
            m_lockProblem += QStringLiteral("; nor can this user's own lock: ") + own.problem;
    }
    return HoldsLock() ? LockResult::Acquired : LockResult::Failed;
}

void CSingleInstance::ReleaseLock()
{
    for (int* fd : { &m_lockFd, &m_privateLockFd }) {
        if (*fd >= 0) {
            ::close(*fd);
            *fd = -1;
        }
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
        connect(socket, &QLocalSocket::readyRead, this, [this, socket = QPointer<QLocalSocket>(socket)] {
            std::vector<quint32> messages;
            while (socket && socket->bytesAvailable() >= kMessageSize) {
                quint32 raw = 0;
                socket->read(reinterpret_cast<char*>(&raw), kMessageSize);
                messages.push_back(qFromLittleEndian(raw));
            }
            // Each message is handed on once this handler has returned: a receiver may show a
            // modal box, in whose loop the second start disconnects and its socket is deleted.
            for (const quint32 message : messages)
                QMetaObject::invokeMethod(
                    this, [this, message] { emit MessageReceived(message); }, Qt::QueuedConnection);
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
