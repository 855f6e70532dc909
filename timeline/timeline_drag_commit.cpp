#include "timeline/timeline_messages.h"
#include "timeline/timeline_model.h"

#include <algorithm>
#include <set>

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
    bool snap,
    const SelectedKeys* selected) const
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
        // Only an item in the way is looked up in the selection: drags plan with thousands.
        if (skipSelected
            && (SameItemKey(other, item)
                || (selected ? selected->contains(SelectedKey(other))
                             : IsItemSelected(other.FaceNo, other.Start))))
            continue;
        if (runsInto) {
            // It would run into the other item: only a shortened item fits, and only when the
            // shortened one meets nothing else.
            if (!trimToFit || es - s <= 0)
                return 0;
            tagTL_FACE_ITEM_DATA trimmed = item;
            trimmed.PlayTime = int32_t(es - s);
            int32_t trimmedStart = start;
            if (!PlaceItem(face, trimmedStart, trimmed, skipSelected, false, false, selected))
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
            if (!PlaceItem(face, after, moved, skipSelected, false, snap, selected))
                return 0;
            start = after;
            return 1;
        }
    }
    return 1;
}

TlItemDragPlan CTimeLineModel::PlanItemDrag(
    int mouseState, int x, int y, int grabOffsetPx, TlItemRef grabbed) const
{
    TlItemDragPlan plan;
    plan.mouseState = mouseState;
    if (mouseState != TL_MOUSE_ITEM_MOVE && mouseState != TL_MOUSE_ITEM_COPY
        && mouseState != TL_MOUSE_ITEM_LINK)
        return plan;
    const bool link = mouseState == TL_MOUSE_ITEM_LINK;
    const TlFaceRowHit target = HitTestFaceRow(x, y);
    int64_t newStart = int64_t(target.time) - int64_t(grabOffsetPx) * m_viewport.UnitsPerPixel();
    newStart = SnapStartToPlayhead(std::max<int64_t>(newStart, 0), m_playPosition, m_viewport.unitsPerColumn);
    if (target.channel < 0 || target.faceNo < 0 || target.subNo < 0 || target.time < 0)
        return plan;
    const auto grabbedItem
        = std::find_if(m_selection.begin(), m_selection.end(), [&](const tagTL_FACE_ITEM_DATA& item) {
              return item.FaceNo == grabbed.faceNo && item.Start == grabbed.start;
          });
    if (grabbedItem == m_selection.end())
        return plan;
    const tagTL_FACE_ITEM_DATA grabbedRecord = *grabbedItem;
    // A move takes items off their faces: never off a locked one.
    if (mouseState == TL_MOUSE_ITEM_MOVE && IsSelectionLocked())
        return plan;

    // Commit order: faces moving down are emptied from the bottom, faces moving up from the
    // top; within a face the items moving later go last-first and the items moving earlier
    // first-first, so no item lands where a selected item has not left yet.
    const int targetRow = FaceRow(m_faces, target.faceNo);
    const int grabbedRow = FaceRow(m_faces, grabbedRecord.FaceNo);
    const int64_t shift = newStart - grabbedRecord.Start;
    std::vector<tagTL_FACE_ITEM_DATA> work = m_selection;
    std::stable_sort(
        work.begin(), work.end(), [&](const tagTL_FACE_ITEM_DATA& a, const tagTL_FACE_ITEM_DATA& b) {
            const int rowA = FaceRow(m_faces, a.FaceNo);
            const int rowB = FaceRow(m_faces, b.FaceNo);
            if (rowA != rowB)
                return grabbedRow >= targetRow ? rowA < rowB : rowA > rowB;
            return shift > 0 ? a.Start > b.Start : a.Start < b.Start;
        });

    SelectedKeys selected;
    selected.reserve(qsizetype(m_selection.size()));
    for (const tagTL_FACE_ITEM_DATA& item : m_selection)
        selected.insert(SelectedKey(item));
    std::set<std::pair<int32_t, int32_t>> targets;
    for (const tagTL_FACE_ITEM_DATA& item : work) {
        if (link && !(item.FaceNo == grabbed.faceNo && item.Start == grabbed.start))
            continue;
        const int row = FaceRow(m_faces, item.FaceNo) - grabbedRow + targetRow;
        if (FaceRow(m_faces, item.FaceNo) < 0 || row < 0 || row >= FaceCount())
            return plan;
        const tagTL_FACE_DATA& face = m_faces[size_t(row)];
        TlItemPlacement placement { item, item, face.No, 0 };
        if (link) {
            // A LINK shows a picture, camera or movie item of another face at its own start.
            if (item.Mode == tagTL_FACE_ITEM_DATA::MODE_LINK
                && !FindLinkableItem(item.LinkFaceNo, item.Start, placement.source))
                return plan;
            if (!IsMediaMode(placement.source.Mode) || face.No == placement.source.FaceNo)
                return plan;
            placement.start = item.Start;
        } else {
            placement.start = int32_t(std::clamp<int64_t>(int64_t(item.Start) + shift, 0, INT32_MAX));
        }
        // A copy or a LINK lies beside the items that stay: the selected ones are obstacles too.
        tagTL_FACE_ITEM_DATA placed = link ? placement.source : item;
        if (!PlaceItem(
                face, placement.start, placed, mouseState == TL_MOUSE_ITEM_MOVE, false, !link, &selected))
            return plan;
        // Two items brought to one start (held at 0, or moved behind the same item) refuse all.
        if (!targets.insert({ placement.faceNo, placement.start }).second)
            return plan;
        plan.placements.push_back(placement);
    }
    plan.valid = !plan.placements.empty();
    if (!plan.valid)
        plan.placements.clear();
    return plan;
}

