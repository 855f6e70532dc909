#include "viewer/sound_output.h"

#include "viewer/sound_stream.h"

#include <QAudioSink>
#include <algorithm>

namespace {

QAudioFormat OutputFormat(const QAudioDevice& device)
{
    QAudioFormat format;
    const QAudioFormat preferred = device.preferredFormat();
    format.setSampleRate(preferred.sampleRate() > 0 ? preferred.sampleRate() : 48000);
    format.setChannelCount(2);
    format.setSampleFormat(QAudioFormat::Int16);
    return format;
}

} // namespace

CSoundOutput::CSoundOutput(const QAudioDevice& device, const QString& path, const ItemMediaRange& range)
{
    const QAudioFormat format = OutputFormat(device);
    // Without a device the stream only opens the file: it is never started.
    m_stream = std::make_unique<CSoundStream>(path, format);
    m_stream->SetRange(range);
    if (!device.isNull())
        m_sink = std::make_unique<QAudioSink>(device, format);
}

CSoundOutput::~CSoundOutput()
{
    if (m_sink)
        m_sink->stop();
}

bool CSoundOutput::HasFailed() const
{
    return m_stream->HasFailed();
}

void CSoundOutput::Follow(const ItemMediaPosition& position, bool playing, double volume, bool muted)
{
    if (!m_sink)
        return;
    if (!playing || position.ended) {
        if (m_running) {
            m_sink->stop();
            m_running = false;
        }
        return;
    }
    m_sink->setVolume(muted ? 0.0 : std::clamp(volume, 0.0, 100.0) / 100.0);
    if (m_running && m_sinceStart.elapsed() < kSettleMs && m_sink->error() == QAudio::NoError)
        return;
    if (m_running) {
        // What the output has played: what it took from the stream less what it still holds.
        const qint64 heldBytes = qint64(m_sink->bufferSize()) - m_sink->bytesFree();
        const int64_t playedUs
            = m_stream->NextSampleUs() - m_stream->Format().durationForBytes(qint32(heldBytes));
        if (std::abs(playedUs - position.sequenceUs) <= kMaxDriftUs && m_sink->error() == QAudio::NoError)
            return;
        m_sink->stop();
    }
    m_stream->StartAt(position.sequenceUs);
    m_sink->start(m_stream.get());
    m_sinceStart.start();
    m_running = m_sink->error() == QAudio::NoError;
}
