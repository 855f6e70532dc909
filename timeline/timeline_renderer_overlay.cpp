#include "timeline/timeline_messages.h"
#include "timeline/timeline_renderer.h"
#include "timeline/timeline_renderer_context.h"

#include <QPolygon>
#include <algorithm>
#include <cmath>

using namespace timeline;
using namespace timeline::paint;

namespace {

constexpr double kGhostOpacity = 192.0 / 255.0;
// A ghost that the release would not drop anywhere is drawn fainter, where the pointer has it.
constexpr double kRefusedGhostOpacity = 96.0 / 255.0;

int ClampedX(int64_t x)
{
    return int(std::clamp<int64_t>(x, INT32_MIN / 4, INT32_MAX / 4));
}

void DrawMarkerLines(QPainter& painter, int x, int top, int bottom, const QColor& line, const QColor& shadow)
{
    VLine(painter, x - 1, top, bottom, shadow);
    VLine(painter, x + 1, top, bottom, shadow);
    VLine(painter, x, top, bottom, line);
}

void DrawTriangle(QPainter& painter, const QPolygon& triangle, const QColor& edge, const QColor& fill)
{
    painter.setPen(edge);
    painter.setBrush(fill);
    painter.drawPolygon(triangle);
}

// The height of an item's bar: its kind image's.
int BarHeight(const CTimeLineAppearance& appearance, const tagTL_FACE_ITEM_DATA& item)
{
    const int slot = KindSlot(item);
    const QImage& image = appearance.Image(slot < 0 ? kSlotNone : slot);
    return image.isNull() ? kDefaultBarHeight : image.height();
}

} // namespace

QRect CTimeLineRenderer::PlayheadStrip(const CTimeLineViewport& viewport, int64_t time)
{
    const int x = ClampedX(viewport.TimeToX(time));
    return QRect(x - 14, viewport.client.top, 29, viewport.client.Height());
}

void CTimeLineRenderer::DrawInOutMarkers(const Context& c) const
{
    QPainter& painter = c.painter;
    const int top = c.firstTrack.top;
    const int right = c.firstTrack.right;
    const int trackLeft = c.client.left + kHeaderWidth;
    const int dimHeight = (c.viewport.visibleRows + 1) * kRowHeight;
    QColor dim = c.Colour(COLOR_PLAYRANGE_MASK);
    dim.setAlpha(128);
    const QColor line = c.Colour(COLOR_INOUT_LINE);
    const QColor shadow = c.Colour(COLOR_INOUT_LINE_SD);
    const QColor arrow = c.Colour(COLOR_INOUT_ARROW);
    const int state = c.drag.mouseState;
    const auto dimSpan = [&](int from, int to) {
        if (to > from)
            painter.fillRect(QRect(from, top + 1, to - from, dimHeight), dim);
    };
    painter.save();

    const bool inDragged = state == TL_MOUSE_IN_DRAG;
    const int inX = ClampedX(c.viewport.TimeToX(inDragged ? c.drag.markerTime : c.model.InPosition()));
    if (inX > right) {
        dimSpan(trackLeft + 1, right);
    } else if (inX >= trackLeft) {
        DrawMarkerLines(painter, inX, top, c.client.bottom, line, shadow);
        DrawTriangle(painter,
            QPolygon({ QPoint(inX, top), QPoint(inX, top - 12), QPoint(inX + 18, top - 12) }), line, arrow);
        dimSpan(trackLeft + 1, inX);
    }

    const bool outDragged = state == TL_MOUSE_OUT_DRAG;
    const int outX = ClampedX(c.viewport.TimeToX(outDragged ? c.drag.markerTime : c.model.OutPosition()));
    if (outX < trackLeft) {
        dimSpan(trackLeft + 1, right);
    } else if (outX <= right) {
        DrawMarkerLines(painter, outX, top, c.client.bottom, line, shadow);
        DrawTriangle(painter,
            QPolygon({ QPoint(outX, top), QPoint(outX - 18, top - 12), QPoint(outX, top - 12) }), line,
            arrow);
        dimSpan(outX + 1, right);
    }
    painter.restore();
}

