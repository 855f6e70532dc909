#include "timeline/thumbnail_writer.h"

#include "platform/atomic_file.h"

#include <QBuffer>
#include <QImageReader>
#include <QImageWriter>
#include <QPainter>

int ThumbnailWriter::WriteFile(const QString& imagePath, const QString& thumbnailPath) const
{
    if (imagePath.isEmpty())
        return 0;
    QImageReader reader(imagePath);
    reader.setAutoTransform(true);
    return WriteBitmap(reader.read(), thumbnailPath);
}

int ThumbnailWriter::WriteBitmap(const QImage& image, const QString& thumbnailPath) const
{
    if (image.isNull() || thumbnailPath.isEmpty())
        return 0;
    if (width < 1 || height < 1)
        return 0;
    // JPEG has no transparency: a picture with transparent parts is drawn on black, the colour
    // the empty parts of a thumbnail always had, not on whatever colour values they carry.
    QImage scaled(width, height, QImage::Format_RGB32);
    scaled.fill(Qt::black);
    {
        QPainter painter(&scaled);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(QRect(0, 0, width, height), image);
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setQuality(100);
    if (!writer.write(scaled))
        return 0;
    return platform::WriteFileAtomically(thumbnailPath, bytes) ? 1 : 0;
}
