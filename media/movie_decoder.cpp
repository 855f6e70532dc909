#include "media/movie_decoder.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/imgutils.h>
#include <libswscale/swscale.h>
}

#include <QTransform>
#include <QtGlobal>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace {

// QImage::Format_ARGB32 keeps each pixel as one 32-bit word 0xAARRGGBB.
constexpr AVPixelFormat kArgb32Layout = Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? AV_PIX_FMT_BGRA : AV_PIX_FMT_ARGB;

// Decoding threads; the editor decodes one movie at a time for previews and thumbnails.
constexpr int kDecodeThreads = 4;

// A key frame at most this many frames after the frame shown is reached by decoding forward:
// seeking restarts the decoder's threads, which costs about as much.
constexpr int kForwardDecodeFrames = 8;

// Without an index, a target further ahead than this many seconds is sought, not decoded to.
constexpr int kForwardDecodeSeconds = 2;

} // namespace

void CMovieDecoder::CFrameDeleter::operator()(AVFrame* frame) const
{
    av_frame_free(&frame);
}

void CMovieDecoder::CCodecDeleter::operator()(AVCodecContext* context) const
{
    avcodec_free_context(&context);
}

void CMovieDecoder::CPacketDeleter::operator()(AVPacket* packet) const
{
    av_packet_free(&packet);
}

std::unique_ptr<CMovieDecoder> CMovieDecoder::Open(FormatContextPtr input)
{
    if (!input)
        return nullptr;
    const int streamIndex = FirstStreamOfType(*input, AVMEDIA_TYPE_VIDEO);
    if (streamIndex < 0)
        return nullptr;
    AVStream* stream = input->streams[streamIndex];
    const AVCodec* codec = avcodec_find_decoder(stream->codecpar->codec_id);
    if (!codec)
        return nullptr;

    std::unique_ptr<CMovieDecoder> decoder(new CMovieDecoder);
    decoder->m_codec.reset(avcodec_alloc_context3(codec));
    decoder->m_packet.reset(av_packet_alloc());
    decoder->m_shown.reset(av_frame_alloc());
    decoder->m_ahead.reset(av_frame_alloc());
    if (!decoder->m_codec || !decoder->m_packet || !decoder->m_shown || !decoder->m_ahead)
        return nullptr;
    auto* context = decoder->m_codec.get();
    if (avcodec_parameters_to_context(context, stream->codecpar) < 0)
        return nullptr;
    context->thread_count = kDecodeThreads;
    context->pkt_timebase = stream->time_base;
    if (avcodec_open2(context, codec, nullptr) < 0)
        return nullptr;

    const int width = stream->codecpar->width;
    const int height = stream->codecpar->height;
    if (width <= 0 || height <= 0)
        return nullptr;
    const auto aspect = av_guess_sample_aspect_ratio(input.get(), stream, nullptr);
    decoder->m_pictureWidth = width;
    if (aspect.num > 0 && aspect.den > 0 && aspect.num != aspect.den)
        decoder->m_pictureWidth = std::max(1, int(std::lround(double(width) * aspect.num / aspect.den)));
    decoder->m_pictureHeight = height;
    decoder->m_quarterTurns = StreamQuarterTurns(*stream);
    decoder->m_streamIndex = streamIndex;
    decoder->m_startTime = stream->start_time != AV_NOPTS_VALUE ? stream->start_time : 0;
    decoder->m_input = std::move(input);
    return decoder;
}

CMovieDecoder::~CMovieDecoder()
{
    sws_freeContext(m_scaler);
}

double CMovieDecoder::TimeScale() const
{
    return StreamTimeScale(*m_input->streams[m_streamIndex]);
}

int64_t CMovieDecoder::Duration() const
{
    return StreamDuration(*m_input, *m_input->streams[m_streamIndex]);
}

int64_t CMovieDecoder::FrameStep() const
{
    const AVStream& stream = *m_input->streams[m_streamIndex];
    for (const auto rate : { stream.avg_frame_rate, stream.r_frame_rate }) {
        if (rate.num > 0 && rate.den > 0)
            return std::max<int64_t>(1, av_rescale_q(1, av_inv_q(rate), stream.time_base));
    }
    return 0;
}

