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
// The first instance takes a lock on a file at a fixed path of the machine (/tmp, whatever the
// environment's temporary folder is: held by any user on the machine, released by the system
// when the process ends, so a crash leaves nothing stale) and, once its window exists, listens
// on a local socket in the current user's private runtime folder. A second start finds the
// socket, sends 32-bit message numbers over it, and the first instance receives them on its GUI
// thread.
class CSingleInstance final : public QObject {
    Q_OBJECT
public:
    enum class LockResult {
        Acquired, // this process is the first instance
        AlreadyHeld, // another process holds the lock
        Failed, // the lock could not be tried (the process runs as a first instance)
    };

    // lockName names the machine-wide lock, serverName the local socket (per user).
    CSingleInstance(QString lockName, QString serverName, QObject* parent = nullptr);
    ~CSingleInstance() override;

    LockResult TryLock();
    bool HoldsLock() const { return m_lockFd >= 0; }
    void ReleaseLock();

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

signals:
    void MessageReceived(quint32 message);

private:
    void OnNewConnection();

    QString m_lockName;
    QString m_serverName;
    int m_lockFd = -1;
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
