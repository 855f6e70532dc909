#pragma once

#include "project/face_data.h"
#include "timeline/timeline_geometry.h"

#include <cstdint>
#include <limits>
#include <vector>

// What a drag on the timeline would do if the button went up now. The mouse handling works it
// out once per mouse move (and after each auto-scroll step) with the model's Plan... functions;
// the drag feedback draws it and the release commits it, so the picture shows exactly what the
// release does.

// An item by face number and start; (-1, -1) for none.
struct TlItemRef {
    int32_t faceNo = -1;
    int32_t start = -1;
    bool IsSet() const { return faceNo >= 0 && start >= 0; }
    bool operator==(const TlItemRef&) const = default;
};

// One item of an item drag (move, copy, link) and where it lands.
struct TlItemPlacement {
    tagTL_FACE_ITEM_DATA item; // the selected item
    tagTL_FACE_ITEM_DATA source; // what a LINK is made from (link drag); else a default record
    int32_t faceNo = 0; // the face it lands on
    int32_t start = 0; // its start there

    bool operator==(const TlItemPlacement&) const = default;
};

struct TlItemDragPlan {
    int mouseState = 0;
    // What was asked: the grabbed item dropped on face faceNo with its left end at `start`.
    TlItemRef grabbed;
    int32_t faceNo = -1;
    int64_t start = 0;
    // Whether the release commits the placements; when not, nothing changes and the selection
    // stays.
    bool valid = false;
    std::vector<TlItemPlacement> placements; // in commit order

    bool operator==(const TlItemDragPlan&) const = default;
};

// One item of an edge trim and its new span.
struct TlTrimChange {
    int32_t faceNo = 0;
    int32_t start = 0; // the start before the trim
    int64_t newStart = 0;
    int64_t newEnd = 0;
};

struct TlTrimPlan {
    bool leftEdge = true; // start trim (else end trim)
    std::vector<TlTrimChange> changes; // the grabbed item first, then the other selected items
};

// The effect lengths an effect-edge drag sets on the held item.
struct TlEffectEdgePlan {
    bool valid = false;
    int32_t faceNo = 0;
    int32_t start = 0;
    int side = 0; // 1 entry effect, 2 exit effect
    int64_t entryLength = 0;
    int64_t exitLength = 0;
};

// Everything the drag feedback draws, kept by the mouse handling.
struct TlDragFeedback {
    int mouseState = 0;
    int pressX = 0;
    int pressY = 0;
    int pointerX = 0;
    int pointerY = 0;
    int firstColumnAtPress = 0;
    int grabOffsetPx = 0; // pointer distance from the held item's left end at the press
    TlItemRef held; // the item held by the press
    int effectSide = 0; // 1 entry, 2 exit: the effect whose edge is dragged
    int faceDropRow = -1; // where a dragged face would land (a position in the face list)
    int64_t markerTime = 0; // the playhead, IN or OUT time the release sets
    TlItemDragPlan itemPlan;
    TlTrimPlan trimPlan;
    TlEffectEdgePlan effectPlan;
};

namespace timeline {

constexpr int64_t kNoItem = std::numeric_limits<int64_t>::min();

// The start of dropped items: within one column after the playhead it is the playhead.
int64_t SnapStartToPlayhead(int64_t start, int64_t playPosition, int unitsPerColumn);

// Start trim of the grabbed item (end `end`) to the time under the pointer: not before 0 or the
// end of the item before it (kNoItem: none), one column short of its end at most, and never
// shorter than its two effects together.
int64_t TrimmedStart(
    int64_t pointerTime, int64_t previousEnd, int64_t end, int unitsPerColumn, int64_t effectsLength);
// Start trim of another selected item, shifted as the grabbed one.
int64_t TrimmedStartFollowing(
    int64_t start, int64_t shift, int64_t previousEnd, int64_t end, int unitsPerColumn);
// End trim of the grabbed item: not past the start of the item after it (kNoItem: none), one
// column after its start at least, and never shorter than its two effects together.
int64_t TrimmedEnd(
    int64_t pointerTime, int64_t start, int64_t nextStart, int unitsPerColumn, int64_t effectsLength);
int64_t TrimmedEndFollowing(int64_t end, int64_t shift, int64_t start, int64_t nextStart, int unitsPerColumn);

// The entry and exit effect lengths after the inner edge of one of them (side 1 entry, 2 exit)
// was dragged to a time: the entry edge stops at the exit effect (or the item's end), the exit
// edge at the entry effect (or the item's start).
struct TlEffectLengths {
    int64_t entry = 0;
    int64_t exit = 0;
};
TlEffectLengths DraggedEffectLengths(
    const tagTL_FACE_ITEM_DATA& item, int side, int64_t pointerTime, int unitsPerColumn);

// Marker drags: the playhead stays within IN..OUT, IN at most OUT, OUT within IN and the
// project's end; none left of the view's left edge.
int64_t ClampedPlayheadTime(int64_t time, int64_t in, int64_t out, int64_t leftEdge);
int64_t ClampedInTime(int64_t time, int64_t out, int64_t leftEdge);
int64_t ClampedOutTime(int64_t time, int64_t projectLength, int64_t in, int64_t leftEdge);

// The rubber band: the rectangle between the press and the pointer, its left kept right of
// the face header and its top below the ruler.
TlRect RubberBand(int pressX, int pressY, int pointerX, int pointerY, const TlRect& client);

} // namespace timeline
