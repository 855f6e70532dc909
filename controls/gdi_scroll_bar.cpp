#include "controls/gdi_scroll_bar.h"

#include "controls/control_messages.h"

#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPolygon>
#include <QWheelEvent>
#include <algorithm>

using namespace controls;

namespace {

// Colour numbers as the drawing names them (1-based).
enum ColourNo {
    ARROW_TRIANGLE = 1,
    ARROW_PICTURE_BACK = 2,
    TRACK_FROM = 3,
    TRACK_TO = 4,
    ARROW_FROM = 5,
    ARROW_TO = 6,
    ARROW_PRESSED_FROM = 7,
    ARROW_PRESSED_TO = 8,
    ARROW_FRAME = 9,
    TRACK_FRAME = 10,
    TRACK_INNER_FRAME = 11,
    THUMB_FRAME = 12,
    THUMB_FROM = 13,
    THUMB_TO = 14,
    THUMB_DRAGGED_FROM = 15,
    THUMB_DRAGGED_TO = 16,
};

QPolygon ArrowTriangle(const WinRect& rect, bool vertical, bool forward)
{
    const int side = std::min(rect.Width(), rect.Height());
    const int squareLeft = rect.left + (rect.Width() - side) / 2;
    const int squareTop = rect.top + (rect.Height() - side) / 2;
    const WinRect inner = CGdiScrollBar::DeflateRectByRatio(
        { squareLeft, squareTop, squareLeft + side, squareTop + side }, 0.5);
    const int l = inner.left, t = inner.top, r = inner.right - 1, b = inner.bottom - 1;
    const int midX = (l + r) / 2, midY = (t + b) / 2;
    if (vertical)
        return forward ? QPolygon({ QPoint(midX, b), QPoint(l, t), QPoint(r, t) })
                       : QPolygon({ QPoint(midX, t), QPoint(l, b), QPoint(r, b) });
    return forward ? QPolygon({ QPoint(r, midY), QPoint(l, t), QPoint(l, b) })
                   : QPolygon({ QPoint(l, midY), QPoint(r, t), QPoint(r, b) });
}

} // namespace

CGdiScrollBar::CGdiScrollBar(QWidget* parent)
    : QWidget(parent)
    , m_colors { Rgb(246, 246, 246), Rgb(240, 240, 240), Rgb(204, 204, 204), Rgb(255, 255, 255),
        Rgb(71, 71, 71), Rgb(43, 43, 43), Rgb(192, 64, 80), Rgb(160, 8, 16), Rgb(121, 121, 121),
        Rgb(102, 102, 102), Rgb(153, 153, 153), Rgb(136, 136, 136), Rgb(238, 238, 238), Rgb(153, 153, 153),
        Rgb(204, 238, 255), Rgb(119, 153, 187) }
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    // Moves without a held button must arrive too: they end a press whose release went
    // elsewhere (to a window the receiver opened, say), which would otherwise repeat forever.
    setMouseTracking(true);
    m_elapsed.start();
    m_clock = [this] { return m_elapsed.elapsed(); };
    m_repeatTimer.setInterval(SCROLLBAR_REPEAT_INTERVAL_MS);
    connect(&m_repeatTimer, &QTimer::timeout, this, [this] { OnTimer(SCROLLBAR_REPEAT_TIMER_ID); });
}

void CGdiScrollBar::SetScrollRange(int, int maximum)
{
    m_scrollInfo.minimum = 0;
    m_scrollInfo.maximum = std::max(0, maximum);
    if (unsigned(m_scrollInfo.page) > unsigned(m_scrollInfo.maximum))
        m_scrollInfo.page = m_scrollInfo.maximum;
    if (m_scrollInfo.page == 0)
        m_scrollInfo.page = 1;
    // A position past the new end would draw the thumb outside the track.
    m_scrollInfo.position = std::clamp(m_scrollInfo.position, 0, m_scrollInfo.maximum);
    m_scrollInfo.trackPosition = std::clamp(m_scrollInfo.trackPosition, 0, m_scrollInfo.maximum);
    update();
}

int CGdiScrollBar::SetScrollPos(int position)
{
    const int clamped
        = std::clamp(position, m_scrollInfo.minimum, std::max(m_scrollInfo.minimum, m_scrollInfo.maximum));
    m_scrollInfo.position = clamped;
    m_scrollInfo.trackPosition = clamped;
    update();
    return 0;
}

