#include "viewer/movie_stream.h"

#include "project/media_input.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/imgutils.h>
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <vector>

namespace {

// A request this far beyond the queued frames seeks rather than decodes its way there.
constexpr int64_t kForwardDecodeUs = 1'000'000;
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

// Everything the stream's thread decodes with; touched by that thread only.
class CMovieDecodeState {
public:
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
        // Every stream is read but the video.
        for (unsigned i = 0; i < m_input->nb_streams; ++i)
            m_input->streams[i]->discard = int(i) == m_streamIndex ? AVDISCARD_DEFAULT : AVDISCARD_ALL;
        return true;
    }

    QSize DisplaySize() const
    {
        const AVRational aspect = m_stream->codecpar->sample_aspect_ratio;
        int width = m_stream->codecpar->width;
        if (aspect.num > 0 && aspect.den > 0 && aspect.num != aspect.den)
            width = int(av_rescale(width, aspect.num, aspect.den));
        return { width, m_stream->codecpar->height };
    }

    int64_t DurationUs() const
    {
        const int64_t duration = StreamDuration(*m_input, *m_stream);
        return duration > 0 ? av_rescale_q(duration, m_stream->time_base, AVRational { 1, 1000000 }) : 0;
    }

    // Positions the decoder so that the next frames lead to the sequence time.
    void Start(const ItemMediaRange& range, int64_t sequenceUs)
    {
        m_range = range;
        const int64_t fromIn = std::max<int64_t>(sequenceUs - range.inUs, 0);
        const int64_t laps = range.loop ? fromIn / range.SpanUs() : 0;
        m_lapStartUs = range.inUs + laps * (range.loop ? range.SpanUs() : 0);
        SeekMedia(range.MediaOf(sequenceUs));
    }

    // The next frames in sequence order (usually one). False at the end of a range that does
    // not loop. Gives nothing (and true) after a while of skipping towards a target, so that the
    // thread can look for a new request in between.
    bool DecodeMore(std::vector<VideoFramePtr>& out, QSize displaySize)
    {
        constexpr int kFramesPerCall = 64;
        for (int attempts = 0; attempts < kFramesPerCall; ++attempts) {
            FramePtr frame = NextFrame();
            if (!frame) {
                // Nothing decodes after the seek: it landed on frames that do not decode.
                if (m_firstAfterSeek && FallBack())
                    continue;
                // The end of the file: the frame held back for the target is the last one.
                if (m_candidate) {
                    out.push_back(Wrap(std::move(m_candidate), displaySize));
                    return true;
                }
                if (!NextLap())
                    return false;
                continue;
            }
            const int64_t mediaUs = MediaUsOf(*frame);
            if (m_firstAfterSeek) {
                m_firstAfterSeek = false;
                // The seek landed after the target: an index that is not exact.
                if (mediaUs > m_seekTargetUs && FallBack())
                    continue;
            }
            if (m_range.outUs > m_range.inUs && mediaUs >= m_range.outUs) {
                if (m_candidate) {
                    out.push_back(Wrap(std::move(m_candidate), displaySize));
                    return true;
                }
                if (!NextLap())
                    return false;
                continue;
            }
            if (mediaUs < m_skipBeforeUs) {
                // Before the time sought: kept only as long as no later frame still precedes it.
                m_candidate = std::move(frame);
                continue;
            }
            if (m_candidate && mediaUs > m_skipBeforeUs)
                out.push_back(Wrap(std::move(m_candidate), displaySize));
            m_candidate.reset();
            m_skipBeforeUs = INT64_MIN;
            out.push_back(Wrap(std::move(frame), displaySize));
            return true;
        }
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

    bool NextLap()
    {
        if (!m_range.loop)
            return false;
        m_lapStartUs += m_range.SpanUs();
        SeekMedia(m_range.inUs);
        return true;
    }

    // Makes the decoder's next frames lead to the media time.
    void SeekMedia(int64_t mediaUs)
    {
        m_seekTargetUs = mediaUs;
        m_seekFromUs = mediaUs;
        m_fallBackUs = 1'000'000;
        SeekFrom(mediaUs);
        m_skipBeforeUs = mediaUs;
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
            if (m_packet->stream_index == m_streamIndex)
                avcodec_send_packet(m_codec, m_packet);
            av_packet_unref(m_packet);
        }
        return nullptr;
    }

    VideoFramePtr Wrap(FramePtr decoded, QSize displaySize)
    {
        auto frame = std::make_shared<CVideoFrame>();
        frame->mediaUs = MediaUsOf(*decoded);
        frame->sequenceUs = m_lapStartUs + (frame->mediaUs - m_range.inUs);
        frame->width = displaySize.width();
        frame->height = displaySize.height();
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

    FormatContextPtr m_input;
    AVStream* m_stream = nullptr;
    int m_streamIndex = -1;
    AVCodecContext* m_codec = nullptr;
    AVPacket* m_packet = nullptr;
    SwsContext* m_scaler = nullptr;
    int64_t m_startTime = 0;
    ItemMediaRange m_range;
    int64_t m_lapStartUs = 0;
    int64_t m_skipBeforeUs = INT64_MIN;
    FramePtr m_candidate;
    // The last seek: its target, where it was made from, how much further back the next try
    // goes, and whether a frame came since.
    int64_t m_seekTargetUs = 0;
    int64_t m_seekFromUs = 0;
    int64_t m_fallBackUs = 0;
    bool m_firstAfterSeek = false;
    bool m_draining = false;
    bool m_endOfFile = false;
};

CMovieStream::CMovieStream(QString path)
    : m_path(std::move(path))
    , m_thread([this](std::stop_token stop) { Run(stop); })
{
}

CMovieStream::~CMovieStream()
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
    const VideoFramePtr& earliest = m_shown ? m_shown : (m_queue.empty() ? m_shown : m_queue.front());
    const VideoFramePtr& latest = m_queue.empty() ? m_shown : m_queue.back();
    if (!earliest) {
        // Nothing decoded yet: the thread is on its way to the last target. Going back before
        // it, or far beyond it, needs a new start.
        return sequenceUs < m_targetUs || sequenceUs > m_targetUs + kForwardDecodeUs;
    }
    // Back before the frames held (a frame that begins after an earlier request is only the
    // first the movie has there), or far beyond them.
    if (sequenceUs < earliest->sequenceUs && sequenceUs < m_targetUs)
        return true;
    return !m_endOfRange && sequenceUs > latest->sequenceUs + kForwardDecodeUs;
}

void CMovieStream::Request(int64_t sequenceUs)
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
    CMovieDecodeState decoder;
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
    while (!stop.stop_requested()) {
        QSize displaySize;
        bool restart = false;
        ItemMediaRange range;
        int64_t targetUs = 0;
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
                targetUs = m_targetUs;
            }
            displaySize = m_displaySize;
        }
        // Seeking reads the file: never while the drawing side may wait for the lock.
        if (restart)
            decoder.Start(range, targetUs);
        decoded.clear();
        const bool more = decoder.DecodeMore(decoded, displaySize);
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
