#pragma once

#include <QObject>
#include <QString>
#include <cstdint>
#include <memory>
#include <optional>

class QLocalServer;
class QLocalSocket;

namespace platform {

// Stand-in for a machine-wide named mutex plus a message posted to the running instance's
// main window.
//
// The first instance takes two locks, each released by the system when the process ends (so a
// crash leaves nothing stale): one on a file in the current user's private runtime folder, which
// no other user can reach, and one on a file at a fixed path of the machine (/tmp, whatever the
// environment's temporary folder is), which keeps one editor to the machine. Another user may
// have planted something under the machine-wide name that cannot be locked; the private lock
// then still keeps this user's editors to one, and the planted object is reported. Once its
// window exists, the first instance listens on a local socket in the private runtime folder. A
// second start finds the socket, sends 32-bit message numbers over it, and the first instance
// receives them on its GUI thread, each after the socket's handler has returned.
class CSingleInstance final : public QObject {
    Q_OBJECT
public:
    enum class LockResult {
        Acquired, // this process is the first instance
        AlreadyHeld, // another process holds a lock
        Failed, // neither lock could be taken: whether another instance runs is unknown
    };

    // lockName names the machine-wide lock, serverName the local socket (per user).
    CSingleInstance(QString lockName, QString serverName, QObject* parent = nullptr);
    ~CSingleInstance() override;

    LockResult TryLock();
    bool HoldsLock() const { return m_lockFd >= 0 || m_privateLockFd >= 0; }
    void ReleaseLock();
    // Why the last TryLock could not take a lock (a planted object, a missing runtime folder);
    // empty when it took both or found one held.
    QString LockProblem() const { return m_lockProblem; }

    // Starts listening for second starts; a socket left by a crashed instance is replaced.
    // false when no socket could be made; ListenError() then says why.
    bool Listen();
    bool IsListening() const;
    QString ListenError() const { return m_listenError; }

    // The local socket's absolute path for a server name: in the user's private runtime folder,
    // so another user's second start neither reaches this user's editor nor plants a socket in
    // its place. Nothing without such a folder (*error says why).
    static std::optional<QString> ServerPath(const QString& serverName, QString* error = nullptr);
    // The machine-wide lock file: a fixed folder, so that no environment setting makes a second
    // editor.
    static QString LockFilePath(const QString& lockName);
    // The user's own lock file, in the private runtime folder; nothing without that folder.
    static std::optional<QString> PrivateLockFilePath(const QString& lockName, QString* error = nullptr);

signals:
    void MessageReceived(quint32 message);

private:
    void OnNewConnection();

    QString m_lockName;
    QString m_serverName;
    int m_lockFd = -1;
    int m_privateLockFd = -1;
    QString m_lockProblem;
    QLocalServer* m_server = nullptr;
    QString m_listenError;
};

// A second start's connection to the running instance.
class CRunningInstance {
public:
    CRunningInstance();
    ~CRunningInstance();
    CRunningInstance(const CRunningInstance&) = delete;
    CRunningInstance& operator=(const CRunningInstance&) = delete;

    // True when an instance listens under the server name.
    bool Connect(const QString& serverName, int timeoutMs = 2000);
    // Sends one message number; true when it was written to the connection.
    bool Post(uint32_t message, int timeoutMs = 2000);

private:
    std::unique_ptr<QLocalSocket> m_socket;
};

} // namespace platform
