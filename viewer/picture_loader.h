#pragma once

#include <QImage>
#include <QString>
#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <set>
#include <thread>

// Reads picture files (item pictures and mask pictures) on a thread of its own, so that a
// large picture never holds up the block or the drawing. Each path is read once and kept until
// no item names it any more.
class CPictureLoader {
public:
    enum class State { Pending, Ready, Failed };

    // Pictures are kept at most this size on their longest side (scaled down when larger).
    static constexpr int kMaxSide = 4096;

    CPictureLoader();
    ~CPictureLoader();
    CPictureLoader(const CPictureLoader&) = delete;
    CPictureLoader& operator=(const CPictureLoader&) = delete;

    // The picture of the path as RGBA8888 when read; its reading is queued the first time.
    State Get(const QString& path, QImage* image);
    // Drops every picture whose path is not in the set.
    void KeepOnly(const std::set<QString>& paths);
    // True while a reading is queued or running.
    bool IsBusy() const;

    // Reads one picture file as the loader does (for tests and the benchmark); a null picture
    // for anything but a regular file.
    static QImage Read(const QString& path);

private:
    struct Entry {
        State state = State::Pending;
        QImage image;
    };
    void Run(std::stop_token stop);

    mutable std::mutex m_mutex;
    std::condition_variable_any m_wake;
    std::map<QString, Entry> m_entries;
    std::deque<QString> m_queue;
    int m_running = 0;
    std::jthread m_thread;
};
