// The properties page: typed times, the movie preview, IN and OUT, the replay clock and the
// thumbnail capture.
#include "itempanel/propety_dlg.h"

#include "controls/gdi_button.h"
#include "controls/gdi_combo_box.h"
#include "controls/gdi_slider_ctrl.h"
#include "controls/msk_edit.h"
#include "core/dialog_services.h"
#include "core/message_box.h"
#include "core/message_catalog.h"
#include "itempanel/page_owner.h"
#include "itempanel/time_rules.h"
#include "platform/dialog_service.h"
#include "platform/number_text.h"
#include "platform/paths.h"
#include "timeline/thumbnail_writer.h"

#include <algorithm>

using namespace itempanel;

namespace {

constexpr int kMsgMovieLoadFailed = 105;

int32_t TimeIn(const CMskEdit* edit)
{
    return int32_t(std::clamp<int64_t>(edit->GetWindowTime(), INT32_MIN, INT32_MAX));
}

} // namespace

// ---- Typed start and play time -------------------------------------------------------------

void CPropetyDlg::OnStartTimeTyped()
{
    const int64_t typed = m_startEdit->GetWindowTime();
    const StartTimeCheck check = CheckTypedStartTime(typed, m_loadedStart, TimeIn(m_playEdit), SelectedKind(),
        Faces(), m_faceNo, [this](int id, unsigned type) { return Ask(id, type); });
    m_startEdit->SetWindowTime(int64_t(check.value));
    if (!check.accepted)
        return;
    const int previousLink
        = m_linkCombo->currentIndex() < 0 ? -1 : platform::WToI(m_linkCombo->currentText());
    if (m_owner)
        m_owner->OnApplyToItems(check.mirrors);
    // The item now lies at its new start: later checks, moves and thumbnails use it.
    m_loadedStart = check.value;
    m_loadedItem.Start = check.value;
    BuildLinkFaceList(m_channel, m_faceNo, m_loadedStart);
    FillLinkFaceCombo();
    for (int i = 0; i < m_linkCombo->count(); ++i) {
        if (platform::WToI(m_linkCombo->itemText(i)) == previousLink) {
            m_linkCombo->setCurrentIndex(i);
            break;
        }
    }
}

void CPropetyDlg::OnPlayTimeTyped()
{
    const PlayTimeCheck check = CheckTypedPlayTime(m_playEdit->GetWindowTime(), m_acceptedPlayTime, Faces(),
        m_faceNo, m_loadedStart, [this](int id, unsigned type) { return Ask(id, type); });
    SetPlayTime(check.value);
    if (check.report)
        Notify(&CItemPageOwner::OnPropertyChanged);
}

// ---- The movie preview ----------------------------------------------------------------------

bool CPropetyDlg::OpenMoviePreview(const QString& path, int32_t inTime, int32_t outTime)
{
    if (!m_media)
        return false;
    m_media->CloseMovie();
    if (path.isEmpty() || !platform::IsRegularFile(path))
        return false;
    if (!m_media->OpenMovie(path)) {
        KaleidraMessageBox(
            dialog_services::Messages().GetMessage(kMsgMovieLoadFailed) + path, platform::MB_OK);
        return false;
    }
    const QSize size = m_media->MovieSize();
    m_xEdit->setText(QStringLiteral("0"));
    m_yEdit->setText(QStringLiteral("0"));
    m_wEdit->setText(QString::number(size.width()));
    m_hEdit->setText(QString::number(size.height()));
    SetPositionLimits(size.width(), size.height());
    const int32_t length = m_media->MovieDuration() / 10;
    for (CMskEdit* edit : { m_previewTimeEdit, m_inEdit, m_outEdit })
        edit->SetTimeMax(length);
    SetPlayTime(ShortenToNextItem(Faces(), m_faceNo, m_loadedStart, length));
    m_inEdit->SetWindowTime(int64_t(inTime));
    m_outEdit->SetWindowTime(int64_t(outTime >= 1 ? outTime : length));
    m_inOutBar->Slider()->setRange(0, length);
    m_inOutBar->SetInOut(inTime, TimeIn(m_outEdit));
    ShowFrame(inTime);
    return true;
}

bool CPropetyDlg::ChooseMovieFile(const QString& path)
{
    if (!OpenMoviePreview(path, 0, 0))
        return false;
    m_preview->ResetSelection();
    const int32_t halfMs = m_media->MovieDuration() / 2;
    const QImage frame = m_media->GetFrameBitmap(halfMs);
    ThumbnailWriter().WriteBitmap(frame, ThumbnailFile());
    Notify(&CItemPageOwner::OnPreviewChanged);
    m_thumbnailTime = halfMs / 10;
    return true;
}

void CPropetyDlg::ShowFrame(int32_t time)
{
    if (!m_media || !m_media->IsMovieOpen())
        return;
    // A time without a frame leaves the picture shown before.
    const QImage frame = m_media->GetFrameBitmap(time * 10);
    if (!frame.isNull())
        m_preview->SetImage(frame);
}

void CPropetyDlg::OnInOutSliderPos(int position)
{
    if (m_modeCombo->currentIndex() < 0 || !m_media || !m_media->IsMovieOpen())
        return;
    SetPreviewTime(position);
    m_previewTimeEdit->repaint();
    ShowFrame(position);
}

