#pragma once

#include "controls/win_color.h"

#include <QHeaderView>
#include <QImage>
#include <map>

// The owner-drawn column header of CGdiListCtrl: a vertical colour gradient, an optional
// background picture, per-column text alignment and the sort arrow of the sorted column.
class CGdiHeaderCtrl : public QHeaderView {
    Q_OBJECT

public:
    // Alignments kept per column, in the form of the list's column format flags.
    enum Align { AlignLeft = 0, AlignCenter = 1, AlignRight = 2 };
    // Column format flags: LVCFMT_RIGHT and LVCFMT_CENTER.
    static constexpr int kFormatRight = 1;
    static constexpr int kFormatCenter = 2;

    explicit CGdiHeaderCtrl(QWidget* parent = nullptr);

    void SetTextColor(COLORREF colour) { m_textColor = colour; }
    COLORREF GetTextColor() const { return m_textColor; }
    void SetBorderColor(COLORREF colour) { m_borderColor = colour; }
    COLORREF GetBorderColor() const { return m_borderColor; }
    void SetBkColor(COLORREF top, COLORREF bottom);
    COLORREF GetBkColor1() const { return m_bkColor1; }
    COLORREF GetBkColor2() const { return m_bkColor2; }
    // The picture is shared, not copied; an empty one draws the gradient alone.
    void SetBkImage(const QImage& image) { m_bkImage = image; }
    QImage GetBkImage() const { return m_bkImage; }
    void SetTextMargin(int pixels) { m_textMargin = pixels; }
    int GetTextMargin() const { return m_textMargin; }

    void SetText(int column, const QString& text) { m_texts[column] = text; }
    QString GetText(int column) const;
    // Centre flag: centred; otherwise right flag: right-aligned; otherwise nothing changes.
    void SetTextAlign(int column, int format);
    int GetTextAlign(int column) const;
    // Moves the texts and alignments of the columns from column on one place to the right.
    void ShiftColumns(int column);

    // The sort state the list sorts by and the header draws its arrow from.
    int m_sortMode = 0; // 0 none, 1 ascending, 2 descending
    int m_sortColumn = 0;
    bool m_sortVisible = true;

    static void FillGradV(QPainter& painter, const QRect& rect, COLORREF top, COLORREF bottom);

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;
    void paintEvent(QPaintEvent* event) override;

private:
    std::map<int, QString> m_texts;
    std::map<int, int> m_aligns;
    COLORREF m_textColor = controls::Rgb(255, 255, 255);
    COLORREF m_borderColor = controls::Rgb(121, 121, 121);
    COLORREF m_bkColor1 = controls::Rgb(71, 71, 71);
    COLORREF m_bkColor2 = controls::Rgb(43, 43, 43);
    QImage m_bkImage;
    int m_textMargin = 4;
};

// Qt alignment flags of an alignment kept by the header.
Qt::Alignment HeaderAlignToQt(int align);
