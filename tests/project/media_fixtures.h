#pragma once

#include <QString>
#include <QStringList>

// Small media files made for the tests in a temporary folder.
namespace media_fixtures {

// Runs the ffmpeg command with the arguments (quiet, overwriting); false when it fails or does
// not end within a minute.
bool RunFfmpeg(const QStringList& arguments);

// A movie of `frames` frames at `rate` frames a second ("30", "30000/1001") whose frame n is an even grey of
// luma 16 + 3n, so that a pixel tells which frame was shown. `codecArguments` pick the codec and time base.
bool MakeGreyRampMovie(
    const QString& path, const QString& rate, int frames, const QStringList& codecArguments);

// Luma 16 + 3n as the grey (0..255) an RGB picture shows for frame n.
int GreyOfFrame(int frame);

// A 16-bit mono PCM wave file of exactly `samples` samples at `rate` samples per second.
bool MakePcmWav(const QString& path, int rate, int samples);

} // namespace media_fixtures
