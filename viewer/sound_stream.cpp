#include "viewer/sound_stream.h"

#include "media/media_input.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
}

#include <algorithm>
#include <cstring>

// Everything the stream's thread decodes with; touched by that thread only.
class CSoundDecodeState {
public:
    ~CSoundDecodeState()
    {
        swr_free(&m_resampler);
        av_frame_free(&m_frame);
        av_packet_free(&m_packet);
        avcodec_free_context(&m_codec);
    }

    bool Open(const QString& path, const QAudioFormat& format)
    {
        m_input = OpenMediaInput(path);
        if (!m_input)
            return false;
        m_streamIndex = FirstStreamOfType(*m_input, AVMEDIA_TYPE_AUDIO);
        if (m_streamIndex < 0)
            return false;
        m_stream = m_input->streams[m_streamIndex];
        const AVCodec* codec = avcodec_find_decoder(m_stream->codecpar->codec_id);
        m_codec = codec ? avcodec_alloc_context3(codec) : nullptr;
        m_packet = av_packet_alloc();
        m_frame = av_frame_alloc();
        if (!m_codec || !m_packet || !m_frame
            || avcodec_parameters_to_context(m_codec, m_stream->codecpar) < 0
            || avcodec_open2(m_codec, codec, nullptr) < 0)
            return false;
        m_startTime = m_stream->start_time == AV_NOPTS_VALUE ? 0 : m_stream->start_time;
        for (unsigned i = 0; i < m_input->nb_streams; ++i)
            m_input->streams[i]->discard = int(i) == m_streamIndex ? AVDISCARD_DEFAULT : AVDISCARD_ALL;
        m_rate = format.sampleRate();
        m_channels = format.channelCount();
        AVChannelLayout outLayout;
        av_channel_layout_default(&outLayout, m_channels);
        AVChannelLayout inLayout;
        if (m_codec->ch_layout.nb_channels > 0)
            av_channel_layout_copy(&inLayout, &m_codec->ch_layout);
        else
            av_channel_layout_default(&inLayout, 2);
        const int made = swr_alloc_set_opts2(&m_resampler, &outLayout, AV_SAMPLE_FMT_S16, m_rate, &inLayout,
            m_codec->sample_fmt, m_codec->sample_rate, 0, nullptr);
        av_channel_layout_uninit(&inLayout);
        av_channel_layout_uninit(&outLayout);
        return made >= 0 && swr_init(m_resampler) >= 0;
    }

    void Seek(int64_t mediaUs)
    {
        const int64_t target
            = av_rescale_q(mediaUs, AVRational { 1, 1000000 }, m_stream->time_base) + m_startTime;
        av_seek_frame(m_input.get(), m_streamIndex, target, AVSEEK_FLAG_BACKWARD);
        avcodec_flush_buffers(m_codec);
        swr_init(m_resampler);
        m_skipBeforeUs = mediaUs;
        m_draining = false;
    }

    // Appends the next decoded samples (interleaved 16-bit) that lie at or after the time
    // sought and before `endUs` (media time; 0 for no end). False at the end.
    bool DecodeMore(std::vector<char>& out, int64_t endUs)
    {
        for (;;) {
            const int received = avcodec_receive_frame(m_codec, m_frame);
            if (received == 0) {
                const bool more = Convert(out, endUs);
                av_frame_unref(m_frame);
                return more;
            }
            if (received != AVERROR(EAGAIN))
                return false;
            if (m_draining)
                return false;
            if (av_read_frame(m_input.get(), m_packet) < 0) {
                avcodec_send_packet(m_codec, nullptr);
                m_draining = true;
                continue;
            }
            if (m_packet->stream_index == m_streamIndex)
                avcodec_send_packet(m_codec, m_packet);
            av_packet_unref(m_packet);
        }
    }

private:
    bool Convert(std::vector<char>& out, int64_t endUs)
    {
        int64_t pts = m_frame->best_effort_timestamp;
        if (pts == AV_NOPTS_VALUE)
            pts = m_startTime;
        const int64_t frameUs
            = av_rescale_q(pts - m_startTime, m_stream->time_base, AVRational { 1, 1000000 });
        const int capacity = swr_get_out_samples(m_resampler, m_frame->nb_samples);
        if (capacity <= 0)
            return true;
        std::vector<int16_t> samples(size_t(capacity) * size_t(m_channels));
        uint8_t* target = reinterpret_cast<uint8_t*>(samples.data());
        const int converted = swr_convert(m_resampler, &target, capacity,
            const_cast<const uint8_t**>(m_frame->extended_data), m_frame->nb_samples);
        if (converted <= 0)
            return true;
        int first = 0;
        int last = converted;
        // Samples before the time sought are dropped, as are those past the end.
        if (frameUs < m_skipBeforeUs)
            first = int(std::min<int64_t>(converted, (m_skipBeforeUs - frameUs) * m_rate / 1000000));
        if (endUs > 0) {
            const int64_t untilEnd = (endUs - frameUs) * m_rate / 1000000;
            if (untilEnd <= 0)
                return false;
            last = int(std::min<int64_t>(last, untilEnd));
        }
        if (last > first) {
            const auto* bytes
                = reinterpret_cast<const char*>(samples.data() + size_t(first) * size_t(m_channels));
            out.insert(out.end(), bytes, bytes + size_t(last - first) * size_t(m_channels) * sizeof(int16_t));
        }
        return last == converted;
    }

