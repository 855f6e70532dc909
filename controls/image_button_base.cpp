#include "controls/image_button_base.h"

#include <QMouseEvent>
#include <QPainter>

using namespace controls;

CImageButtonBase::CImageButtonBase(const QString& text, QWidget* parent, COLORREF backColour)
    : QPushButton(text, parent)
    , m_backColor(backColour)
{
    setMouseTracking(true);
}

ButtonFaceState CImageButtonBase::FaceState() const
{
    ButtonFaceState state;
    state.disabled = !isEnabled();
    state.pressed = isDown();
    state.focused = hasFocus();
    state.hover = m_hover;
    return state;
}

const QImage& CImageButtonBase::CurrentImage() const
{
    const std::pair<ButtonImage, const QImage*> pictures[] = {
        { ButtonImage::Normal, &m_normalImage },
        { ButtonImage::Over, &m_overImage },
        { ButtonImage::Press, &m_pressImage },
        { ButtonImage::Disable, &m_disableImage },
        { ButtonImage::Check, &m_checkImage },
        { ButtonImage::Focus, &m_focusImage },
        { ButtonImage::Fixed, &m_fixedImage },
    };
    ButtonImageSet present;
    for (const auto& [slot, image] : pictures)
        present.Set(slot, !image->isNull());
    const ButtonImage chosen = ChooseImage(FaceState(), present);
    for (const auto& [slot, image] : pictures) {
        if (slot == chosen)
            return *image;
    }
    return m_normalImage;
}

void CImageButtonBase::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QImage& picture = m_shownPicture.At(CurrentImage(), size(), devicePixelRatioF());
    PaintButtonFace(painter, rect(), m_backColor, picture, text(), m_textColor, FaceFont(), OverlayAlpha());
}

void CImageButtonBase::mouseMoveEvent(QMouseEvent* event)
{
    if (rect().contains(event->position().toPoint()))
        SetHover(true);
    QPushButton::mouseMoveEvent(event);
}

void CImageButtonBase::enterEvent(QEnterEvent* event)
{
    SetHover(true);
    QPushButton::enterEvent(event);
}

void CImageButtonBase::leaveEvent(QEvent* event)
{
    SetHover(false);
    QPushButton::leaveEvent(event);
}

void CImageButtonBase::SetHover(bool hover)
{
    if (m_hover == hover)
        return;
    m_hover = hover;
    if (RepaintsOnHover())
        update();
}
