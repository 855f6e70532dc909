#include "timeline/timeline_model.h"

#include <algorithm>

// The faces of the model: adding, loading, switching, deleting them, and following their numbers
// when they are renumbered.

using namespace timeline;

void CTimeLineModel::SetDefaultCorners(tagTL_FACE_DATA& face, int32_t faceNo)
{
    const int32_t offset = 30 * (((faceNo - 1) % 5 + 5) % 5);
    face.X = { 800 + offset, 1120 + offset, 1120 + offset, 800 + offset };
    face.Y = { 450 + offset, 450 + offset, 630 + offset, 630 + offset };
}

void CTimeLineModel::SetFrameColor(tagTL_FACE_DATA& face, int entry) const
{
    const COLORREF color = m_frameColors[size_t(std::clamp(entry, 1, 10) - 1)];
    face.R = int32_t(color & 0xFF);
    face.G = int32_t((color >> 8) & 0xFF);
    face.B = int32_t((color >> 16) & 0xFF);
}

int CTimeLineModel::AddFace()
{
    int32_t number = 1;
    for (const tagTL_FACE_DATA& face : m_faces) {
        if (face.Channel == 1 && face.No == number)
            ++number;
    }
    tagTL_FACE_DATA face;
    face.Channel = 1;
    face.No = number;
    face.SubNo = 0;
    face.Status = 1;
    face.Lock = 0;
    SetFrameColor(face, (number - 1) % 10 + 1);
    SetDefaultCorners(face, number);
    if (AddFaceRecord(face) == 0)
        return 0;
    if (m_owner)
        m_owner->OnTlFaceAdded(face);
    return number;
}

int CTimeLineModel::AddFaceRecord(tagTL_FACE_DATA face)
{
    if (face.No < 1 || FindFace(m_faces, face.Channel, face.No, face.SubNo))
        return 0;
    for (tagTL_FACE_ITEM_DATA& item : face.Items) {
        item.Channel = face.Channel;
        item.FaceNo = face.No;
        item.SubNo = face.SubNo;
    }
    SortItems(face);
    for (size_t index = 1; index < face.Items.size(); ++index) {
        if (face.Items[index].Start == face.Items[index - 1].Start)
            return 0;
    }
    const int32_t number = face.No;
    InsertFaceSorted(m_faces, std::move(face));
    ++m_faceListGeneration;
    return number;
}

int CTimeLineModel::SetFaceDisplayPosition(const tagTL_FACE_DATA& record)
{
    tagTL_FACE_DATA* face = FindFace(m_faces, record.Channel, record.No);
    if (!face)
        return 1;
    face->Status = record.Status;
    face->Lock = record.Lock;
    face->R = record.R;
    face->G = record.G;
    face->B = record.B;
    face->X = record.X;
    face->Y = record.Y;
    const tagTL_FACE_DATA changed = *face;
    if (m_owner)
        m_owner->OnTlFaceChanged(changed, 1);
    return 1;
}

int CTimeLineModel::DeleteFace(int32_t channel, int32_t faceNo)
{
    const tagTL_FACE_DATA* found = FindFace(m_faces, channel, faceNo);
    if (!found)
        return 0;
    const tagTL_FACE_DATA deleted = *found;

    ClearSelection();
    m_panel->ClearItem();

    const uint64_t generation = m_faceListGeneration;
    for (const tagTL_FACE_ITEM_DATA& item : deleted.Items) {
        DeleteItem(item.Channel, item.FaceNo, item.Start, item.SubNo);
        if (m_faceListGeneration != generation)
            return 0;
    }

    // LINK items that showed the face's items lose their source: they become independent items
    // now, under the numbers the owner still knows, instead of following the renumbering to
    // whatever face takes the number.
    std::vector<tagTL_FACE_ITEM_DATA> orphans;
    for (const tagTL_FACE_DATA& face : m_faces) {
        for (const tagTL_FACE_ITEM_DATA& item : face.Items) {
            if (item.Mode == tagTL_FACE_ITEM_DATA::MODE_LINK && item.Channel == channel
                && item.LinkFaceNo == faceNo && face.No != faceNo)
                orphans.push_back(item);
        }
    }
    for (const tagTL_FACE_ITEM_DATA& link : orphans) {
        const tagTL_FACE_ITEM_DATA* source = FindItem(deleted, link.Start);
        DissolveLinkItem(link, source && IsMediaMode(source->Mode) ? source->Mode : 0);
        if (m_faceListGeneration != generation)
            return 0;
    }

    const auto face = std::find_if(m_faces.begin(), m_faces.end(),
        [&](const tagTL_FACE_DATA& f) { return f.Channel == channel && f.No == faceNo; });
    m_faces.erase(face);
    ++m_faceListGeneration;
    const std::vector<int32_t> oldNumbers = RenumberByRow(m_faces);
    RepointLinks(m_faces, oldNumbers, RowNumbers(oldNumbers.size()), -1);
    FollowFaceNumbers(oldNumbers, -1);
    if (m_owner)
        m_owner->OnTlFaceDeleted(deleted);
    UpdateVertScrollRange();
    RepaintControl();
    return 1;
}

