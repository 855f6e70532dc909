#include "timeline/time_line.h"

#include "controls/gdi_scroll_bar.h"
#include "timeline/timeline_messages.h"

#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QUrl>
#include <cmath>

using namespace timeline;

namespace {

TlModifiers ModifiersOf(Qt::KeyboardModifiers modifiers)
{
    // Window managers often keep Alt-drags for moving windows: Meta links as well.
    return TlModifiers { modifiers.testFlag(Qt::ControlModifier),
        modifiers.testFlag(Qt::AltModifier) || modifiers.testFlag(Qt::MetaModifier) };
}

// The keys held after a key event: the event's own modifier key counts as pressed or released.
TlModifiers ModifiersAfter(const QKeyEvent& event)
{
    Qt::KeyboardModifiers modifiers = event.modifiers();
    Qt::KeyboardModifier own = Qt::NoModifier;
    switch (event.key()) {
    case Qt::Key_Control:
        own = Qt::ControlModifier;
        break;
    case Qt::Key_Alt:
        own = Qt::AltModifier;
        break;
    case Qt::Key_Meta:
        own = Qt::MetaModifier;
        break;
    default:
        break;
    }
    if (own != Qt::NoModifier)
        modifiers.setFlag(own, event.type() == QEvent::KeyPress);
    return ModifiersOf(modifiers);
}

QStringList LocalFiles(const QMimeData* data)
{
    QStringList paths;
    if (!data || !data->hasUrls())
        return paths;
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile())
            paths << url.toLocalFile();
    }
    return paths;
}

} // namespace

// One of the view's scroll bars as the model drives it.
class CTimeLine::CScrollBarLink final : public CTimeLineScrollBar {
public:
    explicit CScrollBarLink(CGdiScrollBar* bar)
        : m_bar(bar)
    {
    }
    void SetScrollRange(int maximum) override { m_bar->SetScrollRange(maximum); }
    int GetScrollMax() const override { return m_bar->m_scrollInfo.maximum; }
    void SetScrollPos(int position) override { m_bar->SetScrollPos(position); }
    int GetScrollPos() const override { return m_bar->GetScrollPos(); }

private:
    CGdiScrollBar* m_bar;
};

void FillContextMenu(QMenu& menu, const timeline::MenuEntry& entry)
{
    using Kind = timeline::MenuEntry::Kind;
    for (const timeline::MenuEntry& child : entry.entries) {
        switch (child.kind) {
        case Kind::Separator:
            menu.addSeparator();
            break;
        case Kind::Popup:
            FillContextMenu(*menu.addMenu(child.text), child);
            break;
        case Kind::Command: {
            QAction* action = menu.addAction(child.text);
            action->setData(child.commandId);
            action->setEnabled(child.enabled);
            action->setCheckable(child.checked);
            action->setChecked(child.checked);
            break;
        }
        }
    }
}

CTimeLine::CTimeLine(QWidget* parent)
    : QWidget(parent)
    , m_renderer(m_pictures)
    , m_controller(std::make_unique<CTimeLineController>(
          static_cast<CTimeLineModel&>(*this), static_cast<CTimeLineControllerHost&>(*this)))
{
    setProperty("controlId", timeline::TIMELINE_CONTROL_ID);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    // The widget paints every pixel itself, from its own image.
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_pictures.SetChangedHandler([this] { RepaintAll(); });
}

CTimeLine::~CTimeLine()
{
    if (m_waitCursor)
        QGuiApplication::restoreOverrideCursor();
}

bool CTimeLine::CreateTimeLine(QWidget* parent, const QRect& rect)
{
    setParent(parent);
    setGeometry(rect);
    setAcceptDrops(true);
    show();
    RecalcLayout();
    return true;
}

void CTimeLine::AttachScrollBars(CGdiScrollBar* horizontal, CGdiScrollBar* vertical)
{
    m_horzLink = horizontal ? std::make_unique<CScrollBarLink>(horizontal) : nullptr;
    m_vertLink = vertical ? std::make_unique<CScrollBarLink>(vertical) : nullptr;
    SetScrollBars(m_horzLink.get(), m_vertLink.get());
}

