// The blur of filter 9 worked out on the CPU, checked against the Gaussian of
// docs/effects-and-filters.md computed here in double precision, as a face shows it; and the
// threads that share out its rows.
#include "viewer/cpu_blur.h"
#include "viewer/row_workers.h"

#include <QPointF>
#include <algorithm>
#include <atomic>
#include <cmath>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

namespace {

struct Rgba {
    double r = 0, g = 0, b = 0, a = 0;
};

// A picture of size w x h in the planes' directions: a smooth blend on the left half, hard
// squares of strong colours on the right, so that both a blur's shape and its reach show.
Rgba PatternAt(int x, int y, int w, int h)
{
    if (x < w / 2)
        return { double(x) / w * 2, double(y) / h, 1 - double(x) / w, 1 };
    static const Rgba squares[] = { { 1, 0, 0, 1 }, { 1, 1, 1, 1 }, { 0, 0, 1, 1 }, { 0, 0, 0, 1 },
        { 0, 0.8, 0.4, 1 }, { 1, 1, 0, 1 } };
    return squares[size_t((x - w / 2) / 6 + (y / 6) * 2) % 6];
}

uint8_t Byte(double v)
{
    return uint8_t(std::lround(std::clamp(v, 0.0, 1.0) * 255));
}

struct Picture {
    std::shared_ptr<CVideoFrame> frame;
    // The picture's colours in the planes' directions, premultiplied, as the document reads them.
    std::vector<Rgba> texels;
    int width = 0;
    int height = 0;

    Rgba At(int x, int y) const
    {
        return texels[size_t(std::clamp(y, 0, height - 1) * width + std::clamp(x, 0, width - 1))];
    }
};

// The frame shown turned by clockwise quarter turns: its size as shown is that of the planes turned.
void Turned(CVideoFrame& frame, int quarterTurns)
{
    frame.quarterTurns = quarterTurns;
    frame.width = quarterTurns % 2 ? frame.planes[0].height : frame.planes[0].width;
    frame.height = quarterTurns % 2 ? frame.planes[0].width : frame.planes[0].height;
}

// RGBA texels, some of them partly transparent (a blur mixes them premultiplied).
Picture RgbaPicture(int w, int h, int quarterTurns)
{
    Picture picture;
    picture.width = w;
    picture.height = h;
    auto bytes = std::make_shared<std::vector<uint8_t>>(size_t(w * h * 4));
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            Rgba c = PatternAt(x, y, w, h);
            c.a = (x / 5 + y / 3) % 3 == 0 ? 0.4 : 1.0;
            uint8_t* t = bytes->data() + size_t(y * w + x) * 4;
            t[0] = Byte(c.r);
            t[1] = Byte(c.g);
            t[2] = Byte(c.b);
            t[3] = Byte(c.a);
            const double a = t[3] / 255.0;
            picture.texels.push_back({ t[0] / 255.0 * a, t[1] / 255.0 * a, t[2] / 255.0 * a, a });
        }
    }
    auto frame = std::make_shared<CVideoFrame>();
    frame->format = CVideoFrame::Format::Rgba;
    frame->planes[0] = { bytes->data(), w * 4, w, h };
    Turned(*frame, quarterTurns);
    frame->owner = bytes;
    picture.frame = frame;
    return picture;
}

