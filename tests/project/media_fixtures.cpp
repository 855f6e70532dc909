#include "media_fixtures.h"

#include <QFile>
#include <QProcess>
#include <QtEndian>
#include <cmath>

namespace media_fixtures {

bool RunFfmpeg(const QStringList& arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(QStringLiteral(KALEIDRA_FFMPEG_PATH),
        QStringList { "-hide_banner", "-loglevel", "error", "-nostdin", "-y" } + arguments);
    if (!process.waitForFinished(60000)) {
        process.kill();
        process.waitForFinished();
        return false;
    }
    return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

bool MakeGreyRampMovie(
    const QString& path, const QString& rate, int frames, const QStringList& codecArguments)
{
    const auto source = QStringLiteral("color=c=black:s=64x48:r=%1,format=yuv420p,"
                                       "geq=lum='16+3*N':cb=128:cr=128")
                            .arg(rate);
    return RunFfmpeg(QStringList { "-f", "lavfi", "-i", source, "-frames:v", QString::number(frames) }
        + codecArguments + QStringList { path });
}

int GreyOfFrame(int frame)
{
    const int luma = 16 + 3 * frame;
    return int(std::lround((luma - 16) * 255.0 / 219.0));
}

bool MakePcmWav(const QString& path, int rate, int samples)
{
    QByteArray wav;
    auto put32 = [&wav](uint32_t value) {
        char bytes[4];
        qToLittleEndian(value, bytes);
        wav.append(bytes, 4);
    };
    auto put16 = [&wav](uint16_t value) {
        char bytes[2];
        qToLittleEndian(value, bytes);
        wav.append(bytes, 2);
    };
    const uint32_t dataSize = uint32_t(samples) * 2;
    wav.append("RIFF");
    put32(36 + dataSize);
    wav.append("WAVEfmt ");
    put32(16);
    put16(1); // PCM
    put16(1); // mono
    put32(uint32_t(rate));
    put32(uint32_t(rate) * 2);
    put16(2);
    put16(16);
    wav.append("data");
    put32(dataSize);
    for (int i = 0; i < samples; ++i)
        put16(uint16_t(int16_t(8000 * std::sin(i * 0.05))));
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(wav) == wav.size();
}

} // namespace media_fixtures
