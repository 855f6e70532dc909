#include "itempanel/preview_media.h"

#include "core/dialog_services.h"
#include "core/message_catalog.h"
#include "project/quicktime_media.h"

namespace {

class CQuickTimePreviewMedia final : public CPreviewMedia {
public:
    CQuickTimePreviewMedia()
        : m_media(dialog_services::Messages().GetMessage(119),
            dialog_services::Messages().GetMessage(120),
            dialog_services::Messages().GetMessage(121))
    {
        m_media.Initialize();
    }

    bool OpenMovie(const QString& path) override { return m_media.OpenMovie(path); }
    void CloseMovie() override { m_media.CloseMovie(); }
    bool IsMovieOpen() const override { return m_media.IsMovieOpen(); }
    QSize MovieSize() const override
    {
        const CQuickTimeMedia::tagMOVIE_BOX& box = m_media.MovieBox();
        return QSize(box.right - box.left, box.bottom - box.top);
    }
    int32_t MovieDuration() const override { return m_media.MovieDuration(); }
    QImage GetFrameBitmap(int32_t timeMs) override { return m_media.GetFrameBitmap(timeMs); }
    bool GetSoundLength(const QString& path, int32_t& lengthMs) override
    {
        return m_media.GetSoundLength(path, lengthMs);
    }

private:
    CQuickTimeMedia m_media;
};

} // namespace

std::unique_ptr<CPreviewMedia> MakeProgramPreviewMedia()
{
    return std::make_unique<CQuickTimePreviewMedia>();
}
