#include "viewer/headless_output.h"

#include "viewer/lux_viewer.h"

#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFramebufferObject>
#include <QOpenGLPaintDevice>
#include <QPainter>
#include <QSocketNotifier>
#include <QTextStream>

COffscreenFrame::COffscreenFrame() = default;

COffscreenFrame::~COffscreenFrame()
{
    if (m_context && m_surface)
        m_context->makeCurrent(m_surface.get());
    m_renderer.reset();
}

bool COffscreenFrame::MakeCurrent(QString* error)
{
    if (!m_context) {
        QSurfaceFormat format;
        format.setVersion(3, 3);
        format.setProfile(QSurfaceFormat::CoreProfile);
        auto context = std::make_unique<QOpenGLContext>();
        context->setFormat(format);
        if (!context->create()) {
            *error = QStringLiteral("no OpenGL context");
            return false;
        }
        auto surface = std::make_unique<QOffscreenSurface>();
        surface->setFormat(context->format());
        surface->create();
        m_context = std::move(context);
        m_surface = std::move(surface);
    }
    if (!m_context->makeCurrent(m_surface.get())) {
        *error = QStringLiteral("the OpenGL context cannot be made current");
        return false;
    }
    if (!m_renderer) {
        auto renderer = std::make_unique<CFaceRenderer>();
        if (!renderer->Initialize()) {
            *error = renderer->LastError();
            return false;
        }
        m_renderer = std::move(renderer);
    }
    return true;
}

QImage COffscreenFrame::Render(CLuxViewer& viewer, QString* error)
{
    const QSize canvas = viewer.Canvas();
    if (canvas.isEmpty()) {
        *error = QStringLiteral("no canvas");
        return {};
    }
    if (!MakeCurrent(error))
        return {};
    QOpenGLFramebufferObject target(canvas, QOpenGLFramebufferObject::CombinedDepthStencil);
    if (!target.isValid() || !target.bind()) {
        *error = QStringLiteral("no frame buffer of %1 x %2").arg(canvas.width()).arg(canvas.height());
        return {};
    }
    const QRectF whole(QPointF(0, 0), QSizeF(canvas));
    viewer.Draw(*m_renderer, canvas, whole);
    if (viewer.IsGuideOn()) {
        QOpenGLPaintDevice device(canvas);
        QPainter painter(&device);
        PaintGuide(painter, viewer.GuideFaces(), canvas, whole);
    }
    QImage image = target.toImage().convertToFormat(QImage::Format_RGB32);
    target.release();
    return image;
}

CHeadlessOutput::CHeadlessOutput(CLuxViewer& viewer, const QRect& rect)
    : m_viewer(viewer)
    , m_rect(rect)
{
    if (m_input.open(0, QIODevice::ReadOnly | QIODevice::Unbuffered)) {
        m_inputNotifier = std::make_unique<QSocketNotifier>(0, QSocketNotifier::Read);
        connect(m_inputNotifier.get(), &QSocketNotifier::activated, this, &CHeadlessOutput::ReadInput);
    }
    connect(&m_viewer, &CLuxViewer::Ticked, this, &CHeadlessOutput::ServeRenders);
}

CHeadlessOutput::~CHeadlessOutput() = default;

void CHeadlessOutput::SetScreen(bool on, int viewerMode)
{
    m_screenOn = on;
    m_viewerMode = viewerMode;
}

void CHeadlessOutput::ReadInput()
{
    // One byte per notice: a read of more would wait for the rest of a line not yet written.
    char byte = 0;
    const qint64 got = m_input.read(&byte, 1);
    if (got <= 0) {
        m_inputNotifier->setEnabled(false);
        return;
    }
    if (byte != '\n') {
        if (m_partLine.size() < 4096)
            m_partLine.append(byte);
        return;
    }
    const QByteArray line = std::exchange(m_partLine, {});
    RunLine(line.trimmed());
}

void CHeadlessOutput::RunLine(const QByteArray& line)
{
    if (line.startsWith("render ")) {
        RenderRequest request { QString::fromUtf8(line.mid(7)).trimmed(), {} };
        request.waiting.start();
        m_renders.push_back(std::move(request));
        return;
    }
    if (line == "state") {
        const CPlayClock& clock = m_viewer.Clock();
        int32_t selected = 0;
        for (const GuideFace& face : m_viewer.GuideFaces()) {
            if (face.selected)
                selected = face.faceNo;
        }
        Answer(
            QStringLiteral("state screen=%1 mode=%2 guide=%3 loop=%4 playing=%5 time=%6 faces=%7 selected=%8")
                .arg(m_screenOn ? 1 : 0)
                .arg(m_viewerMode)
                .arg(m_viewer.IsGuideOn() ? 1 : 0)
                .arg(clock.Loop() ? 1 : 0)
                .arg(clock.IsPlaying() ? 1 : 0)
                .arg(clock.Time())
                .arg(m_viewer.Scene().Faces().size())
                .arg(selected));
        return;
    }
    if (!line.isEmpty())
        Answer(QStringLiteral("unknown %1").arg(QString::fromUtf8(line)));
}

void CHeadlessOutput::ServeRenders()
{
    while (!m_renders.empty()) {
        RenderRequest& request = m_renders.front();
        if (!m_viewer.IsFrameReady() && request.waiting.elapsed() < kRenderWaitMs)
            return;
        QString error;
        const QImage image = m_frame.Render(m_viewer, &error);
        if (image.isNull())
            Answer(QStringLiteral("failed %1: %2").arg(request.path, error));
        else if (!image.save(request.path, "PNG"))
            Answer(QStringLiteral("failed %1: the file cannot be written").arg(request.path));
        else
            Answer(QStringLiteral("rendered %1").arg(request.path));
        m_renders.pop_front();
    }
}

void CHeadlessOutput::Answer(const QString& line)
{
    QTextStream out(stdout);
    out << line << Qt::endl;
}
