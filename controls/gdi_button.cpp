#include "controls/gdi_button.h"

#include "controls/button_face.h"

#include <QFileInfo>
#include <QMouseEvent>
#include <QPainter>

using namespace controls;

namespace {

// Replaces a state's picture when the path names an existing file; otherwise keeps it.
void LoadStateImage(QImage& slot, const QString& path)
{
    if (path.isEmpty() || !QFileInfo::exists(path))
        return;
    slot = QImage(path);
}

} // namespace

CGdiButton::CGdiButton(QWidget* parent)
    : CGdiButton(QString(), parent)
{
}

CGdiButton::CGdiButton(const QString& text, QWidget* parent)
    : QPushButton(text, parent)
{
    setAttribute(Qt::WA_Hover);
    setMouseTracking(true);
    // Connected first, so the state has flipped before any owner hears of the click.
    connect(this, &QAbstractButton::clicked, this, &CGdiButton::OnClicked);
}

void CGdiButton::LoadImages(
    const QString& normal, const QString& over, const QString& press, const QString& disable)
{
    m_toggleMode = false;
    LoadStateImage(m_normalImage, normal);
    LoadStateImage(m_overImage, over);
    LoadStateImage(m_pressImage, press);
    LoadStateImage(m_disableImage, disable);
    update();
}

void CGdiButton::LoadCheckImages(const QString& normal,
    const QString& over,
    const QString& press,
    const QString& disable,
    const QString& check)
{
    LoadImages(normal, over, press, disable);
    m_toggleMode = true;
    LoadStateImage(m_checkImage, check);
}

int CGdiButton::GetCheckState() const
{
    return m_toggleMode && m_checked ? 1 : 0;
}

void CGdiButton::SetCheckState(int checked)
{
    if (!m_toggleMode)
        return;
    m_checked = checked != 0;
    update();
}

const QImage& CGdiButton::CurrentImage() const
{
    ButtonFaceState state;
    state.disabled = !isEnabled();
    state.pressed = isDown();
    state.focused = hasFocus();
    state.hover = m_hover;
    state.toggleMode = m_toggleMode;
    state.checked = m_checked;
    ButtonImageSet present;
    present.Set(ButtonImage::Normal, !m_normalImage.isNull());
    present.Set(ButtonImage::Over, !m_overImage.isNull());
    present.Set(ButtonImage::Press, !m_pressImage.isNull());
    present.Set(ButtonImage::Disable, !m_disableImage.isNull());
    present.Set(ButtonImage::Check, !m_checkImage.isNull());
    present.Set(ButtonImage::Focus, !m_focusImage.isNull());
    present.Set(ButtonImage::Fixed, !m_fixedImage.isNull());
    switch (ChooseEditorButtonImage(state, present)) {
    case ButtonImage::Over:
        return m_overImage;
    case ButtonImage::Press:
        return m_pressImage;
    case ButtonImage::Disable:
        return m_disableImage;
    case ButtonImage::Check:
        return m_checkImage;
    case ButtonImage::Focus:
        return m_focusImage;
    case ButtonImage::Fixed:
        return m_fixedImage;
    case ButtonImage::Normal:
    case ButtonImage::None:
        break;
    }
    return m_normalImage;
}

void CGdiButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    PaintButtonFace(painter, rect(), m_backColor, CurrentImage(), text(), m_textColor,
        m_font.value_or(font()), m_overlayAlpha);
}

void CGdiButton::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        m_pressed = true;
    QPushButton::mousePressEvent(event);
}

void CGdiButton::mouseReleaseEvent(QMouseEvent* event)
{
    // clicked() (and with it the toggle) follows only when the release completes the click.
    QPushButton::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton)
        m_pressed = false;
}

void CGdiButton::OnClicked()
{
    if (!m_toggleMode)
        return;
    m_checked = !m_checked;
    update();
}

void CGdiButton::mouseMoveEvent(QMouseEvent* event)
{
    if (rect().contains(event->position().toPoint()))
        SetHover(true);
    QPushButton::mouseMoveEvent(event);
}

void CGdiButton::enterEvent(QEnterEvent* event)
{
    SetHover(true);
    QPushButton::enterEvent(event);
}

void CGdiButton::leaveEvent(QEvent* event)
{
    SetHover(false);
    QPushButton::leaveEvent(event);
}

void CGdiButton::SetHover(bool hover)
{
    if (m_hover == hover)
        return;
    m_hover = hover;
    update();
}
