#include "timeline/timeline_messages.h"
#include "timeline/timeline_model.h"

using namespace timeline;

namespace {

bool HasRepeatedStart(tagTL_FACE_DATA& face)
{
    SortItems(face);
    for (size_t index = 1; index < face.Items.size(); ++index) {
        if (face.Items[index].Start == face.Items[index - 1].Start)
            return true;
    }
    return false;
}

} // namespace

void CTimeLineModel::BeginFaceOrderChange()
{
    NotifyChangeGroup(1);
    if (m_owner)
        m_owner->OnTlFacesRefresh();
}

int CTimeLineModel::InsertFace(int row, tagTL_FACE_DATA face)
{
    if (row < 0 || row > FaceCount() || HasRepeatedStart(face))
        return 0;
    BeginFaceOrderChange();
    ClearSelection();
    m_panel->ClearItem();

    m_faces.insert(m_faces.begin() + row, std::move(face));
    ++m_faceListGeneration;
    const std::vector<int32_t> oldNumbers = RenumberByRow(m_faces);
    const std::vector<int32_t> newNumbers = RowNumbers(m_faces.size());
    // The new face carries a number another face had: LINKs keep following that other face.
    RepointLinks(m_faces, oldNumbers, newNumbers, row);
    FollowFaceNumbers(oldNumbers, row);

    if (m_owner)
        m_owner->OnTlFaceInserted(FaceInsertInfo { row, m_faces[size_t(row)], oldNumbers, newNumbers });
    NotifyChangeGroup(0);
    UpdateVertScrollRange();
    RepaintControl();
    return 1;
}

int CTimeLineModel::CopyFace(int sourceRow, int targetRow)
{
    const int count = FaceCount();
    if (sourceRow < 0 || sourceRow >= count || targetRow < 0 || targetRow > count)
        return 0;
    BeginFaceOrderChange();

    tagTL_FACE_DATA copy = m_faces[size_t(sourceRow)];
    SetFrameColor(copy, count % 10 + 1);
    m_faces.insert(m_faces.begin() + targetRow, std::move(copy));
    ++m_faceListGeneration;
    const std::vector<int32_t> oldNumbers = RenumberByRow(m_faces);
    const std::vector<int32_t> newNumbers = RowNumbers(m_faces.size());
    // The copy carries its source's number: LINKs to the source stay with the source.
    RepointLinks(m_faces, oldNumbers, newNumbers, targetRow);
    FollowFaceNumbers(oldNumbers, targetRow);

    if (m_owner)
        m_owner->OnTlFaceCopied(
            FaceCopyInfo { sourceRow, targetRow, m_faces[size_t(targetRow)], oldNumbers, newNumbers });
    NotifyChangeGroup(0);
    UpdateVertScrollRange();
    RepaintControl();
    return 1;
}

int CTimeLineModel::MoveFace(int sourceRow, int targetRow)
{
    const int count = FaceCount();
    if (sourceRow < 0 || sourceRow >= count || targetRow < 0 || targetRow > count || sourceRow == targetRow)
        return 0;
    BeginFaceOrderChange();

    const int32_t oldFaceNo = m_faces[size_t(sourceRow)].No;
    tagTL_FACE_DATA moved = m_faces[size_t(sourceRow)];
    m_faces.insert(m_faces.begin() + targetRow, std::move(moved));
    m_faces.erase(m_faces.begin() + (targetRow > sourceRow ? sourceRow : sourceRow + 1));
    const int movedRow = targetRow > sourceRow ? targetRow - 1 : targetRow;
    ++m_faceListGeneration;

    FaceMoveInfo info;
    info.sourceRow = sourceRow;
    info.targetRow = targetRow;
    info.oldFaceNo = oldFaceNo;
    info.facesBefore = m_faces;
    const std::vector<int32_t> oldNumbers = RenumberByRow(m_faces);
    RepointLinks(m_faces, oldNumbers, RowNumbers(m_faces.size()), -1);
    FollowFaceNumbers(oldNumbers, -1);
    info.newFaceNo = m_faces[size_t(movedRow)].No;
    info.facesAfter = m_faces;

    if (m_owner)
        m_owner->OnTlFaceMoved(info);
    NotifyChangeGroup(0);
    return 1;
}

int CTimeLineModel::GetFaceIndex(int32_t faceNo) const
{
    return FaceRow(m_faces, faceNo);
}

int CTimeLineModel::GetFaceDropRow(int y) const
{
    if (m_faceDropRow < 0)
        return -1;
    int extra = 0;
    const int firstRow = m_viewport.firstRow;
    for (int index = firstRow; index < FaceCount(); ++index) {
        const int k = index - firstRow;
        // Past the face being moved the rows land one further on: it leaves its own row.
        if (m_mouseState == TL_MOUSE_FACE_MOVE && m_faces[size_t(index)].No == m_currentFace)
            extra = 1;
        if (k >= int(m_viewport.rowRects.size()))
            return -1;
        const TlRect& rect = m_viewport.rowRects[size_t(k)].rcRow;
        // From the dragged row on, the drawn rows are shifted down to leave a gap.
        const int shift = index >= m_faceDropRow ? 15 : 0;
        const int top = rect.top + shift;
        const int bottom = rect.bottom + shift;
        const int bandTop = top - 30;
        const int bandBottom = bandTop + (bottom - top + 30) / 2 + 20;
        if (y >= bandTop && y < bandBottom)
            return firstRow + k + extra;
    }
    return FaceCount();
}
