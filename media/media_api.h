#pragma once

#include <QImage>
#include <QString>
#include <cstdint>
#include <memory>

// The interface of the media support library (libkaleidra_media.so), the one place where the
// editor meets FFmpeg. The editor opens the library the first time a movie or sound is opened,
// so that FFmpeg and the many codec libraries it pulls in are not loaded at every start. The
// library is built from these sources by the same build, so C++ classes cross the line; the
// version below is raised with every change of them, and a library of another version is
// refused before any of its functions is called.

#define KALEIDRA_MEDIA_API_VERSION 1
// The name of the function the library exports.
#define KALEIDRA_MEDIA_API_ENTRY "kaleidra_media_api"

// The first video stream of a movie file, decoded on demand. Times are in the stream's time
// base, counted from the stream's start.
class CMediaMovie {
public:
    virtual ~CMediaMovie() = default;

    // Picture size with the pixel aspect and the stored rotation applied.
    virtual int DisplayWidth() const = 0;
    virtual int DisplayHeight() const = 0;
    // Units per second of the stream's time base.
    virtual double TimeScale() const = 0;
    virtual int64_t Duration() const = 0;
    // The length of one frame in the time base; 0 when the stream does not tell.
    virtual int64_t FrameStep() const = 0;
    // The number of frames; may read the whole file once when the file does not tell.
    virtual int64_t FrameCount() = 0;
    // The frame shown at the time as ARGB32 of the display size; a null image when nothing
    // could be decoded.
    virtual QImage FrameAt(int64_t time) = 0;
    // How often the reader was repositioned; consecutive frames are reached without it.
    virtual int64_t SeekCount() const = 0;
};

// The first sound stream of a file: its time base, length and sample count.
struct tagMEDIA_SOUND_FACTS {
    // Units per second of the stream's time base.
    double timeScale = 0.0;
    // The stream's length in its time base.
    int64_t duration = 0;
    // The samples (sound packets) the container lists; 0 when it does not say.
    int64_t sampleCount = 0;
};

// How an open went: the file could not be read as media at all (the caller tells the user), or
// it was read but holds no stream of the kind asked for (the caller fails silently).
enum class EMediaOpenResult { Opened, Unreadable, NoStream };

// Opens local regular files for reading only; never a URL, a pipe or a device. One object for the
// whole library, usable from any thread.
class CMediaSupport {
public:
    virtual EMediaOpenResult OpenMovie(const QString& path, std::unique_ptr<CMediaMovie>& movie) const = 0;
    virtual EMediaOpenResult ReadSound(const QString& path, tagMEDIA_SOUND_FACTS& facts) const = 0;

protected:
    // The library owns its object.
    ~CMediaSupport() = default;
};

extern "C" {

// What the library's entry gives: its version, and its media support.
struct KaleidraMediaApi {
    int version;
    const CMediaSupport* support;
};

typedef const KaleidraMediaApi* (*KaleidraMediaApiEntry)(void);

} // extern "C"
