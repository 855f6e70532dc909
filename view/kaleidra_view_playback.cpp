#include "view/kaleidra_view.h"

#include "controls/gdi_button.h"
#include "controls/msk_edit.h"
#include "core/message_catalog.h"
#include "core/skin_ini.h"
#include "platform/dialog_service.h"
#include "timeline/time_line.h"
#include "view/kaleidra_doc.h"

#include <QTimer>
#include <algorithm>

namespace {

enum : int { kMsgLoopNotWritten = 37 };

} // namespace

bool CKaleidraView::IsPlayClockRunning() const
{
    return m_playTimer->isActive();
}

void CKaleidraView::SetStartPauseImages(bool playing)
{
    if (!m_startPauseButton)
        return;
    const CSkinIni& skin = Skin();
    const auto path = [&](const QString& name) { return skin.ImageFilePath(name); };
    if (playing)
        m_startPauseButton->LoadImages(path(skin.GetBtnPauseImage(0)), path(skin.GetBtnPauseImage(2)),
            path(skin.GetBtnPauseImage(3)), path(skin.GetBtnPauseImage(1)));
    else
        m_startPauseButton->LoadImages(path(skin.GetBtnStartImage(0)), path(skin.GetBtnStartImage(2)),
            path(skin.GetBtnStartImage(3)), path(skin.GetBtnStartImage(1)));
    m_startPauseButton->setProperty("showsPause", playing);
    m_startPauseButton->update();
}

void CKaleidraView::OnPlayClock()
{
    if (!m_timeLine)
        return;
    int32_t time = m_channel->PlayTime();
    m_timeLine->SetPlayPositionFollow(time);
    const int32_t out = m_timeLine->OutPosition();
    if (time >= out) {
        // With LOOP on the viewer loops by itself and the clock follows it.
        if (!m_loopButton || !m_loopButton->GetCheckState()) {
            StopPlayback();
            m_timeLine->SetPlayPosition(out);
            time = out;
        }
    }
    SetNowTime(int64_t(time) - m_timeLine->InPosition());
}

void CKaleidraView::StopPlayback()
{
    m_playState = kStopped;
    m_playTimer->stop();
    if (m_timeLine)
        m_timeLine->SetPlaying(false);
    SetStartPauseImages(false);
}

void CKaleidraView::PauseAndTakeTime(bool follow)
{
    if (!m_channel->SendCommand(kPmCommandPause, {}, CViewerChannel::kWaitPasses))
        return;
    // Taken only once the viewer has stopped: the time it stopped at stands in the block then.
    const int32_t time = std::min(m_channel->PlayTime(), m_timeLine->OutPosition());
    SetNowTime(int64_t(time) - m_timeLine->InPosition());
    if (follow)
        m_timeLine->SetPlayPositionFollow(time);
    else
        m_timeLine->SetPlayPosition(time);
}

void CKaleidraView::OnStartPause()
{
    if (!m_timeLine)
        return;
    switch (m_playState) {
    case kStopped: {
        m_timeLine->SetPlaying(true);
        const int32_t position = m_timeLine->PlayPosition();
        const int32_t in = m_timeLine->InPosition();
        const int32_t out = m_timeLine->OutPosition();
        const bool loop = m_loopButton && m_loopButton->GetCheckState();
        if (position == out && !loop) {
            m_timeLine->SetPlaying(false);
            break;
        }
        int32_t start = position;
        if (position == out) {
            start = in; // LOOP on: from the top of the range
        } else if (position < in) {
            start = in;
        } else if (position > out) {
            start = out;
        }
        if (start != position) {
            // The viewer plays from where the playhead is put, not from where it was.
            m_timeLine->SetPlayPosition(start);
            SetNowTime(int64_t(start) - in);
        }
        if (start != position || position == out)
            m_channel->SendCommand(kPmCommandSeek, { QString::number(start) }, CViewerChannel::kWaitPasses);
        m_timeLine->EnsurePlayPositionVisible();
        m_playState = kPlaying;
        m_channel->SendCommand(kPmCommandPlay, {}, CViewerChannel::kWaitPasses);
        SetStartPauseImages(true);
        m_playTimer->start();
        break;
    }
    case kPlaying:
        m_playState = kPaused;
        PauseAndTakeTime(true);
        StopPlayback();
        break;
    case kPaused:
        m_playState = kPlaying;
        m_timeLine->SetPlaying(true);
        m_channel->SendCommand(kPmCommandPlay, {}, CViewerChannel::kWaitPasses);
        SetStartPauseImages(true);
        m_playTimer->start();
        break;
    }
    FocusTimeLine();
}

