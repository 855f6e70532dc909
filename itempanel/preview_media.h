#pragma once

#include <QImage>
#include <QSize>
#include <QString>
#include <cstdint>
#include <memory>

// The media access of the properties page: one movie open at a time for the preview, and the
// length of sound files. Times are milliseconds.
class CPreviewMedia {
public:
    virtual ~CPreviewMedia() = default;

    // Closes a movie open before. False when the file cannot be opened as a movie.
    virtual bool OpenMovie(const QString& path) = 0;
    virtual void CloseMovie() = 0;
    virtual bool IsMovieOpen() const = 0;
    // The frame size of the open movie.
    virtual QSize MovieSize() const = 0;
    virtual int32_t MovieDuration() const = 0;
    // The frame shown at the time, or a null image when none can be rendered.
    virtual QImage GetFrameBitmap(int32_t timeMs) = 0;
    virtual bool GetSoundLength(const QString& path, int32_t& lengthMs) = 0;
};

// The media access of the program (CQuickTimeMedia), with the message catalogue's failure
// texts 119, 120 and 121.
std::unique_ptr<CPreviewMedia> MakeProgramPreviewMedia();
