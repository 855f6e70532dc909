#pragma once

#include "remote/remote_packet.h"

#include <QString>
#include <QStringList>

#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string_view>
#include <thread>

struct sockaddr_in;

inline constexpr int REMOTE_MAX_CLIENTS = 4;
inline constexpr int kRemoteSlotCount = 10;
inline constexpr int kRemoteSendWaitSeconds = 10;
inline constexpr int kRemoteListenBacklog = 10;

// One accepted editor. clientId 0 marks a free slot; ids are never reused, so a frame meant
// for a client that has gone never reaches the next one in its slot.
struct RemoteClientSlot {
    int16_t kind = 0;
    uint64_t clientId = 0;
    QString address; // dotted IPv4
    int port = 0; // in network byte order, as the peer's address record holds it
};

// What a receive thread reports: the value of the frame just read, or 0 when the client left.
struct RemoteEvent {
    int16_t kind = 0;
    uint64_t clientId = 0;
    QString address;
    int port = 0;
    int64_t value = 0;
};

// Receives the server's events. The calls come on the server's own threads, one at a time per
// client and in the order things happened; an implementation hands copies to its own thread and
// returns without waiting for them to be handled.
class RemoteServerOwner {
public:
    virtual ~RemoteServerOwner() = default;

    // A client took a slot; connectedCount counts it and every other client connected then.
    virtual void RemoteAccepted(int slotIndex, const RemoteClientSlot& client, int connectedCount) = 0;

    // A frame of a code the remote takes (number 1 to 3, 11 to 17) or the end of a client (100).
    virtual void RemoteReceived(int number, const RemoteEvent& event) = 0;

    // Accepting failed for good: the server no longer runs.
    virtual void RemoteServerFailed(const QString& reason) = 0;
};

struct RemoteServerOptions {
    QString bindAddress = QStringLiteral("0.0.0.0");
    uint16_t port = kRemotePort;
    // accept(2) in place for tests: returns the new socket, or -1 with errno set.
    std::function<int(int listenSocket, sockaddr_in& peer)> accept;
    // send(2) in place for tests: returns the bytes sent, or -1 with errno set.
    std::function<long(int socket, const char* bytes, size_t length)> send;
};

// The TCP server of KaleidraRemote: at most four editors, one receive thread each, frames sent
// to one editor or to all. Start, the senders, the queries and destruction belong to the
// owner's thread.
class RemoteServer {
public:
    explicit RemoteServer(RemoteServerOptions options = {});
    ~RemoteServer();

    RemoteServer(const RemoteServer&) = delete;
    RemoteServer& operator=(const RemoteServer&) = delete;

    // 1 when the server listens, 0 on failure, and 0 without any change when it runs already.
    int Start(RemoteServerOwner* owner);

    // Stops accepting, ends every connection and joins every thread; 0 when it was not running.
    int CloseClients();

    bool IsRunning() const { return m_running.load(); }
    int GetClientCount() const;
    QString GetLocalAddress() const;
    int GetClientIpList(QStringList& list) const;
    uint16_t ListeningPort() const; // the bound port, for a server started on port 0

    // Sends the frame to every client in slot order; nothing while the server does not run.
    int Broadcast(std::string_view code, int64_t value);

    // Sends the frame to one client; nonzero when at least one byte went out.
    int SendTo(
        std::string_view code, int64_t value, uint64_t clientId, int waitSeconds = kRemoteSendWaitSeconds);

    // Sends the bytes, waiting up to waitSeconds for room before each part; returns how many went
    // out. Never raises SIGPIPE.
    int SendBytes(const char* bytes, int socket, int length, int waitSeconds) const;

private:
    struct Connection;
    struct Slot {
        RemoteClientSlot info;
        std::shared_ptr<Connection> connection;
        std::thread reader;
    };

    void AcceptLoop(int listenSocket);
    void TakeClient(int socket, const sockaddr_in& peer);
    void ReceiveLoop(int slotIndex, std::shared_ptr<Connection> connection, RemoteEvent event);
    void HandleFrame(std::span<const char, kRemotePacketSize> bytes, RemoteEvent& event);
    bool PauseAfterAcceptError();
    void FailWhileAccepting(int listenSocket, int error);
    int SendPacket(
        const std::shared_ptr<Connection>& connection, const RemotePacket& packet, int waitSeconds);
    int CountClientsLocked() const;
    void StopThreads();

    const RemoteServerOptions m_options;
    RemoteServerOwner* m_owner = nullptr;
    int m_listenSocket = -1;
    std::thread m_acceptThread;
    std::atomic<bool> m_running { false };
    std::atomic<bool> m_stopping { false };
    std::atomic<uint64_t> m_lastClientId { 0 };

    mutable std::mutex m_lock; // guards the slots and the own address
    std::array<Slot, kRemoteSlotCount> m_slots;
    QString m_localAddress;

    std::mutex m_pauseLock;
    std::condition_variable m_pauseWake;
};

// The first IPv4 address of an interface that is up and not a loopback; "" when there is none.
QString FirstExternalIPv4Address();
