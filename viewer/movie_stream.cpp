#include "viewer/movie_stream.h"

#include "media/media_input.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/imgutils.h>
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <chrono>
#include <optional>
#include <vector>

namespace {

// Without an index, a time this far beyond the frames decoded is sought rather than decoded to.
constexpr int64_t kForwardDecodeUs = 1'000'000;
// Behind by this much, a seek on to a later key frame is worth its cost.
constexpr int64_t kSeekAheadUs = 300'000;
// A restart aims at most this far beyond the clock: a face shows its last frame until the clock
// reaches the restart's first.
constexpr int64_t kLongestAimUs = 500'000;
// Frames this far (and at least three frames) before the time wanted are not decoded when
// nothing depends on them.
constexpr int64_t kNonReferenceMarginUs = 200'000;
// While the show plays behind its clock, a frame is handed over this often, so the face moves.
constexpr std::chrono::milliseconds kBehindFrameInterval { 40 };
constexpr int kDecodeThreads = 2;

struct FrameDeleter {
    void operator()(AVFrame* frame) const { av_frame_free(&frame); }
};
using FramePtr = std::unique_ptr<AVFrame, FrameDeleter>;

bool IsPlanarYuv(int format)
{
    switch (format) {
    case AV_PIX_FMT_YUV420P:
    case AV_PIX_FMT_YUVJ420P:
    case AV_PIX_FMT_YUV422P:
    case AV_PIX_FMT_YUVJ422P:
    case AV_PIX_FMT_YUV444P:
    case AV_PIX_FMT_YUVJ444P:
        return true;
    default:
        return false;
    }
}

bool IsFullRange(const AVFrame& frame)
{
    switch (frame.format) {
    case AV_PIX_FMT_YUVJ420P:
    case AV_PIX_FMT_YUVJ422P:
    case AV_PIX_FMT_YUVJ444P:
        return true;
    default:
        return frame.color_range == AVCOL_RANGE_JPEG;
    }
}

CVideoFrame::Matrix MatrixOf(const AVFrame& frame)
{
    switch (frame.colorspace) {
    case AVCOL_SPC_BT709:
        return CVideoFrame::Matrix::Bt709;
    case AVCOL_SPC_BT470BG:
    case AVCOL_SPC_SMPTE170M:
    case AVCOL_SPC_FCC:
        return CVideoFrame::Matrix::Bt601;
    case AVCOL_SPC_BT2020_NCL:
    case AVCOL_SPC_BT2020_CL:
        return CVideoFrame::Matrix::Bt2020;
    default:
        // Unmarked: high definition is taken as BT.709, anything smaller as BT.601.
        return frame.width >= 1280 ? CVideoFrame::Matrix::Bt709 : CVideoFrame::Matrix::Bt601;
    }
}

} // namespace

// What the show asks of the decoder: the sequence time of its last request, when that came,
// and whether the clock runs on from there.
struct DecodePace {
    int64_t targetUs = 0;
    std::chrono::steady_clock::time_point requestedAt;
    bool playing = false;
};

// Everything the stream's thread decodes with; touched by that thread only.
class CMovieDecodeState {
public:
    // `onPictureSent` is called after each picture handed to the decoder.
    explicit CMovieDecodeState(std::function<void()> onPictureSent)
        : m_onPictureSent(std::move(onPictureSent))
    {
    }

    ~CMovieDecodeState()
    {
        sws_freeContext(m_scaler);
        avcodec_free_context(&m_codec);
        av_packet_free(&m_packet);
    }

