#pragma once

#include "remote/remote_frame_writer.h"
#include "remote/remote_packet.h"
#include "view/remote_reply_pool.h"

#include <QString>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <stop_token>
#include <thread>

class QObject;

// The dotted IPv4 address of the settings as four numbers: exactly four decimal parts of 0 to
// 255 without leading zeros, not 0.0.0.0. Nothing for anything else. In network byte order.
std::optional<uint32_t> ParseRemoteAddress(const QString& text);

// Receives what the remote link hands over, on the thread that made the client (the window's).
class CRemoteClientOwner {
public:
    virtual ~CRemoteClientOwner() = default;
    // A frame of the remote under its command number, or the end of the link (100).
    virtual void OnRemoteMessage(int messageCode, const RemoteFrame& frame) = 0;
};

struct RemoteClientOptions {
    // Connecting gives up after this long, so the window never waits longer.
    std::chrono::milliseconds connectTimeout { 2000 };
    // How often the dispatcher looks for received frames.
    std::chrono::milliseconds dispatchTick { 10 };
    // How frames to the remote are sent (the wait for room, the queue, send(2)).
    RemoteFrameWriterOptions writer;
};

// The editor's client of the remote-control program: one TCP connection whose frames a receiver
// thread reads into the reply pool, and a dispatcher thread that, every tick, hands what is
// pending to the owner on the owner's thread as one queued call of value copies, never more than
// one call at a time. Frames to the remote go out through a writer thread of their own, so the
// window never waits for the network. Made, used and destroyed on the owner's thread, which
// alone owns the socket: Disconnect wakes the threads by shutting the socket down, joins them
// all and only then closes it.
class RemoteClient {
public:
    explicit RemoteClient(CRemoteClientOwner& owner, RemoteClientOptions options = {});
    ~RemoteClient();

    RemoteClient(const RemoteClient&) = delete;
    RemoteClient& operator=(const RemoteClient&) = delete;

    // Connects to the address on the port and starts the threads. False when the address is not
    // a usable IPv4 address, the connection is refused or does not come within the time-out, or
    // the client is connected already.
    bool Connect(const QString& address, uint16_t port);
    // Ends the connection and joins every thread; frames not yet handed over are dropped.
    void Disconnect();
    bool IsConnected() const { return m_socket >= 0; }

    // "PM_S01" (current time), "PM_S02" (play length), "PM_S03" (project time) with the value's
    // low 32 bits. True when the frame was queued for sending.
    bool SendTime(int64_t value);
    bool SendLength(int64_t value);
    bool SendValue3(int64_t value);

private:
    bool Send(std::string_view code, int64_t value);
    void ReceiverThread(std::stop_token stop, int socket);
    void DispatcherThread(std::stop_token stop, uint64_t generation);
    void Deliver(uint64_t generation);

    CRemoteClientOwner& m_owner;
    const RemoteClientOptions m_options;
    std::unique_ptr<QObject> m_context; // lives on the owner's thread; queued calls run there

    int m_socket = -1;
    uint64_t m_generation = 0; // counts connections; the owner's thread only
    std::unique_ptr<CRemoteFrameWriter> m_writer;
    CRemoteReplyPool m_pool;
    std::atomic<bool> m_deliveryQueued { false };
    std::mutex m_tickLock;
    std::condition_variable_any m_tick;
    std::jthread m_receiver;
    std::jthread m_dispatcher;
};
