#pragma once

#include "controls/win_color.h"
#include "remote/gdi_header_ctrl.h"

#include <QTreeWidget>
#include <map>

// Which fields of a column record hold a value.
enum : unsigned { LVCF_FMT = 0x1, LVCF_WIDTH = 0x2, LVCF_TEXT = 0x4, LVCF_SUBITEM = 0x8 };

// A column of a report list as one record: only the fields its mask names are read.
struct LVCOLUMN {
    unsigned mask = 0;
    int fmt = 0; // format flags: centre 2, right 1
    int cx = 0; // width in pixels
    QString pszText; // heading
    int iSubItem = 0;
};

// An owner-drawn report list: alternating row colours, a selection colour, grid lines, a fixed
// row height and sorting by a clicked column as text, number or dotted IPv4 address.
class CGdiListCtrl : public QTreeWidget {
    Q_OBJECT

public:
    // How a column sorts.
    enum SortKind { SortText = 0, SortNumber = 1, SortAddress = 10 };

    explicit CGdiListCtrl(QWidget* parent = nullptr);

    CGdiHeaderCtrl& Header() const { return *m_header; }

    void SetTextColor(COLORREF colour);
    COLORREF GetTextColor() const { return m_textColor; }
    void SetBkColor(COLORREF colour);
    COLORREF GetBkColor() const { return m_bkColor; }
    void SetListBkColor(COLORREF even, COLORREF odd);
    COLORREF GetListBkColor1() const { return m_rowColor1; }
    COLORREF GetListBkColor2() const { return m_rowColor2; }
    void SetListSelColor(COLORREF colour);
    COLORREF GetListSelColor() const { return m_selColor; }
    void SetBorderColor(COLORREF colour);
    COLORREF GetBorderColor() const { return m_borderColor; }
    void SetTextMargin(int pixels);
    int GetTextMargin() const { return m_header->GetTextMargin(); }
    void SetSortVisible(bool visible);
    bool IsSortVisible() const { return m_header->m_sortVisible; }
    int GetSortMode() const { return m_header->m_sortMode; }
    int GetSortSubItem() const { return m_header->m_sortColumn; }
    int GetSortFlag() const { return m_sortKind; }

    void SetSortFlag(int column, int kind) { m_sortKinds[column] = kind; }
    int SortKindOf(int column) const;

    // Inserts a column with its heading, format flags (centre 2, right 1) and width in pixels
    // (-1 keeps the header's default); returns its index. Columns at and after it move along.
    int InsertColumn(int column, const QString& heading, int format, int width);
    // The same from a column record.
    int InsertColumn(int column, const LVCOLUMN& record);

    // Sets a cell; a row one past the last is added first. False for any other missing row or
    // column.
    bool SetItem(int row, int column, const QString& text);
    QString GetText(int row, int column) const;
    int GetItemCount() const { return topLevelItemCount(); }
    void DeleteAllItems();

    // Every row gets this height in pixels.
    void SetItemHeight(int pixels);
    int GetItemHeight() const { return m_itemHeight; }

    // Sorts by a column: a new column ascending, the sorted one again in its mode.
    void ItemSort(int column);
    void ItemSort(int column, int mode);
    void ItemSort(int column, int kind, int mode);

    // The order of two texts: negative, 0 or positive for the sort kind and mode (0 none,
    // 1 ascending, 2 descending).
    static int CompareProc(const QString& first, const QString& second, int kind, int mode);

    // A click on a column header: that column, descending after an ascending sort, else
    // ascending.
    void OnLvnColumnClick(int column);

protected:
    void drawRow(
        QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    COLORREF RowColor(int row, bool selected) const;
    void ApplyBackground();

    CGdiHeaderCtrl* m_header = nullptr;
    std::map<int, int> m_sortKinds;
    int m_sortKind = SortText;
    int m_itemHeight = 0;
    COLORREF m_textColor = controls::Rgb(255, 255, 255);
    COLORREF m_bkColor = controls::Rgb(90, 90, 90);
    COLORREF m_rowColor1 = controls::Rgb(71, 71, 71);
    COLORREF m_rowColor2 = controls::Rgb(51, 51, 51);
    COLORREF m_selColor = controls::Rgb(45, 153, 198);
    COLORREF m_borderColor = controls::Rgb(121, 121, 121);
};
