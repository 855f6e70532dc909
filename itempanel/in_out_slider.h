#pragma once

#include "controls/gdi_slider_base.h"

#include <QFont>
#include <QWidget>

class CGdiSliderCtrl;

// Receives the IN/OUT bar's reports (UM_INOUT_SLIDER_POS): the slider's position after each move
// the user made.
class CInOutSliderOwner {
public:
    virtual ~CInOutSliderOwner() = default;
    virtual void OnInOutSliderPos(int position) = 0;
};

// The properties page's IN/OUT bar: a 16-pixel strip with the labels "IN" and "OUT" at the two
// points over a slider (0 .. 100 until its owner sets the movie's length) that marks them.
class CInOutSlider : public QWidget, public CSliderOwner {
    Q_OBJECT

public:
    static constexpr int kWindowId = 1231;
    static constexpr int kSliderId = 1230;
    static constexpr int kLabelStripHeight = 16;

    explicit CInOutSlider(QWidget* parent = nullptr);

    // The folder the slider's thumb picture is found in (ends with '/'); set before Create.
    QString m_imageFolder;
    // Null: reports go to the parent when it is a CInOutSliderOwner.
    void SetOwner(CInOutSliderOwner* owner) { m_owner = owner; }

    // Places the window in the parent and creates its slider.
    bool Create(const QRect& rect, QWidget* parent);
    // The IN and OUT points in slider units (-1: none); nothing before Create.
    void SetInOut(int inPosition, int outPosition);

    CGdiSliderCtrl* Slider() const { return m_slider; }
    // Where a label lies for a point: its x in the strip, 0 for a point at or before 0 and for an
    // empty range.
    static int LabelX(int clientWidth, int position, int maximum);

protected:
    void paintEvent(QPaintEvent* event) override;
    void OnSliderHScroll(CGdiSliderBase& slider, int code, int position) override;

private:
    CGdiSliderCtrl* m_slider = nullptr;
    CInOutSliderOwner* m_owner = nullptr;
    QFont m_labelFont;
};
