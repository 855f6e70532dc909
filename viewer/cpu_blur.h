#pragma once

#include "viewer/filter_stage_plan.h"
#include "viewer/video_frame.h"

#include <QRect>
#include <cstdint>
#include <vector>

class CRowWorkers;

// The blur of filter 9 worked out on the CPU, as the renderer's stage, blur-across and blur-down
// passes draw it: the frame's texels (converted from YUV with the frame's matrix and range,
// 4:2:0 chroma as the planes give it) premultiplied into a stage of the plan's size, each stage
// texel the mean of its block, the edge repeated around it; then the plan's weights across and
// down, edge texels repeated. All in the planes' own directions, as the stage is.

// Whether the frame's planes are in a form the CPU blur reads (8-bit YUV planes or RGBA).
bool CanBlurOnCpu(const CVideoFrame& frame);

// Memory the passes reuse from one frame to the next.
struct CpuBlurScratch {
    std::vector<float> across; // the blur across of the rows one strip of the blur down reads
};

// The blurred stage over `region` (the stage's own texels; the texel around the stage, which
// repeats its edge, may be included) as RGBA8 premultiplied, rows of region.width() texels from
// the region's top, into `out`; the rows are shared out among the workers. An empty region, or
// one outside the stage and the texel around it, gives nothing.
void BlurOnCpu(const CVideoFrame& frame,
    const FilterStagePlan& plan,
    const QRect& region,
    CRowWorkers& workers,
    CpuBlurScratch& scratch,
    std::vector<uint8_t>& out);

// The part of `region` that BlurOnCpu gives: the region inside the stage and the texel around it.
QRect CpuBlurRegion(const FilterStagePlan& plan, const QRect& region);
