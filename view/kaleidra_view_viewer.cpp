#include "view/kaleidra_view.h"

#include "controls/gdi_button.h"
#include "controls/msk_edit.h"
#include "core/main_frame.h"
#include "core/message_box.h"
#include "core/message_catalog.h"
#include "core/wait_dlg.h"
#include "itempanel/setting_dlg.h"
#include "platform/dialog_service.h"
#include "platform/shared_flag.h"
#include "platform/x11_windows.h"
#include "timeline/time_line.h"
#include "view/kaleidra_doc.h"
#include "view/main_menu.h"
#include "view/view_commands.h"

#include <QTimer>
#include <chrono>
#include <thread>

namespace {

// The viewer is asked for its window, then given a moment before it is told to quit.
constexpr auto kQuitDelay = std::chrono::milliseconds(100);
// How long a viewer that took the quit command may take to end before it is terminated.
constexpr int kQuitExitWaitMs = 3000;

} // namespace

bool CKaleidraView::BringViewerToFront()
{
    if (!IsProjectOpen() || !m_viewer.IsViewerRunning())
        return false;
    // Without an X display nothing is listed and nothing is raised.
    const std::optional<platform::WindowsAbove> above
        = platform::CountWindowsAboveProcess(platform::StackedTopLevelWindows(), m_viewer.ProcessId());
    return above && above->count >= kViewerCoveringWindows && platform::RaiseWindow(above->window);
}

pid_t CKaleidraView::ViewerProcessId() const
{
    return m_viewer.HasProcess() ? m_viewer.ProcessId() : 0;
}

bool CKaleidraView::IsViewerRunning()
{
    return m_viewer.IsViewerRunning();
}

void CKaleidraView::WriteProjectToBlock(
    const QString& projectFilePath, const QString& workFolder, const QString& version)
{
    m_channel->WriteVersion(version);
    m_channel->WriteProjectPath(projectFilePath);
    m_channel->WriteWorkFolder(workFolder);
}

bool CKaleidraView::StartViewer()
{
    // A viewer left from an earlier start is let go (one still running is ended).
    m_viewer.EndAfterQuit(0);
    // A reply the earlier viewer left is not this viewer's.
    m_channel->ClearReply();

    QRect view = rect();
    view.moveTopLeft(mapToGlobal(QPoint(0, 0)));
    const int panelTop = m_itemPanel ? m_itemPanel->frameGeometry().top() : m_itemPanelRect.top;
    const QRect output = ViewerOutputRect(m_viewerRect, view, panelTop, FrameMetrics());
    const bool started = m_viewer.Start(output);
    if (started) {
        // The viewer is ready once it took what was raised for it before it ran; waiting for
        // that here gives a slow start its time, so that the requests after it find it ready.
        PmParamBlock* block = m_channel->Block();
        const int idlePasses = CViewerProcess::kStartIdleWaitMs / CViewerChannel::kPassMs;
        if (block) {
            for (int32_t* flag :
                { &block->projectFlag, &block->commandFlag, &block->dataFlag, &block->queryFlag })
                m_channel->WaitForFlag(*flag, idlePasses);
        }
    }
    m_viewerMode = m_document.ViewerMode;
    StartViewerPoll();
    return started;
}

void CKaleidraView::StartViewerPoll()
{
    m_pollTimer->start();
}

bool CKaleidraView::IsViewerPollRunning() const
{
    return m_pollTimer->isActive();
}

bool CKaleidraView::SendScreen(bool on, int passes)
{
    return m_channel->SendCommand(
        kPmCommandScreen, { QString::number(on ? 1 : 0), QString::number(m_viewerMode) }, passes);
}

void CKaleidraView::CloseViewer()
{
    if (m_screenButton)
        m_screenButton->SetCheckState(0);
    if (!m_viewer.HasProcess())
        return;
    if (m_viewer.IsViewerRunning()) {
        SendScreen(false, CViewerChannel::kWaitPasses);
        std::array<int32_t, kPmQueryCells> answer {};
        if (m_channel->Query(kPmQueryWindowRect, {}, 4, answer) == CViewerChannel::QueryResult::Answered
            && answer[2] > 0 && answer[3] > 0) {
            m_viewerRect = { answer[0], answer[1], answer[0] + answer[2], answer[1] + answer[3] };
        }
        std::this_thread::sleep_for(kQuitDelay);
        m_channel->SendCommand(kPmCommandQuit, {}, CViewerChannel::kWaitPasses);
    }
    // A viewer that does not quit is ended; it is always reaped.
    m_viewer.EndAfterQuit(kQuitExitWaitMs);
    m_pollTimer->stop();
}

