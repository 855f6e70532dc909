#include "controls/picture_file.h"

#include <QFileInfo>

namespace controls {

bool LoadPictureInto(QImage& slot, const QString& path)
{
    if (path.isEmpty() || !QFileInfo::exists(path))
        return false;
    QImage picture(path);
    if (picture.isNull())
        return false;
    slot = std::move(picture);
    return true;
}

} // namespace controls
