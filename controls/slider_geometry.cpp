#include "controls/slider_geometry.h"

#include <algorithm>
#include <cstdint>

namespace controls {

std::optional<int> SliderPositionX(
    int channelLeft, int channelWidth, int position, int rangeMinimum, int rangeMaximum)
{
    const int64_t range = int64_t(rangeMaximum) - rangeMinimum;
    if (range <= 0)
        return std::nullopt;
    // A position outside the range is drawn at the range's end, never past the channel.
    const int64_t clamped = std::clamp<int64_t>(position, rangeMinimum, rangeMaximum);
    return channelLeft + int((clamped - rangeMinimum) * channelWidth / range);
}

QPolygon SliderMarkerTriangle(int x, int bottom)
{
    return QPolygon({ QPoint(x, bottom - 1), QPoint(x - 5, bottom - 9), QPoint(x + 5, bottom - 9) });
}

} // namespace controls
