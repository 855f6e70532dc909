#include "controls/button_face.h"

#include <QFontMetrics>
#include <QPainter>

namespace controls {

ButtonImage ChooseEditorButtonImage(const ButtonFaceState& state, const ButtonImageSet& present)
{
    if (present.Has(ButtonImage::Fixed))
        return ButtonImage::Fixed;
    ButtonImage chosen = ButtonImage::Normal;
    if (state.disabled)
        chosen = ButtonImage::Disable;
    else if (state.pressed)
        chosen = ButtonImage::Press;
    else if (state.focused && present.Has(ButtonImage::Focus))
        chosen = ButtonImage::Focus;
    else if (state.hover)
        chosen = ButtonImage::Over;
    else if (state.toggleMode && state.checked)
        chosen = ButtonImage::Check;
    if (!present.Has(chosen))
        chosen = state.toggleMode && state.checked ? ButtonImage::Check : ButtonImage::Normal;
    return chosen;
}

ButtonImage ChooseRemoteButtonImage(const ButtonFaceState& state, const ButtonImageSet& present)
{
    // The remote button has no toggle state: without it the editor's choice is the same.
    ButtonFaceState withoutToggle = state;
    withoutToggle.toggleMode = false;
    withoutToggle.checked = false;
    return ChooseEditorButtonImage(withoutToggle, present);
}

void PaintButtonFace(QPainter& painter,
    const QRect& rect,
    COLORREF backColour,
    const QImage& image,
    const QString& text,
    COLORREF textColour,
    const QFont& font,
    uint8_t overlayAlpha)
{
    painter.fillRect(rect, ToQColor(backColour));
    if (!image.isNull()) {
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(rect, image);
    }
    if (!text.isEmpty()) {
        painter.setFont(font);
        painter.setPen(ToQColor(textColour));
        const QString shown = QFontMetrics(font).elidedText(text, Qt::ElideRight, rect.width());
        painter.drawText(rect, Qt::AlignCenter | Qt::TextSingleLine, shown);
    }
    if (overlayAlpha > 0)
        painter.fillRect(rect, QColor(128, 128, 128, overlayAlpha));
}

} // namespace controls
