#pragma once

#include "remote/remote_packet.h"

#include <chrono>
#include <cstddef>
#include <functional>
#include <span>

// send(2) as the protocol's senders call it: the bytes sent, or -1 with errno set. Tests put
// their own in place; empty means send(2) itself, which never raises SIGPIPE here.
using RemoteSendFunction = std::function<long(int socket, const char* bytes, size_t length)>;

// How long a sender waits for room before each part of a frame.
inline constexpr std::chrono::milliseconds kRemoteSendWait = std::chrono::seconds(10);

struct RemoteSendResult {
    int whole = 0; // frames that went out whole
    int dropped = 0; // frames of which not one byte went out: no room within the wait, or a failed send
    bool cutShort = false; // a frame went out only in part; the socket has been shut down
};

// Sends frames whole and in order, as every sender of the protocol must: waits up to `wait` for
// room before each part, sends what is left, and repeats. A frame that finds no room within the
// wait, or whose send fails, before any of its bytes went out is dropped without a word and the
// next one is tried; the connection stays. A frame that went out only in part would shift every
// later frame on the connection for good, so the socket is then shut down in both directions
// (which ends the connection's reader; its owner closes it) and nothing more is sent.
RemoteSendResult SendRemoteFrames(int socket,
    std::span<const RemotePacket> frames,
    std::chrono::milliseconds wait = kRemoteSendWait,
    const RemoteSendFunction& send = {});

inline RemoteSendResult SendRemoteFrame(int socket,
    const RemotePacket& frame,
    std::chrono::milliseconds wait = kRemoteSendWait,
    const RemoteSendFunction& send = {})
{
    return SendRemoteFrames(socket, std::span<const RemotePacket>(&frame, 1), wait, send);
}
