#include "timeline/timeline_model.h"

#include <algorithm>

// The items of the model: adding, deleting, dropping (moved, copied, linked) and changing one item,
// each told to the owner.

using namespace timeline;

namespace {

bool IsItemKind(int32_t kind)
{
    return kind == tagTL_FACE_ITEM_DATA::MODE_NONE || IsMediaMode(kind)
        || kind == tagTL_FACE_ITEM_DATA::MODE_SOUND || kind == tagTL_FACE_ITEM_DATA::MODE_LINK;
}

} // namespace

tagTL_FACE_ITEM_DATA* CTimeLineModel::FindLiveItem(int32_t faceNo, int32_t start)
{
    tagTL_FACE_DATA* face = FindFaceByNo(m_faces, faceNo);
    return face ? FindItem(*face, start) : nullptr;
}

int CTimeLineModel::AddItemRecord(const tagTL_FACE_ITEM_DATA& item)
{
    tagTL_FACE_DATA* face = FindFace(m_faces, item.Channel, item.FaceNo);
    if (!face)
        return 0;
    tagTL_FACE_ITEM_DATA stored = item;
    stored.SubNo = face->SubNo;
    return InsertItemSorted(*face, stored) ? 1 : 0;
}

int CTimeLineModel::AddItem(int32_t faceNo, int32_t time, int32_t kind)
{
    if (time < 0 || time >= m_projectLength || !IsItemKind(kind))
        return 0;
    tagTL_FACE_DATA* face = FindFace(m_faces, 1, faceNo, 0);
    if (!face)
        return 0;
    int64_t limit = m_projectLength;
    for (const tagTL_FACE_ITEM_DATA& item : face->Items) {
        if (time < item.Start)
            limit = std::min<int64_t>(limit, item.Start);
        else if (time < ItemEnd(item))
            return 0;
    }
    int64_t playTime = limit - time;
    if (kind == tagTL_FACE_ITEM_DATA::MODE_IMAGE)
        playTime = std::min<int64_t>(playTime, m_imageDefaultTime);
    if (playTime <= 0)
        return 0;
    tagTL_FACE_ITEM_DATA item;
    item.Channel = 1;
    item.FaceNo = faceNo;
    item.SubNo = 0;
    item.Start = time;
    item.PlayTime = int32_t(playTime);
    item.Mode = kind;
    if (!InsertItemSorted(*face, item))
        return 0;
    if (m_owner)
        m_owner->OnTlItemAdded(item);
    RepaintControl();
    return 1;
}

int CTimeLineModel::DeleteItem(int32_t channel, int32_t faceNo, int32_t start, int32_t subNo)
{
    tagTL_FACE_DATA* face = FindFace(m_faces, channel, faceNo, subNo);
    int deleted = 0;
    if (face) {
        const auto item
            = std::find_if(face->Items.begin(), face->Items.end(), [&](const tagTL_FACE_ITEM_DATA& i) {
                  return i.Channel == channel && i.FaceNo == faceNo && i.Start == start && i.SubNo == subNo;
              });
        if (item != face->Items.end()) {
            const tagTL_FACE_ITEM_DATA removed = *item;
            face->Items.erase(item);
            RemoveFromSelection(faceNo, start);
            if (m_currentItem == TlItemRef { faceNo, start })
                m_currentItem = TlItemRef();
            if (m_owner)
                m_owner->OnTlItemDeleted(removed);
            deleted = 1;
        }
    }
    RepaintControl();
    return deleted;
}

void CTimeLineModel::FollowItemKey(const tagTL_FACE_ITEM_DATA& before, const tagTL_FACE_ITEM_DATA& after)
{
    m_selection.Replace(before.FaceNo, before.Start, after);
    if (m_currentItem == TlItemRef { before.FaceNo, before.Start })
        m_currentItem = TlItemRef { after.FaceNo, after.Start };
}

