#pragma once

#include "timeline/timeline_controller.h"
#include "timeline/timeline_model.h"
#include "timeline/timeline_pictures.h"
#include "timeline/timeline_renderer.h"

#include <QImage>
#include <QRegion>
#include <QWidget>
#include <memory>

class CGdiScrollBar;
class QMenu;

// Turns the pop-up menu's data into a QMenu: popups become sub-menus, commands actions that
// carry their command id as data, greyed and checked as the data says.
void FillContextMenu(QMenu& menu, const timeline::MenuEntry& entry);

// The timeline control: the view's child window that shows the faces as rows and their items as
// bars on a time axis. Everything it does without a window lies in CTimeLineModel, whose
// operations it offers as its own; the painting is CTimeLineRenderer's and the mouse and keys
// CTimeLineController's. The widget forwards its events to them, keeps the painted rows and
// items in an off-screen image and the thumbnails in a cache, and repaints only what changed: a
// play-clock tick repaints the playhead's old and new strips over the image kept.
class CTimeLine : public QWidget, public CTimeLineModel, private CTimeLineControllerHost {
    Q_OBJECT

public:
    explicit CTimeLine(QWidget* parent = nullptr);
    ~CTimeLine() override;

    // Creates the child window at the rectangle (control id 1000, accepting dropped files) and
    // lays it out. The skin (SetSkin) and the language texts come before it.
    bool CreateTimeLine(QWidget* parent, const QRect& rect);
    // The view's two scroll bars (ids 1001 horizontal, 1002 vertical); either may be null.
    void AttachScrollBars(CGdiScrollBar* horizontal, CGdiScrollBar* vertical);
    // Shows the pop-up menu for the last right-button release at a screen point and runs the
    // command chosen.
    void ShowContextMenu(const QPoint& screenPoint);
    // Lays the rows out again after the view resized the control.
    void RecalcLayout();
    using CTimeLineModel::RecalcLayout;

    CTimeLineController& Controller() { return *m_controller; }
    const CTimeLinePictures& Pictures() const { return m_pictures; }
    // How many times the rows and items were painted into the off-screen image, and the area
    // painted last; for tests that check what a change repaints.
    int RestPaintCount() const { return m_restPaints; }

protected:
    void RepaintControl() override;
    void ShowWaitCursor(bool show) override;
    void PlayPositionChanged(int32_t oldTime) override;
    void InOutPositionChanged(int32_t oldIn, int32_t oldOut) override;

    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // CTimeLineControllerHost
    void CaptureMouse(bool capture) override;
    void SetCursorId(int cursorId) override;
    void TakeFocus() override;
    void RepaintAll() override;
    void RepaintFeedback() override;

    // What the rest picture shows, in short: a paint that finds it changed paints the rows
    // again, whoever changed the model and whether or not a repaint was asked for.
    struct RestKey {
        int firstColumn = 0;
        int firstRow = 0;
        int zoomMode = 0;
        int currentFace = 0;
        int effectDisplay = 0;
        size_t content = 0;
        size_t selectionHash = 0;
        int dragLayer = 0;
        int dropRow = 0;
        int pointerY = 0;
        TlItemRef held;
        int effectSide = 0;
        bool operator==(const RestKey&) const = default;
    };
    RestKey MakeRestKey() const;

    class CScrollBarLink;
    std::unique_ptr<CScrollBarLink> m_horzLink;
    std::unique_ptr<CScrollBarLink> m_vertLink;
    bool m_waitCursor = false;
    CTimeLinePictures m_pictures;
    CTimeLineRenderer m_renderer;
    std::unique_ptr<CTimeLineController> m_controller;
    QImage m_rest; // the rows and items as painted last
    QRegion m_restDirty; // parts of m_rest to paint again
    RestKey m_restKey;
    int m_restPaints = 0;
};
