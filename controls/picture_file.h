#pragma once

#include <QImage>
#include <QString>

namespace controls {

// Replaces `slot` with the picture of the file when the path names an existing file that
// holds a picture; an empty path, a missing file or one that is not a picture leaves `slot` as
// it was. Returns whether the picture was replaced.
bool LoadPictureInto(QImage& slot, const QString& path);

} // namespace controls
