#include "viewer/face_geometry.h"

#include <cmath>

QPolygonF FaceQuad(const tagTL_FACE_DATA& face)
{
    QPolygonF quad;
    for (size_t i = 0; i < 4; ++i)
        quad << QPointF(face.X[i], face.Y[i]);
    return quad;
}

FaceCorners FaceCornersOf(const tagTL_FACE_DATA& face)
{
    FaceCorners corners {};
    for (size_t i = 0; i < 4; ++i) {
        corners[2 * i] = face.X[i];
        corners[2 * i + 1] = face.Y[i];
    }
    return corners;
}

void SetFaceCorners(tagTL_FACE_DATA& face, const FaceCorners& corners)
{
    for (size_t i = 0; i < 4; ++i) {
        face.X[i] = corners[2 * i];
        face.Y[i] = corners[2 * i + 1];
    }
}

bool IsConvexQuad(const QPolygonF& quad)
{
    if (quad.size() != 4)
        return false;
    int sign = 0;
    for (int i = 0; i < 4; ++i) {
        const QPointF a = quad[i];
        const QPointF b = quad[(i + 1) % 4];
        const QPointF c = quad[(i + 2) % 4];
        const double cross = (b.x() - a.x()) * (c.y() - b.y()) - (b.y() - a.y()) * (c.x() - b.x());
        if (std::abs(cross) < 1e-9)
            return false;
        const int turn = cross > 0 ? 1 : -1;
        if (sign != 0 && turn != sign)
            return false;
        sign = turn;
    }
    return true;
}

std::optional<QTransform> QuadToUnitSquare(const QPolygonF& quad)
{
    if (!IsConvexQuad(quad))
        return std::nullopt;
    const QPolygonF square { QPointF(0, 0), QPointF(1, 0), QPointF(1, 1), QPointF(0, 1) };
    QTransform transform;
    if (!QTransform::quadToQuad(quad, square, transform))
        return std::nullopt;
    return transform;
}

int CornerNear(const QPolygonF& quad, QPointF point, double radius)
{
    int nearest = -1;
    double best = radius * radius;
    for (int i = 0; i < quad.size(); ++i) {
        const QPointF d = quad[i] - point;
        const double distance = d.x() * d.x() + d.y() * d.y();
        if (distance <= best) {
            best = distance;
            nearest = i;
        }
    }
    return nearest;
}