void CKaleidraView::RestartViewer()
{
    StopPlayback();
    if (m_viewer.IsViewerRunning())
        CloseViewer();
    if (m_screenButton)
        m_screenButton->SetCheckState(0);
    m_channel->RaiseProjectFlag(kPmProjectLoad, CViewerChannel::kNoWait);
    ShowWaitPicture(m_waitDlg ? m_waitDlg->ShownPicture() : CWaitDlg::kWaitPicture);
    StartViewer();
    if (PmParamBlock* block = m_channel->Block())
        m_channel->WaitForFlag(block->projectFlag, CViewerChannel::kWaitPasses);
    if (m_guideButton && m_guideButton->GetCheckState())
        m_channel->SendCommand(kPmCommandGuide, { QStringLiteral("1") }, CViewerChannel::kNoWait);
    HideWaitWindow();
}

bool CKaleidraView::FetchFaceCorners()
{
    if (!m_timeLine)
        return false;
    std::vector<int32_t> numbers;
    m_timeLine->GetFaceNumbers(1, numbers);
    for (int32_t faceNo : numbers) {
        tagTL_FACE_DATA face;
        if (!m_timeLine->GetFaceData(1, faceNo, face))
            continue;
        std::array<int32_t, kPmQueryCells> answer {};
        const CViewerChannel::QueryResult result
            = m_channel->Query(kPmQueryGetCorners, { QString::number(faceNo) }, 8, answer);
        if (result == CViewerChannel::QueryResult::NotTaken
            || result == CViewerChannel::QueryResult::NotWritten)
            return false;
        // A face the viewer answered for with nothing keeps the corners it has.
        if (result == CViewerChannel::QueryResult::Empty)
            continue;
        for (int corner = 0; corner < 4; ++corner) {
            face.X[corner] = answer[size_t(2 * corner)];
            face.Y[corner] = answer[size_t(2 * corner + 1)];
        }
        m_timeLine->SetFaceData(face);
    }
    return true;
}

// ---- Reply poll (timer 3) ----------------------------------------------------------------------------

void CKaleidraView::OnViewerPoll()
{
    // A handler below may open a modal window, whose event loop runs this timer again.
    if (m_inViewerPoll)
        return;
    if (!m_viewer.IsViewerRunning()) {
        m_pollTimer->stop();
        return;
    }
    const std::optional<PmReplyRecord> reply = m_channel->TakeReply();
    if (!reply)
        return;
    m_inViewerPoll = true;
    HandleViewerReply(*reply);
    m_inViewerPoll = false;
}

void CKaleidraView::HandleViewerReply(const PmReplyRecord& reply)
{
    switch (reply.kind) {
    case kPmReplyFaceClicked:
        if (m_timeLine)
            m_timeLine->SelectItemAtTime(reply.Number(0), m_timeLine->PlayPosition());
        break;
    case kPmReplyCorners:
        HandleViewerCorners(reply);
        break;
    case kPmReplyKey:
        HandleViewerKey(reply.Number(0));
        break;
    case kPmReplyMinimise: {
        const int32_t value = reply.Number(0);
        if (value == 1)
            QMetaObject::invokeMethod(
                &m_frame, [frame = &m_frame] { frame->showMinimized(); }, Qt::QueuedConnection);
        else if (value == 0)
            QMetaObject::invokeMethod(
                &m_frame, [frame = &m_frame] { frame->showNormal(); }, Qt::QueuedConnection);
        break;
    }
    case kPmReplyMessage:
        if (reply.Number(1) == 1) {
            const int32_t severity = reply.Number(0);
            const unsigned icon = severity == 1 ? platform::MB_ICONWARNING
                : severity == 2                 ? platform::MB_ICONERROR
                                                : platform::MB_ICONINFORMATION;
            QMetaObject::invokeMethod(
                this, [this, icon, text = reply.cells[2]] { ShowViewerMessage(icon, text); },
                Qt::QueuedConnection);
        }
        break;
    default:
        break;
    }
}

void CKaleidraView::ShowViewerMessage(unsigned iconFlags, const QString& text)
{
    // The viewer reports while the user works: the keyboard stays with the editor's windows.
    KaleidraNotice(text, platform::MB_OK | iconFlags);
}

