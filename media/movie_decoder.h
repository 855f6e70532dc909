#pragma once

#include "media/media_api.h"
#include "media/media_input.h"

#include <QImage>
#include <QString>
#include <cstdint>
#include <memory>

struct AVCodecContext;
struct AVFrame;
struct AVPacket;
struct SwsContext;

// The first video stream of a movie file, decoded on demand. Asking for a time after the frame
// shown last decodes forward from there; asking for an earlier time, or for one beyond the next
// key frame, seeks. Times are in the stream's time base, counted from the stream's start.
class CMovieDecoder final : public CMediaMovie {
public:
    // Takes over an opened file; nothing when it has no video stream or no decoder for it.
    static std::unique_ptr<CMovieDecoder> Open(FormatContextPtr input);
    ~CMovieDecoder() override;
    CMovieDecoder(const CMovieDecoder&) = delete;
    CMovieDecoder& operator=(const CMovieDecoder&) = delete;

    int DisplayWidth() const override { return m_quarterTurns % 2 ? m_pictureHeight : m_pictureWidth; }
    int DisplayHeight() const override { return m_quarterTurns % 2 ? m_pictureWidth : m_pictureHeight; }
    double TimeScale() const override;
    int64_t Duration() const override;
    int64_t FrameStep() const override;
    // The container's own count, the index's where it lists every frame, else the length times
    // the average rate; with neither, the frames are counted, which reads the whole file once.
    int64_t FrameCount() override;

    // The last frame starting at or before the time; the first frame for earlier times, the
    // last one for later times.
    QImage FrameAt(int64_t time) override;

    int64_t SeekCount() const override { return m_seekCount; }

private:
    CMovieDecoder() = default;
    bool Seek(int64_t target);
    // Forgets the decoder's frames after the reader was repositioned.
    void ResetDecoding();
    // Seeks and decodes forward to the target, falling back to earlier key frames where the
    // seek lands after it or the frame it reaches was decoded without its references.
    void SeekTo(int64_t target);
    // Seeks to the stream's first frame and decodes forward to the target; reads the file again
    // from its first byte where the seek by time lands later than the first frame.
    bool SeekToStart(int64_t target);
    // True when the frame shown starts at or before the time and was built from a key frame
    // decoded since the last seek.
    bool ShowsFrameFor(int64_t time) const;
    // The frame count the stream's length and average rate give; 0 when either is unknown.
    int64_t FrameCountFromRate() const;
    // Decodes forward until the frame shown is the last one starting at or before the target.
    void DecodeTo(int64_t target);
    bool NeedsSeek(int64_t target) const;
    // Decodes the next frame into m_ahead; false at the end of the stream or on an error.
    bool DecodeNext();
    int64_t PresentationTime(const AVFrame& frame) const;
    QImage Convert(const AVFrame& frame);

    struct CFrameDeleter {
        void operator()(AVFrame* frame) const;
    };
    struct CCodecDeleter {
        void operator()(AVCodecContext* context) const;
    };
    struct CPacketDeleter {
        void operator()(AVPacket* packet) const;
    };
    using FramePtr = std::unique_ptr<AVFrame, CFrameDeleter>;

    FormatContextPtr m_input;
    std::unique_ptr<AVCodecContext, CCodecDeleter> m_codec;
    std::unique_ptr<AVPacket, CPacketDeleter> m_packet;
    SwsContext* m_scaler = nullptr;
    int m_streamIndex = -1;
    int64_t m_startTime = 0;
    // The decoded picture's size with the pixel aspect applied, before the rotation.
    int m_pictureWidth = 0;
    int m_pictureHeight = 0;
    // Clockwise quarter turns that show the picture upright (a portrait phone clip: 1).
    int m_quarterTurns = 0;

    // The frame shown last and the frame decoded after it, each with its time (absolute).
    FramePtr m_shown;
    FramePtr m_ahead;
    int64_t m_shownTime = 0;
    int64_t m_aheadTime = 0;
    bool m_hasShown = false;
    bool m_hasAhead = false;
    // Whether a key frame the decoder did not flag as damaged came out since the last seek, and
    // whether the frames shown and ahead came at or after it. Frames before it may be built on
    // references the decoder never saw.
    bool m_keyFrameSinceSeek = false;
    bool m_shownIntact = false;
    bool m_aheadIntact = false;
    bool m_endOfStream = false;
    bool m_draining = false;
    int64_t m_seekCount = 0;
};
