#include "controls/picture_file.h"

#include "platform/picture_files.h"

namespace controls {

bool LoadPictureInto(QImage& slot, const QString& path)
{
    QImage picture = platform::DecodedPictureFile(path);
    if (picture.isNull())
        return false;
    slot = std::move(picture);
    return true;
}

const QImage& CScaledPicture::At(const QImage& source, QSize size, qreal pixelRatio)
{
    if (source.cacheKey() == m_sourceKey && size == m_size && pixelRatio == m_pixelRatio)
        return m_scaled;
    m_sourceKey = source.cacheKey();
    m_size = size;
    m_pixelRatio = pixelRatio;
    const QSize devicePixels = (QSizeF(size) * pixelRatio).toSize();
    if (source.isNull() || devicePixels.isEmpty()) {
        m_scaled = QImage();
        return m_scaled;
    }
    m_scaled = source.size() == devicePixels
        ? source
        : source.scaled(devicePixels, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    m_scaled.setDevicePixelRatio(pixelRatio);
    return m_scaled;
}

} // namespace controls
