#include "project/sync_pool.h"

#include <algorithm>
#include <system_error>
#include <unistd.h>

namespace {

// How many descriptors may wait for a thread: enough to keep every thread busy, few against the
// process's limit of open files.
constexpr size_t kMaxWaiting = 64;

} // namespace

CSyncPool::CSyncPool(int maxThreads)
    : m_maxThreads(size_t(std::max(maxThreads, 1)))
{
}

CSyncPool::~CSyncPool()
{
    for (std::jthread& thread : m_threads)
        thread.request_stop();
    m_threads.clear();
    for (const int fd : m_waiting)
        ::close(fd);
}

void CSyncPool::Add(int fd)
{
    std::unique_lock lock(m_lock);
    m_workDone.wait(lock, [this] { return m_failed || m_waiting.size() < kMaxWaiting; });
    if (m_failed) {
        lock.unlock();
        ::close(fd);
        return;
    }
    m_waiting.push_back(fd);
    if (m_waiting.size() > m_idle && m_threads.size() < m_maxThreads && StartThread())
        return;
    // Where no thread can be started at all, the writer syncs its files itself.
    if (m_threads.empty()) {
        SyncFirst(lock);
        return;
    }
    m_workWaits.notify_one();
}

bool CSyncPool::StartThread()
{
    try {
        m_threads.emplace_back([this](std::stop_token stop) { Work(stop); });
        return true;
    } catch (const std::system_error&) {
        return false;
    }
}

bool CSyncPool::Wait()
{
    std::unique_lock lock(m_lock);
    m_workDone.wait(lock, [this] { return m_waiting.empty() && m_busy == 0; });
    return !m_failed;
}

void CSyncPool::Work(std::stop_token stop)
{
    std::unique_lock lock(m_lock);
    while (true) {
        ++m_idle;
        m_workWaits.wait(lock, stop, [this] { return !m_waiting.empty(); });
        --m_idle;
        // A pool that ends leaves what waits to its destructor.
        if (stop.stop_requested())
            return;
        SyncFirst(lock);
    }
}

void CSyncPool::SyncFirst(std::unique_lock<std::mutex>& lock)
{
    const int fd = m_waiting.front();
    m_waiting.pop_front();
    ++m_busy;
    // After a failure the outcome is known: what still waits is only closed.
    const bool skip = m_failed;
    lock.unlock();
    const bool synced = skip || ::fsync(fd) == 0;
    const bool closed = ::close(fd) == 0;
    lock.lock();
    --m_busy;
    m_failed = m_failed || !synced || !closed;
    m_workDone.notify_all();
}
