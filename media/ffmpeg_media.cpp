#include "media/media_api.h"
#include "media/media_input.h"
#include "media/movie_decoder.h"

extern "C" {
#include <libavutil/log.h>
}

// The media support through FFmpeg: movies are decoded by CMovieDecoder, sound files are only
// measured.

namespace {

class CFfmpegMediaSupport final : public CMediaSupport {
public:
    // Keeps FFmpeg's warnings about damaged files off the console.
    CFfmpegMediaSupport() { av_log_set_level(AV_LOG_ERROR); }

    EMediaOpenResult OpenMovie(const QString& path, std::unique_ptr<CMediaMovie>& movie) const override
    {
        movie.reset();
        FormatContextPtr input = OpenMediaInput(path);
        if (!input)
            return EMediaOpenResult::Unreadable;
        std::unique_ptr<CMovieDecoder> decoder = CMovieDecoder::Open(std::move(input));
        if (!decoder)
            return EMediaOpenResult::NoStream;
        movie = std::move(decoder);
        return EMediaOpenResult::Opened;
    }

    EMediaOpenResult ReadSound(const QString& path, tagMEDIA_SOUND_FACTS& facts) const override
    {
        facts = {};
        const FormatContextPtr input = OpenMediaInput(path);
        if (!input)
            return EMediaOpenResult::Unreadable;
        const int streamIndex = FirstStreamOfType(*input, AVMEDIA_TYPE_AUDIO);
        if (streamIndex < 0)
            return EMediaOpenResult::NoStream;
        const AVStream& stream = *input->streams[streamIndex];
        facts.timeScale = StreamTimeScale(stream);
        facts.duration = StreamDuration(*input, stream);
        facts.sampleCount = StreamSampleCount(stream);
        return EMediaOpenResult::Opened;
    }
};

} // namespace

extern "C" __attribute__((visibility("default"))) const KaleidraMediaApi* kaleidra_media_api(void)
{
    static const CFfmpegMediaSupport support;
    static const KaleidraMediaApi api = { KALEIDRA_MEDIA_API_VERSION, &support };
    return &api;
}
