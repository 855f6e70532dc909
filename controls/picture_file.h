#pragma once

#include "controls/controls_export.h"

#include <QImage>
#include <QSize>
#include <QString>

namespace controls {

// Replaces `slot` with the picture of the file when the path names an existing file that
// holds a picture; an empty path, a missing file or one that is not a picture leaves `slot` as
// it was. Returns whether the picture was replaced.
KALEIDRA_CONTROLS_EXPORT bool LoadPictureInto(QImage& slot, const QString& path);

// One picture kept at the size it is drawn at, so that painting never scales: it is scaled
// again only when the picture, the size or the device pixel ratio changes.
class KALEIDRA_CONTROLS_EXPORT CScaledPicture {
public:
    // The source at `size` logical pixels for a device of `pixelRatio`; empty for an empty
    // source or size.
    const QImage& At(const QImage& source, QSize size, qreal pixelRatio);

private:
    qint64 m_sourceKey = 0;
    QSize m_size;
    qreal m_pixelRatio = 0;
    QImage m_scaled;
};

} // namespace controls
