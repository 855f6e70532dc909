#include "viewer/guide_controller.h"

#include "viewer/face_geometry.h"

#include <Qt>
#include <algorithm>
#include <cmath>
#include <limits>

namespace {

int32_t ToCornerValue(double value)
{
    // Corners travel as 32-bit text; keep them well inside that range.
    constexpr double kLimit = 1 << 24;
    return int32_t(std::lround(std::clamp(value, -kLimit, kLimit)));
}

} // namespace

tagTL_FACE_DATA* CGuideController::Find(std::vector<tagTL_FACE_DATA>& faces) const
{
    const auto found = std::find_if(
        faces.begin(), faces.end(), [this](const tagTL_FACE_DATA& face) { return face.No == m_faceNo; });
    return found == faces.end() ? nullptr : &*found;
}

std::optional<ViewerReply> CGuideController::Press(
    std::vector<tagTL_FACE_DATA>& faces, QPointF point, double handleRadius)
{
    m_faceNo = 0;
    // The face drawn last lies on top: it is asked first.
    for (auto face = faces.rbegin(); face != faces.rend(); ++face) {
        const QPolygonF quad = FaceQuad(*face);
        const int corner = CornerNear(quad, point, handleRadius);
        if (corner >= 0 && face->Lock != 1) {
            m_faceNo = face->No;
            m_corner = corner;
            m_grabOffset = quad[corner] - point;
            m_before = m_current = FaceCornersOf(*face);
            return std::nullopt;
        }
        if (corner >= 0 || quad.containsPoint(point, Qt::OddEvenFill))
            return ViewerReply::FaceClicked(face->No);
    }
    return std::nullopt;
}

bool CGuideController::Move(std::vector<tagTL_FACE_DATA>& faces, QPointF point)
{
    tagTL_FACE_DATA* face = IsDragging() ? Find(faces) : nullptr;
    if (!face)
        return false;
    const QPointF target = point + m_grabOffset;
    FaceCorners moved = FaceCornersOf(*face);
    moved[2 * size_t(m_corner)] = ToCornerValue(target.x());
    moved[2 * size_t(m_corner) + 1] = ToCornerValue(target.y());
    if (moved == FaceCornersOf(*face))
        return false;
    tagTL_FACE_DATA candidate = *face;
    SetFaceCorners(candidate, moved);
    if (!IsConvexQuad(FaceQuad(candidate)))
        return false;
    SetFaceCorners(*face, moved);
    m_current = moved;
    return true;
}

std::optional<ViewerReply> CGuideController::Release(std::vector<tagTL_FACE_DATA>& faces, QPointF point)
{
    if (!IsDragging())
        return std::nullopt;
    Move(faces, point);
    const tagTL_FACE_DATA* face = Find(faces);
    const int32_t faceNo = m_faceNo;
    m_faceNo = 0;
    if (!face || FaceCornersOf(*face) == m_before)
        return std::nullopt;
    return ViewerReply::Corners(faceNo, FaceCornersOf(*face));
}

void CGuideController::Cancel(std::vector<tagTL_FACE_DATA>& faces)
{
    if (tagTL_FACE_DATA* face = IsDragging() ? Find(faces) : nullptr)
        SetFaceCorners(*face, m_before);
    m_faceNo = 0;
}

std::optional<int32_t> ViewerKeyCode(int qtKey, bool ctrl)
{
    if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z)
        return ctrl ? std::optional<int32_t>(PmLetterKey(char('A' + (qtKey - Qt::Key_A)))) : std::nullopt;
    switch (qtKey) {
    case Qt::Key_Left:
        return kPmKeyLeft;
    case Qt::Key_Right:
        return kPmKeyRight;
    case Qt::Key_Space:
        return kPmKeyStartPause;
    case Qt::Key_Delete:
        return kPmKeyDelete;
    case Qt::Key_Backspace:
        return kPmKeyBackspace;
    case Qt::Key_Escape:
        return kPmKeyScreenOff;
    default:
        return std::nullopt;
    }
}
