#include "timeline/timeline_messages.h"
#include "timeline/timeline_model.h"

#include <QSet>
#include <algorithm>

using namespace timeline;

int CTimeLineModel::CanPlaceItem(int32_t channel,
    int32_t faceNo,
    int32_t subNo,
    int32_t& start,
    tagTL_FACE_ITEM_DATA& item,
    bool skipSelected,
    bool trimToFit) const
{
    const tagTL_FACE_DATA* face = FindFace(m_faces, channel, faceNo, subNo);
    if (!face)
        return 0;
    return PlaceItem(*face, start, item, skipSelected, trimToFit,
        m_snapAfterOverlap && m_mouseState != TL_MOUSE_ITEM_LINK);
}

int CTimeLineModel::PlaceItem(const tagTL_FACE_DATA& face,
    int32_t& start,
    tagTL_FACE_ITEM_DATA& item,
    bool skipSelected,
    bool trimToFit,
    bool snap) const
{
    if (face.Lock == 1 || start < 0 || item.PlayTime <= 0)
        return 0;
    const int64_t s = start;
    const int64_t length = item.PlayTime;
    for (const tagTL_FACE_ITEM_DATA& other : face.Items) {
        const int64_t es = other.Start;
        const int64_t ee = ItemEnd(other);
        const bool runsInto = (s <= es && s + length >= ee) || (s < es && es < s + length);
        const bool inside = es <= s && s + length <= ee;
        const bool runsPast = es <= s && s < ee && ee < s + length;
        if (!runsInto && !inside && !runsPast)
            continue;
        if (skipSelected && (SameItemKey(other, item) || IsItemSelected(other.FaceNo, other.Start)))
            continue;
        if (runsInto) {
            // It would run into the other item: only a shortened item fits, and only when the
            // shortened one meets nothing else.
            if (!trimToFit || es - s <= 0)
                return 0;
            tagTL_FACE_ITEM_DATA trimmed = item;
            trimmed.PlayTime = int32_t(es - s);
            int32_t trimmedStart = start;
            if (!PlaceItem(face, trimmedStart, trimmed, skipSelected, false, false))
                return 0;
            item = trimmed;
            return 1;
        }
        if (inside)
            return 0; // inside the other item
        if (runsPast) {
            // It starts inside the other item and runs past its end: it may start at that end.
            if (!snap || ee >= m_projectLength)
                return 0;
            int32_t after = int32_t(ee);
            tagTL_FACE_ITEM_DATA moved = item;
            if (!PlaceItem(face, after, moved, skipSelected, false, snap))
                return 0;
            start = after;
            return 1;
        }
    }
    return 1;
}

int CTimeLineModel::CommitItemDrag(int mouseState, int x, int y, int grabOffsetPx, TlItemRef grabbed)
{
    return CommitItemDrag(PlanItemDrag(mouseState, x, y, grabOffsetPx, grabbed));
}

int CTimeLineModel::CommitItemDrag(const TlItemDragPlan& plan)
{
    if (!plan.valid || plan.placements.empty())
        return 0;
    // The release lands the items where the feedback drew them: a plan the model no longer
    // gives (the faces changed since it was drawn) is refused whole.
    if (PlanItemDragTo(plan.mouseState, plan.faceNo, plan.start, plan.grabbed) != plan)
        return 0;
    const int mouseState = plan.mouseState;
    const bool link = mouseState == TL_MOUSE_ITEM_LINK;
    const bool several = m_selection.Size() >= 2;
    NotifyChangeGroup(1);
    if (several)
        NotifyWaitBegin();
    const uint64_t generation = m_faceListGeneration;
    const std::vector<ItemRecordPair> committed = link ? CommitLinkDrop(plan) : CommitMovesAndCopies(plan);
    // A LINK that moved with its source keeps showing it: it follows the source to its new face,
    // or, when they ended at different starts, becomes an item of its linked kind.
    std::vector<tagTL_FACE_ITEM_DATA> vacated;
    std::vector<tagTL_FACE_ITEM_DATA> made;
    QHash<quint64, size_t> committedFrom; // by the key each item had before
    for (size_t index = 0; index < committed.size(); ++index)
        committedFrom.insert(
            CItemSelection::Key(committed[index].before.FaceNo, committed[index].before.Start), index);
    for (const ItemRecordPair& pair : committed) {
        made.push_back(pair.after);
        if (mouseState == TL_MOUSE_ITEM_MOVE)
            vacated.push_back(pair.before);
        if (m_faceListGeneration != generation || pair.after.Mode != tagTL_FACE_ITEM_DATA::MODE_LINK || link)
            continue;
        const auto found
            = committedFrom.constFind(CItemSelection::Key(pair.before.LinkFaceNo, pair.before.Start));
        if (found == committedFrom.cend())
            continue;
        const ItemRecordPair* partner = &committed[found.value()];
        if (partner->after.Start == pair.after.Start && partner->after.FaceNo != partner->before.FaceNo)
            SetItemLinkFace(pair.after.FaceNo, pair.after.Start, partner->after.FaceNo);
        else if (partner->after.Start != pair.after.Start && pair.after.LinkMode != 0)
            SetItemMode(pair.after.FaceNo, pair.after.Start, pair.after.LinkMode);
    }
    if (m_faceListGeneration == generation)
        ReleaseOrphanLinks(vacated, made);

    NotifyWaitEnd();
    NotifyChangeGroup(0);
    ClearSelection();
    RepaintControl();
    return 1;
}

