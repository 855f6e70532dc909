#pragma once

#include "controls/controls_export.h"
#include "controls/win_color.h"

#include <QFont>
#include <QImage>
#include <QPushButton>
#include <optional>

// The owner-drawn push button of the editor: one picture per state stretched over the button,
// the text centred on top, a hover picture, an optional toggle (check) state with a picture of
// its own, and a grey veil of a set strength. Clicks reach the owner through QAbstractButton's
// clicked(); in toggle mode the check state has flipped before clicked() is emitted.
class KALEIDRA_CONTROLS_EXPORT CGdiButton : public QPushButton {
    Q_OBJECT

public:
    explicit CGdiButton(QWidget* parent = nullptr);
    explicit CGdiButton(const QString& text, QWidget* parent = nullptr);

    // Makes a plain push button. Each path that names an existing file replaces that state's
    // picture; an empty path or a missing file keeps the picture the state had.
    void LoadImages(const QString& normal, const QString& over, const QString& press, const QString& disable);
    // Makes a toggle button; the same rule for the five pictures.
    void LoadCheckImages(const QString& normal,
        const QString& over,
        const QString& press,
        const QString& disable,
        const QString& check);

    // The check state of a toggle button; 0 for a plain button.
    int GetCheckState() const;
    // Sets the check state of a toggle button and repaints; ignored for a plain button.
    void SetCheckState(int checked);

    // Members owners set directly (repaint with update() after a change).
    COLORREF m_textColor = controls::Rgb(255, 255, 255);
    COLORREF m_backColor = controls::Rgb(113, 113, 113);
    std::optional<QFont> m_font; // none: the widget's own font
    bool m_hover = false;
    bool m_checked = false;
    bool m_toggleMode = false;
    bool m_pressed = false; // the left button went down on this button
    uint8_t m_overlayAlpha = 0;

    QImage m_normalImage;
    QImage m_overImage;
    QImage m_pressImage;
    QImage m_disableImage;
    QImage m_checkImage;
    QImage m_focusImage;
    QImage m_fixedImage;

    // The picture the button shows in its present state (possibly empty).
    const QImage& CurrentImage() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void OnClicked();
    void SetHover(bool hover);
};
