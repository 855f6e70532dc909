#pragma once

#include <QImage>
#include <QString>
#include <cstdint>
#include <memory>

class CMediaMovie;

// Opens movie and sound files, tells their length in milliseconds and renders single movie
// frames for thumbnails and previews. Owned by the view, the timeline and the properties page.
// Only reads: nothing is ever written to a media file. The files are read through the media
// support library, loaded at the first open; without it every open fails as for a file that
// cannot be read.
//
// Times: durations and frame times are milliseconds; the movie's time scale (units per second)
// and frame step are those of its first video stream's time base, and a frame time t is taken
// to the movie time t * scale / 1000, truncated: where the step divides the scale evenly that
// is trunc(trunc(scale / step * t) * (step * 0.001)), the time to the thousandth of a frame.
class CQuickTimeMedia {
public:
    // The movie's frame rectangle: the frames are `right` wide and `bottom` high.
    struct tagMOVIE_BOX {
        int16_t top = 0;
        int16_t left = 0;
        int16_t bottom = 0;
        int16_t right = 0;
    };

    // The three failure texts: start, movie open, sound open (the properties page hands in
    // its message catalogue's texts).
    CQuickTimeMedia();
    CQuickTimeMedia(QString startFailedText, QString movieOpenFailedText, QString soundOpenFailedText);
    ~CQuickTimeMedia();
    CQuickTimeMedia(const CQuickTimeMedia&) = delete;
    CQuickTimeMedia& operator=(const CQuickTimeMedia&) = delete;

    // Every owner calls it once. The media support library is not loaded here, so that an
    // owner made at the program's start does not slow it: it is loaded by the first open.
    bool Initialize();

    // Opens the first video stream of the file (closing a movie open before). A file that
    // cannot be read shows the movie-open box; a file without video fails silently.
    bool OpenMovie(const QString& path);
    // False when no movie was open.
    bool CloseMovie();

    // The frame shown at the time (milliseconds) as a new ARGB32 image of the box's size; a
    // null image when no movie is open or no frame can be decoded. A time after the frame
    // rendered last decodes forward from it, so stepping through a movie stays cheap.
    QImage GetFrameBitmap(int32_t timeMs);

    // Opens the first sound stream of the file and reads its length and sample count (closing a
    // sound open before). A file that cannot be read shows the sound-open box; a file without
    // sound fails silently.
    bool OpenSound(const QString& path);
    // The sound's length; false with 0 when the file is missing (no box) or has no sound.
    // Leaves no sound open.
    bool GetSoundLength(const QString& path, int32_t& lengthMs);

    bool IsMovieOpen() const { return m_movieOpen; }
    const tagMOVIE_BOX& MovieBox() const { return m_movieBox; }
    int32_t MovieDuration() const { return m_movieDuration; }
    int32_t FrameCount() const { return m_frameCount; }
    // The length of one frame in the movie's time scale.
    uint32_t FrameStep() const { return m_frameStep; }
    double MovieTimeScale() const { return m_movieTimeScale; }

    bool IsSoundOpen() const { return m_soundOpen; }
    int32_t SoundDuration() const { return m_soundDuration; }
    int32_t SoundSampleCount() const { return m_soundSampleCount; }

    // Movie time (time scale units) of a frame time in milliseconds.
    static int64_t MovieTimeOf(int32_t timeMs, double timeScale, uint32_t frameStep);

private:
    void ShowFailure(const QString& text, const char* call) const;
    void CloseSound();

    std::unique_ptr<CMediaMovie> m_movie;
    tagMOVIE_BOX m_movieBox;
    int32_t m_frameCount = 0;
    uint32_t m_frameStep = 0;
    double m_movieTimeScale = 0.0;
    int32_t m_movieDuration = 0;
    bool m_movieOpen = false;

    int32_t m_soundSampleCount = 0;
    int32_t m_soundDuration = 0;
    bool m_soundOpen = false;

    QString m_startFailedText;
    QString m_movieOpenFailedText;
    QString m_soundOpenFailedText;
};
