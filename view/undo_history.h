#pragma once

#include "project/face_data.h"
#include "view/view_records.h"

#include <QString>
#include <cstdint>
#include <deque>

// One undo record: what one change of the project held before and after it, enough to replay
// it either way. Records are values keyed by face number and item start; they never point into
// the timeline. Face records are kept without their items: a face's items come back from their
// own item records of the same operation.
struct tagCKD_UNDO_INFO {
    enum Kinds : int32_t {
        kNoOp = 0,
        kAddFace = 1,
        kDeleteFace = 2,
        kUpdateFace = 3,
        kAddItem = 4,
        kDeleteItem = 5,
        kUpdateItem = 6,
        kPlayRange = 7,
        kProjectTime = 8,
        kMoveFace = 9,
        kFaceCorners = 10,
        kCopyFace = 11,
        kInsertFace = 12,
    };

    int32_t Kind = kNoOp;
    int32_t OpNo = 0;
    tagTL_FACE_DATA Face; // kinds 1, 2, 3 (before), 12
    tagTL_FACE_DATA NewFace; // kind 3 (after)
    tagTL_FACE_ITEM_DATA Item; // kinds 4, 5, 6 (before)
    tagTL_FACE_ITEM_DATA NewItem; // kind 6 (after)
    int32_t OldStart = 0; // kind 7: IN and OUT before and after
    int32_t NewStart = 0;
    int32_t OldEnd = 0;
    int32_t NewEnd = 0;
    int32_t OldProjectTime = 0; // kind 8
    int32_t NewProjectTime = 0;
    int32_t MoveFrom = 0; // kind 9: source and target row, the face's number before and after
    int32_t MoveTo = 0;
    int32_t MoveFaceNo = 0;
    int32_t MoveNewFaceNo = 0;
    FaceCornerRecord Corners; // kind 10
    int32_t CopyFrom = 0; // kind 11: source and target row
    int32_t CopyTo = 0;
    int32_t InsertRow = 0; // kind 12
    int32_t DeleteRow = 0; // kind 2

    void Clear() { *this = tagCKD_UNDO_INFO(); }
    bool operator==(const tagCKD_UNDO_INFO&) const = default;
};

// The fixed label of a kind ("処理なし", "FACE追加", ...); empty for an unknown kind.
QString UndoKindLabel(int32_t kind);

// The record of each kind with its values (operation number 0). Face records are kept without
// their items: a face's items come back from their own item records of the same operation.
namespace undo_records {
tagCKD_UNDO_INFO AddFace(const tagTL_FACE_DATA& face);
tagCKD_UNDO_INFO DeleteFace(const tagTL_FACE_DATA& face, int32_t row);
tagCKD_UNDO_INFO UpdateFace(const tagTL_FACE_DATA& before, const tagTL_FACE_DATA& after);
// Kind 4 (added) or 5 (deleted).
tagCKD_UNDO_INFO Item(int32_t kind, const tagTL_FACE_ITEM_DATA& item);
tagCKD_UNDO_INFO UpdateItem(const tagTL_FACE_ITEM_DATA& before, const tagTL_FACE_ITEM_DATA& after);
tagCKD_UNDO_INFO PlayRange(int32_t oldIn, int32_t oldOut, int32_t newIn, int32_t newOut);
tagCKD_UNDO_INFO ProjectTime(int32_t oldTime, int32_t newTime);
tagCKD_UNDO_INFO MoveFace(int32_t fromRow, int32_t toRow, int32_t oldFaceNo, int32_t newFaceNo);
tagCKD_UNDO_INFO FaceCorners(const FaceCornerRecord& corners);
tagCKD_UNDO_INFO CopyFace(int32_t fromRow, int32_t toRow);
tagCKD_UNDO_INFO InsertFace(const tagTL_FACE_DATA& face, int32_t row);
} // namespace undo_records

