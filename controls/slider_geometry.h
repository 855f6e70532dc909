#pragma once

#include "controls/controls_export.h"

#include <QPolygon>
#include <optional>

namespace controls {

// The x of a slider position on a channel: the channel's left plus
// (position - range minimum) x channel width / (range maximum - range minimum), in 64 bits, the
// position first clamped into the range. Nothing when the range is empty.
KALEIDRA_CONTROLS_EXPORT std::optional<int> SliderPositionX(
    int channelLeft, int channelWidth, int position, int rangeMinimum, int rangeMaximum);

// The IN/OUT marker: a triangle with its tip at (x, bottom - 1) and its base from x - 5 to
// x + 5 at bottom - 9.
KALEIDRA_CONTROLS_EXPORT QPolygon SliderMarkerTriangle(int x, int bottom);

} // namespace controls
