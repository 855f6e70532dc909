#include "viewer/viewer_window.h"

#include "viewer/lux_viewer.h"
#include "viewer/output_layout.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QPainter>
#include <QScreen>
#include <QTextStream>

CViewerWindow::CViewerWindow(CLuxViewer& viewer, const QRect& previewRect, int startViewerMode)
    : QOpenGLWindow(QOpenGLWindow::NoPartialUpdate)
    , m_viewer(viewer)
    , m_previewRect(previewRect)
{
    setTitle(QStringLiteral("Luxviewer"));
    setGeometry(m_previewRect);
    connect(this, &QWindow::windowStateChanged, this, &CViewerWindow::OnStateChanged);
    if (startViewerMode != 1)
        show();
}

CViewerWindow::~CViewerWindow()
{
    // The renderer's textures belong to this window's context.
    makeCurrent();
}

bool CViewerWindow::CanDraw(QString* reason)
{
    QOpenGLContext context;
    context.setFormat(QSurfaceFormat::defaultFormat());
    QOffscreenSurface surface;
    surface.setFormat(context.format());
    surface.create();
    if (!context.create() || !context.makeCurrent(&surface)) {
        *reason = QStringLiteral("no OpenGL context can be made on this display");
        return false;
    }
    const QSurfaceFormat format = context.format();
    context.doneCurrent();
    if (std::make_pair(format.majorVersion(), format.minorVersion()) < std::make_pair(3, 3)) {
        *reason = QStringLiteral("OpenGL 3.3 is needed, %1.%2 is there")
                      .arg(format.majorVersion())
                      .arg(format.minorVersion());
        return false;
    }
    return true;
}

QScreen* CViewerWindow::ProjectorScreen() const
{
    const QString name = m_viewer.Channel().DisplayName();
    for (QScreen* screen : QGuiApplication::screens()) {
        if (!name.isEmpty() && screen->name() == name)
            return screen;
    }
    return QGuiApplication::primaryScreen();
}

QSize CViewerWindow::DisplaySize() const
{
    const QScreen* screen = ProjectorScreen();
    if (!screen)
        return m_previewRect.size();
    return screen->geometry().size() * screen->devicePixelRatio();
}

void CViewerWindow::SetScreen(bool on, int viewerMode)
{
    if (on) {
        if (!m_screenOn && isVisible() && windowState() == Qt::WindowNoState)
            m_previewRect = geometry();
        m_screenOn = true;
        if (QScreen* screen = ProjectorScreen()) {
            setScreen(screen);
            // Without a window manager a full-screen window keeps the size it had: give it the
            // display's first.
            setGeometry(screen->geometry());
        }
        showFullScreen();
        requestActivate();
    } else {
        m_screenOn = false;
        if (viewerMode == 1) {
            hide();
        } else {
            showNormal();
            setGeometry(m_previewRect);
        }
    }
    UpdateCursor();
    update();
}

QRect CViewerWindow::WindowRect() const
{
    if (!m_screenOn && isVisible() && windowState() == Qt::WindowNoState)
        return geometry();
    return m_previewRect;
}

void CViewerWindow::UpdateCursor()
{
    // On the projector the pointer would show in the show; with GUIDE it is needed.
    if (m_screenOn && !m_viewer.IsGuideOn())
        setCursor(Qt::BlankCursor);
    else
        unsetCursor();
}

void CViewerWindow::initializeGL()
{
    m_rendererReady = m_renderer.Initialize();
    if (!m_rendererReady)
        QTextStream(stderr) << "Luxviewer: OpenGL: " << m_renderer.LastError() << Qt::endl;
}

void CViewerWindow::paintGL()
{
    if (!m_rendererReady)
        return;
    const QSize framebuffer = size() * devicePixelRatio();
    const QSize canvas = m_viewer.Canvas();
    m_viewer.Draw(m_renderer, framebuffer, CanvasViewport(canvas, framebuffer));
    if (m_viewer.IsGuideOn()) {
        QPainter painter(this);
        PaintGuide(painter, m_viewer.GuideFaces(), canvas, CanvasViewport(canvas, size()));
    }
    UpdateCursor();
}

QPointF CViewerWindow::ToCanvas(QPointF windowPoint) const
{
    return WindowToCanvas(windowPoint, m_viewer.Canvas(), size());
}

void CViewerWindow::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const QSize canvas = m_viewer.Canvas();
    m_viewer.PressOnCanvas(
        ToCanvas(event->position()), GuideHandleRadius(canvas, CanvasViewport(canvas, size())));
}

void CViewerWindow::mouseMoveEvent(QMouseEvent* event)
{
    if (event->buttons() & Qt::LeftButton)
        m_viewer.MoveOnCanvas(ToCanvas(event->position()));
}

void CViewerWindow::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        m_viewer.ReleaseOnCanvas(ToCanvas(event->position()));
}

void CViewerWindow::keyPressEvent(QKeyEvent* event)
{
    m_viewer.KeyPressed(event->key(), event->modifiers().testFlag(Qt::ControlModifier));
}

bool CViewerWindow::event(QEvent* event)
{
    // The window is the editor's to close: closing it from the desktop is not taken.
    if (event->type() == QEvent::Close) {
        event->ignore();
        return true;
    }
    return QOpenGLWindow::event(event);
}

void CViewerWindow::OnStateChanged(Qt::WindowState state)
{
    const bool minimised = state == Qt::WindowMinimized;
    if (minimised == m_minimised)
        return;
    m_minimised = minimised;
    m_viewer.WindowMinimised(minimised);
}
