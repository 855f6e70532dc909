#include "controls/image_view_geometry.h"

#include <algorithm>
#include <cmath>

namespace controls {
namespace {

constexpr int kMargin = 5;
constexpr int kHandleHalf = 5;
constexpr int kCornerGap = 10;

QPoint ClampInto(QPoint point, const WinRect& area)
{
    return QPoint(std::clamp(point.x(), area.left, std::max(area.left, area.right)),
        std::clamp(point.y(), area.top, std::max(area.top, area.bottom)));
}

SelectionCorners RectangleCorners(QPoint topLeft, QPoint bottomRight)
{
    return { topLeft, QPoint(bottomRight.x(), topLeft.y()), bottomRight,
        QPoint(topLeft.x(), bottomRight.y()) };
}

} // namespace

WinRect CalcImageFrame(int clientWidth, int clientHeight)
{
    const WinRect inner { kMargin, kMargin, clientWidth - kMargin, clientHeight - kMargin };
    WinRect frame { inner.left, inner.top, inner.right, 0 };
    frame.bottom = frame.top + int(inner.Width() * 0.0625 * 9);
    if (frame.bottom > inner.bottom) {
        frame.bottom = inner.bottom;
        frame.right = frame.left + int(inner.Height() / 9.0 * 16);
    }
    return frame;
}

PictureFit CalcPictureFit(const WinRect& frame, int pictureWidth, int pictureHeight)
{
    PictureFit fit;
    if (pictureWidth <= 0 || pictureHeight <= 0)
        return fit;
    fit.pictureWidth = pictureWidth;
    fit.pictureHeight = pictureHeight;
    fit.scaleX = std::min(1.0, double(frame.Width()) / pictureWidth);
    fit.scaleY = std::min(1.0, double(frame.Height()) / pictureHeight);
    const double scale = std::min(fit.scaleX, fit.scaleY);
    fit.shownHeight = int(pictureHeight * scale);
    fit.shownWidth = int(scale * pictureWidth);
    if (fit.shownHeight > frame.Height())
        fit.area = { frame.left, frame.top, frame.left + fit.shownWidth, frame.bottom };
    else
        fit.area = { frame.left, frame.top, std::min(frame.left + fit.shownWidth, frame.right),
            frame.top + fit.shownHeight };
    return fit;
}

WinRect HandleRect(QPoint corner)
{
    return { corner.x() - kHandleHalf, corner.y() - kHandleHalf, corner.x() + kHandleHalf,
        corner.y() + kHandleHalf };
}

QPoint LimitCorner(const SelectionCorners& c, int corner, QPoint point)
{
    int x = point.x();
    int y = point.y();
    switch (corner) {
    case 0: // left of corner 1, above corner 3
        x = std::min(x, c[1].x() - kCornerGap);
        y = std::min(y, c[3].y() - kCornerGap);
        break;
    case 1: // right of corner 0, above corner 2
        x = std::max(x, c[0].x() + kCornerGap);
        y = std::min(y, c[2].y() - kCornerGap);
        break;
    case 2: // right of corner 3, below corner 1
        x = std::max(x, c[3].x() + kCornerGap);
        y = std::max(y, c[1].y() + kCornerGap);
        break;
    case 3: // left of corner 2, below corner 0
        x = std::min(x, c[2].x() - kCornerGap);
        y = std::max(y, c[0].y() + kCornerGap);
        break;
    default:
        break;
    }
    return QPoint(x, y);
}

void FitCorner(SelectionCorners& c, int corner, const WinRect& area)
{
    if (corner < 0 || corner > 3)
        return;
    c[corner] = ClampInto(c[corner], area);
    const QPoint p = c[corner];
    switch (corner) {
    case 0:
        c[3].setX(p.x());
        c[1].setY(p.y());
        break;
    case 1:
        c[2].setX(p.x());
        c[0].setY(p.y());
        break;
    case 2:
        c[1].setX(p.x());
        c[3].setY(p.y());
        break;
    case 3:
        c[0].setX(p.x());
        c[2].setY(p.y());
        break;
    }
}

SelectionCorners MoveSelection(const SelectionCorners& saved, QPoint offset, const WinRect& area)
{
    QPoint topLeft = saved[0] + offset;
    QPoint bottomRight = saved[2] + offset;
    auto shift = [&](int dx, int dy) {
        topLeft += QPoint(dx, dy);
        bottomRight += QPoint(dx, dy);
    };
    if (topLeft.x() < area.left)
        shift(area.left - topLeft.x(), 0);
    if (bottomRight.x() > area.right)
        shift(area.right - bottomRight.x(), 0);
    if (topLeft.y() < area.top)
        shift(0, area.top - topLeft.y());
    if (bottomRight.y() > area.bottom)
        shift(0, area.bottom - bottomRight.y());
    return RectangleCorners(topLeft, bottomRight);
}

SelectionCorners SizedSelection(QPoint topLeft, QSize size, const WinRect& area)
{
    return RectangleCorners(
        ClampInto(topLeft, area), ClampInto(topLeft + QPoint(size.width(), size.height()), area));
}

SelectionCorners SelectionFromImage(
    const PictureFit& fit, const WinRect& frame, int x, int y, int width, int height)
{
    const double fx = fit.FactorX();
    const double fy = fit.FactorY();
    const int left = int(fx * x);
    const int top = int(fy * y);
    const int right = int(fx * (double(x) + width));
    const int bottom = int(fy * (double(y) + height));
    return SizedSelection(
        QPoint(left + frame.left, top + frame.top), QSize(right - left, bottom - top), fit.area);
}

QPoint SelectionPosInImage(const PictureFit& fit, const WinRect& frame, const SelectionCorners& corners)
{
    const double fx = fit.FactorX();
    const double fy = fit.FactorY();
    if (fx <= 0 || fy <= 0)
        return QPoint(0, 0);
    return QPoint(int((corners[0].x() - frame.left) / fx), int((corners[0].y() - frame.top) / fy));
}

QSize SelectionSizeInImage(const PictureFit& fit, const SelectionCorners& corners)
{
    const double fx = fit.FactorX();
    const double fy = fit.FactorY();
    if (fx <= 0 || fy <= 0)
        return QSize(0, 0);
    const int width = corners[2].x() - corners[0].x();
    const int height = corners[2].y() - corners[0].y();
    auto side = [](int client, int areaSide, int pictureSide, double factor) {
        if (client < 1)
            return 0;
        if (client >= areaSide)
            return pictureSide;
        return int(client / factor);
    };
    return QSize(side(width, fit.area.Width(), fit.pictureWidth, fx),
        side(height, fit.area.Height(), fit.pictureHeight, fy));
}

QRgb FilterPixel(int mode, QRgb pixel)
{
    const int alpha = qAlpha(pixel);
    const int grey = (qRed(pixel) * 30 + qGreen(pixel) * 59 + qBlue(pixel) * 11) / 100;
    switch (mode) {
    case 1:
        return qRgba(grey, grey, grey, alpha);
    case 2: {
        const int v = grey * 1000 / 255;
        return qRgba(v * 240 / 1000, v * 200 / 1000, v * 145 / 1000, alpha);
    }
    default:
        return pixel;
    }
}

} // namespace controls
