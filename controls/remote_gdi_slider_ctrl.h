#pragma once

#include "controls/gdi_slider_base.h"

namespace controls::remote {

// The remote-control program's slider: the shared drawing without the gradient wedge and the
// marker triangles, with short vertical marks at both ends of the channel while m_endMarks is on.
class KALEIDRA_CONTROLS_EXPORT CGdiSliderCtrl : public CGdiSliderBase {
    Q_OBJECT

public:
    explicit CGdiSliderCtrl(QWidget* parent = nullptr);

    bool m_endMarks = true;

protected:
    PaintOptions Options() const override;
};

} // namespace controls::remote
