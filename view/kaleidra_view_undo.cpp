#include "view/kaleidra_view.h"

#include "core/message_catalog.h"
#include "platform/dialog_service.h"
#include "project/project_folder_store.h"
#include "timeline/time_line.h"
#include "view/kaleidra_doc.h"

namespace {

enum : int { kMsgProcessingFailed = 84 };

} // namespace

bool CKaleidraView::CanUndo() const
{
    return m_document.ProjectSource != 0 && IsProjectOpen() && m_undo.CanUndo();
}

bool CKaleidraView::CanRedo() const
{
    return m_document.ProjectSource != 0 && IsProjectOpen() && m_undo.CanRedo();
}

void CKaleidraView::Undo()
{
    if (!m_replay || !m_undo.CanUndo())
        return;
    ShowWaitCursor(true);
    const CUndoHistory::ReplayResult result = m_undo.Undo(*m_replay);
    ShowWaitCursor(false);
    ReportReplay(result);
}

void CKaleidraView::Redo()
{
    if (!m_replay || !m_undo.CanRedo())
        return;
    ShowWaitCursor(true);
    const CUndoHistory::ReplayResult result = m_undo.Redo(*m_replay);
    ShowWaitCursor(false);
    ReportReplay(result);
}

// A step the timeline refused was passed over; the user hears of it once (a failed write has been
// reported by its writer already).
void CKaleidraView::ReportReplay(CUndoHistory::ReplayResult result)
{
    if (result == CUndoHistory::ReplayResult::Refused)
        ShowMessage(Messages().GetMessage(kMsgProcessingFailed), platform::MB_OK | platform::MB_ICONWARNING);
}

void CKaleidraView::RecordFaceCorners(const FaceCornerRecord& corners)
{
    m_undo.PushUndoFaceCorners(corners);
}

void CKaleidraView::SendFaceCorners(int32_t faceNo, const std::array<int32_t, 8>& corners)
{
    if (m_viewer.IsViewerRunning())
        m_channel->SetFaceCorners(faceNo, corners);
}

int32_t CKaleidraView::FaceNumberAt(int32_t position)
{
    FaceXmlRecord entry;
    const int32_t number = m_document.GetProjectStore(1).GetFaceListXml().GetFaceByIndex(position, &entry);
    return number > 0 ? number : 0;
}

QString CKaleidraView::ThumbnailPath(const tagTL_FACE_ITEM_DATA& item)
{
    return m_mirror->ThumbnailPath(item);
}

void CKaleidraView::BeginEditBatch()
{
    m_mirror->BeginBatch();
}

bool CKaleidraView::EndEditBatch()
{
    return m_mirror->EndBatch();
}

void CKaleidraView::AfterItemWrites(std::function<void()> step)
{
    m_mirror->AfterItemWrites(std::move(step));
}
