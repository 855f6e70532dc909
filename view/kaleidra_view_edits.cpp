#include "view/kaleidra_view.h"

#include "controls/gdi_button.h"
#include "controls/msk_edit.h"
#include "core/message_catalog.h"
#include "core/wait_dlg.h"
#include "itempanel/setting_dlg.h"
#include "platform/dialog_service.h"
#include "timeline/time_line.h"
#include "view/kaleidra_doc.h"
#include "view/project_faces.h"

#include <QApplication>

// The timeline's and the item panel's notifications. Each edit goes through the edit mirror:
// the project's files first, then the viewer, the modified flag and the undo record. Without an
// open project there are no files to write (the timeline is disabled then).

int CKaleidraView::OnTlFaceAdded(const tagTL_FACE_DATA& face)
{
    if (!IsProjectOpen())
        return 0;
    return m_mirror->AddFaceData(face, 1) ? 0 : -1;
}

int CKaleidraView::OnTlFaceDeleted(const tagTL_FACE_DATA& face)
{
    if (!IsProjectOpen())
        return 0;
    if (m_mirror->DeleteFaceData(face, 1))
        return 0;
    ReloadTimeLineFaces();
    return -1;
}

int CKaleidraView::OnTlItemAdded(const tagTL_FACE_ITEM_DATA& item)
{
    if (!IsProjectOpen())
        return 0;
    return m_mirror->AddItemData(item, 1) ? 0 : -1;
}

int CKaleidraView::OnTlItemDeleted(const tagTL_FACE_ITEM_DATA& item)
{
    if (!IsProjectOpen())
        return 0;
    return m_mirror->DeleteItemData(item, 1) ? 0 : -1;
}

int CKaleidraView::OnTlItemMoved(const ItemRecordPair& change)
{
    if (!IsProjectOpen())
        return 0;
    return m_mirror->ItemMoved(change, 1);
}

int CKaleidraView::OnTlItemCopied(const ItemRecordPair& change)
{
    if (!IsProjectOpen())
        return 0;
    return m_mirror->ItemCopied(change, 1);
}

int CKaleidraView::OnTlFaceChanged(const tagTL_FACE_DATA& face, int notifyViewer)
{
    if (!IsProjectOpen())
        return 0;
    return m_mirror->UpdateFaceData(face, notifyViewer) ? 0 : -1;
}

int CKaleidraView::OnTlItemChanged(const ItemRecordPair& change)
{
    if (!IsProjectOpen())
        return 0;
    return m_mirror->UpdateItemData(change.before, change.after, 1) ? 0 : -1;
}

// Faces were renumbered by row: their folders follow. When that cannot be written the channel
// is as it was on disk, and the timeline shows it so again.
void CKaleidraView::OnTlFaceMoved(const FaceMoveInfo& info)
{
    if (!IsProjectOpen())
        return;
    if (!m_mirror->FaceMoved(info))
        ReloadTimeLineFaces();
}

void CKaleidraView::OnTlFaceCopied(const FaceCopyInfo& info)
{
    if (!IsProjectOpen())
        return;
    if (!m_mirror->FaceCopied(info))
        ReloadTimeLineFaces();
}

void CKaleidraView::OnTlFaceInserted(const FaceInsertInfo& info)
{
    if (!IsProjectOpen())
        return;
    if (!m_mirror->FaceInserted(info))
        ReloadTimeLineFaces();
}

// Before the faces are renumbered, the corners the viewer shows are taken into the timeline.
void CKaleidraView::OnTlFacesRefresh()
{
    if (m_viewer.IsViewerRunning())
        FetchFaceCorners();
}

// The group's item edits are written when it closes: each touched face file once.
void CKaleidraView::OnTlChangeGroup(int begin)
{
    m_mirror->OnChangeGroup(begin);
}

void CKaleidraView::ReloadTimeLineFaces()
{
    if (!m_timeLine || !IsProjectOpen())
        return;
    // Posted: the timeline is still inside the operation that told the view.
    QMetaObject::invokeMethod(
        this,
        [this] {
            const int32_t play = m_timeLine->PlayPosition();
            const int32_t in = m_timeLine->InPosition();
            const int32_t out = m_timeLine->OutPosition();
            const int32_t length = m_timeLine->ProjectLength();
            m_timeLine->ResetTimeLine(false);
            m_timeLine->SetProjectLength(length);
            m_timeLine->SetInOutPosition(in, out);
            m_timeLine->SetPlayPosition(play);
            for (tagTL_FACE_DATA& face : ReadProjectFaces(m_document.GetProjectStore(1)))
                m_timeLine->AddFaceRecord(std::move(face));
            Redraw();
        },
        Qt::QueuedConnection);
}

// ---- IN, OUT and the project's times -------------------------------------------------------------

void CKaleidraView::OnTlInMoved(int32_t time)
{
    if (!m_timeLine || !IsProjectOpen())
        return;
    const int32_t out = m_timeLine->OutPosition();
    m_timeLine->SetInOutPosition(time, out);
    SetPlayTime(int64_t(out) - time);
    SetPlayRange(out - time, time, out);
}

void CKaleidraView::OnTlOutMoved(int32_t time)
{
    if (!m_timeLine || !IsProjectOpen())
        return;
    StopPlayback();
    const int32_t in = m_timeLine->InPosition();
    m_timeLine->SetInOutPosition(in, time);
    SetPlayTime(int64_t(time) - in);
    SetPlayRange(time - in, in, time);
}