int CTimeLineModel::CommitItemDrag(int mouseState, int x, int y, int grabOffsetPx, TlItemRef grabbed)
{
    return CommitItemDrag(PlanItemDrag(mouseState, x, y, grabOffsetPx, grabbed));
}

int CTimeLineModel::CommitItemDrag(const TlItemDragPlan& plan)
{
    if (!plan.valid || plan.placements.empty())
        return 0;
    const int mouseState = plan.mouseState;
    const bool link = mouseState == TL_MOUSE_ITEM_LINK;
    const bool several = m_selection.size() >= 2;
    NotifyChangeGroup(1);
    if (several)
        NotifyWaitBegin();
    const uint64_t generation = m_faceListGeneration;
    std::vector<ItemRecordPair> committed;
    for (const TlItemPlacement& placement : plan.placements) {
        if (m_faceListGeneration != generation)
            break;
        RemoveFromSelection(placement.item.FaceNo, placement.item.Start);
        tagTL_FACE_ITEM_DATA live;
        const tagTL_FACE_DATA* face = FindFace(m_faces, 1, placement.faceNo);
        if (!face || !GetItemRecord(placement.item.FaceNo, placement.item.Start, live))
            continue;
        int32_t start = placement.start;
        tagTL_FACE_ITEM_DATA placed = link ? placement.source : live;
        if (!PlaceItem(*face, start, placed, mouseState == TL_MOUSE_ITEM_MOVE, false, !link))
            continue;
        const int32_t channel = face->Channel;
        const int32_t subNo = face->SubNo;
        int done = 0;
        if (mouseState == TL_MOUSE_ITEM_MOVE)
            done = DropMovedItems(channel, placement.faceNo, start, subNo, live);
        else if (mouseState == TL_MOUSE_ITEM_COPY)
            done = DropItemsAsCopy(channel, placement.faceNo, start, subNo, live);
        else
            done = DropAltItems(channel, placement.faceNo, start, subNo, placement.source);
        if (!done)
            continue;
        tagTL_FACE_ITEM_DATA after;
        GetItemRecord(placement.faceNo, start, after);
        committed.push_back({ live, after });
    }
    // A LINK that moved with its source keeps showing it: it follows the source to its new face,
    // or, when they ended at different starts, becomes an item of its linked kind.
    std::vector<tagTL_FACE_ITEM_DATA> vacated;
    std::vector<tagTL_FACE_ITEM_DATA> made;
    for (const ItemRecordPair& pair : committed) {
        made.push_back(pair.after);
        if (mouseState == TL_MOUSE_ITEM_MOVE)
            vacated.push_back(pair.before);
        if (m_faceListGeneration != generation || pair.after.Mode != tagTL_FACE_ITEM_DATA::MODE_LINK || link)
            continue;
        const auto partner
            = std::find_if(committed.begin(), committed.end(), [&](const ItemRecordPair& other) {
                  return other.before.FaceNo == pair.before.LinkFaceNo
                      && other.before.Start == pair.before.Start;
              });
        if (partner == committed.end())
            continue;
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
