#include "timeline/thumbnail_writer.h"

#include "platform/atomic_file.h"

#include <QBuffer>
#include <QImageReader>
#include <QImageWriter>

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
    const QImage scaled = image.convertToFormat(QImage::Format_ARGB32)
                              .scaled(width, height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                              .convertToFormat(QImage::Format_RGB32);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setQuality(100);
    if (!writer.write(scaled))
        return 0;
    return platform::WriteFileAtomically(thumbnailPath, bytes) ? 1 : 0;
}
