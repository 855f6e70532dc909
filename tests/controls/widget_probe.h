#pragma once

#include "tests/fixtures/temp_folder.h"

#include <QColor>
#include <QImage>
#include <QWidget>
#include <ostream>
#include <string>

// Lets failures print texts readably.
inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

// Helpers of the control tests: pictures written into a temporary folder, and pixel probes of
// what a widget paints.
inline QString WriteSolidPicture(
    const CTempFolder& folder, const QString& name, const QColor& colour, QSize size = QSize(8, 8))
{
    QImage image(size, QImage::Format_ARGB32);
    image.fill(colour);
    const QString path = folder.FilePath(name);
    image.save(path, "PNG");
    return path;
}

inline QImage SolidImage(const QColor& colour, QSize size = QSize(8, 8))
{
    QImage image(size, QImage::Format_ARGB32);
    image.fill(colour);
    return image;
}

inline QColor PixelAt(QWidget& widget, QPoint point)
{
    return widget.grab().toImage().pixelColor(point);
}

// Compares colours without alpha, so that failures print the three channels.
inline std::string RgbText(const QColor& colour)
{
    return std::to_string(colour.red()) + "," + std::to_string(colour.green()) + ","
        + std::to_string(colour.blue());
}