void CGdiScrollBar::DoScroll(int action, int amount)
{
    ScrollInfo& si = m_scrollInfo;
    int64_t target = si.position;
    switch (action) {
    case SCROLL_LINE_BACK:
    case SCROLL_PAGE_BACK:
        if (si.position <= si.minimum)
            return;
        target -= action == SCROLL_LINE_BACK ? amount : si.page;
        break;
    case SCROLL_LINE_FORWARD:
    case SCROLL_PAGE_FORWARD:
        if (si.position >= si.maximum)
            return;
        target += action == SCROLL_LINE_FORWARD ? amount : si.page;
        break;
    case SCROLL_THUMB_END:
    case SCROLL_THUMB_TRACK:
        target = si.trackPosition;
        break;
    default:
        return;
    }
    const int clamped = int(std::clamp<int64_t>(target, si.minimum, std::max(si.minimum, si.maximum)));
    if (clamped == si.position)
        return;
    si.position = clamped;
    si.trackPosition = clamped;
    repaint();
}

void CGdiScrollBar::CalcLayout()
{
    ScrollBarMetrics metrics;
    metrics.width = width();
    metrics.height = height();
    metrics.vertical = m_vertical;
    metrics.arrowSize = m_arrowSize;
    metrics.minimum = m_scrollInfo.minimum;
    metrics.maximum = m_scrollInfo.maximum;
    metrics.page = m_scrollInfo.page;
    metrics.position = m_part == PART_THUMB ? m_scrollInfo.trackPosition : m_scrollInfo.position;
    m_layout = CalcScrollBarLayout(metrics);
}

void CGdiScrollBar::FillGradientV(QPainter& painter, COLORREF top, COLORREF bottom, const WinRect& rect)
{
    if (rect.IsEmpty())
        return;
    QLinearGradient gradient(0, rect.top + 0.5, 0, rect.bottom - 0.5);
    gradient.setColorAt(0, ToQColor(top));
    gradient.setColorAt(1, ToQColor(bottom));
    painter.fillRect(rect.ToQRect(), gradient);
}

void CGdiScrollBar::FillGradientH(QPainter& painter, COLORREF left, COLORREF right, const WinRect& rect)
{
    if (rect.IsEmpty())
        return;
    QLinearGradient gradient(rect.left + 0.5, 0, rect.right - 0.5, 0);
    gradient.setColorAt(0, ToQColor(left));
    gradient.setColorAt(1, ToQColor(right));
    painter.fillRect(rect.ToQRect(), gradient);
}

void CGdiScrollBar::DrawFrameRect(QPainter& painter, COLORREF colour, const WinRect& rect)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(QPen(ToQColor(colour), 0));
    painter.setBrush(Qt::NoBrush);
    const QPoint corners[5] = { QPoint(rect.left, rect.top), QPoint(rect.right - 1, rect.top),
        QPoint(rect.right - 1, rect.bottom - 1), QPoint(rect.left, rect.bottom - 1),
        QPoint(rect.left, rect.top) };
    painter.drawPolyline(corners, 5);
    painter.restore();
}

WinRect CGdiScrollBar::DeflateRectByRatio(const WinRect& rect, double ratio)
{
    return DeflateByRatio(rect, ratio);
}

void CGdiScrollBar::Notify(int action, int position, int trackPosition)
{
    const ScrollNotifyRecord record { action, position, trackPosition };
    if (CScrollBarOwner* target = m_targetWindow.get()) {
        target->OnScrollBarNotify(m_targetMessage, record, *this);
    } else if (!m_targetWindow.IsSet() && m_targetMessage == 0) {
        if (auto* parentOwner = dynamic_cast<CScrollBarOwner*>(parentWidget()))
            parentOwner->OnScrollBarNotify(UM_SCROLLBAR_NOTIFY, record, *this);
    } else {
        DoScroll(action, m_lineStep);
    }
}

void CGdiScrollBar::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const QPoint point = event->position().toPoint();
    CalcLayout();
    const ScrollBarPart part = HitTestScrollBar(m_layout, m_vertical, point);
    if (part == PART_NONE)
        return;
    m_part = part;
    m_lastMousePoint = point;
    if (part == PART_THUMB) {
        m_dragOffset = QPoint(point.x() - m_layout.thumb.left, point.y() - m_layout.thumb.top);
    } else {
        m_pressTime = m_clock();
        m_repeatTimer.start();
        Notify(part, m_scrollInfo.position, 0);
    }
    update();
}

void CGdiScrollBar::OnTimer(int timerId)
{
    if (timerId != SCROLLBAR_REPEAT_TIMER_ID || m_part == PART_NONE || m_part == PART_THUMB)
        return;
    if (m_clock() - m_pressTime < SCROLLBAR_REPEAT_DELAY_MS)
        return;
    CalcLayout();
    if (RepeatArea(m_layout, m_vertical, ScrollBarPart(m_part)).Contains(m_lastMousePoint))
        Notify(m_part, m_scrollInfo.position, 0);
}

