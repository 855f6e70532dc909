#pragma once

#include "viewer/effects_and_filters.h"
#include "viewer/video_frame.h"

#include <QColor>
#include <QImage>
#include <QPolygonF>
#include <QRectF>
#include <cstdint>
#include <memory>
#include <vector>

// One face as the renderer draws it: its quadrilateral on the canvas and the picture to put on
// it, already chosen for the time being shown.
struct FaceLayer {
    int32_t faceNo = 0;
    QPolygonF quad; // canvas pixels: top-left, top-right, bottom-right, bottom-left
    VideoFramePtr frame; // nothing drawn without one
    QRectF shownArea { 0, 0, 1, 1 }; // the part of the frame shown, in the frame's 0..1 coordinates
    // Coverage over the face (one channel; null when nothing cuts) and a key that changes
    // whenever the mask does, so it is uploaded once.
    std::shared_ptr<const QImage> mask;
    uint64_t maskKey = 0;
    // The item's effects at the time, its display area's width over height, and its filter.
    std::optional<ActiveEffect> entry;
    std::optional<ActiveEffect> exit;
    double aspect = 1.0;
    ItemFilter filter;
};

// The GUIDE overlay of one face.
struct GuideFace {
    int32_t faceNo = 0;
    QPolygonF quad;
    QColor color;
    bool selected = false;
    bool locked = false;
    bool shown = true; // the face's display switch
};
