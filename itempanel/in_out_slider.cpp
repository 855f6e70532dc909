#include "itempanel/in_out_slider.h"

#include "controls/gdi_slider_ctrl.h"
#include "core/dialog_services.h"

#include <QPainter>

CInOutSlider::CInOutSlider(QWidget* parent)
    : QWidget(parent)
    , m_labelFont(dialog_services::Font(CSkinIni::kGetSettingInoutFont, false))
{
}

bool CInOutSlider::Create(const QRect& rect, QWidget* parent)
{
    setParent(parent);
    setGeometry(rect);
    m_slider = new CGdiSliderCtrl(this);
    m_slider->SetOwner(this);
    m_slider->setGeometry(0, kLabelStripHeight, rect.width(), rect.height() - kLabelStripHeight);
    m_slider->m_backColor = dialog_services::ColorRef(CSkinIni::COLOR_SETTING_BK);
    m_slider->setRange(0, 100);
    m_slider->LoadThumbImage(
        dialog_services::SkinImagePath(m_imageFolder, dialog_services::Skin().GetSliderImage()));
    m_slider->show();
    show();
    return true;
}

void CInOutSlider::SetInOut(int inPosition, int outPosition)
{
    if (!m_slider)
        return;
    m_slider->m_inPosition = inPosition;
    m_slider->m_outPosition = outPosition;
    m_slider->update();
    update(0, 0, width(), kLabelStripHeight);
}

int CInOutSlider::LabelX(int clientWidth, int position, int maximum)
{
    // A range of 0 puts both labels at the left end rather than dividing by it.
    if (position <= 0 || maximum == 0)
        return 0;
    return int(float(clientWidth - 10) * (float(position) / float(maximum)));
}

void CInOutSlider::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(0, 0, width(), kLabelStripHeight, dialog_services::Color(CSkinIni::COLOR_SETTING_BK));
    if (!m_slider)
        return;
    painter.setFont(m_labelFont);
    painter.setPen(dialog_services::Color(CSkinIni::COLOR_TEXT));
    const int maximum = m_slider->maximum();
    const int flags = Qt::AlignHCenter | Qt::AlignTop | Qt::TextSingleLine;
    if (const int in = m_slider->m_inPosition; in >= 0) {
        const int x = LabelX(width(), in, maximum);
        painter.drawText(QRect(x - 7, 0, 24, kLabelStripHeight), flags, QStringLiteral("IN"));
    }
    if (const int out = m_slider->m_outPosition; out >= 0) {
        const int x = LabelX(width(), out, maximum);
        painter.drawText(QRect(x - 12, 0, 24, kLabelStripHeight), flags, QStringLiteral("OUT"));
    }
}

void CInOutSlider::OnSliderHScroll(CGdiSliderBase& slider, int, int position)
{
    if (&slider != m_slider)
        return;
    CInOutSliderOwner* owner = m_owner ? m_owner : dynamic_cast<CInOutSliderOwner*>(parentWidget());
    if (owner)
        owner->OnInOutSliderPos(position);
}
