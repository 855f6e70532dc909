#pragma once

#include "project/face_data.h"
#include "viewer/viewer_channel.h"

#include <QPointF>
#include <QPolygonF>
#include <QTransform>
#include <optional>

// The four corners of a face as a polygon: top-left, top-right, bottom-right, bottom-left.
QPolygonF FaceQuad(const tagTL_FACE_DATA& face);
FaceCorners FaceCornersOf(const tagTL_FACE_DATA& face);
void SetFaceCorners(tagTL_FACE_DATA& face, const FaceCorners& corners);

// True for a quadrilateral whose corners turn the same way at every corner with a real area:
// only such a shape is the picture of a rectangle seen in perspective.
bool IsConvexQuad(const QPolygonF& quad);

// The projective map that takes the quadrilateral to the unit square (top-left to (0, 0),
// bottom-right to (1, 1)); nothing for a quadrilateral that is not convex.
std::optional<QTransform> QuadToUnitSquare(const QPolygonF& quad);

// The corner of the quadrilateral within `radius` of the point (the nearest), or -1.
int CornerNear(const QPolygonF& quad, QPointF point, double radius);