// 8-bit 4:2:0 planes of the pattern (chroma planes of half the size, rounded up), and their RGB
// by the usual Y'CbCr equations of the matrix's kr and kb, each chroma texel serving the 2 x 2
// luma texels at its top left.
Picture YuvPicture(int w, int h, int quarterTurns, CVideoFrame::Matrix matrix, bool fullRange)
{
    Picture picture;
    picture.width = w;
    picture.height = h;
    const int cw = (w + 1) / 2;
    const int ch = (h + 1) / 2;
    auto bytes = std::make_shared<std::vector<uint8_t>>(size_t(w * h + 2 * cw * ch));
    uint8_t* luma = bytes->data();
    uint8_t* cb = luma + w * h;
    uint8_t* cr = cb + cw * ch;
    const double kr = matrix == CVideoFrame::Matrix::Bt601 ? 0.299 : 0.2126;
    const double kb = matrix == CVideoFrame::Matrix::Bt601 ? 0.114 : 0.0722;
    const double kg = 1 - kr - kb;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const Rgba c = PatternAt(x, y, w, h);
            const double l = kr * c.r + kg * c.g + kb * c.b;
            luma[y * w + x] = uint8_t(std::lround(fullRange ? l * 255 : 16 + l * 219));
        }
    }
    for (int y = 0; y < ch; ++y) {
        for (int x = 0; x < cw; ++x) {
            // Chroma of its own, varying across the picture, so that a misplaced chroma texel shows.
            cb[y * cw + x] = uint8_t(128 + std::lround(100 * std::sin(x * 0.7 + y * 0.3)));
            cr[y * cw + x] = uint8_t(128 + std::lround(100 * std::cos(x * 0.4 - y * 0.9)));
        }
    }
    const double yScale = fullRange ? 1 : 255.0 / 219;
    const double cScale = fullRange ? 1 : 255.0 / 224;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const double l = (luma[y * w + x] - (fullRange ? 0 : 16)) / 255.0 * yScale;
            const double u = (cb[(y / 2) * cw + x / 2] - 128) / 255.0 * cScale;
            const double v = (cr[(y / 2) * cw + x / 2] - 128) / 255.0 * cScale;
            const double r = l + 2 * (1 - kr) * v;
            const double b = l + 2 * (1 - kb) * u;
            const double g = (l - kr * r - kb * b) / kg;
            picture.texels.push_back(
                { std::clamp(r, 0.0, 1.0), std::clamp(g, 0.0, 1.0), std::clamp(b, 0.0, 1.0), 1 });
        }
    }
    auto frame = std::make_shared<CVideoFrame>();
    frame->format = CVideoFrame::Format::Yuv;
    frame->matrix = matrix;
    frame->fullRange = fullRange;
    frame->planes[0] = { luma, w, w, h };
    frame->planes[1] = { cb, cw, cw, ch };
    frame->planes[2] = { cr, cw, cw, ch };
    Turned(*frame, quarterTurns);
    frame->owner = bytes;
    picture.frame = frame;
    return picture;
}

// The planes' point (0..1) of a point of the picture as shown, turned by clockwise quarter turns.
QPointF Unturned(QPointF p, int quarterTurns)
{
    switch (quarterTurns % 4) {
    case 1:
        return QPointF(p.y(), 1 - p.x());
    case 2:
        return QPointF(1 - p.x(), 1 - p.y());
    case 3:
        return QPointF(1 - p.y(), p.x());
    default:
        return p;
    }
}

// Filter 9 as documented: separable Gaussian weights of sigma r / 2 over -r..r, clamped edges,
// on the premultiplied picture. In the planes' directions: the blur of the turned picture is the
// turned blur, as the Gaussian is the same both ways.
std::vector<Rgba> DocumentedBlur(const Picture& picture, int radius)
{
    const double sigma = radius / 2.0;
    std::vector<double> weights;
    double total = 0;
    for (int i = -radius; i <= radius; ++i) {
        weights.push_back(std::exp(-i * i / (2 * sigma * sigma)));
        total += weights.back();
    }
    const int w = picture.width;
    const int h = picture.height;
    const auto add = [](Rgba& sum, const Rgba& t, double k) {
        sum = { sum.r + k * t.r, sum.g + k * t.g, sum.b + k * t.b, sum.a + k * t.a };
    };
    std::vector<Rgba> across(size_t(w * h));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            for (int i = -radius; i <= radius; ++i)
                add(across[size_t(y * w + x)], picture.At(x + i, y), weights[size_t(i + radius)] / total);
    std::vector<Rgba> blurred(size_t(w * h));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            for (int j = -radius; j <= radius; ++j)
                add(blurred[size_t(y * w + x)], across[size_t(std::clamp(y + j, 0, h - 1) * w + x)],
                    weights[size_t(j + radius)] / total);
    return blurred;
}