    bool Open(const QString& path)
    {
        m_input = OpenMediaInput(path);
        if (!m_input)
            return false;
        m_streamIndex = FirstStreamOfType(*m_input, AVMEDIA_TYPE_VIDEO);
        if (m_streamIndex < 0)
            return false;
        m_stream = m_input->streams[m_streamIndex];
        const AVCodec* codec = avcodec_find_decoder(m_stream->codecpar->codec_id);
        if (!codec)
            return false;
        m_codec = avcodec_alloc_context3(codec);
        m_packet = av_packet_alloc();
        if (!m_codec || !m_packet || avcodec_parameters_to_context(m_codec, m_stream->codecpar) < 0)
            return false;
        m_codec->thread_count = kDecodeThreads;
        if (avcodec_open2(m_codec, codec, nullptr) < 0)
            return false;
        m_startTime = m_stream->start_time == AV_NOPTS_VALUE ? 0 : m_stream->start_time;
        m_quarterTurns = StreamQuarterTurns(*m_stream);
        const AVRational rate = m_stream->avg_frame_rate;
        m_frameUs = rate.num > 0 && rate.den > 0 ? av_rescale(1000000, rate.den, rate.num) : 0;
        // Every stream is read but the video.
        for (unsigned i = 0; i < m_input->nb_streams; ++i)
            m_input->streams[i]->discard = int(i) == m_streamIndex ? AVDISCARD_DEFAULT : AVDISCARD_ALL;
        return true;
    }

    // The picture as shown: the pixel aspect applied, then the stored rotation.
    QSize DisplaySize() const
    {
        const AVRational aspect = m_stream->codecpar->sample_aspect_ratio;
        int width = m_stream->codecpar->width;
        if (aspect.num > 0 && aspect.den > 0 && aspect.num != aspect.den)
            width = int(av_rescale(width, aspect.num, aspect.den));
        const QSize size(width, m_stream->codecpar->height);
        return m_quarterTurns % 2 ? size.transposed() : size;
    }

    int64_t DurationUs() const
    {
        const int64_t duration = StreamDuration(*m_input, *m_stream);
        return duration > 0 ? av_rescale_q(duration, m_stream->time_base, AVRational { 1, 1000000 }) : 0;
    }

    // Positions the decoder for the pace's time: exactly there while the show stands, and while
    // it plays on a key frame chosen for where the clock will be when the frames arrive.
    void Start(const ItemMediaRange& range, const DecodePace& pace)
    {
        m_range = range;
        m_positionUs = INT64_MIN;
        SeekTowards(pace, AimOf(pace));
    }

    // Decodes the next frame in sequence order and hands over what is due: the frames from the
    // time wanted on, and while the show plays behind its clock, now and then the newest frame
    // before the clock, so that a face that lags still moves. False at the end of a range that
    // does not loop.
    bool DecodeStep(std::vector<VideoFramePtr>& out, QSize displaySize, const DecodePace& pace)
    {
        m_wantedUs = WantedUs(pace);
        if (pace.playing)
            m_skipBeforeUs = std::max(m_skipBeforeUs, m_wantedUs);
        SeekAheadWhenBehind(pace);
        FramePtr frame = NextFrame();
        if (!frame) {
            // Nothing decodes after the seek: it landed on frames that do not decode.
            if (m_firstAfterSeek && FallBack())
                return true;
            // The end of the file: the frame held back for the target is the last one.
            if (m_candidate) {
                HandOver(out, std::move(m_candidate), displaySize);
                return true;
            }
            return NextLap();
        }
        const int64_t mediaUs = MediaUsOf(*frame);
        if (m_firstAfterSeek) {
            m_firstAfterSeek = false;
            // The seek landed after the target (beyond what a playing show allows): an index
            // that is not exact.
            if (mediaUs > m_seekTargetUs + m_seekToleranceUs && FallBack())
                return true;
        }
        if (m_range.outUs > m_range.inUs && mediaUs >= m_range.outUs) {
            if (m_candidate) {
                HandOver(out, std::move(m_candidate), displaySize);
                return true;
            }
            return NextLap();
        }
        const int64_t sequenceUs = SequenceOf(mediaUs);
        m_positionUs = sequenceUs;
        if (m_timingRestart && sequenceUs >= m_restartFromUs) {
            m_timingRestart = false;
            const auto took = std::chrono::steady_clock::now() - m_restartedAt;
            m_restartCostUs = std::chrono::duration_cast<std::chrono::microseconds>(took).count();
        }
        if (sequenceUs < m_skipBeforeUs) {
            // Before the time wanted: kept only as long as no later frame still precedes it.
            m_candidate = std::move(frame);
            const auto now = std::chrono::steady_clock::now();
            if (pace.playing && now - m_lastHandOver >= kBehindFrameInterval) {
                HandOver(out, std::move(m_candidate), displaySize);
                m_lastHandOver = now;
            }
            return true;
        }
        if (m_candidate && sequenceUs > m_skipBeforeUs)
            HandOver(out, std::move(m_candidate), displaySize);
        m_candidate.reset();
        m_skipBeforeUs = INT64_MIN;
        HandOver(out, std::move(frame), displaySize);
        return true;
    }

private:
    int64_t MediaUsOf(const AVFrame& frame) const
    {
        int64_t pts = frame.best_effort_timestamp;
        if (pts == AV_NOPTS_VALUE)
            pts = frame.pts == AV_NOPTS_VALUE ? m_startTime : frame.pts;
        return av_rescale_q(pts - m_startTime, m_stream->time_base, AVRational { 1, 1000000 });
    }

