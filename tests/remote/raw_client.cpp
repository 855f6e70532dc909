#include "tests/remote/raw_client.h"

#include "remote/remote_packet.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <utility>

std::chrono::steady_clock::time_point DeadlineIn(std::chrono::milliseconds time)
{
    return std::chrono::steady_clock::now() + time;
}

CRawClient::CRawClient(uint16_t port, int receiveBufferBytes)
{
    m_socket = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (m_socket < 0)
        return;
    if (receiveBufferBytes > 0)
        ::setsockopt(m_socket, SOL_SOCKET, SO_RCVBUF, &receiveBufferBytes, sizeof receiveBufferBytes);
    sockaddr_in server {};
    server.sin_family = AF_INET;
    server.sin_port = htons(port);
    server.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(m_socket, reinterpret_cast<const sockaddr*>(&server), sizeof server) != 0)
        Close();
}

CRawClient::~CRawClient()
{
    Close();
}

CRawClient::CRawClient(CRawClient&& other) noexcept
    : m_socket(std::exchange(other.m_socket, -1))
    , m_pending(std::move(other.m_pending))
    , m_closedByPeer(other.m_closedByPeer)
{
}

CRawClient& CRawClient::operator=(CRawClient&& other) noexcept
{
    if (this != &other) {
        Close();
        m_socket = std::exchange(other.m_socket, -1);
        m_pending = std::move(other.m_pending);
        m_closedByPeer = other.m_closedByPeer;
    }
    return *this;
}

void CRawClient::Close()
{
    if (m_socket >= 0)
        ::close(m_socket);
    m_socket = -1;
}

bool CRawClient::Write(const std::string& bytes)
{
    size_t written = 0;
    while (m_socket >= 0 && written < bytes.size()) {
        const ssize_t result = ::send(m_socket, bytes.data() + written, bytes.size() - written, MSG_NOSIGNAL);
        if (result <= 0)
            return false;
        written += static_cast<size_t>(result);
    }
    return written == bytes.size();
}

bool CRawClient::SendFrame(const std::string& code, int64_t value)
{
    const RemotePacket packet = FormatRemotePacket(code, value);
    return Write(std::string(packet.data(), packet.size()));
}

std::optional<std::string> CRawClient::ReadFrame(std::chrono::milliseconds timeout)
{
    const auto deadline = DeadlineIn(timeout);
    while (m_pending.size() < static_cast<size_t>(kRemotePacketSize)) {
        if (m_socket < 0 || m_closedByPeer)
            return std::nullopt;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        // Bytes already there are read even when the time is up.
        pollfd waitFor { m_socket, POLLIN, 0 };
        if (::poll(&waitFor, 1, static_cast<int>(std::max<int64_t>(left.count(), 0))) <= 0) {
            if (left.count() <= 0)
                return std::nullopt;
            continue;
        }
        char buffer[512];
        const ssize_t received = ::recv(m_socket, buffer, sizeof buffer, 0);
        if (received <= 0) {
            m_closedByPeer = true;
            continue;
        }
        m_pending.append(buffer, static_cast<size_t>(received));
    }
    std::string frame = m_pending.substr(0, kRemotePacketSize);
    m_pending.erase(0, kRemotePacketSize);
    return frame;
}

bool CRawClient::WaitClosed(std::chrono::milliseconds timeout)
{
    const auto deadline = DeadlineIn(timeout);
    while (!m_closedByPeer && m_socket >= 0 && std::chrono::steady_clock::now() < deadline) {
        pollfd waitFor { m_socket, POLLIN, 0 };
        if (::poll(&waitFor, 1, 50) <= 0)
            continue;
        char buffer[512];
        const ssize_t received = ::recv(m_socket, buffer, sizeof buffer, 0);
        if (received <= 0)
            m_closedByPeer = true;
        else
            m_pending.append(buffer, static_cast<size_t>(received));
    }
    return m_closedByPeer;
}

bool CRawClient::StaysQuiet(std::chrono::milliseconds time)
{
    if (!m_pending.empty())
        return false;
    pollfd waitFor { m_socket, POLLIN, 0 };
    return ::poll(&waitFor, 1, static_cast<int>(time.count())) == 0;
}

int64_t CRawClient::Flood(
    const std::string& frame, std::chrono::milliseconds time, const std::function<void()>& sample)
{
    std::string burst;
    for (int i = 0; i < 256; ++i)
        burst += frame;
    size_t offset = 0; // into the burst: a frame is never cut short between two sends
    int64_t bytesWritten = 0;
    const auto deadline = DeadlineIn(time);
    auto nextSample = std::chrono::steady_clock::now();
    while (m_socket >= 0 && !m_closedByPeer && std::chrono::steady_clock::now() < deadline) {
        if (sample && std::chrono::steady_clock::now() >= nextSample) {
            sample();
            nextSample = DeadlineIn(std::chrono::milliseconds(10));
        }
        pollfd waitFor { m_socket, POLLIN | POLLOUT, 0 };
        if (::poll(&waitFor, 1, 10) <= 0)
            continue;
        if ((waitFor.revents & (POLLIN | POLLHUP | POLLERR)) != 0) {
            char scratch[65536];
            const ssize_t received = ::recv(m_socket, scratch, sizeof scratch, MSG_DONTWAIT);
            if (received == 0 || (received < 0 && errno != EAGAIN && errno != EINTR))
                m_closedByPeer = true;
        }
        if ((waitFor.revents & POLLOUT) != 0) {
            const ssize_t sent
                = ::send(m_socket, burst.data() + offset, burst.size() - offset, MSG_DONTWAIT | MSG_NOSIGNAL);
            if (sent > 0) {
                bytesWritten += sent;
                offset = (offset + static_cast<size_t>(sent)) % burst.size();
            } else if (sent < 0 && errno != EAGAIN && errno != EINTR) {
                m_closedByPeer = true;
            }
        }
    }
    // The last burst may end inside a frame: complete it, so that the stream stays aligned.
    if (offset % frame.size() != 0 && m_socket >= 0 && !m_closedByPeer)
        Write(burst.substr(offset, frame.size() - offset % frame.size()));
    return bytesWritten / static_cast<int64_t>(frame.size());
}

RemoteSendFunction CPlannedSend::Function()
{
    return [this](int socket, const char* bytes, size_t length) -> long {
        ++sends;
        switch (plan.load()) {
        case Nothing:
            plan = Whole;
            errno = EAGAIN;
            return -1;
        case CutShort:
            plan = Nothing;
            return ::send(socket, bytes, std::min(length, m_cutAfter), MSG_NOSIGNAL);
        default:
            return ::send(socket, bytes, length, MSG_NOSIGNAL);
        }
    };
}