// Texels (x, y) of a grid sampled bilinearly at a point (0..1) whose texel centres lie at
// (i + 0.5) / size after `offset` texels, as a face samples a texture.
template <typename TexelAt>
Rgba Bilinear(QPointF point, double width, double height, double offset, TexelAt&& texelAt)
{
    const double u = point.x() * width - 0.5 + offset;
    const double v = point.y() * height - 0.5 + offset;
    const int x0 = int(std::floor(u));
    const int y0 = int(std::floor(v));
    Rgba sum;
    for (int j = 0; j < 2; ++j) {
        for (int i = 0; i < 2; ++i) {
            const double k = (i ? u - x0 : 1 - (u - x0)) * (j ? v - y0 : 1 - (v - y0));
            const Rgba t = texelAt(x0 + i, y0 + j);
            sum = { sum.r + k * t.r, sum.g + k * t.g, sum.b + k * t.b, sum.a + k * t.a };
        }
    }
    return sum;
}

struct BlurCase {
    const char* name;
    bool yuv;
    int radius;
    int faceScale; // the face shows the picture at 1 / faceScale of its size
    int quarterTurns;
    bool partOnly; // only the middle of the stage is asked for
    CVideoFrame::Matrix matrix = CVideoFrame::Matrix::Bt709;
    bool fullRange = false;
    // The planes' size: whole blocks at every reduction, chroma of half the size.
    QSize planes = QSize(96, 64);
};