    int64_t SequenceOf(int64_t mediaUs) const { return m_lapStartUs + (mediaUs - m_range.inUs); }

    static int64_t WantedUs(const DecodePace& pace)
    {
        if (!pace.playing)
            return pace.targetUs;
        const auto since = std::chrono::steady_clock::now() - pace.requestedAt;
        return pace.targetUs + std::chrono::duration_cast<std::chrono::microseconds>(since).count();
    }

    // Where the clock will be when the first frame of a restart made now arrives, judged by how
    // long the last restart took to decode its first frame.
    int64_t AimOf(const DecodePace& pace) const
    {
        const int64_t wanted = WantedUs(pace);
        return pace.playing ? wanted + std::min(m_restartCostUs, kLongestAimUs) : wanted;
    }

    // The index's key frame before the sequence time; nothing when the index does not tell.
    struct KeyFrame {
        int64_t sequenceUs = 0;
        int64_t timestamp = 0; // in the stream's time base, as the index holds it
        int64_t position = -1; // in the file; -1 when not known
    };
    std::optional<KeyFrame> KeyFrameBefore(int64_t sequenceUs) const
    {
        if (avformat_index_get_entries_count(m_stream) <= 0)
            return std::nullopt;
        const int64_t lapStart = LapStartOf(sequenceUs);
        const int64_t mediaUs = m_range.MediaOf(sequenceUs);
        const AVIndexEntry* entry = avformat_index_get_entry_from_timestamp(m_stream,
            av_rescale_q(mediaUs, AVRational { 1, 1000000 }, m_stream->time_base) + m_startTime,
            AVSEEK_FLAG_BACKWARD);
        if (!entry)
            return std::nullopt;
        const int64_t keyUs
            = av_rescale_q(entry->timestamp - m_startTime, m_stream->time_base, AVRational { 1, 1000000 });
        return KeyFrame { lapStart + (keyUs - m_range.inUs), entry->timestamp, entry->pos };
    }

    int64_t LapStartOf(int64_t sequenceUs) const
    {
        const int64_t fromIn = std::max<int64_t>(sequenceUs - m_range.inUs, 0);
        const int64_t laps = m_range.loop ? fromIn / m_range.SpanUs() : 0;
        return m_range.inUs + laps * (m_range.loop ? m_range.SpanUs() : 0);
    }

    // Seeks to the key frame before the aim, to go on to the time wanted.
    void SeekTowards(const DecodePace& pace, int64_t aimUs)
    {
        m_lapStartUs = LapStartOf(aimUs);
        SeekMedia(m_range.MediaOf(aimUs));
        m_skipBeforeUs = std::max(WantedUs(pace), m_lapStartUs);
        const std::optional<KeyFrame> key = KeyFrameBefore(aimUs);
        if (key)
            m_positionUs = std::max(m_positionUs, key->sequenceUs);
        if (pace.playing) {
            // The seek lands on the key frame before the aim by the time it is shown, which may
            // be a group before the key frame the index gives by the time it is decoded: the
            // packets up to that one are read over. Landing on it a little after the aim is as
            // good as landing on the aim.
            m_skipTo = key;
            m_seekToleranceUs = kSeekAheadUs;
        }
        MarkRestart(INT64_MIN);
    }

    // Goes on to a key frame further on in the file by reading past the packets before it
    // without decoding them. Unlike a seek this keeps the decoder's pipeline: the frames it
    // holds still come out while the key frame's own decoding starts, so the face moves on.
    void SkipTo(const KeyFrame& key)
    {
        m_skipTo = key;
        m_positionUs = std::max(m_positionUs, key.sequenceUs);
        MarkRestart(key.sequenceUs);
    }

