#pragma once

#include <QPointF>
#include <QRect>
#include <QRectF>
#include <QSize>

// Resolution modes (offset 28 of the block, "ResoMode" of the settings).
enum class ResolutionMode : int {
    Free = 0,
    Wide16x9 = 1,
    Standard4x3 = 2,
    Portrait9x16 = 3,
    Portrait3x4 = 4,
};
// Values outside 0..4 count as FREE.
ResolutionMode ResolutionModeOf(int value);

// The output picture ("canvas") of a display of the given pixel size: the whole display in FREE,
// otherwise the largest centred area of the mode's aspect ratio. Face corners are canvas pixels,
// so a show keeps its place whatever window previews it.
QSize CanvasSize(QSize display, ResolutionMode mode);

// Where the canvas is drawn in a window (or frame buffer) of the given size: scaled to fit and
// centred, with black bars on the sides that remain.
QRectF CanvasViewport(QSize canvas, QSize window);

// Canvas pixels of a window point, and back.
QPointF WindowToCanvas(QPointF point, QSize canvas, QSize window);
QPointF CanvasToWindow(QPointF point, QSize canvas, QSize window);
