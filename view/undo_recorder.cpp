#include "view/undo_recorder.h"

CUndoRecorder::CUndoRecorder(CUndoHistory& history)
    : m_history(history)
{
}

void CUndoRecorder::OnChangeGroup(int begin)
{
    m_history.OnChangeGroup(begin);
}

void CUndoRecorder::Wait(tagCKD_UNDO_INFO record)
{
    // A replay's own edits are the records being replayed.
    if (!m_history.IsReplaying())
        m_waiting.push_back(std::move(record));
}

void CUndoRecorder::ItemAdded(const tagTL_FACE_ITEM_DATA& item)
{
    Wait(undo_records::Item(tagCKD_UNDO_INFO::kAddItem, item));
}

void CUndoRecorder::ItemDeleted(const tagTL_FACE_ITEM_DATA& item)
{
    Wait(undo_records::Item(tagCKD_UNDO_INFO::kDeleteItem, item));
}

void CUndoRecorder::ItemMoved(const ItemRecordPair& change)
{
    Wait(undo_records::Item(tagCKD_UNDO_INFO::kAddItem, change.after));
    Wait(undo_records::Item(tagCKD_UNDO_INFO::kDeleteItem, change.before));
}

void CUndoRecorder::ItemCopied(const ItemRecordPair& change)
{
    Wait(undo_records::Item(tagCKD_UNDO_INFO::kAddItem, change.after));
}

void CUndoRecorder::ItemChanged(const ItemRecordPair& change)
{
    // An edit put back to what was stored (a value typed past its bound) leaves no step that
    // would undo nothing.
    if (change.before == change.after)
        return;
    Wait(undo_records::UpdateItem(change.before, change.after));
}

void CUndoRecorder::ItemStartChanged(const ItemRecordPair& change)
{
    Wait(undo_records::Item(tagCKD_UNDO_INFO::kDeleteItem, change.before));
    Wait(undo_records::Item(tagCKD_UNDO_INFO::kAddItem, change.after));
}

void CUndoRecorder::FaceAdded(const tagTL_FACE_DATA& face)
{
    Wait(undo_records::AddFace(face));
}

void CUndoRecorder::FaceChanged(const tagTL_FACE_DATA& before, const tagTL_FACE_DATA& after)
{
    Wait(undo_records::UpdateFace(before, after));
}

void CUndoRecorder::FaceDeleted(const tagTL_FACE_DATA& face, int32_t row)
{
    Wait(undo_records::DeleteFace(face, row));
}

void CUndoRecorder::FaceInserted(const FaceInsertInfo& info)
{
    Wait(undo_records::InsertFace(info.face, info.row));
}

void CUndoRecorder::FaceCopied(const FaceCopyInfo& info)
{
    Wait(undo_records::CopyFace(info.sourceRow, info.targetRow));
}

void CUndoRecorder::FaceMoved(const FaceMoveInfo& info)
{
    Wait(undo_records::MoveFace(info.sourceRow, info.targetRow, info.oldFaceNo, info.newFaceNo));
}

void CUndoRecorder::FaceCornersChanged(const FaceCornerRecord& corners)
{
    Wait(undo_records::FaceCorners(corners));
}

void CUndoRecorder::PlayRangeChanged(int32_t oldIn, int32_t oldOut, int32_t newIn, int32_t newOut)
{
    Wait(undo_records::PlayRange(oldIn, oldOut, newIn, newOut));
}

void CUndoRecorder::ProjectTimeChanged(int32_t oldTime, int32_t newTime)
{
    Wait(undo_records::ProjectTime(oldTime, newTime));
}

void CUndoRecorder::Commit()
{
    if (m_waiting.empty())
        return;
    const bool single = !m_history.IsGrouping();
    if (single)
        m_history.OnChangeGroup(1);
    for (tagCKD_UNDO_INFO& record : m_waiting)
        m_history.PushRecord(std::move(record));
    m_waiting.clear();
    if (single)
        m_history.OnChangeGroup(0);
}
