#pragma once

#include "timeline/timeline_model.h"

#include <QWidget>
#include <memory>

class CGdiScrollBar;
class QMenu;

// Turns the pop-up menu's data into a QMenu: popups become sub-menus, commands actions that
// carry their command id as data, greyed and checked as the data says.
void FillContextMenu(QMenu& menu, const timeline::MenuEntry& entry);

// The timeline control: the view's child window that shows the faces as rows and their items as
// bars on a time axis. Everything it does without a window lies in CTimeLineModel, whose
// operations it offers as its own; the widget adds the window, the scroll bars and painting.
class CTimeLine : public QWidget, public CTimeLineModel {
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

protected:
    void RepaintControl() override;
    void ShowWaitCursor(bool show) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    class CScrollBarLink;
    std::unique_ptr<CScrollBarLink> m_horzLink;
    std::unique_ptr<CScrollBarLink> m_vertLink;
    bool m_waitCursor = false;
};
