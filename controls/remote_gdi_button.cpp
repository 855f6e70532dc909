#include "controls/remote_gdi_button.h"

#include <QContextMenuEvent>

namespace controls::remote {

CGdiButton::CGdiButton(QWidget* parent)
    : CGdiButton(QString(), parent)
{
}

CGdiButton::CGdiButton(const QString& text, QWidget* parent)
    : CImageButtonBase(text, parent, Rgb(101, 101, 101))
{
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

ButtonImage CGdiButton::ChooseImage(const ButtonFaceState& state, const ButtonImageSet& present) const
{
    return ChooseRemoteButtonImage(state, present);
}

void CGdiButton::contextMenuEvent(QContextMenuEvent* event)
{
    // Right-clicks on these buttons open no menu, neither theirs nor their window's.
    event->accept();
}

} // namespace controls::remote
