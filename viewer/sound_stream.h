#pragma once

#include "viewer/item_timing.h"

#include <QAudioFormat>
#include <QIODevice>
#include <QString>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

class CSoundDecodeState;

// The sound of one item as 16-bit samples for an audio output, decoded on a thread of its own
// into a short ring ahead of what the output has taken. Like movie streams it counts in
// sequence time (item_timing.h); StartAt begins anew at a sequence time. When the ring runs dry
// the output gets silence, counted as time that went by, so the position stays true.
class CSoundStream : public QIODevice {
public:
    // Samples decoded ahead at most.
    static constexpr int kAheadMs = 500;

    CSoundStream(QString path, QAudioFormat format);
    ~CSoundStream() override;

    bool HasFailed() const;
    void SetRange(const ItemMediaRange& range);
    // Empties the ring and decodes from the sequence time on.
    void StartAt(int64_t sequenceUs);
    // The sequence time of the next sample the output will take.
    int64_t NextSampleUs() const;
    // How much is decoded and not taken yet.
    int64_t BufferedUs() const;
    const QAudioFormat& Format() const { return m_format; }

    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override;

protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    void Run(std::stop_token stop);

    const QString m_path;
    const QAudioFormat m_format;
    const int m_frameBytes;
    mutable std::mutex m_mutex;
    std::condition_variable_any m_wake;
    std::vector<char> m_ring;
    size_t m_ringStart = 0;
    size_t m_ringSize = 0;
    ItemMediaRange m_range;
    bool m_hasRange = false;
    bool m_failed = false;
    int64_t m_startUs = 0;
    int64_t m_takenBytes = 0;
    uint64_t m_generation = 0;
    bool m_started = false;
    std::jthread m_thread;
};
