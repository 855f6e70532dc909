#pragma once

#include "tests/fixtures/temp_folder.h"

#include <QColor>
#include <QCoreApplication>
#include <QImage>
#include <QMouseEvent>
#include <QWidget>
#include <cstdlib>
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

// Whether each channel lies within the tolerance of the expected colour (gradients and blends
// round differently from one painter to the next).
inline bool Near(const QColor& actual, int red, int green, int blue, int tolerance = 3)
{
    return std::abs(actual.red() - red) <= tolerance && std::abs(actual.green() - green) <= tolerance
        && std::abs(actual.blue() - blue) <= tolerance;
}

// Sends a mouse event with an explicit set of held buttons.
inline void SendMouse(
    QWidget& widget, QEvent::Type type, QPoint point, Qt::MouseButton button, Qt::MouseButtons held)
{
    QMouseEvent event(type, QPointF(point), widget.mapToGlobal(QPointF(point)), button, held, Qt::NoModifier);
    QCoreApplication::sendEvent(&widget, &event);
}
