#include "itempanel/page_dlg.h"

#include "controls/control_messages.h"
#include "core/dialog_services.h"
#include "itempanel/item_panel_messages.h"

#include <QApplication>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>

CPageDlg::CPageDlg(QWidget* parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    connect(qApp, &QApplication::focusChanged, this, &CPageDlg::OnFocusChanged);
}

void CPageDlg::SetPage(int index, QWidget* page)
{
    if (index >= 0 && index < int(m_pages.size()))
        m_pages[size_t(index)] = page;
}

QWidget* CPageDlg::Page(int index) const
{
    return index >= 0 && index < int(m_pages.size()) ? m_pages[size_t(index)] : nullptr;
}

int CPageDlg::RangeOf(const QWidget* page) const
{
    return page ? std::max(0, page->height() - height()) : 0;
}

void CPageDlg::CreateScrollBar()
{
    delete m_scrollBar;
    m_scrollBar = new CGdiScrollBar(this);
    m_scrollBar->setGeometry(width() - kScrollBarWidth, 0, kScrollBarWidth, height());
    m_scrollBar->m_vertical = true;
    m_scrollBar->m_targetWindow = this;
    m_scrollBar->m_targetMessage = itempanel::UM_PAGE_SCROLL_NOTIFY;
    m_scrollBar->m_arrowSize = kArrowSize;
    m_scrollBar->CalcLayout();
    m_scrollBar->show();
    if (QWidget* page = Page(m_current)) {
        FitPage(0);
        page->show();
    }
}

void CPageDlg::UpdateLayout()
{
    if (!m_scrollBar)
        return;
    m_scrollBar->setGeometry(width() - kScrollBarWidth, 0, kScrollBarWidth, height());
    m_scrollBar->CalcLayout();
    if (Page(m_current))
        FitPage(0);
}

void CPageDlg::FitPage(int offset)
{
    const int range = RangeOf(Page(m_current));
    m_offset = std::clamp(offset, 0, range);
    if (m_scrollBar) {
        m_scrollBar->SetScrollRange(0, range);
        m_scrollBar->SetScrollPos(m_offset);
    }
    MovePage();
}

void CPageDlg::MovePage()
{
    if (QWidget* page = Page(m_current)) {
        page->move(0, -m_offset);
        page->raise();
    }
}

void CPageDlg::SetOffset(int offset)
{
    if (!m_scrollBar)
        return;
    m_scrollBar->SetScrollPos(offset);
    const int position = m_scrollBar->GetScrollPos();
    if (position != m_offset) {
        m_offset = position;
        MovePage();
    }
}

bool CPageDlg::ShowPage(int index)
{
    QWidget* page = Page(index);
    if (!page)
        return false;
    setUpdatesEnabled(false);
    const bool newPage = index != m_current;
    if (QWidget* current = Page(m_current); current && newPage)
        current->hide();
    m_current = index;
    // A newly chosen page opens at its own top, the bar fitted to its height; the page already
    // shown stays where it is scrolled to.
    FitPage(newPage ? 0 : m_offset);
    page->show();
    setUpdatesEnabled(true);
    update();
    return true;
}

void CPageDlg::ScrollBy(int amount)
{
    if (m_scrollBar)
        SetOffset(m_scrollBar->GetScrollPos() + amount);
}

void CPageDlg::OnScrollBarNotify(unsigned, const ScrollNotifyRecord& record, CGdiScrollBar& bar)
{
    if (&bar != m_scrollBar)
        return;
    const int position = bar.GetScrollPos();
    switch (record.action) {
    case controls::SCROLL_LINE_BACK:
        SetOffset(position - kLineStep);
        break;
    case controls::SCROLL_LINE_FORWARD:
        SetOffset(position + kLineStep);
        break;
    case controls::SCROLL_PAGE_BACK:
        SetOffset(position - height());
        break;
    case controls::SCROLL_PAGE_FORWARD:
        SetOffset(position + height());
        break;
    case controls::SCROLL_THUMB_END:
    case controls::SCROLL_THUMB_TRACK:
        SetOffset(record.trackPosition);
        break;
    default:
        break;
    }
}

void CPageDlg::OnVScroll(int action, int position, QScrollBar& bar)
{
    int target = bar.value();
    switch (action) {
    case QAbstractSlider::SliderSingleStepSub:
        target -= kStandardLineStep;
        break;
    case QAbstractSlider::SliderSingleStepAdd:
        target += kStandardLineStep;
        break;
    case QAbstractSlider::SliderPageStepSub:
        target -= height();
        break;
    case QAbstractSlider::SliderPageStepAdd:
        target += height();
        break;
    case QAbstractSlider::SliderMove:
        target = position;
        break;
    default:
        return;
    }
    target = std::clamp(target, bar.minimum(), bar.maximum());
    bar.setValue(target);
    if (target != m_offset) {
        m_offset = target;
        MovePage();
    }
}

void CPageDlg::OnEnsureVisible(const QRect& globalRect)
{
    if (!m_scrollBar)
        return;
    const QRect rect(mapFromGlobal(globalRect.topLeft()), globalRect.size());
    int offset = m_offset;
    if (rect.top() < 0)
        offset += rect.top();
    else if (rect.bottom() + 1 > height())
        offset += rect.bottom() + 1 - height();
    SetOffset(offset);
}

void CPageDlg::OnFocusChanged(QWidget*, QWidget* now)
{
    QWidget* page = Page(m_current);
    if (now && page && page->isAncestorOf(now))
        OnEnsureVisible(QRect(now->mapToGlobal(QPoint(0, 0)), now->size()));
}

void CPageDlg::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    painter.fillRect(event->rect(), dialog_services::Color(CSkinIni::COLOR_SETTING_BK));
}

void CPageDlg::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    UpdateLayout();
}
