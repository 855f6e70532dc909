#include "timeline/timeline_messages.h"
#include "timeline/timeline_model.h"

#include <QHash>
#include <algorithm>
#include <map>
#include <memory>
#include <optional>

using namespace timeline;

namespace {

struct Span {
    int64_t start = 0;
    int64_t end = 0;
};

// Whether an item placed on [start, start + length) meets another item, as the placement check
// counts it: it would run into the other item, lie inside it, or start inside it and run past
// its end.
bool RunsInto(const Span& other, int64_t start, int64_t length)
{
    return (start <= other.start && start + length >= other.end)
        || (start < other.start && other.start < start + length);
}

bool LiesInside(const Span& other, int64_t start, int64_t length)
{
    return other.start <= start && start + length <= other.end;
}

bool RunsPast(const Span& other, int64_t start, int64_t length)
{
    return other.start <= start && start < other.end && other.end < start + length;
}

bool Meets(const Span& other, int64_t start, int64_t length)
{
    return RunsInto(other, start, length) || LiesInside(other, start, length)
        || RunsPast(other, start, length);
}

// What the items of a drag must not meet on one target face: the face's items that stay there
// (every one for a copy or a LINK, the unselected ones for a move) and the items the plan has
// put there already. Both are kept by start with the longest span, so that finding what a span
// meets looks only at the items near it.
class CFaceObstacles {
public:
    CFaceObstacles(const tagTL_FACE_DATA& face, const CItemSelection* moving)
    {
        m_staying.reserve(face.Items.size());
        for (const tagTL_FACE_ITEM_DATA& item : face.Items) {
            if (moving && moving->Contains(item.FaceNo, item.Start))
                continue;
            m_staying.push_back({ item.Start, ItemEnd(item) });
            m_longestStaying = std::max(m_longestStaying, ItemEnd(item) - item.Start);
        }
        // Items are kept in start order; a face read unsorted is sorted here.
        if (!std::is_sorted(m_staying.begin(), m_staying.end(), ByStart))
            std::sort(m_staying.begin(), m_staying.end(), ByStart);
    }

    // The start from which an item of `length` may lie, asked at `start`: the first item by start
    // that it meets decides. Running into it or lying inside it gives none; starting inside it and
    // running past its end moves the item to that end, when `snap` is on and the end lies before
    // the project's end, and the check is made again there.
    std::optional<int64_t> Place(int64_t start, int64_t length, bool snap, int64_t projectLength) const
    {
        for (;;) {
            const std::optional<Span> met = FirstMet(start, length);
            if (!met)
                return start;
            if (!RunsPast(*met, start, length) || RunsInto(*met, start, length)
                || LiesInside(*met, start, length))
                return std::nullopt;
            if (!snap || met->end >= projectLength)
                return std::nullopt;
            start = met->end;
        }
    }

    void AddPlanned(int64_t start, int64_t end)
    {
        m_planned.emplace(start, end);
        m_longestPlanned = std::max(m_longestPlanned, end - start);
    }

private:
    static bool ByStart(const Span& a, const Span& b) { return a.start < b.start; }

    std::optional<Span> FirstMet(int64_t start, int64_t length) const
    {
        // Only an item starting from (start - its longest) up to the span's end can meet it.
        std::optional<Span> first;
        const auto from = std::lower_bound(
            m_staying.begin(), m_staying.end(), Span { start - m_longestStaying, 0 }, ByStart);
        for (auto it = from; it != m_staying.end() && it->start <= start + length; ++it) {
            if (Meets(*it, start, length)) {
                first = *it;
                break;
            }
        }
        for (auto it = m_planned.lower_bound(start - m_longestPlanned);
             it != m_planned.end() && it->first <= start + length; ++it) {
            const Span planned { it->first, it->second };
            if (Meets(planned, start, length)) {
                if (!first || planned.start < first->start)
                    first = planned;
                break;
            }
        }
        return first;
    }

    std::vector<Span> m_staying;
    int64_t m_longestStaying = 0;
    std::map<int64_t, int64_t> m_planned;
    int64_t m_longestPlanned = 0;
};

} // namespace

TlItemDragPlan CTimeLineModel::PlanItemDrag(
    int mouseState, int x, int y, int grabOffsetPx, TlItemRef grabbed) const
{
    const TlFaceRowHit target = HitTestFaceRow(x, y);
    if (target.channel < 0 || target.faceNo < 0 || target.subNo < 0 || target.time < 0) {
        TlItemDragPlan plan;
        plan.mouseState = mouseState;
        plan.grabbed = grabbed;
        return plan;
    }
    return PlanItemDragTo(mouseState, target.faceNo,
        int64_t(target.time) - int64_t(grabOffsetPx) * m_viewport.UnitsPerPixel(), grabbed);
}

