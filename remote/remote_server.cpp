#include "remote/remote_server.h"

#include "remote/remote_codes.h"
#include "remote/remote_send.h"

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <system_error>
#include <unistd.h>

// What a client's reader has reported and the owner not yet handled. The reader waits while
// the count is at its limit; a hold released by the owner, or the end of the connection, wakes it.
struct RemoteServer::Inbox {
    std::mutex lock;
    std::condition_variable room;
    int unhandled = 0;
    bool closing = false;

    void Close()
    {
        {
            std::lock_guard guard(lock);
            closing = true;
        }
        room.notify_all();
    }
};

// One accepted socket with its writer. Whoever drops the last reference closes it, after every
// thread that used it is done; the threads are woken by shutdown(), never by closing under them.
struct RemoteServer::Connection {
    Connection(int socketIn, uint64_t idIn, const RemoteFrameWriterOptions& writerOptions)
        : socket(socketIn)
        , id(idIn)
        , writer(socketIn, writerOptions)
    {
    }
    ~Connection()
    {
        writer.Stop();
        ::close(socket);
    }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    const int socket;
    const uint64_t id;
    CRemoteFrameWriter writer;
    const std::shared_ptr<Inbox> inbox = std::make_shared<Inbox>();
};

namespace {

QString DottedAddress(const in_addr& address)
{
    char text[INET_ADDRSTRLEN] = {};
    ::inet_ntop(AF_INET, &address, text, sizeof text);
    return QString::fromLatin1(text);
}

void SwitchOn(int socket, int level, int option)
{
    const int on = 1;
    ::setsockopt(socket, level, option, &on, sizeof on);
}

// Errors of accept(2) after which the next accept may well succeed: the pending connection was
// reset or hit a network error, or the process ran short of descriptors or memory for a moment.
bool IsTransientAcceptError(int error)
{
    switch (error) {
    case EINTR:
    case EAGAIN:
    case ECONNABORTED:
    case EPROTO:
    case EPERM:
    case ENETDOWN:
    case ENOPROTOOPT:
    case EHOSTDOWN:
    case ENONET:
    case EHOSTUNREACH:
    case ENETUNREACH:
    case EMFILE:
    case ENFILE:
    case ENOBUFS:
    case ENOMEM:
        return true;
    default:
        return false;
    }
}

bool IsShortageError(int error)
{
    return error == EMFILE || error == ENFILE || error == ENOBUFS || error == ENOMEM;
}

int DefaultAccept(int listenSocket, sockaddr_in& peer)
{
    socklen_t length = sizeof peer;
    return ::accept4(listenSocket, reinterpret_cast<sockaddr*>(&peer), &length, SOCK_CLOEXEC);
}

} // namespace

QString FirstExternalIPv4Address()
{
    ifaddrs* list = nullptr;
    if (::getifaddrs(&list) != 0)
        return QString();
    QString found;
    for (const ifaddrs* entry = list; entry != nullptr; entry = entry->ifa_next) {
        if (entry->ifa_addr == nullptr || entry->ifa_addr->sa_family != AF_INET)
            continue;
        if ((entry->ifa_flags & IFF_UP) == 0 || (entry->ifa_flags & IFF_LOOPBACK) != 0)
            continue;
        const in_addr address = reinterpret_cast<const sockaddr_in*>(entry->ifa_addr)->sin_addr;
        if ((ntohl(address.s_addr) >> 24) == 127)
            continue;
        found = DottedAddress(address);
        break;
    }
    ::freeifaddrs(list);
    return found;
}

RemoteServer::RemoteServer(RemoteServerOptions options)
    : m_options(std::move(options))
{
}

RemoteServer::~RemoteServer()
{
    CloseClients();
}