int64_t CMovieDecoder::FrameCountFromRate() const
{
    const AVStream& stream = *m_input->streams[m_streamIndex];
    const int64_t duration = Duration();
    for (const auto rate : { stream.avg_frame_rate, stream.r_frame_rate }) {
        if (rate.num > 0 && rate.den > 0 && duration > 0)
            return av_rescale_q(duration, stream.time_base, av_inv_q(rate));
    }
    return 0;
}

int64_t CMovieDecoder::FrameCount()
{
    const AVStream& stream = *m_input->streams[m_streamIndex];
    if (stream.nb_frames > 0)
        return stream.nb_frames;
    // Some containers index key frames only (Matroska's cues): the index counts the frames only
    // where it lists every one, that is where it lists a frame that is no key frame, or as many
    // as the stream's length holds.
    const int entries = avformat_index_get_entries_count(&stream);
    bool onlyKeyFrames = true;
    for (int i = 0; i < entries && onlyKeyFrames; ++i)
        onlyKeyFrames = avformat_index_get_entry(const_cast<AVStream*>(&stream), i)->flags & AVINDEX_KEYFRAME;
    const int64_t estimate = FrameCountFromRate();
    if (entries > 0 && (!onlyKeyFrames || (estimate > 0 && entries >= estimate - 1)))
        return entries;
    if (estimate > 0)
        return estimate;
    // Neither a length nor an index (a stream written live): count the stream's packets. The
    // reader is left at the end, so the next frame asked for seeks.
    int64_t count = 0;
    while (av_read_frame(m_input.get(), m_packet.get()) >= 0) {
        count += m_packet->stream_index == m_streamIndex;
        av_packet_unref(m_packet.get());
    }
    m_hasShown = false;
    m_hasAhead = false;
    return count;
}

QImage CMovieDecoder::FrameAt(int64_t time)
{
    const int64_t target = m_startTime + time;
    if (NeedsSeek(target))
        SeekTo(target);
    else
        DecodeTo(target);
    return m_hasShown ? Convert(*m_shown) : QImage();
}

void CMovieDecoder::SeekTo(int64_t target)
{
    // A seek can land after the target (an index that is not exact, a container without one) or
    // on a frame that is no key frame (an index that calls frames key frames that are not): the
    // first frame then starts after the target, or none comes, or the frames up to the next key
    // frame are built on references the decoder never saw. The seek is made again from further
    // back, twice as far each time, and at last from the stream's start, whose first frame
    // shows for every earlier time.
    int64_t from = target;
    int64_t back = std::max<int64_t>(1, int64_t(TimeScale()));
    while (from > m_startTime) {
        if (!Seek(from)) {
            m_hasShown = false;
            return;
        }
        DecodeTo(target);
        if (ShowsFrameFor(target))
            return;
        from = std::min(from, target);
        from = from - m_startTime > back ? from - back : m_startTime;
        back = back < std::numeric_limits<int64_t>::max() / 2 ? back * 2 : back;
    }
    if (!SeekToStart(target))
        m_hasShown = false;
}

bool CMovieDecoder::SeekToStart(int64_t target)
{
    if (!Seek(m_startTime))
        return false;
    DecodeTo(target);
    // Without an index the seek by time is a search that can land on a later key frame (MPEG
    // transport streams with B-frames). Reading again from the first byte shows the first frame.
    if (ShowsFrameFor(std::max(target, m_startTime)) || (m_input->iformat->flags & AVFMT_NO_BYTE_SEEK))
        return true;
    ++m_seekCount;
    if (av_seek_frame(m_input.get(), m_streamIndex, 0, AVSEEK_FLAG_BYTE) < 0)
        return true;
    ResetDecoding();
    DecodeTo(target);
    return true;
}

bool CMovieDecoder::ShowsFrameFor(int64_t time) const
{
    return m_hasShown && m_shownTime <= time && m_shownIntact;
}

void CMovieDecoder::DecodeTo(int64_t target)
{
    while (true) {
        if (m_hasAhead) {
            if (m_hasShown && m_aheadTime > target)
                break;
            std::swap(m_shown, m_ahead);
            m_shownTime = m_aheadTime;
            m_shownIntact = m_aheadIntact;
            m_hasShown = true;
            m_hasAhead = false;
            continue;
        }
        if (m_endOfStream || !DecodeNext())
            break;
    }
}

