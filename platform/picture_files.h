#pragma once

#include <QImage>
#include <QString>

namespace platform {

// The picture held by a regular file, decoded once and shared: a later call for the same path
// hands out the picture decoded before (a shared copy; changing it detaches the caller's copy)
// as long as the file's size and modification time are the same. Null for an empty path, a
// missing or irregular file, or one that holds no picture. Meant for the program's own pictures
// (skin), which stay few and small for the whole run.
QImage DecodedPictureFile(const QString& path);

// How many times files were decoded by DecodedPictureFile since the program started.
int PictureFileDecodeCount();

} // namespace platform
