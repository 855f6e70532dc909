#pragma once

#include "remote/remote_send.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

// A plain TCP client on 127.0.0.1 that plays an editor: it writes raw bytes and reads whole
// 19-byte frames with a deadline.
class CRawClient {
public:
    CRawClient() = default;
    explicit CRawClient(uint16_t port, int receiveBufferBytes = 0);
    ~CRawClient();
    CRawClient(CRawClient&& other) noexcept;
    CRawClient& operator=(CRawClient&& other) noexcept;

    bool IsConnected() const { return m_socket >= 0; }
    bool Write(const std::string& bytes);
    bool SendFrame(const std::string& code, int64_t value);

    // The next frame, or nothing when none came within the time or the server closed.
    std::optional<std::string> ReadFrame(std::chrono::milliseconds timeout = std::chrono::seconds(5));

    // True when the server closed the connection within the time (after any unread frames).
    bool WaitClosed(std::chrono::milliseconds timeout = std::chrono::seconds(5));

    // True when nothing at all arrives within the time.
    bool StaysQuiet(std::chrono::milliseconds time = std::chrono::milliseconds(100));

    // Plays an editor gone wild: writes the frame over and over for the given time, as fast as
    // the peer takes it, and reads and drops whatever comes back, so that its own buffers never
    // fill. Calls sample() about every 10 ms meanwhile. Returns the frames written; stops early
    // when the peer closes.
    int64_t Flood(
        const std::string& frame, std::chrono::milliseconds time, const std::function<void()>& sample = {});

    void Close();

private:
    int m_socket = -1;
    std::string m_pending;
    bool m_closedByPeer = false;
};

std::chrono::steady_clock::time_point DeadlineIn(std::chrono::milliseconds time);

// A send(2) for the protocol's senders that goes as planned: whole; not at all (then whole
// again); or cut after `cutAfter` bytes, followed by one that sends nothing.
class CPlannedSend {
public:
    enum Plan { Whole, Nothing, CutShort };

    explicit CPlannedSend(size_t cutAfter)
        : m_cutAfter(cutAfter)
    {
    }
    RemoteSendFunction Function();

    std::atomic<int> plan { Whole };
    std::atomic<int> sends { 0 };

private:
    const size_t m_cutAfter;
};
