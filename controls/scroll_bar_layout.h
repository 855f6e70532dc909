#pragma once

#include "controls/controls_export.h"
#include "controls/win_rect.h"

#include <QPoint>

// The geometry of the self-drawn scroll bar, free of widgets.
namespace controls {

struct ScrollBarMetrics {
    int width = 0;
    int height = 0;
    bool vertical = true;
    int arrowSize = 18;
    int minimum = 0;
    int maximum = 100;
    int page = 10;
    int position = 0; // the track position while the thumb is dragged
};

struct ScrollBarLayout {
    WinRect arrow1;
    WinRect arrow2;
    WinRect track;
    WinRect thumb; // empty when there is no thumb
    bool smallThumb = false;
};

// The parts a press can hit.
enum ScrollBarPart : int {
    PART_NONE = -1,
    PART_ARROW1 = 0,
    PART_ARROW2 = 1,
    PART_TRACK_BEFORE = 2,
    PART_TRACK_AFTER = 3,
    PART_THUMB = 5,
};

KALEIDRA_CONTROLS_EXPORT ScrollBarLayout CalcScrollBarLayout(const ScrollBarMetrics& metrics);

// The part under a point: arrow 1, arrow 2, thumb, then the track (before or at/after the
// thumb's start); PART_NONE outside them all.
KALEIDRA_CONTROLS_EXPORT ScrollBarPart HitTestScrollBar(
    const ScrollBarLayout& layout, bool vertical, QPoint point);

// The area where holding a pressed part keeps repeating: the arrow itself, or the track
// between its start and the thumb (before) or between the thumb and its end (after).
KALEIDRA_CONTROLS_EXPORT WinRect RepeatArea(const ScrollBarLayout& layout, bool vertical, ScrollBarPart part);

// The track position for a thumb dragged to `point`, where `dragOffset` is where the thumb
// was grabbed (relative to its start). An empty range, or a thumb that fills the track, gives
// the minimum.
KALEIDRA_CONTROLS_EXPORT int DragTrackPosition(
    const ScrollBarLayout& layout, bool vertical, int minimum, int maximum, QPoint point, QPoint dragOffset);

// Shrinks the rectangle about its centre so that each side keeps `ratio` of its length.
KALEIDRA_CONTROLS_EXPORT WinRect DeflateByRatio(const WinRect& rect, double ratio);

} // namespace controls