void CKaleidraView::HandleViewerCorners(const PmReplyRecord& reply)
{
    if (!m_timeLine)
        return;
    const int32_t faceNo = reply.Number(0);
    tagTL_FACE_DATA face;
    // A face the timeline no longer has is not recreated from a late reply.
    if (!m_timeLine->GetFaceData(1, faceNo, face))
        return;
    FaceCornerRecord corners;
    corners.faceNo = faceNo;
    bool changed = false;
    for (int corner = 0; corner < 4; ++corner) {
        corners.before[size_t(2 * corner)] = face.X[corner];
        corners.before[size_t(2 * corner + 1)] = face.Y[corner];
        corners.after[size_t(2 * corner)] = reply.Number(kPmQueryAnswerCell + 2 * corner);
        corners.after[size_t(2 * corner + 1)] = reply.Number(kPmQueryAnswerCell + 2 * corner + 1);
        changed = changed || corners.before[size_t(2 * corner)] != corners.after[size_t(2 * corner)]
            || corners.before[size_t(2 * corner + 1)] != corners.after[size_t(2 * corner + 1)];
    }
    if (!changed)
        return;
    for (int corner = 0; corner < 4; ++corner) {
        face.X[corner] = corners.after[size_t(2 * corner)];
        face.Y[corner] = corners.after[size_t(2 * corner + 1)];
    }
    // One operation of its own (the face's change and the corners); a change group the user has
    // open stays open and takes them.
    const bool grouped = m_undo.IsGrouping();
    if (!grouped)
        m_mirror->OnChangeGroup(1);
    m_timeLine->SetFaceData(face);
    if (m_handlers)
        m_handlers->RecordFaceCorners(corners);
    if (!grouped)
        m_mirror->OnChangeGroup(0);
}

void CKaleidraView::HandleViewerKey(int32_t code)
{
    const Qt::KeyboardModifiers modifiers = m_modifiers();
    const bool ctrl = modifiers.testFlag(Qt::ControlModifier);
    const bool shift = modifiers.testFlag(Qt::ShiftModifier);
    switch (DecideViewerKey(code, ctrl, shift)) {
    case ViewerKeyAction::AddFace:
        if (m_timeLine)
            m_timeLine->OnFaceAdd();
        break;
    case ViewerKeyAction::CopyItems:
        if (m_timeLine)
            m_timeLine->CopySelectedItems();
        break;
    case ViewerKeyAction::ToggleEffectDisplay:
        if (m_timeLine) {
            m_timeLine->ToggleEffectDisplay();
            m_timeLine->update();
        }
        break;
    case ViewerKeyAction::Guide:
        RunTransportCommand(menu_command::kGuide);
        break;
    case ViewerKeyAction::SetIn:
        if (m_timeLine)
            OnTlInMoved(m_timeLine->PlayPosition());
        break;
    case ViewerKeyAction::SplitItems:
        if (m_timeLine)
            m_timeLine->SplitItemAtPlayPosition();
        break;
    case ViewerKeyAction::Loop:
        RunTransportCommand(menu_command::kLoop);
        break;
    case ViewerKeyAction::NewProject:
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (m_handlers)
                    m_handlers->NewProject();
            },
            Qt::QueuedConnection);
        break;
    case ViewerKeyAction::OpenProject:
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (m_handlers)
                    m_handlers->OpenProject(nullptr);
            },
            Qt::QueuedConnection);
        break;
    case ViewerKeyAction::SetOut:
        if (m_timeLine)
            OnTlOutMoved(m_timeLine->PlayPosition());
        break;
    case ViewerKeyAction::Screen:
        RunTransportCommand(menu_command::kScreen);
        break;
    case ViewerKeyAction::Save:
        if (m_handlers)
            m_handlers->SaveProject();
        break;
    case ViewerKeyAction::Top:
        RunTransportCommand(menu_command::kTop);
        break;
    case ViewerKeyAction::PasteItems:
        if (m_timeLine)
            m_timeLine->PasteItemsAtPlayPosition();
        break;
    case ViewerKeyAction::Redo:
        if (m_handlers)
            m_handlers->Redo();
        break;
    case ViewerKeyAction::Undo:
        if (m_handlers)
            m_handlers->Undo();
        break;
    case ViewerKeyAction::StepBack:
        StepCurrentTime(-1, shift);
        break;
    case ViewerKeyAction::StepForward:
        StepCurrentTime(+1, shift);
        break;
    case ViewerKeyAction::StartPause:
        RunTransportCommand(menu_command::kStartPause);
        break;
    case ViewerKeyAction::DeleteItems:
        if (m_timeLine) {
            CModalGuard modal(*this);
            m_timeLine->DeleteSelectedItems();
        }
        break;
    case ViewerKeyAction::ScreenOff:
        if (m_screenButton && m_screenButton->isEnabled() && m_screenButton->GetCheckState()) {
            m_screenButton->SetCheckState(0);
            OnScreen();
        }
        break;
    case ViewerKeyAction::None:
        break;
    }
}

// ---- Notifications of the timeline that reach the viewer --------------------------------------------

void CKaleidraView::OnTlSelectFace(int32_t faceNo, const tagTL_FACE_ITEM_DATA*)
{
    m_channel->SendData(kPmDataFaceSelected, faceNo, CViewerChannel::kWaitPasses);
}

void CKaleidraView::OnTlViewerSync(int ended)
{
    PmParamBlock* block = m_channel->Block();
    if (!block || block->commandKind != kPmCommandSeek)
        return;
    platform::StoreSharedFlag(block->commandFlag, 1);
    if (ended)
        m_channel->WaitForFlag(block->commandFlag, CViewerChannel::kWaitPasses);
}