void CTimeLineRenderer::DrawPlayhead(const Context& c) const
{
    const bool dragged = c.drag.mouseState == TL_MOUSE_PLAYPOS_DRAG;
    const int x = ClampedX(c.viewport.TimeToX(dragged ? c.drag.markerTime : c.model.PlayPosition()));
    if (x < c.client.left + kHeaderWidth)
        return;
    QPainter& painter = c.painter;
    const int top = c.firstTrack.top;
    const QColor line = c.Colour(COLOR_NOWTIME_LINE);
    const QColor shadow = c.Colour(COLOR_NOWTIME_LINE_SD);
    DrawMarkerLines(painter, x, top, c.client.bottom, line, shadow);
    painter.save();
    DrawTriangle(painter, QPolygon({ QPoint(x, top), QPoint(x - 12, top - 15), QPoint(x + 12, top - 15) }),
        line, c.Colour(COLOR_NOWTIME_ARROW));
    // Its shadow edge, a pixel outside.
    painter.setBrush(Qt::NoBrush);
    painter.setPen(shadow);
    painter.drawPolyline(QPolygon({ QPoint(x - 13, top - 16), QPoint(x + 13, top - 16), QPoint(x, top + 1),
        QPoint(x - 13, top - 16) }));
    painter.restore();
}

// ---- Drag feedback ----------------------------------------------------------------------------

void CTimeLineRenderer::DrawDraggedItems(const Context& c) const
{
    const int state = c.drag.mouseState;
    if (state != TL_MOUSE_ITEM_MOVE && state != TL_MOUSE_ITEM_COPY && state != TL_MOUSE_ITEM_LINK)
        return;
    const timeline::FaceList& faces = c.model.Faces();
    const TlItemDragPlan& plan = c.drag.itemPlan;
    if (plan.valid) {
        // Where the release puts each item: on its row, at its start.
        for (const TlItemPlacement& placement : plan.placements) {
            const int row = FaceRow(faces, placement.faceNo);
            if (row < 0)
                continue;
            const int x = ClampedX(c.viewport.TimeToX(placement.start)) + 1;
            DrawGhost(c, placement.item, x, c.RowTopOfIndex(row) + 2, kGhostOpacity);
        }
        return;
    }
    // Refused where it is: the ghosts follow the pointer as they were grabbed.
    const int64_t perPixel = c.viewport.UnitsPerPixel();
    const int currentRow = FaceRow(faces, c.drag.held.faceNo);
    const int dx = state == TL_MOUSE_ITEM_LINK ? 0 : c.drag.pointerX - c.drag.pressX;
    for (const tagTL_FACE_ITEM_DATA& item : c.model.Selection()) {
        if (state == TL_MOUSE_ITEM_LINK && TlItemRef { item.FaceNo, item.Start } != c.drag.held)
            continue;
        const int64_t x = int64_t(item.Start) / perPixel - int64_t(c.drag.firstColumnAtPress) * kColumnWidth
            + c.client.left + kHeaderWidth + dx;
        const int y
            = c.drag.pointerY - kRulerHeight + kRowHeight * (FaceRow(faces, item.FaceNo) - currentRow);
        DrawGhost(c, item, ClampedX(x), y, kRefusedGhostOpacity);
    }
}

void CTimeLineRenderer::DrawGhost(
    const Context& c, const tagTL_FACE_ITEM_DATA& item, int x, int y, double opacity) const
{
    const int kindSlot = KindSlot(item);
    if (kindSlot < 0 || c.Image(kindSlot + kSlotPress).isNull())
        return;
    const int height = c.Image(kindSlot + kSlotPress).height();
    const int64_t width = std::max<int64_t>(item.PlayTime / c.viewport.UnitsPerPixel(), 2);
    // Only the part on screen is composed, then blended in one piece.
    const int64_t from = std::max<int64_t>(c.exposed.left(), x);
    const int64_t to = std::min<int64_t>(int64_t(c.exposed.right()) + 1, int64_t(x) + width);
    if (to <= from || y > c.exposed.bottom() || y + height <= c.exposed.top())
        return;
    QImage ghost(
        QSize(int(std::ceil((to - from) * c.devicePixelRatio)), int(std::ceil(height * c.devicePixelRatio))),
        QImage::Format_ARGB32_Premultiplied);
    ghost.setDevicePixelRatio(c.devicePixelRatio);
    ghost.fill(Qt::transparent);
    {
        QPainter painter(&ghost);
        painter.translate(qreal(x) - qreal(from), 0);
        ItemLook look { kSlotPress, kSlotEffectPress, COLOR_ITEMTEXT_FOCUS, kSlotLinkNormal, false, true };
        DrawItemBar(c, painter, item, look, width, from - x, to - x);
    }
    c.painter.save();
    c.painter.setOpacity(opacity);
    c.painter.drawImage(QPoint(int(from), y), ghost);
    c.painter.restore();
}

