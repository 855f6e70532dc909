#include "controls/gdi_slider_base.h"

#include "controls/control_messages.h"
#include "controls/gdi_scroll_bar.h"
#include "controls/picture_file.h"
#include "controls/slider_geometry.h"

#include <QPainter>
#include <QPainterPath>
#include <QStyleOptionSlider>

using namespace controls;

namespace {

constexpr COLORREF kThumbFace = Rgb(53, 53, 53);
constexpr COLORREF kDark = Rgb(34, 34, 34);
constexpr COLORREF kLight = Rgb(153, 153, 153);
constexpr COLORREF kBlack = Rgb(0, 0, 0);
constexpr COLORREF kRangeLine = Rgb(255, 255, 0);
constexpr COLORREF kMarker = Rgb(255, 255, 255);

void HorizontalLine(QPainter& painter, COLORREF colour, int left, int right, int y)
{
    painter.setPen(ToQColor(colour));
    painter.drawLine(left, y, right - 1, y);
}

int TrackBarCodeOf(int action)
{
    switch (action) {
    case QAbstractSlider::SliderSingleStepAdd:
        return TB_LINEDOWN;
    case QAbstractSlider::SliderSingleStepSub:
        return TB_LINEUP;
    case QAbstractSlider::SliderPageStepAdd:
        return TB_PAGEDOWN;
    case QAbstractSlider::SliderPageStepSub:
        return TB_PAGEUP;
    case QAbstractSlider::SliderToMinimum:
        return TB_TOP;
    case QAbstractSlider::SliderToMaximum:
        return TB_BOTTOM;
    default:
        return TB_THUMBTRACK;
    }
}

} // namespace

CGdiSliderBase::CGdiSliderBase(QWidget* parent)
    : QSlider(Qt::Horizontal, parent)
    , m_font(QStringLiteral("Meiryo UI"))
{
    m_font.setPointSize(8);
    setTickPosition(QSlider::NoTicks);
    // actionTriggered and sliderReleased come only from the user, never from setValue().
    connect(this, &QAbstractSlider::actionTriggered, this, [this](int action) {
        if (action == QAbstractSlider::SliderNoAction)
            return;
        // The slider takes its new value only after this signal; the owner reads it now.
        setValue(sliderPosition());
        Notify(TrackBarCodeOf(action));
    });
    connect(this, &QAbstractSlider::sliderReleased, this, [this] { Notify(TB_ENDTRACK); });
}

void CGdiSliderBase::LoadThumbImage(const QString& path)
{
    if (LoadPictureInto(m_thumbImage, path))
        update();
}

void CGdiSliderBase::Notify(int code)
{
    CSliderOwner* owner = m_owner ? m_owner : dynamic_cast<CSliderOwner*>(parentWidget());
    if (owner)
        owner->OnSliderHScroll(*this, code, sliderPosition());
}

QRect CGdiSliderBase::ThumbRect() const
{
    QStyleOptionSlider option;
    initStyleOption(&option);
    return style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, this);
}

QRect CGdiSliderBase::ChannelRect() const
{
    // The thumb's centre runs from the groove's start plus half a thumb to its end minus half
    // a thumb: that span is the channel the positions map onto.
    QStyleOptionSlider option;
    initStyleOption(&option);
    const QRect groove = style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderGroove, this);
    const int thumbWidth = ThumbRect().width();
    const int left = groove.left() + thumbWidth / 2;
    const int right = groove.left() + groove.width() - (thumbWidth - thumbWidth / 2);
    const int centre = height() / 2;
    return QRect(left, centre - 2, std::max(0, right - left), 4);
}

void CGdiSliderBase::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), ToQColor(m_backColor));
    PaintChannel(painter, Options());
    PaintThumb(painter);
}

void CGdiSliderBase::PaintChannel(QPainter& painter, const PaintOptions& options) const
{
    const QRect channel = ChannelRect();
    const int left = channel.left();
    const int right = channel.left() + channel.width();
    const int centre = height() / 2;
    if (m_channelLines) {
        HorizontalLine(painter, kBlack, left, right, centre - 6);
        HorizontalLine(painter, kLight, left, right, centre + 6);
    }
    if (options.gradientWedge) {
        // A wedge that widens to the right: the gradient over the channel band, its upper-left
        // half covered again by the background.
        const WinRect band { left, centre - 5, right, centre + 5 };
        CGdiScrollBar::FillGradientV(painter, isEnabled() ? Rgb(255, 255, 255) : m_backColor, kDark, band);
        QPainterPath cover;
        cover.moveTo(left, band.top);
        cover.lineTo(right, band.top);
        cover.lineTo(left, band.bottom);
        cover.closeSubpath();
        painter.fillPath(cover, ToQColor(m_backColor));
    }
    if (m_extraLines) {
        HorizontalLine(painter, kDark, left, right, centre - 3);
        HorizontalLine(painter, kLight, left, right, centre + 3);
    }
    HorizontalLine(painter, kLight, left, right, centre - 1);
    HorizontalLine(painter, kBlack, left, right, centre);
    if (options.endMarks) {
        painter.setPen(ToQColor(kLight));
        painter.drawLine(left, centre - 4, left, centre + 4);
        painter.drawLine(right - 1, centre - 4, right - 1, centre + 4);
    }

    const auto inX = SliderPositionX(left, channel.width(), m_inPosition, minimum(), maximum());
    const auto outX = SliderPositionX(left, channel.width(), m_outPosition, minimum(), maximum());
    if (!inX || !outX)
        return;
    // A line of no length draws nothing, so a slider without IN and OUT shows no yellow.
    if (*inX != *outX)
        HorizontalLine(painter, kRangeLine, *inX, *outX + 1, centre);
    if (!options.rangeMarkers)
        return;
    painter.setPen(ToQColor(kMarker));
    painter.setBrush(ToQColor(kMarker));
    if (m_inPosition >= 0)
        painter.drawPolygon(SliderMarkerTriangle(*inX, height()));
    if (m_outPosition >= 0)
        painter.drawPolygon(SliderMarkerTriangle(*outX, height()));
    painter.setBrush(Qt::NoBrush);
}

void CGdiSliderBase::PaintThumb(QPainter& painter) const
{
    const QRect thumb = ThumbRect();
    if (!m_thumbImage.isNull()) {
        painter.drawImage(thumb, m_shownThumb.At(m_thumbImage, thumb.size(), devicePixelRatioF()));
        return;
    }
    painter.setPen(ToQColor(kBlack));
    painter.setBrush(ToQColor(kThumbFace));
    painter.drawRoundedRect(QRectF(thumb).adjusted(0.5, 0.5, -0.5, -0.5), 2, 2);
    painter.setPen(ToQColor(kDark));
    painter.drawRoundedRect(QRectF(thumb).adjusted(1.5, 1.5, -1.5, -1.5), 2, 2);
    painter.setBrush(Qt::NoBrush);
}