// Every case is worked out by the pool and by the calling thread alone; both must give the same
// bytes, which, seen at the face's size, must be the documented blur: within a level where the
// stage is the picture itself, within 8 levels where it is reduced.
TEST(CpuBlur, LooksAsTheDocumentedGaussianAtTheFacesSize)
{
    const std::vector<BlurCase> cases = {
        { "rgba r1 exact", false, 1, 1, 0, false },
        { "yuv r1 exact turned once", true, 1, 1, 1, false },
        { "rgba r3 exact turned twice, a part", false, 3, 1, 2, true },
        { "yuv r3 on a half-size face (kept exact)", true, 3, 2, 3, false },
        { "yuv r5 reduced by 2 on a full-size face", true, 5, 1, 0, false },
        { "rgba r5 reduced by 2 on a half-size face turned once", false, 5, 2, 1, false },
        { "yuv r5 on a quarter-size face turned twice", true, 5, 4, 2, false },
        { "yuv r12 reduced by 4 turned twice, a part", true, 12, 1, 2, true },
        { "rgba r12 on a quarter-size face turned thrice", false, 12, 4, 3, false },
        { "yuv r12 on a half-size face, BT.601 full range", true, 12, 2, 0, false, CVideoFrame::Matrix::Bt601,
            true },
        { "yuv r50 reduced by 16 turned thrice", true, 50, 1, 3, false },
        { "rgba r50 on a quarter-size face, a part", false, 50, 4, 1, true },
        // Larger than the rows worked out at a time.
        { "rgba r4 exact, large, a part", false, 4, 1, 0, true, CVideoFrame::Matrix::Bt709, false,
            QSize(2400, 1500) },
        { "yuv r2 exact, large, turned once", true, 2, 1, 1, false, CVideoFrame::Matrix::Bt709, false,
            QSize(1200, 1000) },
    };
    CRowWorkers pool(3);
    CRowWorkers alone(0);
    for (const BlurCase& c : cases) {
        SCOPED_TRACE(c.name);
        const int w = c.planes.width();
        const int h = c.planes.height();
        const Picture picture = c.yuv ? YuvPicture(w, h, c.quarterTurns, c.matrix, c.fullRange)
                                      : RgbaPicture(w, h, c.quarterTurns);
        ASSERT_TRUE(CanBlurOnCpu(*picture.frame));
        ItemFilter filter;
        filter.kind = FilterKind::Blur;
        filter.params[0] = float(c.radius);
        const std::optional<FilterStagePlan> plan = PlanFilterStage(filter, c.planes, c.faceScale);
        ASSERT_TRUE(plan.has_value());
        const QSize stage = plan->stageSize;
        const QRect whole(QPoint(-1, -1), stage + QSize(2, 2));
        const QRect region = c.partOnly
            ? QRect(stage.width() / 4, stage.height() / 3, stage.width() / 2, stage.height() / 3)
            : whole;

        CpuBlurScratch scratch;
        std::vector<uint8_t> pooled;
        std::vector<uint8_t> single;
        BlurOnCpu(*picture.frame, *plan, region, pool, scratch, pooled);
        BlurOnCpu(*picture.frame, *plan, region, alone, scratch, single);
        ASSERT_EQ(pooled.size(), size_t(region.width() * region.height() * 4));
        EXPECT_EQ(pooled, single);
        if (c.partOnly) {
            // A part is the same as that part of the whole.
            std::vector<uint8_t> all;
            BlurOnCpu(*picture.frame, *plan, whole, pool, scratch, all);
            int differing = 0;
            for (int y = 0; y < region.height(); ++y)
                for (int x = 0; x < region.width() * 4; ++x)
                    differing += pooled[size_t(y * region.width() * 4 + x)]
                        != all[size_t(
                            (y + region.top() + 1) * whole.width() * 4 + (region.left() + 1) * 4 + x)];
            EXPECT_EQ(differing, 0);
        }

        // The face's pixels, each sampling the stage bilinearly at its centre, in the picture as
        // shown; where only a part was asked for, the pixels that read inside it.
        const std::vector<Rgba> expectedBlur = DocumentedBlur(picture, c.radius);
        const QSize inner = stage - QSize(2 * plan->margin, 2 * plan->margin);
        const int shownWidth = picture.frame->width;
        const int shownHeight = picture.frame->height;
        const int tolerance = plan->stageScale == 1 ? 1 : 8;
        int checked = 0;
        int mismatched = 0;
        for (int fy = 0; fy < shownHeight / c.faceScale; ++fy) {
            for (int fx = 0; fx < shownWidth / c.faceScale; ++fx) {
                const QPointF shownPoint(
                    (fx + 0.5) * c.faceScale / shownWidth, (fy + 0.5) * c.faceScale / shownHeight);
                const QPointF point = Unturned(shownPoint, c.quarterTurns);
                const int u0 = int(std::floor(point.x() * inner.width() - 0.5 + plan->margin));
                const int v0 = int(std::floor(point.y() * inner.height() - 0.5 + plan->margin));
                if (!region.contains(QRect(u0, v0, 2, 2)))
                    continue;
                ++checked;
                const Rgba actual
                    = Bilinear(point, inner.width(), inner.height(), plan->margin, [&](int x, int y) {
                          const uint8_t* t = pooled.data()
                              + size_t((y - region.top()) * region.width() + (x - region.left())) * 4;
                          return Rgba { t[0] / 255.0, t[1] / 255.0, t[2] / 255.0, t[3] / 255.0 };
                      });
                // The documented blur over the texels the face's pixel covers.
                const int x0 = int(std::lround(point.x() * w - c.faceScale / 2.0));
                const int y0 = int(std::lround(point.y() * h - c.faceScale / 2.0));
                Rgba expected;
                for (int y = y0; y < y0 + c.faceScale; ++y) {
                    for (int x = x0; x < x0 + c.faceScale; ++x) {
                        const Rgba& t = expectedBlur[size_t(y * w + x)];
                        const double k = 1.0 / (c.faceScale * c.faceScale);
                        expected = { expected.r + k * t.r, expected.g + k * t.g, expected.b + k * t.b,
                            expected.a + k * t.a };
                    }
                }
                const double worst
                    = std::max({ std::abs(actual.r - expected.r), std::abs(actual.g - expected.g),
                          std::abs(actual.b - expected.b), std::abs(actual.a - expected.a) })
                    * 255;
                if (worst > tolerance && ++mismatched <= 3)
                    ADD_FAILURE() << "at face pixel (" << fx << ", " << fy << ") " << worst << " levels off";
            }
        }
        EXPECT_EQ(mismatched, 0);
        const int facePixels = (shownWidth / c.faceScale) * (shownHeight / c.faceScale);
        if (c.partOnly)
            EXPECT_GT(checked, facePixels / 8);
        else
            EXPECT_EQ(checked, facePixels);
    }
}

