#include "controls/grad_static.h"

#include "controls/gdi_scroll_bar.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QPainter>

using namespace controls;

CGradStatic::CGradStatic(QWidget* parent)
    : CGradStatic(QString(), parent)
{
}

CGradStatic::CGradStatic(const QString& text, QWidget* parent)
    : QLabel(text, parent)
{
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

void CGradStatic::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const WinRect client = WinRect::FromQRect(rect());
    if (m_vertical)
        CGdiScrollBar::FillGradientV(painter, m_gradientFrom, m_gradientTo, client);
    else
        CGdiScrollBar::FillGradientH(painter, m_gradientFrom, m_gradientTo, client);
    if (m_frame) {
        painter.setPen(QPen(ToQColor(m_frameColor), 0, m_frameStyle));
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
    painter.setPen(ToQColor(m_textColor));
    painter.setFont(font());
    painter.drawText(rect(), int(alignment()) | Qt::TextSingleLine, text());
    if (m_underline) {
        painter.setPen(QColor(119, 119, 119));
        painter.drawLine(0, height() - 1, width() - 1, height() - 1);
    }
}

void CGradStatic::ForwardToParent(QMouseEvent* event)
{
    QWidget* parent = parentWidget();
    if (!parent)
        return;
    QMouseEvent forwarded(event->type(), mapToParent(event->position()), event->scenePosition(),
        event->globalPosition(), event->button(), event->buttons(), event->modifiers());
    QCoreApplication::sendEvent(parent, &forwarded);
}

void CGradStatic::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton && event->button() != Qt::RightButton) {
        QLabel::mousePressEvent(event);
        return;
    }
    ForwardToParent(event);
    event->accept();
}

void CGradStatic::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton && event->button() != Qt::RightButton) {
        QLabel::mouseReleaseEvent(event);
        return;
    }
    ForwardToParent(event);
    event->accept();
}
