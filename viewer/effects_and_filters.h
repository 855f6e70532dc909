#pragma once

#include "project/face_data.h"

#include <QRectF>
#include <array>
#include <cstdint>
#include <optional>

// The transition effects and picture filters the delivered tables offer, as
// docs/effects-and-filters.md defines them by number. The viewer draws these numbers; it does
// not read the tables.

enum class EffectPattern : int32_t {
    Cut = 0,
    Fade = 1,
    Wipe = 2,
    Slide = 3,
    Push = 4,
    Iris = 5,
    Zoom = 6,
    Blinds = 7,
    Dissolve = 8,
};

enum class FilterKind : int32_t {
    None = 0,
    BrightnessContrast = 1,
    HueSaturationLightness = 2,
    Gamma = 3,
    ColourBalance = 4,
    Monochrome = 5,
    Sepia = 6,
    Negative = 7,
    Posterize = 8,
    Blur = 9,
    Sharpen = 10,
    Mosaic = 11,
    EdgeDetection = 12,
    ColourKey = 13,
};

// One effect at a time of the show: what it is and how far it has gone (0..1).
struct ActiveEffect {
    EffectPattern pattern = EffectPattern::Cut;
    int32_t direction = 0;
    double progress = 0.0;
};

// The item's effects at the show time (hundredths of a second, fractions allowed). The entry
// effect stands while the time is before its end, the exit effect from its start on; an effect
// with an empty interval, a cut, an entry at its end and an exit at its start change nothing and
// are left out. `hidden` is set when an exit effect has run to its end: nothing is left.
struct ItemEffects {
    std::optional<ActiveEffect> entry;
    std::optional<ActiveEffect> exit;
    bool hidden = false;
};
ItemEffects EffectsAt(const tagTL_FACE_ITEM_DATA& item, double showHundredths);

// The part of the item's display area (0..1 coordinates, top-left origin) whose picture the face
// can show under its effects: a rectangle holding every source point G(x, y) where the coverage is
// above 0, so that a filter needs to be drawn there only. The whole area where an effect may take
// the picture from anywhere (and when both effects stand at once); aspect is the area's k.
QRectF ShownPartOfPicture(const ItemEffects& effects, double aspect);

// The gain the fade gives the item's sound (the only effect that changes sound): 1 without one.
double SoundGainOf(const ItemEffects& effects);

// The filter of an item with its parameters clamped to the delivered ranges (switches 1 or 0);
// FilterKind::None for numbers not defined.
struct ItemFilter {
    FilterKind kind = FilterKind::None;
    std::array<float, tagTL_FACE_ITEM_DATA::FILTER_PARAMS> params {};
};
ItemFilter FilterOf(const tagTL_FACE_ITEM_DATA& item);

// Filters that look at a texel's neighbours: they are drawn into a picture of their own first.
bool IsNeighbourhoodFilter(FilterKind kind);

// The dissolve's threshold of cell (i, j), in [0, 1).
double DissolveThreshold(uint32_t i, uint32_t j);
