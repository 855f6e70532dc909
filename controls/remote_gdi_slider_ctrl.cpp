#include "controls/remote_gdi_slider_ctrl.h"

namespace controls::remote {

CGdiSliderCtrl::CGdiSliderCtrl(QWidget* parent)
    : CGdiSliderBase(parent)
{
}

CGdiSliderBase::PaintOptions CGdiSliderCtrl::Options() const
{
    PaintOptions options;
    options.endMarks = m_endMarks;
    return options;
}

} // namespace controls::remote
