#pragma once

#include <QImage>
#include <QString>

// Writes item thumbnails: a picture scaled to the writer's size (48 x 27 for every user) without
// keeping its aspect, drawn on an opaque background and saved as a JPEG of quality 100. The file
// is replaced as a whole.
class ThumbnailWriter {
public:
    int width = 48;
    int height = 27;

    // 1 when written; 0 without a source (an empty path, a file that is no picture) or when the
    // file cannot be written.
    int WriteFile(const QString& imagePath, const QString& thumbnailPath) const;
    int WriteBitmap(const QImage& image, const QString& thumbnailPath) const;
};
