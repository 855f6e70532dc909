// The renderer keeps each face's filtered picture on its shared textures and draws it again only
// when what it was made from changed. Drawn in this process with OpenGL (run in a virtual
// display): a renderer that showed the faces before a change must show what a renderer drawing
// them for the first time shows. A blur worked out on the CPU shows as the blur passes draw it.
#include "viewer/face_renderer.h"

#include <QImage>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFramebufferObject>
#include <QPainter>
#include <cmath>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

namespace {

constexpr QSize kCanvas(128, 32);

// A picture of hard edges and a ramp, in one of two colourings, so that every change of the
// picture or its blur shows in many pixels.
VideoFramePtr TestPicture(bool other)
{
    QImage image(64, 32, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const bool square = ((x / 8) + (y / 8)) % 2 == 0;
            const QColor colour = square ? (other ? QColor(0, 40, 250) : QColor(250, 250, 250))
                                         : QColor(x * 4, other ? 255 - y * 8 : y * 8, other ? 200 : 30);
            image.setPixelColor(x, y, colour);
        }
    }
    return CVideoFrame::FromImage(image);
}

ItemFilter Filter(FilterKind kind, std::initializer_list<float> params)
{
    ItemFilter filter;
    filter.kind = kind;
    std::copy(params.begin(), params.end(), filter.params.begin());
    return filter;
}

// A face at the canvas's left (0) or right (1) half, showing the picture texel for pixel.
FaceLayer Face(int32_t faceNo, int half, VideoFramePtr picture, ItemFilter filter)
{
    FaceLayer layer;
    layer.faceNo = faceNo;
    const double left = 64.0 * half;
    layer.quad
        = QPolygonF({ QPointF(left, 0), QPointF(left + 64, 0), QPointF(left + 64, 32), QPointF(left, 32) });
    layer.frame = std::move(picture);
    layer.aspect = 2.0;
    layer.filter = filter;
    return layer;
}

class FilteredPictureReuse : public ::testing::Test {
protected:
    void SetUp() override
    {
        QSurfaceFormat format;
        format.setVersion(3, 3);
        format.setProfile(QSurfaceFormat::CoreProfile);
        context.setFormat(format);
        ASSERT_TRUE(context.create());
        surface.setFormat(context.format());
        surface.create();
        ASSERT_TRUE(context.makeCurrent(&surface));
        target = std::make_unique<QOpenGLFramebufferObject>(kCanvas);
        ASSERT_TRUE(target->bind());
    }

    void TearDown() override
    {
        target.reset();
        context.doneCurrent();
    }

    QImage Draw(CFaceRenderer& renderer, const std::vector<FaceLayer>& layers)
    {
        renderer.Render(layers, kCanvas, kCanvas, QRectF(QPointF(0, 0), QSizeF(kCanvas)));
        return target->toImage().convertToFormat(QImage::Format_RGB32);
    }

    QOpenGLContext context;
    QOffscreenSurface surface;
    std::unique_ptr<QOpenGLFramebufferObject> target;
};

