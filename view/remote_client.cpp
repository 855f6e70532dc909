#include "view/remote_client.h"

#include "platform/queued_call.h"
#include "remote/remote_codes.h"

#include <QObject>
#include <QStringList>
#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

void SwitchOn(int socket, int level, int option)
{
    const int on = 1;
    ::setsockopt(socket, level, option, &on, sizeof on);
}

// Waits for a non-blocking connect to finish within the time; true when it connected.
bool FinishConnect(int socket, std::chrono::milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        pollfd waitFor { socket, POLLOUT, 0 };
        const int ready = ::poll(&waitFor, 1, int(std::max<int64_t>(left.count(), 0)));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            return false;
        int error = 0;
        socklen_t length = sizeof error;
        return ::getsockopt(socket, SOL_SOCKET, SO_ERROR, &error, &length) == 0 && error == 0;
    }
}

int OpenConnection(uint32_t address, uint16_t port, std::chrono::milliseconds timeout)
{
    const int socket = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (socket < 0)
        return -1;
    SwitchOn(socket, IPPROTO_TCP, TCP_NODELAY);
    SwitchOn(socket, SOL_SOCKET, SO_REUSEADDR);
    sockaddr_in peer {};
    peer.sin_family = AF_INET;
    peer.sin_port = htons(port);
    peer.sin_addr.s_addr = address;
    const bool connected = ::connect(socket, reinterpret_cast<const sockaddr*>(&peer), sizeof peer) == 0
        || (errno == EINPROGRESS && FinishConnect(socket, timeout));
    if (!connected || ::fcntl(socket, F_SETFL, ::fcntl(socket, F_GETFL) & ~O_NONBLOCK) != 0) {
        ::close(socket);
        return -1;
    }
    return socket;
}

} // namespace

std::optional<uint32_t> ParseRemoteAddress(const QString& text)
{
    const QStringList parts = text.split(QLatin1Char('.'));
    if (parts.size() != 4)
        return std::nullopt;
    uint32_t address = 0;
    for (const QString& part : parts) {
        if (part.isEmpty() || part.size() > 3 || (part.size() > 1 && part.front() == u'0'))
            return std::nullopt;
        uint32_t number = 0;
        for (const QChar c : part) {
            if (c < u'0' || c > u'9')
                return std::nullopt;
            number = number * 10 + uint32_t(c.unicode() - u'0');
        }
        if (number > 255)
            return std::nullopt;
        address = (address << 8) | number;
    }
    if (address == 0)
        return std::nullopt;
    return htonl(address);
}

RemoteClient::RemoteClient(CRemoteClientOwner& owner, RemoteClientOptions options)
    : m_owner(owner)
    , m_options(std::move(options))
    , m_context(std::make_unique<QObject>())
{
}

RemoteClient::~RemoteClient()
{
    Disconnect();
}

bool RemoteClient::Connect(const QString& address, uint16_t port)
{
    if (m_socket >= 0)
        return false;
    const std::optional<uint32_t> parsed = ParseRemoteAddress(address);
    if (!parsed)
        return false;
    const int socket = OpenConnection(*parsed, port, m_options.connectTimeout);
    if (socket < 0)
        return false;
    m_socket = socket;
    ++m_generation;
    m_pool.Clear();
    m_deliveryQueued = false;
    m_writer = std::make_unique<CRemoteFrameWriter>(socket, m_options.writer);
    m_receiver = std::jthread([this, socket](std::stop_token stop) { ReceiverThread(stop, socket); });
    m_dispatcher = std::jthread(
        [this, generation = m_generation](std::stop_token stop) { DispatcherThread(stop, generation); });
    return true;
}

void RemoteClient::Disconnect()
{
    if (m_socket < 0)
        return;
    ++m_generation;
    m_receiver.request_stop();
    m_dispatcher.request_stop();
    // Stopping the writer shuts the socket down, which also wakes the receiver.
    m_writer->Stop();
    ::shutdown(m_socket, SHUT_RDWR);
    m_receiver.join();
    m_dispatcher.join();
    m_writer.reset();
    ::close(m_socket);
    m_socket = -1;
    m_pool.Clear();
    m_deliveryQueued = false;
}

bool RemoteClient::Send(std::string_view code, int64_t value)
{
    return m_writer && m_writer->Push(FormatRemotePacket(code, value));
}

bool RemoteClient::SendTime(int64_t value)
{
    return Send(remote_code::kCurrentTime, value);
}

bool RemoteClient::SendLength(int64_t value)
{
    return Send(remote_code::kPlayTime, value);
}

bool RemoteClient::SendValue3(int64_t value)
{
    return Send(remote_code::kProjectTime, value);
}

void RemoteClient::ReceiverThread(std::stop_token stop, int socket)
{
    CRemoteFrameAccumulator accumulator;
    std::array<char, CRemoteFrameAccumulator::kReadSize> buffer {};
    while (!stop.stop_requested()) {
        pollfd waitFor { socket, POLLIN, 0 };
        if (::poll(&waitFor, 1, -1) < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        const ssize_t received = ::recv(socket, buffer.data(), buffer.size(), 0);
        if (received < 0 && errno == EINTR)
            continue;
        // 0 bytes: the remote closed its side; below 0: the connection failed.
        if (received <= 0)
            break;
        accumulator.Append(std::span<const char>(buffer.data(), size_t(received)),
            [this](std::span<const char, kRemotePacketSize> bytes) {
                const std::optional<RemoteFrame> frame = ParseRemotePacket(bytes, RemoteValueWidth::Bits64);
                if (!frame)
                    return;
                if (const std::optional<EditorReceiveCode> code = EditorReceiveCodeOf(frame->code))
                    m_pool.Put(*code, *frame);
            });
    }
    if (!stop.stop_requested())
        m_pool.PutConnectionLost();
}

void RemoteClient::DispatcherThread(std::stop_token stop, uint64_t generation)
{
    std::unique_lock guard(m_tickLock);
    while (!stop.stop_requested()) {
        m_tick.wait_for(guard, stop, m_options.dispatchTick, [] { return false; });
        if (stop.stop_requested())
            break;
        // One queued call at a time: what arrives meanwhile waits in the pool, latest first.
        if (m_pool.HasPending() && !m_deliveryQueued.exchange(true)) {
            platform::QueueCall(m_context.get(), [this, generation] { Deliver(generation); });
        }
    }
}

void RemoteClient::Deliver(uint64_t generation)
{
    if (generation != m_generation)
        return;
    m_deliveryQueued = false;
    for (const RemoteDelivery& delivery : m_pool.TakeAll()) {
        m_owner.OnRemoteMessage(delivery.messageCode, delivery.frame);
        // The owner may have ended the link; what came over it is not handed on.
        if (generation != m_generation)
            break;
    }
}
