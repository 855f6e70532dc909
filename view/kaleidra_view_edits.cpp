#include "view/kaleidra_view.h"

#include "timeline/time_line.h"
#include "view/kaleidra_doc.h"

// The timeline's record notifications. The view writes each change to the project's files, tells
// the viewer, marks the project modified and records the undo step in this order; those handlers
// belong with the project's stores and the undo lists and are not part of the view yet, so the
// changes are taken as handled and nothing is written.

int CKaleidraView::OnTlFaceAdded(const tagTL_FACE_DATA&)
{
    return 0;
}

int CKaleidraView::OnTlFaceDeleted(const tagTL_FACE_DATA&)
{
    return 0;
}

int CKaleidraView::OnTlItemAdded(const tagTL_FACE_ITEM_DATA&)
{
    return 0;
}

int CKaleidraView::OnTlItemDeleted(const tagTL_FACE_ITEM_DATA&)
{
    return 0;
}

int CKaleidraView::OnTlItemMoved(const ItemRecordPair&)
{
    return 0;
}

int CKaleidraView::OnTlItemCopied(const ItemRecordPair&)
{
    return 0;
}

int CKaleidraView::OnTlFaceChanged(const tagTL_FACE_DATA&, int)
{
    return 0;
}

int CKaleidraView::OnTlItemChanged(const ItemRecordPair&)
{
    return 0;
}

void CKaleidraView::OnTlFaceMoved(const FaceMoveInfo&) { }

void CKaleidraView::OnTlFaceCopied(const FaceCopyInfo&) { }

void CKaleidraView::OnTlFaceInserted(const FaceInsertInfo&) { }

void CKaleidraView::OnTlFacesRefresh() { }

// IN and OUT moved: the play range and the play-time field follow.
void CKaleidraView::OnTlInMoved(int32_t time)
{
    if (!m_timeLine || !m_document.ProjectOpen)
        return;
    m_timeLine->SetInOutPosition(time, m_timeLine->OutPosition());
    SetPlayTime(int64_t(m_timeLine->OutPosition()) - m_timeLine->InPosition());
}

void CKaleidraView::OnTlOutMoved(int32_t time)
{
    if (!m_timeLine || !m_document.ProjectOpen)
        return;
    m_timeLine->SetInOutPosition(m_timeLine->InPosition(), time);
    SetPlayTime(int64_t(m_timeLine->OutPosition()) - m_timeLine->InPosition());
}
