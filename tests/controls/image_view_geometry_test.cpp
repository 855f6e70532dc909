#include "controls/image_view_geometry.h"

#include <gtest/gtest.h>

using namespace controls;

namespace {

const WinRect kFrame { 5, 5, 645, 365 }; // a 650-pixel-wide view
const SelectionCorners kBox { QPoint(10, 10), QPoint(100, 10), QPoint(100, 80), QPoint(10, 80) };

} // namespace

TEST(ImageViewGeometry, FitsASixteenByNineFrameIntoTheClientArea)
{
    EXPECT_EQ(CalcImageFrame(650, 400), kFrame);
    // Too low for the width: the height decides and the frame keeps to the left.
    EXPECT_EQ(CalcImageFrame(650, 200), (WinRect { 5, 5, 342, 195 }));
}

TEST(ImageViewGeometry, ShowsPicturesAtTheFramesTopLeftWithoutEnlarging)
{
    struct Case {
        const char* name;
        int width;
        int height;
        WinRect area;
        int shownWidth;
        int shownHeight;
    } cases[] = {
        { "full HD at a third", 1920, 1080, { 5, 5, 645, 365 }, 640, 360 },
        { "smaller picture at its own size", 320, 100, { 5, 5, 325, 105 }, 320, 100 },
        { "tall picture", 100, 1000, { 5, 5, 41, 365 }, 36, 360 },
        { "wide picture", 2000, 100, { 5, 5, 645, 37 }, 640, 32 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const PictureFit fit = CalcPictureFit(kFrame, c.width, c.height);
        EXPECT_EQ(fit.area, c.area);
        EXPECT_EQ(fit.shownWidth, c.shownWidth);
        EXPECT_EQ(fit.shownHeight, c.shownHeight);
    }
    EXPECT_FALSE(CalcPictureFit(kFrame, 0, 0).HasPicture());
}

TEST(ImageViewGeometry, DraggedCornersKeepTenPixelsFromTheirNeighbours)
{
    struct Case {
        int corner;
        QPoint to;
        QPoint limited;
    } cases[] = {
        { 0, { 200, 5 }, { 90, 5 } },
        { 0, { 50, 75 }, { 50, 70 } },
        { 1, { 0, 200 }, { 20, 70 } },
        { 2, { 0, 0 }, { 20, 20 } },
        { 3, { 200, 0 }, { 90, 20 } },
        { 2, { 300, 300 }, { 300, 300 } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.corner);
        EXPECT_EQ(LimitCorner(kBox, c.corner, c.to), c.limited);
    }
}

TEST(ImageViewGeometry, FittingACornerClampsItAndSquaresTheRectangle)
{
    struct Case {
        int corner;
        QPoint to;
        SelectionCorners result;
    } cases[] = {
        { 0, { 0, 0 }, { QPoint(5, 5), QPoint(100, 5), QPoint(100, 80), QPoint(5, 80) } },
        { 1, { 700, 20 }, { QPoint(10, 20), QPoint(645, 20), QPoint(645, 80), QPoint(10, 80) } },
        { 2, { 50, 400 }, { QPoint(10, 10), QPoint(50, 10), QPoint(50, 365), QPoint(10, 365) } },
        { 3, { 30, 60 }, { QPoint(30, 10), QPoint(100, 10), QPoint(100, 60), QPoint(30, 60) } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.corner);
        SelectionCorners corners = kBox;
        corners[c.corner] = c.to;
        FitCorner(corners, c.corner, kFrame);
        EXPECT_EQ(corners, c.result);
    }
}

TEST(ImageViewGeometry, MovingAgainstAnEdgeKeepsTheSize)
{
    EXPECT_EQ(MoveSelection(kBox, QPoint(-20, -20), kFrame),
        (SelectionCorners { QPoint(5, 5), QPoint(95, 5), QPoint(95, 75), QPoint(5, 75) }));
    EXPECT_EQ(MoveSelection(kBox, QPoint(600, 300), kFrame),
        (SelectionCorners { QPoint(555, 295), QPoint(645, 295), QPoint(645, 365), QPoint(555, 365) }));
    EXPECT_EQ(MoveSelection(kBox, QPoint(3, 4), kFrame),
        (SelectionCorners { QPoint(13, 14), QPoint(103, 14), QPoint(103, 84), QPoint(13, 84) }));
}

TEST(ImageViewGeometry, ConvertsSelectionsBetweenImageAndClientPixels)
{
    const PictureFit fit = CalcPictureFit(kFrame, 1920, 1080);
    const SelectionCorners quarter = SelectionFromImage(fit, kFrame, 960, 540, 960, 540);
    EXPECT_EQ(quarter[0], QPoint(325, 185));
    EXPECT_EQ(quarter[2], QPoint(645, 365));
    EXPECT_EQ(SelectionPosInImage(fit, kFrame, quarter), QPoint(960, 540));
    EXPECT_EQ(SelectionSizeInImage(fit, quarter), QSize(960, 540));

    const SelectionCorners whole { QPoint(5, 5), QPoint(645, 5), QPoint(645, 365), QPoint(5, 365) };
    EXPECT_EQ(SelectionSizeInImage(fit, whole), QSize(1920, 1080));
    // A selection beyond the picture is clamped into its area.
    EXPECT_EQ(SelectionFromImage(fit, kFrame, 1800, 0, 500, 100)[2], QPoint(645, 38));
    const SelectionCorners flat { QPoint(5, 5), QPoint(5, 5), QPoint(5, 5), QPoint(5, 5) };
    EXPECT_EQ(SelectionSizeInImage(fit, flat), QSize(0, 0));
    EXPECT_EQ(SelectionSizeInImage(PictureFit {}, whole), QSize(0, 0));
    EXPECT_EQ(SelectionPosInImage(PictureFit {}, kFrame, whole), QPoint(0, 0));
}

TEST(ImageViewGeometry, FiltersPixelsToGreyOrSepiaKeepingAlpha)
{
    const QRgb pixel = qRgba(100, 200, 50, 77);
    EXPECT_EQ(FilterPixel(1, pixel), qRgba(153, 153, 153, 77));
    EXPECT_EQ(FilterPixel(2, pixel), qRgba(144, 120, 87, 77));
    EXPECT_EQ(FilterPixel(0, pixel), pixel);
    EXPECT_EQ(FilterPixel(3, pixel), pixel);
    EXPECT_EQ(FilterPixel(2, qRgb(255, 255, 255)), qRgb(240, 200, 145));
}