void CPropetyDlg::OnPreviewTimeTyped()
{
    const PreviewTimeCheck check = CheckTypedPreviewTime(m_previewTimeEdit->GetWindowTime(),
        m_previewTimeEdit->GetTimeMax(), [this](int id, unsigned type) { return Ask(id, type); });
    SetPreviewTime(check.value);
    if (!check.accepted)
        return;
    m_inOutBar->Slider()->setValue(check.value);
    ShowFrame(check.value);
}

// ---- IN and OUT -----------------------------------------------------------------------------

void CPropetyDlg::OnInOutTyped(bool focusInOut)
{
    const InOutCheck check
        = CheckTypedInOut(m_inEdit->GetWindowTime(), m_outEdit->GetWindowTime(), m_inEdit->GetTimeMax(),
            m_outEdit->GetTimeMax(), focusInOut, [this](int id, unsigned type) { return Ask(id, type); });
    m_inEdit->SetWindowTime(int64_t(check.inTime));
    m_outEdit->SetWindowTime(int64_t(check.outTime));
    if (check.report)
        AcceptInOut(check.inTime, check.outTime);
}

void CPropetyDlg::AcceptInOut(int32_t inTime, int32_t outTime)
{
    m_inEdit->SetWindowTime(int64_t(inTime));
    m_outEdit->SetWindowTime(int64_t(outTime));
    m_inOutBar->SetInOut(inTime, outTime);
    Notify(&CItemPageOwner::OnPropertyChanged);
}

void CPropetyDlg::OnSetIn()
{
    const int32_t preview = TimeIn(m_previewTimeEdit);
    const int32_t outTime = TimeIn(m_outEdit);
    if (preview <= outTime)
        AcceptInOut(preview, outTime);
}

void CPropetyDlg::OnSetOut()
{
    const int32_t preview = TimeIn(m_previewTimeEdit);
    const int32_t inTime = TimeIn(m_inEdit);
    if (preview >= inTime)
        AcceptInOut(inTime, preview);
}

void CPropetyDlg::OnSpin(int id)
{
    // A step of the spin buttons is an IN/OUT edit like a typed one: kept in order, within the
    // movie, shown on the bar and reported.
    int32_t inTime = TimeIn(m_inEdit);
    int32_t outTime = TimeIn(m_outEdit);
    switch (id) {
    case IDC_IN_UP:
        inTime = SpinInUp(inTime, outTime);
        break;
    case IDC_IN_DOWN:
        inTime = SpinInDown(inTime);
        break;
    case IDC_OUT_UP:
        outTime = SpinOutUp(outTime, m_outEdit->GetTimeMax());
        break;
    case IDC_OUT_DOWN:
        outTime = SpinOutDown(inTime, outTime);
        break;
    default:
        return;
    }
    const InOutCheck check = CheckTypedInOut(inTime, outTime, m_inEdit->GetTimeMax(), m_outEdit->GetTimeMax(),
        id == IDC_OUT_UP || id == IDC_OUT_DOWN,
        [this](int message, unsigned type) { return Ask(message, type); });
    m_inEdit->SetWindowTime(int64_t(check.inTime));
    m_outEdit->SetWindowTime(int64_t(check.outTime));
    if (check.report)
        AcceptInOut(check.inTime, check.outTime);
}

// ---- Replay -----------------------------------------------------------------------------------

void CPropetyDlg::SetReplayImages(bool playing)
{
    const CSkinIni& skin = dialog_services::Skin();
    const auto image
        = [&](int state) { return playing ? skin.GetBtnStopImage(state) : skin.GetBtnReplayImage(state); };
    m_replayButton->LoadImages(
        SkinImage(image(0)), SkinImage(image(2)), SkinImage(image(3)), SkinImage(image(1)));
    m_replayButton->update();
}

void CPropetyDlg::OnReplay()
{
    if (m_playing)
        StopReplay();
    else
        StartReplay();
}

void CPropetyDlg::StartReplay()
{
    if (m_playing)
        return;
    m_playing = true;
    m_replayStartMs = m_clock();
    m_replayStartPosition = m_inOutBar->Slider()->value();
    m_replayTimer.start();
    SetReplayImages(true);
}

void CPropetyDlg::OnReplayTimer()
{
    if (!m_playing)
        return;
    // The position follows the clock, not the number of ticks.
    const int64_t elapsedMs = std::max<int64_t>(0, m_clock() - m_replayStartMs);
    const int32_t time = int32_t(std::min<int64_t>(m_replayStartPosition + elapsedMs / 10, INT32_MAX));
    m_inOutBar->Slider()->setValue(time);
    SetPreviewTime(time);
    ShowFrame(time);
    if (time >= m_inOutBar->Slider()->maximum())
        StopReplay();
}

void CPropetyDlg::StopReplay()
{
    if (!m_playing)
        return;
    m_replayTimer.stop();
    SetPreviewTime(m_inOutBar->Slider()->value());
    m_playing = false;
    SetReplayImages(false);
}

// ---- Capture --------------------------------------------------------------------------------

void CPropetyDlg::OnCapture()
{
    const QImage picture = m_preview->m_picture;
    if (!picture.isNull()) {
        const ThumbnailWriter writer;
        writer.WriteBitmap(picture, ThumbnailFile());
        for (const Record& link : MirroringLinks(Faces(), m_faceNo, m_loadedStart))
            writer.WriteBitmap(
                picture, ThumbnailPath(ThumbnailPlace(), m_channel, link.FaceNo, m_loadedStart));
    }
    m_thumbnailTime = TimeIn(m_previewTimeEdit);
    Notify(&CItemPageOwner::OnPropertyChanged);
    Notify(&CItemPageOwner::OnPreviewChanged);
}
