#include "remote/remote_images.h"

#include <QPainter>
#include <array>

namespace {

const QColor kAccent(244, 211, 112);

constexpr std::array<const char*, kRemoteImageCount> kImageNames = {
    "IMGRC_START_NORMAL",
    "IMGRC_START_NOT",
    "IMGRC_START_OVER",
    "IMGRC_START_PRESS",
    "IMGRC_PAUSE_NORMAL",
    "IMGRC_PAUSE_NOT",
    "IMGRC_PAUSE_OVER",
    "IMGRC_PAUSE_PRESS",
    "IMGRC_TOP_NORMAL",
    "IMGRC_TOP_NOT",
    "IMGRC_TOP_OVER",
    "IMGRC_TOP_PRESS",
    "IMGRC_GUIDE_NORMAL",
    "IMGRC_GUIDE_SEL",
    "IMGRC_LOOP_NORMAL",
    "IMGRC_LOOP_SEL",
    "IMGRC_SCREEN_NORMAL",
    "IMGRC_SCREEN_SEL",
};

} // namespace

QString RemoteButtonImageName(int key)
{
    if (key < IMGRC_START_NORMAL || key > kRemoteImageCount)
        return QString();
    return QString::fromLatin1(kImageNames[size_t(key - IMGRC_START_NORMAL)]);
}

QImage LoadRemoteButtonImage(int key)
{
    const QString name = RemoteButtonImageName(key);
    return name.isEmpty() ? QImage() : QImage(QStringLiteral(":/remote/%1.bmp").arg(name));
}

QImage LoadRemoteSliderThumb()
{
    return QImage(QStringLiteral(":/remote/slider.png"));
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
    painter.setPen(Qt::NoPen);
    painter.setBrush(kAccent);
    const QPointF play[] = { { 12, 5 }, { 12, 17 }, { 22, 11 } };
    painter.drawPolygon(play, 3);
    painter.setBrush(QColor(200, 200, 200));
    for (int i = 0; i < 3; ++i)
        painter.drawEllipse(QRectF(8 + i * 6, 22, 4, 4));
    return image;
}
