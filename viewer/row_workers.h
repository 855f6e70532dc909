#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <stop_token>
#include <thread>
#include <vector>

// A few threads that share out the rows of one pass with the thread that asks: the rows are cut
// into a few bands per thread, which each thread takes one after the other until none is left.
// The threads wait between passes and are joined when it is destroyed.
class CRowWorkers {
public:
    // `helpers` threads besides the caller's own (none: the caller does every row).
    explicit CRowWorkers(int helpers);
    ~CRowWorkers();
    CRowWorkers(const CRowWorkers&) = delete;
    CRowWorkers& operator=(const CRowWorkers&) = delete;

    // Calls work(first, end) for bands that together cover the rows 0..rows-1 once, and
    // returns when all are done. Called from one thread at a time.
    void Run(int rows, const std::function<void(int first, int end)>& work);

    // The threads that work on a pass, the caller's included.
    int Threads() const { return int(m_threads.size()) + 1; }

private:
    void Serve(std::stop_token stop);
    void RunBands();

    std::mutex m_mutex;
    std::condition_variable_any m_wake;
    std::condition_variable m_finished;
    const std::function<void(int, int)>* m_work = nullptr;
    int m_rows = 0;
    int m_bands = 0;
    std::atomic<int> m_nextBand { 0 };
    uint64_t m_pass = 0;
    int m_bandsDone = 0;
    int m_inside = 0; // threads working on the pass
    bool m_open = false; // a pass is running
    // Last, so that the threads are stopped and joined before what they use goes.
    std::vector<std::jthread> m_threads;
};
