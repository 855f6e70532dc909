#pragma once

#include "remote/remote_frame_writer.h"
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
inline constexpr int kRemoteListenBacklog = 10;
// Frames of one client reported to the owner and not yet handled; at this many its reader waits.
inline constexpr int kRemoteUnhandledFrames = 8;

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

// Keeps a reported frame counted against its client until the owner has handled it: the
// client's reader reads on only while fewer than kRemoteUnhandledFrames of its frames are held,
// so a client that sends faster than the owner handles is slowed down by TCP itself instead of
// piling its frames up in memory. Copies share one count; the last one to go releases it.
class RemoteFrameHold {
public:
    RemoteFrameHold() = default;
    explicit RemoteFrameHold(std::shared_ptr<void> token)
        : m_token(std::move(token))
    {
    }
    void Release() { m_token.reset(); }

private:
    std::shared_ptr<void> m_token;
};

// Receives the server's events. The calls come on the server's own threads, one at a time per
// client and in the order things happened; an implementation hands copies to its own thread and
// returns without waiting for them to be handled.
class RemoteServerOwner {
public:
    virtual ~RemoteServerOwner() = default;

    // A client took a slot; connectedCount counts it and every other client connected then.
    virtual void RemoteAccepted(int slotIndex, const RemoteClientSlot& client, int connectedCount) = 0;

    // A frame of a code the remote takes (number 1 to 3, 11 to 17), held until `hold` and its
    // copies are gone, or the end of a client (100), which holds nothing.
    virtual void RemoteReceived(int number, const RemoteEvent& event, RemoteFrameHold hold) = 0;

    // Accepting failed for good: the server no longer runs.
    virtual void RemoteServerFailed(const QString& reason) = 0;
};

struct RemoteServerOptions {
    QString bindAddress = QStringLiteral("0.0.0.0");
    uint16_t port = kRemotePort;
    // accept(2) in place for tests: returns the new socket, or -1 with errno set.
    std::function<int(int listenSocket, sockaddr_in& peer)> accept;
    // How each client's frames are sent: the wait for room, the queue, send(2) (see
    // CRemoteFrameWriter).
    RemoteFrameWriterOptions writer;
};

// The TCP server of KaleidraRemote: at most four editors, each with a thread that reads its
// frames and one that writes them, so that senders never wait for an editor. Start, the
// senders, the queries and destruction belong to the owner's thread.
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

    // Queues the frame for every client in slot order; nothing while the server does not run.
    int Broadcast(std::string_view code, int64_t value);

    // Queues the frame for one client; nonzero when it was queued. A client whose queue is full
    // has fallen too far behind: its connection is ended.
    int SendTo(std::string_view code, int64_t value, uint64_t clientId);

private:
    struct Connection;
    struct Inbox;
    struct Slot {
        RemoteClientSlot info;
        std::shared_ptr<Connection> connection;
        std::thread reader;
    };

    void AcceptLoop(int listenSocket);
    void TakeClient(int socket, const sockaddr_in& peer);
    void ReceiveLoop(int slotIndex, std::shared_ptr<Connection> connection, RemoteEvent event);
    // False when the reader is to stop: the connection ends while it waits for room.
    bool HandleFrame(std::span<const char, kRemotePacketSize> bytes,
        RemoteEvent& event,
        const std::shared_ptr<Inbox>& inbox);
    bool PauseAfterAcceptError();
    void FailWhileAccepting(int listenSocket, int error);
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
