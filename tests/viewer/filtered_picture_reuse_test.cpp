// The renderer keeps each face's filtered picture on its shared textures and draws it again only
// when what it was made from changed. Drawn in this process with OpenGL (run in a virtual
// display): a renderer that showed the faces before a change must show what a renderer drawing
// them for the first time shows.
#include "viewer/face_renderer.h"

#include <QImage>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFramebufferObject>
#include <QPainter>
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

} // namespace