int CTimeLineModel::GetFaceData(int32_t, int32_t faceNo, tagTL_FACE_DATA& face) const
{
    const tagTL_FACE_DATA* found = FindFace(m_faces, 1, faceNo);
    if (!found)
        return 0;
    face = *found;
    return 1;
}

bool CTimeLineModel::ToggleFaceLock(int32_t faceNo)
{
    tagTL_FACE_DATA* face = FindFace(m_faces, 1, faceNo);
    if (!face)
        return false;
    face->Lock = face->Lock == 0 ? 1 : 0;
    const tagTL_FACE_DATA changed = *face;
    if (m_owner)
        m_owner->OnTlFaceChanged(changed, 1);
    // The panel's pages follow the lock of the face whose item they show.
    if (IsFaceSelected(faceNo))
        m_panel->SetLock(changed.Lock);
    return true;
}

bool CTimeLineModel::ToggleFaceDisplay(int32_t faceNo)
{
    tagTL_FACE_DATA* face = FindFace(m_faces, 1, faceNo);
    if (!face || face->Lock == 1)
        return false;
    face->Status = face->Status == 0 ? 1 : 0;
    const tagTL_FACE_DATA changed = *face;
    if (m_owner)
        m_owner->OnTlFaceChanged(changed, 1);
    return true;
}

bool CTimeLineModel::SetFaceColour(int32_t faceNo, COLORREF colour)
{
    tagTL_FACE_DATA* face = FindFace(m_faces, 1, faceNo);
    if (!face)
        return false;
    face->R = int32_t(colour & 0xFF);
    face->G = int32_t((colour >> 8) & 0xFF);
    face->B = int32_t((colour >> 16) & 0xFF);
    const tagTL_FACE_DATA changed = *face;
    if (m_owner)
        m_owner->OnTlFaceChanged(changed, 1);
    return true;
}

int CTimeLineModel::SetFaceData(const tagTL_FACE_DATA& record)
{
    tagTL_FACE_DATA* face = FindFace(m_faces, record.Channel, record.No);
    if (!face)
        return 0;
    face->R = record.R;
    face->G = record.G;
    face->B = record.B;
    face->X = record.X;
    face->Y = record.Y;
    const tagTL_FACE_DATA changed = *face;
    if (m_owner)
        m_owner->OnTlFaceChanged(changed, 0);
    return 1;
}

void CTimeLineModel::GetFaceNumbers(int32_t, std::vector<int32_t>& numbers) const
{
    numbers.clear();
    for (const tagTL_FACE_DATA& face : m_faces) {
        if (face.Channel == 1)
            numbers.push_back(face.No);
    }
}

void CTimeLineModel::FollowFaceNumbers(const std::vector<int32_t>& oldNumbers, int skipRow)
{
    // The face that had a number before now has the number of its row; a copy's new row is
    // skipped because the copy carries its source's old number.
    const auto newNumberOf = [&](int32_t oldNumber) -> int32_t {
        for (size_t row = 0; row < oldNumbers.size(); ++row) {
            if (int(row) != skipRow && oldNumbers[row] == oldNumber)
                return int32_t(row + 1);
        }
        return -1;
    };
    const TlItemRef oldCurrent = m_currentItem;
    const std::vector<tagTL_FACE_ITEM_DATA> selection = m_selection.Items();
    m_selection.Clear();
    for (const tagTL_FACE_ITEM_DATA& selected : selection) {
        tagTL_FACE_ITEM_DATA item;
        if (GetItemRecord(newNumberOf(selected.FaceNo), selected.Start, item))
            m_selection.Add(item);
    }
    if (m_currentItem.IsSet()) {
        const TlItemRef moved { newNumberOf(m_currentItem.faceNo), m_currentItem.start };
        m_currentItem = FindLiveItem(moved.faceNo, moved.start) ? moved : TlItemRef();
    }
    if (m_currentFace > 0)
        m_currentFace = newNumberOf(m_currentFace);

    // The panel shows the current item under its old number: give it the renumbered record.
    if (oldCurrent.IsSet() && m_currentItem.IsSet() && oldCurrent.faceNo != m_currentItem.faceNo
        && m_panel->IsCurrentItem(1, oldCurrent.faceNo, 0, oldCurrent.start)) {
        tagTL_FACE_ITEM_DATA item;
        if (GetItemRecord(m_currentItem.faceNo, m_currentItem.start, item)) {
            SyncPanelFaceList();
            m_panel->SetItem(item);
        }
    }
}
