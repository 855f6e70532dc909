#include "viewer/cpu_blur.h"

#include "viewer/row_workers.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <type_traits>

namespace {

// The floats of the blur across kept at a time (16 MB), in strips of rows of the region (see
// BlurOnCpu): the stage of a movie frame fits in one, a large picture takes a few.
constexpr size_t kStripFloats = size_t(4) << 20;
constexpr int kMinStripRows = 64;

// Where the texels of a stage row (or the rows of a stage column) read the picture along one
// direction: for each of their samples the two picture texels whose mean the sample is (the same
// one twice where a sample is one texel) and, for YUV, the chroma texel. Worked out once per
// pass, so that the loops over texels neither divide nor branch at the picture's edge.
struct AxisSamples {
    int perTexel = 1;
    std::vector<int> first;
    std::vector<int> second;
    std::vector<int> chroma;
};

// The samples of the stage texels `stage` (each inside the stage) along one direction: the
// picture has `size` texels there, its chroma `chromaSize`; each stage texel covers `block`
// picture texels (`scale` of them, give or take the edge) after a margin of `margin` texels.
AxisSamples SamplesAlong(
    const std::vector<int>& stage, int scale, int margin, double block, int size, int chromaSize, bool yuv)
{
    AxisSamples samples;
    // Movie planes, which are opaque, are read two luma texels at a time (their mean) with the
    // chroma texel of the first; a stage of the picture's own size reads every texel as it is.
    samples.perTexel = yuv && scale > 1 ? scale / 2 : scale;
    const size_t count = stage.size() * size_t(samples.perTexel);
    samples.first.resize(count);
    samples.second.resize(count);
    samples.chroma.resize(count);
    const auto clamped = [size](int t) { return std::clamp(t, 0, size - 1); };
    const float blockF = float(block);
    const float toChroma = float(chromaSize) / float(size);
    for (size_t s = 0; s < stage.size(); ++s) {
        const int t = stage[s];
        // The same single-precision steps as the stage pass, so that both read the same texels.
        const float origin = float(t - margin) * blockF;
        const int start
            = scale == 1 ? t : int(std::floor(origin + 0.5f * blockF - 0.5f * float(scale) + 0.5f));
        for (int i = 0; i < samples.perTexel; ++i) {
            const size_t at = s * size_t(samples.perTexel) + size_t(i);
            if (!yuv || scale == 1) {
                const int p = clamped(start + i);
                samples.first[at] = p;
                samples.second[at] = p;
                samples.chroma[at] = yuv ? std::min(p * chromaSize / size, chromaSize - 1) : 0;
                continue;
            }
            const int p = start + 2 * i;
            samples.first[at] = clamped(p);
            samples.second[at] = clamped(p + 1);
            samples.chroma[at] = int((float(clamped(p)) + 0.5f) * toChroma);
        }
    }
    return samples;
}

// The stage texels first .. first + count - 1 along one direction, those beyond the stage's edge
// taken at the edge.
std::vector<int> Range(int first, int count, int stageSize)
{
    std::vector<int> texels(size_t(std::max(count, 0)));
    for (int i = 0; i < count; ++i)
        texels[size_t(i)] = std::clamp(first + i, 0, stageSize - 1);
    return texels;
}

// Rows of floats a band of rows works in, one set per thread.
struct RowScratch {
    std::vector<float> luma, cb, cr; // of each sample of a stage row
    std::vector<float> red, green, blue; // summed over the sample rows of the stage row
};

// One row of the stage, premultiplied RGBA floats, for the columns the samples describe. The
// samples are first gathered, then converted all at once, so that the conversion's loop, the
// most of the work, runs on several samples per instruction.
void StageRowYuv(const CVideoFrame& frame,
    const AxisSamples& across,
    const AxisSamples& down,
    size_t row,
    const std::array<float, 9>& m,
    const std::array<float, 3>& offset,
    RowScratch& scratch,
    float* out)
{
    const CVideoFrame::Plane& luma = frame.planes[0];
    const CVideoFrame::Plane& cb = frame.planes[1];
    const CVideoFrame::Plane& cr = frame.planes[2];
    const int n = across.perTexel;
    const size_t samples = across.first.size();
    const size_t columns = samples / size_t(n);
    scratch.luma.resize(samples);
    scratch.cb.resize(samples);
    scratch.cr.resize(samples);
    scratch.red.resize(samples);
    scratch.green.resize(samples);
    scratch.blue.resize(samples);
    float* __restrict lumaOf = scratch.luma.data();
    float* __restrict cbOf = scratch.cb.data();
    float* __restrict crOf = scratch.cr.data();
    float* __restrict red = scratch.red.data();
    float* __restrict green = scratch.green.data();
    float* __restrict blue = scratch.blue.data();
    const float lumaScale = 0.25f / 255.0f;
    const float chromaScale = 1.0f / 255.0f;
    for (int j = 0; j < down.perTexel; ++j) {
        const size_t at = row * size_t(down.perTexel) + size_t(j);
        const uint8_t* lumaA = luma.data + ptrdiff_t(down.first[at]) * luma.stride;
        const uint8_t* lumaB = luma.data + ptrdiff_t(down.second[at]) * luma.stride;
        const uint8_t* cbRow = cb.data + ptrdiff_t(down.chroma[at]) * cb.stride;
        const uint8_t* crRow = cr.data + ptrdiff_t(down.chroma[at]) * cr.stride;
        for (size_t s = 0; s < samples; ++s) {
            const int xa = across.first[s];
            const int xb = across.second[s];
            const int xc = across.chroma[s];
            lumaOf[s] = float(lumaA[xa] + lumaA[xb] + lumaB[xa] + lumaB[xb]);
            cbOf[s] = float(cbRow[xc]);
            crOf[s] = float(crRow[xc]);
        }
        // The first row of samples sets the sums, the others add to them.
        const auto convert = [&](auto adds) {
            for (size_t s = 0; s < samples; ++s) {
                const float y = lumaOf[s] * lumaScale - offset[0];
                const float u = cbOf[s] * chromaScale - offset[1];
                const float v = crOf[s] * chromaScale - offset[2];
                const float r = std::clamp(m[0] * y + m[3] * u + m[6] * v, 0.0f, 1.0f);
                const float g = std::clamp(m[1] * y + m[4] * u + m[7] * v, 0.0f, 1.0f);
                const float b = std::clamp(m[2] * y + m[5] * u + m[8] * v, 0.0f, 1.0f);
                if constexpr (decltype(adds)::value) {
                    red[s] += r;
                    green[s] += g;
                    blue[s] += b;
                } else {
                    red[s] = r;
                    green[s] = g;
                    blue[s] = b;
                }
            }
        };
        if (j == 0)
            convert(std::false_type {});
        else
            convert(std::true_type {});
    }
    const float mean = 1.0f / float(n * down.perTexel);
    if (n == 1) {
        for (size_t c = 0; c < columns; ++c) {
            out[4 * c] = red[c] * mean;
            out[4 * c + 1] = green[c] * mean;
            out[4 * c + 2] = blue[c] * mean;
            out[4 * c + 3] = 1.0f;
        }
        return;
    }
    for (size_t c = 0; c < columns; ++c) {
        float r = 0.0f, g = 0.0f, b = 0.0f;
        for (int i = 0; i < n; ++i) {
            r += red[c * size_t(n) + size_t(i)];
            g += green[c * size_t(n) + size_t(i)];
            b += blue[c * size_t(n) + size_t(i)];
        }
        out[4 * c] = r * mean;
        out[4 * c + 1] = g * mean;
        out[4 * c + 2] = b * mean;
        out[4 * c + 3] = 1.0f;
    }
}

void StageRowRgba(
    const CVideoFrame& frame, const AxisSamples& across, const AxisSamples& down, size_t row, float* out)
{
    const CVideoFrame::Plane& plane = frame.planes[0];
    const int n = across.perTexel;
    const float mean = 1.0f / float(n * down.perTexel);
    const size_t columns = across.first.size() / size_t(n);
    std::fill(out, out + 4 * columns, 0.0f);
    for (int j = 0; j < down.perTexel; ++j) {
        const uint8_t* line
            = plane.data + ptrdiff_t(down.first[row * size_t(down.perTexel) + size_t(j)]) * plane.stride;
        for (size_t c = 0; c < columns; ++c) {
            float sum[4] = { 0.0f, 0.0f, 0.0f, 0.0f };
            for (int i = 0; i < n; ++i) {
                const uint8_t* texel = line + 4 * ptrdiff_t(across.first[c * size_t(n) + size_t(i)]);
                const float alpha = float(texel[3]) * (1.0f / 255.0f);
                for (int k = 0; k < 3; ++k)
                    sum[k] += float(texel[k]) * (1.0f / 255.0f) * alpha;
                sum[3] += alpha;
            }
            for (int k = 0; k < 4; ++k)
                out[4 * c + size_t(k)] += sum[k];
        }
    }
    for (size_t k = 0; k < 4 * columns; ++k)
        out[k] *= mean;
}

// out[k] = the sum over taps t of weights[t] * rows[t][k]: a blur pass over rows of floats. With
// the taps known when compiled, each output is summed in registers and stored once.
template <int Taps>
void WeightedSumOf(const float* const* rows, const float* weights, size_t count, float* __restrict out)
{
    std::array<const float*, Taps> row {};
    std::array<float, Taps> weight {};
    for (int t = 0; t < Taps; ++t) {
        row[size_t(t)] = rows[t];
        weight[size_t(t)] = weights[t];
    }
    for (size_t k = 0; k < count; ++k) {
        float sum = weight[0] * row[0][k];
        for (int t = 1; t < Taps; ++t)
            sum += weight[size_t(t)] * row[size_t(t)][k];
        out[k] = sum;
    }
}

void WeightedSum(
    const float* const* rows, const float* weights, int taps, size_t count, float* __restrict out)
{
    static_assert(kMaxBlurReach == 4, "a blur pass has 1, 3, 5, 7 or 9 taps");
    switch (taps) {
    case 1:
        return WeightedSumOf<1>(rows, weights, count, out);
    case 3:
        return WeightedSumOf<3>(rows, weights, count, out);
    case 5:
        return WeightedSumOf<5>(rows, weights, count, out);
    case 7:
        return WeightedSumOf<7>(rows, weights, count, out);
    default:
        return WeightedSumOf<9>(rows, weights, count, out);
    }
}

// Floats 0..1 to bytes, rounded as OpenGL stores them in an 8-bit texture.
void ToBytes(const float* __restrict values, size_t count, uint8_t* __restrict bytes)
{
    for (size_t k = 0; k < count; ++k)
        bytes[k] = uint8_t(int(std::clamp(values[k] * 255.0f + 0.5f, 0.0f, 255.0f)));
}

} // namespace