bool CKaleidraView::SetPlayRange(int32_t playTime, int32_t in, int32_t out)
{
    const bool written = m_mirror->SetPlayRange(playTime, in, out);
    if (!m_timeLine)
        return written;
    // The current time counts from IN: whatever moved IN or OUT (the timeline shows them
    // already), the field shows the playhead from the new IN.
    const int32_t position = m_timeLine->PlayPosition();
    SetNowTime(int64_t(position) - in);
    // A playhead outside the new range goes to its nearer end, and the viewer with it.
    if (written && (position > out || position < in)) {
        SetNowTime(position > out ? int64_t(out) - in : 0);
        SeekToCurrentTime();
    }
    return written;
}

bool CKaleidraView::SetProjectTime(int32_t time)
{
    return m_mirror->SetProjectTime(time);
}

bool CKaleidraView::ApplyPlayRange(int32_t in, int32_t out)
{
    SetPlayTime(int64_t(out) - in);
    if (m_timeLine)
        m_timeLine->SetInOutPosition(in, out);
    return SetPlayRange(out - in, in, out);
}

bool CKaleidraView::ApplyProjectTime(int32_t time)
{
    if (!SetProjectTime(time))
        return false;
    SetProjectTimeField(time);
    if (m_timeLine) {
        m_timeLine->SetProjectLength(time);
        // The scroll range follows the new length; a position beyond it comes back.
        if (m_timeLine->FirstColumn() > m_timeLine->GetHorzScrollMax())
            m_timeLine->SetHorzScrollPos(m_timeLine->GetHorzScrollMax());
    }
    return true;
}

int CKaleidraView::CommitProjectTime()
{
    if (!m_timeLine || !IsProjectOpen())
        return 0;
    const int64_t typed = m_projectTimeEdit->GetWindowTime();
    if (typed <= 0) {
        ShowMessage(Messages().GetMessage(85), platform::MB_OK | platform::MB_ICONWARNING);
        SetProjectTimeField(0);
        return 0;
    }
    constexpr int64_t kMaxProjectTime = 360000;
    if (typed > kMaxProjectTime) {
        ShowMessage(Messages().GetMessage(86), platform::MB_OK | platform::MB_ICONWARNING);
        SetProjectTimeField(kMaxProjectTime);
        return 0;
    }
    const auto time = int32_t(typed);
    // The project time and the play range it forces are one operation.
    const bool grouped = m_undo.IsGrouping();
    if (!grouped)
        m_mirror->OnChangeGroup(1);
    if (ApplyProjectTime(time)) {
        Redraw();
        const int32_t in = m_timeLine->InPosition();
        const int32_t out = m_timeLine->OutPosition();
        const int32_t clampedOut = std::min(out, time);
        const int32_t clampedIn = in > time ? 0 : in;
        if (clampedOut != out || clampedIn != in)
            ApplyPlayRange(clampedIn, clampedOut);
    }
    if (!grouped)
        m_mirror->OnChangeGroup(0);
    OnTop();
    return 1;
}

// ---- The item panel's messages -----------------------------------------------------------------------

int CKaleidraView::OnItemChanged(const ItemRecordPair& change)
{
    if (!m_timeLine || !IsProjectOpen())
        return -1;
    m_timeLine->SetItemData(change.after);
    m_timeLine->update();
    if (!m_mirror->UpdateItemData(change.before, change.after, 1))
        return -1;
    const tagTL_FACE_ITEM_DATA& shown = m_itemPanel->WorkItem();
    const tagTL_FACE_ITEM_DATA& item = change.after;
    if (shown.Channel == item.Channel && shown.FaceNo == item.FaceNo && shown.SubNo == item.SubNo
        && shown.Start == item.Start)
        m_itemPanel->SetItemCaption(
            item.Channel, item.FaceNo, item.SubNo, item.Start, item.PlayTime, item.Mode, item.LinkMode);
    return 0;
}

void CKaleidraView::OnRedrawPreview()
{
    if (m_timeLine)
        m_timeLine->update();
}

int CKaleidraView::OnItemsChanged(const ItemRecordPair& change)
{
    if (!m_timeLine || !IsProjectOpen())
        return -1;
    m_timeLine->ApplyItemChange(change.before, change.after);
    m_timeLine->update();
    if (!m_mirror->UpdateItemStartTime(change.before, change.after, 1))
        return -1;
    const tagTL_FACE_ITEM_DATA& item = change.after;
    m_itemPanel->SetItemCaption(
        item.Channel, item.FaceNo, item.SubNo, item.Start, item.PlayTime, item.Mode, item.LinkMode);
    return 0;
}

void CKaleidraView::OnShowItem(const tagTL_FACE_ITEM_DATA& item)
{
    if (m_timeLine)
        m_timeLine->SelectItem(item.FaceNo, item.Start);
}

void CKaleidraView::OnUndo()
{
    Undo();
}

void CKaleidraView::OnRedo()
{
    Redo();
}

void CKaleidraView::OnEditBatch(int open)
{
    m_mirror->OnChangeGroup(open);
}

// ---- What the edits need of the view -------------------------------------------------------------

void CKaleidraView::ShowWaitWindow(bool shown)
{
    if (shown)
        ShowWaitPicture(CWaitDlg::kWaitPicture);
    else
        HideWaitWindow();
}

void CKaleidraView::ShowWaitCursor(bool shown)
{
    if (shown) {
        if (m_waitCursorCount++ == 0)
            QApplication::setOverrideCursor(Qt::WaitCursor);
    } else if (m_waitCursorCount > 0 && --m_waitCursorCount == 0) {
        QApplication::restoreOverrideCursor();
    }
}

bool CKaleidraView::IsGuideOn() const
{
    return m_guideButton && m_guideButton->GetCheckState() != 0;
}

void CKaleidraView::Redraw()
{
    if (!m_timeLine)
        return;
    m_timeLine->RecalcLayout();
    m_timeLine->update();
}
