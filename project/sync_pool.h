#pragma once

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

// Makes files and folders durable on a few threads of its own while their writer goes on. The
// file system gathers the journal commits of syncs that wait at the same time into one, so a
// tree of many small files becomes durable in a fraction of the time that syncing them one
// after the other takes. A thread is started only when work waits for one, up to the bound.
class CSyncPool {
public:
    explicit CSyncPool(int maxThreads);
    // Waits for the threads; descriptors not synced yet are closed unsynced.
    ~CSyncPool();
    CSyncPool(const CSyncPool&) = delete;
    CSyncPool& operator=(const CSyncPool&) = delete;

    // Takes over the open descriptor: a thread syncs it and closes it. While many descriptors
    // wait already, the call waits for a place, so that a fast writer holds a bounded number
    // open. After a failure the descriptor is closed at once: the outcome is known.
    void Add(int fd);
    // Waits until every descriptor added so far is synced and closed; false when the sync or
    // the close of any of them failed since the pool was made.
    bool Wait();

private:
    bool StartThread();
    void Work(std::stop_token stop);
    // Syncs and closes the first waiting descriptor, without the lock meanwhile.
    void SyncFirst(std::unique_lock<std::mutex>& lock);

    const size_t m_maxThreads;
    std::mutex m_lock;
    std::condition_variable_any m_workWaits; // for the threads: a descriptor waits
    std::condition_variable m_workDone; // for the writer: a descriptor was synced
    std::deque<int> m_waiting;
    size_t m_busy = 0;
    size_t m_idle = 0;
    bool m_failed = false;
    std::vector<std::jthread> m_threads;
};
