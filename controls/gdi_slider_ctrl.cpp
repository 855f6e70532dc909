#include "controls/gdi_slider_ctrl.h"

CGdiSliderCtrl::CGdiSliderCtrl(QWidget* parent)
    : CGdiSliderBase(parent)
{
}

CGdiSliderBase::PaintOptions CGdiSliderCtrl::Options() const
{
    PaintOptions options;
    options.gradientWedge = m_gradientWedge;
    options.rangeMarkers = true;
    return options;
}
