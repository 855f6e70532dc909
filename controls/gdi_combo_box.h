#pragma once

#include "controls/controls_export.h"
#include "controls/picture_file.h"
#include "controls/win_color.h"
#include "controls/win_rect.h"

#include <QComboBox>
#include <QImage>

namespace controls {

// The closed face of the combo box: the row shown and the drop button.
struct ComboFaceLayout {
    WinRect item;
    WinRect button;
    WinRect buttonImage; // where the button picture is drawn
};
KALEIDRA_CONTROLS_EXPORT ComboFaceLayout CalcComboFaceLayout(int width, int height);

struct ComboRowColours {
    COLORREF selected;
    COLORREF even;
    COLORREF odd;
};
// The background of a list row: the selected colour for the selected row, else by parity.
KALEIDRA_CONTROLS_EXPORT COLORREF ComboRowBackground(const ComboRowColours& colours, int row, bool selected);

} // namespace controls

// The drop-down list of the editor's dialogs in the skin's dark colours: it paints its closed
// face (the current text and a picture for the drop button) and its rows (18 pixels high,
// alternating colours). Turning the wheel over the closed box changes nothing. Owners hear of
// user choices through activated(); setCurrentIndex() reports nothing.
class KALEIDRA_CONTROLS_EXPORT CGdiComboBox : public QComboBox {
    Q_OBJECT

public:
    static constexpr int ROW_HEIGHT = 18;

    explicit CGdiComboBox(QWidget* parent = nullptr);

    // Loads the drop button's pictures only when the normal and the disabled file both exist;
    // then the pressed picture too when its file exists.
    void LoadImages(const QString& normal, const QString& disabled, const QString& pressed);
    // The smallest width of the opened list.
    void SetDroppedWidth(int width) { m_droppedWidth = width; }

    QImage m_buttonImage;
    QImage m_buttonDisabledImage;
    QImage m_buttonPressedImage;
    COLORREF m_textColor = controls::Rgb(255, 255, 255);
    COLORREF m_disabledTextColor = controls::Rgb(109, 109, 109);
    COLORREF m_backColor = controls::Rgb(51, 51, 51);
    COLORREF m_selectedRowColor = controls::Rgb(51, 51, 255);
    COLORREF m_evenRowColor = controls::Rgb(51, 51, 51);
    COLORREF m_oddRowColor = controls::Rgb(71, 71, 71);

    void showPopup() override;
    void hidePopup() override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    bool m_buttonDown = false;
    controls::CScaledPicture m_shownButton;
    int m_droppedWidth = 0;
};