void CTimeLine::ShowContextMenu(const QPoint& screenPoint)
{
    QMenu menu(this);
    FillContextMenu(menu, BuildContextMenu());
    setCursor(Qt::ArrowCursor);
    if (const QAction* chosen = menu.exec(screenPoint))
        RunCommand(chosen->data().toInt());
    // A command may change faces, items or the panel without asking for a repaint itself.
    RepaintAll();
}

void CTimeLine::RecalcLayout()
{
    const QRect client = rect();
    CTimeLineModel::RecalcLayout(TlRect {
        client.left(), client.top(), client.left() + client.width(), client.top() + client.height() });
    RepaintAll();
}

// ---- Repaint requests ---------------------------------------------------------------------------

void CTimeLine::RepaintControl()
{
    RepaintAll();
}

void CTimeLine::RepaintAll()
{
    m_restDirty = QRegion(rect());
    update();
}

void CTimeLine::RepaintFeedback()
{
    update();
}

void CTimeLine::PlayPositionChanged(int32_t oldTime)
{
    // Only the strips the playhead leaves and enters; the rows under them are kept.
    QRegion strips(CTimeLineRenderer::PlayheadStrip(Viewport(), oldTime));
    strips += CTimeLineRenderer::PlayheadStrip(Viewport(), PlayPosition());
    update(strips & rect());
}

void CTimeLine::InOutPositionChanged(int32_t, int32_t)
{
    RepaintFeedback();
}

void CTimeLine::ShowWaitCursor(bool show)
{
    if (show == m_waitCursor)
        return;
    m_waitCursor = show;
    if (show)
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QGuiApplication::restoreOverrideCursor();
}

// ---- Painting ---------------------------------------------------------------------------------

CTimeLine::RestKey CTimeLine::MakeRestKey() const
{
    RestKey key;
    key.firstColumn = FirstColumn();
    key.firstRow = FirstRow();
    key.zoomMode = ZoomMode();
    key.currentFace = CurrentFace();
    key.effectDisplay = EffectDisplay();
    key.content = RestPictureSignature(*this, Viewport());
    size_t hash = Selection().size();
    for (const tagTL_FACE_ITEM_DATA& item : Selection())
        hash = hash * 31 + size_t(uint32_t(item.FaceNo)) * 1000003u + size_t(uint32_t(item.Start));
    key.selectionHash = hash;
    // The drag states that change how rows and items are drawn.
    const TlDragFeedback& drag = m_controller->Feedback();
    const int state = MouseState();
    if (state == TL_MOUSE_ITEM_MOVE) {
        key.dragLayer = state;
    } else if (state == TL_MOUSE_FACE_MOVE || state == TL_MOUSE_FACE_COPY) {
        key.dragLayer = state;
        key.dropRow = drag.faceDropRow;
        key.pointerY = drag.pointerY;
    } else if (state == TL_MOUSE_EFFECT_DOWN || state == TL_MOUSE_EFFECT_DRAG) {
        key.dragLayer = TL_MOUSE_EFFECT_DRAG;
        key.held = drag.held;
        key.effectSide = drag.effectSide;
    }
    return key;
}

void CTimeLine::paintEvent(QPaintEvent* event)
{
    const qreal dpr = devicePixelRatioF();
    const QSize pixels(int(std::ceil(width() * dpr)), int(std::ceil(height() * dpr)));
    if (m_rest.size() != pixels || m_rest.devicePixelRatio() != dpr) {
        m_rest = QImage(pixels, QImage::Format_ARGB32_Premultiplied);
        m_rest.setDevicePixelRatio(dpr);
        m_restDirty = QRegion(rect());
    }
    const RestKey key = MakeRestKey();
    if (!(key == m_restKey)) {
        m_restKey = key;
        m_restDirty = QRegion(rect());
    }
    const TlDragFeedback& drag = m_controller->Feedback();
    const QRegion exposed = event->region();
    // The rows and items are painted again only where they changed; everything else, an expose
    // or an update asked for by someone else included, comes from the image kept.
    const QRegion render = exposed.intersected(m_restDirty);
    if (!render.isEmpty()) {
        QPainter rest(&m_rest);
        for (const QRect& part : render)
            m_renderer.PaintRest(rest, part, *this, Viewport(), Appearance(), drag);
        m_restDirty -= render;
        ++m_restPaints;
    }

    QPainter painter(this);
    for (const QRect& part : exposed) {
        painter.drawImage(
            part, m_rest, QRectF(part.x() * dpr, part.y() * dpr, part.width() * dpr, part.height() * dpr));
        m_renderer.PaintOverlay(painter, part, *this, Viewport(), Appearance(), drag);
    }
}

