#include "timeline/timeline_messages.h"
#include "timeline/timeline_model.h"

#include <algorithm>

using namespace timeline;

namespace {

int32_t ToTime(int64_t time)
{
    return int32_t(std::clamp<int64_t>(time, 0, INT32_MAX));
}

} // namespace

TlTrimPlan CTimeLineModel::PlanTrim(bool leftEdge, int x, TlItemRef grabbed) const
{
    TlTrimPlan plan;
    plan.leftEdge = leftEdge;
    tagTL_FACE_ITEM_DATA held;
    if (!GetItemRecord(grabbed.faceNo, grabbed.start, held))
        return plan;
    const int units = m_viewport.unitsPerColumn;
    const int64_t pointerTime = m_viewport.XToTime(int64_t(x) - m_viewport.client.left - kHeaderWidth);
    const int64_t effects = EntryEffectLength(held) + ExitEffectLength(held);
    const auto previousEnd = [this](const tagTL_FACE_ITEM_DATA& item) {
        tagTL_FACE_ITEM_DATA previous;
        return FindPreviousItem(item.FaceNo, item.Start, previous) ? ItemEnd(previous) : kNoItem;
    };
    const auto nextStart = [this](const tagTL_FACE_ITEM_DATA& item) {
        tagTL_FACE_ITEM_DATA next;
        return FindNextItem(item.FaceNo, item.Start, next) ? int64_t(next.Start) : kNoItem;
    };

    const int64_t heldEnd = ItemEnd(held);
    int64_t shift = 0;
    if (leftEdge) {
        const int64_t start = TrimmedStart(pointerTime, previousEnd(held), heldEnd, units, effects);
        shift = start - held.Start;
        plan.changes.push_back({ held.FaceNo, held.Start, start, heldEnd });
    } else {
        const int64_t end = TrimmedEnd(pointerTime, held.Start, nextStart(held), units, effects);
        shift = end - heldEnd;
        plan.changes.push_back({ held.FaceNo, held.Start, held.Start, end });
    }
    // The effects' floor holds for the grabbed item only; the others follow its shift.
    for (const tagTL_FACE_ITEM_DATA& selected : m_selection.Items()) {
        if (selected.FaceNo == held.FaceNo && selected.Start == held.Start)
            continue;
        tagTL_FACE_ITEM_DATA item;
        if (!GetItemRecord(selected.FaceNo, selected.Start, item))
            continue;
        const int64_t end = ItemEnd(item);
        if (leftEdge) {
            plan.changes.push_back({ item.FaceNo, item.Start,
                TrimmedStartFollowing(item.Start, shift, previousEnd(item), end, units), end });
        } else {
            plan.changes.push_back({ item.FaceNo, item.Start, item.Start,
                TrimmedEndFollowing(end, shift, item.Start, nextStart(item), units) });
        }
    }
    return plan;
}

void CTimeLineModel::CommitTrim(const TlTrimPlan& plan)
{
    if (plan.changes.empty())
        return;
    NotifyChangeGroup(1);
    if (m_selection.Size() >= 2)
        NotifyWaitBegin();
    const uint64_t generation = m_faceListGeneration;
    std::vector<tagTL_FACE_ITEM_DATA> vacated;
    std::vector<tagTL_FACE_ITEM_DATA> made;
    for (const TlTrimChange& change : plan.changes) {
        if (m_faceListGeneration != generation)
            break; // the owner renumbered the faces: the remaining keys name other items
        tagTL_FACE_ITEM_DATA before;
        if (!GetItemRecord(change.faceNo, change.start, before))
            continue;
        if (plan.leftEdge) {
            if (MoveItemTo(change.faceNo, change.start, ToTime(change.newStart))) {
                tagTL_FACE_ITEM_DATA after;
                GetItemRecord(change.faceNo, ToTime(change.newStart), after);
                vacated.push_back(before);
                made.push_back(after);
            }
        } else {
            ResizeItemEnd(change.faceNo, change.start, ToTime(change.newEnd));
        }
    }
    if (m_faceListGeneration == generation) {
        // A selected LINK that no longer lies with its source on the same span stands alone; so
        // does any other LINK whose source moved its start.
        ApplyLinkCheck(std::vector<tagTL_FACE_ITEM_DATA>(m_selection.Items()));
        ReleaseOrphanLinks(vacated, made);
    }
    NotifyWaitEnd();
    NotifyChangeGroup(0);
    ClearSelection();
    RepaintControl();
}

TlEffectEdgePlan CTimeLineModel::PlanEffectEdge(int side, int x, TlItemRef held) const
{
    TlEffectEdgePlan plan;
    tagTL_FACE_ITEM_DATA item;
    if ((side != TL_EFFECT_ENTRY && side != TL_EFFECT_EXIT) || !GetItemRecord(held.faceNo, held.start, item))
        return plan;
    const int64_t pointerTime = m_viewport.XToTime(int64_t(x) - m_viewport.client.left - kHeaderWidth);
    const TlEffectLengths lengths = DraggedEffectLengths(item, side, pointerTime, m_viewport.unitsPerColumn);
    plan.valid = true;
    plan.faceNo = item.FaceNo;
    plan.start = item.Start;
    plan.side = side;
    plan.entryLength = lengths.entry;
    plan.exitLength = lengths.exit;
    return plan;
}

void CTimeLineModel::CommitEffectEdge(const TlEffectEdgePlan& plan)
{
    if (!plan.valid)
        return;
    NotifyChangeGroup(1);
    SetItemEffectTimes(plan.faceNo, plan.start,
        int32_t(std::clamp<int64_t>(plan.entryLength, INT32_MIN, INT32_MAX)),
        int32_t(std::clamp<int64_t>(plan.exitLength, INT32_MIN, INT32_MAX)));
    NotifyChangeGroup(0);
    RepaintControl();
}

void CTimeLineModel::SelectItemsInBand(const TlRect& band)
{
    const auto faceOf = [this](int x, int y) {
        const TlFaceRowHit hit = HitTestFaceRow(x, y);
        return hit.faceNo > 0 ? hit.faceNo : -1;
    };
    const auto timeOf = [this](int x, int y) {
        const TlFaceRowHit hit = HitTestFaceRow(x, y);
        return hit.time > 0 ? hit.time : -1;
    };
    const int left = band.left;
    const int right = band.right;
    const int top = band.top;
    const int bottom = band.bottom;
    int32_t topFace = faceOf(left, top);
    if (topFace < 0)
        topFace = faceOf(right, top);
    int32_t bottomFace = faceOf(left, bottom);
    if (bottomFace < 0)
        bottomFace = faceOf(right, bottom);
    int32_t leftTime = timeOf(left, top);
    if (leftTime < 0)
        leftTime = timeOf(left, bottom);
    int32_t rightTime = timeOf(right, top);
    if (rightTime < 0)
        rightTime = timeOf(right, bottom);
    if (topFace < 0)
        return;
    SelectItemsInRange(topFace, bottomFace, leftTime, rightTime);
    RepaintControl();
}