void CTimeLineRenderer::DrawEffectDrag(const Context& c) const
{
    const TlEffectEdgePlan& plan = c.drag.effectPlan;
    if (c.drag.mouseState != TL_MOUSE_EFFECT_DRAG || !plan.valid)
        return;
    tagTL_FACE_ITEM_DATA item;
    const int row = FaceRow(c.model.Faces(), plan.faceNo);
    if (row < 0 || !c.model.GetItemRecord(plan.faceNo, plan.start, item))
        return;
    // The band the release sets: the entry effect from the start, the exit effect up to the end.
    const int64_t perPixel = c.viewport.UnitsPerPixel();
    const int64_t barLeft = c.viewport.TimeToX(item.Start) + 1;
    const int64_t barWidth = std::max<int64_t>(item.PlayTime / perPixel, 2);
    const int trackLeft = c.client.left + kHeaderWidth;
    int64_t left = 0;
    int64_t right = 0;
    int64_t edge = 0;
    if (plan.side == TL_EFFECT_ENTRY) {
        left = barLeft;
        right = barLeft + plan.entryLength / perPixel - 1;
        edge = right + 1;
    } else {
        right = barLeft + barWidth;
        left = right - plan.exitLength / perPixel;
        edge = left + 1;
    }
    const int top = c.RowTopOfIndex(row);
    const TlRect band { ClampedX(std::max<int64_t>(left, trackLeft)), top + 10,
        ClampedX(std::min<int64_t>(right, c.client.right)), top + BarHeight(c.appearance, item) - 6 };
    QPainter& painter = c.painter;
    DrawDragRect(painter, band, 1);
    painter.save();
    QPen dotted(c.Colour(COLOR_EFFECT_LINE_SD), 1, Qt::DotLine);
    painter.setPen(dotted);
    const int x = ClampedX(edge);
    painter.drawLine(x, c.firstTrack.top, x, c.client.bottom);
    dotted.setColor(c.Colour(COLOR_EFFECT_LINE));
    painter.setPen(dotted);
    painter.drawLine(x - 1, c.firstTrack.top, x - 1, c.client.bottom);
    painter.restore();
}

void CTimeLineRenderer::DrawTrimFrame(const Context& c) const
{
    const int state = c.drag.mouseState;
    if (state < TL_MOUSE_LEFT_DOWN || state > TL_MOUSE_RIGHT_DRAG)
        return;
    const timeline::FaceList& faces = c.model.Faces();
    for (const TlTrimChange& change : c.drag.trimPlan.changes) {
        const int row = FaceRow(faces, change.faceNo);
        tagTL_FACE_ITEM_DATA item;
        if (row < 0 || !c.model.GetItemRecord(change.faceNo, change.start, item))
            continue;
        const int top = c.RowTopOfIndex(row);
        TlRect track = c.firstTrack;
        track.top = top;
        track.bottom = top + kRowHeight;
        const TlBarExtent bar
            = BarExtent(c.viewport, track, change.newStart, change.newEnd - change.newStart);
        if (!bar.visible)
            continue;
        DrawDragRect(c.painter,
            TlRect { bar.left + 1, top + 2, bar.right, top + 2 + BarHeight(c.appearance, item) }, 4);
    }
}

void CTimeLineRenderer::DrawRubberBand(const Context& c) const
{
    if (c.drag.mouseState != TL_MOUSE_RANGE_DRAG)
        return;
    DrawDragRect(
        c.painter, RubberBand(c.drag.pressX, c.drag.pressY, c.drag.pointerX, c.drag.pointerY, c.client), 1);
}
