#pragma once

#include "controls/gdi_slider_base.h"

// The editor's custom-drawn slider: the shared drawing plus an optional gradient wedge in the
// channel and a white marker triangle under each of the IN and OUT positions.
class KALEIDRA_CONTROLS_EXPORT CGdiSliderCtrl : public CGdiSliderBase {
    Q_OBJECT

public:
    explicit CGdiSliderCtrl(QWidget* parent = nullptr);

    bool m_gradientWedge = false;

protected:
    PaintOptions Options() const override;
};
