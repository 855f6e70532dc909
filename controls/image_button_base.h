#pragma once

#include "controls/button_face.h"
#include "controls/controls_export.h"
#include "controls/picture_file.h"
#include "controls/win_color.h"

#include <QImage>
#include <QPushButton>

// What the editor's image button and the remote program's share: one picture per state
// stretched over the button with the text centred on top, and the hover state the mouse
// gives. Clicks reach the owner through QAbstractButton's clicked().
class KALEIDRA_CONTROLS_EXPORT CImageButtonBase : public QPushButton {
    Q_OBJECT

public:
    // Members owners set directly (repaint with update() after a change).
    bool m_hover = false;
    COLORREF m_textColor = controls::Rgb(255, 255, 255);
    COLORREF m_backColor;

    QImage m_normalImage;
    QImage m_overImage;
    QImage m_pressImage;
    QImage m_disableImage;
    QImage m_checkImage;
    QImage m_focusImage;
    QImage m_fixedImage; // when set, shown in every state

    // The picture the button shows in its present state (possibly empty).
    const QImage& CurrentImage() const;

protected:
    CImageButtonBase(const QString& text, QWidget* parent, COLORREF backColour);

    virtual controls::ButtonFaceState FaceState() const;
    virtual controls::ButtonImage ChooseImage(
        const controls::ButtonFaceState& state, const controls::ButtonImageSet& present) const = 0;
    virtual bool RepaintsOnHover() const { return true; }
    virtual QFont FaceFont() const { return font(); }
    virtual uint8_t OverlayAlpha() const { return 0; }

    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void SetHover(bool hover);

    controls::CScaledPicture m_shownPicture;
};
