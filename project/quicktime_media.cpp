#include "project/quicktime_media.h"

#include "core/message_box.h"
#include "media/media_api.h"
#include "media/media_library.h"
#include "platform/dialog_service.h"
#include "platform/paths.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

int32_t ClampToInt32(double value)
{
    if (!std::isfinite(value))
        return 0;
    return static_cast<int32_t>(std::clamp<double>(
        std::trunc(value), std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

int32_t ClampCount(int64_t count)
{
    return static_cast<int32_t>(std::clamp<int64_t>(count, 0, std::numeric_limits<int32_t>::max()));
}

} // namespace

CQuickTimeMedia::CQuickTimeMedia()
    : CQuickTimeMedia(QStringLiteral("QuickTimeの初期化に失敗しました。"),
        QStringLiteral("動画のオープンに失敗しました。"),
        QStringLiteral("サウンドファイルのオープンに失敗しました。"))
{
}

CQuickTimeMedia::CQuickTimeMedia(
    QString startFailedText, QString movieOpenFailedText, QString soundOpenFailedText)
    : m_startFailedText(std::move(startFailedText))
    , m_movieOpenFailedText(std::move(movieOpenFailedText))
    , m_soundOpenFailedText(std::move(soundOpenFailedText))
{
}

CQuickTimeMedia::~CQuickTimeMedia() = default;

bool CQuickTimeMedia::Initialize()
{
    return true;
}

void CQuickTimeMedia::ShowFailure(const QString& text, const char* call) const
{
    KaleidraMessageBox(QStringLiteral("%1 %2").arg(text, QLatin1String(call)), platform::MB_OK);
}

int64_t CQuickTimeMedia::MovieTimeOf(int32_t timeMs, double timeScale, uint32_t frameStep)
{
    // A step of -1 read unsigned (a movie whose second sample time could not be read) keeps the
    // formula of the thousandths of a frame: every realistic time maps to the first frame.
    if (frameStep == std::numeric_limits<uint32_t>::max()) {
        const double step = frameStep;
        return static_cast<int64_t>(std::trunc(std::trunc(timeScale / step * timeMs) * (step * 0.001)));
    }
    // Where the step divides the time scale evenly, the formula trunc(trunc(scale / step * t) *
    // (step * 0.001)) is exactly t * scale / 1000. Where it does not (variable frame rates,
    // whose step is an average), the formula falls up to a thousandth of a frame short, and at
    // the exact start of a frame shows the frame before: the time is mapped exactly instead, in
    // integers where the time scale is whole.
    if (timeScale == std::trunc(timeScale) && std::abs(timeScale) < 9.0e15) {
        const __int128 units = static_cast<__int128>(timeMs) * static_cast<int64_t>(timeScale);
        return static_cast<int64_t>(units / 1000);
    }
    return static_cast<int64_t>(std::trunc(static_cast<long double>(timeScale) * timeMs / 1000.0L));
}

bool CQuickTimeMedia::OpenMovie(const QString& path)
{
    CloseMovie();
    const CMediaSupport* support = CMediaLibrary::Shared().Support();
    std::unique_ptr<CMediaMovie> movie;
    const EMediaOpenResult opened = support ? support->OpenMovie(path, movie) : EMediaOpenResult::Unreadable;
    if (opened == EMediaOpenResult::Unreadable) {
        ShowFailure(m_movieOpenFailedText, "OpenMovieFile");
        return false;
    }
    if (opened != EMediaOpenResult::Opened || !movie)
        return false;
    // The box is kept in 16-bit fields; a larger picture cannot be shown.
    if (movie->DisplayWidth() > std::numeric_limits<int16_t>::max()
        || movie->DisplayHeight() > std::numeric_limits<int16_t>::max())
        return false;

    m_movieBox = { 0, 0, int16_t(movie->DisplayHeight()), int16_t(movie->DisplayWidth()) };
    m_movieTimeScale = movie->TimeScale();
    m_frameStep = static_cast<uint32_t>(
        std::clamp<int64_t>(movie->FrameStep(), 0, std::numeric_limits<uint32_t>::max()));
    m_frameCount = ClampCount(movie->FrameCount());
    const float seconds = m_movieTimeScale > 0 ? float(movie->Duration()) / float(m_movieTimeScale) : 0.0f;
    m_movieDuration = ClampToInt32(double(seconds) * 1000.0);
    m_movie = std::move(movie);
    m_movieOpen = true;
    return true;
}

bool CQuickTimeMedia::CloseMovie()
{
    if (!m_movieOpen)
        return false;
    m_movie.reset();
    m_movieOpen = false;
    m_movieBox = {};
    return true;
}

QImage CQuickTimeMedia::GetFrameBitmap(int32_t timeMs)
{
    if (!m_movieOpen)
        return {};
    return m_movie->FrameAt(MovieTimeOf(timeMs, m_movieTimeScale, m_frameStep));
}

void CQuickTimeMedia::CloseSound()
{
    m_soundOpen = false;
}

bool CQuickTimeMedia::OpenSound(const QString& path)
{
    CloseSound();
    const CMediaSupport* support = CMediaLibrary::Shared().Support();
    tagMEDIA_SOUND_FACTS sound;
    const EMediaOpenResult opened = support ? support->ReadSound(path, sound) : EMediaOpenResult::Unreadable;
    if (opened == EMediaOpenResult::Unreadable) {
        ShowFailure(m_soundOpenFailedText, "OpenMovieFile");
        return false;
    }
    if (opened != EMediaOpenResult::Opened)
        return false;
    const float scale = float(sound.timeScale);
    const float seconds = scale > 0 ? float(sound.duration) / scale : 0.0f;
    m_soundDuration = ClampToInt32(seconds * 1000.0f);
    m_soundSampleCount = ClampCount(sound.sampleCount);
    m_soundOpen = true;
    return true;
}

bool CQuickTimeMedia::GetSoundLength(const QString& path, int32_t& lengthMs)
{
    lengthMs = 0;
    if (!platform::IsRegularFile(path) || !OpenSound(path))
        return false;
    lengthMs = m_soundDuration;
    CloseSound();
    return true;
}