TlItemDragPlan CTimeLineModel::PlanItemDragTo(
    int mouseState, int32_t faceNo, int64_t start, TlItemRef grabbed) const
{
    TlItemDragPlan plan;
    plan.mouseState = mouseState;
    plan.grabbed = grabbed;
    plan.faceNo = faceNo;
    plan.start = start;
    const bool move = mouseState == TL_MOUSE_ITEM_MOVE;
    const bool link = mouseState == TL_MOUSE_ITEM_LINK;
    if (!move && !link && mouseState != TL_MOUSE_ITEM_COPY)
        return plan;
    const int targetRow = FaceRow(m_faces, faceNo);
    const tagTL_FACE_ITEM_DATA* grabbedItem = m_selection.Find(grabbed.faceNo, grabbed.start);
    if (targetRow < 0 || !grabbedItem)
        return plan;
    // A move takes items off their faces: never off a locked one.
    if (move && IsSelectionLocked())
        return plan;
    const tagTL_FACE_ITEM_DATA grabbedRecord = *grabbedItem;
    const int64_t newStart
        = SnapStartToPlayhead(std::max<int64_t>(start, 0), m_playPosition, m_viewport.unitsPerColumn);
    const int64_t shift = newStart - grabbedRecord.Start;

    QHash<int32_t, int> rowOfFace;
    for (int row = FaceCount() - 1; row >= 0; --row)
        rowOfFace.insert(m_faces[size_t(row)].No, row); // the first face with a number wins
    struct Moving {
        int row;
        const tagTL_FACE_ITEM_DATA* item;
    };
    std::vector<Moving> moving;
    moving.reserve(m_selection.Size());
    for (const tagTL_FACE_ITEM_DATA& item : m_selection.Items()) {
        if (link && !(item.FaceNo == grabbed.faceNo && item.Start == grabbed.start))
            continue;
        const auto row = rowOfFace.constFind(item.FaceNo);
        if (row == rowOfFace.cend())
            return plan;
        moving.push_back({ row.value(), &item });
    }
    const int grabbedRow = rowOfFace.value(grabbedRecord.FaceNo, -1);

    // Commit order: faces moving down are emptied from the bottom, the others from the top; a
    // move later along its own face goes last-first, every other drag in start order, so that no
    // item lands where a selected item has not left yet.
    const bool downwards = grabbedRow < targetRow;
    const bool laterFirst = move && grabbedRow == targetRow && shift > 0;
    std::stable_sort(moving.begin(), moving.end(), [&](const Moving& a, const Moving& b) {
        if (a.row != b.row)
            return downwards ? a.row > b.row : a.row < b.row;
        return laterFirst ? a.item->Start > b.item->Start : a.item->Start < b.item->Start;
    });

    // Each item is placed beside what stays on its target face and beside the items planned
    // before it, so the plan never puts two items on one another.
    std::vector<std::unique_ptr<CFaceObstacles>> obstacles(m_faces.size());
    plan.placements.reserve(moving.size());
    for (const Moving& entry : moving) {
        const tagTL_FACE_ITEM_DATA& item = *entry.item;
        const int row = entry.row - grabbedRow + targetRow;
        if (row < 0 || row >= FaceCount()) {
            plan.placements.clear();
            return plan;
        }
        const tagTL_FACE_DATA& face = m_faces[size_t(row)];
        TlItemPlacement placement { item, link ? item : tagTL_FACE_ITEM_DATA(), face.No, 0 };
        int64_t wanted = 0;
        if (link) {
            // A LINK shows a picture, camera or movie item of another face at its own start.
            if ((item.Mode == tagTL_FACE_ITEM_DATA::MODE_LINK
                    && !FindLinkableItem(item.LinkFaceNo, item.Start, placement.source))
                || !IsMediaMode(placement.source.Mode) || face.No == placement.source.FaceNo) {
                plan.placements.clear();
                return plan;
            }
            wanted = item.Start;
        } else {
            wanted = std::clamp<int64_t>(int64_t(item.Start) + shift, 0, INT32_MAX);
        }
        const int64_t length = (link ? placement.source : item).PlayTime;
        if (face.Lock == 1 || length <= 0) {
            plan.placements.clear();
            return plan;
        }
        std::unique_ptr<CFaceObstacles>& faceObstacles = obstacles[size_t(row)];
        if (!faceObstacles)
            faceObstacles = std::make_unique<CFaceObstacles>(face, move ? &m_selection : nullptr);
        const std::optional<int64_t> placed = faceObstacles->Place(wanted, length, !link, m_projectLength);
        if (!placed || *placed > INT32_MAX) {
            plan.placements.clear();
            return plan;
        }
        faceObstacles->AddPlanned(*placed, *placed + length);
        placement.start = int32_t(*placed);
        plan.placements.push_back(std::move(placement));
    }
    plan.valid = !plan.placements.empty();
    return plan;
}
