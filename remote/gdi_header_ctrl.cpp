#include "remote/gdi_header_ctrl.h"

#include <QLinearGradient>
#include <QPainter>

using controls::ToQColor;

Qt::Alignment HeaderAlignToQt(int align)
{
    switch (align) {
    case CGdiHeaderCtrl::AlignCenter:
        return Qt::AlignHCenter;
    case CGdiHeaderCtrl::AlignRight:
        return Qt::AlignRight;
    default:
        return Qt::AlignLeft;
    }
}

CGdiHeaderCtrl::CGdiHeaderCtrl(QWidget* parent)
    : QHeaderView(Qt::Horizontal, parent)
{
    setSectionsClickable(true);
    setStretchLastSection(false);
    setHighlightSections(false);
}

void CGdiHeaderCtrl::SetBkColor(COLORREF top, COLORREF bottom)
{
    m_bkColor1 = top;
    m_bkColor2 = bottom;
}

QString CGdiHeaderCtrl::GetText(int column) const
{
    const auto found = m_texts.find(column);
    return found == m_texts.end() ? QString() : found->second;
}

void CGdiHeaderCtrl::SetTextAlign(int column, int format)
{
    if (format & kFormatCenter)
        m_aligns[column] = AlignCenter;
    else if (format & kFormatRight)
        m_aligns[column] = AlignRight;
}

int CGdiHeaderCtrl::GetTextAlign(int column) const
{
    const auto found = m_aligns.find(column);
    return found == m_aligns.end() ? AlignLeft : found->second;
}

void CGdiHeaderCtrl::ShiftColumns(int column)
{
    auto shift = [column](auto& map) {
        std::remove_reference_t<decltype(map)> shifted;
        for (auto& [key, value] : map)
            shifted[key >= column ? key + 1 : key] = value;
        map.swap(shifted);
    };
    shift(m_texts);
    shift(m_aligns);
}

void CGdiHeaderCtrl::FillGradV(QPainter& painter, const QRect& rect, COLORREF top, COLORREF bottom)
{
    QLinearGradient gradient(rect.topLeft(), rect.bottomLeft());
    gradient.setColorAt(0, ToQColor(top));
    gradient.setColorAt(1, ToQColor(bottom));
    painter.fillRect(rect, gradient);
}

void CGdiHeaderCtrl::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const
{
    painter->save();
    const int side = rect.height() - 2;
    const QRect arrowBox(rect.right() + 1 - side, rect.top() + 1, side, side);
    FillGradV(*painter, rect, m_bkColor1, m_bkColor2);
    if (!m_bkImage.isNull()) {
        painter->setRenderHint(QPainter::SmoothPixmapTransform, false);
        painter->drawImage(rect, m_bkImage);
    }

    const bool sorted = m_sortVisible && logicalIndex == m_sortColumn;
    QRect textRect = rect.adjusted(m_textMargin, 0, -m_textMargin, 0);
    if (sorted && m_sortMode != 0)
        textRect.setRight(arrowBox.left() - 1);
    painter->setPen(ToQColor(m_textColor));
    painter->setFont(font());
    const QString text
        = painter->fontMetrics().elidedText(GetText(logicalIndex), Qt::ElideRight, textRect.width());
    painter->drawText(textRect, int(HeaderAlignToQt(GetTextAlign(logicalIndex)) | Qt::AlignVCenter), text);
    if (sorted && (m_sortMode == 1 || m_sortMode == 2))
        painter->drawText(
            arrowBox, Qt::AlignCenter, m_sortMode == 1 ? QStringLiteral("▼") : QStringLiteral("▲"));

    painter->setPen(ToQColor(m_borderColor));
    painter->drawLine(rect.right(), rect.top(), rect.right(), rect.bottom());
    painter->drawLine(rect.left(), rect.top(), rect.right(), rect.top());
    painter->drawLine(rect.left(), rect.bottom(), rect.right(), rect.bottom());
    painter->restore();
}

void CGdiHeaderCtrl::paintEvent(QPaintEvent* event)
{
    QHeaderView::paintEvent(event);
    const int end = count() == 0
        ? 0
        : sectionViewportPosition(logicalIndex(count() - 1)) + sectionSize(logicalIndex(count() - 1));
    const QRect rest(end, 0, viewport()->width() - end, viewport()->height());
    if (rest.width() <= 0)
        return;
    QPainter painter(viewport());
    FillGradV(painter, rest, m_bkColor1, m_bkColor2);
    painter.setPen(ToQColor(m_borderColor));
    painter.drawLine(rest.left(), rest.top(), rest.right(), rest.top());
    painter.drawLine(rest.left(), rest.bottom(), rest.right(), rest.bottom());
}