int RemoteServer::Start(RemoteServerOwner* owner)
{
    if (m_running.load())
        return 0;
    // A server whose accepting failed still has its clients and threads: end them first.
    StopThreads();
    m_owner = owner;

    in_addr bindAddress {};
    if (::inet_pton(AF_INET, m_options.bindAddress.toLatin1().constData(), &bindAddress) != 1)
        return 0;
    const int listenSocket = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (listenSocket < 0)
        return 0;
    SwitchOn(listenSocket, IPPROTO_TCP, TCP_NODELAY);
    SwitchOn(listenSocket, SOL_SOCKET, SO_REUSEADDR);
    sockaddr_in local {};
    local.sin_family = AF_INET;
    local.sin_addr = bindAddress;
    local.sin_port = htons(m_options.port);
    if (::bind(listenSocket, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0
        || ::listen(listenSocket, kRemoteListenBacklog) != 0) {
        ::close(listenSocket);
        return 0;
    }
    {
        std::lock_guard guard(m_lock);
        m_localAddress = FirstExternalIPv4Address();
    }
    m_listenSocket = listenSocket;
    m_running.store(true);
    m_acceptThread = std::thread(&RemoteServer::AcceptLoop, this, listenSocket);
    return 1;
}

int RemoteServer::CloseClients()
{
    // A server whose accepting failed no longer runs but may still have threads: end them too.
    const bool wasRunning = m_running.exchange(false);
    StopThreads();
    return wasRunning ? 1 : 0;
}

void RemoteServer::StopThreads()
{
    m_stopping.store(true);
    if (m_listenSocket >= 0)
        ::shutdown(m_listenSocket, SHUT_RDWR);
    {
        std::lock_guard guard(m_pauseLock);
        m_pauseWake.notify_all();
    }
    if (m_acceptThread.joinable())
        m_acceptThread.join();
    if (m_listenSocket >= 0) {
        ::close(m_listenSocket);
        m_listenSocket = -1;
    }

    std::array<std::thread, kRemoteSlotCount> readers;
    {
        std::lock_guard guard(m_lock);
        for (size_t i = 0; i < m_slots.size(); ++i) {
            if (m_slots[i].connection) {
                ::shutdown(m_slots[i].connection->socket, SHUT_RDWR);
                // A reader waiting for the owner to handle its frames must not wait for the
                // owner's thread, which is here, joining it.
                m_slots[i].connection->inbox->Close();
            }
            readers[i] = std::move(m_slots[i].reader);
        }
    }
    for (std::thread& reader : readers) {
        if (reader.joinable())
            reader.join();
    }
    {
        std::lock_guard guard(m_lock);
        for (Slot& slot : m_slots) {
            slot.connection.reset();
            slot.info = RemoteClientSlot();
        }
        m_localAddress.clear();
    }
    m_stopping.store(false);
}

void RemoteServer::AcceptLoop(int listenSocket)
{
    const auto accept = m_options.accept ? m_options.accept : DefaultAccept;
    while (!m_stopping.load()) {
        pollfd waitFor { listenSocket, POLLIN, 0 };
        int socket = -1;
        sockaddr_in peer {};
        if (::poll(&waitFor, 1, -1) >= 0) {
            if (m_stopping.load())
                break;
            socket = accept(listenSocket, peer);
        }
        if (socket >= 0) {
            TakeClient(socket, peer);
            continue;
        }
        const int error = errno;
        if (m_stopping.load())
            break;
        if (IsTransientAcceptError(error)) {
            // The connection that caused a shortage stays queued, so wait a little before the
            // next try instead of spinning.
            if (IsShortageError(error) && !PauseAfterAcceptError())
                break;
            continue;
        }
        FailWhileAccepting(listenSocket, error);
        break;
    }
}

void RemoteServer::FailWhileAccepting(int listenSocket, int error)
{
    // A server that takes no more clients must not look as if it ran: clear the running state,
    // stop listening so that an editor's connect is refused rather than left unanswered in the
    // queue, and end the clients, whose readers then report their end as usual. The listening
    // socket itself stays the owner's to close.
    m_running.store(false);
    ::shutdown(listenSocket, SHUT_RDWR);
    if (m_owner != nullptr)
        m_owner->RemoteServerFailed(QString::fromStdString(std::generic_category().message(error)));
    std::lock_guard guard(m_lock);
    for (Slot& slot : m_slots) {
        if (slot.connection)
            ::shutdown(slot.connection->socket, SHUT_RDWR);
    }
}

bool RemoteServer::PauseAfterAcceptError()
{
    std::unique_lock guard(m_pauseLock);
    m_pauseWake.wait_for(guard, std::chrono::milliseconds(100), [this] { return m_stopping.load(); });
    return !m_stopping.load();
}

void RemoteServer::TakeClient(int socket, const sockaddr_in& peer)
{
    int slotIndex = -1;
    std::thread finishedReader;
    {
        std::lock_guard guard(m_lock);
        if (CountClientsLocked() < REMOTE_MAX_CLIENTS) {
            for (size_t i = 0; i < m_slots.size(); ++i) {
                if (!m_slots[i].connection) {
                    slotIndex = static_cast<int>(i);
                    finishedReader = std::move(m_slots[i].reader);
                    break;
                }
            }
        }
    }
    if (slotIndex < 0) {
        SendRemoteFrame(socket, FormatRemotePacket(remote_code::kRefused, REMOTE_MAX_CLIENTS),
            m_options.writer.wait, m_options.writer.send);
        ::close(socket);
        return;
    }
    // The slot's previous reader has freed it and has only its last report left.
    if (finishedReader.joinable())
        finishedReader.join();

    auto connection = std::make_shared<Connection>(socket, ++m_lastClientId, m_options.writer);
    RemoteClientSlot client;
    client.clientId = connection->id;
    client.address = DottedAddress(peer.sin_addr);
    client.port = peer.sin_port;
    int connectedCount = 0;
    {
        std::lock_guard guard(m_lock);
        m_slots[slotIndex].info = client;
        m_slots[slotIndex].connection = connection;
        connectedCount = CountClientsLocked();
    }
    // Reported before the reader starts, so the owner hears of the client before its frames.
    if (m_owner != nullptr)
        m_owner->RemoteAccepted(slotIndex, client, connectedCount);

    RemoteEvent event;
    event.clientId = client.clientId;
    event.address = client.address;
    event.port = client.port;
    std::thread reader(&RemoteServer::ReceiveLoop, this, slotIndex, std::move(connection), std::move(event));
    std::lock_guard guard(m_lock);
    m_slots[slotIndex].reader = std::move(reader);
}

void RemoteServer::ReceiveLoop(int slotIndex, std::shared_ptr<Connection> connection, RemoteEvent event)
{
    CRemoteFrameAccumulator accumulator;
    std::array<char, CRemoteFrameAccumulator::kReadSize> readBuffer {};
    bool reading = true;
    while (reading) {
        pollfd waitFor { connection->socket, POLLIN, 0 };
        if (::poll(&waitFor, 1, -1) < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        const ssize_t received = ::recv(connection->socket, readBuffer.data(), readBuffer.size(), 0);
        if (received < 0 && errno == EINTR)
            continue;
        if (received <= 0)
            break;
        accumulator.Append(std::span<const char>(readBuffer.data(), static_cast<size_t>(received)),
            [&](std::span<const char, kRemotePacketSize> frame) {
                reading = reading && HandleFrame(frame, event, connection->inbox);
            });
    }
    // The connection ends: its writer stops sending, whoever closes it.
    ::shutdown(connection->socket, SHUT_RDWR);
    {
        std::lock_guard guard(m_lock);
        if (m_slots[slotIndex].connection == connection) {
            m_slots[slotIndex].connection.reset();
            m_slots[slotIndex].info.clientId = 0;
        }
    }
    connection.reset();
    event.value = 0;
    if (m_owner != nullptr)
        m_owner->RemoteReceived(kReceiveClientGone, event, RemoteFrameHold());
}

bool RemoteServer::HandleFrame(
    std::span<const char, kRemotePacketSize> bytes, RemoteEvent& event, const std::shared_ptr<Inbox>& inbox)
{
    const std::optional<RemoteFrame> frame = ParseRemotePacket(bytes);
    if (!frame)
        return true;
    const std::optional<int> number = RemoteReceiveNumberOf(frame->code);
    if (!number)
        return true;
    {
        std::unique_lock guard(inbox->lock);
        inbox->room.wait(guard, [&] { return inbox->unhandled < kRemoteUnhandledFrames || inbox->closing; });
        if (inbox->closing)
            return false;
        ++inbox->unhandled;
    }
    // The hold's last copy gives the place back and wakes the reader.
    RemoteFrameHold hold(std::shared_ptr<void>(inbox.get(), [inbox](void*) {
        {
            std::lock_guard guard(inbox->lock);
            --inbox->unhandled;
        }
        inbox->room.notify_all();
    }));
    event.value = frame->value;
    if (m_owner != nullptr)
        m_owner->RemoteReceived(*number, event, std::move(hold));
    return true;
}

int RemoteServer::CountClientsLocked() const
{
    int count = 0;
    for (const Slot& slot : m_slots) {
        if (slot.connection)
            ++count;
    }
    return count;
}

int RemoteServer::GetClientCount() const
{
    std::lock_guard guard(m_lock);
    return CountClientsLocked();
}

QString RemoteServer::GetLocalAddress() const
{
    std::lock_guard guard(m_lock);
    return m_localAddress;
}

int RemoteServer::GetClientIpList(QStringList& list) const
{
    list.clear();
    std::lock_guard guard(m_lock);
    for (const Slot& slot : m_slots) {
        if (slot.connection && slot.info.kind == 0)
            list.append(slot.info.address);
    }
    return static_cast<int>(list.size());
}

uint16_t RemoteServer::ListeningPort() const
{
    if (m_listenSocket < 0)
        return 0;
    sockaddr_in local {};
    socklen_t length = sizeof local;
    if (::getsockname(m_listenSocket, reinterpret_cast<sockaddr*>(&local), &length) != 0)
        return 0;
    return ntohs(local.sin_port);
}

int RemoteServer::Broadcast(std::string_view code, int64_t value)
{
    if (!m_running.load())
        return 1;
    const RemotePacket packet = FormatRemotePacket(code, value);
    std::lock_guard guard(m_lock);
    for (const Slot& slot : m_slots) {
        if (slot.connection && slot.info.kind == 0)
            slot.connection->writer.Push(packet);
    }
    return 1;
}

int RemoteServer::SendTo(std::string_view code, int64_t value, uint64_t clientId)
{
    const RemotePacket packet = FormatRemotePacket(code, value);
    std::lock_guard guard(m_lock);
    for (const Slot& slot : m_slots) {
        if (slot.connection && slot.connection->id == clientId)
            return slot.connection->writer.Push(packet) ? 1 : 0;
    }
    return 0;
}
