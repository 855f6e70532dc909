#include "controls/slider_geometry.h"

namespace controls {

std::optional<int> SliderPositionX(
    int channelLeft, int channelWidth, int position, int rangeMinimum, int rangeMaximum)
{
    const int64_t range = int64_t(rangeMaximum) - rangeMinimum;
    if (range <= 0)
        return std::nullopt;
    return channelLeft + int((int64_t(position) - rangeMinimum) * channelWidth / range);
}

QPolygon SliderMarkerTriangle(int x, int bottom)
{
    return QPolygon({ QPoint(x, bottom - 1), QPoint(x - 5, bottom - 9), QPoint(x + 5, bottom - 9) });
}

} // namespace controls