bool CMovieDecoder::NeedsSeek(int64_t target) const
{
    if (!m_hasShown || target < m_shownTime)
        return true;
    if (m_endOfStream || (m_hasAhead && target < m_aheadTime))
        return false;
    // Seek only when the key frame before the target lies well after the frame shown: decoding
    // from it is shorter than decoding every frame in between.
    auto* stream = m_input->streams[m_streamIndex];
    const int keyIndex = av_index_search_timestamp(stream, target, AVSEEK_FLAG_BACKWARD);
    const auto step = FrameStep();
    if (keyIndex >= 0 && step > 0)
        return avformat_index_get_entry(stream, keyIndex)->timestamp
            > m_shownTime + kForwardDecodeFrames * step;
    return target - m_shownTime > int64_t(kForwardDecodeSeconds * TimeScale());
}

bool CMovieDecoder::Seek(int64_t target)
{
    ++m_seekCount;
    if (av_seek_frame(m_input.get(), m_streamIndex, target, AVSEEK_FLAG_BACKWARD) < 0
        && av_seek_frame(m_input.get(), m_streamIndex, m_startTime, AVSEEK_FLAG_BACKWARD | AVSEEK_FLAG_ANY)
            < 0)
        return false;
    ResetDecoding();
    return true;
}

void CMovieDecoder::ResetDecoding()
{
    avcodec_flush_buffers(m_codec.get());
    m_hasShown = false;
    m_hasAhead = false;
    m_endOfStream = false;
    m_draining = false;
    m_keyFrameSinceSeek = false;
}

bool CMovieDecoder::DecodeNext()
{
    while (true) {
        const int received = avcodec_receive_frame(m_codec.get(), m_ahead.get());
        if (received == 0) {
            const bool key = m_ahead->key_frame || m_ahead->pict_type == AV_PICTURE_TYPE_I;
            const bool damaged = (m_ahead->flags & AV_FRAME_FLAG_CORRUPT) || m_ahead->decode_error_flags;
            m_keyFrameSinceSeek = m_keyFrameSinceSeek || (key && !damaged);
            m_aheadIntact = m_keyFrameSinceSeek;
            m_aheadTime = PresentationTime(*m_ahead);
            m_hasAhead = true;
            return true;
        }
        if (received != AVERROR(EAGAIN) || m_draining) {
            m_endOfStream = true;
            return false;
        }
        // The decoder wants input: feed it the next packet of the video stream, or tell it
        // that the file has ended so that it gives out the frames it still holds.
        while (true) {
            if (av_read_frame(m_input.get(), m_packet.get()) < 0) {
                avcodec_send_packet(m_codec.get(), nullptr);
                m_draining = true;
                break;
            }
            const bool ours = m_packet->stream_index == m_streamIndex;
            // A damaged packet is dropped; the decoder goes on with the next one.
            if (ours)
                avcodec_send_packet(m_codec.get(), m_packet.get());
            av_packet_unref(m_packet.get());
            if (ours)
                break;
        }
    }
}

int64_t CMovieDecoder::PresentationTime(const AVFrame& frame) const
{
    if (frame.best_effort_timestamp != AV_NOPTS_VALUE)
        return frame.best_effort_timestamp;
    if (frame.pts != AV_NOPTS_VALUE)
        return frame.pts;
    return m_hasShown ? m_shownTime + std::max<int64_t>(1, FrameStep()) : m_startTime;
}

QImage CMovieDecoder::Convert(const AVFrame& frame)
{
    m_scaler
        = sws_getCachedContext(m_scaler, frame.width, frame.height, static_cast<AVPixelFormat>(frame.format),
            m_pictureWidth, m_pictureHeight, kArgb32Layout, SWS_BILINEAR, nullptr, nullptr, nullptr);
    if (!m_scaler)
        return {};
    QImage image(m_pictureWidth, m_pictureHeight, QImage::Format_ARGB32);
    if (image.isNull())
        return {};
    uint8_t* planes[4] = { image.bits(), nullptr, nullptr, nullptr };
    const int strides[4] = { int(image.bytesPerLine()), 0, 0, 0 };
    if (sws_scale(m_scaler, frame.data, frame.linesize, 0, frame.height, planes, strides) != m_pictureHeight)
        return {};
    if (m_quarterTurns == 0)
        return image;
    return image.transformed(QTransform().rotate(90.0 * m_quarterTurns));
}
