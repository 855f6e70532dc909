#pragma once

#include "controls/image_button_base.h"

namespace controls::remote {

// The remote-control program's image button. It draws pictures its owner hands over (QImage
// shares the pixels, so the owner may drop its own copy at any time), repaints on hover only
// when it has an over picture, and opens no context menu on a right-click.
class KALEIDRA_CONTROLS_EXPORT CGdiButton : public CImageButtonBase {
    Q_OBJECT

public:
    explicit CGdiButton(QWidget* parent = nullptr);
    explicit CGdiButton(const QString& text, QWidget* parent = nullptr);

    // Each stores the picture of its state and repaints when the picture changed.
    void SetNormalImage(const QImage& image);
    void SetDisableImage(const QImage& image);
    void SetOverImage(const QImage& image);
    void SetPressImage(const QImage& image);

protected:
    ButtonImage ChooseImage(const ButtonFaceState& state, const ButtonImageSet& present) const override;
    bool RepaintsOnHover() const override { return !m_overImage.isNull(); }
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void StoreImage(QImage& slot, const QImage& image);
};

} // namespace controls::remote
