#include "timeline/time_line.h"

#include "controls/gdi_scroll_bar.h"
#include "timeline/timeline_messages.h"

#include <QGuiApplication>
#include <QMenu>
#include <QPainter>

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
{
    setProperty("controlId", timeline::TIMELINE_CONTROL_ID);
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
    setFocusPolicy(Qt::StrongFocus);
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
}

void CTimeLine::RecalcLayout()
{
    const QRect client = rect();
    CTimeLineModel::RecalcLayout(TlRect {
        client.left(), client.top(), client.left() + client.width(), client.top() + client.height() });
}

void CTimeLine::RepaintControl()
{
    update();
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

void CTimeLine::paintEvent(QPaintEvent*)
{
    // The background only; the rows, items and markers are drawn by the timeline's painting.
    QPainter painter(this);
    painter.fillRect(rect(), controls::ToQColor(Appearance().Color(0)));
}

void CTimeLine::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    RecalcLayout();
}