    // A restart whose first frame is the first at or after the sequence time.
    void MarkRestart(int64_t fromUs)
    {
        m_restartPending = m_timingRestart = true;
        m_restartFromUs = fromUs;
        m_restartedAt = std::chrono::steady_clock::now();
    }

    // Far behind the time wanted, going on to a key frame beyond the frames decoded saves
    // decoding them. A restart is never given up for another before it has handed over a frame
    // of its own.
    void SeekAheadWhenBehind(const DecodePace& pace)
    {
        if (m_restartPending || m_positionUs == INT64_MIN || m_wantedUs - m_positionUs < kSeekAheadUs)
            return;
        if (!m_range.loop && m_range.outUs > m_range.inUs && m_wantedUs >= m_range.outUs)
            return;
        const int64_t aimUs = AimOf(pace);
        const std::optional<KeyFrame> key = KeyFrameBefore(aimUs);
        if (key ? key->sequenceUs <= m_positionUs + kSeekAheadUs / 2
                : m_wantedUs - m_positionUs <= kForwardDecodeUs)
            return;
        // A key frame further on in this lap is read to; one in a later lap is sought.
        if (key && pace.playing && LapStartOf(aimUs) == m_lapStartUs && !m_draining)
            SkipTo(*key);
        else
            SeekTowards(pace, aimUs);
    }

    void HandOver(std::vector<VideoFramePtr>& out, FramePtr frame, QSize displaySize)
    {
        VideoFramePtr wrapped = Wrap(std::move(frame), displaySize);
        const bool endsRestart = wrapped && wrapped->sequenceUs >= m_restartFromUs;
        if (endsRestart)
            m_restartPending = false;
        out.push_back(std::move(wrapped));
    }

    bool NextLap()
    {
        if (!m_range.loop)
            return false;
        m_lapStartUs += m_range.SpanUs();
        SeekMedia(m_range.inUs);
        m_skipBeforeUs = std::max(m_skipBeforeUs, m_lapStartUs);
        return true;
    }

    // Makes the decoder's next frames lead to the media time.
    void SeekMedia(int64_t mediaUs)
    {
        m_seekTargetUs = mediaUs;
        m_seekFromUs = mediaUs;
        m_fallBackUs = 1'000'000;
        m_seekToleranceUs = 0;
        SeekFrom(mediaUs);
    }

    // The seek again from further back, twice as far each time, at last from the stream's start
    // (whose first frame shows for every earlier time); false when it was made from there.
    bool FallBack()
    {
        if (m_seekFromUs <= 0)
            return false;
        m_seekFromUs = std::max<int64_t>(0, std::min(m_seekFromUs, m_seekTargetUs) - m_fallBackUs);
        m_fallBackUs *= 2;
        SeekFrom(m_seekFromUs);
        return true;
    }

    void SeekFrom(int64_t mediaUs)
    {
        const int64_t target
            = av_rescale_q(mediaUs, AVRational { 1, 1000000 }, m_stream->time_base) + m_startTime;
        av_seek_frame(m_input.get(), m_streamIndex, target, AVSEEK_FLAG_BACKWARD);
        avcodec_flush_buffers(m_codec);
        m_draining = false;
        m_endOfFile = false;
        m_skipTo.reset();
        m_candidate.reset();
        m_firstAfterSeek = true;
    }

    FramePtr NextFrame()
    {
        FramePtr frame(av_frame_alloc());
        while (frame) {
            const int received = avcodec_receive_frame(m_codec, frame.get());
            if (received == 0)
                return frame;
            if (received != AVERROR(EAGAIN) || m_endOfFile)
                return nullptr;
            if (m_draining) {
                m_endOfFile = true;
                continue;
            }
            const int read = av_read_frame(m_input.get(), m_packet);
            if (read < 0) {
                // The end: the decoder gives what it still holds.
                avcodec_send_packet(m_codec, nullptr);
                m_draining = true;
                continue;
            }
            if (m_packet->stream_index == m_streamIndex && !SkipsPacket(*m_packet)) {
                m_codec->skip_frame = IsFarBehind(*m_packet) ? AVDISCARD_NONREF : AVDISCARD_DEFAULT;
                avcodec_send_packet(m_codec, m_packet);
                if (m_onPictureSent)
                    m_onPictureSent();
            }
            av_packet_unref(m_packet);
        }
        return nullptr;
    }

