#include "controls/scroll_bar_layout.h"

#include <algorithm>
#include <cmath>

namespace controls {
namespace {

// Along-the-bar coordinate of a point.
int Along(QPoint point, bool vertical)
{
    return vertical ? point.y() : point.x();
}
int Start(const WinRect& rect, bool vertical)
{
    return vertical ? rect.top : rect.left;
}
int End(const WinRect& rect, bool vertical)
{
    return vertical ? rect.bottom : rect.right;
}

// A rectangle spanning [start, end) along the bar and the full track across it.
WinRect Span(const WinRect& track, bool vertical, int start, int end)
{
    return vertical ? WinRect { track.left, start, track.right, end }
                    : WinRect { start, track.top, end, track.bottom };
}

} // namespace

ScrollBarLayout CalcScrollBarLayout(const ScrollBarMetrics& m)
{
    ScrollBarLayout layout;
    const bool vertical = m.vertical;
    const int length = vertical ? m.height : m.width;
    const int across = vertical ? m.width : m.height;
    int arrow1End = m.arrowSize;
    int arrow2Start = length - m.arrowSize;
    if (arrow2Start < arrow1End)
        arrow2Start = arrow1End;
    const int arrow2End = arrow2Start + m.arrowSize;
    if (vertical) {
        layout.arrow1 = { 0, 0, across, arrow1End };
        layout.arrow2 = { 0, arrow2Start, across, arrow2End };
        layout.track = { 0, arrow1End, across, arrow2Start };
    } else {
        layout.arrow1 = { 0, 0, arrow1End, across };
        layout.arrow2 = { arrow2Start, 0, arrow2End, across };
        layout.track = { arrow1End, 0, arrow2Start, across };
    }

    const int page = std::max(0, m.page);
    const int trackStart = Start(layout.track, vertical);
    const int trackEnd = End(layout.track, vertical);
    const int trackLength = trackEnd - trackStart;
    if (page <= 0 || trackLength <= 0)
        return layout;
    const int position = std::clamp(m.position, m.minimum, std::max(m.minimum, m.maximum));
    const int64_t span = int64_t(m.maximum) - m.minimum;
    const int64_t range = span + (vertical ? 1 : 0);
    const int minimumThumb = trackLength / 5;
    // An empty range has nothing to scroll: the thumb fills the track.
    const double exactThumb = span <= 0 ? trackLength : std::trunc(trackLength / (double(range) / page));
    if (exactThumb > trackLength)
        return layout;
    int thumb = int(exactThumb);
    if (thumb < minimumThumb) {
        thumb = trackLength - 4 * minimumThumb;
        layout.smallThumb = true;
    }
    double offset = 0;
    if (layout.smallThumb)
        offset = span > 0 ? double(position) / double(span) * (trackLength - minimumThumb) : 0.0;
    else
        offset = double(position) / double(int64_t(page) - m.minimum + m.maximum) * trackLength;
    int start = std::max(trackStart, trackStart + int(offset));
    if (start + thumb > trackEnd)
        start = trackEnd - thumb;
    layout.thumb = vertical ? WinRect { 1, start, across - 1, start + thumb }
                            : WinRect { start, 1, start + thumb, across - 1 };
    return layout;
}

ScrollBarPart HitTestScrollBar(const ScrollBarLayout& layout, bool vertical, QPoint point)
{
    if (layout.arrow1.Contains(point))
        return PART_ARROW1;
    if (layout.arrow2.Contains(point))
        return PART_ARROW2;
    if (layout.thumb.Contains(point))
        return PART_THUMB;
    if (layout.track.Contains(point))
        return Along(point, vertical) >= Start(layout.thumb, vertical) ? PART_TRACK_AFTER : PART_TRACK_BEFORE;
    return PART_NONE;
}

WinRect RepeatArea(const ScrollBarLayout& layout, bool vertical, ScrollBarPart part)
{
    switch (part) {
    case PART_ARROW1:
        return layout.arrow1;
    case PART_ARROW2:
        return layout.arrow2;
    case PART_TRACK_BEFORE:
        return Span(layout.track, vertical, Start(layout.track, vertical), Start(layout.thumb, vertical));
    case PART_TRACK_AFTER:
        return Span(layout.track, vertical, End(layout.thumb, vertical), End(layout.track, vertical));
    default:
        return {};
    }
}

int DragTrackPosition(
    const ScrollBarLayout& layout, bool vertical, int minimum, int maximum, QPoint point, QPoint dragOffset)
{
    const int along = Along(point, vertical);
    const int offset = Along(dragOffset, vertical);
    const int trackStart = Start(layout.track, vertical);
    const int trackEnd = End(layout.track, vertical);
    const int thumb = End(layout.thumb, vertical) - Start(layout.thumb, vertical);
    const int travel = trackEnd - thumb - trackStart;
    // Nothing to drag over: an empty range, or a thumb that fills the track.
    if (maximum <= minimum || travel <= 0)
        return minimum;
    if (along < trackStart + offset)
        return minimum;
    if (along > trackEnd - thumb + offset)
        return maximum;
    const double perUnit = double(travel) / (double(maximum) - minimum);
    const int64_t position = int64_t((along - offset - trackStart) / perUnit);
    return int(std::clamp<int64_t>(position, minimum, maximum));
}

WinRect DeflateByRatio(const WinRect& rect, double ratio)
{
    const int insetX = int((rect.Width() - rect.Width() * ratio) / 2);
    const int insetY = int((rect.Height() - rect.Height() * ratio) / 2);
    return { rect.left + insetX, rect.top + insetY, rect.right - insetX, rect.bottom - insetY };
}

} // namespace controls
