#include "remote/remote_images.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace {

enum class Face { Normal, Disabled, Over, Pressed, Selected };
enum class Glyph { Start, Pause, Top, Guide, Loop, Screen };

const QColor kAccent(244, 211, 112);

struct Look {
    QColor top;
    QColor bottom;
    QColor border;
    QColor glyph;
};

Look LookOf(Face face)
{
    switch (face) {
    case Face::Disabled:
        return { QColor(88, 88, 88), QColor(74, 74, 74), QColor(64, 64, 64), QColor(136, 136, 136) };
    case Face::Over:
        return { QColor(120, 120, 120), QColor(84, 84, 84), QColor(170, 170, 170), QColor(255, 255, 255) };
    case Face::Pressed:
        return { QColor(48, 48, 48), QColor(72, 72, 72), QColor(51, 51, 51), kAccent };
    case Face::Selected:
        return { QColor(92, 84, 56), QColor(60, 54, 36), kAccent, kAccent };
    case Face::Normal:
        break;
    }
    return { QColor(101, 101, 101), QColor(66, 66, 66), QColor(51, 51, 51), QColor(255, 255, 255) };
}

void PaintGlyph(QPainter& painter, Glyph glyph, const QRectF& box, const QColor& colour)
{
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    const QPointF c = box.center();
    const qreal r = box.height() / 2;
    switch (glyph) {
    case Glyph::Start: {
        const QPointF points[]
            = { { c.x() - r * 0.6, c.y() - r }, { c.x() - r * 0.6, c.y() + r }, { c.x() + r, c.y() } };
        painter.drawPolygon(points, 3);
        break;
    }
    case Glyph::Pause:
        painter.drawRect(QRectF(c.x() - r * 0.8, c.y() - r, r * 0.55, 2 * r));
        painter.drawRect(QRectF(c.x() + r * 0.25, c.y() - r, r * 0.55, 2 * r));
        break;
    case Glyph::Top: {
        painter.drawRect(QRectF(c.x() - r, c.y() - r, r * 0.3, 2 * r));
        const QPointF points[]
            = { { c.x() + r, c.y() - r }, { c.x() + r, c.y() + r }, { c.x() - r * 0.6, c.y() } };
        painter.drawPolygon(points, 3);
        break;
    }
    case Glyph::Guide: {
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(colour, 1.5));
        const QRectF square(c.x() - r, c.y() - r, 2 * r, 2 * r);
        painter.drawRect(square);
        painter.drawLine(QPointF(square.left(), c.y()), QPointF(square.right(), c.y()));
        painter.drawLine(QPointF(c.x(), square.top()), QPointF(c.x(), square.bottom()));
        painter.drawLine(square.topLeft(), square.bottomRight());
        painter.drawLine(square.topRight(), square.bottomLeft());
        break;
    }
    case Glyph::Loop: {
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(colour, 2.5, Qt::SolidLine, Qt::FlatCap));
        const QRectF ring(c.x() - r * 0.85, c.y() - r * 0.85, 1.7 * r, 1.7 * r);
        painter.drawArc(ring, 100 * 16, 290 * 16);
        painter.setPen(Qt::NoPen);
        painter.setBrush(colour);
        const QPointF tip(c.x() - r * 0.1, c.y() - r * 0.85);
        const QPointF points[] = { tip + QPointF(-r * 0.45, -r * 0.4), tip + QPointF(-r * 0.45, r * 0.4),
            tip + QPointF(r * 0.1, 0) };
        painter.drawPolygon(points, 3);
        break;
    }
    case Glyph::Screen: {
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(colour, 2));
        painter.drawRoundedRect(QRectF(c.x() - r * 1.1, c.y() - r * 0.9, 2.2 * r, 1.5 * r), 2, 2);
        painter.drawLine(QPointF(c.x(), c.y() + r * 0.6), QPointF(c.x(), c.y() + r * 0.95));
        painter.drawLine(
            QPointF(c.x() - r * 0.5, c.y() + r * 0.95), QPointF(c.x() + r * 0.5, c.y() + r * 0.95));
        break;
    }
    }
}

QImage PaintButton(const QSize& size, Face face, Glyph glyph)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(QColor(128, 128, 128));
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const Look look = LookOf(face);
    const QRectF body = QRectF(image.rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    QLinearGradient gradient(body.topLeft(), body.bottomLeft());
    gradient.setColorAt(0, look.top);
    gradient.setColorAt(1, look.bottom);
    painter.setPen(QPen(look.border, 1));
    painter.setBrush(gradient);
    painter.drawRoundedRect(body, 5, 5);
    const qreal glyphSize = size.height() * 0.42;
    PaintGlyph(painter, glyph,
        QRectF(QPointF(size.width() / 2.0 - glyphSize / 2, size.height() / 2.0 - glyphSize / 2),
            QSizeF(glyphSize, glyphSize)),
        look.glyph);
    return image;
}

} // namespace

QImage PaintRemoteButtonImage(int key)
{
    const QSize wide(167, 42);
    const QSize small(43, 42);
    constexpr Face kStates[] = { Face::Normal, Face::Disabled, Face::Over, Face::Pressed };
    if (key >= IMGRC_START_NORMAL && key <= IMGRC_PAUSE_PRESS) {
        const int index = key - IMGRC_START_NORMAL;
        return PaintButton(wide, kStates[index % 4], index < 4 ? Glyph::Start : Glyph::Pause);
    }
    if (key >= IMGRC_TOP_NORMAL && key <= IMGRC_TOP_PRESS)
        return PaintButton(small, kStates[key - IMGRC_TOP_NORMAL], Glyph::Top);
    if (key >= IMGRC_GUIDE_NORMAL && key <= IMGRC_SCREEN_SEL) {
        constexpr Glyph kSwitches[] = { Glyph::Guide, Glyph::Loop, Glyph::Screen };
        const int index = key - IMGRC_GUIDE_NORMAL;
        return PaintButton(small, index % 2 == 0 ? Face::Normal : Face::Selected, kSwitches[index / 2]);
    }
    return QImage();
}

QImage PaintRemoteSliderThumb()
{
    QImage image(11, 21, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient gradient(0, 0, 0, 21);
    gradient.setColorAt(0, QColor(240, 240, 240));
    gradient.setColorAt(1, QColor(170, 170, 170));
    painter.setPen(QPen(QColor(51, 51, 51), 1));
    painter.setBrush(gradient);
    painter.drawRoundedRect(QRectF(0.5, 0.5, 10, 20), 3, 3);
    painter.setPen(QPen(kAccent, 1));
    painter.drawLine(QPointF(5.5, 5), QPointF(5.5, 16));
    return image;
}

QImage PaintRemoteIcon()
{
    QImage image(32, 32, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(51, 51, 51), 1));
    painter.setBrush(QColor(70, 70, 70));
    painter.drawRoundedRect(QRectF(4.5, 1.5, 23, 29), 4, 4);
    PaintGlyph(painter, Glyph::Start, QRectF(10, 5, 12, 12), kAccent);
    painter.setBrush(QColor(200, 200, 200));
    painter.setPen(Qt::NoPen);
    for (int i = 0; i < 3; ++i)
        painter.drawEllipse(QRectF(8 + i * 6, 22, 4, 4));
    return image;
}
