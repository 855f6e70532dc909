#include "viewer/row_workers.h"

#include <algorithm>

namespace {

// Bands per thread: small enough that the threads that run take over the bands of one that the
// system holds back (the decoders share the cores), large enough to cost nothing to hand out.
constexpr int kBandsPerThread = 4;

} // namespace

CRowWorkers::CRowWorkers(int helpers)
{
    for (int i = 0; i < helpers; ++i)
        m_threads.emplace_back([this](std::stop_token stop) { Serve(stop); });
}

CRowWorkers::~CRowWorkers()
{
    // Each thread's wait ends at its stop request; joined here, before the members go.
    for (std::jthread& thread : m_threads)
        thread.request_stop();
    m_threads.clear();
}

void CRowWorkers::RunBands()
{
    while (true) {
        const int band = m_nextBand.fetch_add(1, std::memory_order_relaxed);
        if (band >= m_bands)
            return;
        const int first = int(int64_t(m_rows) * band / m_bands);
        const int end = int(int64_t(m_rows) * (band + 1) / m_bands);
        (*m_work)(first, end);
        std::lock_guard lock(m_mutex);
        if (++m_bandsDone == m_bands)
            m_finished.notify_one();
    }
}

void CRowWorkers::Serve(std::stop_token stop)
{
    uint64_t seen = 0;
    std::unique_lock lock(m_mutex);
    while (true) {
        if (!m_wake.wait(lock, stop, [&] { return m_pass != seen; }))
            return;
        seen = m_pass;
        // A thread that wakes after the pass was over leaves it alone; the pass's caller waits
        // for those that came in.
        if (!m_open)
            continue;
        ++m_inside;
        lock.unlock();
        RunBands();
        lock.lock();
        if (--m_inside == 0)
            m_finished.notify_one();
    }
}

void CRowWorkers::Run(int rows, const std::function<void(int first, int end)>& work)
{
    if (rows <= 0)
        return;
    if (m_threads.empty()) {
        work(0, rows);
        return;
    }
    {
        std::lock_guard lock(m_mutex);
        m_work = &work;
        m_rows = rows;
        m_bands = std::min(rows, Threads() * kBandsPerThread);
        m_bandsDone = 0;
        m_nextBand.store(0, std::memory_order_relaxed);
        m_open = true;
        ++m_pass;
    }
    m_wake.notify_all();
    RunBands();
    // Every band done, and no thread still in the pass (one may have come in after the last
    // band was taken): a thread the system holds back before it came in is not waited for.
    std::unique_lock lock(m_mutex);
    m_finished.wait(lock, [this] { return m_bandsDone == m_bands && m_inside == 0; });
    m_open = false;
    m_work = nullptr;
}