// Two faces with neighbourhood filters are shown, one thing changes, and the faces are shown
// again: every pixel must be what a fresh renderer draws of the changed faces.
TEST_F(FilteredPictureReuse, AChangedFrameFilterOrShownPartIsDrawnAgain)
{
    const VideoFramePtr picture = TestPicture(false);
    const VideoFramePtr otherPicture = TestPicture(true);
    const ItemFilter blur = Filter(FilterKind::Blur, { 3 });
    const std::vector<FaceLayer> before
        = { Face(1, 0, picture, blur), Face(2, 1, picture, Filter(FilterKind::Sharpen, { 100, 1 })) };
    using Edit = std::function<void(std::vector<FaceLayer>&)>;
    const Edit asBefore = [](std::vector<FaceLayer>&) {};
    struct Change {
        const char* what;
        Edit first; // of the faces as shown first
        Edit then;
    };
    const std::vector<Change> changes = {
        { "nothing", asBefore, asBefore },
        { "another frame", asBefore, [&](std::vector<FaceLayer>& faces) { faces[0].frame = otherPicture; } },
        { "another frame on the other face", asBefore,
            [&](std::vector<FaceLayer>& faces) { faces[1].frame = otherPicture; } },
        { "the blur's radius", asBefore,
            [](std::vector<FaceLayer>& faces) { faces[0].filter.params[0] = 4; } },
        { "a radius drawn on a reduced stage", asBefore,
            [](std::vector<FaceLayer>& faces) { faces[0].filter.params[0] = 12; } },
        { "the sharpening's strength", asBefore,
            [](std::vector<FaceLayer>& faces) { faces[1].filter.params[0] = 40; } },
        // Of the same parameters and sizes.
        { "the filter", asBefore,
            [](std::vector<FaceLayer>& faces) { faces[1].filter.kind = FilterKind::EdgeDetection; } },
        { "the part of the frame shown",
            [](std::vector<FaceLayer>& faces) { faces[0].shownArea = QRectF(0, 0, 0.5, 0.5); },
            [](std::vector<FaceLayer>& faces) { faces[0].shownArea = QRectF(0.5, 0.5, 0.5, 0.5); } },
        // A wide blur: its stage is reduced alike at both sizes, its Gaussian narrowed by less on
        // the smaller face.
        { "the face's size on the canvas",
            [](std::vector<FaceLayer>& faces) { faces[0].filter.params[0] = 12; },
            [](std::vector<FaceLayer>& faces) {
                faces[0].quad = QPolygonF({ QPointF(0, 0), QPointF(32, 0), QPointF(32, 16), QPointF(0, 16) });
            } },
        // The first drawing blurs only the narrow band that the wipe shows.
        { "a wipe that shows more of the face",
            [](std::vector<FaceLayer>& faces) {
                faces[0].entry = ActiveEffect { EffectPattern::Wipe, 0, 0.2 };
            },
            [](std::vector<FaceLayer>& faces) {
                faces[0].entry = ActiveEffect { EffectPattern::Wipe, 0, 0.9 };
            } },
    };
    for (const Change& change : changes) {
        SCOPED_TRACE(change.what);
        std::vector<FaceLayer> first = before;
        change.first(first);
        std::vector<FaceLayer> after = first;
        change.then(after);

        CFaceRenderer shownBefore;
        ASSERT_TRUE(shownBefore.Initialize()) << shownBefore.LastError().toStdString();
        Draw(shownBefore, first);
        const QImage shown = Draw(shownBefore, after);

        CFaceRenderer fresh;
        ASSERT_TRUE(fresh.Initialize()) << fresh.LastError().toStdString();
        const QImage expected = Draw(fresh, after);

        int mismatched = 0;
        for (int y = 0; y < kCanvas.height(); ++y) {
            for (int x = 0; x < kCanvas.width(); ++x) {
                const QColor a = shown.pixelColor(x, y);
                const QColor e = expected.pixelColor(x, y);
                const bool same = std::abs(a.red() - e.red()) <= 1 && std::abs(a.green() - e.green()) <= 1
                    && std::abs(a.blue() - e.blue()) <= 1;
                if (!same && ++mismatched <= 3)
                    ADD_FAILURE() << "at (" << x << ", " << y << ") " << a.name().toStdString()
                                  << " instead of " << e.name().toStdString();
            }
        }
        EXPECT_EQ(mismatched, 0);
    }
}

// Planes of 8-bit 4:2:0 YUV (chroma of half the size, rounded up) with hard edges in the luma
// and chroma that varies across the picture.
VideoFramePtr YuvPicture(int width, int height, int quarterTurns)
{
    const int chromaWidth = (width + 1) / 2;
    const int chromaHeight = (height + 1) / 2;
    auto bytes
        = std::make_shared<std::vector<uint8_t>>(size_t(width * height + 2 * chromaWidth * chromaHeight));
    uint8_t* luma = bytes->data();
    uint8_t* cb = luma + width * height;
    uint8_t* cr = cb + chromaWidth * chromaHeight;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            luma[y * width + x] = ((x / 8) + (y / 8)) % 2 == 0 ? 230 : uint8_t(20 + 3 * x);
    for (int y = 0; y < chromaHeight; ++y) {
        for (int x = 0; x < chromaWidth; ++x) {
            cb[y * chromaWidth + x] = uint8_t(128 + std::lround(90 * std::sin(x * 0.5 + y * 0.2)));
            cr[y * chromaWidth + x] = uint8_t(128 + std::lround(90 * std::cos(x * 0.3 - y * 0.7)));
        }
    }
    auto frame = std::make_shared<CVideoFrame>();
    frame->format = CVideoFrame::Format::Yuv;
    frame->planes[0] = { luma, width, width, height };
    frame->planes[1] = { cb, chromaWidth, chromaWidth, chromaHeight };
    frame->planes[2] = { cr, chromaWidth, chromaWidth, chromaHeight };
    frame->quarterTurns = quarterTurns;
    frame->width = quarterTurns % 2 ? height : width;
    frame->height = quarterTurns % 2 ? width : height;
    frame->serial = CVideoFrame::NextSerial();
    frame->owner = bytes;
    return frame;
}

