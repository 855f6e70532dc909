#pragma once

#include "project/face_data.h"

#include <QImage>
#include <QRectF>
#include <QSize>

// The part of an item's picture that its face shows, and what cuts it:
// - the shown area is the item's display rectangle (MaskX, MaskY, W, H in the picture's pixels),
//   or, with three mask points or more (PNUM), the box around the points; the whole picture
//   when the area is empty or lies outside it;
// - mask points cut along their polygon; the circle shape keeps the ellipse inside the shown
//   area; the image shape with its mask picture switched on keeps what the mask picture's alpha
//   keeps, the mask picture stretched over the shown area.
struct ItemShape {
    QRectF shownArea; // picture pixels
    // One channel of coverage over the shown area (255 kept, 0 cut); null when nothing cuts.
    QImage mask;
};

// The mask's longest side in pixels; it is drawn once per edit and stretched over the face.
inline constexpr int kMaxMaskSide = 1024;

ItemShape MakeItemShape(const tagTL_FACE_ITEM_DATA& item, QSize pictureSize, const QImage& maskPicture);

// Whether the item's shape needs its mask picture read.
bool UsesMaskPicture(const tagTL_FACE_ITEM_DATA& item);
