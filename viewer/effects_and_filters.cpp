#include "viewer/effects_and_filters.h"

#include <algorithm>
#include <cmath>
#include <span>

namespace {

struct ParamRange {
    int32_t min;
    int32_t max;
    bool isSwitch;
};

constexpr ParamRange Slider(int32_t min, int32_t max)
{
    return { min, max, false };
}
constexpr ParamRange kSwitch { 0, 1, true };

// The parameters of each delivered filter, in the order the item stores them.
std::span<const ParamRange> RangesOf(FilterKind kind)
{
    static constexpr ParamRange percent2[] = { Slider(-100, 100), Slider(-100, 100) };
    static constexpr ParamRange hsl[] = { Slider(-180, 180), Slider(-100, 100), Slider(-100, 100) };
    static constexpr ParamRange gamma[] = { Slider(10, 400) };
    static constexpr ParamRange balance[] = { Slider(-100, 100), Slider(-100, 100), Slider(-100, 100) };
    static constexpr ParamRange strength[] = { Slider(0, 100) };
    static constexpr ParamRange negative[] = { Slider(0, 100), kSwitch };
    static constexpr ParamRange posterize[] = { Slider(2, 32), kSwitch };
    static constexpr ParamRange blur[] = { Slider(0, 50) };
    static constexpr ParamRange sharpen[] = { Slider(0, 300), Slider(1, 10) };
    static constexpr ParamRange mosaic[] = { Slider(2, 200) };
    static constexpr ParamRange edge[] = { Slider(0, 100), kSwitch };
    static constexpr ParamRange key[]
        = { Slider(0, 255), Slider(0, 255), Slider(0, 255), Slider(0, 100), Slider(0, 100), kSwitch };
    switch (kind) {
    case FilterKind::BrightnessContrast:
        return percent2;
    case FilterKind::HueSaturationLightness:
        return hsl;
    case FilterKind::Gamma:
        return gamma;
    case FilterKind::ColourBalance:
        return balance;
    case FilterKind::Monochrome:
    case FilterKind::Sepia:
        return strength;
    case FilterKind::Negative:
        return negative;
    case FilterKind::Posterize:
        return posterize;
    case FilterKind::Blur:
        return blur;
    case FilterKind::Sharpen:
        return sharpen;
    case FilterKind::Mosaic:
        return mosaic;
    case FilterKind::EdgeDetection:
        return edge;
    case FilterKind::ColourKey:
        return key;
    case FilterKind::None:
        break;
    }
    return {};
}

// The number of directions each effect's set offers: set 0 one, set 1 four, sets 2 and 3 two.
int32_t DirectionsOf(EffectPattern pattern)
{
    switch (pattern) {
    case EffectPattern::Wipe:
    case EffectPattern::Slide:
    case EffectPattern::Push:
    case EffectPattern::Blinds:
        return 4;
    case EffectPattern::Iris:
    case EffectPattern::Zoom:
        return 2;
    default:
        return 1;
    }
}

std::optional<ActiveEffect> EffectOf(
    int32_t pattern, int32_t direction, int32_t start, int32_t end, double time)
{
    if (end <= start)
        return std::nullopt;
    ActiveEffect effect;
    // A number the document does not define is drawn as a cut.
    effect.pattern = pattern >= 0 && pattern <= int32_t(EffectPattern::Dissolve) ? EffectPattern(pattern)
                                                                                 : EffectPattern::Cut;
    if (effect.pattern == EffectPattern::Cut)
        return std::nullopt;
    effect.direction = direction >= 0 && direction < DirectionsOf(effect.pattern) ? direction : 0;
    effect.progress = std::clamp((time - start) / double(end - start), 0.0, 1.0);
    return effect;
}

} // namespace

ItemEffects EffectsAt(const tagTL_FACE_ITEM_DATA& item, double showHundredths)
{
    ItemEffects effects;
    if (showHundredths < item.InEndTime) {
        effects.entry
            = EffectOf(item.InPattern, item.InDirection, item.InStartTime, item.InEndTime, showHundredths);
        if (effects.entry && effects.entry->progress >= 1.0)
            effects.entry.reset();
    }
    if (showHundredths >= item.OutStartTime) {
        effects.exit = EffectOf(
            item.OutPattern, item.OutDirection, item.OutStartTime, item.OutEndTime, showHundredths);
        if (effects.exit && effects.exit->progress <= 0.0)
            effects.exit.reset();
        else if (effects.exit && effects.exit->progress >= 1.0)
            effects.hidden = true;
    }
    return effects;
}