std::vector<ItemRecordPair> CTimeLineModel::CommitLinkDrop(const TlItemDragPlan& plan)
{
    std::vector<ItemRecordPair> committed;
    for (const TlItemPlacement& placement : plan.placements) {
        const tagTL_FACE_DATA* face = FindFace(m_faces, 1, placement.faceNo);
        tagTL_FACE_ITEM_DATA live;
        if (!face || !GetItemRecord(placement.item.FaceNo, placement.item.Start, live))
            continue;
        if (!DropAltItems(face->Channel, placement.faceNo, placement.start, face->SubNo, placement.source))
            continue;
        tagTL_FACE_ITEM_DATA after;
        GetItemRecord(placement.faceNo, placement.start, after);
        committed.push_back({ live, after });
    }
    return committed;
}

std::vector<ItemRecordPair> CTimeLineModel::CommitMovesAndCopies(const TlItemDragPlan& plan)
{
    // Every item is dropped as DropMovedItems or DropItemsAsCopy drops one, but the faces are
    // changed in one pass each (a drop at a time would shift a face's items once per item); the
    // owner is then told of each item in the plan's order.
    const bool move = plan.mouseState == TL_MOUSE_ITEM_MOVE;
    std::vector<ItemRecordPair> dropped;
    dropped.reserve(plan.placements.size());
    QSet<quint64> leaving;
    for (const TlItemPlacement& placement : plan.placements) {
        const tagTL_FACE_DATA* target = FindFace(m_faces, 1, placement.faceNo);
        tagTL_FACE_ITEM_DATA before;
        if (!target || !GetItemRecord(placement.item.FaceNo, placement.item.Start, before))
            continue;
        tagTL_FACE_ITEM_DATA after = before;
        after.Channel = target->Channel;
        after.FaceNo = target->No;
        after.SubNo = target->SubNo;
        after.Start = placement.start;
        AnchorEffects(after);
        if (move && SameItemKey(before, after))
            continue; // dropped where it lies: nothing to do
        if (move)
            leaving.insert(CItemSelection::Key(before.FaceNo, before.Start));
        dropped.push_back({ before, after });
    }
    if (move) {
        for (tagTL_FACE_DATA& face : m_faces) {
            std::erase_if(face.Items, [&](const tagTL_FACE_ITEM_DATA& item) {
                return leaving.contains(CItemSelection::Key(item.FaceNo, item.Start));
            });
        }
    }
    QSet<int32_t> landedOn;
    for (const ItemRecordPair& pair : dropped) {
        FindFace(m_faces, 1, pair.after.FaceNo)->Items.push_back(pair.after);
        landedOn.insert(pair.after.FaceNo);
    }
    for (tagTL_FACE_DATA& face : m_faces) {
        if (landedOn.contains(face.No))
            SortItems(face);
    }

    const uint64_t generation = m_faceListGeneration;
    for (const ItemRecordPair& pair : dropped) {
        if (m_faceListGeneration != generation)
            break; // the owner renumbered the faces: the remaining keys name other items
        if (move) {
            FollowItemKey(pair.before, pair.after);
            if (m_owner)
                m_owner->OnTlItemMoved(pair);
        } else if (m_owner) {
            m_owner->OnTlItemCopied(pair);
        }
    }
    if (!dropped.empty() && m_faceListGeneration == generation) {
        SyncPanelFaceList();
        m_panel->SetItem(dropped.back().after);
    }
    return dropped;
}