    // While reading on to a key frame, the packets before it are passed over.
    bool SkipsPacket(const AVPacket& packet)
    {
        if (!m_skipTo)
            return false;
        // The key frame is known by its place in the file; without one, by its time (an index
        // holds the time a frame is decoded or the time it is shown, by the container).
        bool reached = false;
        if (m_skipTo->position >= 0 && packet.pos >= 0) {
            reached = packet.pos >= m_skipTo->position;
        } else {
            const int64_t latest = std::max(packet.pts, packet.dts);
            reached = (packet.flags & AV_PKT_FLAG_KEY) && latest != AV_NOPTS_VALUE
                && latest >= m_skipTo->timestamp;
        }
        if (reached)
            m_skipTo.reset();
        return !reached;
    }

    // A packet whose picture lies well before the time wanted: when no other frame depends on
    // it, it is not decoded at all (as players drop frames while they are behind).
    bool IsFarBehind(const AVPacket& packet) const
    {
        const int64_t pts = packet.pts != AV_NOPTS_VALUE ? packet.pts : packet.dts;
        if (pts == AV_NOPTS_VALUE || m_frameUs <= 0)
            return false;
        const int64_t mediaUs
            = av_rescale_q(pts - m_startTime, m_stream->time_base, AVRational { 1, 1000000 });
        return SequenceOf(mediaUs) < m_wantedUs - std::max<int64_t>(kNonReferenceMarginUs, 3 * m_frameUs);
    }

    VideoFramePtr Wrap(FramePtr decoded, QSize displaySize)
    {
        auto frame = std::make_shared<CVideoFrame>();
        frame->mediaUs = MediaUsOf(*decoded);
        frame->sequenceUs = m_lapStartUs + (frame->mediaUs - m_range.inUs);
        frame->width = displaySize.width();
        frame->height = displaySize.height();
        frame->quarterTurns = m_quarterTurns;
        frame->serial = CVideoFrame::NextSerial();
        if (IsPlanarYuv(decoded->format)) {
            const AVPixFmtDescriptor* description = av_pix_fmt_desc_get(AVPixelFormat(decoded->format));
            frame->format = CVideoFrame::Format::Yuv;
            frame->matrix = MatrixOf(*decoded);
            frame->fullRange = IsFullRange(*decoded);
            const int chromaWidth = AV_CEIL_RSHIFT(decoded->width, description->log2_chroma_w);
            const int chromaHeight = AV_CEIL_RSHIFT(decoded->height, description->log2_chroma_h);
            frame->planes[0] = { decoded->data[0], decoded->linesize[0], decoded->width, decoded->height };
            frame->planes[1] = { decoded->data[1], decoded->linesize[1], chromaWidth, chromaHeight };
            frame->planes[2] = { decoded->data[2], decoded->linesize[2], chromaWidth, chromaHeight };
            frame->owner = std::shared_ptr<const void>(decoded.release(), [](const void* held) {
                AVFrame* owned = static_cast<AVFrame*>(const_cast<void*>(held));
                av_frame_free(&owned);
            });
            return frame;
        }
        // Any other layout is converted here, on the decoding thread, never where it is drawn.
        m_scaler
            = sws_getCachedContext(m_scaler, decoded->width, decoded->height, AVPixelFormat(decoded->format),
                decoded->width, decoded->height, AV_PIX_FMT_RGBA, SWS_BILINEAR, nullptr, nullptr, nullptr);
        auto image = std::make_shared<QImage>(decoded->width, decoded->height, QImage::Format_RGBA8888);
        if (!m_scaler || image->isNull())
            return nullptr;
        uint8_t* target[4] = { image->bits(), nullptr, nullptr, nullptr };
        const int targetStride[4] = { int(image->bytesPerLine()), 0, 0, 0 };
        sws_scale(m_scaler, decoded->data, decoded->linesize, 0, decoded->height, target, targetStride);
        frame->format = CVideoFrame::Format::Rgba;
        frame->planes[0]
            = { image->constBits(), int(image->bytesPerLine()), image->width(), image->height() };
        frame->owner = image;
        return frame;
    }

