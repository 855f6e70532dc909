#include "controls/gdi_button.h"

#include "controls/picture_file.h"

#include <QMouseEvent>

using namespace controls;

CGdiButton::CGdiButton(QWidget* parent)
    : CGdiButton(QString(), parent)
{
}

CGdiButton::CGdiButton(const QString& text, QWidget* parent)
    : CImageButtonBase(text, parent, Rgb(113, 113, 113))
{
    // Connected first, so the state has flipped before any owner hears of the click.
    connect(this, &QAbstractButton::clicked, this, &CGdiButton::OnClicked);
}

void CGdiButton::LoadImages(
    const QString& normal, const QString& over, const QString& press, const QString& disable)
{
    m_toggleMode = false;
    LoadPictureInto(m_normalImage, normal);
    LoadPictureInto(m_overImage, over);
    LoadPictureInto(m_pressImage, press);
    LoadPictureInto(m_disableImage, disable);
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
    LoadPictureInto(m_checkImage, check);
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

ButtonFaceState CGdiButton::FaceState() const
{
    ButtonFaceState state = CImageButtonBase::FaceState();
    state.toggleMode = m_toggleMode;
    state.checked = m_checked;
    return state;
}

ButtonImage CGdiButton::ChooseImage(const ButtonFaceState& state, const ButtonImageSet& present) const
{
    return ChooseEditorButtonImage(state, present);
}

void CGdiButton::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        m_pressed = true;
    CImageButtonBase::mousePressEvent(event);
}

void CGdiButton::mouseReleaseEvent(QMouseEvent* event)
{
    // clicked() (and with it the toggle) follows only when the release completes the click.
    CImageButtonBase::mouseReleaseEvent(event);
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