void CTimeLineModel::RefreshPanelAfterChange(
    const tagTL_FACE_ITEM_DATA& before, const tagTL_FACE_ITEM_DATA& after)
{
    SyncPanelFaceList();
    if (!m_panel->IsCurrentItem(before.Channel, before.FaceNo, before.SubNo, before.Start))
        return;
    if (SameItemKey(before, after))
        m_panel->UpdateItem(after);
    else
        m_panel->SetItem(after);
}

int CTimeLineModel::DropItem(DropKind kind,
    int32_t channel,
    int32_t faceNo,
    int32_t start,
    int32_t subNo,
    const tagTL_FACE_ITEM_DATA& source)
{
    tagTL_FACE_DATA* sourceFace = FindFace(m_faces, source.Channel, source.FaceNo, source.SubNo);
    tagTL_FACE_DATA* target = FindFace(m_faces, channel, faceNo, subNo);
    tagTL_FACE_ITEM_DATA* live = sourceFace ? FindItem(*sourceFace, source.Start) : nullptr;
    // The target key must be free: an item never lands on another's start.
    if (!live || !target || start < 0 || FindItem(*target, start))
        return 0;
    // A LINK shows a picture, camera or movie item of another face; nothing links to itself.
    if (kind == DropKind::Link && (faceNo == source.FaceNo || !IsMediaMode(live->Mode)))
        return 0;
    const tagTL_FACE_ITEM_DATA before = *live;
    tagTL_FACE_ITEM_DATA after = before;
    after.Channel = channel;
    after.FaceNo = faceNo;
    after.SubNo = subNo;
    after.Start = start;
    if (kind == DropKind::Link) {
        // The effect times stay: the LINK lies at its source's start.
        after.Mode = tagTL_FACE_ITEM_DATA::MODE_LINK;
        after.LinkFaceNo = before.FaceNo;
        after.LinkMode = before.Mode;
    } else {
        AnchorEffects(after);
    }
    if (kind == DropKind::Move)
        sourceFace->Items.erase(sourceFace->Items.begin() + (live - sourceFace->Items.data()));
    InsertItemSorted(*target, after);
    if (kind == DropKind::Move) {
        FollowItemKey(before, after);
        if (m_owner)
            m_owner->OnTlItemMoved(ItemRecordPair { before, after });
    } else if (m_owner) {
        m_owner->OnTlItemCopied(ItemRecordPair { before, after });
    }
    SyncPanelFaceList();
    m_panel->SetItem(after);
    return 1;
}

int CTimeLineModel::DropMovedItems(
    int32_t channel, int32_t faceNo, int32_t start, int32_t subNo, const tagTL_FACE_ITEM_DATA& source)
{
    return DropItem(DropKind::Move, channel, faceNo, start, subNo, source);
}

int CTimeLineModel::DropItemsAsCopy(
    int32_t channel, int32_t faceNo, int32_t start, int32_t subNo, const tagTL_FACE_ITEM_DATA& source)
{
    return DropItem(DropKind::Copy, channel, faceNo, start, subNo, source);
}

int CTimeLineModel::DropAltItems(
    int32_t channel, int32_t faceNo, int32_t start, int32_t subNo, const tagTL_FACE_ITEM_DATA& source)
{
    return DropItem(DropKind::Link, channel, faceNo, start, subNo, source);
}

bool CTimeLineModel::MoveItemTo(int32_t faceNo, int32_t oldStart, int32_t newStart)
{
    tagTL_FACE_DATA* face = FindFaceByNo(m_faces, faceNo);
    tagTL_FACE_ITEM_DATA* live = face ? FindItem(*face, oldStart) : nullptr;
    if (!live || oldStart == newStart || newStart < 0)
        return false;
    const int64_t playTime = int64_t(live->PlayTime) + oldStart - newStart;
    if (playTime <= 0 || playTime > INT32_MAX || FindItem(*face, newStart))
        return false;
    const tagTL_FACE_ITEM_DATA before = *live;
    tagTL_FACE_ITEM_DATA after = before;
    after.Start = newStart;
    after.PlayTime = int32_t(playTime);
    const int64_t entry = EntryEffectLength(after);
    if (entry > 0) {
        after.InStartTime = newStart;
        after.InEndTime = int32_t(newStart + entry);
    }
    *live = after;
    SortItems(*face);
    FollowItemKey(before, after);
    if (m_owner)
        m_owner->OnTlItemMoved(ItemRecordPair { before, after });
    RefreshPanelAfterChange(before, after);
    return true;
}

