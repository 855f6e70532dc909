#include "remote/gdi_list_ctrl.h"

#include "platform/number_text.h"

#include <QPainter>
#include <QStyledItemDelegate>
#include <algorithm>
#include <vector>

using controls::ToQColor;

namespace {

// Gives every row the list's fixed height.
class CFixedRowHeightDelegate : public QStyledItemDelegate {
public:
    CFixedRowHeightDelegate(const CGdiListCtrl& list)
        : QStyledItemDelegate(const_cast<CGdiListCtrl*>(&list))
        , m_list(list)
    {
    }
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        if (m_list.GetItemHeight() > 0)
            size.setHeight(m_list.GetItemHeight());
        return size;
    }

private:
    const CGdiListCtrl& m_list;
};

int CompareNumbers(int32_t first, int32_t second, int mode)
{
    if (first == second)
        return 0;
    if (mode == 1)
        return first < second ? -1 : 1;
    return second < first ? -1 : 1;
}

// The text after the first '.', or the whole text when it has none.
QString AfterFirstDot(const QString& text)
{
    return text.mid(text.indexOf(QLatin1Char('.')) + 1);
}

} // namespace

CGdiListCtrl::CGdiListCtrl(QWidget* parent)
    : QTreeWidget(parent)
    , m_header(new CGdiHeaderCtrl(this))
{
    setHeader(m_header);
    setItemDelegate(new CFixedRowHeightDelegate(*this));
    setRootIsDecorated(false);
    setIndentation(0);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSortingEnabled(false);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setColumnCount(0);
    connect(m_header, &QHeaderView::sectionClicked, this, &CGdiListCtrl::OnLvnColumnClick);
    ApplyBackground();
}

void CGdiListCtrl::ApplyBackground()
{
    QPalette colours = viewport()->palette();
    colours.setColor(QPalette::Base, ToQColor(m_bkColor));
    viewport()->setPalette(colours);
    viewport()->setAutoFillBackground(true);
    viewport()->update();
}

void CGdiListCtrl::SetTextColor(COLORREF colour)
{
    m_textColor = colour;
    viewport()->update();
}

void CGdiListCtrl::SetBkColor(COLORREF colour)
{
    m_bkColor = colour;
    ApplyBackground();
}

void CGdiListCtrl::SetListBkColor(COLORREF even, COLORREF odd)
{
    m_rowColor1 = even;
    m_rowColor2 = odd;
    viewport()->update();
}

void CGdiListCtrl::SetListSelColor(COLORREF colour)
{
    m_selColor = colour;
    viewport()->update();
}

void CGdiListCtrl::SetBorderColor(COLORREF colour)
{
    m_borderColor = colour;
    viewport()->update();
}

void CGdiListCtrl::SetTextMargin(int pixels)
{
    m_header->SetTextMargin(pixels);
    viewport()->update();
}

void CGdiListCtrl::SetSortVisible(bool visible)
{
    m_header->m_sortVisible = visible;
    m_header->viewport()->update();
}

int CGdiListCtrl::SortKindOf(int column) const
{
    const auto found = m_sortKinds.find(column);
    return found == m_sortKinds.end() ? SortText : found->second;
}

int CGdiListCtrl::InsertColumn(int column, const QString& heading, int format, int width)
{
    const int count = columnCount();
    column = std::clamp(column, 0, count);
    setColumnCount(count + 1);
    if (column < count) {
        // Move the cells of the later columns one place to the right.
        for (int row = 0; row < topLevelItemCount(); ++row) {
            QTreeWidgetItem* item = topLevelItem(row);
            for (int i = count; i > column; --i)
                item->setText(i, item->text(i - 1));
            item->setText(column, QString());
        }
        for (int i = count; i > column; --i)
            m_header->resizeSection(i, m_header->sectionSize(i - 1));
        m_header->ShiftColumns(column);
    }
    m_header->SetText(column, heading);
    m_header->SetTextAlign(column, format);
    m_header->resizeSection(column, width >= 0 ? width : m_header->defaultSectionSize());
    return column;
}

int CGdiListCtrl::InsertColumn(int column, const LVCOLUMN& record)
{
    // The sub-item number only tells a Windows list which data goes in the column: here a
    // column's cells are always its own.
    return InsertColumn(column, (record.mask & LVCF_TEXT) ? record.pszText : QString(),
        (record.mask & LVCF_FMT) ? record.fmt : 0, (record.mask & LVCF_WIDTH) ? record.cx : -1);
}

bool CGdiListCtrl::SetItem(int row, int column, const QString& text)
{
    if (row < 0 || row > topLevelItemCount() || column < 0 || column >= columnCount())
        return false;
    if (row == topLevelItemCount())
        insertTopLevelItem(row, new QTreeWidgetItem());
    topLevelItem(row)->setText(column, text);
    return true;
}

