#pragma once

#include "viewer/face_renderer.h"
#include "viewer/viewer_output.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QObject>
#include <QString>
#include <deque>
#include <memory>

class CLuxViewer;
class QOffscreenSurface;
class QOpenGLContext;
class QSocketNotifier;

// Draws the current frame off screen, the way the output window does (the canvas at its own
// size, with the GUIDE overlay when GUIDE is on), in an OpenGL context of its own that is made
// on first use.
class COffscreenFrame {
public:
    COffscreenFrame();
    ~COffscreenFrame();
    COffscreenFrame(const COffscreenFrame&) = delete;
    COffscreenFrame& operator=(const COffscreenFrame&) = delete;

    // A null image, with the reason, when no OpenGL context can be had.
    QImage Render(CLuxViewer& viewer, QString* error);

private:
    bool MakeCurrent(QString* error);

    std::unique_ptr<QOffscreenSurface> m_surface;
    std::unique_ptr<QOpenGLContext> m_context;
    std::unique_ptr<CFaceRenderer> m_renderer;
};

// The viewer without a window (--headless), for tests: the same block, clock and media, and
// lines on standard input that ask for what a test cannot read from the block:
//   render <path>   writes the current frame as a PNG once every face has its picture for the
//                   time (at most a few seconds later) and answers "rendered <path>" or
//                   "failed <path>: <reason>";
//   state           answers "state screen=<0|1> mode=<0|1> guide=<0|1> loop=<0|1> playing=<0|1>
//                   time=<hundredths> faces=<count> selected=<face>".
// Answers are lines on standard output.
class CHeadlessOutput : public QObject, public CViewerOutput {
    Q_OBJECT
public:
    // How long a render waits for the media of the current time.
    static constexpr int kRenderWaitMs = 5000;

    CHeadlessOutput(CLuxViewer& viewer, const QRect& rect);
    ~CHeadlessOutput() override;

    void SetScreen(bool on, int viewerMode) override;
    QRect WindowRect() const override { return m_rect; }
    QSize DisplaySize() const override { return m_rect.size(); }
    void Refresh() override { }

private:
    struct RenderRequest {
        QString path;
        QElapsedTimer waiting;
    };
    void ReadInput();
    void RunLine(const QByteArray& line);
    void ServeRenders();
    void Answer(const QString& line);

    CLuxViewer& m_viewer;
    const QRect m_rect;
    bool m_screenOn = false;
    int m_viewerMode = 0;
    QFile m_input;
    std::unique_ptr<QSocketNotifier> m_inputNotifier;
    QByteArray m_partLine;
    std::deque<RenderRequest> m_renders;
    COffscreenFrame m_frame;
};
