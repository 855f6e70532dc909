#pragma once

#include "controls/image_button_base.h"

#include <QFont>
#include <optional>

// The owner-drawn push button of the editor: one picture per state, a hover picture, an
// optional toggle (check) state with a picture of its own, and a grey veil of a set strength.
// In toggle mode the check state has flipped before clicked() is emitted.
class KALEIDRA_CONTROLS_EXPORT CGdiButton : public CImageButtonBase {
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
    std::optional<QFont> m_font; // none: the widget's own font
    bool m_checked = false;
    bool m_toggleMode = false;
    bool m_pressed = false; // the left button went down on this button
    uint8_t m_overlayAlpha = 0;

protected:
    controls::ButtonFaceState FaceState() const override;
    controls::ButtonImage ChooseImage(
        const controls::ButtonFaceState& state, const controls::ButtonImageSet& present) const override;
    QFont FaceFont() const override { return m_font.value_or(font()); }
    uint8_t OverlayAlpha() const override { return m_overlayAlpha; }

    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void OnClicked();
};