QString CGdiListCtrl::GetText(int row, int column) const
{
    const QTreeWidgetItem* item = topLevelItem(row);
    return item == nullptr ? QString() : item->text(column);
}

void CGdiListCtrl::DeleteAllItems()
{
    clear();
}

void CGdiListCtrl::SetItemHeight(int pixels)
{
    m_itemHeight = pixels;
    // Uniform rows take their height from the first row: make the view ask again.
    doItemsLayout();
}

int CGdiListCtrl::CompareProc(const QString& first, const QString& second, int kind, int mode)
{
    if (mode == 0)
        return 0;
    switch (kind) {
    case SortText: {
        const int order = first.compare(second, Qt::CaseSensitive);
        const int sign = order < 0 ? -1 : (order > 0 ? 1 : 0);
        return mode == 1 ? sign : -sign;
    }
    case SortNumber:
        return CompareNumbers(platform::WToI(first), platform::WToI(second), mode);
    case SortAddress: {
        if (first == second)
            return 0;
        QString a = first;
        QString b = second;
        for (int round = 0; round < 4; ++round) {
            const int order = CompareNumbers(platform::WToI(a), platform::WToI(b), mode);
            if (order != 0)
                return order;
            a = AfterFirstDot(a);
            b = AfterFirstDot(b);
        }
        return 0;
    }
    default:
        return 0;
    }
}

void CGdiListCtrl::ItemSort(int column)
{
    const int mode = column == GetSortSubItem() ? GetSortMode() : 1;
    ItemSort(column, SortKindOf(column), mode);
}

void CGdiListCtrl::ItemSort(int column, int mode)
{
    ItemSort(column, SortKindOf(column), mode);
}

void CGdiListCtrl::ItemSort(int column, int kind, int mode)
{
    m_sortKind = kind;
    m_header->m_sortColumn = column;
    m_header->m_sortMode = mode;
    m_header->viewport()->update();
    if (column < 0 || column >= m_header->count())
        return;

    std::vector<QTreeWidgetItem*> rows;
    std::vector<QTreeWidgetItem*> selected;
    for (QTreeWidgetItem* item : selectedItems())
        selected.push_back(item);
    while (topLevelItemCount() > 0)
        rows.push_back(takeTopLevelItem(0));
    std::stable_sort(rows.begin(), rows.end(), [&](const QTreeWidgetItem* a, const QTreeWidgetItem* b) {
        return CompareProc(a->text(column), b->text(column), kind, mode) < 0;
    });
    for (QTreeWidgetItem* item : rows)
        addTopLevelItem(item);
    for (QTreeWidgetItem* item : selected)
        item->setSelected(true);
}

void CGdiListCtrl::OnLvnColumnClick(int column)
{
    ItemSort(column, SortKindOf(column), GetSortMode() == 1 ? 2 : 1);
}

COLORREF CGdiListCtrl::RowColor(int row, bool selected) const
{
    if (selected)
        return m_selColor;
    return row % 2 == 0 ? m_rowColor1 : m_rowColor2;
}

void CGdiListCtrl::drawRow(
    QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    const int row = index.row();
    const QTreeWidgetItem* item = topLevelItem(row);
    if (item == nullptr)
        return;
    const bool selected = selectionModel()->isRowSelected(row, index.parent());
    // The whole width, so that the part right of the last column shows the row's colour too.
    const QRect rowRect(0, option.rect.top(), viewport()->width(), option.rect.height());
    painter->save();
    painter->fillRect(rowRect, ToQColor(RowColor(row, selected)));
    painter->setFont(font());
    const int margin = m_header->GetTextMargin();
    for (int column = 0; column < columnCount(); ++column) {
        const int x = m_header->sectionViewportPosition(column);
        const int width = m_header->sectionSize(column);
        const QRect cell = QRect(x, rowRect.top(), width, rowRect.height()).adjusted(margin, 0, -margin, 0);
        painter->setPen(ToQColor(m_textColor));
        const QString text
            = painter->fontMetrics().elidedText(item->text(column), Qt::ElideRight, cell.width());
        painter->drawText(
            cell, int(HeaderAlignToQt(m_header->GetTextAlign(column)) | Qt::AlignVCenter), text);
        painter->setPen(ToQColor(m_borderColor));
        painter->drawLine(x - 1, rowRect.top(), x - 1, rowRect.bottom());
        painter->drawLine(x + width - 1, rowRect.top(), x + width - 1, rowRect.bottom());
    }
    painter->setPen(ToQColor(m_borderColor));
    painter->drawLine(rowRect.left(), rowRect.bottom(), rowRect.right(), rowRect.bottom());
    painter->restore();
}
