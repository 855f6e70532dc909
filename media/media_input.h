#pragma once

extern "C" {
#include <libavformat/avformat.h>
}

#include <QString>
#include <memory>

// An opened media file with its stream facts read; closed when the pointer goes.
struct CFormatContextCloser {
    void operator()(AVFormatContext* context) const { avformat_close_input(&context); }
};
using FormatContextPtr = std::unique_ptr<AVFormatContext, CFormatContextCloser>;

// Opens a local regular file for reading only: the name is never taken as a URL or protocol, a
// pipe or a device is refused, and a movie may not make the reader open any other file or
// address.
FormatContextPtr OpenMediaInput(const QString& path);

// The first stream of the kind (cover pictures do not count as video); -1 when there is none.
int FirstStreamOfType(const AVFormatContext& context, AVMediaType type);

// The stream's length in its own time base: its own duration, else the container's.
int64_t StreamDuration(const AVFormatContext& context, const AVStream& stream);

// Units per second of the stream's time base.
double StreamTimeScale(const AVStream& stream);

// The number of samples (frames or sound packets) the container lists for the stream; 0 when
// it does not say.
int64_t StreamSampleCount(const AVStream& stream);

// The clockwise quarter turns (0..3) the stream's stored display matrix asks for, as phones
// store portrait clips; 0 without one.
int StreamQuarterTurns(const AVStream& stream);