void CTimeLine::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    RecalcLayout();
}

void CTimeLine::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::EnabledChange) {
        m_renderer.SetEnabled(isEnabled());
        RepaintAll();
    }
}

// ---- Mouse and keys ---------------------------------------------------------------------------

void CTimeLine::mousePressEvent(QMouseEvent* event)
{
    const QPoint point = event->position().toPoint();
    if (event->button() == Qt::LeftButton)
        m_controller->OnLButtonDown(point.x(), point.y(), ModifiersOf(event->modifiers()));
    event->accept();
}

void CTimeLine::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint point = event->position().toPoint();
    m_controller->OnMouseMove(point.x(), point.y(), ModifiersOf(event->modifiers()));
    event->accept();
}

void CTimeLine::mouseReleaseEvent(QMouseEvent* event)
{
    const QPoint point = event->position().toPoint();
    if (event->button() == Qt::LeftButton) {
        m_controller->OnLButtonUp(point.x(), point.y(), ModifiersOf(event->modifiers()));
    } else if (event->button() == Qt::RightButton) {
        setFocus(Qt::MouseFocusReason);
        if (OnRButtonUp(point.x(), point.y(), event->modifiers().testFlag(Qt::ControlModifier)))
            ShowContextMenu(event->globalPosition().toPoint());
    }
    event->accept();
}

void CTimeLine::mouseDoubleClickEvent(QMouseEvent* event)
{
    // The double click replaces the second press; it is not handled as one.
    if (event->button() == Qt::LeftButton) {
        const QPoint point = event->position().toPoint();
        m_controller->OnLButtonDblClk(point.x(), point.y());
    }
    event->accept();
}

void CTimeLine::keyPressEvent(QKeyEvent* event)
{
    if (m_controller->OnKeyDown(event->key(), ModifiersAfter(*event)))
        event->accept();
    else
        QWidget::keyPressEvent(event);
}

void CTimeLine::keyReleaseEvent(QKeyEvent* event)
{
    m_controller->OnModifiers(ModifiersAfter(*event));
    QWidget::keyReleaseEvent(event);
}

void CTimeLine::contextMenuEvent(QContextMenuEvent* event)
{
    // The pop-up menu opens on the right button's release; the view gets no menu of its own.
    event->accept();
}

// ---- Dropped files ----------------------------------------------------------------------------

void CTimeLine::dragEnterEvent(QDragEnterEvent* event)
{
    if (!LocalFiles(event->mimeData()).isEmpty())
        event->acceptProposedAction();
    else
        event->ignore();
}

void CTimeLine::dragMoveEvent(QDragMoveEvent* event)
{
    // Files land only on a face row.
    const QPoint point = event->position().toPoint();
    if (HitTestFaceRow(point.x(), point.y()).faceNo >= 0 && !LocalFiles(event->mimeData()).isEmpty())
        event->acceptProposedAction();
    else
        event->ignore();
}

void CTimeLine::dropEvent(QDropEvent* event)
{
    const QStringList paths = LocalFiles(event->mimeData());
    const QPoint point = event->position().toPoint();
    if (paths.isEmpty()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    DropFiles(paths, point.x(), point.y());
    RepaintAll();
}

// ---- The controller's host --------------------------------------------------------------------

void CTimeLine::CaptureMouse(bool)
{
    // The window keeps the mouse while a button is held (Qt's implicit grab); nothing more is
    // taken, so a lost release can never leave the desktop without its mouse.
}

void CTimeLine::SetCursorId(int cursorId)
{
    switch (cursorId) {
    case TL_CURSOR_COPY:
        setCursor(Qt::DragCopyCursor);
        break;
    case TL_CURSOR_LINK:
        setCursor(Qt::DragLinkCursor);
        break;
    case TL_CURSOR_TRIM_LEFT:
    case TL_CURSOR_TRIM_RIGHT:
        setCursor(Qt::SizeHorCursor);
        break;
    case TL_CURSOR_EFFECT_EDGE:
        setCursor(Qt::SplitHCursor);
        break;
    default:
        setCursor(Qt::ArrowCursor);
        break;
    }
}

void CTimeLine::TakeFocus()
{
    setFocus(Qt::MouseFocusReason);
}
