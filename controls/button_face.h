#pragma once

#include "controls/controls_export.h"
#include "controls/win_color.h"

#include <QFont>
#include <QImage>
#include <QRect>
#include <QString>

class QPainter;

namespace controls {

// The picture slots of an image button.
enum class ButtonImage { None, Normal, Over, Press, Disable, Check, Focus, Fixed };

// What a button knows when it picks its picture.
struct ButtonFaceState {
    bool disabled = false;
    bool pressed = false;
    bool focused = false;
    bool hover = false;
    bool toggleMode = false;
    bool checked = false;
};

// Which slots hold a picture, one bit per ButtonImage value.
class ButtonImageSet {
public:
    void Set(ButtonImage slot, bool present)
    {
        const unsigned bit = 1u << unsigned(slot);
        m_bits = present ? (m_bits | bit) : (m_bits & ~bit);
    }
    bool Has(ButtonImage slot) const { return (m_bits >> unsigned(slot)) & 1u; }

private:
    unsigned m_bits = 0;
};

// The editor's button: the fixed picture wins, then disabled, pressed, focus (when there is a
// focus picture), hover, checked, normal; a chosen slot without a picture falls back to the
// check picture of a checked toggle button, else to the normal one. The result may name an
// empty slot, in which case only the background and the text are drawn.
KALEIDRA_CONTROLS_EXPORT ButtonImage ChooseEditorButtonImage(
    const ButtonFaceState& state, const ButtonImageSet& present);

// The remote-control program's button: as above without the check picture; a missing picture
// falls back to the normal one.
KALEIDRA_CONTROLS_EXPORT ButtonImage ChooseRemoteButtonImage(
    const ButtonFaceState& state, const ButtonImageSet& present);

// Paints a button face: the background colour, the picture stretched over the whole rectangle,
// the text centred on one line (cut with an ellipsis), then a grey veil of the given strength.
KALEIDRA_CONTROLS_EXPORT void PaintButtonFace(QPainter& painter,
    const QRect& rect,
    COLORREF backColour,
    const QImage& image,
    const QString& text,
    COLORREF textColour,
    const QFont& font,
    uint8_t overlayAlpha);

} // namespace controls
