#pragma once

#include "timeline/timeline_records.h"
#include "view/undo_history.h"

#include <vector>

// Turns the notifications of the project's edits into undo records. It writes no file and tells
// no viewer: the records of an edit wait until the edit's files are written (Commit) or are
// dropped with it (Discard), so that the undo list only ever holds changes the project holds.
// While a replay runs (undo or redo) nothing is recorded.
class CUndoRecorder {
public:
    explicit CUndoRecorder(CUndoHistory& history);

    // A change group opens (1) or closes (0): every record committed in between takes one
    // operation number.
    void OnChangeGroup(int begin);

    // ---- Items ----------------------------------------------------------------------------------
    void ItemAdded(const tagTL_FACE_ITEM_DATA& item);
    void ItemDeleted(const tagTL_FACE_ITEM_DATA& item);
    // The item under its new key added, then the old one deleted.
    void ItemMoved(const ItemRecordPair& change);
    // The copy added.
    void ItemCopied(const ItemRecordPair& change);
    // Nothing for a record that did not change.
    void ItemChanged(const ItemRecordPair& change);
    // An edit that gave the item another start: the old item deleted, the new one added.
    void ItemStartChanged(const ItemRecordPair& change);

    // ---- Faces and the project's times ----------------------------------------------------------
    void FaceAdded(const tagTL_FACE_DATA& face);
    void FaceChanged(const tagTL_FACE_DATA& before, const tagTL_FACE_DATA& after);
    void FaceDeleted(const tagTL_FACE_DATA& face, int32_t row);
    void FaceInserted(const FaceInsertInfo& info);
    void FaceCopied(const FaceCopyInfo& info);
    void FaceMoved(const FaceMoveInfo& info);
    void FaceCornersChanged(const FaceCornerRecord& corners);
    void PlayRangeChanged(int32_t oldIn, int32_t oldOut, int32_t newIn, int32_t newOut);
    void ProjectTimeChanged(int32_t oldTime, int32_t newTime);

    // The waiting records go to the undo list in the order they came. Outside a change group
    // they make one operation together.
    void Commit();
    // The waiting records are dropped: their edits were not written.
    void Discard() { m_waiting.clear(); }
    size_t WaitingCount() const { return m_waiting.size(); }

private:
    void Wait(tagCKD_UNDO_INFO record);

    CUndoHistory& m_history;
    std::vector<tagCKD_UNDO_INFO> m_waiting;
};
