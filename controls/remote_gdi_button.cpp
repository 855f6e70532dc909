#include "controls/remote_gdi_button.h"

#include "controls/button_face.h"

#include <QContextMenuEvent>
#include <QMouseEvent>
#include <QPainter>

namespace controls::remote {

CGdiButton::CGdiButton(QWidget* parent)
    : CGdiButton(QString(), parent)
{
}

CGdiButton::CGdiButton(const QString& text, QWidget* parent)
    : QPushButton(text, parent)
{
    setMouseTracking(true);
}

void CGdiButton::StoreImage(QImage& slot, const QImage& image)
{
    const bool changed = slot.cacheKey() != image.cacheKey();
    slot = image;
    if (changed)
        update();
}

void CGdiButton::SetNormalImage(const QImage& image)
{
    StoreImage(m_normalImage, image);
}

void CGdiButton::SetDisableImage(const QImage& image)
{
    StoreImage(m_disableImage, image);
}

void CGdiButton::SetOverImage(const QImage& image)
{
    StoreImage(m_overImage, image);
}

void CGdiButton::SetPressImage(const QImage& image)
{
    StoreImage(m_pressImage, image);
}

const QImage& CGdiButton::CurrentImage() const
{
    ButtonFaceState state;
    state.disabled = !isEnabled();
    state.pressed = isDown();
    state.focused = hasFocus();
    state.hover = m_hover;
    ButtonImageSet present;
    present.Set(ButtonImage::Normal, !m_normalImage.isNull());
    present.Set(ButtonImage::Over, !m_overImage.isNull());
    present.Set(ButtonImage::Press, !m_pressImage.isNull());
    present.Set(ButtonImage::Disable, !m_disableImage.isNull());
    present.Set(ButtonImage::Focus, !m_focusImage.isNull());
    present.Set(ButtonImage::Fixed, !m_fixedImage.isNull());
    switch (ChooseRemoteButtonImage(state, present)) {
    case ButtonImage::Over:
        return m_overImage;
    case ButtonImage::Press:
        return m_pressImage;
    case ButtonImage::Disable:
        return m_disableImage;
    case ButtonImage::Focus:
        return m_focusImage;
    case ButtonImage::Fixed:
        return m_fixedImage;
    default:
        return m_normalImage;
    }
}

void CGdiButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    PaintButtonFace(painter, rect(), m_backColor, CurrentImage(), text(), m_textColor, font(), 0);
}

void CGdiButton::mouseMoveEvent(QMouseEvent* event)
{
    if (rect().contains(event->position().toPoint()))
        SetHover(true);
    QPushButton::mouseMoveEvent(event);
}

void CGdiButton::enterEvent(QEnterEvent* event)
{
    SetHover(true);
    QPushButton::enterEvent(event);
}

void CGdiButton::leaveEvent(QEvent* event)
{
    SetHover(false);
    QPushButton::leaveEvent(event);
}

void CGdiButton::SetHover(bool hover)
{
    if (m_hover == hover)
        return;
    m_hover = hover;
    // Only a button with an over picture looks different under the mouse.
    if (!m_overImage.isNull())
        update();
}

void CGdiButton::contextMenuEvent(QContextMenuEvent* event)
{
    // Right-clicks on these buttons open no menu, neither theirs nor their window's.
    event->accept();
}

} // namespace controls::remote