bool CTimeLineModel::ResizeItemEnd(int32_t faceNo, int32_t start, int32_t end)
{
    tagTL_FACE_ITEM_DATA* live = FindLiveItem(faceNo, start);
    const int64_t playTime = int64_t(end) - start;
    if (!live || playTime <= 0)
        return false;
    const tagTL_FACE_ITEM_DATA before = *live;
    live->PlayTime = int32_t(playTime);
    AnchorEffects(*live);
    const tagTL_FACE_ITEM_DATA after = *live;
    FollowItemKey(before, after);
    if (m_owner)
        m_owner->OnTlItemChanged(ItemRecordPair { before, after });
    RefreshPanelAfterChange(before, after);
    return true;
}

bool CTimeLineModel::SetItemLinkFace(int32_t faceNo, int32_t start, int32_t linkFaceNo)
{
    tagTL_FACE_ITEM_DATA* live = FindLiveItem(faceNo, start);
    if (!live)
        return false;
    const tagTL_FACE_ITEM_DATA before = *live;
    live->LinkFaceNo = linkFaceNo;
    const tagTL_FACE_ITEM_DATA after = *live;
    FollowItemKey(before, after);
    NotifyItemChanged(before, after);
    return true;
}

bool CTimeLineModel::SetItemMode(int32_t faceNo, int32_t start, int32_t mode)
{
    tagTL_FACE_ITEM_DATA* live = FindLiveItem(faceNo, start);
    if (!live)
        return false;
    const tagTL_FACE_ITEM_DATA before = *live;
    live->Mode = mode;
    const tagTL_FACE_ITEM_DATA after = *live;
    FollowItemKey(before, after);
    NotifyItemChanged(before, after);
    return true;
}

int CTimeLineModel::SetItemData(const tagTL_FACE_ITEM_DATA& item)
{
    tagTL_FACE_DATA* face = FindFace(m_faces, item.Channel, item.FaceNo, item.SubNo);
    tagTL_FACE_ITEM_DATA* live = face ? FindItem(*face, item.Start) : nullptr;
    if (!live)
        return 0;
    *live = item;
    const tagTL_FACE_ITEM_DATA* selected = m_selection.Find(item.FaceNo, item.Start);
    if (selected && SameItemKey(*selected, item))
        m_selection.Replace(item.FaceNo, item.Start, item);
    return 1;
}

int CTimeLineModel::ApplyItemChange(const tagTL_FACE_ITEM_DATA& oldItem, const tagTL_FACE_ITEM_DATA& newItem)
{
    tagTL_FACE_DATA* face = FindFace(m_faces, newItem.Channel, newItem.FaceNo, newItem.SubNo);
    tagTL_FACE_ITEM_DATA* live = face ? FindItem(*face, oldItem.Start) : nullptr;
    if (!live || newItem.Start < 0)
        return 0;
    if (newItem.Start != oldItem.Start && FindItem(*face, newItem.Start))
        return 0;
    *live = newItem;
    SortItems(*face);
    const tagTL_FACE_ITEM_DATA* selected = m_selection.Find(newItem.FaceNo, oldItem.Start);
    if (selected && selected->Channel == newItem.Channel && selected->SubNo == newItem.SubNo)
        m_selection.Replace(newItem.FaceNo, oldItem.Start, newItem);
    if (m_currentItem == TlItemRef { newItem.FaceNo, oldItem.Start })
        m_currentItem.start = newItem.Start;
    return 1;
}

void CTimeLineModel::DissolveLinkItem(const tagTL_FACE_ITEM_DATA& link, int32_t kind)
{
    tagTL_FACE_ITEM_DATA after = link;
    DissolveLink(after, kind);
    if (SetItemData(after))
        NotifyItemChanged(link, after);
}