    const std::function<void()> m_onPictureSent;
    FormatContextPtr m_input;
    AVStream* m_stream = nullptr;
    int m_streamIndex = -1;
    AVCodecContext* m_codec = nullptr;
    AVPacket* m_packet = nullptr;
    SwsContext* m_scaler = nullptr;
    int64_t m_startTime = 0;
    int m_quarterTurns = 0;
    ItemMediaRange m_range;
    int64_t m_lapStartUs = 0;
    int64_t m_frameUs = 0; // one frame's length by the stream's average rate; 0 when unknown
    // Sequence times: frames before m_skipBeforeUs are not handed over (but the last of them),
    // the time the show wants, and the last frame decoded.
    int64_t m_skipBeforeUs = INT64_MIN;
    int64_t m_wantedUs = 0;
    int64_t m_positionUs = INT64_MIN;
    FramePtr m_candidate;
    std::chrono::steady_clock::time_point m_lastHandOver;
    // A restart (a seek, or reading on to a key frame) that has handed over no frame of its own
    // yet, one that has decoded none yet, the sequence time its own frames begin at, when it
    // was made, and how long the last one took to decode its first frame.
    bool m_restartPending = false;
    bool m_timingRestart = false;
    int64_t m_restartFromUs = INT64_MIN;
    std::chrono::steady_clock::time_point m_restartedAt;
    int64_t m_restartCostUs = 0;
    // The last seek: its target, where it was made from, how much further back the next try
    // goes, and whether a frame came since.
    int64_t m_seekTargetUs = 0;
    int64_t m_seekFromUs = 0;
    int64_t m_fallBackUs = 0;
    int64_t m_seekToleranceUs = 0;
    // The key frame the reading goes on to, passing over the packets before it.
    std::optional<KeyFrame> m_skipTo;
    bool m_firstAfterSeek = false;
    bool m_draining = false;
    bool m_endOfFile = false;
};

CMovieStream::CMovieStream(QString path, std::function<void()> onPictureSent)
    : m_path(std::move(path))
    , m_onPictureSent(std::move(onPictureSent))
    , m_thread([this](std::stop_token stop) { Run(stop); })
{
}

CMovieStream::~CMovieStream()
{
    RequestStop();
}

void CMovieStream::RequestStop()
{
    m_thread.request_stop();
    m_wake.notify_all();
}

CMovieStream::State CMovieStream::GetState() const
{
    std::lock_guard lock(m_mutex);
    return m_state;
}

QSize CMovieStream::DisplaySize() const
{
    std::lock_guard lock(m_mutex);
    return m_displaySize;
}

int64_t CMovieStream::DurationUs() const
{
    std::lock_guard lock(m_mutex);
    return m_durationUs;
}

void CMovieStream::SetRange(const ItemMediaRange& range)
{
    std::lock_guard lock(m_mutex);
    if (m_hasRange && range.inUs == m_range.inUs && range.outUs == m_range.outUs
        && range.loop == m_range.loop)
        return;
    m_range = range;
    m_hasRange = true;
    m_queue.clear();
    m_endOfRange = false;
    ++m_generation;
    m_wake.notify_all();
}

bool CMovieStream::NeedsNewGeneration(int64_t sequenceUs) const
{
    // Only a jump back before the frames held starts anew (a frame that begins after an earlier
    // request is only the first the movie has there). Forward the thread finds its own way, so
    // a restart is never given up before it has shown a frame.
    const VideoFramePtr& earliest = m_shown ? m_shown : (m_queue.empty() ? m_shown : m_queue.front());
    if (!earliest)
        return sequenceUs < m_targetUs;
    return sequenceUs < earliest->sequenceUs && sequenceUs < m_targetUs;
}

