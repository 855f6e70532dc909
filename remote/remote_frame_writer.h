#pragma once

#include "remote/remote_send.h"

#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <thread>
#include <vector>

struct RemoteFrameWriterOptions {
    std::chrono::milliseconds wait = kRemoteSendWait; // for room before each part of a frame
    size_t capacity = 1024; // frames queued and not yet taken by the writer (see Push)
    RemoteSendFunction send;
};

// The sending side of one connection: any thread queues frames, and a thread of the writer's
// own sends them in order with the guarded send of the protocol, so that a peer that stops
// reading holds up nobody but itself. The queue is bounded: a peer that falls further behind
// than it holds is taken to be gone, and its connection is shut down as after a frame cut short.
class CRemoteFrameWriter {
public:
    using Options = RemoteFrameWriterOptions;

    // The socket stays its owner's: the writer shuts it down at most, and never closes it.
    explicit CRemoteFrameWriter(int socket, Options options = {});
    ~CRemoteFrameWriter();

    CRemoteFrameWriter(const CRemoteFrameWriter&) = delete;
    CRemoteFrameWriter& operator=(const CRemoteFrameWriter&) = delete;

    // Queues the frame; false when it was not queued: the peer has fallen too far behind (the
    // connection is then shut down and nothing more is sent), the connection was shut down after
    // a frame cut short, or the writer has stopped. The peer has fallen too far behind when the
    // queue holds `capacity` frames and the socket has no room either. A queue that is full only
    // because the writer has not had its turn yet, while the socket has room, grows on, up to
    // kOverrunFactor times the capacity.
    bool Push(const RemotePacket& frame);

    static constexpr size_t kOverrunFactor = 16;

    // Ends the writing: shuts the socket down, which wakes a writer waiting for room (and the
    // connection's reader), drops what is still queued and joins the thread. Only for a
    // connection that ends.
    void Stop();

    // True once the connection was shut down for an overflow or a frame cut short.
    bool IsShutDown() const;

private:
    void Run();
    void ShutDownLocked();

    const int m_socket;
    const Options m_options;
    mutable std::mutex m_lock;
    std::condition_variable m_wake;
    std::vector<RemotePacket> m_queue;
    bool m_stopping = false;
    bool m_shutDown = false;
    std::thread m_thread;
};