bool CanBlurOnCpu(const CVideoFrame& frame)
{
    const auto usable = [](const CVideoFrame::Plane& plane, int bytesPerTexel) {
        return plane.data && plane.width > 0 && plane.height > 0
            && plane.stride >= plane.width * bytesPerTexel;
    };
    if (frame.format == CVideoFrame::Format::Rgba)
        return usable(frame.planes[0], 4);
    return frame.format == CVideoFrame::Format::Yuv && usable(frame.planes[0], 1)
        && usable(frame.planes[1], 1) && usable(frame.planes[2], 1)
        && frame.planes[1].width == frame.planes[2].width && frame.planes[1].height == frame.planes[2].height;
}

QRect CpuBlurRegion(const FilterStagePlan& plan, const QRect& region)
{
    return region.intersected(QRect(QPoint(-1, -1), plan.stageSize + QSize(2, 2)));
}

void BlurOnCpu(const CVideoFrame& frame,
    const FilterStagePlan& plan,
    const QRect& region,
    CRowWorkers& workers,
    CpuBlurScratch& scratch,
    std::vector<uint8_t>& out)
{
    const QRect shown = CpuBlurRegion(plan, region);
    const QSize stage = plan.stageSize;
    if (shown.isEmpty() || stage.isEmpty()) {
        out.clear();
        return;
    }
    // The stage texels worked out: the region without the texel around the stage, which repeats
    // its edge.
    const int left = std::clamp(shown.left(), 0, stage.width() - 1);
    const int right = std::clamp(shown.right(), 0, stage.width() - 1);
    const int top = std::clamp(shown.top(), 0, stage.height() - 1);
    const int bottom = std::clamp(shown.bottom(), 0, stage.height() - 1);
    const int width = right - left + 1;
    const int reach = plan.reach;
    const int taps = 2 * reach + 1;
    // The blur across is needed on every stage row the blur down reaches; the samples of those
    // rows are worked out once for all strips.
    const int acrossTop = std::max(top - reach, 0);
    const int acrossBottom = std::min(bottom + reach, stage.height() - 1);
    const int acrossRows = acrossBottom - acrossTop + 1;

    const bool yuv = frame.format == CVideoFrame::Format::Yuv;
    const CVideoFrame::Plane& luma = frame.planes[0];
    const QSize chroma = yuv ? QSize(frame.planes[1].width, frame.planes[1].height) : QSize(1, 1);
    const AxisSamples across = SamplesAlong(Range(left - reach, width + 2 * reach, stage.width()),
        plan.stageScale, plan.margin, plan.blockAcross, luma.width, chroma.width(), yuv);
    const AxisSamples down = SamplesAlong(Range(acrossTop, acrossRows, stage.height()), plan.stageScale,
        plan.margin, plan.blockDown, luma.height, chroma.height(), yuv);
    std::array<float, 3> offset {};
    const std::array<float, 9> matrix = yuv ? YuvMatrix(frame, offset) : std::array<float, 9> {};

    // Each pass's weights from the middle out, laid out over all its taps.
    const auto tapWeights = [&](double block) {
        const auto half = BlurWeights(plan.radius, reach, block, double(plan.stageScale), double(plan.scale));
        std::vector<float> weights(static_cast<size_t>(taps));
        for (int t = 0; t < taps; ++t)
            weights[size_t(t)] = half[size_t(std::abs(t - reach))];
        return weights;
    };
    const std::vector<float> acrossWeights = tapWeights(plan.blockAcross);
    const std::vector<float> downWeights = tapWeights(plan.blockDown);

    const size_t rowFloats = 4 * size_t(width);
    const size_t outRowBytes = 4 * size_t(shown.width());
    out.resize(outRowBytes * size_t(shown.height()));
    // Texels of the region before the first one worked out: the texel around the stage, if any.
    const int lead = left - shown.left();
    const bool inRow = lead >= 0 && lead + width <= shown.width();
    // Strip after strip of rows of the region, each with the rows of the blur across that its
    // blur down reads: the floats kept stay few (and in the cache) for a picture of any size.
    const int stripRows = std::max(kMinStripRows, int(kStripFloats / rowFloats));
    for (int stripFirst = 0; stripFirst < shown.height(); stripFirst += stripRows) {
        const int stripEnd = std::min(stripFirst + stripRows, shown.height());
        const int firstRow = std::clamp(shown.top() + stripFirst, 0, stage.height() - 1);
        const int lastRow = std::clamp(shown.top() + stripEnd - 1, 0, stage.height() - 1);
        const int stripAcrossTop = std::max(firstRow - reach, 0);
        const int stripAcrossRows = std::min(lastRow + reach, stage.height() - 1) - stripAcrossTop + 1;
        scratch.across.resize(rowFloats * size_t(stripAcrossRows));
        workers.Run(stripAcrossRows, [&](int first, int end) {
            std::vector<float> stageRow(4 * size_t(width + 2 * reach));
            RowScratch rowScratch;
            std::vector<const float*> shifted(static_cast<size_t>(taps));
            for (int t = 0; t < taps; ++t)
                shifted[size_t(t)] = stageRow.data() + 4 * size_t(t);
            for (int r = first; r < end; ++r) {
                const size_t row = size_t(stripAcrossTop - acrossTop + r);
                if (yuv)
                    StageRowYuv(frame, across, down, row, matrix, offset, rowScratch, stageRow.data());
                else
                    StageRowRgba(frame, across, down, row, stageRow.data());
                WeightedSum(shifted.data(), acrossWeights.data(), taps, rowFloats,
                    scratch.across.data() + size_t(r) * rowFloats);
            }
        });
        workers.Run(stripEnd - stripFirst, [&](int first, int end) {
            std::vector<float> blurred(rowFloats);
            std::vector<uint8_t> bytes(inRow ? 0 : rowFloats);
            std::vector<const float*> rows(static_cast<size_t>(taps));
            for (int r = stripFirst + first; r < stripFirst + end; ++r) {
                const int y = std::clamp(shown.top() + r, 0, stage.height() - 1);
                for (int t = 0; t < taps; ++t) {
                    const int source = std::clamp(y + t - reach, 0, stage.height() - 1) - stripAcrossTop;
                    rows[size_t(t)] = scratch.across.data() + size_t(source) * rowFloats;
                }
                WeightedSum(rows.data(), downWeights.data(), taps, rowFloats, blurred.data());
                uint8_t* line = out.data() + size_t(r) * outRowBytes;
                uint8_t* texels = inRow ? line + 4 * size_t(lead) : bytes.data();
                ToBytes(blurred.data(), rowFloats, texels);
                // The texel around the stage repeats its edge texel.
                if (inRow) {
                    if (lead > 0)
                        std::memcpy(line, texels, 4);
                    if (lead + width < shown.width())
                        std::memcpy(texels + rowFloats, texels + rowFloats - 4, 4);
                    continue;
                }
                for (int x = 0; x < shown.width(); ++x) {
                    const int column = std::clamp(shown.left() + x, 0, stage.width() - 1) - left;
                    std::memcpy(line + 4 * size_t(x), bytes.data() + 4 * size_t(column), 4);
                }
            }
        });
    }
}
