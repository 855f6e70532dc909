#include "media/media_input.h"

#include "platform/paths.h"

extern "C" {
#include <libavutil/dict.h>
#include <libavutil/display.h>
}

#include <QFile>
#include <cmath>
#include <cstring>

namespace {

using IoOpen = decltype(AVFormatContext::io_open);

// The library's own way of opening a resource, as a fresh context carries it.
IoOpen LibraryIoOpen()
{
    static const IoOpen open = [] {
        AVFormatContext* context = avformat_alloc_context();
        const IoOpen own = context ? context->io_open : nullptr;
        avformat_free_context(context);
        return own;
    }();
    return open;
}

// Opens the file the context was opened with and nothing else: a playlist or a concatenation
// list must not make the reader open further local files.
int OpenOnlyTheNamedFile(
    AVFormatContext* context, AVIOContext** io, const char* url, int flags, AVDictionary** options)
{
    const IoOpen open = LibraryIoOpen();
    if (!open || !context->url || std::strcmp(url, context->url) != 0)
        return AVERROR(EPERM);
    return open(context, io, url, flags, options);
}

} // namespace

FormatContextPtr OpenMediaInput(const QString& path)
{
    // Only a regular file (or a link to one): the reader would wait for good on a pipe or a
    // device.
    if (path.isEmpty() || !platform::IsRegularFile(path))
        return nullptr;
    AVFormatContext* context = avformat_alloc_context();
    if (!context)
        return nullptr;
    context->io_open = OpenOnlyTheNamedFile;
    AVDictionary* options = nullptr;
    av_dict_set(&options, "protocol_whitelist", "file", 0);
    const auto url = QByteArrayLiteral("file:") + QFile::encodeName(path);
    // On failure the library frees the context.
    const int opened = avformat_open_input(&context, url.constData(), nullptr, &options);
    av_dict_free(&options);
    if (opened < 0)
        return nullptr;
    FormatContextPtr input(context);
    if (avformat_find_stream_info(context, nullptr) < 0)
        return nullptr;
    return input;
}

int FirstStreamOfType(const AVFormatContext& context, AVMediaType type)
{
    for (unsigned i = 0; i < context.nb_streams; ++i) {
        const auto* stream = context.streams[i];
        if (stream->codecpar->codec_type != type)
            continue;
        if (type == AVMEDIA_TYPE_VIDEO && (stream->disposition & AV_DISPOSITION_ATTACHED_PIC))
            continue;
        return static_cast<int>(i);
    }
    return -1;
}

int64_t StreamDuration(const AVFormatContext& context, const AVStream& stream)
{
    if (stream.duration != AV_NOPTS_VALUE && stream.duration > 0)
        return stream.duration;
    if (context.duration != AV_NOPTS_VALUE && context.duration > 0)
        return av_rescale_q(context.duration, AV_TIME_BASE_Q, stream.time_base);
    return 0;
}

double StreamTimeScale(const AVStream& stream)
{
    return stream.time_base.num > 0 ? double(stream.time_base.den) / stream.time_base.num : 0.0;
}

int64_t StreamSampleCount(const AVStream& stream)
{
    if (stream.nb_frames > 0)
        return stream.nb_frames;
    return avformat_index_get_entries_count(&stream);
}

int StreamQuarterTurns(const AVStream& stream)
{
    size_t size = 0;
    const uint8_t* data = av_stream_get_side_data(&stream, AV_PKT_DATA_DISPLAYMATRIX, &size);
    int32_t matrix[9];
    if (!data || size < sizeof(matrix))
        return 0;
    std::memcpy(matrix, data, sizeof(matrix));
    // The matrix gives its angle counter-clockwise.
    const double clockwise = -av_display_rotation_get(matrix);
    if (!std::isfinite(clockwise))
        return 0;
    const long turns = std::lround(clockwise / 90.0) % 4;
    return int(turns < 0 ? turns + 4 : turns);
}