void CGdiScrollBar::mouseMoveEvent(QMouseEvent* event)
{
    if (!(event->buttons() & Qt::LeftButton)) {
        if (m_part != PART_NONE)
            EndPress();
        return;
    }
    m_lastMousePoint = event->position().toPoint();
    if (m_part != PART_THUMB)
        return;
    CalcLayout();
    const int track = DragTrackPosition(
        m_layout, m_vertical, m_scrollInfo.minimum, m_scrollInfo.maximum, m_lastMousePoint, m_dragOffset);
    if (track != m_scrollInfo.trackPosition) {
        m_scrollInfo.trackPosition = track;
        Notify(SCROLL_THUMB_TRACK, m_scrollInfo.position, track);
    }
    update();
}

void CGdiScrollBar::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const bool draggedThumb = m_part == PART_THUMB;
    EndPress();
    if (draggedThumb) {
        m_scrollInfo.trackPosition = m_scrollInfo.position;
        Notify(SCROLL_THUMB_END, m_scrollInfo.position, m_scrollInfo.position);
    }
}

void CGdiScrollBar::EndPress()
{
    m_repeatTimer.stop();
    m_part = PART_NONE;
    update();
}

void CGdiScrollBar::wheelEvent(QWheelEvent* event)
{
    const QPoint delta = event->angleDelta();
    const int steps = delta.y() != 0 ? delta.y() : delta.x();
    event->accept();
    // Touchpads open and close a scroll with events that turn nothing.
    if (steps == 0)
        return;
    Notify(steps <= 0 ? SCROLL_LINE_FORWARD : SCROLL_LINE_BACK, m_scrollInfo.position, 0);
}

void CGdiScrollBar::PaintArrow(QPainter& painter, const WinRect& rect, int arrow) const
{
    const bool pressed = m_part == arrow;
    const QImage& image = arrow == PART_ARROW1 ? m_arrow1Image : m_arrow2Image;
    const QImage& pressedImage = arrow == PART_ARROW1 ? m_arrow1PressedImage : m_arrow2PressedImage;
    const auto colour = [this](int number) { return m_colors[size_t(number - 1)]; };
    if (!image.isNull() || (pressed && !pressedImage.isNull())) {
        painter.fillRect(rect.ToQRect(), ToQColor(colour(ARROW_PICTURE_BACK)));
        const QImage& source = pressed && !pressedImage.isNull() ? pressedImage : image;
        painter.drawImage(rect.ToQRect(),
            m_shownArrows[size_t(arrow)].At(source, rect.ToQRect().size(), devicePixelRatioF()));
    } else {
        FillGradientV(painter, colour(pressed ? ARROW_PRESSED_FROM : ARROW_FROM),
            colour(pressed ? ARROW_PRESSED_TO : ARROW_TO), rect);
        painter.setPen(ToQColor(colour(ARROW_TRIANGLE)));
        painter.setBrush(ToQColor(colour(ARROW_TRIANGLE)));
        painter.drawPolygon(ArrowTriangle(rect, m_vertical, arrow == PART_ARROW2));
        painter.setBrush(Qt::NoBrush);
        DrawFrameRect(painter, colour(ARROW_FRAME), rect);
    }
    const bool active = arrow == PART_ARROW1 ? m_arrow1Active : m_arrow2Active;
    if (isEnabled() && !active)
        painter.fillRect(rect.ToQRect(), m_veilColor);
}

void CGdiScrollBar::paintEvent(QPaintEvent*)
{
    CalcLayout();
    QPainter painter(this);
    const auto colour = [this](int number) { return m_colors[size_t(number - 1)]; };
    painter.fillRect(rect(), ToQColor(colour(ARROW_PICTURE_BACK)));
    PaintArrow(painter, m_layout.arrow1, PART_ARROW1);
    PaintArrow(painter, m_layout.arrow2, PART_ARROW2);

    const WinRect& track = m_layout.track;
    if (!track.IsEmpty()) {
        if (m_vertical)
            FillGradientV(painter, colour(TRACK_FROM), colour(TRACK_TO), track);
        else
            FillGradientH(painter, colour(TRACK_FROM), colour(TRACK_TO), track);
        DrawFrameRect(painter, colour(TRACK_FRAME), track);
        const WinRect inner = m_vertical
            ? WinRect { track.left + 1, track.top, track.right - 1, track.bottom }
            : WinRect { track.left, track.top + 1, track.right, track.bottom - 1 };
        DrawFrameRect(painter, colour(TRACK_INNER_FRAME), inner);
    }
    const WinRect& thumb = m_layout.thumb;
    if (!thumb.IsEmpty()) {
        const bool dragged = m_part == PART_THUMB;
        const COLORREF from = colour(dragged ? THUMB_DRAGGED_FROM : THUMB_FROM);
        const COLORREF to = colour(dragged ? THUMB_DRAGGED_TO : THUMB_TO);
        if (m_vertical)
            FillGradientH(painter, from, to, thumb);
        else
            FillGradientV(painter, from, to, thumb);
        DrawFrameRect(painter, colour(THUMB_FRAME), thumb);
    }
    if (!isEnabled())
        painter.fillRect(rect(), m_veilColor);
}
