#pragma once

#include "controls/gdi_scroll_bar.h"

#include <QWidget>
#include <array>

class QScrollBar;

// The page holder of the item panel: it holds the three pages (0 properties, 1 effects,
// 2 filter), shows one of them at a time and scrolls the shown page vertically with a scroll bar
// of its own along its right edge when the page is taller than the holder. The shown page always
// sits at (0, -offset); the bar's range is 0 .. page height - holder height (never negative) and
// its position is the offset.
class CPageDlg : public QWidget, public CScrollBarOwner {
    Q_OBJECT

public:
    static constexpr int kScrollBarId = 1103;
    static constexpr int kScrollBarWidth = 17;
    static constexpr int kArrowSize = 16;
    static constexpr int kLineStep = 10; // own bar and wheel
    static constexpr int kStandardLineStep = 20; // a standard scroll bar

    explicit CPageDlg(QWidget* parent = nullptr);

    // The panel registers its pages (children of the holder); the holder does not own them.
    void SetPage(int index, QWidget* page);
    QWidget* Page(int index) const;
    int CurrentPage() const { return m_current; }
    int Offset() const { return m_offset; }
    CGdiScrollBar* ScrollBar() const { return m_scrollBar; }

    // (Re)creates the scroll bar and fits the shown page at its top; once, after the pages exist.
    void CreateScrollBar();
    // Hides the current page and shows page 0..2 at its top, with the bar fitted to it (the page
    // already shown keeps its offset); false, changing nothing, for another index or a page
    // never registered.
    bool ShowPage(int index);
    // Scrolls the shown page by a signed amount, kept within the range.
    void ScrollBy(int amount);
    // Places the bar along the right edge and fits the shown page to the holder's size again,
    // back at its top.
    void UpdateLayout();
    // UM_PAGE_SCROLL_UP and UM_PAGE_SCROLL_DOWN: ScrollBy(-10) and ScrollBy(+10).
    void OnScrollUp() { ScrollBy(-kLineStep); }
    void OnScrollDown() { ScrollBy(kLineStep); }
    // UM_PAGE_ENSURE_VISIBLE: scrolls just enough to show a rectangle given in global
    // coordinates (its top when it lies above the holder, its bottom when below).
    void OnEnsureVisible(const QRect& globalRect);
    // WM_VSCROLL from a standard scroll bar: steps of 20 pixels, pages of the holder's height.
    void OnVScroll(int action, int position, QScrollBar& bar);

protected:
    void OnScrollBarNotify(unsigned message, const ScrollNotifyRecord& record, CGdiScrollBar& bar) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    int RangeOf(const QWidget* page) const;
    // Fits the bar's range to the shown page, with the page at the given offset (kept in range).
    void FitPage(int offset);
    void SetOffset(int offset);
    void MovePage();
    void OnFocusChanged(QWidget* old, QWidget* now);

    std::array<QWidget*, 3> m_pages {};
    int m_current = 0;
    CGdiScrollBar* m_scrollBar = nullptr;
    int m_offset = 0;
};