    FormatContextPtr m_input;
    AVStream* m_stream = nullptr;
    int m_streamIndex = -1;
    AVCodecContext* m_codec = nullptr;
    AVPacket* m_packet = nullptr;
    AVFrame* m_frame = nullptr;
    SwrContext* m_resampler = nullptr;
    int64_t m_startTime = 0;
    int64_t m_skipBeforeUs = 0;
    int m_rate = 48000;
    int m_channels = 2;
    bool m_draining = false;
};

CSoundStream::CSoundStream(QString path, QAudioFormat format)
    : m_path(std::move(path))
    , m_format(format)
    , m_frameBytes(std::max(1, format.bytesPerFrame()))
    , m_ring(size_t(format.bytesForDuration(kAheadMs * 1000)) + size_t(m_frameBytes))
    , m_thread([this](std::stop_token stop) { Run(stop); })
{
    // Unbuffered: what the output took is exactly what was read, and a new start leaves
    // nothing of the old one behind.
    open(QIODevice::ReadOnly | QIODevice::Unbuffered);
}

CSoundStream::~CSoundStream()
{
    m_thread.request_stop();
    m_wake.notify_all();
    m_thread.join();
}

bool CSoundStream::HasFailed() const
{
    std::lock_guard lock(m_mutex);
    return m_failed;
}

void CSoundStream::SetRange(const ItemMediaRange& range)
{
    std::lock_guard lock(m_mutex);
    m_range = range;
    m_hasRange = true;
}

void CSoundStream::StartAt(int64_t sequenceUs)
{
    std::lock_guard lock(m_mutex);
    m_startUs = sequenceUs;
    m_takenBytes = 0;
    m_ringStart = m_ringSize = 0;
    m_started = true;
    ++m_generation;
    m_wake.notify_all();
}

int64_t CSoundStream::NextSampleUs() const
{
    std::lock_guard lock(m_mutex);
    return m_startUs
        + m_format.durationForFrames(qint32(std::min<int64_t>(m_takenBytes / m_frameBytes, INT32_MAX)));
}

int64_t CSoundStream::BufferedUs() const
{
    std::lock_guard lock(m_mutex);
    return m_format.durationForFrames(qint32(m_ringSize / size_t(m_frameBytes)));
}

qint64 CSoundStream::bytesAvailable() const
{
    return QIODevice::bytesAvailable() + qint64(m_ring.size());
}

qint64 CSoundStream::readData(char* data, qint64 maxSize)
{
    const qint64 wanted = maxSize - maxSize % m_frameBytes;
    std::lock_guard lock(m_mutex);
    qint64 copied = 0;
    while (copied < wanted && m_ringSize > 0) {
        const size_t chunk = std::min({ size_t(wanted - copied), m_ringSize, m_ring.size() - m_ringStart });
        std::memcpy(data + copied, m_ring.data() + m_ringStart, chunk);
        m_ringStart = (m_ringStart + chunk) % m_ring.size();
        m_ringSize -= chunk;
        copied += qint64(chunk);
    }
    // Silence for what the ring could not give: the output keeps its pace and the position
    // stays that of the show.
    std::memset(data + copied, 0, size_t(wanted - copied));
    m_takenBytes += wanted;
    m_wake.notify_all();
    return wanted;
}

void CSoundStream::Run(std::stop_token stop)
{
    CSoundDecodeState decoder;
    if (!decoder.Open(m_path, m_format)) {
        std::lock_guard lock(m_mutex);
        m_failed = true;
        return;
    }
    uint64_t generation = 0;
    bool atEnd = false;
    // Decoded samples not yet in the ring.
    std::vector<char> pending;
    while (!stop.stop_requested()) {
        ItemMediaRange range;
        bool restart = false;
        int64_t startUs = 0;
        {
            std::unique_lock lock(m_mutex);
            m_wake.wait(lock, stop, [&] {
                const size_t room = m_ring.size() - m_ringSize;
                return m_started && m_hasRange
                    && (generation != m_generation || (!pending.empty() && room >= size_t(m_frameBytes))
                        || (pending.empty() && !atEnd && room > size_t(m_frameBytes) * 1024));
            });
            if (stop.stop_requested())
                return;
            range = m_range;
            if (generation != m_generation) {
                generation = m_generation;
                restart = true;
                startUs = m_startUs;
            }
        }
        if (restart) {
            atEnd = false;
            pending.clear();
            decoder.Seek(range.MediaOf(startUs));
        }
        if (pending.empty() && !atEnd) {
            const bool more = decoder.DecodeMore(pending, range.outUs);
            if (!more && range.loop)
                decoder.Seek(range.inUs);
            else if (!more)
                atEnd = true;
        }
        std::lock_guard lock(m_mutex);
        if (generation != m_generation)
            continue;
        size_t offset = 0;
        while (offset < pending.size() && m_ringSize < m_ring.size()) {
            const size_t end = (m_ringStart + m_ringSize) % m_ring.size();
            const size_t chunk
                = std::min({ pending.size() - offset, m_ring.size() - m_ringSize, m_ring.size() - end });
            std::memcpy(m_ring.data() + end, pending.data() + offset, chunk);
            m_ringSize += chunk;
            offset += chunk;
        }
        pending.erase(pending.begin(), pending.begin() + std::ptrdiff_t(offset));
    }
}