void CKaleidraView::OnPauseResume()
{
    if (!m_timeLine)
        return;
    if (m_playState == kPaused) {
        m_playState = kPlaying;
        m_timeLine->SetPlaying(true);
        m_channel->SendCommand(kPmCommandPlay, {}, CViewerChannel::kWaitPasses);
        m_playTimer->start();
    } else if (m_playState == kPlaying) {
        m_playState = kPaused;
        PauseAndTakeTime(false);
        m_timeLine->SetPlaying(false);
        m_playTimer->stop();
    }
}

void CKaleidraView::OnTop()
{
    if (!m_timeLine)
        return;
    m_playState = kStopped;
    const int32_t in = m_timeLine->InPosition();
    m_timeLine->SetPlayPositionFollow(in);
    m_channel->SendCommand(kPmCommandSeek, { QString::number(in) }, CViewerChannel::kWaitPasses);
    StopPlayback();
    SetNowTime(0);
    FocusTimeLine();
}

void CKaleidraView::OnScreen()
{
    const bool on = m_screenButton && m_screenButton->GetCheckState();
    if (on && m_playState == kPlaying && m_timeLine) {
        m_playState = kPaused;
        PauseAndTakeTime(true);
        StopPlayback();
    }
    if (m_viewer.HasProcess()) {
        SendScreen(on, CViewerChannel::kWaitPasses);
        BringViewerToFront();
    }
    FocusTimeLine();
}

void CKaleidraView::OnGuide()
{
    const bool on = m_guideButton && m_guideButton->GetCheckState();
    m_channel->SendCommand(kPmCommandGuide, { QString::number(on ? 1 : 0) }, CViewerChannel::kNoWait);
    FocusTimeLine();
}

void CKaleidraView::OnLoop()
{
    const int32_t value = m_loopButton && m_loopButton->GetCheckState() ? 1 : 0;
    CProjectXml& project = m_document.GetProjectStore(1).GetProjectXml();
    const int32_t previous = std::exchange(project.Loop, value);
    if (!project.UpdateProjectXml()) {
        // The file and the viewer keep the old state, and so does the button.
        project.Loop = previous;
        if (m_loopButton)
            m_loopButton->SetCheckState(previous);
        ShowMessage(Messages().GetMessage(kMsgLoopNotWritten), platform::MB_OK | platform::MB_ICONERROR);
        return;
    }
    m_channel->SendCommand(kPmCommandLoop, { QString::number(value) }, CViewerChannel::kWaitPasses);
    m_document.Modified = 1;
    FocusTimeLine();
}

void CKaleidraView::SeekToCurrentTime()
{
    if (!m_timeLine)
        return;
    const int32_t in = m_timeLine->InPosition();
    const int32_t out = m_timeLine->OutPosition();
    int64_t time = int64_t(NowTime()) + in;
    if (time < in) {
        SetNowTime(0);
        time = in;
    } else if (time > out) {
        SetNowTime(int64_t(out) - in);
        time = out;
    }
    m_timeLine->SetPlayPosition(int32_t(time));
    m_timeLine->EnsurePlayPositionVisible();
    m_channel->SendCommand(kPmCommandSeek, { QString::number(time) }, CViewerChannel::kWaitPasses);
    if (m_playState == kPlaying) {
        m_playState = kStopped;
        StopPlayback();
    }
}

void CKaleidraView::OnTlPlayPositionSet(int32_t time)
{
    if (!m_timeLine)
        return;
    SetNowTime(int64_t(time) - m_timeLine->InPosition());
    SeekToCurrentTime();
}

void CKaleidraView::OnTlPlayPositionDrag(int32_t time)
{
    if (!m_timeLine)
        return;
    SetNowTime(int64_t(time) - m_timeLine->InPosition());
    m_channel->SendCommand(kPmCommandSeek, { QString::number(time) }, CViewerChannel::kNoWait);
    if (m_playState == kPlaying) {
        m_playState = kStopped;
        StopPlayback();
    }
}

void CKaleidraView::StepCurrentTime(int direction, bool shift)
{
    if (!m_timeLine)
        return;
    const int32_t step = ViewerKeyStep(m_timeLine->UnitsPerColumn(), shift);
    const int64_t current = NowTime();
    const int64_t next = direction < 0 ? std::max<int64_t>(current - step, 0)
                                       : std::min<int64_t>(current + step, PlayTime());
    SetNowTime(next);
    SeekToCurrentTime();
}

void CKaleidraView::AutoPlay()
{
    if (m_document.AutoPlayMode != 1)
        return;
    if (m_guideButton)
        m_guideButton->SetCheckState(0);
    m_channel->SendCommand(kPmCommandGuide, { QStringLiteral("0") }, kAutoPlayWaitPasses);
    if (m_screenButton)
        m_screenButton->SetCheckState(1);
    SendScreen(true, kAutoPlayWaitPasses);
    OnStartPause();
}
