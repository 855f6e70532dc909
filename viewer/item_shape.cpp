#include "viewer/item_shape.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <algorithm>
#include <cmath>

namespace {

constexpr int32_t kMaskSquare = 0;
constexpr int32_t kMaskCircle = 1;
constexpr int32_t kMaskImage = 2;

QPolygonF MaskPoints(const tagTL_FACE_ITEM_DATA& item)
{
    QPolygonF points;
    const int32_t count = ClampedMaskPoints(item.PNUM);
    for (int32_t i = 0; i < count; ++i)
        points << QPointF(item.X[size_t(i)], item.Y[size_t(i)]);
    return points.size() >= 3 ? points : QPolygonF();
}

QSize MaskSizeFor(QSizeF area)
{
    const double longest = std::max(area.width(), area.height());
    const double scale = longest > kMaxMaskSide ? kMaxMaskSide / longest : 1.0;
    return { std::max(1, int(std::ceil(area.width() * scale))),
        std::max(1, int(std::ceil(area.height() * scale))) };
}

} // namespace

bool UsesMaskPicture(const tagTL_FACE_ITEM_DATA& item)
{
    return item.MaskMode == kMaskImage && item.MaskImageEnable == 1 && !item.MaskImage.isEmpty();
}

ItemShape MakeItemShape(const tagTL_FACE_ITEM_DATA& item, QSize pictureSize, const QImage& maskPicture)
{
    ItemShape shape;
    const QRectF whole(QPointF(0, 0), QSizeF(pictureSize));
    const QPolygonF points = MaskPoints(item);
    QRectF area = points.isEmpty() ? QRectF(item.MaskX, item.MaskY, item.W, item.H) : points.boundingRect();
    area = area.intersected(whole);
    if (area.width() < 1 || area.height() < 1)
        area = whole;
    shape.shownArea = area;

    const bool circle = item.MaskMode == kMaskCircle;
    const bool picture = UsesMaskPicture(item) && !maskPicture.isNull();
    if (points.isEmpty() && !circle && !picture)
        return shape;
    if (area.isEmpty())
        return shape;

    const QSize size = MaskSizeFor(area.size());
    const double sx = size.width() / area.width();
    const double sy = size.height() / area.height();
    QImage coverage(size, QImage::Format_ARGB32_Premultiplied);
    coverage.fill(Qt::transparent);
    {
        QPainter painter(&coverage);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(Qt::white);
        if (circle)
            painter.drawEllipse(QRectF(QPointF(0, 0), QSizeF(size)));
        else
            painter.fillRect(QRectF(QPointF(0, 0), QSizeF(size)), Qt::white);
        if (picture) {
            painter.setCompositionMode(QPainter::CompositionMode_DestinationIn);
            painter.drawImage(QRectF(QPointF(0, 0), QSizeF(size)), maskPicture);
        }
        if (!points.isEmpty()) {
            QPolygonF scaled;
            for (const QPointF& p : points)
                scaled << QPointF((p.x() - area.x()) * sx, (p.y() - area.y()) * sy);
            QPainterPath outside;
            outside.addRect(QRectF(QPointF(0, 0), QSizeF(size)));
            QPainterPath inside;
            inside.addPolygon(scaled);
            inside.closeSubpath();
            painter.setCompositionMode(QPainter::CompositionMode_Clear);
            painter.drawPath(outside.subtracted(inside));
        }
    }
    // The alpha of the coverage is the mask.
    shape.mask = coverage.convertToFormat(QImage::Format_Alpha8);
    return shape;
}
