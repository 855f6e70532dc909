#pragma once

#include "controls/controls_export.h"
#include "controls/win_color.h"

#include <QImage>
#include <QPushButton>

namespace controls::remote {

// The remote-control program's image button. It draws pictures its owner hands over (QImage
// shares the pixels, so the owner may drop its own copy at any time), the text centred on top,
// and opens no context menu on a right-click. Clicks reach the owner through clicked().
class KALEIDRA_CONTROLS_EXPORT CGdiButton : public QPushButton {
    Q_OBJECT

public:
    explicit CGdiButton(QWidget* parent = nullptr);
    explicit CGdiButton(const QString& text, QWidget* parent = nullptr);

    // Each stores the picture of its state and repaints when the picture changed.
    void SetNormalImage(const QImage& image);
    void SetDisableImage(const QImage& image);
    void SetOverImage(const QImage& image);
    void SetPressImage(const QImage& image);

    bool m_hover = false;
    COLORREF m_textColor = controls::Rgb(255, 255, 255);
    COLORREF m_backColor = controls::Rgb(101, 101, 101);

    QImage m_normalImage;
    QImage m_disableImage;
    QImage m_overImage;
    QImage m_pressImage;
    QImage m_focusImage;
    QImage m_checkImage;
    QImage m_fixedImage;

    // The picture the button shows in its present state (possibly empty).
    const QImage& CurrentImage() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void StoreImage(QImage& slot, const QImage& image);
    void SetHover(bool hover);
};

} // namespace controls::remote
