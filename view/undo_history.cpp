#include "view/undo_history.h"

namespace {

// Undo records keep faces without their items.
tagTL_FACE_DATA WithoutItems(const tagTL_FACE_DATA& face)
{
    tagTL_FACE_DATA copy = face;
    copy.Items.clear();
    return copy;
}

} // namespace

QString UndoKindLabel(int32_t kind)
{
    static const char16_t* const kLabels[] = { u"処理なし", u"FACE追加", u"FACE削除", u"FACE更新",
        u"ITEM追加", u"ITEM削除", u"ITEM更新", u"再生範囲更新", u"プロジェクト時間更新", u"FACE移動",
        u"FACE座標更新", u"FACEコピー", u"FACE挿入" };
    if (kind < 0 || kind >= int32_t(std::size(kLabels)))
        return QString();
    return QString::fromUtf16(kLabels[kind]);
}

void CUndoHistory::Reset()
{
    m_undo.clear();
    m_redo.clear();
    m_operation = 1;
    m_grouping = 0;
}

void CUndoHistory::OnChangeGroup(int begin)
{
    m_grouping = begin;
    if (begin == 0) {
        ++m_operation;
        TrimUndoHistory();
    }
}

void CUndoHistory::PushRecord(tagCKD_UNDO_INFO record)
{
    if (IsReplaying())
        return;
    record.OpNo = m_operation;
    m_undo.push_front(std::move(record));
    if (!m_grouping) {
        ++m_operation;
        TrimUndoHistory();
    }
    m_redo.clear();
}

namespace undo_records {

tagCKD_UNDO_INFO AddFace(const tagTL_FACE_DATA& face)
{
    tagCKD_UNDO_INFO record;
    record.Kind = tagCKD_UNDO_INFO::kAddFace;
    record.Face = WithoutItems(face);
    return record;
}

tagCKD_UNDO_INFO DeleteFace(const tagTL_FACE_DATA& face, int32_t row)
{
    tagCKD_UNDO_INFO record;
    record.Kind = tagCKD_UNDO_INFO::kDeleteFace;
    record.Face = WithoutItems(face);
    record.DeleteRow = row;
    return record;
}

tagCKD_UNDO_INFO UpdateFace(const tagTL_FACE_DATA& before, const tagTL_FACE_DATA& after)
{
    tagCKD_UNDO_INFO record;
    record.Kind = tagCKD_UNDO_INFO::kUpdateFace;
    record.Face = WithoutItems(before);
    record.NewFace = WithoutItems(after);
    return record;
}

tagCKD_UNDO_INFO Item(int32_t kind, const tagTL_FACE_ITEM_DATA& item)
{
    tagCKD_UNDO_INFO record;
    record.Kind = kind;
    record.Item = item;
    return record;
}

tagCKD_UNDO_INFO UpdateItem(const tagTL_FACE_ITEM_DATA& before, const tagTL_FACE_ITEM_DATA& after)
{
    tagCKD_UNDO_INFO record;
    record.Kind = tagCKD_UNDO_INFO::kUpdateItem;
    record.Item = before;
    record.NewItem = after;
    return record;
}

tagCKD_UNDO_INFO PlayRange(int32_t oldIn, int32_t oldOut, int32_t newIn, int32_t newOut)
{
    tagCKD_UNDO_INFO record;
    record.Kind = tagCKD_UNDO_INFO::kPlayRange;
    record.OldStart = oldIn;
    record.OldEnd = oldOut;
    record.NewStart = newIn;
    record.NewEnd = newOut;
    return record;
}

tagCKD_UNDO_INFO ProjectTime(int32_t oldTime, int32_t newTime)
{
    tagCKD_UNDO_INFO record;
    record.Kind = tagCKD_UNDO_INFO::kProjectTime;
    record.OldProjectTime = oldTime;
    record.NewProjectTime = newTime;
    return record;
}

tagCKD_UNDO_INFO MoveFace(int32_t fromRow, int32_t toRow, int32_t oldFaceNo, int32_t newFaceNo)
{
    tagCKD_UNDO_INFO record;
    record.Kind = tagCKD_UNDO_INFO::kMoveFace;
    record.MoveFrom = fromRow;
    record.MoveTo = toRow;
    record.MoveFaceNo = oldFaceNo;
    record.MoveNewFaceNo = newFaceNo;
    return record;
}

tagCKD_UNDO_INFO FaceCorners(const FaceCornerRecord& corners)
{
    tagCKD_UNDO_INFO record;
    record.Kind = tagCKD_UNDO_INFO::kFaceCorners;
    record.Corners = corners;
    return record;
}

tagCKD_UNDO_INFO CopyFace(int32_t fromRow, int32_t toRow)
{
    tagCKD_UNDO_INFO record;
    record.Kind = tagCKD_UNDO_INFO::kCopyFace;
    record.CopyFrom = fromRow;
    record.CopyTo = toRow;
    return record;
}

tagCKD_UNDO_INFO InsertFace(const tagTL_FACE_DATA& face, int32_t row)
{
    tagCKD_UNDO_INFO record;
    record.Kind = tagCKD_UNDO_INFO::kInsertFace;
    record.Face = WithoutItems(face);
    record.InsertRow = row;
    return record;
}

} // namespace undo_records

