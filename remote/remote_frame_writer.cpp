#include "remote/remote_frame_writer.h"

#include <poll.h>
#include <sys/socket.h>

namespace {

bool HasRoom(int socket)
{
    pollfd state { socket, POLLOUT, 0 };
    return ::poll(&state, 1, 0) == 1 && (state.revents & POLLOUT) != 0;
}

} // namespace

CRemoteFrameWriter::CRemoteFrameWriter(int socket, Options options)
    : m_socket(socket)
    , m_options(std::move(options))
{
    m_thread = std::thread(&CRemoteFrameWriter::Run, this);
}

CRemoteFrameWriter::~CRemoteFrameWriter()
{
    Stop();
}

bool CRemoteFrameWriter::Push(const RemotePacket& frame)
{
    {
        std::lock_guard guard(m_lock);
        if (m_stopping || m_shutDown)
            return false;
        if (m_queue.size() >= m_options.capacity
            && (m_queue.size() >= m_options.capacity * kOverrunFactor || !HasRoom(m_socket))) {
            ShutDownLocked();
            return false;
        }
        m_queue.push_back(frame);
    }
    m_wake.notify_one();
    return true;
}

void CRemoteFrameWriter::Stop()
{
    {
        std::lock_guard guard(m_lock);
        if (m_stopping && !m_thread.joinable())
            return;
        m_stopping = true;
        m_queue.clear();
        ::shutdown(m_socket, SHUT_RDWR);
    }
    m_wake.notify_one();
    if (m_thread.joinable())
        m_thread.join();
}

bool CRemoteFrameWriter::IsShutDown() const
{
    std::lock_guard guard(m_lock);
    return m_shutDown;
}

void CRemoteFrameWriter::ShutDownLocked()
{
    m_shutDown = true;
    m_queue.clear();
    ::shutdown(m_socket, SHUT_RDWR);
}

void CRemoteFrameWriter::Run()
{
    std::vector<RemotePacket> batch;
    for (;;) {
        {
            std::unique_lock guard(m_lock);
            m_wake.wait(guard, [this] { return m_stopping || !m_queue.empty(); });
            if (m_stopping)
                return;
            batch.swap(m_queue);
        }
        // Everything queued meanwhile goes out in as few sends as the socket takes.
        const RemoteSendResult result = SendRemoteFrames(m_socket, batch, m_options.wait, m_options.send);
        batch.clear();
        if (result.cutShort) {
            std::lock_guard guard(m_lock);
            m_shutDown = true;
            m_queue.clear();
        }
    }
}
