#pragma once

#include "project/face_data.h"
#include "viewer/viewer_channel.h"

#include <QPointF>
#include <optional>
#include <vector>

// What the mouse does on the output while GUIDE is on: a press on a corner handle of an
// unlocked face drags that corner, and the release reports the face's new corners; a press
// inside a face reports that face as clicked. Points are canvas pixels. The faces are looked up
// afresh on every call, by face number, since the editor may reload them in between.
class CGuideController {
public:
    // The press; a reply at once for a click on a face.
    std::optional<ViewerReply> Press(std::vector<tagTL_FACE_DATA>& faces, QPointF point, double handleRadius);
    // Moves the dragged corner; true when the face's corners changed. A move that would fold the
    // face (no longer a convex quadrilateral) leaves the corner where it was.
    bool Move(std::vector<tagTL_FACE_DATA>& faces, QPointF point);
    // Ends a drag: the corners reply when they differ from where the drag began.
    std::optional<ViewerReply> Release(std::vector<tagTL_FACE_DATA>& faces, QPointF point);
    // Drops a drag, putting the corners back (the face went away, GUIDE was switched off).
    void Cancel(std::vector<tagTL_FACE_DATA>& faces);

    bool IsDragging() const { return m_faceNo != 0; }
    int32_t DraggedFace() const { return m_faceNo; }
    // The corners of the face being dragged, to keep over a reload of the face.
    const FaceCorners& DraggedCorners() const { return m_current; }

private:
    tagTL_FACE_DATA* Find(std::vector<tagTL_FACE_DATA>& faces) const;

    int32_t m_faceNo = 0;
    int m_corner = -1;
    QPointF m_grabOffset;
    FaceCorners m_before {};
    FaceCorners m_current {};
};

// The key code a key reply carries for a key pressed in the output window; nothing for keys the
// editor does not take. Letters count only with Ctrl held.
std::optional<int32_t> ViewerKeyCode(int qtKey, bool ctrl);