TEST(CpuBlur, TakesOnlyFramesItCanRead)
{
    const Picture rgba = RgbaPicture(8, 6, 0);
    const Picture yuv = YuvPicture(8, 6, 0, CVideoFrame::Matrix::Bt709, false);
    struct Case {
        const char* name;
        std::function<void(CVideoFrame&)> change;
        bool rgba;
        bool takes;
    };
    const std::vector<Case> cases = {
        { "rgba", [](CVideoFrame&) {}, true, true },
        { "yuv", [](CVideoFrame&) {}, false, true },
        { "rgba without texels", [](CVideoFrame& f) { f.planes[0].data = nullptr; }, true, false },
        { "rgba rows shorter than the width", [](CVideoFrame& f) { f.planes[0].stride = 8 * 4 - 1; }, true,
            false },
        { "yuv without its chroma", [](CVideoFrame& f) { f.planes[2] = {}; }, false, false },
        { "yuv chroma planes of two sizes", [](CVideoFrame& f) { f.planes[2].height -= 1; }, false, false },
        { "yuv of no size", [](CVideoFrame& f) { f.planes[0].width = 0; }, false, false },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CVideoFrame frame = c.rgba ? *rgba.frame : *yuv.frame;
        c.change(frame);
        EXPECT_EQ(CanBlurOnCpu(frame), c.takes);
    }
}

TEST(CpuBlur, ARegionOutsideTheStageGivesNothing)
{
    const Picture picture = RgbaPicture(16, 8, 0);
    ItemFilter filter;
    filter.kind = FilterKind::Blur;
    filter.params[0] = 2;
    const std::optional<FilterStagePlan> plan = PlanFilterStage(filter, QSize(16, 8), 1);
    ASSERT_TRUE(plan.has_value());
    CRowWorkers workers(1);
    CpuBlurScratch scratch;
    std::vector<uint8_t> out(5, 1);
    for (const QRect& region : { QRect(), QRect(17, 0, 4, 4), QRect(-6, -6, 5, 5) }) {
        BlurOnCpu(*picture.frame, *plan, region, workers, scratch, out);
        EXPECT_TRUE(out.empty());
    }
    // Only the texel around the stage, which repeats its corner.
    BlurOnCpu(*picture.frame, *plan, QRect(-1, -1, 1, 1), workers, scratch, out);
    std::vector<uint8_t> corner;
    BlurOnCpu(*picture.frame, *plan, QRect(0, 0, 1, 1), workers, scratch, corner);
    ASSERT_EQ(out.size(), 4u);
    EXPECT_EQ(out, corner);
}

// Every row of a pass is given to exactly one band, whatever the rows and threads.
TEST(RowWorkers, GiveEveryRowOnceAndReturnWhenAllAreDone)
{
    for (int helpers : { 0, 1, 3 }) {
        CRowWorkers workers(helpers);
        EXPECT_EQ(workers.Threads(), helpers + 1);
        for (int rows : { 0, 1, 2, 3, 7, 1000 }) {
            SCOPED_TRACE(testing::Message() << helpers << " helpers, " << rows << " rows");
            std::vector<std::atomic<int>> visits(static_cast<size_t>(rows));
            std::atomic<int> bands { 0 };
            workers.Run(rows, [&](int first, int end) {
                EXPECT_LT(first, end);
                ++bands;
                for (int r = first; r < end; ++r)
                    ++visits[size_t(r)];
            });
            // Run has returned: every band is done and visible here.
            int wrong = 0;
            for (const std::atomic<int>& v : visits)
                wrong += v.load() != 1;
            EXPECT_EQ(wrong, 0);
            // A few bands per thread at most, one without helpers.
            EXPECT_LE(bands.load(), helpers == 0 ? std::min(rows, 1) : std::min(rows, 4 * (helpers + 1)));
        }
    }
}

} // namespace