// The same faces drawn by a renderer that blurs on the CPU and by one that draws every blur with
// its passes: a picture or movie frame, exact or reduced stages, faces of the picture's size and
// smaller, turned frames and a blur drawn only where an effect shows it.
TEST(BlurOnCpu, ShowsAsTheBlurPassesDrawIt)
{
    struct Case {
        const char* name;
        VideoFramePtr frame;
        int radius;
        int faceWidth; // of 64, the face's height half of it
        std::optional<ActiveEffect> entry;
    };
    const VideoFramePtr picture = TestPicture(false);
    const VideoFramePtr movie = YuvPicture(64, 32, 0);
    const VideoFramePtr turnedMovie = YuvPicture(32, 64, 1);
    const VideoFramePtr upsideDownMovie = YuvPicture(64, 32, 2);
    const std::vector<Case> cases = {
        { "picture r3 at its size", picture, 3, 64, {} },
        { "picture r12 reduced by 4", picture, 12, 64, {} },
        { "picture r5 at half size", picture, 5, 32, {} },
        { "movie r2 at its size", movie, 2, 64, {} },
        { "movie r5 reduced by 2", movie, 5, 64, {} },
        { "movie r12 at a quarter size", movie, 12, 16, {} },
        { "movie r50 reduced by 16", movie, 50, 64, {} },
        { "movie turned once r4", turnedMovie, 4, 64, {} },
        { "movie turned once r12 at half size", turnedMovie, 12, 32, {} },
        { "movie turned twice r6", upsideDownMovie, 6, 64, {} },
        { "movie r5 under a wipe", movie, 5, 64, ActiveEffect { EffectPattern::Wipe, 2, 0.4 } },
        { "picture r3 under a slide", picture, 3, 64, ActiveEffect { EffectPattern::Slide, 1, 0.5 } },
    };
    QSurfaceFormat format;
    format.setVersion(3, 3);
    format.setProfile(QSurfaceFormat::CoreProfile);
    QOpenGLContext context;
    context.setFormat(format);
    ASSERT_TRUE(context.create());
    QOffscreenSurface surface;
    surface.setFormat(context.format());
    surface.create();
    ASSERT_TRUE(context.makeCurrent(&surface));
    {
        QOpenGLFramebufferObject target(kCanvas);
        ASSERT_TRUE(target.bind());
        const auto draw = [&](bool onCpu, const FaceLayer& layer) {
            CFaceRenderer renderer;
            renderer.SetBlurOnCpu(onCpu);
            EXPECT_TRUE(renderer.Initialize()) << renderer.LastError().toStdString();
            renderer.Render({ layer }, kCanvas, kCanvas, QRectF(QPointF(0, 0), QSizeF(kCanvas)));
            return target.toImage().convertToFormat(QImage::Format_RGB32);
        };
        for (const Case& c : cases) {
            SCOPED_TRACE(c.name);
            FaceLayer layer = Face(1, 0, c.frame, Filter(FilterKind::Blur, { float(c.radius) }));
            const double width = c.faceWidth;
            layer.quad = QPolygonF(
                { QPointF(0, 0), QPointF(width, 0), QPointF(width, width / 2), QPointF(0, width / 2) });
            layer.entry = c.entry;
            const QImage onCpu = draw(true, layer);
            const QImage byPasses = draw(false, layer);
            int lit = 0;
            int mismatched = 0;
            for (int y = 0; y < kCanvas.height(); ++y) {
                for (int x = 0; x < kCanvas.width(); ++x) {
                    const QColor a = onCpu.pixelColor(x, y);
                    const QColor e = byPasses.pixelColor(x, y);
                    lit += e.red() + e.green() + e.blue() > 0;
                    const int off = std::max({ std::abs(a.red() - e.red()), std::abs(a.green() - e.green()),
                        std::abs(a.blue() - e.blue()) });
                    if (off > 2 && ++mismatched <= 3)
                        ADD_FAILURE() << "at (" << x << ", " << y << ") " << a.name().toStdString()
                                      << " instead of " << e.name().toStdString();
                }
            }
            EXPECT_EQ(mismatched, 0);
            // The face shows a picture: a comparison of two black frames would prove nothing.
            const int faceArea = c.faceWidth * c.faceWidth / 2;
            EXPECT_GE(lit, c.entry ? faceArea / 4 : faceArea);
        }
    }
    context.doneCurrent();
}

} // namespace