// Replays one record backwards (undo) or forwards (redo). The replayer may change the record
// it is given; the changed record is what moves to the other list.
class CUndoReplayer {
public:
    enum class Result {
        Done,
        // The change could not be made (the timeline refused it); nobody has said so yet.
        Refused,
        // Writing the change failed and the writer has told the user.
        WriteFailed,
    };
    virtual ~CUndoReplayer() = default;
    // Around the records of one operation: what the steps change may be written at the end, all
    // together. False from EndReplay when that write failed (the writer told the user).
    virtual void BeginReplay() { }
    virtual bool EndReplay() { return true; }
    virtual Result ReplayUndo(tagCKD_UNDO_INFO& record) = 0;
    virtual Result ReplayRedo(tagCKD_UNDO_INFO& record) = 0;
};

// The view's undo and redo lists, newest record first, with the operation counter that groups
// the records of one user action, the grouping flag of an open change group and the flags of a
// replay that runs. Without widgets; the view replays through a CUndoReplayer.
class CUndoHistory {
public:
    // Trimming starts above this many records.
    static constexpr int kMaxRecords = 100;

    // Empties both lists and starts counting operations at 1 (a project created, opened or
    // loaded).
    void Reset();

    const std::deque<tagCKD_UNDO_INFO>& UndoList() const { return m_undo; }
    const std::deque<tagCKD_UNDO_INFO>& RedoList() const { return m_redo; }
    bool CanUndo() const { return !m_undo.empty(); }
    bool CanRedo() const { return !m_redo.empty(); }
    // The number the next record receives.
    int32_t OperationNumber() const { return m_operation; }
    bool IsGrouping() const { return m_grouping != 0; }
    bool IsReplaying() const { return m_undoRunning || m_redoRunning; }

    // A change group opens (1) or closes (0); a close counts the operation and trims, also
    // when nothing was pushed.
    void OnChangeGroup(int begin);

    // One push per kind. While a replay runs nothing is recorded; otherwise the record goes in
    // front of the undo list under the current operation number, the counter moves on and the
    // list is trimmed unless a group is open, and the redo list is emptied.
    void PushUndoAddFace(const tagTL_FACE_DATA& face);
    void PushUndoDeleteFace(const tagTL_FACE_DATA& face, int32_t row);
    void PushUndoUpdateFace(const tagTL_FACE_DATA& before, const tagTL_FACE_DATA& after);
    // Kind 4 (added) or 5 (deleted).
    void PushUndoItem(int32_t kind, const tagTL_FACE_ITEM_DATA& item);
    void PushUndoUpdateItem(const tagTL_FACE_ITEM_DATA& before, const tagTL_FACE_ITEM_DATA& after);
    void PushUndoPlayRange(int32_t oldIn, int32_t oldOut, int32_t newIn, int32_t newOut);
    void PushUndoProjectTime(int32_t oldTime, int32_t newTime);
    void PushUndoMoveFace(int32_t fromRow, int32_t toRow, int32_t oldFaceNo, int32_t newFaceNo);
    void PushUndoFaceCorners(const FaceCornerRecord& corners);
    void PushUndoCopyFace(int32_t fromRow, int32_t toRow);
    void PushUndoInsertFace(const tagTL_FACE_DATA& face, int32_t row);
    // Any record (undo_records), pushed as the pushes above do.
    void PushRecord(tagCKD_UNDO_INFO record);

    // Above kMaxRecords records, removes every record of the oldest operation, and nothing
    // else; the records of the newest operation are never removed.
    void TrimUndoHistory();

    // Refused: at least one step was refused; WriteFailed: a write failed (and was told).
    enum class ReplayResult { Nothing, Done, Refused, WriteFailed };
    // Replays every record of the newest operation of the undo list, newest first, moving each
    // record to the front of the redo list. A step that fails is skipped: its record moves all
    // the same and the replay goes on with the next record of the operation, so that no record
    // can block the lists.
    ReplayResult Undo(CUndoReplayer& replayer);
    // The same on the redo list, forwards, back into the undo list.
    ReplayResult Redo(CUndoReplayer& replayer);

private:
    ReplayResult Replay(std::deque<tagCKD_UNDO_INFO>& from,
        std::deque<tagCKD_UNDO_INFO>& to,
        bool& running,
        CUndoReplayer& replayer,
        bool backwards);

    std::deque<tagCKD_UNDO_INFO> m_undo;
    std::deque<tagCKD_UNDO_INFO> m_redo;
    int32_t m_operation = 1;
    int m_grouping = 0;
    bool m_undoRunning = false;
    bool m_redoRunning = false;
};
