#pragma once

#include "viewer/face_renderer.h"
#include "viewer/viewer_output.h"

#include <QOpenGLWindow>
#include <QRect>

class CLuxViewer;
class QScreen;

// The output window. SCREEN on shows it full screen on the projector's display (the display
// the editor names, else the primary one); SCREEN off, in the dual start mode, brings it back
// as a preview window at its own place on the desktop, and in the single mode hides it. The
// show goes on in the background either way. While GUIDE is on, the mouse moves face corners
// and picks faces; keys go to the editor.
class CViewerWindow : public QOpenGLWindow, public CViewerOutput {
    Q_OBJECT
public:
    // The preview rectangle is where the window stands when it is not full screen; the start
    // mode says whether it shows at start (dual) or waits for SCREEN on (single).
    CViewerWindow(CLuxViewer& viewer, const QRect& previewRect, int startViewerMode);
    ~CViewerWindow() override;

    // True when this machine gives the window the OpenGL it draws with; otherwise the reason.
    // (A window without a context cannot even be painted, so the program asks first.)
    static bool CanDraw(QString* reason);

    void SetScreen(bool on, int viewerMode) override;
    QRect WindowRect() const override;
    QSize DisplaySize() const override;
    void Refresh() override { update(); }

protected:
    void initializeGL() override;
    void paintGL() override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool event(QEvent* event) override;

private:
    QScreen* ProjectorScreen() const;
    QPointF ToCanvas(QPointF windowPoint) const;
    void OnStateChanged(Qt::WindowState state);
    void UpdateCursor();

    CLuxViewer& m_viewer;
    CFaceRenderer m_renderer;
    QRect m_previewRect;
    bool m_screenOn = false;
    bool m_minimised = false;
    bool m_rendererReady = false;
};