namespace {

double Ease(double p)
{
    return p * p * (3.0 - 2.0 * p);
}

// The points whose along-coordinate lies in [from, to] for a direction of set 1.
QRectF AlongBand(int32_t direction, double from, double to)
{
    switch (direction) {
    case 1:
        return QRectF(QPointF(1.0 - to, 0.0), QPointF(1.0 - from, 1.0));
    case 2:
        return QRectF(QPointF(0.0, from), QPointF(1.0, to));
    case 3:
        return QRectF(QPointF(0.0, 1.0 - to), QPointF(1.0, 1.0 - from));
    default:
        return QRectF(QPointF(from, 0.0), QPointF(to, 1.0));
    }
}

// The rectangle about the centre that reaches so far on either side.
QRectF AboutCentre(double halfAcross, double halfDown)
{
    return QRectF(QPointF(0.5 - halfAcross, 0.5 - halfDown), QPointF(0.5 + halfAcross, 0.5 + halfDown));
}

QRectF ShownPartOf(const ActiveEffect& effect, bool leaving, double aspect)
{
    const QRectF whole(0.0, 0.0, 1.0, 1.0);
    const double p = effect.progress;
    switch (effect.pattern) {
    case EffectPattern::Wipe:
        return leaving ? AlongBand(effect.direction, p, 1.0) : AlongBand(effect.direction, 0.0, p);
    case EffectPattern::Slide:
        // The picture moved along the motion: only its part still (or already) on the face.
        return leaving ? AlongBand(effect.direction, 0.0, 1.0 - Ease(p))
                       : AlongBand(effect.direction, 1.0 - Ease(p), 1.0);
    case EffectPattern::Iris: {
        // The circle that opens from the centre, or the one that closes towards it.
        const bool opening = effect.direction == 0;
        if (opening == leaving)
            return whole;
        const double radius = (opening ? p : 1.0 - p) * std::sqrt(aspect * aspect / 4.0 + 0.25);
        return AboutCentre(radius / aspect, radius);
    }
    case EffectPattern::Zoom: {
        const double s = Ease(p);
        const double z = effect.direction == 0 ? (leaving ? 1.0 + s : s) : (leaving ? 1.0 - s : 2.0 - s);
        return z > 1.0 ? AboutCentre(0.5 / z, 0.5 / z) : whole;
    }
    default:
        return whole;
    }
}

} // namespace

QRectF ShownPartOfPicture(const ItemEffects& effects, double aspect)
{
    const QRectF whole(0.0, 0.0, 1.0, 1.0);
    if (effects.entry && effects.exit)
        return whole;
    if (!effects.entry && !effects.exit)
        return whole;
    const QRectF part = effects.entry ? ShownPartOf(*effects.entry, false, aspect > 0 ? aspect : 1.0)
                                      : ShownPartOf(*effects.exit, true, aspect > 0 ? aspect : 1.0);
    // Clamped to the area; a part of no width keeps its place.
    const auto clamp01 = [](double v) { return std::clamp(v, 0.0, 1.0); };
    return QRectF(QPointF(clamp01(part.left()), clamp01(part.top())),
        QPointF(clamp01(part.right()), clamp01(part.bottom())));
}

double SoundGainOf(const ItemEffects& effects)
{
    double gain = 1.0;
    if (effects.entry && effects.entry->pattern == EffectPattern::Fade)
        gain *= effects.entry->progress;
    if (effects.exit && effects.exit->pattern == EffectPattern::Fade)
        gain *= 1.0 - effects.exit->progress;
    return gain;
}

ItemFilter FilterOf(const tagTL_FACE_ITEM_DATA& item)
{
    ItemFilter filter;
    if (item.FilterNo <= 0 || item.FilterNo > int32_t(FilterKind::ColourKey))
        return filter;
    filter.kind = FilterKind(item.FilterNo);
    const std::span<const ParamRange> ranges = RangesOf(filter.kind);
    for (size_t i = 0; i < ranges.size(); ++i) {
        const int32_t value = item.Param[i];
        filter.params[i] = ranges[i].isSwitch ? (value == 1 ? 1.0f : 0.0f)
                                              : float(std::clamp(value, ranges[i].min, ranges[i].max));
    }
    return filter;
}

bool IsNeighbourhoodFilter(FilterKind kind)
{
    return kind == FilterKind::Blur || kind == FilterKind::Sharpen || kind == FilterKind::EdgeDetection;
}

double DissolveThreshold(uint32_t i, uint32_t j)
{
    uint32_t h = (i * 0x8DA6B343u) ^ (j * 0xD8163841u);
    h = h ^ (h >> 16);
    h = h * 0x7FEB352Du;
    h = h ^ (h >> 15);
    h = h * 0x846CA68Bu;
    h = h ^ (h >> 16);
    return double(h >> 8) / 16777216.0;
}
