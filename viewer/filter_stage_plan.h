#pragma once

#include "viewer/effects_and_filters.h"

#include <QSize>
#include <array>
#include <optional>

// The most texels a blur pass reaches on either side: a wider blur is drawn on a smaller stage.
// Sharpening, which multiplies any difference from the exact blur by its strength, keeps its
// whole radius (of 10 texels at most).
constexpr int kMaxBlurReach = 4;
constexpr int kMaxSharpenReach = 10;

// How a neighbourhood filter of a picture is drawn: the size of its stage (the picture once,
// premultiplied, each texel the mean of a block) and the reach of the blur passes over it.
struct FilterStagePlan {
    int radius = 0; // of the blur, or of the blur a sharpening pushes away from
    int scale = 1; // picture texels per texel of the result, as the face shows it
    int stageScale = 1; // picture texels per texel of the stage, at least `scale`
    int reach = 0; // texels of the stage on either side of a blur pass
    int margin = 0; // texels of the stage around the picture, repeating its edge
    QSize stageSize; // margin included
    QSize resultSize; // empty for a blur, which is shown from its stage
    // Picture texels per stage texel in each direction (the planes' own directions).
    double blockAcross = 1.0;
    double blockDown = 1.0;
};

// The plan of the filter on a picture of the given size (the planes' size, before a rotation)
// shown at 1 / faceScale of it (1, 2 or 4); nothing when the filter leaves the picture as it is.
std::optional<FilterStagePlan> PlanFilterStage(const ItemFilter& filter, QSize picture, int faceScale);

// One pass's weights for offsets 0..reach in texels of a stage whose texels cover `block`
// picture texels, normalised so that the two passes sum to one. On a stage reduced beyond the
// face's own reduction (`faceScale`), the stage's block means and the face's magnification
// spread the picture too; the Gaussian is narrowed by as much, so that the whole keeps the
// blur's width.
std::array<float, kMaxSharpenReach + 1> BlurWeights(
    int radius, int reach, double block, double stageScale, double faceScale);
