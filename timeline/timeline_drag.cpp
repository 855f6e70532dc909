#include "timeline/timeline_drag.h"

#include "timeline/face_list.h"

#include <algorithm>

namespace timeline {

int64_t SnapStartToPlayhead(int64_t start, int64_t playPosition, int unitsPerColumn)
{
    return playPosition <= start && start < playPosition + unitsPerColumn ? playPosition : start;
}

int64_t TrimmedStart(
    int64_t pointerTime, int64_t previousEnd, int64_t end, int unitsPerColumn, int64_t effectsLength)
{
    const int64_t floor = std::max<int64_t>(previousEnd == kNoItem ? 0 : previousEnd, 0);
    int64_t t = std::max(pointerTime, floor);
    if (t >= end)
        t = end - unitsPerColumn;
    if (end - t < effectsLength)
        t = end - effectsLength;
    // Never into the item before it, whatever the column or the effects ask for.
    return std::max(t, floor);
}

int64_t TrimmedStartFollowing(
    int64_t start, int64_t shift, int64_t previousEnd, int64_t end, int unitsPerColumn)
{
    const int64_t floor = std::max<int64_t>(previousEnd == kNoItem ? 0 : previousEnd, 0);
    int64_t t = std::max(start + shift, floor);
    if (t >= end)
        t = end - unitsPerColumn;
    return std::max(t, floor);
}

int64_t TrimmedEnd(
    int64_t pointerTime, int64_t start, int64_t nextStart, int unitsPerColumn, int64_t effectsLength)
{
    const int64_t ceiling = nextStart == kNoItem ? std::numeric_limits<int64_t>::max() : nextStart;
    int64_t t = std::min(pointerTime, ceiling);
    if (t <= start)
        t = start + unitsPerColumn;
    if (t - start < effectsLength)
        t = start + effectsLength;
    return std::min(t, ceiling);
}

int64_t TrimmedEndFollowing(int64_t end, int64_t shift, int64_t start, int64_t nextStart, int unitsPerColumn)
{
    const int64_t ceiling = nextStart == kNoItem ? std::numeric_limits<int64_t>::max() : nextStart;
    int64_t t = std::min(end + shift, ceiling);
    if (t <= start)
        t = start + unitsPerColumn;
    return std::min(t, ceiling);
}

TlEffectLengths DraggedEffectLengths(
    const tagTL_FACE_ITEM_DATA& item, int side, int64_t pointerTime, int unitsPerColumn)
{
    const int64_t start = item.Start;
    const int64_t end = ItemEnd(item);
    TlEffectLengths lengths { int64_t(item.InEndTime) - item.InStartTime,
        int64_t(item.OutEndTime) - item.OutStartTime };
    int64_t t = pointerTime;
    if (side == 1) {
        if (item.OutPattern > 0)
            t = std::min<int64_t>(t, item.OutStartTime);
        lengths.entry
            = t <= start ? start + unitsPerColumn - item.InStartTime : std::min(t, end) - item.InStartTime;
    } else if (side == 2) {
        if (item.InPattern > 0)
            t = std::max<int64_t>(t, item.InEndTime);
        if (t <= start)
            t = start;
        else if (t > end)
            t = end - unitsPerColumn;
        lengths.exit = item.OutEndTime - t;
    }
    return lengths;
}

int64_t ClampedPlayheadTime(int64_t time, int64_t in, int64_t out, int64_t leftEdge)
{
    return std::max(std::max(std::min(time, out), in), leftEdge);
}

int64_t ClampedInTime(int64_t time, int64_t out, int64_t leftEdge)
{
    return std::max(std::min(time, out), leftEdge);
}

int64_t ClampedOutTime(int64_t time, int64_t projectLength, int64_t in, int64_t leftEdge)
{
    return std::max(std::max(std::min(time, projectLength), in), leftEdge);
}

TlRect RubberBand(int pressX, int pressY, int pointerX, int pointerY, const TlRect& client)
{
    TlRect band { std::min(pressX, pointerX), std::min(pressY, pointerY), std::max(pressX, pointerX),
        std::max(pressY, pointerY) };
    band.left = std::max(band.left, client.left + kHeaderWidth);
    band.top = std::max(band.top, client.top + kRulerHeight);
    return band;
}

} // namespace timeline