void CUndoHistory::PushUndoAddFace(const tagTL_FACE_DATA& face)
{
    PushRecord(undo_records::AddFace(face));
}

void CUndoHistory::PushUndoDeleteFace(const tagTL_FACE_DATA& face, int32_t row)
{
    PushRecord(undo_records::DeleteFace(face, row));
}

void CUndoHistory::PushUndoUpdateFace(const tagTL_FACE_DATA& before, const tagTL_FACE_DATA& after)
{
    PushRecord(undo_records::UpdateFace(before, after));
}

void CUndoHistory::PushUndoItem(int32_t kind, const tagTL_FACE_ITEM_DATA& item)
{
    PushRecord(undo_records::Item(kind, item));
}

void CUndoHistory::PushUndoUpdateItem(const tagTL_FACE_ITEM_DATA& before, const tagTL_FACE_ITEM_DATA& after)
{
    PushRecord(undo_records::UpdateItem(before, after));
}

void CUndoHistory::PushUndoPlayRange(int32_t oldIn, int32_t oldOut, int32_t newIn, int32_t newOut)
{
    PushRecord(undo_records::PlayRange(oldIn, oldOut, newIn, newOut));
}

void CUndoHistory::PushUndoProjectTime(int32_t oldTime, int32_t newTime)
{
    PushRecord(undo_records::ProjectTime(oldTime, newTime));
}

void CUndoHistory::PushUndoMoveFace(int32_t fromRow, int32_t toRow, int32_t oldFaceNo, int32_t newFaceNo)
{
    PushRecord(undo_records::MoveFace(fromRow, toRow, oldFaceNo, newFaceNo));
}

void CUndoHistory::PushUndoFaceCorners(const FaceCornerRecord& corners)
{
    PushRecord(undo_records::FaceCorners(corners));
}

void CUndoHistory::PushUndoCopyFace(int32_t fromRow, int32_t toRow)
{
    PushRecord(undo_records::CopyFace(fromRow, toRow));
}

void CUndoHistory::PushUndoInsertFace(const tagTL_FACE_DATA& face, int32_t row)
{
    PushRecord(undo_records::InsertFace(face, row));
}

void CUndoHistory::TrimUndoHistory()
{
    if (m_undo.size() <= size_t(kMaxRecords))
        return;
    // Records of one operation lie together, the oldest operation at the end. An operation that
    // alone holds more than the limit is the newest one and stays whole.
    const int32_t oldest = m_undo.back().OpNo;
    if (oldest == m_undo.front().OpNo)
        return;
    while (!m_undo.empty() && m_undo.back().OpNo == oldest)
        m_undo.pop_back();
}

CUndoHistory::ReplayResult CUndoHistory::Replay(std::deque<tagCKD_UNDO_INFO>& from,
    std::deque<tagCKD_UNDO_INFO>& to,
    bool& running,
    CUndoReplayer& replayer,
    bool backwards)
{
    if (from.empty())
        return ReplayResult::Nothing;
    running = true;
    replayer.BeginReplay();
    const int32_t operation = from.front().OpNo;
    bool refused = false;
    bool writeFailed = false;
    while (!from.empty() && from.front().OpNo == operation) {
        tagCKD_UNDO_INFO record = std::move(from.front());
        from.pop_front();
        const CUndoReplayer::Result step
            = backwards ? replayer.ReplayUndo(record) : replayer.ReplayRedo(record);
        // A step that fails is passed over: the rest of the operation still replays.
        refused = refused || step == CUndoReplayer::Result::Refused;
        writeFailed = writeFailed || step == CUndoReplayer::Result::WriteFailed;
        to.push_front(std::move(record));
    }
    writeFailed = !replayer.EndReplay() || writeFailed;
    running = false;
    if (refused)
        return ReplayResult::Refused;
    return writeFailed ? ReplayResult::WriteFailed : ReplayResult::Done;
}

CUndoHistory::ReplayResult CUndoHistory::Undo(CUndoReplayer& replayer)
{
    return Replay(m_undo, m_redo, m_undoRunning, replayer, true);
}

CUndoHistory::ReplayResult CUndoHistory::Redo(CUndoReplayer& replayer)
{
    return Replay(m_redo, m_undo, m_redoRunning, replayer, false);
}
