#include "timeline/timeline_renderer.h"

#include "core/skin_font.h"
#include "platform/paths.h"
#include "platform/win_color.h"
#include "timeline/timeline_messages.h"
#include "timeline/timeline_pictures.h"
#include "timeline/timeline_renderer_context.h"

#include <QHash>
#include <QLinearGradient>
#include <algorithm>

using namespace timeline;
using namespace timeline::paint;

// ---- Pure helpers -----------------------------------------------------------------------------

namespace timeline {

int RulerLabelStep(int zoomMode)
{
    switch (ValidZoomMode(zoomMode)) {
    case 0:
        return 6;
    case 1:
        return 12;
    default:
        return 10;
    }
}

int RulerTickLength(int zoomMode, int64_t column)
{
    const int mode = ValidZoomMode(zoomMode);
    if (mode == 0 || mode == 1)
        return column % RulerLabelStep(mode) == 0 ? 10 : 5;
    if (column % 10 == 0)
        return 10;
    if (mode == 4)
        return column % 2 == 0 ? 7 : 5;
    return column % 10 == 5 ? 7 : 5;
}

QString RulerLabel(int zoomMode, int64_t column)
{
    if (column <= 0 || column % RulerLabelStep(zoomMode) != 0)
        return QString();
    // Seconds per column times the column, exactly.
    const int64_t seconds = column * UnitsPerColumnOfZoom(zoomMode) / 100;
    return QStringLiteral("%1:%2")
        .arg(seconds / 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

TlBarExtent BarExtent(const CTimeLineViewport& viewport, const TlRect& track, int64_t start, int64_t playTime)
{
    TlBarExtent bar;
    const int64_t perPixel = viewport.UnitsPerPixel();
    const int64_t viewStart = viewport.LeftEdgeTime();
    const int64_t viewEnd
        = (int64_t(viewport.firstColumn) + viewport.visibleColumns + 1) * viewport.unitsPerColumn;
    const int64_t end = start + playTime;
    bar.width = std::max<int64_t>(playTime / perPixel, 2);
    if (end <= viewStart || start >= viewEnd)
        return bar;
    const int64_t left = start < viewStart ? track.left : track.left + (start - viewStart) / perPixel;
    int64_t right = 0;
    if (end > viewEnd)
        right = track.right;
    else if (start < viewStart)
        right = track.left + (end - viewStart) / perPixel;
    else
        right = left + bar.width;
    bar.left = int(std::min<int64_t>(left, track.right));
    bar.right = int(std::min<int64_t>(right, track.right + bar.width));
    bar.sourceOffset = start < viewStart ? (viewStart - start) / perPixel : 0;
    bar.visible = bar.right - bar.left - 1 > 0;
    return bar;
}

std::span<const tagTL_FACE_ITEM_DATA> ItemsShownIn(
    const tagTL_FACE_DATA& face, const CTimeLineViewport& viewport, const TlRect& track, const QRect& exposed)
{
    const int64_t perPixel = viewport.UnitsPerPixel();
    // The times the exposed strip shows, a pixel to spare on each side.
    const int64_t exposedStart = viewport.XToTime(int64_t(exposed.left()) - track.left - 1);
    const int64_t exposedEnd = viewport.XToTime(int64_t(exposed.right()) - track.left + 2);
    const std::vector<tagTL_FACE_ITEM_DATA>& items = face.Items;
    // Items are in start order without overlaps: the first one that may show is found by a
    // binary search, and the span ends at the first one that starts after the strip.
    auto first = std::lower_bound(items.begin(), items.end(), exposedStart,
        [](const tagTL_FACE_ITEM_DATA& item, int64_t time) { return item.Start < time; });
    while (first != items.begin() && ItemEnd(*std::prev(first)) > exposedStart - perPixel)
        --first;
    const auto last = std::upper_bound(first, items.end(), exposedEnd,
        [](int64_t time, const tagTL_FACE_ITEM_DATA& item) { return time < item.Start; });
    // Built from the iterators: an empty range (no items, or none in the strip) has no element to
    // point at.
    return std::span<const tagTL_FACE_ITEM_DATA>(first, last);
}

size_t RestPictureSignature(const CTimeLineModel& model, const CTimeLineViewport& viewport)
{
    size_t hash = qHash(model.ProjectLength());
    const auto mix = [&hash](size_t value) { hash = hash * 1000003u ^ value; };
    for (const tagCAMERA_SETTING_DATA& camera : model.CameraList())
        mix(qHash(camera.CameraName) ^ size_t(uint32_t(camera.CameraId)));
    const QRect everything(
        viewport.client.left, viewport.client.top, viewport.client.Width(), viewport.client.Height());
    for (size_t row = 0; row < viewport.rowRects.size(); ++row) {
        const int64_t index = int64_t(viewport.firstRow) + int64_t(row);
        if (index >= model.FaceCount())
            break;
        const tagTL_FACE_DATA& face = model.Faces()[size_t(index)];
        mix(size_t(uint32_t(face.No)) ^ (size_t(uint32_t(face.Status)) << 8)
            ^ (size_t(uint32_t(face.Lock)) << 9));
        mix(size_t(uint32_t(face.R)) ^ (size_t(uint32_t(face.G)) << 8) ^ (size_t(uint32_t(face.B)) << 16));
        for (const tagTL_FACE_ITEM_DATA& item :
            ItemsShownIn(face, viewport, viewport.rowRects[row].rcTrack, everything)) {
            mix(size_t(uint32_t(item.Start)) ^ (size_t(uint32_t(item.PlayTime)) << 32));
            mix(size_t(uint32_t(item.Mode)) ^ (size_t(uint32_t(item.LinkMode)) << 8)
                ^ (size_t(uint32_t(item.CameraID)) << 16) ^ (size_t(uint32_t(item.FilterNo)) << 40));
            mix(qHash(item.FilePath));
            mix(size_t(uint32_t(item.InPattern)) ^ (size_t(uint32_t(item.InStartTime)) << 8)
                ^ (size_t(uint32_t(item.InEndTime)) << 32));
            mix(size_t(uint32_t(item.OutPattern)) ^ (size_t(uint32_t(item.OutStartTime)) << 8)
                ^ (size_t(uint32_t(item.OutEndTime)) << 32));
        }
    }
    return hash;
}

} // namespace timeline

// ---- Drawing primitives -----------------------------------------------------------------------

namespace timeline::paint {

int KindSlot(const tagTL_FACE_ITEM_DATA& item)
{
    int32_t kind = item.Mode;
    if (kind == tagTL_FACE_ITEM_DATA::MODE_LINK) {
        // A LINK looks like the kind it shows: none, picture, camera or movie.
        if (item.LinkMode < 0 || item.LinkMode > 3)
            return -1;
        kind = item.LinkMode;
    }
    switch (kind) {
    case tagTL_FACE_ITEM_DATA::MODE_NONE:
        return kSlotNone;
    case tagTL_FACE_ITEM_DATA::MODE_IMAGE:
        return kSlotPicture;
    case tagTL_FACE_ITEM_DATA::MODE_CAMERA:
        return kSlotCamera;
    case tagTL_FACE_ITEM_DATA::MODE_MOVIE:
        return kSlotMovie;
    case tagTL_FACE_ITEM_DATA::MODE_SOUND:
        return kSlotSound;
    default:
        return -1;
    }
}

int32_t ShownKind(const tagTL_FACE_ITEM_DATA& item)
{
    return item.Mode == tagTL_FACE_ITEM_DATA::MODE_LINK ? item.LinkMode : item.Mode;
}

void VLine(QPainter& painter, int x, int y1, int y2, const QColor& colour)
{
    if (y2 > y1)
        painter.fillRect(QRect(x, y1, 1, y2 - y1), colour);
}

void HLine(QPainter& painter, int x1, int x2, int y, const QColor& colour)
{
    if (x2 > x1)
        painter.fillRect(QRect(x1, y, x2 - x1, 1), colour);
}

void FrameRect(QPainter& painter, const TlRect& rect, const QColor& colour)
{
    HLine(painter, rect.left, rect.right + 1, rect.top, colour);
    HLine(painter, rect.left, rect.right + 1, rect.bottom, colour);
    VLine(painter, rect.left, rect.top, rect.bottom + 1, colour);
    VLine(painter, rect.right, rect.top, rect.bottom + 1, colour);
}

void FillGradientV(QPainter& painter, const QColor& top, const QColor& bottom, const TlRect& rect)
{
    if (rect.IsEmpty())
        return;
    QLinearGradient gradient(0, rect.top + 0.5, 0, rect.bottom - 0.5);
    gradient.setColorAt(0, top);
    gradient.setColorAt(1, bottom);
    painter.fillRect(ToQRect(rect), gradient);
}

void DrawDragRect(QPainter& painter, const TlRect& rect, int border)
{
    if (rect.IsEmpty())
        return;
    // The halftone pattern inverted into what lies below, as a drag rectangle is drawn.
    painter.save();
    painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    const QBrush halftone(Qt::white, Qt::Dense4Pattern);
    const int b = std::min({ border, rect.Width(), rect.Height() });
    const QRect outer = ToQRect(rect);
    painter.fillRect(QRect(outer.left(), outer.top(), outer.width(), b), halftone);
    if (outer.height() > b) {
        painter.fillRect(QRect(outer.left(), outer.bottom() + 1 - b, outer.width(), b), halftone);
        const int sideHeight = outer.height() - 2 * b;
        if (sideHeight > 0) {
            painter.fillRect(QRect(outer.left(), outer.top() + b, b, sideHeight), halftone);
            if (outer.width() > b)
                painter.fillRect(QRect(outer.right() + 1 - b, outer.top() + b, b, sideHeight), halftone);
        }
    }
    painter.restore();
}

QRect ToQRect(const TlRect& rect)
{
    return QRect(rect.left, rect.top, rect.Width(), rect.Height());
}

} // namespace timeline::paint

QColor CTimeLineRenderer::Context::Colour(int index) const
{
    return platform::ToQColor(appearance.Color(index));
}

const QImage& CTimeLineRenderer::Context::Image(int slot) const
{
    return appearance.Image(slot);
}

int CTimeLineRenderer::Context::RowTopOfIndex(int faceIndex) const
{
    return client.top + kRulerHeight + kRowHeight * (faceIndex - viewport.firstRow);
}

// ---- The renderer -----------------------------------------------------------------------------

CTimeLineRenderer::CTimeLineRenderer(CTimeLinePictures& pictures)
    : m_pictures(pictures)
{
}

void CTimeLineRenderer::UpdateFonts(const CTimeLineAppearance& appearance) const
{
    for (size_t font = 0; font < m_fonts.size(); ++font) {
        const ViewSettingRecord::Font& skin = appearance.Fonts()[font];
        if (m_fontKeys[font].first == skin.name && m_fontKeys[font].second == skin.size)
            continue;
        m_fontKeys[font] = { skin.name, skin.size };
        // The control keeps the skin's pixel size on screens of any resolution.
        m_fonts[font] = MakeSkinFont(skin.name, skin.size, 1.0, 96.0);
    }
}

CTimeLineRenderer::Context CTimeLineRenderer::MakeContext(QPainter& painter,
    const QRect& exposed,
    const CTimeLineModel& model,
    const CTimeLineViewport& viewport,
    const CTimeLineAppearance& appearance,
    const TlDragFeedback& drag) const
{
    UpdateFonts(appearance);
    const TlRect& client = viewport.client;
    const TlRect firstTrack = viewport.rowRects.empty() ? TlRect { client.left + kHeaderWidth,
        client.top + kRulerHeight, client.right, client.top + kRulerHeight + kRowHeight }
                                                        : viewport.rowRects.front().rcTrack;
    Context c { painter, exposed, model, viewport, appearance, drag,
        painter.device() ? painter.device()->devicePixelRatioF() : 1.0, client, firstTrack, {} };
    return c;
}

void CTimeLineRenderer::Paint(QPainter& painter,
    const QRect& exposed,
    const CTimeLineModel& model,
    const CTimeLineViewport& viewport,
    const CTimeLineAppearance& appearance,
    const TlDragFeedback& drag) const
{
    PaintRest(painter, exposed, model, viewport, appearance, drag);
    PaintOverlay(painter, exposed, model, viewport, appearance, drag);
}

void CTimeLineRenderer::PaintRest(QPainter& painter,
    const QRect& exposed,
    const CTimeLineModel& model,
    const CTimeLineViewport& viewport,
    const CTimeLineAppearance& appearance,
    const TlDragFeedback& drag) const
{
    Context c = MakeContext(painter, exposed, model, viewport, appearance, drag);
    // The rows look up every item they draw in the selection.
    c.selected.reserve(qsizetype(model.Selection().size()));
    for (const tagTL_FACE_ITEM_DATA& item : model.Selection())
        c.selected.insert(CTimeLineModel::SelectedKey(item));
    painter.save();
    painter.setClipRect(exposed);
    painter.fillRect(exposed, c.Colour(COLOR_TIMELINE_BK));
    DrawHeaderBand(c);
    if (m_enabled) {
        if (drag.mouseState == TL_MOUSE_FACE_MOVE || drag.mouseState == TL_MOUSE_FACE_COPY)
            DrawFacesDrag(c);
        else
            DrawFaces(c);
        DrawTotalTimeLine(c);
    }
    painter.restore();
}

void CTimeLineRenderer::PaintOverlay(QPainter& painter,
    const QRect& exposed,
    const CTimeLineModel& model,
    const CTimeLineViewport& viewport,
    const CTimeLineAppearance& appearance,
    const TlDragFeedback& drag) const
{
    if (!m_enabled)
        return;
    const Context c = MakeContext(painter, exposed, model, viewport, appearance, drag);
    painter.save();
    painter.setClipRect(exposed);
    DrawInOutMarkers(c);
    DrawPlayhead(c);
    DrawDraggedItems(c);
    DrawEffectDrag(c);
    DrawTrimFrame(c);
    DrawRubberBand(c);
    painter.restore();
}

// ---- Ruler --------------------------------------------------------------------------------------

void CTimeLineRenderer::DrawHeaderBand(const Context& c) const
{
    QPainter& painter = c.painter;
    const TlRect band { c.client.left, c.client.top, c.client.right, c.client.top + kRulerHeight };
    if (c.exposed.intersects(ToQRect(band)))
        FillGradientV(painter, c.Colour(COLOR_HEADER_BK_TOP), c.Colour(COLOR_HEADER_BK_UNDER), band);
    painter.setFont(m_fonts[0]);
    painter.setPen(c.Colour(m_enabled ? COLOR_SCALE_TEXT : COLOR_SCALE_TEXT_DISABLE));
    painter.drawText(QRect(band.left, band.top, kHeaderWidth, kRulerHeight),
        Qt::AlignCenter | Qt::TextSingleLine, QStringLiteral("FACE"));
    DrawRuler(c);
    FrameRect(painter, band, c.Colour(COLOR_FACE_BORDER));
}

void CTimeLineRenderer::DrawRuler(const Context& c) const
{
    QPainter& painter = c.painter;
    const int left = c.client.left + kHeaderWidth;
    const int top = c.client.top;
    const int right = c.client.right;
    const QColor line = c.Colour(COLOR_SCALE_LINE);
    const QColor shadow = c.Colour(COLOR_SCALE_LINE_SD);
    VLine(painter, left, top + 21, c.client.bottom, line);
    VLine(painter, left + 1, top + 21, c.client.bottom, shadow);
    if (c.exposed.top() >= top + kRulerHeight)
        return;
    painter.setFont(m_fonts[0]);
    painter.setPen(c.Colour(COLOR_SCALE_TEXT));
    const int mode = c.viewport.zoomMode;
    // Only the columns of the exposed strip, with a label's width to spare on either side.
    const int firstK = std::max(0, (c.exposed.left() - 20 - left) / kColumnWidth);
    for (int k = firstK; left + kColumnWidth * k < right; ++k) {
        const int x = left + kColumnWidth * k;
        if (x > c.exposed.right() + 20)
            break;
        const int64_t column = int64_t(c.viewport.firstColumn) + k;
        const int length = RulerTickLength(mode, column);
        VLine(painter, x, top + kRulerHeight - length, top + kRulerHeight, line);
        VLine(painter, x + 1, top + kRulerHeight - length, top + kRulerHeight, shadow);
        const QString label = RulerLabel(mode, column);
        if (!label.isEmpty())
            painter.drawText(
                QRect(x - 20, top, 40, kRulerHeight), Qt::AlignCenter | Qt::TextSingleLine, label);
    }
}

// ---- Rows -------------------------------------------------------------------------------------

void CTimeLineRenderer::DrawFaces(const Context& c) const
{
    const timeline::FaceList& faces = c.model.Faces();
    const int current = c.model.CurrentFace();
    for (size_t row = 0; row < c.viewport.rowRects.size(); ++row) {
        const int64_t index = int64_t(c.viewport.firstRow) + int64_t(row);
        if (index >= int64_t(faces.size()))
            break;
        const tagTL_FACE_RECT& rects = c.viewport.rowRects[row];
        if (!c.exposed.intersects(ToQRect(rects.rcRow).adjusted(0, 0, 1, 1)))
            continue;
        const tagTL_FACE_DATA& face = faces[size_t(index)];
        DrawFaceRow(c, face, int(index), rects, face.No == current);
    }
}

void CTimeLineRenderer::DrawFacesDrag(const Context& c) const
{
    const timeline::FaceList& faces = c.model.Faces();
    const int current = c.model.CurrentFace();
    const bool move = c.drag.mouseState == TL_MOUSE_FACE_MOVE;
    const int drop = c.drag.faceDropRow;
    // The rows as at rest, from the drop position on 15 pixels lower; a moved face leaves its row.
    size_t slot = 0;
    for (int64_t index = c.viewport.firstRow; index < int64_t(faces.size()); ++index) {
        if (slot >= c.viewport.rowRects.size())
            break;
        const tagTL_FACE_DATA& face = faces[size_t(index)];
        if (move && face.No == current)
            continue;
        tagTL_FACE_RECT rects = c.viewport.rowRects[slot++];
        if (drop >= 0 && index >= drop) {
            for (TlRect* rect : { &rects.rcRow, &rects.rcHeader, &rects.rcTrack, &rects.rcColorBar,
                     &rects.rcNumber, &rects.rcButton1, &rects.rcButton2 }) {
                rect->top += 15;
                rect->bottom += 15;
            }
        }
        DrawFaceRow(c, face, int(index), rects, face.No == current);
    }

    // The dragged face floats under the pointer with a shadow, in the row it was taken from.
    const int pressRow = c.viewport.RowAt(c.drag.pressX, c.drag.pressY);
    const tagTL_FACE_DATA* dragged = FindFaceByNo(faces, current);
    if (pressRow < 0 || !dragged)
        return;
    tagTL_FACE_RECT rects = c.viewport.rowRects[size_t(pressRow)];
    const int dy = c.drag.pointerY - c.drag.pressY - 5;
    for (TlRect* rect : { &rects.rcRow, &rects.rcHeader, &rects.rcTrack, &rects.rcColorBar, &rects.rcNumber,
             &rects.rcButton1, &rects.rcButton2 }) {
        *rect = TlRect { rect->left + 10, rect->top + dy, rect->right + 10, rect->bottom + dy };
    }
    QPainter& painter = c.painter;
    painter.save();
    painter.setOpacity(128.0 / 255.0);
    painter.fillRect(QRect(rects.rcHeader.left + 5, rects.rcHeader.top - 3, rects.rcRow.Width(),
                         rects.rcRow.Height() + 10),
        Qt::black);
    painter.restore();
    DrawFaceRow(c, *dragged, c.viewport.firstRow + pressRow, rects, true);
}

void CTimeLineRenderer::DrawFaceRow(const Context& c,
    const tagTL_FACE_DATA& face,
    int faceIndex,
    const tagTL_FACE_RECT& rects,
    bool current) const
{
    QPainter& painter = c.painter;
    const bool even = faceIndex % 2 == 0;
    FillGradientV(painter, c.Colour(even ? COLOR_FACE_BK0_TOP : COLOR_FACE_BK1_TOP),
        c.Colour(even ? COLOR_FACE_BK0_UNDER : COLOR_FACE_BK1_UNDER), rects.rcRow);

    // The header cell in the face's colour under a veil, thinner on the current face.
    const QColor faceColour(
        std::clamp(face.R, 0, 255), std::clamp(face.G, 0, 255), std::clamp(face.B, 0, 255));
    painter.fillRect(ToQRect(rects.rcHeader), faceColour);
    QColor veil = c.Colour(COLOR_PLAYRANGE_MASK);
    veil.setAlpha(current ? 168 : 192);
    painter.fillRect(ToQRect(rects.rcHeader), veil);
    painter.fillRect(ToQRect(rects.rcColorBar), faceColour);

    painter.setFont(m_fonts[1]);
    painter.setPen(c.Colour(COLOR_ITEMTEXT));
    painter.drawText(ToQRect(rects.rcNumber), Qt::AlignCenter | Qt::TextSingleLine, QString::number(face.No));

    const QImage& lock = c.Image(face.Lock == 1 ? kSlotLockOn : kSlotLockOff);
    if (!lock.isNull())
        painter.drawImage(QPoint(rects.rcButton2.left, rects.rcButton2.top), lock);
    FrameRect(painter, rects.rcButton2, c.Colour(COLOR_SCALE_LINE_SD));
    const QImage& display = c.Image(face.Status == 1 ? kSlotDisplayOn : kSlotDisplayOff);
    if (!display.isNull())
        painter.drawImage(QPoint(rects.rcButton1.left, rects.rcButton1.top), display);
    FrameRect(painter, rects.rcButton1, c.Colour(COLOR_SCALE_LINE_SD));

    DrawTrackGrid(c, rects.rcTrack);
    FrameRect(painter, rects.rcRow, c.Colour(COLOR_FACE_BORDER));
    DrawFaceItems(c, face, rects.rcTrack);
}

void CTimeLineRenderer::DrawTrackGrid(const Context& c, const TlRect& track) const
{
    QPainter& painter = c.painter;
    VLine(painter, track.left, track.top, track.bottom, c.Colour(COLOR_SCALE_LINE));
    VLine(painter, track.left + 1, track.top, track.bottom, c.Colour(COLOR_SCALE_LINE_SD));
    const QColor grid = c.Colour(COLOR_SCALE_FACE_LINE);
    const QColor emphasis = c.Colour(COLOR_SCALE_LINE_SD);
    const int step = RulerLabelStep(c.viewport.zoomMode);
    const int firstK = std::max(1, (c.exposed.left() - 1 - track.left) / kColumnWidth);
    for (int k = firstK; track.left + kColumnWidth * k < track.right; ++k) {
        const int x = track.left + kColumnWidth * k;
        if (x > c.exposed.right() + 1)
            break;
        VLine(painter, x, track.top, track.bottom, grid);
        if ((int64_t(c.viewport.firstColumn) + k) % step == 0)
            VLine(painter, x + 1, track.top, track.bottom, emphasis);
    }
}

// ---- Items --------------------------------------------------------------------------------------

void CTimeLineRenderer::DrawFaceItems(
    const Context& c, const tagTL_FACE_DATA& face, const TlRect& track) const
{
    const CTimeLineViewport& viewport = c.viewport;
    const bool hiddenFace = face.Status != 1;
    const bool movingSelected = c.drag.mouseState == TL_MOUSE_ITEM_MOVE;
    for (const tagTL_FACE_ITEM_DATA& item : ItemsShownIn(face, viewport, track, c.exposed)) {
        const bool selected = c.selected.contains(CTimeLineModel::SelectedKey(item));
        // Moved items show only as ghosts while they are dragged.
        if (movingSelected && selected)
            continue;
        const int kindSlot = KindSlot(item);
        if (kindSlot < 0 || c.Image(kindSlot).isNull())
            continue;
        const TlBarExtent bar = BarExtent(viewport, track, item.Start, item.PlayTime);
        if (!bar.visible)
            continue;
        ItemLook look;
        if (hiddenFace) {
            look = ItemLook { kSlotNot, kSlotEffectNot, COLOR_ITEMTEXT_DISABLE, kSlotLinkFocus, true, false };
        } else if (selected) {
            look = ItemLook { kSlotPress, kSlotEffectNormal, COLOR_ITEMTEXT_FOCUS, kSlotLinkNormal, false,
                false };
        }
        const QImage& kindImage = c.Image(kindSlot + look.state);
        if (kindImage.isNull())
            continue;
        const int barHeight = kindImage.height();
        const int width = bar.right - bar.left - 1;
        QPainter& painter = c.painter;
        painter.save();
        const QRect placed(bar.left + 1, track.top + 2, width, barHeight);
        painter.setClipRect(placed.intersected(c.exposed));
        painter.translate(qreal(bar.left + 1) - qreal(bar.sourceOffset), track.top + 2);
        DrawItemBar(c, painter, item, look, bar.width, bar.sourceOffset, bar.sourceOffset + width);
        painter.restore();
    }
}

void CTimeLineRenderer::DrawItemBar(const Context& c,
    QPainter& painter,
    const tagTL_FACE_ITEM_DATA& item,
    const ItemLook& look,
    int64_t width,
    int64_t visibleFrom,
    int64_t visibleTo) const
{
    const int kindSlot = KindSlot(item);
    const QImage& kindImage = c.Image(kindSlot + look.state);
    const int height = kindImage.height();
    const int64_t perPixel = c.viewport.UnitsPerPixel();
    // Bar coordinates can be far larger than the screen: only the visible span is drawn, in
    // the 1000-pixel slices the kind image is stretched over.
    const int64_t from = std::max<int64_t>(visibleFrom - 1, 0);
    const int64_t to = std::min<int64_t>(visibleTo + 1, width);
    painter.fillRect(QRectF(qreal(from), 0, qreal(to - from), height), Qt::black);
    constexpr int64_t kSlice = 1000;
    for (int64_t slice = from / kSlice * kSlice; slice < to; slice += kSlice) {
        const int64_t sliceWidth = std::min(kSlice, width - slice);
        if (sliceWidth <= 0)
            break;
        painter.drawImage(QRectF(qreal(slice), 0, qreal(sliceWidth), height), kindImage);
    }

    const auto entryBand = [&] {
        if (item.InPattern <= 0)
            return TlRect();
        return TlRect { 0, kBandInset, int((int64_t(item.InEndTime) - item.InStartTime) / perPixel - 1),
            height - kBandInset };
    };
    const auto exitBand = [&] {
        if (item.OutPattern <= 0)
            return TlRect();
        return TlRect { int(width - (int64_t(item.OutEndTime) - item.OutStartTime) / perPixel), kBandInset,
            int(width), height - kBandInset };
    };
    if (item.InPattern > 0)
        DrawEffectBand(c, painter, look.bandSlot, false, item.InPattern, entryBand(), from, to);
    if (item.OutPattern > 0)
        DrawEffectBand(c, painter, look.bandSlot, false, item.OutPattern, exitBand(), from, to);

    // The picture: the camera or sound icon, or the item's thumbnail.
    const int32_t shown = ShownKind(item);
    QString picturePath;
    if (shown == tagTL_FACE_ITEM_DATA::MODE_CAMERA || item.Mode == tagTL_FACE_ITEM_DATA::MODE_SOUND) {
        const QString icon = c.appearance.IconNames()[item.Mode == tagTL_FACE_ITEM_DATA::MODE_SOUND ? 1 : 0];
        if (!icon.isEmpty())
            picturePath = platform::JoinPath(c.appearance.ImageFolder(), platform::DataFilePathToLocal(icon));
    } else if (item.Mode != tagTL_FACE_ITEM_DATA::MODE_NONE) {
        picturePath = c.model.ThumbnailPath(item);
    }
    if (!picturePath.isEmpty() && from < kPictureLeft + kPictureWidth && to > kPictureLeft) {
        const QImage picture
            = m_pictures.Picture(picturePath, QSize(kPictureWidth, kPictureHeight), c.devicePixelRatio);
        if (!picture.isNull()) {
            if (!look.ghost)
                painter.fillRect(
                    QRect(kPictureLeft, kPictureTop, kPictureWidth, kPictureHeight), QColor(60, 60, 60));
            painter.save();
            if (look.hiddenFace)
                painter.setOpacity(0.5);
            painter.drawImage(QPoint(kPictureLeft, kPictureTop), picture);
            painter.restore();
        }
    }

    int textLeft = kTextLeft;
    if (item.Mode == tagTL_FACE_ITEM_DATA::MODE_LINK) {
        const QImage& link = c.Image(look.linkSlot);
        if (!link.isNull()) {
            painter.drawImage(QRect(kTextLeft, kLinkIconTop, kLinkIconWidth, kLinkIconHeight), link);
            textLeft += kLinkTextShift;
        }
    }
    const QImage& filter = c.Image(kSlotFilter);
    if (item.FilterNo > 0 && !filter.isNull())
        painter.drawImage(QPoint(0, 0), filter);

    if (to > textLeft) {
        const QString text = shown == tagTL_FACE_ITEM_DATA::MODE_CAMERA ? c.model.GetCameraName(item.CameraID)
                                                                        : item.FilePath;
        painter.setFont(m_fonts[2]);
        painter.setPen(c.Colour(look.textColour));
        const int64_t textRight = std::min<int64_t>(textLeft + width, to);
        painter.drawText(QRectF(textLeft, 0, qreal(std::max<int64_t>(textRight - textLeft, 0)), height),
            Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, text);
    }

    // Emphasised effects: every item's while the effect display is on, else the dragged side.
    if (look.ghost)
        return;
    const bool display = c.model.EffectDisplay() == 1;
    const bool held = (c.drag.mouseState == TL_MOUSE_EFFECT_DOWN || c.drag.mouseState == TL_MOUSE_EFFECT_DRAG)
        && c.drag.held == TlItemRef { item.FaceNo, item.Start };
    for (const int side : { TL_EFFECT_ENTRY, TL_EFFECT_EXIT }) {
        const bool dragged = held && c.drag.effectSide == side;
        if (!display && !dragged)
            continue;
        const int32_t pattern = side == TL_EFFECT_ENTRY ? item.InPattern : item.OutPattern;
        if (pattern <= 0)
            continue;
        const int slot = dragged && display ? kSlotEffectPress : look.bandSlot;
        DrawEffectBand(
            c, painter, slot, true, pattern, side == TL_EFFECT_ENTRY ? entryBand() : exitBand(), from, to);
    }
}

void CTimeLineRenderer::DrawEffectBand(const Context& c,
    QPainter& painter,
    int bandSlot,
    bool emphasis,
    int32_t pattern,
    const TlRect& band,
    int64_t visibleFrom,
    int64_t visibleTo) const
{
    if (band.IsEmpty() || band.right <= visibleFrom || band.left >= visibleTo)
        return;
    const QImage& image = c.Image(bandSlot);
    painter.save();
    if (!image.isNull()) {
        painter.setOpacity(emphasis ? 0.85 : 0.5);
        constexpr int kSlice = 1000;
        const int width = band.Width();
        const int firstSlice = int(std::max<int64_t>(visibleFrom - band.left, 0) / kSlice * kSlice);
        for (int slice = firstSlice; slice < width && band.left + slice < visibleTo; slice += kSlice) {
            const int sliceWidth = std::min(kSlice, width - slice);
            painter.drawImage(QRect(band.left + slice, band.top, sliceWidth, band.Height()), image);
        }
        painter.setOpacity(1.0);
    }
    painter.setFont(m_fonts[2]);
    painter.setPen(c.Colour(emphasis ? COLOR_EFFECTTEXT_FOCUS : COLOR_EFFECTTEXT));
    painter.setClipRect(ToQRect(band), Qt::IntersectClip);
    // An ideographic space before the name.
    painter.drawText(ToQRect(band), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
        QStringLiteral("\u3000%1").arg(c.model.GetEffectName(pattern)));
    painter.restore();
}

void CTimeLineRenderer::DrawTotalTimeLine(const Context& c) const
{
    const int64_t x = c.viewport.TimeToX(c.model.ProjectLength());
    if (x < c.client.left + kHeaderWidth || x > c.client.right)
        return;
    const QColor colour = c.Colour(COLOR_TOTALTIME_LINE);
    VLine(c.painter, int(x), c.firstTrack.top, c.client.bottom, colour);
    VLine(c.painter, int(x) + 1, c.firstTrack.top + 1, c.client.bottom, colour);
}
