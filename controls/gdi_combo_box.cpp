#include "controls/gdi_combo_box.h"

#include "controls/picture_file.h"

#include <QAbstractItemView>
#include <QMouseEvent>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QWheelEvent>

using namespace controls;

namespace controls {

ComboFaceLayout CalcComboFaceLayout(int width, int height)
{
    // The drop button is as wide as a system scroll bar, inside a two-pixel border.
    constexpr int kButtonWidth = 17;
    ComboFaceLayout layout;
    layout.button = { width - 2 - kButtonWidth, 2, width - 2, height - 2 };
    layout.item = { 3, 3, layout.button.left, height - 3 };
    layout.buttonImage
        = { layout.button.left + 1, 0, layout.button.left + layout.button.Width(), height - 1 };
    return layout;
}

COLORREF ComboRowBackground(const ComboRowColours& colours, int row, bool selected)
{
    if (selected)
        return colours.selected;
    return row % 2 == 0 ? colours.even : colours.odd;
}

} // namespace controls

namespace {

// Paints the rows of the opened list.
class CComboRowDelegate final : public QStyledItemDelegate {
public:
    explicit CComboRowDelegate(CGdiComboBox* box)
        : QStyledItemDelegate(box)
        , m_box(box)
    {
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        return QSize(QStyledItemDelegate::sizeHint(option, index).width(), CGdiComboBox::ROW_HEIGHT);
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const ComboRowColours colours { m_box->m_selectedRowColor, m_box->m_evenRowColor,
            m_box->m_oddRowColor };
        const bool selected = option.state & QStyle::State_Selected;
        painter->fillRect(option.rect, ToQColor(ComboRowBackground(colours, index.row(), selected)));
        painter->setPen(ToQColor(m_box->isEnabled() ? m_box->m_textColor : m_box->m_disabledTextColor));
        painter->setFont(m_box->font());
        painter->drawText(option.rect.adjusted(2, 0, -2, 0),
            Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, index.data(Qt::DisplayRole).toString());
    }

private:
    CGdiComboBox* m_box;
};

} // namespace

CGdiComboBox::CGdiComboBox(QWidget* parent)
    : QComboBox(parent)
{
    setEditable(false);
    setItemDelegate(new CComboRowDelegate(this));
}

void CGdiComboBox::LoadImages(const QString& normal, const QString& disabled, const QString& pressed)
{
    QImage button;
    QImage buttonDisabled;
    if (!LoadPictureInto(button, normal) || !LoadPictureInto(buttonDisabled, disabled))
        return;
    m_buttonImage = button;
    m_buttonDisabledImage = buttonDisabled;
    LoadPictureInto(m_buttonPressedImage, pressed);
    update();
}

void CGdiComboBox::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), ToQColor(m_backColor));
    const ComboFaceLayout layout = CalcComboFaceLayout(width(), height());
    painter.setFont(font());
    painter.setPen(ToQColor(isEnabled() ? m_textColor : m_disabledTextColor));
    painter.drawText(layout.item.ToQRect().adjusted(5, 0, 0, 0),
        Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
        currentIndex() >= 0 ? currentText() : QString());

    const QImage* button = &m_buttonImage;
    if (!isEnabled() && !m_buttonDisabledImage.isNull())
        button = &m_buttonDisabledImage;
    const bool pressed = m_buttonDown || view()->isVisible();
    if (pressed && !m_buttonPressedImage.isNull())
        button = &m_buttonPressedImage;
    const QRect buttonRect = layout.buttonImage.ToQRect();
    const QImage& picture = m_shownButton.At(*button, buttonRect.size(), devicePixelRatioF());
    if (!picture.isNull())
        painter.drawImage(buttonRect, picture);
}

void CGdiComboBox::wheelEvent(QWheelEvent* event)
{
    // A closed box keeps its selection under the wheel.
    if (!view()->isVisible()) {
        event->accept();
        return;
    }
    QComboBox::wheelEvent(event);
}

void CGdiComboBox::showPopup()
{
    QPalette colours = view()->palette();
    colours.setColor(QPalette::Base, ToQColor(m_backColor));
    view()->setPalette(colours);
    if (m_droppedWidth > 0)
        view()->setMinimumWidth(m_droppedWidth);
    QComboBox::showPopup();
    update();
}

void CGdiComboBox::hidePopup()
{
    QComboBox::hidePopup();
    m_buttonDown = false;
    update();
}

void CGdiComboBox::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        m_buttonDown = true;
    QComboBox::mousePressEvent(event);
    update();
}

void CGdiComboBox::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        m_buttonDown = false;
    QComboBox::mouseReleaseEvent(event);
    update();
}
