#pragma once

#include "controls/controls_export.h"
#include "controls/win_color.h"

#include <QLabel>

// A text label on a two-colour gradient with an optional frame and underline. Its mouse
// presses and releases go on to its parent at the same place, so a click on the label acts as
// a click on the parent.
class KALEIDRA_CONTROLS_EXPORT CGradStatic : public QLabel {
    Q_OBJECT

public:
    explicit CGradStatic(QWidget* parent = nullptr);
    explicit CGradStatic(const QString& text, QWidget* parent = nullptr);

    COLORREF m_textColor = controls::Rgb(0, 0, 0);
    bool m_vertical = false; // false: left to right
    COLORREF m_gradientFrom = controls::Rgb(255, 255, 255);
    COLORREF m_gradientTo = controls::Rgb(255, 255, 255);
    bool m_frame = false;
    Qt::PenStyle m_frameStyle = Qt::SolidLine;
    COLORREF m_frameColor = controls::Rgb(0, 0, 0);
    bool m_underline = false;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void ForwardToParent(QMouseEvent* event);
};
