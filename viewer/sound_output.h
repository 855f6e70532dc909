#pragma once

#include "viewer/item_timing.h"

#include <QAudioDevice>
#include <QElapsedTimer>
#include <QString>
#include <memory>

class QAudioSink;
class CSoundStream;

// One sound item played through the machine's audio output, kept in step with the show's
// clock: it starts where the clock stands, pauses with it, and when the output has drifted
// from the clock by more than a few hundredths it starts again at the clock's place. Without an
// audio device it stays silent and only tells whether its file can be opened.
class CSoundOutput {
public:
    // Drift beyond which the sound is put back to the clock.
    static constexpr int64_t kMaxDriftUs = 60'000;
    // How long after a start the drift is not looked at.
    static constexpr int64_t kSettleMs = 700;

    CSoundOutput(const QAudioDevice& device, const QString& path, const ItemMediaRange& range);
    ~CSoundOutput();
    CSoundOutput(const CSoundOutput&) = delete;
    CSoundOutput& operator=(const CSoundOutput&) = delete;

    // Follows the clock: playing or not, where, how loud (0..100, linear in amplitude) and
    // whether muted.
    void Follow(const ItemMediaPosition& position, bool playing, double volume, bool muted);
    // True once the file turned out not to open as sound.
    bool HasFailed() const;

private:
    std::unique_ptr<CSoundStream> m_stream;
    std::unique_ptr<QAudioSink> m_sink;
    bool m_running = false;
    // Since the last start: an output settles for a while before its position means anything.
    QElapsedTimer m_sinceStart;
};
