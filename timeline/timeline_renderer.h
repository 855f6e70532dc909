#pragma once

#include "timeline/timeline_drag.h"
#include "timeline/timeline_geometry.h"

#include <QFont>
#include <QRect>
#include <QString>
#include <array>
#include <cstdint>
#include <span>

class CTimeLineAppearance;
class CTimeLineModel;
class CTimeLinePictures;
class QPainter;
struct tagTL_FACE_DATA;
struct tagTL_FACE_ITEM_DATA;

namespace timeline {

// Ruler ticks of a column: 10 pixels at the labelled columns, 7 at the half steps of the finer
// zooms, else 5.
int RulerTickLength(int zoomMode, int64_t column);
// Columns between two labels: 6 at zoom 0, 12 at zoom 1, else 10.
int RulerLabelStep(int zoomMode);
// The label of a column, "mm:ss"; empty where the column has none (column 0 among them).
QString RulerLabel(int zoomMode, int64_t column);

// Where an item's bar lies on a row's track: the bar picture is `width` wide; of it the part
// from `sourceOffset` on is placed from left + 1 up to right (exclusive). An item that begins
// left of the view starts at the track's left, one that ends right of it is cut at its right.
struct TlBarExtent {
    bool visible = false;
    int left = 0;
    int right = 0;
    int64_t width = 0;
    int64_t sourceOffset = 0;
};
TlBarExtent BarExtent(
    const CTimeLineViewport& viewport, const TlRect& track, int64_t start, int64_t playTime);

// The face's items whose bars can show in the exposed part of a row's track, found by a binary
// search on their starts.
std::span<const tagTL_FACE_ITEM_DATA> ItemsShownIn(const tagTL_FACE_DATA& face,
    const CTimeLineViewport& viewport,
    const TlRect& track,
    const QRect& exposed);

// A number that changes whenever what the rest picture shows of the model changes: the rows in
// view, their faces and the items in view with every field their bars draw, the project's end and
// the camera names. Its cost follows the screen, like the painting's.
size_t RestPictureSignature(const CTimeLineModel& model, const CTimeLineViewport& viewport);

} // namespace timeline

// Paints the timeline from the model: the ruler, one row per face with its header and its item
// bars, the project's end, IN and OUT with the dimmed area outside them, the playhead and the
// feedback of a running drag. It needs no window: the control paints through it, and so do the
// tests and the benchmark into images. Only what lies in the exposed rectangle is drawn: rows,
// columns and items outside it are never visited, so the cost follows the screen, not the project.
//
// The picture has two layers: the rest picture (background, ruler, rows, items, project end),
// which the control keeps in an off-screen image, and the overlay (markers, playhead, drag
// feedback), painted over it every time; a playhead tick repaints only the overlay's strips.
class CTimeLineRenderer {
public:
    explicit CTimeLineRenderer(CTimeLinePictures& pictures);

    // A disabled control shows only its background and the ruler band.
    void SetEnabled(bool enabled) { m_enabled = enabled; }
    bool IsEnabled() const { return m_enabled; }

    // Both layers.
    void Paint(QPainter& painter,
        const QRect& exposed,
        const CTimeLineModel& model,
        const CTimeLineViewport& viewport,
        const CTimeLineAppearance& appearance,
        const TlDragFeedback& drag = {}) const;
    void PaintRest(QPainter& painter,
        const QRect& exposed,
        const CTimeLineModel& model,
        const CTimeLineViewport& viewport,
        const CTimeLineAppearance& appearance,
        const TlDragFeedback& drag = {}) const;
    void PaintOverlay(QPainter& painter,
        const QRect& exposed,
        const CTimeLineModel& model,
        const CTimeLineViewport& viewport,
        const CTimeLineAppearance& appearance,
        const TlDragFeedback& drag = {}) const;

    // The strip the playhead covers at a time: its line, side lines and triangle.
    static QRect PlayheadStrip(const CTimeLineViewport& viewport, int64_t time);

private:
    struct Context;
    struct ItemLook;
    Context MakeContext(QPainter& painter,
        const QRect& exposed,
        const CTimeLineModel& model,
        const CTimeLineViewport& viewport,
        const CTimeLineAppearance& appearance,
        const TlDragFeedback& drag) const;
    void UpdateFonts(const CTimeLineAppearance& appearance) const;

    void DrawHeaderBand(const Context& c) const;
    void DrawRuler(const Context& c) const;
    void DrawFaces(const Context& c) const;
    void DrawFacesDrag(const Context& c) const;
    void DrawFaceRow(const Context& c,
        const tagTL_FACE_DATA& face,
        int faceIndex,
        const tagTL_FACE_RECT& rects,
        bool current) const;
    void DrawTrackGrid(const Context& c, const TlRect& track) const;
    void DrawFaceItems(const Context& c, const tagTL_FACE_DATA& face, const TlRect& track) const;
    void DrawItemBar(const Context& c,
        QPainter& painter,
        const tagTL_FACE_ITEM_DATA& item,
        const ItemLook& look,
        int64_t width,
        int64_t visibleFrom,
        int64_t visibleTo) const;
    void DrawEffectBand(const Context& c,
        QPainter& painter,
        int bandSlot,
        bool emphasis,
        int32_t pattern,
        const TlRect& band,
        int64_t visibleFrom,
        int64_t visibleTo) const;
    void DrawTotalTimeLine(const Context& c) const;
    void DrawInOutMarkers(const Context& c) const;
    void DrawPlayhead(const Context& c) const;
    void DrawDraggedItems(const Context& c) const;
    void DrawGhost(const Context& c, const tagTL_FACE_ITEM_DATA& item, int x, int y, double opacity) const;
    void DrawEffectDrag(const Context& c) const;
    void DrawTrimFrame(const Context& c) const;
    void DrawRubberBand(const Context& c) const;

    CTimeLinePictures& m_pictures;
    bool m_enabled = true;
    // The three fonts (header, face number, item), made again when the skin changes them.
    mutable std::array<QFont, 3> m_fonts;
    mutable std::array<std::pair<QString, int32_t>, 3> m_fontKeys;
};
