#pragma once

#include "controls/controls_export.h"
#include "controls/win_rect.h"

#include <QPoint>
#include <QRgb>
#include <QSize>
#include <array>

// The geometry of the picture view with its selection, free of widgets. Client pixels are
// the view's own; image pixels are the picture's.
namespace controls {

using SelectionCorners = std::array<QPoint, 4>; // top-left, top-right, bottom-right, bottom-left

// How a picture sits in the frame: never enlarged, at the frame's top-left.
struct PictureFit {
    WinRect area;
    double scaleX = 0;
    double scaleY = 0;
    int shownWidth = 0;
    int shownHeight = 0;
    int pictureWidth = 0;
    int pictureHeight = 0;

    bool HasPicture() const { return pictureWidth > 0 && pictureHeight > 0; }
    // Client pixels per image pixel along each axis; 0 without a picture.
    double FactorX() const { return HasPicture() ? double(shownWidth) / pictureWidth : 0.0; }
    double FactorY() const { return HasPicture() ? double(shownHeight) / pictureHeight : 0.0; }
};

// The 16:9 frame inside a 5-pixel margin of the client area, at its top-left.
KALEIDRA_CONTROLS_EXPORT WinRect CalcImageFrame(int clientWidth, int clientHeight);

KALEIDRA_CONTROLS_EXPORT PictureFit CalcPictureFit(const WinRect& frame, int pictureWidth, int pictureHeight);

// Each handle is its corner +- 5 pixels.
KALEIDRA_CONTROLS_EXPORT WinRect HandleRect(QPoint corner);

// Keeps a dragged corner at least 10 pixels from its two neighbours.
KALEIDRA_CONTROLS_EXPORT QPoint LimitCorner(const SelectionCorners& corners, int corner, QPoint point);

// Clamps one corner into the area and aligns its neighbours so that the corners form a
// rectangle again.
KALEIDRA_CONTROLS_EXPORT void FitCorner(SelectionCorners& corners, int corner, const WinRect& area);

// The saved corners moved by an offset, pushed back into the area without changing the size
// (left edge first, then right, top, bottom).
KALEIDRA_CONTROLS_EXPORT SelectionCorners MoveSelection(
    const SelectionCorners& saved, QPoint offset, const WinRect& area);

// Corner 0 plus a size, every corner clamped into the area, made a rectangle again.
KALEIDRA_CONTROLS_EXPORT SelectionCorners SizedSelection(QPoint topLeft, QSize size, const WinRect& area);

// The selection for a rectangle in image pixels.
KALEIDRA_CONTROLS_EXPORT SelectionCorners SelectionFromImage(
    const PictureFit& fit, const WinRect& frame, int x, int y, int width, int height);

// The selection's top-left in image pixels, truncated.
KALEIDRA_CONTROLS_EXPORT QPoint SelectionPosInImage(
    const PictureFit& fit, const WinRect& frame, const SelectionCorners& corners);

// The selection's size in image pixels, truncated; (0, 0) without a picture; a side that
// reaches the picture area's side gives the picture's full side.
KALEIDRA_CONTROLS_EXPORT QSize SelectionSizeInImage(const PictureFit& fit, const SelectionCorners& corners);

// The colour filter of one pixel: 1 grey, 2 sepia, any other mode copies; alpha is kept.
KALEIDRA_CONTROLS_EXPORT QRgb FilterPixel(int mode, QRgb pixel);

} // namespace controls