void CMovieStream::Request(int64_t sequenceUs, bool playing)
{
    std::lock_guard lock(m_mutex);
    if (!m_hasRange)
        return;
    if (NeedsNewGeneration(sequenceUs)) {
        m_queue.clear();
        if (m_shown)
            m_stale = std::move(m_shown);
        m_endOfRange = false;
        ++m_generation;
    }
    m_targetUs = sequenceUs;
    m_requestedAt = std::chrono::steady_clock::now();
    m_playing = playing;
    // Frames the show has passed are of no more use: taking them makes room for decoding on,
    // also while nothing is drawn.
    TakeFramesUpTo(sequenceUs);
    m_wake.notify_all();
}

bool CMovieStream::TakeFramesUpTo(int64_t sequenceUs)
{
    bool taken = false;
    while (!m_queue.empty() && m_queue.front()->sequenceUs <= sequenceUs) {
        m_shown = std::move(m_queue.front());
        m_queue.pop_front();
        taken = true;
    }
    // Right after a start the first frame may begin a little after the time asked for.
    if (!m_shown && !m_queue.empty()) {
        m_shown = m_queue.front();
        taken = true;
    }
    if (taken)
        m_stale.reset();
    return taken;
}

VideoFramePtr CMovieStream::FrameFor(int64_t sequenceUs)
{
    std::lock_guard lock(m_mutex);
    if (TakeFramesUpTo(sequenceUs))
        m_wake.notify_all();
    return m_shown ? m_shown : m_stale;
}

bool CMovieStream::IsReadyFor(int64_t sequenceUs) const
{
    std::lock_guard lock(m_mutex);
    if (m_state == State::Failed)
        return true;
    if (m_state != State::Ready || !m_hasRange)
        return false;
    const bool shownFits = m_shown && m_shown->sequenceUs <= sequenceUs;
    const bool queuedFits = !m_queue.empty() && m_queue.front()->sequenceUs <= sequenceUs;
    if (!shownFits && !queuedFits) {
        // Every frame held begins later: the movie has none before them (the thread hands
        // over the frame before a target it sought), so the first is the one to show.
        return m_shown || !m_queue.empty() || m_endOfRange;
    }
    // The frame for the time is known once a later one follows it or the range ended.
    return m_endOfRange || (!m_queue.empty() && m_queue.back()->sequenceUs > sequenceUs);
}

int64_t CMovieStream::LeadUs() const
{
    std::lock_guard lock(m_mutex);
    if (m_queue.empty())
        return m_shown ? m_shown->sequenceUs - m_targetUs : 0;
    return m_queue.back()->sequenceUs - m_targetUs;
}

void CMovieStream::Run(std::stop_token stop)
{
    CMovieDecodeState decoder(m_onPictureSent);
    const bool opened = decoder.Open(m_path);
    {
        std::lock_guard lock(m_mutex);
        m_state = opened ? State::Ready : State::Failed;
        if (opened) {
            m_displaySize = decoder.DisplaySize();
            m_durationUs = decoder.DurationUs();
        }
    }
    if (!opened)
        return;

    uint64_t generation = 0;
    bool started = false;
    std::vector<VideoFramePtr> decoded;
    // One frame a pass: a stop, a new start or a new time is seen between any two frames.
    while (!stop.stop_requested()) {
        QSize displaySize;
        bool restart = false;
        ItemMediaRange range;
        DecodePace pace;
        {
            std::unique_lock lock(m_mutex);
            m_wake.wait(lock, stop, [&] {
                return m_hasRange
                    && (!started || generation != m_generation
                        || (!m_endOfRange && m_queue.size() < kQueuedFrames));
            });
            if (stop.stop_requested())
                return;
            if (!started || generation != m_generation) {
                started = restart = true;
                generation = m_generation;
                range = m_range;
            }
            pace.targetUs = m_targetUs;
            pace.requestedAt = m_requestedAt;
            pace.playing = m_playing;
            displaySize = m_displaySize;
        }
        // Seeking reads the file: never while the drawing side may wait for the lock.
        if (restart)
            decoder.Start(range, pace);
        decoded.clear();
        const bool more = decoder.DecodeStep(decoded, displaySize, pace);
        std::lock_guard lock(m_mutex);
        if (generation != m_generation)
            continue;
        for (VideoFramePtr& frame : decoded) {
            if (frame)
                m_queue.push_back(std::move(frame));
        }
        if (!more)
            m_endOfRange = true;
    }
}
