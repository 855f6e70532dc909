#include "viewer/filter_stage_plan.h"

#include <algorithm>
#include <cmath>

std::optional<FilterStagePlan> PlanFilterStage(const ItemFilter& filter, QSize picture, int faceScale)
{
    const bool blurs = filter.kind == FilterKind::Blur || filter.kind == FilterKind::Sharpen;
    const int radius = filter.kind == FilterKind::Blur ? int(filter.params[0])
        : filter.kind == FilterKind::Sharpen           ? int(filter.params[1])
                                                       : 0;
    if (filter.kind == FilterKind::Blur && radius == 0)
        return std::nullopt;
    // Reduced, a blur keeps a spread of a texel at least, so that it looks the same; edges are
    // lines of single texels and always drawn at the picture's size.
    int scale = faceScale;
    while (scale > 1 && (!blurs || radius / scale < 2))
        scale /= 2;
    // A wide blur works on the picture reduced until its radius spans a few texels of the
    // stage, which the face then shows magnified; a narrow one is exact.
    int blurScale = scale;
    const int maxReach = filter.kind == FilterKind::Blur ? kMaxBlurReach : kMaxSharpenReach;
    while (blurs && (radius + blurScale - 1) / blurScale > maxReach)
        blurScale *= 2;
    const auto reduced = [picture](int by) {
        return QSize((picture.width() + by - 1) / by, (picture.height() + by - 1) / by);
    };
    FilterStagePlan plan;
    plan.radius = radius;
    plan.scale = scale;
    plan.stageScale = blurs ? blurScale : 1;
    plan.reach = blurs ? std::min(maxReach, (radius + plan.stageScale - 1) / plan.stageScale) : 0;
    // A reduced stage has a margin of the blur's reach, where the picture's edge repeats as it
    // does around the picture itself, rather than the stage's edge texels, each the mean of a
    // block.
    plan.margin = plan.stageScale > 1 ? plan.reach : 0;
    const QSize inner = reduced(plan.stageScale);
    plan.stageSize = inner + QSize(2 * plan.margin, 2 * plan.margin);
    if (filter.kind != FilterKind::Blur)
        plan.resultSize = reduced(scale);
    // The stage's texels each cover an equal share of the picture, so that it lies exactly on
    // the picture when shown magnified.
    plan.blockAcross = double(picture.width()) / inner.width();
    plan.blockDown = double(picture.height()) / inner.height();
    return plan;
}

std::array<float, kMaxSharpenReach + 1> BlurWeights(
    int radius, int reach, double block, double stageScale, double faceScale)
{
    std::array<float, kMaxSharpenReach + 1> weights {};
    if (reach == 0) {
        weights[0] = 1.0f;
        return weights;
    }
    double variance = radius * radius / 4.0;
    if (stageScale > faceScale)
        variance -= (stageScale * stageScale - faceScale * faceScale) / 4.0;
    const double sigma = std::max(std::sqrt(std::max(variance, 0.0)) / block, 0.5);
    double sum = 0.0;
    for (int i = -reach; i <= reach; ++i)
        sum += std::exp(-double(i * i) / (2 * sigma * sigma));
    for (int i = 0; i <= reach; ++i)
        weights[size_t(i)] = float(std::exp(-double(i * i) / (2 * sigma * sigma)) / sum);
    return weights;
}
