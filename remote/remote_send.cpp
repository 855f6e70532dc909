#include "remote/remote_send.h"

#include <cerrno>
#include <poll.h>
#include <sys/socket.h>

namespace {

long SendWithoutSignal(int socket, const char* bytes, size_t length)
{
    return ::send(socket, bytes, length, MSG_NOSIGNAL);
}

// Waits for room to write; false when the wait ran out or the socket cannot be written.
bool WaitForRoom(int socket, std::chrono::milliseconds wait)
{
    for (;;) {
        pollfd waitFor { socket, POLLOUT, 0 };
        const int ready = ::poll(&waitFor, 1, static_cast<int>(wait.count()));
        if (ready < 0 && errno == EINTR)
            continue;
        return ready > 0 && (waitFor.revents & POLLOUT) != 0;
    }
}

} // namespace

RemoteSendResult SendRemoteFrames(int socket,
    std::span<const RemotePacket> frames,
    std::chrono::milliseconds wait,
    const RemoteSendFunction& send)
{
    const auto& sendBytes = send ? send : RemoteSendFunction(SendWithoutSignal);
    // The frames lie back to back: one send may take many of them at once.
    const char* const bytes = frames.empty() ? nullptr : frames.front().data();
    const size_t total = frames.size() * kRemotePacketSize;
    RemoteSendResult result;
    size_t offset = 0;
    while (offset < total && socket >= 0) {
        const size_t intoFrame = offset % kRemotePacketSize;
        long sent = -1;
        if (WaitForRoom(socket, wait)) {
            sent = sendBytes(socket, bytes + offset, total - offset);
            if (sent < 0 && errno == EINTR)
                continue;
        }
        if (sent > 0) {
            result.whole += static_cast<int>((intoFrame + static_cast<size_t>(sent)) / kRemotePacketSize);
            offset += static_cast<size_t>(sent);
            continue;
        }
        if (intoFrame != 0) {
            ::shutdown(socket, SHUT_RDWR);
            result.cutShort = true;
            return result;
        }
        ++result.dropped;
        offset += kRemotePacketSize;
    }
    return result;
}
